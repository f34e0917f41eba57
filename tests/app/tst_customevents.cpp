#include "TestEnvironment.h"

#include "Murn.h"
#include "app/CWKCustomEvent.h"
#include "app/CWKGUIThreadedProcess.h"
#include "app/EngineCallbacks.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "cwbase.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QDeadlineTimer>
#include <QSemaphore>
#include <QThread>
#include <atomic>
#include <memory>
#include <thread>

namespace {

std::atomic<int> g_iFreedPayloads{0};

struct TstPayload {
    ~TstPayload() { ++g_iFreedPayloads; }
};

std::atomic<bool> g_bWaiterPosted{false};
std::atomic<int> g_iClosingCalls{0};

// An engine step that waits for the window to handle what it posted (as a call-back that
// waits for the user-interface thread does); bounded.
CW_BOOL bTstStepWaitingForTheWindow(CW_Instance)
{
    QSemaphore semaphore(0);
    const bool posted = bPostToMainWindow(CWKCustomEvent::pWithWaiter(1999, &semaphore));
    g_bWaiterPosted = true;
    return !posted || semaphore.tryAcquire(1, 20000);
}

void vTstClosing(CW_Instance)
{
    ++g_iClosingCalls;
}

// Whether the semaphore can be taken within a short bound, i.e. was released.
bool bReleased(QSemaphore& semaphore)
{
    return semaphore.tryAcquire(1, 2000);
}

} // namespace

class TstCustomEvents : public QObject {
    Q_OBJECT

private slots:
    void init() { g_iFreedPayloads = 0; }

    // Only a waiter is ever released; a value that happens to be a semaphore's address is not.
    void dispatchReleasesOnlyWaiters_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("asWaiter");
        QTest::addColumn<bool>("handled");
        QTest::newRow("unknown code, waiter") << 2011 << true << false;
        QTest::newRow("unknown code, value") << 2011 << false << false;
        QTest::newRow("handled code, waiter") << 1999 << true << true;
        QTest::newRow("clip-id code, value") << 3011 << false << false;
    }

    void dispatchReleasesOnlyWaiters()
    {
        QFETCH(int, code);
        QFETCH(bool, asWaiter);
        QFETCH(bool, handled);

        frmMain window;
        QSemaphore semaphore(0);
        std::unique_ptr<CWKCustomEvent> event(asWaiter ? CWKCustomEvent::pWithWaiter(code, &semaphore)
                                                       : new CWKCustomEvent(code, quintptr(&semaphore)));
        QCOMPARE(window.event(event.get()), handled);
        QCOMPARE(semaphore.available(), asWaiter ? 1 : 0);
        event.reset();
        // Released once only, however the event ends.
        QCOMPARE(semaphore.available(), asWaiter ? 1 : 0);
    }

    void ownedPayloadIsFreedHowever()
    {
        {
            std::unique_ptr<CWKCustomEvent> event(
                CWKCustomEvent::pWithOwned(10500, std::make_unique<TstPayload>()));
            // Asked for as another type, it stays with the event.
            QVERIFY(!event->pTakeOwned<QString>());
            QCOMPARE(event->uiGetPayload(), quintptr(0));
        }
        QCOMPARE(g_iFreedPayloads.load(), 1);

        std::unique_ptr<CWKCustomEvent> event(CWKCustomEvent::pWithOwned(10500, std::make_unique<TstPayload>()));
        std::unique_ptr<TstPayload> taken = event->pTakeOwned<TstPayload>();
        QVERIFY(taken);
        event.reset();
        QCOMPARE(g_iFreedPayloads.load(), 1);
        taken.reset();
        QCOMPARE(g_iFreedPayloads.load(), 2);
    }

    // A window destroyed with events still queued: heap payloads are freed and a worker that
    // waits on one of them goes on; posts after that reach nothing and are freed too.
    void eventsQueuedForADestroyedWindowAreDropped()
    {
        auto* window = new frmMain();
        QSemaphore waiting(0);
        std::atomic<bool> workerWentOn{false};
        QThread* worker = QThread::create([&] {
            QSemaphore semaphore(0);
            bPostToMainWindow(CWKCustomEvent::pWithWaiter(2001, &semaphore));
            waiting.release();
            semaphore.acquire();
            workerWentOn = true;
        });
        worker->start();
        QVERIFY(waiting.tryAcquire(1, 5000));
        QVERIFY(bPostToMainWindow(CWKCustomEvent::pWithOwned(10000, std::make_unique<TstPayload>())));

        delete window;
        QVERIFY(worker->wait(5000));
        delete worker;
        QVERIFY(workerWentOn);
        QCOMPARE(g_iFreedPayloads.load(), 1);
        QVERIFY(g_pMainWindow == nullptr);

        QSemaphore late(0);
        QVERIFY(!bPostToMainWindow(CWKCustomEvent::pWithWaiter(2001, &late)));
        QVERIFY(bReleased(late));
        QVERIFY(!bPostToMainWindow(CWKCustomEvent::pWithOwned(10000, std::make_unique<TstPayload>())));
        QCOMPARE(g_iFreedPayloads.load(), 2);
    }

    // A window destroyed while a run waits for it, with handlers still queued behind the
    // run's event: the destruction waits for the run, and none of the queued handlers runs
    // on the window being torn down (no box, no parameter change); the run ends.
    void aWindowDestroyedDuringARunRunsNoQueuedHandler()
    {
        standin::testing::vReset();
        CW_Instance project = standin::testing::pCreateProject();
        CW_BaseClipInfo clip;
        clip.uiCount = 20;
        standin::testing::vRegisterClip(project, 1, clip);
        ProjectManagerInstance::instance()->setInstance(project);
        auto* window = new frmMain();
        window->sltConfigureGUI();
        window->sltUpdateGUI(2);
        testenv::ModalAnswerer answerer;
        g_bWaiterPosted = false;
        g_iClosingCalls = 0;

        QVERIFY(bExecuteThreaded(true, false, &bTstStepWaitingForTheWindow, 1999, nullptr, nullptr, 3, &vTstClosing,
            nullptr, false, true, 1, true));
        QDeadlineTimer deadline(10000);
        while (!g_bWaiterPosted && !deadline.hasExpired())
            std::this_thread::yield();
        QVERIFY(g_bWaiterPosted);
        // An engine message and an undoable parameter change from an engine thread, queued.
        QVERIFY(bPostToMainWindow(CWKCustomEvent::pWithOwned(10000,
            std::make_unique<QStringList>(QStringList {QStringLiteral("Engine"), QStringLiteral("Disk full")}))));
        Murn::NumericParameter<float> parameter(QStringLiteral("Opacity"), 1, 0, 10);
        auto change = std::make_unique<CWKParameterChangeRecord>();
        parameter.setValueAt(3.0f, 2.0f, &change->command);
        change->fValue = 2.0f;
        QVERIFY(bPostToMainWindow(CWKCustomEvent::pWithOwned(10800, std::move(change))));

        delete window;
        QVERIFY(!bIsExecutingThreaded());
        QCOMPARE(g_iClosingCalls.load(), 1);
        QVERIFY(answerer.boxes().isEmpty());
        QCOMPARE(parameter.uiGetKeyCount(), 0u);
        QVERIFY(!bCanUndo(project));
        QVERIFY(g_pMainWindow == nullptr);
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
    }

    // Engine calls nest on one thread: a checkpoint inside a held section passes, while
    // another thread's checkpoint waits for the holder.
    void engineCheckpointIsReentrant()
    {
        std::atomic<bool> nestedPassed{false};
        QThread* holder = QThread::create([&] {
            g_mtxEngine.lock();
            CW_AutoLock(&g_mtxEngine, "nested");
            CW_AutoLock(&g_mtxEngine, "nested twice");
            nestedPassed = true;
            g_mtxEngine.unlock();
        });
        holder->start();
        // Run on its own thread so that a deadlock fails the test instead of hanging it.
        const bool finished = holder->wait(5000);
        QVERIFY2(finished, "a checkpoint on the thread that holds the engine mutex deadlocked");
        delete holder;
        QVERIFY(nestedPassed);

        g_mtxEngine.lock();
        std::atomic<bool> otherPassed{false};
        QThread* other = QThread::create([&] {
            CW_AutoLock(&g_mtxEngine, "other thread");
            otherPassed = true;
        });
        other->start();
        QVERIFY(!other->wait(200));
        QVERIFY(!otherPassed);
        g_mtxEngine.unlock();
        QVERIFY(other->wait(5000));
        delete other;
        QVERIFY(otherPassed);
    }
};

PLINTRA_TEST_MAIN(TstCustomEvents)
#include "tst_customevents.moc"
