#include "ProjectCloseDown.h"

#include "CWKGUIThreadedProcess.h"
#include "MessageBoxes.h"
#include "OutputFolders.h"
#include "ProgramState.h"
#include "ProjectManagerInstance.h"
#include "Settings.h"
#include "mainwindow/frmCloseProject.h"
#include "mainwindow/frmMain.h"
#include "velmor.h"
#include "widgets/CWKControlForm.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTabWidget>

namespace {

// Asks about each folder; a folder leaves the list only when it is really gone.
void vCdOfferFolderDeletion(QStringList& folders, const char* question, const QString& keepFolder)
{
    for (int index = 0; index < folders.size();) {
        const QString folder = folders.at(index);
        if (!keepFolder.isNull() && QDir(folder) == QDir(keepFolder)) {
            ++index;
            continue;
        }
        const auto answer
            = eAskQuestion(g_pMainWindow, QCoreApplication::translate("ProjectCloseDown", question).arg(folder),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer == QMessageBox::Yes && bRemoveDirectoryTree(QDir(folder)))
            folders.removeAt(index);
        else
            ++index;
    }
}

} // namespace

CloseProjectChoices& stctGetCloseProjectChoices()
{
    static CloseProjectChoices s_choices;
    return s_choices;
}

bool vCheckAutoRecoverClipFolder(bool destroy, const QString& keepFolder)
{
    CW_AutoLock(&g_mtxEngine, "OpenProject");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!bIsValidInstance(project))
        return true;
    if (!destroy && !bProjectHasChanged(project))
        return true;

    stctGetCloseProjectChoices() = CloseProjectChoices();
    {
        frmCloseProject dialog(g_pMainWindow);
        dialog.vInitSelectClips();
        if (dialog.exec() != QDialog::Accepted)
            return false;
    }
    vWaitForExecutingThreadedToFinish(false);
    if (!destroy) {
        stctGetCloseProjectChoices() = CloseProjectChoices();
        return true;
    }
    if (!bDestroyProject(true))
        return false;

    pGetUserSettings()->remove(QStringLiteral("AutoRecoverFile"));
    pGetUserSettings()->sync();
    vOfferTransferFolderDeletion(keepFolder);

    CW_AutoLock(&g_mtxEngine, "OpenProject");
    ProjectManagerInstance::instance()->setInstance(nullptr);
    if (g_pMainWindow) {
        g_pMainWindow->sltUpdateGUI(1);
        g_pMainWindow->vUpdateWindowTitle(nullptr, false);
    }
    return true;
}

void vOfferTransferFolderDeletion(const QString& keepFolder)
{
    vCdOfferFolderDeletion(qslGetSentClipFolders(),
        QT_TRANSLATE_NOOP("ProjectCloseDown",
            "A clip was temporarily stored in the folder \n%1\nfor transfer to a "
            "remote system.\n\nWould you like to delete this clip now?"),
        QString());
    vCdOfferFolderDeletion(qslGetReceivedClipFolders(),
        QT_TRANSLATE_NOOP("ProjectCloseDown",
            "A clip was temporarily stored in the folder\n%1\nwhen transfered from a "
            "remote system.\n\nWould you like to delete this clip now?"),
        keepFolder);
}

bool bDestroyProject(bool waitFlag)
{
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    // The choices are used once; whoever closes without the dialog keeps everything.
    const CloseProjectChoices choices = stctGetCloseProjectChoices();
    stctGetCloseProjectChoices() = CloseProjectChoices();
    // A save chosen in the close dialog that cannot be written is shown, and the project,
    // still changed, stays open: closing it would lose the work.
    bool cleanedUp = false;
    if (!bCallReported(g_pMainWindow, [&] {
            cleanedUp = bCleanUpOnProjectClose(project, choices.bRecorded ? choices.iSave : 0,
                choices.bRecorded ? choices.bRetain : true,
                choices.bRecorded ? choices.vecClips : std::vector<CW_CLIP_ID>());
        }))
        return false;
    if (!cleanedUp)
        return false;
    bWaitWhileExecutingThreaded(waitFlag);

    if (QTabWidget* tabs = g_pMainWindow ? g_pMainWindow->pGetModuleTabWidget() : nullptr) {
        for (int index = 0; index < tabs->count(); ++index) {
            if (auto* page = qobject_cast<CWKControlForm*>(tabs->widget(index)))
                page->vReleaseProject();
        }
    }

    CW_AutoLock(&g_mtxEngine, "DestroyProject");
    vCloseProject(project);
    ProjectManagerInstance::instance()->setInstance(nullptr);
    return true;
}
