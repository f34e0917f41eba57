#include "frmMain.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/ChoiceTables.h"
#include "app/EngineCallbacks.h"
#include "app/MessageBoxes.h"
#include "app/ProductStrings.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/frmSplash.h"
#include "brandor.h"
#include "velmor.h"
#include "viewer/frmMainGLWidget.h"

#include "app/ResourceLoading.h"
#include "app/Settings.h"
#include <QSettings>
#include "frmProjectNotes.h"
#include "widgets/CWKRecentFilesMenu.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>

frmMain::frmMain(QWidget* parent, Qt::WindowFlags flags) : QMainWindow(parent, flags)
{
    setupUi(this);
    init();
}

frmMain::~frmMain()
{
    if (m_bConfigured)
        sltStoreRestoreSettings(true);
    // From here on nothing reaches this window: events still queued are dropped, which lets
    // their waiting posters go, so no handler runs on a half-destroyed window.
    if (g_pMainWindow == this)
        vSetMainWindow(nullptr);
    QCoreApplication::removePostedEvents(this);
    // The focus moves while the widget base tears the children down; by then this is no
    // longer a frmMain, so its focus handler must not be reached.
    disconnect(qApp, &QApplication::focusChanged, this, &frmMain::onFocusedWidgetChanged);
    vEndAllWorkers();
    sltDeletePreviewImages();
    // The children below go with the window; nobody may reach them afterwards.
    if (g_pProjectNotes && g_pProjectNotes->parent() == this)
        g_pProjectNotes = nullptr;
    if (g_pPreferences && g_pPreferences == m_pPreferences)
        g_pPreferences = nullptr;
    if (g_pParametersFrame && m_pParametersDock && g_pParametersFrame->parent() == m_pParametersDock)
        g_pParametersFrame = nullptr;
    if (pstctBRD_GetCallbackStruct()->pMainWindow == this)
        pstctBRD_GetCallbackStruct()->pMainWindow = nullptr;
}

void frmMain::init()
{
    m_pFullScreenTitleAction = nullptr;
    m_pStatusBar = nullptr;
    setWindowIcon(QIcon(qpixGetResourcePixmap(qstrGetProduct() + QStringLiteral("Icon.png"))));

    m_pStatusToolBar = new QToolBar(QStringLiteral("Status"), this);
    m_pStatusToolBar->setObjectName(QStringLiteral("Status"));
    m_pStatusToolBar->addWidget(pGetStatusBar());
    addToolBar(Qt::TopToolBarArea, m_pStatusToolBar);

    auto* progressLabel = new QLabel(pGetStatusBar());
    auto* progressBar = new QProgressBar(pGetStatusBar());
    progressBar->setValue(0);
    progressBar->setMinimumSize(200, progressBar->sizeHint().height());
    progressBar->setSizePolicy(QSizePolicy::Fixed, progressBar->sizePolicy().verticalPolicy());
    pGetStatusBar()->addPermanentWidget(progressLabel, 0);
    pGetStatusBar()->addPermanentWidget(progressBar, 0);
    m_pStatusLabel = progressLabel;
    vRegisterProgressDisplay(progressLabel, progressBar);
    vHideStatusMessage();

    m_pRecentFilesMenu = new CWKRecentFilesMenu(tr("Recent &Files..."), MenuFile);
    MenuFile->insertMenu(actFileRecentFiles, m_pRecentFilesMenu);
    MenuFile->removeAction(actFileRecentFiles);

    // A second main window shares the one notes dock.
    if (!g_pProjectNotes) {
        g_pProjectNotes = new frmProjectNotes(this, {});
        g_pProjectNotes->setObjectName(QStringLiteral("spfrmProjectNotes"));
        g_pProjectNotes->hide();
        addDockWidget(Qt::TopDockWidgetArea, g_pProjectNotes);
    }

    vSetMainWindow(this);
    connect(actFileExit, &QAction::triggered, this, &QWidget::close);

    CW_CallbackStruct* callbacks = pstctBRD_GetCallbackStruct();
    vInitMessageCallbacks(callbacks);
    vInitEventCallbacks(callbacks);
    vInitDisplayCallbacks(callbacks);
    vInitCommandCallback(callbacks);
    vInitProgressCallbacks(callbacks);

    g_pWelcomeDialog = new frmSplash(this, Qt::SplashScreen);
}

void frmMain::vUpdateWindowTitle(CW_Instance project, bool force)
{
    const bool valid = bIsValidInstance(project);
    QString title = qstrGetApplicationTitle(valid ? false : force);
    if (valid) {
        title += QStringLiteral(" - ") + (bProjectFileExists(project) ? m_qstrProjectPath : tr("New Project"));
        if (bProjectHasChanged(project))
            title += QStringLiteral(" *");
    }
    setWindowTitle(title);
    if (m_pFullScreenTitleAction) {
        m_pFullScreenTitleAction->setText(title);
        m_pFullScreenTitleAction->setVisible(pGetUserSettings()->value(QStringLiteral("FullScreen"), false).toBool());
    }
}

void frmMain::closeEvent(QCloseEvent* e)
{
    vStopExecutingThreaded(true);
    // Quitting closes the project the way File / Close does; Cancel keeps the window.
    if (bIsValidInstance(ProjectManagerInstance::instance()->getInstance()) && !sltFileCloseProject()) {
        e->ignore();
        return;
    }
    e->accept();
}
