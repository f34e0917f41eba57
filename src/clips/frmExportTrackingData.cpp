#include "frmExportTrackingData.h"

#include "ExportWriter.h"
#include "Vosk.h"
#include "app/LogMessage.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "mainwindow/frmMain.h"
#include "widgets/CWKTimeCodeParser.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QSettings>

namespace {
const QString kqstrTdFormatKey = QStringLiteral("LastTrackingExportFormat");
const QString kqstrTdFolderKey = QStringLiteral("LastSaveTrackingDataFolder");
} // namespace

frmExportTrackingData::frmExportTrackingData(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setupUi(this);
    connect(buttonOk, &QPushButton::clicked, this, &frmExportTrackingData::accept);
    connect(buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(buttonHelp, &QPushButton::clicked, this, &frmExportTrackingData::buttonHelp_clicked);
    connect(btnCopyToClipBoard, &QPushButton::clicked, this, &frmExportTrackingData::btnCopyToClipBoard_clicked);
    connect(cboxFormat, qOverload<int>(&QComboBox::activated), this, &frmExportTrackingData::formatChanged);
    connect(tcedtReferenceFrame, &CWKLineEditTimeCode::valueChanged, this,
        &frmExportTrackingData::iedtReferenceFrame_valueChanged);
    connect(cboxInvert, &QCheckBox::toggled, this, &frmExportTrackingData::vSetInvertData);
    cboxFormat->clear();
    cboxInvert->setChecked(false);

    const QString options = qstrGetTrackExportOptions(qstrGetProduct());
    const auto& formats = CW_TrackingDataFormat::MAP_ALL();
    for (auto it = formats.constBegin(); it != formats.constEnd(); ++it)
        if (options.contains(it->qstrOptionKey))
            cboxFormat->addItem(it->qstrName);

    m_eOption = CW_NO_TRACKING_EXPORT;
    lblPixelAspectRatio->hide();
    dedtPixelAspectRatio->hide();
    m_bInvertData = false;

    const QString last = pGetUserSettings()->value(kqstrTdFormatKey).toString().left(256);
    if (!last.isEmpty()) {
        const int index = cboxFormat->findText(last, Qt::MatchFixedString);
        if (index >= 0)
            cboxFormat->setCurrentIndex(index);
    }
    m_format = CW_TrackingDataFormat::byName(cboxFormat->currentText());
}

void frmExportTrackingData::vSetInvertData(bool invert)
{
    m_bInvertData = invert;
}

void frmExportTrackingData::formatChanged(int)
{
    m_format = CW_TrackingDataFormat::byName(cboxFormat->currentText());
    btnCopyToClipBoard->setEnabled(m_format.iSingleText == 1);
}

void frmExportTrackingData::vExec(CW_TRACKING_OPTION option)
{
    m_eOption = option;
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(project, 1)) {
        dedtPixelAspectRatio->setText(QString::number(base->dPixelAspectRatio, 'g', 6));
        if (m_bInvertData) {
            tcedtReferenceFrame->vUpdateRegExp(project);
            if (m_optReferenceFrame)
                tcedtReferenceFrame->setText(qstrGetFrameDisplayString(int(*m_optReferenceFrame), base->fFrameRate,
                    bGetUseTimeCode(project), base->iFieldMode == 1 || base->iFieldMode == 2, base->iFieldMode == 2,
                    base->iFieldMode == 1 || base->iFieldMode == 2, base->iFrameOffset));
        } else {
            tcedtReferenceFrame->setEnabled(false);
        }
    }
    // The box shows the flag even when the Stabilize page set it directly.
    cboxInvert->setChecked(m_bInvertData);
    lblReferenceFrame->hide();
    tcedtReferenceFrame->hide();
    exec();
}

void frmExportTrackingData::iedtReferenceFrame_valueChanged()
{
    CW_AutoLock(&g_mtxEngine, "iedtReferenceFrame_valueChanged");
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!bIsValidInstance(project))
        return;
    const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(project, 1);
    if (!base || tcedtReferenceFrame->text().trimmed().isEmpty())
        return;
    const bool fields = base->iFieldMode == 1 || base->iFieldMode == 2;
    const int parsed = iParseTimecodeEdit(tcedtReferenceFrame, iRoundAbs(base->fFrameRate), fields, true,
        base->iFieldMode == 1, base->iFieldMode == 2, base->iFrameOffset, int(base->uiCount));
    const long long frame = (long long)parsed - base->iFrameOffset;
    if (frame >= 0 && frame < (long long)base->uiCount)
        m_optReferenceFrame = unsigned(frame);
}

unsigned int frmExportTrackingData::uiReferenceOrCurrentFrame()
{
    iedtReferenceFrame_valueChanged();
    if (m_optReferenceFrame)
        return *m_optReferenceFrame;
    return uiGetFrameNumber(ProjectManagerInstance::instance()->getInstance());
}

CW_FileMap frmExportTrackingData::mapExport(const QString& fileName)
{
    const unsigned int reference = uiReferenceOrCurrentFrame();
    TOLV_TrackingExportResult result;
    bCallReported(this, [&] {
        result = velmor::exportTrackingInfo(ProjectManagerInstance::instance()->getInstance(), m_format, fileName,
            reference, m_bInvertData ? CW_TRACKING_EXPORT_INVERTED : CW_TRACKING_EXPORT_AS_TRACKED, m_eOption);
    });
    if (result.uiErrors > 0)
        vExportWarning(this, tr("Errors occurred during the export. Some data may be missing or invalid."));
    return result.pMap;
}

void frmExportTrackingData::btnCopyToClipBoard_clicked()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    CW_AutoLock(&g_mtxEngine, "btnCopyToClipBoard_clicked");
    if (!clipboard || !bExportAllowed() || m_eOption == CW_NO_TRACKING_EXPORT) {
        vExportInformation(this, tr("Unable to copy data to the clipboard."));
        return;
    }
    const CW_FileMap map = mapExport(QString());
    if (map && map->size() == 1) {
        clipboard->setText(map->first(), QClipboard::Clipboard);
        pGetUserSettings()->setValue(kqstrTdFormatKey, cboxFormat->currentText());
        QDialog::accept();
        return;
    }
    vExportInformation(this, tr("Unable to fetch export data."));
}

void frmExportTrackingData::accept()
{
    const QString folder = qstrDefaultExportFolder(kqstrTdFolderKey);
    CW_AutoLock(&g_mtxEngine, "frmExportTrackingData::accept");
    if (!bExportAllowed()) {
        vExportInformation(this, tr("A selection must be selected."));
        QDialog::accept();
        return;
    }
    pGetUserSettings()->setValue(kqstrTdFormatKey, cboxFormat->currentText());
    const QString layer = qstrGetLayerName(ProjectManagerInstance::instance()->getInstance(),
        iGetCurrentSelectionID(ProjectManagerInstance::instance()->getInstance()));
    const QString filter = cboxFormat->currentText();
    const QString remembered = QDir::currentPath();
    QDir::setCurrent(folder);
    QString selected = filter;
    QString name = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save Tracking Data as..."), folder + QDir::separator() + layer, filter, &selected);
    vLogMessage(QStringLiteral("frmExportTrackingData::accept(): writing to file: ") + name);
    QDir::setCurrent(remembered);
    if (!name.isEmpty()) {
        name = qstrWithExtension(name, m_format.qstrExtension);
        const CW_FileMap map = mapExport(name);
        if (velmor::writeFileMap(map, &bConfirmOverwrite))
            pGetUserSettings()->setValue(kqstrTdFolderKey, QFileInfo(name).absolutePath());
        else
            vExportWarning(this, tr("Failed to write tracking data to disc!"));
    }
    QDialog::accept();
}

void frmExportTrackingData::buttonHelp_clicked()
{
    if (g_pMainWindow)
        g_pMainWindow->actHelp_activated();
}
