#include "Startup.h"

#include "CWKCustomEvent.h"
#include "CWKStyle.h"
#include "CommandLine.h"
#include "EngineCallbacks.h"
#include "GUIApplication.h"
#include "MessageBoxes.h"
#include "ProductStrings.h"
#include "ProgramState.h"
#include "ResourceLoading.h"
#include "Settings.h"
#include "Vosk.h"
#include "brandor.h"
#include "frmSplash.h"
#include "clips/RenderDialog.h"
#include "mainwindow/frmMain.h"
#include "platform/TerminationSignals.h"
#include "preferences/ApplicationInfo.h"
#include "preferences/frmPreferences.h"
#include "preferences/frmSoftwareUpdate.h"
#include "velmor.h"

#include <QFileInfo>
#include <QSettings>
#include <QSplashScreen>
#include <QTimer>
#include <QTranslator>
#include <memory>

QString qstrProductFromExecutable(const QString& executablePath)
{
    return QFileInfo(executablePath).baseName();
}

int iRunApplication(int argc, char** argv)
{
    vCatchTerminationSignals();
    vSetProduct(qstrProductFromExecutable(QString::fromLocal8Bit(argc > 0 ? argv[0] : "plintra")));
    QCoreApplication::setOrganizationName(QStringLiteral("Corvane Works Ltd"));
    QCoreApplication::setApplicationName(qstrGetRegistryProductName(qstrGetProduct()));
    vCreateSettings();

    vBRD_InitialiseCallbacks(frmPreferences::bGetUseHardwareRendering());
    CW_CallbackStruct* callbacks = pstctBRD_GetCallbackStruct();
    vInitProgressCallbacks(callbacks);
    vInitMessageCallbacks(callbacks);

    QApplication::setDesktopSettingsAware(false);
    auto application = std::make_unique<GUIApplication>(argc, argv);
    g_pApplication = application.get();
    frmMain* mainWindow = application->pGetMainWindow();

    QMetaObject::Connection releaseAtQuit;
    if (callbacks->pResources)
        releaseAtQuit = QObject::connect(application.get(), &QCoreApplication::aboutToQuit,
                                         callbacks->pResources.get(), &BRD_SharedResources::destroyResources);

    auto splashImage = std::make_unique<QPixmap>(qpixGetResourcePixmap(qstrGetSplashFileName(qstrGetProduct())));
    g_pSplashScreen = new QSplashScreen(*splashImage);
    QTimer::singleShot(30000, g_pSplashScreen, &QWidget::close);
    g_pSplashScreen->show();

    vLoadApplicationFonts();

    // A style sheet given with the toolkit's own option wins.
    if (application->styleSheet().isEmpty()) {
        application->setStyleSheet(QString());
        vLoadStyleSheet(QStringLiteral("main.css"));
        vLoadStyleSheet(qstrGetProduct() + QStringLiteral(".css"));
    }

    std::vector<std::unique_ptr<QTranslator>> translators;
    for (const char* base : {"tolv_es", "gui_es", "velmor_es", "brandor_es"}) {
        auto translator = std::make_unique<QTranslator>();
        // The locale follows the base name with no separator: the files are named so
        // ("gui_esen_GB.qm"), and the toolkit falls back to "gui_esen.qm", then "gui.qm".
        (void)translator->load(QLatin1String(base) + QStringLiteral("en_GB"), qstrGetInstallPath(QStringLiteral("bin/lang")));
        QCoreApplication::installTranslator(translator.get());
        translators.push_back(std::move(translator));
    }

    if (!QCoreApplication::arguments().contains(QStringLiteral("--no-cwk-style"))) {
        g_pStyle = new CWKStyle;
        g_pStyle->setBrightness(float(frmPreferences::dGetUIBrightness()));
        QApplication::setStyle(g_pStyle);
    }

    mainWindow->sltConfigureGUI();
    mainWindow->sltUpdateGUI(1);
    mainWindow->vUpdateWindowTitle(nullptr, true);

    const CommandLine commandLine =
        stctParseCommandLine(QCoreApplication::arguments().mid(1), qstrGetFileExtension(qstrGetProduct()));
    if (commandLine.bFrameRateGiven)
        g_fCommandLineFrameRate = commandLine.fFrameRate;
    g_bCommandLineOverwrite = commandLine.bOverwriteOriginal;
    if (!commandLine.qstrOutputPath.isEmpty()) {
        g_exportClipInfo.setClipPath(commandLine.qstrOutputPath);
        g_exportClipInfo.setClipExtension(QStringLiteral(".tif"));
    }

    mainWindow->show();

    const QString autoRecoverFile = pGetUserSettings()->value(QStringLiteral("AutoRecoverFile")).toString();
    switch (eChooseStartupOpen(commandLine, autoRecoverFile)) {
    case StartupOpen::Project:
        vCloseSplashScreen(nullptr);
        mainWindow->sltFileOpenProject(commandLine.qstrProject);
        break;
    case StartupOpen::Clip:
        vCloseSplashScreen(nullptr);
        mainWindow->sltFileNewProject(commandLine.qstrClip);
        break;
    case StartupOpen::AutoRecover:
        vCloseSplashScreen(nullptr);
        mainWindow->sltAutoRecoverProject(autoRecoverFile);
        break;
    case StartupOpen::Nothing: {
        g_pSoftwareUpdate = new frmSoftwareUpdate(mainWindow);
        const bool autoUpdate = pGetUserSettings()->value(QStringLiteral("update/auto"), true).toBool();
        const bool firstRun = pGetUserSettings()->value(QStringLiteral("FirstRun"), true).toBool();
        if (firstRun) {
            if (autoUpdate)
                g_pSoftwareUpdate->vSendUpdateCheck();
            QCoreApplication::postEvent(mainWindow, new CWKCustomEvent(5002, 0));
        } else if (autoUpdate && frmSoftwareUpdate::bIsUpdateAvailable()) {
            QCoreApplication::postEvent(mainWindow, new CWKCustomEvent(5004, 0));
        } else {
            if (autoUpdate)
                g_pSoftwareUpdate->vSendUpdateCheck();
            vPostWelcomeEvent(application.get());
        }
        vCloseSplashScreen(mainWindow);
        break;
    }
    }

    // Closing the main window deletes it, and it stores its settings as it goes, before the
    // event loop ends and aboutToQuit comes: the I/O library lets go of its resources when
    // that last window closes, so that still comes first.
    if (BRD_SharedResources* resources = callbacks->pResources.get()) {
        QObject::connect(application.get(), &QGuiApplication::lastWindowClosed, resources, [resources, releaseAtQuit] {
            // Once only.
            if (QObject::disconnect(releaseAtQuit))
                resources->destroyResources();
        });
    }
    QObject::connect(application.get(), &QCoreApplication::aboutToQuit, mainWindow, &frmMain::sltStoreSettings);
    QApplication::setQuitOnLastWindowClosed(true);
    vQuitOnTerminationSignals(application.get());
    const int result = QApplication::exec();

    pGetUserSettings()->setValue(QStringLiteral("LastRunBuildNumber"), pGetApplicationInfo()->uiBuildNumber);
    vDeleteSettings();
    translators.clear();
    splashImage.reset();
    g_pStyle = nullptr;
    g_pSoftwareUpdate = nullptr;
    application.reset();
    g_pApplication = nullptr;
    return result;
}
