// frmMain: first-run advice, the welcome dialog and a pending software update (5001 to 5004).
#include "frmMain.h"

#include "Vosk.h"
#include "app/CWKCustomEvent.h"
#include "app/MessageBoxes.h"
#include "app/ProductStrings.h"
#include "app/ProgramState.h"
#include "app/Settings.h"
#include "app/frmSplash.h"
#include "preferences/frmPreferences.h"
#include "preferences/frmSoftwareUpdate.h"
#include "velmor.h"

#include <QSettings>

namespace {

// A dialog already running modally (the user opened it from the menu) is not run again.
void vExecWelcomeDialogOnce(QDialog* dialog)
{
    if (dialog && !dialog->isVisible())
        dialog->exec();
}

} // namespace

bool frmMain::bHandleWelcomeEvent(CWKCustomEvent* e)
{
    switch (e->iGetCode()) {
    case 5001:
        sltFirstRun();
        return true;
    case 5002:
        sltFirstRun();
        vExecWelcomeDialogOnce(g_pWelcomeDialog);
        return true;
    case 5003:
        vExecWelcomeDialogOnce(g_pWelcomeDialog);
        return true;
    case 5004:
        vExecWelcomeDialogOnce(g_pSoftwareUpdate);
        return true;
    default:
        return false;
    }
}

void frmMain::sltFirstRun()
{
    pGetUserSettings()->setValue(QStringLiteral("FirstRun"), false);
    const QString product = qstrGetProductDisplayName();
    const QString advice =
        tr("It appears that this is the first time %1 has been run on this machine.\n"
           "For best performance we advise you to configure %1 before proceeding. \n\n"
           "If you choose not to do it now you will be able to do so later by choosing File | Preferences...\n\n"
           "Would you like to configure %1 now?")
            .arg(product);
    vCloseSplashScreen(nullptr);
    const auto answer =
        QMessageBox::information(this, product, advice, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) {
        if (auto* preferences = findChild<frmPreferences*>()) {
            preferences->exec();
        } else {
            frmPreferences transientPreferences(this);
            transientPreferences.exec();
        }
    }
    if (g_pWelcomeDialog)
        g_pWelcomeDialog->chkbxShowNextTime->setChecked(true);
}
