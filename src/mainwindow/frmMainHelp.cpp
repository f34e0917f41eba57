// frmMain: the Help menu (documents, web pages, the log, the welcome dialog and the about
// box) and the preferences.
#include "frmMain.h"

#include "Vosk.h"
#include "app/ExternalPrograms.h"
#include "app/LogMessage.h"
#include "app/MessageBoxes.h"
#include "app/ProductStrings.h"
#include "app/ProgramState.h"
#include "app/Settings.h"
#include "app/frmSplash.h"
#include "preferences/frmPreferences.h"
#include "velmor.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QTextStream>

namespace {

// The log file as stored: an edit cancelled in the preferences is not it.
QString qstrHelpLogFilePath()
{
    return frmPreferences::qstrGetErrorLogFile();
}

// A reader handed a missing file fails where the user cannot see why.
void vHelpOpenInstalledDocument(const QString& relativePath)
{
    const QString path = qstrGetInstallPath(relativePath);
    if (!QFileInfo(path).isFile()) {
        vShowWarning(nullptr, QStringLiteral("The document %1 is not installed.").arg(QDir::toNativeSeparators(path)));
        return;
    }
    vOpenInPdfReader(QDir::toNativeSeparators(path));
}

} // namespace

void frmMain::actHelp_activated()
{
    bCallReported(this, [] { vOpenInWebBrowser(qstrGetDocumentationUrl()); });
}

void frmMain::actOfflineHelp_activated()
{
    bCallReported(this, [] { vHelpOpenInstalledDocument(qstrGetQuickStartGuidePath(qstrGetProduct())); });
}

void frmMain::actReleaseNotes_activated()
{
    bCallReported(this, [] { vHelpOpenInstalledDocument(qstrGetReleaseNotesPath(qstrGetProduct())); });
}

void frmMain::actGotoProductWebsite_activated()
{
    bCallReported(this, [] { vOpenInWebBrowser(qstrGetProductWebsiteUrl()); });
}

void frmMain::actLaunchForums_activated()
{
    bCallReported(this, [] { vOpenInWebBrowser(qstrGetForumsUrl()); });
}

void frmMain::actLaunchTutorials_activated()
{
    bCallReported(this, [] { vOpenInWebBrowser(qstrGetTutorialsUrl()); });
}

void frmMain::actViewLog_activated()
{
    bCallReported(this, [] { vOpenInWebBrowser(QStringLiteral("file:") + qstrHelpLogFilePath()); });
}

void frmMain::showWelcomeScreen_activated()
{
    if (g_pWelcomeDialog)
        g_pWelcomeDialog->exec();
}

void frmMain::actAbout_activated()
{
    QString text;
    QTextStream stream(&text);
    stream << "Version " << qstrGetProductVersion(qstrGetProduct()) << "\n"
           << "Build Date " << __DATE__ << "\n\n"
           << "Copyright Corvane Works Ltd. All rights reserved. www.corvaneworks.com"
           << "\n\n"
           << "Acknowledgements\n"
           << "Image files are read and written with the image support of the Qt toolkit.";
    stream.flush();
    QMessageBox::about(this, qstrGetApplicationTitle(), text);
}

void frmMain::sltViewPreferences()
{
    if (m_pPreferences) {
        m_pPreferences->exec();
        return;
    }
    vLogMessage(QStringLiteral("Preferences dialog not available - should have been initialised upon form create as "
                               "other forms take their values from this form when a new project is started"));
}

void frmMain::sltHelpBarChanged(QWidget* helpBar)
{
    if (helpBar)
        helpBar->move(2, 2);
}
