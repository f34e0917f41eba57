// frmMain: opening and closing projects.
#include "frmMain.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectCloseDown.h"
#include "app/ProjectManagerInstance.h"
#include "app/ProjectOpener.h"
#include "app/ClipProbe.h"
#include "widgets/CWKRecentFilesMenu.h"
#include "app/Settings.h"
#include "frmCloseProject.h"
#include "velmor.h"

#include <QMessageBox>
#include <QSettings>

void frmMain::vOpenWithNewOpener(const QString& path)
{
    vSuspendAutoSave();
    vWaitForExecutingThreadedToFinish(false);
    m_pOpener = std::make_shared<ProjectOpener>();
    std::shared_ptr<ProjectOpener> opener = m_pOpener;
    bool opened = false;
    bCallReported(this, [&] { opened = opener->chooseAndOpenProject(path); });
    // An open that posts its event re-arms auto-save there; any other way out does it here.
    if (!opened || !bIsValidInstance(ProjectManagerInstance::instance()->getInstance()))
        vRestoreAutoSave();
}

void frmMain::sltFileOpenProject()
{
    vOpenWithNewOpener(QString());
}

void frmMain::sltFileOpenProject(const QString& path)
{
    sltFileOpenProject(path, QString());
}

void frmMain::sltFileOpenProject(const QString& path, const QString&)
{
    if (pGetUserSettings()->value(QStringLiteral("FirstRun"), true).toBool())
        sltFirstRun();
    // A null path would ask for the file; a named open never does.
    vOpenWithNewOpener(path.isNull() ? QString(QLatin1String("")) : path);
}

bool frmMain::sltFileCloseProject()
{
    // Closed only once the project is gone, or there was none: a failure anywhere on the way
    // (a save that cannot be written among them) keeps it open.
    bool closed = false;
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "sltFileCloseProject");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (bIsValidInstance(project)) {
            // The built-in resource clips every project holds are no reason to ask.
            int userClips = 0;
            for (CW_CLIP_ID clip : pglGetClipList(project)) {
                const CW_ClipInfo* info = pcstctGetClipInfo(project, clip);
                if (info && info->qstrFolder != QLatin1String(kszResourceClipFolder))
                    ++userClips;
            }
            const bool ask = bProjectHasChanged(project) || userClips > 1;
            if (iGetWidgetsState() == 3)
                vStopExecutingThreaded(true);
            vSuspendAutoSave();
            stctGetCloseProjectChoices() = CloseProjectChoices();
            if (ask) {
                frmCloseProject dialog(this);
                dialog.vInitSelectClips();
                if (dialog.exec() != QDialog::Accepted)
                    return;
            }
            // A save under way finishes before the project goes.
            bWaitWhileExecutingThreaded(true);
            if (!bDestroyProject(true))
                return;
            m_qstrProjectPath.clear();
            pGetUserSettings()->remove(QStringLiteral("AutoRecoverFile"));
            pGetUserSettings()->sync();
            vOfferTransferFolderDeletion(QString());
        }
        closed = true;
    });
    // The project stays (cancelled, refused) or is gone: either way auto-save is armed again.
    vRestoreAutoSave();
    CW_AutoLock(&g_mtxEngine, "sltFileCloseProject");
    vUpdateWindowTitle(ProjectManagerInstance::instance()->getInstance(), false);
    if (!bIsValidInstance(ProjectManagerInstance::instance()->getInstance())) {
        vHideStatusMessage();
        sltUpdateGUI(1);
        sltUpdateGL();
    }
    return closed;
}

bool frmMain::bHandleProjectOpenedEvent(bool projectValid)
{
    {
        CW_AutoLock(&g_mtxEngine, "customEvent20");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!projectValid || !bIsValidInstance(project))
            return true;
        m_qstrProjectPath = qstrGetProjectName(project);
        const QString original = qstrStripAutoSaveSuffix(m_qstrProjectPath);
        if (original != m_qstrProjectPath) {
            // A recovered auto-save: the next save goes back to the project it came from.
            vSetProjectFileName(project, original);
            const auto answer = QMessageBox::question(this,
                tr("Autosave project -- ") + qstrGetProductName(qstrGetProduct()),
                tr("You have recovered an autosaved project. Next time you save this project it will overwrite the "
                   "original project file:\n\n")
                    + original + QStringLiteral("\n\n") + tr("Would you like to save the project immediately with a new name?"),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
            m_qstrProjectPath = original;
            // What was recovered is not yet in the project file.
            vSetProjectHasChanged(project, true);
            if (answer == QMessageBox::Yes)
                sltFileSaveProjectAs();
        }
        QString recent = m_qstrProjectPath;
        m_pRecentFilesMenu->sltAddFile(recent);
    }
    vPostProjectOpenOrCreate(true);
    return true;
}
