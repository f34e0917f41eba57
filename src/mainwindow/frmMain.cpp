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

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

frmMain::frmMain(QWidget* parent, Qt::WindowFlags flags) : QMainWindow(parent, flags)
{
    setupUi(this);
    init();
}

frmMain::~frmMain()
{
    // From here on nothing reaches this window: events still queued are dropped, which lets
    // their waiting posters go, so no handler runs on a half-destroyed window.
    if (g_pMainWindow == this)
        vSetMainWindow(nullptr);
    QCoreApplication::removePostedEvents(this);
    vEndAllWorkers();
    if (pstctBRD_GetCallbackStruct()->pMainWindow == this)
        pstctBRD_GetCallbackStruct()->pMainWindow = nullptr;
}

void frmMain::init()
{
    connect(actFileExit, &QAction::triggered, this, &QWidget::close);
    g_pWelcomeDialog = new frmSplash(this, Qt::SplashScreen);
    vSetMainWindow(this);

    auto* progressLabel = new QLabel(statusBar());
    auto* progressBar = new QProgressBar(statusBar());
    progressBar->setValue(0);
    progressBar->setMinimumSize(200, progressBar->sizeHint().height());
    progressBar->setSizePolicy(QSizePolicy::Fixed, progressBar->sizePolicy().verticalPolicy());
    statusBar()->addPermanentWidget(progressLabel, 0);
    statusBar()->addPermanentWidget(progressBar, 0);
    progressLabel->hide();
    vRegisterProgressDisplay(progressLabel, progressBar);

    CW_CallbackStruct* callbacks = pstctBRD_GetCallbackStruct();
    vInitMessageCallbacks(callbacks);
    vInitEventCallbacks(callbacks);
    vInitDisplayCallbacks(callbacks);
    vInitCommandCallback(callbacks);
    vInitProgressCallbacks(callbacks);
}

void frmMain::sltConfigureGUI()
{
    vInitChoiceTables();

    auto* renderLayout = new QVBoxLayout(fmeRenderArea);
    renderLayout->setContentsMargins(0, 0, 0, 0);
    renderLayout->setSpacing(3);
    m_pGLWidget = new frmMainGLWidget(fmeRenderArea, this);
    renderLayout->addWidget(m_pGLWidget);
}

void frmMain::sltSetWidgetsState(int state)
{
    m_iWidgetsState = state;
}

void frmMain::sltUpdateGUI(int state)
{
    if (state != 5)
        m_iWidgetsState = state;
}

void frmMain::vUpdateWindowTitle(CW_Instance, bool force)
{
    setWindowTitle(qstrGetApplicationTitle(force));
}

void frmMain::sltFileNewProject(const QString& clipPath)
{
    vShowInformation(this,
                     tr("No project can be made from %1: this version does not create projects yet.").arg(clipPath));
}

void frmMain::sltAutoRecoverProject(const QString& path)
{
    vShowInformation(this, tr("The project %1 cannot be recovered: this version does not open projects yet.").arg(path));
}

void frmMain::sltStoreSettings()
{
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
