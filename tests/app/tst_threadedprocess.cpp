#include "TestEnvironment.h"

#include "app/CWKCustomEvent.h"
#include "app/CWKGUIThreadedProcess.h"
#include "app/ProductStrings.h"
#include "app/ProjectManagerInstance.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLabel>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

#include <pthread.h>
#include <sched.h>

using standin::LoggedStep;
using standin::testing::StepFault;

namespace {

std::atomic<int> g_iClosingCalls{0};
std::atomic<unsigned int> g_uiClosingFrame{0};

void vTstClosing(CW_Instance project)
{
    ++g_iClosingCalls;
    g_uiClosingFrame = uiGetFrameNumber(project);
}

std::atomic<bool> g_bHoldBackground{false};
std::atomic<int> g_iBackgroundCalls{0};

// A project write that takes as long as the test wants.
CW_BOOL bTstHeldWrite(CW_Instance)
{
    ++g_iBackgroundCalls;
    while (g_bHoldBackground)
        std::this_thread::yield();
    return true;
}

// Orders a worker after the window's thread: the window's thread is pinned to one processor
// and a worker joins it there in the idle scheduling class, so the worker runs only while
// the window's thread sleeps, and waking that thread (posting it an event) hands it the
// processor at once. Whatever a worker does after a post, the window's thread has by then
// handled the event, every time.
class TstWorkerBelowTheWindow {
public:
    TstWorkerBelowTheWindow()
    {
        const int processor = sched_getcpu();
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(processor, &one);
        m_bPinned = processor >= 0 && sched_getaffinity(0, sizeof m_saved, &m_saved) == 0
            && sched_setaffinity(0, sizeof one, &one) == 0;
        s_iProcessor = m_bPinned ? processor : -1;
        s_bAllJoined = true;
    }
    ~TstWorkerBelowTheWindow()
    {
        s_iProcessor = -1;
        if (m_bPinned)
            sched_setaffinity(0, sizeof m_saved, &m_saved);
    }
    bool bPinned() const { return m_bPinned; }
    // Whether every worker that tried could join.
    static bool bAllJoined() { return s_bAllJoined; }
    // Called on a worker, before its last posts.
    static void vJoin()
    {
        const int processor = s_iProcessor;
        if (processor < 0)
            return;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(processor, &one);
        sched_param idle {};
        idle.sched_priority = 0;
        if (sched_setaffinity(0, sizeof one, &one) != 0 || pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle) != 0)
            s_bAllJoined = false;
        // Until now the worker ran as an ordinary thread, perhaps while the window's thread
        // still had work: that thread settles into waiting for events while this one sleeps.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }

private:
    cpu_set_t m_saved;
    bool m_bPinned = false;
    static std::atomic<int> s_iProcessor;
    static std::atomic<bool> s_bAllJoined;
};
std::atomic<int> TstWorkerBelowTheWindow::s_iProcessor{-1};
std::atomic<bool> TstWorkerBelowTheWindow::s_bAllJoined{true};

CW_BOOL bTstWriteBelowTheWindow(CW_Instance)
{
    ++g_iBackgroundCalls;
    TstWorkerBelowTheWindow::vJoin();
    return true;
}

void vTstClosingBelowTheWindow(CW_Instance project)
{
    vTstClosing(project);
    // Whatever the window still draws for the last frame is done before this worker posts.
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    TstWorkerBelowTheWindow::vJoin();
}

// A worker held at a hooked engine call until the test lets it go (bounded).
std::atomic<bool> g_bHeld{false};
std::atomic<bool> g_bRelease{false};

void vTstHoldUntilReleased(unsigned int)
{
    g_bHeld = true;
    QDeadlineTimer bound(20000);
    while (!g_bRelease && !bound.hasExpired())
        std::this_thread::yield();
}

std::atomic<int> g_iDestroyedEvents{0};

// An event handed to the runner; counts its deletion.
class TstEvent : public CWKCustomEvent {
public:
    explicit TstEvent(int code) : CWKCustomEvent(code) {}
    ~TstEvent() override { ++g_iDestroyedEvents; }
};

// Records the custom events the main window receives, in order.
class TstEventRecorder : public QObject {
public:
    QList<int> qlCodes;
    std::function<void(int)> onEvent;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() >= QEvent::Type(1999) && e->type() <= QEvent::Type(11000)) {
            qlCodes << int(e->type());
            if (onEvent)
                onEvent(int(e->type()));
        }
        return false;
    }
};

std::vector<LoggedStep> vecSteps(std::initializer_list<std::pair<const char*, unsigned int>> steps)
{
    std::vector<LoggedStep> out;
    for (const auto& step : steps)
        out.push_back({step.first, step.second});
    return out;
}

QString qstrDescribe(const std::vector<LoggedStep>& steps)
{
    QStringList parts;
    for (const LoggedStep& step : steps)
        parts << QString::fromStdString(step.strOperation) + QLatin1Char('@') + QString::number(step.uiFrame);
    return parts.join(QLatin1String(", "));
}

} // namespace

class TstThreadedProcess : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    TstEventRecorder m_recorder;
    CW_Instance m_project = nullptr;

    bool bRun(unsigned int frames, unsigned int step, int frameEvent = 2001,
              CW_StepFunction func = &bTrackSelectionToNextFrame, QEvent* firstEvent = nullptr,
              QEvent* endEvent = nullptr)
    {
        return bExecuteThreaded(true, false, func, frameEvent, nullptr, firstEvent, frames, &vTstClosing, endEvent,
                                false, true, step, true);
    }

    // Waits, without handling any event, until the worker has run its first step; it then
    // posts its frame event and waits for the window.
    void vWaitForFirstStep(const char* operation)
    {
        while (standin::testing::uiGetCallCount(operation) == 0)
            std::this_thread::yield();
    }

private slots:
    void initTestCase()
    {
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        m_pWindow->installEventFilter(&m_recorder);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
    }

    void init()
    {
        standin::testing::vReset();
        m_project = standin::testing::pCreateProject();
        CW_BaseClipInfo clip;
        clip.uiCount = 20;
        standin::testing::vRegisterClip(m_project, 1, clip);
        standin::testing::vSetTrackStepsRecordOnly(m_project, true);
        ProjectManagerInstance::instance()->setInstance(m_project);
        m_pWindow->sltUpdateGUI(2);
        m_recorder.qlCodes.clear();
        m_recorder.onEvent = nullptr;
        g_iClosingCalls = 0;
        g_iDestroyedEvents = 0;
        g_bHeld = false;
        g_bRelease = false;
    }

    void cleanup()
    {
        m_recorder.onEvent = nullptr;
        g_bHoldBackground = false;
        g_bRelease = true;
        vSetWorkerStackSize(0);
        vEndAllWorkers();
        QCoreApplication::processEvents();
    }

    void steppedRunMovesTheEngineFrame_data()
    {
        QTest::addColumn<unsigned int>("startFrame");
        QTest::addColumn<unsigned int>("frames");
        QTest::addColumn<unsigned int>("step");
        QTest::addColumn<bool>("forwards");
        QTest::addColumn<QString>("expectedSteps");
        QTest::addColumn<unsigned int>("finalFrame");

        const auto next = "bTrackSelectionToNextFrame";
        const auto prev = "bTrackSelectionToPreviousFrame";
        const auto make = "bMakeFrameCurrent";
        // Ten frames at step 3 process the indices 2, 5, 8 and 9: moves of 3, 3, 3 and 1.
        QTest::newRow("forwards, step 3")
            << 0u << 10u << 3u << true
            << qstrDescribe(vecSteps({{next, 0}, {make, 3}, {next, 3}, {make, 6}, {next, 6}, {make, 9}, {next, 9},
                                      {make, 10}}))
            << 10u;
        QTest::newRow("backwards, step 3")
            << 19u << 10u << 3u << false
            << qstrDescribe(vecSteps({{prev, 19}, {make, 16}, {prev, 16}, {make, 13}, {prev, 13}, {make, 10},
                                      {prev, 10}, {make, 9}}))
            << 9u;
        QTest::newRow("forwards, every frame")
            << 4u << 3u << 1u << true
            << qstrDescribe(vecSteps({{next, 4}, {make, 5}, {next, 5}, {make, 6}, {next, 6}, {make, 7}})) << 7u;
        QTest::newRow("step 0 means every frame")
            << 4u << 2u << 0u << true << qstrDescribe(vecSteps({{next, 4}, {make, 5}, {next, 5}, {make, 6}})) << 6u;
    }

    void steppedRunMovesTheEngineFrame()
    {
        QFETCH(unsigned int, startFrame);
        QFETCH(unsigned int, frames);
        QFETCH(unsigned int, step);
        QFETCH(bool, forwards);
        QFETCH(QString, expectedSteps);
        QFETCH(unsigned int, finalFrame);

        QVERIFY(bMakeFrameCurrent(m_project, startFrame));
        const size_t before = standin::testing::vecGetStepLog(m_project).size();
        QVERIFY(bRun(frames, step, forwards ? 2001 : 2002,
                     forwards ? &bTrackSelectionToNextFrame : &bTrackSelectionToPreviousFrame));
        QCOMPARE(m_pWindow->iGetWidgetsState(), 3);
        vWaitForExecutingThreadedToFinish(true);
        QCoreApplication::processEvents();

        std::vector<LoggedStep> steps = standin::testing::vecGetStepLog(m_project);
        steps.erase(steps.begin(), steps.begin() + long(before));
        QCOMPARE(qstrDescribe(steps), expectedSteps);
        QCOMPARE(uiGetFrameNumber(m_project), finalFrame);
        QCOMPARE(g_iClosingCalls.load(), 1);
        QCOMPARE(g_uiClosingFrame.load(), finalFrame);
        // Each processed frame was announced as made current by the engine, then the run ended.
        QCOMPARE(m_recorder.qlCodes.count(2010), int(steps.size() / 2));
        QCOMPARE(m_recorder.qlCodes.last(), 2006);
        QCOMPARE(m_pWindow->iGetWidgetsState(), 2);
    }

    void oneFrameRunPostsItsFirstEventAndRunEnded()
    {
        QVERIFY(bRun(1, 1, 2000, &bTrackSelectionToNextFrame, new CWKCustomEvent(4002)));
        vWaitForExecutingThreadedToFinish(true);
        QCoreApplication::processEvents();
        QCOMPARE(m_recorder.qlCodes, QList<int>({4002, 2006}));
        QCOMPARE(standin::testing::uiGetCallCount("bTrackSelectionToNextFrame"), 1u);
    }

    void stopRequestEndsTheRunAfterTheCurrentFrame()
    {
        int stateAfterRequest = -1;
        m_recorder.onEvent = [&](int code) {
            // The worker waits on this frame event while the stop is requested.
            if (code == 2010 && !bIsStopRequested()) {
                vSetStopRequested(true);
                stateAfterRequest = m_pWindow->iGetWidgetsState();
            }
        };
        QVERIFY(bRun(100, 1, 2001, &bTrackSelectionToNextFrame, nullptr, new CWKCustomEvent(4002)));
        QTRY_VERIFY(!bIsExecutingThreaded());
        QCoreApplication::processEvents();

        QCOMPARE(standin::testing::uiGetCallCount("bTrackSelectionToNextFrame"), 1u);
        QCOMPARE(uiGetFrameNumber(m_project), 1u);
        QCOMPARE(g_iClosingCalls.load(), 1);
        QCOMPARE(m_recorder.qlCodes, QList<int>({2010, 4002, 2006}));
        // The window stays busy while the worker finishes; the end event makes it idle.
        QCOMPARE(stateAfterRequest, 3);
        QCOMPARE(m_pWindow->iGetWidgetsState(), 2);
        QVERIFY(!bIsStopRequested());
        QCOMPARE(qstrGetProgressText(), QString());
    }

    void newForegroundRunIsRefusedWhileOneRuns()
    {
        QVERIFY(bRun(100, 1));
        vWaitForFirstStep("bTrackSelectionToNextFrame");

        QVERIFY(!bRun(5, 1, 2001, &bTrackSelectionToNextFrame, new TstEvent(4002), new TstEvent(4003)));
        QCOMPARE(g_iDestroyedEvents.load(), 2);
        QVERIFY(bIsExecutingThreaded());
        QCOMPARE(m_pWindow->iGetWidgetsState(), 3);

        vStopExecutingThreaded(true);
        QVERIFY(!bIsExecutingThreaded());
        QCOMPARE(g_iClosingCalls.load(), 1);
        QTRY_COMPARE(m_pWindow->iGetWidgetsState(), 2);

        // Once the run has ended a new one starts.
        QVERIFY(bRun(2, 1));
        vWaitForExecutingThreadedToFinish(true);
        QCOMPARE(g_iClosingCalls.load(), 2);
    }

    void waitingForARunHandlesItsFrameEvents()
    {
        QVERIFY(bRun(6, 1));
        vWaitForFirstStep("bTrackSelectionToNextFrame");
        // The worker now waits for the window; the wait must let it through every frame.
        vWaitForExecutingThreadedToFinish(false);
        QVERIFY(!bIsExecutingThreaded());
        QCOMPARE(standin::testing::uiGetCallCount("bTrackSelectionToNextFrame"), 6u);
        QCOMPARE(uiGetFrameNumber(m_project), 6u);
        QVERIFY(m_pWindow->pGetStatusBar()->currentMessage().isEmpty());
    }

    void failingStepEndsTheRun_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("closingRuns");
        QTest::addColumn<QString>("boxText");
        QTest::newRow("false") << int(StepFault::ReturnFalse) << true << QString();
        QTest::newRow("exception") << int(StepFault::Throw) << false
                                   << QStringLiteral("The operation failed at frame 2.");
    }

    void failingStepEndsTheRun()
    {
        QFETCH(int, fault);
        QFETCH(bool, closingRuns);
        QFETCH(QString, boxText);

        standin::testing::vSetStepFault("bTrackSelectionToNextFrame", 2, StepFault(fault));
        testenv::ModalAnswerer answerer;
        QVERIFY(bRun(10, 1, 2001, &bTrackSelectionToNextFrame, nullptr, new TstEvent(4002)));
        vWaitForExecutingThreadedToFinish(true);
        QTRY_COMPARE(m_recorder.qlCodes.count(2006), 1);

        QCOMPARE(standin::testing::uiGetCallCount("bTrackSelectionToNextFrame"), 3u);
        QCOMPARE(uiGetFrameNumber(m_project), 2u);
        QCOMPARE(g_iClosingCalls.load(), closingRuns ? 1 : 0);
        // The end event went out after a false result, and was dropped after a throw.
        QCOMPARE(m_recorder.qlCodes.contains(4002), closingRuns);
        QCOMPARE(g_iDestroyedEvents.load(), 1);
        QCOMPARE(m_pWindow->iGetWidgetsState(), 2);
        if (boxText.isEmpty()) {
            QVERIFY(answerer.boxes().isEmpty());
        } else {
            // Shown by the main window on the user-interface thread, titled as every box.
            QTRY_COMPARE(answerer.boxes().size(), 1);
            QCOMPARE(answerer.boxes().first().qstrTitle, qstrGetProductDisplayName());
            QCOMPARE(answerer.boxes().first().qstrText, boxText);
        }
    }

    void threadThatFailsToStartLeavesTheWindowUsable()
    {
        testenv::ModalAnswerer answerer;
        // Below the platform's minimum stack, so the thread cannot be made.
        vSetWorkerStackSize(1);
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("stack size")));
        QVERIFY(!bRun(5, 1, 2001, &bTrackSelectionToNextFrame, new TstEvent(4002), new TstEvent(4003)));
        QCOMPARE(m_pWindow->iGetWidgetsState(), 2);
        QVERIFY(!bIsExecutingThreaded());
        QCOMPARE(g_iDestroyedEvents.load(), 2);
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes().first().qstrTitle, QStringLiteral("Error"));
        QVERIFY(answerer.boxes().first().qstrText.startsWith(QStringLiteral("Threaded execution failed.")));
        QCOMPARE(standin::testing::uiGetCallCount("bTrackSelectionToNextFrame"), 0u);

        vSetWorkerStackSize(0);
        QVERIFY(bRun(2, 1));
        vWaitForExecutingThreadedToFinish(true);
        QCOMPARE(standin::testing::uiGetCallCount("bTrackSelectionToNextFrame"), 2u);
    }

    void backgroundRunIsRefusedWhileItWrites()
    {
        g_iBackgroundCalls = 0;
        g_bHoldBackground = true;
        QVERIFY(bExecuteThreaded(true, false, nullptr, 0, &bTstHeldWrite, new CWKCustomEvent(4002), 1, nullptr,
                                 nullptr, true, false, 1, false));
        QTRY_COMPARE(g_iBackgroundCalls.load(), 1);
        // Only foreground runs count as executing, and the window stays idle.
        QVERIFY(!bIsExecutingThreaded());
        QCOMPARE(m_pWindow->iGetWidgetsState(), 2);
        QVERIFY(!bExecuteThreaded(true, false, nullptr, 0, &bTstHeldWrite, new TstEvent(4003), 1, nullptr, nullptr,
                                  true, false, 1, false));
        QCOMPARE(g_iDestroyedEvents.load(), 1);

        g_bHoldBackground = false;
        QTRY_COMPARE(m_recorder.qlCodes, QList<int>({4002}));
        QVERIFY(bExecuteThreaded(true, false, nullptr, 0, &bTstHeldWrite, nullptr, 1, nullptr, nullptr, true, false,
                                 1, false));
        QTRY_COMPARE(g_iBackgroundCalls.load(), 2);
    }

    // A run that ends while its run-ended event is still queued, then a new run at once: the
    // old event, handled while the new run is held before its first frame, must neither clear
    // the new run's stop request nor make the window idle.
    void runEndedEventEndsOnlyItsOwnRun()
    {
        // A lost stop runs into the clip's end, whose failure box must not block the suite.
        testenv::ModalAnswerer answerer;
        QVERIFY(bRun(1, 1, 2000));
        QDeadlineTimer deadline(5000);
        while (bIsExecutingThreaded() && !deadline.hasExpired())
            std::this_thread::yield();
        QVERIFY(!bIsExecutingThreaded());
        QVERIFY(m_recorder.qlCodes.isEmpty());

        standin::testing::vSetCallHook("bFreeTemporaryMemoryBuffers", &vTstHoldUntilReleased);
        const unsigned int callsBefore = standin::testing::uiGetCallCount("bTrackSelectionToNextFrame");
        QVERIFY(bRun(100, 1));
        vSetStopRequested(true);
        deadline = QDeadlineTimer(10000);
        while (!g_bHeld && !deadline.hasExpired())
            std::this_thread::yield();
        QVERIFY(g_bHeld);

        // The first run's end arrives while the second is held before its first frame.
        QCoreApplication::sendPostedEvents(m_pWindow);
        QCOMPARE(m_recorder.qlCodes, QList<int>({2006}));
        QCOMPARE(m_pWindow->iGetWidgetsState(), 3);
        QVERIFY(bIsStopRequested());

        g_bRelease = true;
        QTRY_VERIFY_WITH_TIMEOUT(!bIsExecutingThreaded(), 10000);
        QCoreApplication::processEvents();
        QCOMPARE(standin::testing::uiGetCallCount("bTrackSelectionToNextFrame"), callsBefore);
        QCOMPARE(g_iClosingCalls.load(), 2);
        QCOMPARE(m_recorder.qlCodes, QList<int>({2006, 2006}));
        QCOMPARE(m_pWindow->iGetWidgetsState(), 2);
        QVERIFY(!bIsStopRequested());
        QVERIFY(answerer.boxes().isEmpty());
    }

    // A run chained from the end event of the one waited for is accepted, since the run
    // before has done all its work by then, and is waited for as well; so is a chain of them.
    // Each worker is kept below the window's thread, which so handles the end event right as
    // it is posted.
    void waitCoversARunChainedFromTheEndEvent()
    {
        TstWorkerBelowTheWindow order;
        QVERIFY2(order.bPinned(), "the window's thread could not be kept on one processor");
        const int chain = 4;
        int accepted = 0;
        int refused = 0;
        // Frame events that draw nothing keep the window's thread waiting for events.
        auto run = [] {
            return bExecuteThreaded(true, false, &bTrackSelectionToNextFrame, 1999, nullptr, nullptr, 3,
                &vTstClosingBelowTheWindow, new CWKCustomEvent(4003), false, true, 1, true);
        };
        m_recorder.onEvent = [&](int code) {
            if (code == 4003 && accepted + refused < chain)
                (run() ? accepted : refused) += 1;
        };
        QVERIFY(run());
        vWaitForExecutingThreadedToFinish(true);
        QVERIFY(TstWorkerBelowTheWindow::bAllJoined());
        QCOMPARE(refused, 0);
        QCOMPARE(accepted, chain);
        QVERIFY(!bIsExecutingThreaded());
        QCOMPARE(g_iClosingCalls.load(), chain + 1);
        QCOMPARE(standin::testing::uiGetCallCount("bTrackSelectionToNextFrame"), 3u * (chain + 1));
        QCOMPARE(m_recorder.qlCodes.count(4003), chain + 1);
    }

    // A project write started from the completion event of the previous one is accepted every
    // time: the worker has done all its work by the time that event can be handled. Each
    // worker is kept below the window's thread, which so handles the completion event right
    // as it is posted, before the worker takes another step.
    void backgroundRunChainedFromItsCompletionIsAccepted()
    {
        TstWorkerBelowTheWindow order;
        QVERIFY2(order.bPinned(), "the window's thread could not be kept on one processor");
        g_iBackgroundCalls = 0;
        int accepted = 0;
        int refused = 0;
        // The window's thread waits in its event loop, so that a post wakes it.
        QEventLoop loop;
        m_recorder.onEvent = [&](int code) {
            if (code != 4002)
                return;
            if (accepted + refused == 30) {
                loop.quit();
                return;
            }
            if (bExecuteThreaded(true, false, nullptr, 0, &bTstWriteBelowTheWindow, new CWKCustomEvent(4002), 1,
                    nullptr, nullptr, true, false, 1, false)) {
                ++accepted;
            } else {
                // A refused write ends the chain.
                ++refused;
                loop.quit();
            }
        };
        QVERIFY(bExecuteThreaded(true, false, nullptr, 0, &bTstWriteBelowTheWindow, new CWKCustomEvent(4002), 1,
            nullptr, nullptr, true, false, 1, false));
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        QCOMPARE(refused, 0);
        QCOMPARE(accepted, 30);
        QVERIFY(TstWorkerBelowTheWindow::bAllJoined());
        QCOMPARE(g_iBackgroundCalls.load(), 31);
    }

    void progressTextWhileStopping()
    {
        vSetProgressText(QStringLiteral("Tracking"));
        vSetStopRequested(true);
        QCOMPARE(qstrGetProgressText(), QStringLiteral("Stopping process..."));
        auto* label = m_pWindow->pGetStatusBar()->findChild<QLabel*>();
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Stopping process..."));
        QVERIFY(label->isVisible());

        vSetProgressText(QStringLiteral("Tracking frame 3"));
        QCOMPARE(qstrGetProgressText(), QStringLiteral("Stopping process..."));
        vSetProgressText(QString());
        QCOMPARE(qstrGetProgressText(), QString());
        vSetStopRequested(false);
        vRefreshProgressDisplay();
        QVERIFY(label->isHidden());
    }

    // Last: the window is closed.
    void closingWhileARunWaitsForTheWindowEnds()
    {
        QVERIFY(bRun(1000, 1));
        vWaitForFirstStep("bTrackSelectionToNextFrame");
        QVERIFY(m_pWindow->close());
        QVERIFY(!bIsExecutingThreaded());
        QCOMPARE(g_iClosingCalls.load(), 1);
        QVERIFY(standin::testing::uiGetCallCount("bTrackSelectionToNextFrame") < 1000u);
    }

    void cleanupTestCase()
    {
        delete m_pWindow;
        m_pWindow = nullptr;
    }
};

PLINTRA_TEST_MAIN(TstThreadedProcess)
#include "tst_threadedprocess.moc"
