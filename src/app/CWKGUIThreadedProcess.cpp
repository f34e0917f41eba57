#include "CWKGUIThreadedProcess.h"

#include "CWKCustomEvent.h"
#include "MessageBoxes.h"
#include "ProgramState.h"
#include "ProjectManagerInstance.h"
#include "Settings.h"
#include "mainwindow/frmMain.h"
#include "velmor.h"
#include "viewer/frmMainGLWidget.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QSemaphore>
#include <QSettings>
#include <QStatusBar>

namespace {

QMutex g_mtxRunner;
QMutex g_mtxStop;
QMutex g_mtxProgress;

CWKGUIThreadedProcess* g_pForegroundWorker = nullptr;
CWKGUIThreadedProcess* g_pBackgroundWorker = nullptr;
bool g_bStopRequested = false;
QString g_qstrProgressText;
int g_iProgressValue = 0;
QPointer<QLabel> g_plblProgress;
QPointer<QProgressBar> g_pProgressBar;
unsigned int g_uiWorkerStackSize = 0;

const QString& qstrRunnerStopping()
{
    static const QString s_text = QStringLiteral("Stopping process...");
    return s_text;
}

bool bRunnerPost(QEvent* event)
{
    return bPostToMainWindow(event);
}

// Foreground runs are numbered so that a run-ended event still queued from one run cannot
// end the next. User-interface thread only.
quintptr g_uiForegroundRunNumber = 0;

// Handles events until the thread has ended: a worker may be waiting for the main window
// to handle one of its events, so a plain wait could never return.
void vRunnerWaitHandlingEvents(QThread* worker)
{
    QPointer<QThread> guarded(worker);
    QEventLoop loop;
    QObject::connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    QObject::connect(worker, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (worker->isRunning())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (guarded)
        guarded->wait();
}

void vRunnerSetWidgetsState(int state)
{
    if (g_pMainWindow)
        g_pMainWindow->sltUpdateGUI(state);
}

} // namespace

CWKGUIThreadedProcess::CWKGUIThreadedProcess(bool bLockEngine, bool bBackupBuffers, CW_StepFunction pFunc,
                                             int iFrameEvent, CW_StepFunction pFirstFunc, QEvent* pFirstEvent,
                                             unsigned int uiFrames, CW_PostFunction pPostFunc, QEvent* pEndEvent,
                                             bool bBackground, bool bShowFailure, unsigned int uiStep,
                                             bool bPostRunEnded)
    : m_bLockEngine(bLockEngine), m_bBackupBuffers(bBackupBuffers), m_pFunc(pFunc), m_pFirstFunc(pFirstFunc),
      m_iFrameEvent(iFrameEvent), m_uiFrames(uiFrames), m_pFirstEvent(pFirstEvent), m_pPostFunc(pPostFunc),
      m_pEndEvent(pEndEvent), m_bBackground(bBackground), m_bShowFailure(bShowFailure), m_uiStep(uiStep),
      m_bPostRunEnded(bPostRunEnded),
      m_bSaveImagesAfterSingleFrames(
          !pGetUserSettings() ||
          pGetUserSettings()->value(QStringLiteral("SaveImagesAfterRenderingSingleFrames"), true).toBool())
{
}

CWKGUIThreadedProcess::~CWKGUIThreadedProcess()
{
    delete m_pFirstEvent;
    delete m_pEndEvent;
    qDeleteAll(m_vecFinalEvents);
}

void CWKGUIThreadedProcess::vQueueFinalEvent(QEvent*& pEvent)
{
    if (pEvent)
        m_vecFinalEvents.push_back(pEvent);
    pEvent = nullptr;
}

void CWKGUIThreadedProcess::vPostOwnedEvent(QEvent*& pEvent)
{
    if (!pEvent)
        return;
    QEvent* event = pEvent;
    pEvent = nullptr;
    bRunnerPost(event);
}

void CWKGUIThreadedProcess::vPostFrameEventAndWait(int iCode)
{
    QSemaphore semaphore(1);
    semaphore.acquire();
    // Dropped or handled, the event lets this thread go.
    bRunnerPost(CWKCustomEvent::pWithWaiter(iCode, &semaphore));
    semaphore.acquire();
}

void CWKGUIThreadedProcess::vQueueRunEnded()
{
    if (!m_bBackground && m_bPostRunEnded) {
        QEvent* event = new CWKCustomEvent(2006, m_uiRunNumber);
        vQueueFinalEvent(event);
    }
}

void CWKGUIThreadedProcess::vPostFinalEvents()
{
    // Whoever reacts to these (a save after its completion event, a run chained from the
    // end event) must find this worker done with its work.
    std::vector<QEvent*> events;
    events.swap(m_vecFinalEvents);
    m_bEverythingPosted = true;
    for (QEvent* event : events)
        bRunnerPost(event);
}

void CWKGUIThreadedProcess::run()
{
    try {
        if (m_bBackground)
            vRunBackground();
        else
            vRunForeground();
    } catch (...) {
        qDeleteAll(m_vecFinalEvents);
        m_vecFinalEvents.clear();
        m_vecFinalEvents.push_back(CWKCustomEvent::pWithOwned(
            kiWorkerFailedEvent, std::make_unique<QString>(qstrCurrentExceptionMessage())));
        vQueueRunEnded();
    }
    vPostFinalEvents();
}

void CWKGUIThreadedProcess::vRunBackground()
{
    CW_AutoLock(&g_mtxEngine, "CWKGUIThreadedProcess::run");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (bIsValidInstance(project) && m_pFirstFunc)
        m_pFirstFunc(project);
    vQueueFinalEvent(m_pFirstEvent);
}

void CWKGUIThreadedProcess::vRunForeground()
{
    CW_AutoLock(&g_mtxEngine, "CWKGUIThreadedProcess::run");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    bool ready = bIsValidInstance(project);

    if (ready && (m_uiFrames > 1 || m_bSaveImagesAfterSingleFrames)) {
        CW_AutoLock(&g_mtxEngine, "CWKGUIThreadedProcess::run");
        const bool backedUp = !m_bBackupBuffers || bBackupBuffers(project, true, true);
        const bool freed = bFreeTemporaryMemoryBuffers(project);
        ready = backedUp && freed;
    }

    if (ready) {
        unsigned int i = 0;
        while (i < m_uiFrames && !bIsStopRequested()) {
            if (i == 0 && m_uiFrames != 1 && m_pFirstFunc) {
                if (m_bLockEngine)
                    CW_AutoLock(&g_mtxEngine, "m_pFirstFunc");
                if (!m_pFirstFunc(project))
                    break;
                vPostOwnedEvent(m_pFirstEvent);
                bRunnerPost(new CWKCustomEvent(2005));
                i = 1;
            }
            if (bIsStopRequested())
                break;

            const bool last = i == m_uiFrames - 1;
            if (m_uiStep > 1 && (i + 1) % m_uiStep != 0 && !last) {
                ++i;
                continue;
            }

            if (m_pFunc) {
                if (m_bLockEngine)
                    CW_AutoLock(&g_mtxEngine, "m_pFunc");
                if (!m_pFunc(project))
                    break;
            }

            int code = m_iFrameEvent;
            if (bIsStopRequested()) {
                ++i;
                continue;
            }
            if (code == 2001 || code == 2002) {
                CW_AutoLock(&g_mtxEngine, code == 2001 ? "NextFrame" : "PrevFrame");
                const long long frame = uiGetFrameNumber(project);
                long long move = m_uiStep;
                if (m_uiStep <= 1)
                    move = 1;
                else if (last)
                    move = (m_uiFrames - 1) % m_uiStep + 1;
                const long long target = code == 2001 ? frame + move : frame - move;
                // Before the first frame there is nothing to make current; the frame event
                // then goes out unchanged.
                if (target >= 0 && bMakeFrameCurrent(project, static_cast<unsigned int>(target)))
                    code = 2010;
            }

            if (m_uiFrames == 1) {
                vPostOwnedEvent(m_pFirstEvent);
                if (m_bBackupBuffers && m_bSaveImagesAfterSingleFrames) {
                    CW_AutoLock(&g_mtxEngine, "bBackupBuffers");
                    if (!bBackupBuffers(project, true, true))
                        break;
                }
            } else {
                if (m_bBackupBuffers) {
                    CW_AutoLock(&g_mtxEngine, "bBackupBuffers");
                    if (!bBackupBuffers(project, true, true))
                        break;
                }
                vPostFrameEventAndWait(code);
            }
            ++i;
        }

        if (m_pPostFunc) {
            if (m_bLockEngine)
                CW_AutoLock(&g_mtxEngine, "m_pPostFunc");
            m_pPostFunc(project);
        }
        vQueueFinalEvent(m_pEndEvent);
    }
    vQueueRunEnded();
}

bool bExecuteThreaded(bool bLockEngine, bool bBackupBuffers, CW_StepFunction pFunc, int iFrameEvent,
                      CW_StepFunction pFirstFunc, QEvent* pFirstEvent, unsigned int uiFrames, CW_PostFunction pPostFunc,
                      QEvent* pEndEvent, bool bBackground, bool bShowFailure, unsigned int uiStep, bool bPostRunEnded)
{
    CW_AutoLock(&g_mtxRunner, "bExecuteThreaded");
    CWKGUIThreadedProcess*& slot = bBackground ? g_pBackgroundWorker : g_pForegroundWorker;
    if (slot && slot->isRunning()) {
        // A worker that has posted its last event is only returning; anything else is
        // still working (or waiting for the main window) and must not be deleted.
        if (!slot->bHasPostedEverything()) {
            delete pFirstEvent;
            delete pEndEvent;
            return false;
        }
        slot->wait();
    }
    delete slot;
    slot = new CWKGUIThreadedProcess(bLockEngine, bBackupBuffers, pFunc, iFrameEvent, pFirstFunc, pFirstEvent,
                                     uiFrames, pPostFunc, pEndEvent, bBackground, bShowFailure, uiStep,
                                     bPostRunEnded);
    if (g_uiWorkerStackSize != 0)
        slot->setStackSize(g_uiWorkerStackSize);

    if (!bBackground) {
        slot->m_uiRunNumber = ++g_uiForegroundRunNumber;
        vSetStopRequested(false);
        vRunnerSetWidgetsState(3);
    }
    slot->start(QThread::InheritPriority);
    if (slot->isRunning() || slot->isFinished())
        return true;

    // A worker that never started would count as running for good.
    delete slot;
    slot = nullptr;
    if (!bBackground)
        vRunnerSetWidgetsState(2);
    if (bShowFailure) {
        vCloseSplashScreen(nullptr);
        QMessageBox::information(g_pMainWindow, QStringLiteral("Error"),
                                 QStringLiteral("Threaded execution failed. Please either restart this application "
                                                "or\nterminate other applications to free up threading resources."),
                                 QMessageBox::Ok);
    }
    return false;
}

bool bIsExecutingThreaded()
{
    CW_AutoLock(&g_mtxRunner, "bIsExecutingThreaded");
    return g_pForegroundWorker && g_pForegroundWorker->isRunning();
}

void vWaitForExecutingThreadedToFinish(bool bQuiet)
{
    CW_AutoLock(&g_mtxRunner, "vWaitForExecutingThreadedToFinish1");
    // A run chained from the end event of the one waited for is waited for as well.
    while (CWKGUIThreadedProcess* worker = g_pForegroundWorker) {
        if (worker->isRunning()) {
            QStatusBar* statusBar = g_pMainWindow && !bQuiet ? g_pMainWindow->pGetStatusBar() : nullptr;
            if (statusBar)
                statusBar->showMessage(QStringLiteral("Waiting for previous process to finish..."));
            QPointer<CWKGUIThreadedProcess> guarded(worker);
            vRunnerWaitHandlingEvents(worker);
            if (statusBar)
                statusBar->clearMessage();
            // An event handled meanwhile may have waited for the same worker and deleted it.
            if (!guarded || g_pForegroundWorker != worker)
                continue;
        }
        CW_AutoLock(&g_mtxRunner, "vWaitForExecutingThreadedToFinish2");
        g_pForegroundWorker = nullptr;
        delete worker;
        // What the worker posted last (its end event) may chain the next run.
        if (g_pMainWindow)
            QCoreApplication::sendPostedEvents(g_pMainWindow);
    }
}

bool bIsCurrentForegroundRun(quintptr uiRunNumber)
{
    return uiRunNumber == g_uiForegroundRunNumber;
}

void vStopExecutingThreaded(bool bStop)
{
    CW_AutoLock(&g_mtxRunner, "bIsExecutingThreaded");
    if (!g_pForegroundWorker || !g_pForegroundWorker->isRunning())
        return;
    vSetStopRequested(bStop);
    vWaitForExecutingThreadedToFinish(false);
    QCoreApplication::processEvents();
}

void vEndAllWorkers()
{
    if (g_pForegroundWorker && g_pForegroundWorker->isRunning())
        vSetStopRequested(true);
    vWaitForExecutingThreadedToFinish(true);
    if (g_pBackgroundWorker) {
        QPointer<CWKGUIThreadedProcess> guarded(g_pBackgroundWorker);
        vRunnerWaitHandlingEvents(g_pBackgroundWorker);
        if (guarded) {
            delete g_pBackgroundWorker;
            g_pBackgroundWorker = nullptr;
        }
    }
}

bool bIsStopRequested()
{
    QMutexLocker lock(&g_mtxStop);
    return g_bStopRequested;
}

void vSetStopRequested(bool bStop)
{
    {
        QMutexLocker lock(&g_mtxStop);
        if (bStop) {
            vSetProgressText(qstrRunnerStopping());
            vRefreshProgressDisplay();
        }
        g_bStopRequested = bStop;
    }
    if (g_pMainWindow && g_pMainWindow->pGetGLWidget())
        g_pMainWindow->pGetGLWidget()->glDraw();
}

void vSetProgressText(const QString& text)
{
    QMutexLocker lock(&g_mtxProgress);
    if (g_qstrProgressText == qstrRunnerStopping() && !text.isEmpty())
        return;
    g_qstrProgressText = text;
}

void vSetProgressValue(int value)
{
    QMutexLocker lock(&g_mtxProgress);
    g_iProgressValue = value;
}

QString qstrGetProgressText()
{
    QMutexLocker lock(&g_mtxProgress);
    return g_qstrProgressText;
}

int iGetProgressValue()
{
    QMutexLocker lock(&g_mtxProgress);
    return g_iProgressValue;
}

void vRegisterProgressDisplay(QLabel* label, QProgressBar* bar)
{
    g_plblProgress = label;
    g_pProgressBar = bar;
}

void vRefreshProgressDisplay()
{
    QMutexLocker lock(&g_mtxProgress);
    if (g_plblProgress) {
        g_plblProgress->setText(g_qstrProgressText);
        if (g_qstrProgressText.isEmpty()) {
            g_plblProgress->hide();
        } else {
            g_plblProgress->show();
            g_plblProgress->update();
        }
    }
    if (g_pProgressBar)
        g_pProgressBar->setValue(g_iProgressValue);
}

void vSetWorkerStackSize(unsigned int uiBytes)
{
    g_uiWorkerStackSize = uiBytes;
}

bool bWaitWhileExecutingThreaded(bool bQuiet)
{
    CW_AutoLock(&g_mtxRunner, "bWaitWhileExecutingThreaded");
    CWKGUIThreadedProcess* worker = g_pBackgroundWorker;
    if (!worker)
        return false;
    const bool running = worker->isRunning();
    if (running) {
        QStatusBar* statusBar = g_pMainWindow && !bQuiet ? g_pMainWindow->statusBar() : nullptr;
        if (statusBar)
            statusBar->showMessage(QStringLiteral("Waiting for previous process to finish..."));
        QPointer<CWKGUIThreadedProcess> guarded(worker);
        vRunnerWaitHandlingEvents(worker);
        if (statusBar)
            statusBar->clearMessage();
        if (!guarded || g_pBackgroundWorker != worker)
            return running;
    }
    g_pBackgroundWorker = nullptr;
    delete worker;
    return running;
}
