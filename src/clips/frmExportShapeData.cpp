#include "frmExportShapeData.h"

#include "ExportWriter.h"
#include "Vosk.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "mainwindow/frmMain.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QSettings>
#include <stdexcept>

namespace {
const QString kqstrSdFormatKey = QStringLiteral("LastShapeExportFormat");
const QString kqstrSdFolderKey = QStringLiteral("LastSaveShapeDataFolder");
} // namespace

frmExportShapeData::frmExportShapeData(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setupUi(this);
    connect(buttonOk, &QPushButton::clicked, this, &frmExportShapeData::accept);
    connect(buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnCopyToClipBoard, &QPushButton::clicked, this, &frmExportShapeData::btnCopyToClipBoard_clicked);
    connect(buttonHelp, &QPushButton::clicked, this, &frmExportShapeData::buttonHelp_clicked);
    cboxFormat->clear();
    const QString options = qstrGetShapeExportOptions(qstrGetProduct());
    const auto& formats = CW_ShapeDataFormat::MAP_ALL();
    for (auto it = formats.constBegin(); it != formats.constEnd(); ++it)
        if (options.contains(it->qstrOptionKey))
            cboxFormat->addItem(it->qstrName);
    connect(cboxFormat, qOverload<int>(&QComboBox::activated), this, &frmExportShapeData::formatChanged);
    selectedLayerRadioButton->setChecked(true);
    allVisibleRadioButton->setEnabled(false);
    allLayersRadioButton->setEnabled(false);

    QPalette palette = warningLabel->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        palette.setColor(group, QPalette::WindowText, QColor(197, 158, 0));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(67, 69, 69));
    warningLabel->setPalette(palette);

    const QString last = pGetUserSettings()->value(kqstrSdFormatKey).toString().left(256);
    if (!last.isEmpty()) {
        const int index = cboxFormat->findText(last, Qt::MatchFixedString);
        if (index >= 0)
            cboxFormat->setCurrentIndex(index);
    }
    formatChanged(-1);
    warningLabel->clear();
    buttonHelp->hide();
}

CW_ShapeExportMode frmExportShapeData::eExportMode() const
{
    if (allLayersRadioButton->isChecked())
        return CW_SHAPE_EXPORT_ALL;
    if (selectedLayerRadioButton->isChecked())
        return CW_SHAPE_EXPORT_SELECTED;
    if (allVisibleRadioButton->isChecked())
        return CW_SHAPE_EXPORT_VISIBLE;
    throw std::logic_error("No shape export mode selected");
}

CW_FileMap frmExportShapeData::mapExport(const QString& fileName)
{
    const CW_ShapeExportMode mode = eExportMode();
    if (!bExportAllowed() && mode == CW_SHAPE_EXPORT_SELECTED)
        return nullptr;
    CW_FileMap map;
    bCallReported(this, [&] {
        map = velmor::exportShapeInfo(ProjectManagerInstance::instance()->getInstance(), m_format, fileName, mode);
    });
    return map;
}

void frmExportShapeData::formatChanged(int)
{
    m_format = CW_ShapeDataFormat::byName(cboxFormat->currentText());
    const CW_FileMap map = mapExport(QString());
    if (map && map->contains(QStringLiteral("__ERROR__")))
        warningLabel->setText(map->value(QStringLiteral("__ERROR__")));
    else
        warningLabel->clear();
    if (m_format.bMultiLayer) {
        allVisibleRadioButton->setEnabled(true);
        allLayersRadioButton->setEnabled(true);
    } else {
        selectedLayerRadioButton->setChecked(true);
        allVisibleRadioButton->setEnabled(false);
        allLayersRadioButton->setEnabled(false);
    }
}

void frmExportShapeData::btnCopyToClipBoard_clicked()
{
    CW_AutoLock(&g_mtxEngine, "btnCopyToClipBoard_clicked");
    const CW_FileMap map = mapExport(QString());
    QClipboard* clipboard = QGuiApplication::clipboard();
    // A format without a clipboard text (one file per frame) has nothing to copy.
    if (clipboard && map && map->contains(QString())) {
        clipboard->setText(map->value(QString()), QClipboard::Clipboard);
        pGetUserSettings()->setValue(kqstrSdFormatKey, cboxFormat->currentText());
        QDialog::accept();
        return;
    }
    vExportInformation(this, tr("Unable to copy data to the clipboard."));
}

void frmExportShapeData::accept()
{
    const QString folder = qstrDefaultExportFolder(kqstrSdFolderKey);
    CW_AutoLock(&g_mtxEngine, "frmExportShapeData::accept");
    // Without a layer the selected-layer mode has nothing to export: say so before asking for a file.
    if (eExportMode() == CW_SHAPE_EXPORT_SELECTED && !bExportAllowed()) {
        vExportInformation(this, tr("A selection must be selected."));
        QDialog::accept();
        return;
    }
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    const QString layer = qstrGetLayerName(project, iGetCurrentSelectionID(project));
    const QString filter = cboxFormat->currentText();
    QString selected = filter;
    QString name = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save Shape Data as..."), folder + QDir::separator() + layer, filter, &selected);
    if (!name.isEmpty()) {
        name = qstrWithExtension(name, m_format.qstrExtension);
        if (velmor::writeFileMap(mapExport(name), &bConfirmOverwrite)) {
            pGetUserSettings()->setValue(kqstrSdFolderKey, QFileInfo(name).absolutePath() + QLatin1Char('/'));
            pGetUserSettings()->setValue(kqstrSdFormatKey, cboxFormat->currentText());
        } else {
            vExportWarning(this, tr("Failed to write shape data to disc!"));
        }
    }
    QDialog::accept();
}

void frmExportShapeData::buttonHelp_clicked()
{
    if (g_pMainWindow)
        g_pMainWindow->actHelp_activated();
}
