// frmMain: the File menu's data exports, rendered-clip exports and the layer import.
#include "frmMain.h"

#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "clips/RenderDialog.h"
#include "clips/frmExportLayerData.h"
#include "clips/frmExportLensData.h"
#include "clips/frmExportShapeData.h"
#include "clips/frmExportSorrelData.h"
#include "clips/frmExportTrackingData.h"
#include "velmor.h"

#include <QDir>
#include <QFileDialog>
#include <QSettings>
#include <memory>

namespace {

// The layer import's own key: the clip dialogs' key holds filters of clip types.
const QString kqstrLayerFileFilterKey = QStringLiteral("OpenLayerFileFilter");

} // namespace

void frmMain::vConnectImportExportAndHelpActions()
{
    connect(actSaveTrackingData, &QAction::triggered, this, &frmMain::actSaveTrackingData_activated);
    connect(actSaveOffsetTrackingData, &QAction::triggered, this, &frmMain::actSaveOffsetTrackingData_activated);
    connect(actSaveShapeData, &QAction::triggered, this, &frmMain::actSaveShapeData_activated);
    connect(actSaveLayerData, &QAction::triggered, this, &frmMain::actSaveLayerData_activated);
    connect(actSaveLensData, &QAction::triggered, this, &frmMain::actSaveLensData_activated);
    connect(actExportProjectData, &QAction::triggered, this, &frmMain::actExportProjectData_activated);
    connect(actFileSaveClip, &QAction::triggered, this, &frmMain::sltFileSaveClip);
    connect(actExportRenderedShapes, &QAction::triggered, this, &frmMain::sltExportRenderedShapes);
    connect(actImportLayers, &QAction::triggered, this, &frmMain::actImportLayers_activated);

    connect(actOfflineHelp, &QAction::triggered, this, &frmMain::actOfflineHelp_activated);
    connect(actReleaseNotes, &QAction::triggered, this, &frmMain::actReleaseNotes_activated);
    connect(actGotoProductWebsite, &QAction::triggered, this, &frmMain::actGotoProductWebsite_activated);
    connect(actLaunchForums, &QAction::triggered, this, &frmMain::actLaunchForums_activated);
    connect(actLaunchTutorials, &QAction::triggered, this, &frmMain::actLaunchTutorials_activated);
    connect(actViewLog, &QAction::triggered, this, &frmMain::actViewLog_activated);
    connect(actShowWelcomeScreen, &QAction::triggered, this, &frmMain::showWelcomeScreen_activated);
    connect(actAbout, &QAction::triggered, this, &frmMain::actAbout_activated);
    connect(actViewPreferences, &QAction::triggered, this, &frmMain::sltViewPreferences, Qt::UniqueConnection);
}

void frmMain::actSaveTrackingData_activated()
{
    frmExportTrackingData dialog(this);
    dialog.vExec(CW_TRACKING_DATA);
}

void frmMain::actSaveOffsetTrackingData_activated()
{
    frmExportTrackingData dialog(this);
    dialog.vExec(CW_OFFSET_TRACKING_DATA);
}

void frmMain::actSaveShapeData_activated()
{
    frmExportShapeData dialog(this);
    dialog.exec();
}

// The dialogs below are children of the main window while they run and go when closed.
void frmMain::actSaveLayerData_activated()
{
    std::unique_ptr<frmExportLayerData> dialog(new frmExportLayerData(this));
    dialog->vExec();
}

void frmMain::actSaveLensData_activated()
{
    std::unique_ptr<frmExportLensData> dialog(new frmExportLensData(this));
    dialog->exec();
}

void frmMain::actExportProjectData_activated()
{
    std::unique_ptr<frmExportSorrelData> dialog(new frmExportSorrelData(this));
    dialog->vExec(true);
}

void frmMain::sltFileSaveClip()
{
    vExportRendered(0);
}

void frmMain::sltExportRenderedShapes()
{
    vExportRendered(1);
}

void frmMain::vExportRendered(int mode)
{
    bCallReported(this, [this, mode] {
        CW_AutoLock lock(&g_mtxEngine, "sltFileSaveClip");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!bIsValidInstance(project))
            return;
        auto dialog = std::make_shared<RenderDialog>(this);
        dialog->exportRenderedClip(project, eGetClipIDToDisplay(project), mode);
    });
}

void frmMain::actImportLayers_activated()
{
    QString selectedFilter = pGetUserSettings()->value(kqstrLayerFileFilterKey, QStringLiteral("layer")).toString();
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Choose a file"), QString(),
        tr("Corvane layer files (*.layer)"), &selectedFilter, QFileDialog::DontResolveSymlinks);
    // Cancelled: nothing to read, nothing to report.
    if (path.isEmpty())
        return;
    pGetUserSettings()->setValue(kqstrLayerFileFilterKey, selectedFilter);

    bCallReported(this, [this, &path] {
        CW_AutoLock lock(&g_mtxEngine, "actImportLayers_activated");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!readLayerFile(project, path.toUtf8().constData()))
            vShowWarning(this, tr("No layers could be imported from %1.").arg(QDir::toNativeSeparators(path)));
    });
}
