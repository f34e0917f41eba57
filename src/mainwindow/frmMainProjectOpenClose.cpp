// frmMain: opening and closing projects.
#include "frmMain.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectCloseDown.h"
#include "app/ProjectManagerInstance.h"
#include "app/ProjectOpener.h"
#include "app/Settings.h"
#include "frmCloseProject.h"
#include "velmor.h"

#include <QSettings>

void frmMain::vOpenWithNewOpener(const QString& path)
{
    vWaitForExecutingThreadedToFinish(false);
    m_pOpener = std::make_shared<ProjectOpener>();
    std::shared_ptr<ProjectOpener> opener = m_pOpener;
    bCallReported(this, [&] { opener->chooseAndOpenProject(path); });
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
    bool closed = true;
    bCallReported(this, [&] {
        CW_AutoLock(&g_mtxEngine, "sltFileCloseProject");
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (bIsValidInstance(project)) {
            const bool ask = bProjectHasChanged(project) || pglGetClipList(project).size() > 1;
            if (iGetWidgetsState() == 3)
                vStopExecutingThreaded(true);
            stctGetCloseProjectChoices() = CloseProjectChoices();
            if (ask) {
                frmCloseProject dialog(this);
                dialog.vInitSelectClips();
                if (dialog.exec() != QDialog::Accepted) {
                    closed = false;
                    return;
                }
            }
            if (!bDestroyProject(true)) {
                closed = false;
                return;
            }
            pGetUserSettings()->remove(QStringLiteral("AutoRecoverFile"));
            vOfferTransferFolderDeletion(QString());
        }
    });
    CW_AutoLock(&g_mtxEngine, "sltFileCloseProject");
    vUpdateWindowTitle(ProjectManagerInstance::instance()->getInstance(), false);
    if (!bIsValidInstance(ProjectManagerInstance::instance()->getInstance()))
        sltUpdateGUI(1);
    return closed;
}

bool frmMain::bHandleProjectOpenedEvent(bool projectValid)
{
    // The full preparation of the panels after an open comes with the project life cycle;
    // here the window leaves the no-project state and names the project.
    CW_AutoLock(&g_mtxEngine, "customEvent20");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!projectValid || !bIsValidInstance(project))
        return true;
    sltUpdateGUI(2);
    vUpdateWindowTitle(project, false);
    return true;
}
