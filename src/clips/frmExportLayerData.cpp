#include "frmExportLayerData.h"

#include "ExportWriter.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "widgets/CWKControlForm.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSettings>

namespace {
const QString kqstrLdFormatKey = QStringLiteral("LastLayerExportFormat");
const QString kqstrLdScopeKey = QStringLiteral("LastLayerExportScope");
const QString kqstrLdFolderKey = QStringLiteral("LastSaveLayerDataFolder");

CW_Instance pLdProject()
{
    return ProjectManagerInstance::instance()->getInstance();
}
} // namespace

frmExportLayerData::frmExportLayerData(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setupUi(this);
    connect(buttonOk, &QPushButton::clicked, this, &frmExportLayerData::accept);
    connect(buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnCopyToClipBoard, &QPushButton::clicked, this, &frmExportLayerData::btnCopyToClipBoard_clicked);
    connect(cboxFormat, qOverload<int>(&QComboBox::activated), this, &frmExportLayerData::cboxFormat_activated);
    connect(rbtnExportAll, &QRadioButton::clicked, this, &frmExportLayerData::rbtnExportAll_clicked);
    connect(rbtnExportSelected, &QRadioButton::clicked, this, &frmExportLayerData::rbtnExportSelected_clicked);
    connect(rbtnExportSelectedForRender, &QRadioButton::clicked, this,
        &frmExportLayerData::rbtnExportSelectedForRender_clicked);

    // Only the one format exists: a stored value outside it falls back to it.
    m_iFormat = CW_LAYER_DATA_SCRIPT;
    cboxFormat->clear();
    cboxFormat->insertItem(0, QStringLiteral("Corvane Script (.layer)"));
    cboxFormat->hide();
    cboxFormat->setCurrentIndex(0);
    m_iScope = std::clamp(pGetUserSettings()->value(kqstrLdScopeKey, 0).toInt(), 0, 2);
    vRefreshRadioButtons();
}

void frmExportLayerData::vRefreshRadioButtons()
{
    rbtnExportSelected->setVisible(iGetCurrentSelectionID(pLdProject()) > 0);
    QRadioButton* buttons[3] = {rbtnExportSelected, rbtnExportSelectedForRender, rbtnExportAll};
    buttons[m_iScope]->setChecked(true);
}

void frmExportLayerData::vExec()
{
    sltUpdateText();
    exec();
}

QList<uint> frmExportLayerData::layers()
{
    QList<uint> ids;
    const CW_Instance project = pLdProject();
    if (m_iScope == CW_LAYER_SCOPE_SELECTED) {
        const int current = iGetCurrentSelectionID(project);
        ids << uint(current > 0 ? current : -1);
    } else if (m_iScope == CW_LAYER_SCOPE_PROCESSED) {
        if (CWKControlForm* page = pGetCurrentControlForm())
            for (int id : pglGetLayerIDList(project))
                if (bGetRenderLayer(project, page->eGetModule(), id))
                    ids << uint(id);
    } else {
        for (int id : pglGetLayerIDList(project))
            ids << uint(id);
    }
    return ids;
}

void frmExportLayerData::sltUpdateText()
{
    CW_AutoLock(&g_mtxEngine, "frmExportLayerData::sltUpdateText");
    tedtData->clear();
    if (!bExportAllowed()) {
        tedtData->setText(QStringLiteral("No selection selected"));
        return;
    }
    bCallReported(this, [this] {
        tedtData->setText(
            getLayerInfo(pLdProject(), _CW_LayerDataFormat(m_iFormat), _CW_LayerDataScope(m_iScope), layers()));
    });
}

void frmExportLayerData::cboxFormat_activated(int index)
{
    m_iFormat = index;
    sltUpdateText();
}

void frmExportLayerData::rbtnExportAll_clicked()
{
    if (rbtnExportAll->isChecked())
        m_iScope = CW_LAYER_SCOPE_ALL;
    sltUpdateText();
}

void frmExportLayerData::rbtnExportSelected_clicked()
{
    if (rbtnExportSelected->isChecked())
        m_iScope = CW_LAYER_SCOPE_SELECTED;
    sltUpdateText();
}

void frmExportLayerData::rbtnExportSelectedForRender_clicked()
{
    if (rbtnExportSelectedForRender->isChecked())
        m_iScope = CW_LAYER_SCOPE_PROCESSED;
    sltUpdateText();
}

void frmExportLayerData::btnCopyToClipBoard_clicked()
{
    CW_AutoLock(&g_mtxEngine, "btnCopyToClipBoard_clicked");
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard && bExportAllowed()) {
        QString text;
        if (bCallReported(this, [&] {
                text = getLayerInfo(
                    pLdProject(), _CW_LayerDataFormat(m_iFormat), _CW_LayerDataScope(m_iScope), layers());
            })) {
            clipboard->setText(text, QClipboard::Clipboard);
            QDialog::accept();
            return;
        }
    }
    vExportInformation(this, tr("Unable to copy data to the clipboard."));
}

void frmExportLayerData::accept()
{
    const QString folder = qstrCutAfterLastSeparator(qstrDefaultExportFolder(kqstrLdFolderKey));
    CW_AutoLock(&g_mtxEngine, "frmExportLayerData::accept");
    if (!bExportAllowed()) {
        vExportInformation(this, tr("A selection must be selected."));
        QDialog::accept();
        return;
    }
    const CW_Instance project = pLdProject();
    const QString filter = cboxFormat->currentText();
    QString selected = filter;
    QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Save Layer Data as..."),
        folder + qstrGetLayerName(project, iGetCurrentSelectionID(project)), filter, &selected);
    if (!name.isEmpty()) {
        name = qstrWithExtension(name, QString::fromLatin1(CW_LayerDataFormatExtension[CW_LAYER_DATA_SCRIPT]));
        // The engine's writer returns nothing: its exception or the missing file tells a failure.
        const bool called = bCallReported(this, [&] {
            vSaveLayerInfo(project, _CW_LayerDataFormat(m_iFormat), _CW_LayerDataScope(m_iScope),
                name.toUtf8().constData(), layers());
        });
        const QFileInfo written(name);
        if (called && written.exists()) {
            pGetUserSettings()->setValue(kqstrLdFolderKey, written.absolutePath() + QLatin1Char('/'));
            pGetUserSettings()->setValue(kqstrLdFormatKey, m_iFormat);
            pGetUserSettings()->setValue(kqstrLdScopeKey, m_iScope);
        } else if (called) {
            vExportWarning(this, tr("Failed to write layer data to disc!"));
        }
    }
    QDialog::accept();
}
