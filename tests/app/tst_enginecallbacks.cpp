#include "TestEnvironment.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/ProductStrings.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "brandor.h"
#include "curves/frmCurveEditor.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "velmor.h"
#include "viewer/frmMainGLWidget.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <thread>

using standin::testing::vCallFromOtherThread;

namespace {

class TstCallbackRecorder : public QObject {
public:
    QList<int> qlCodes;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() >= QEvent::Type(1999) && e->type() <= QEvent::Type(11000))
            qlCodes << int(e->type());
        return false;
    }
};

Murn::ParameterWithoutType* pTstParameter(quintptr value)
{
    return reinterpret_cast<Murn::ParameterWithoutType*>(value);
}

} // namespace

class TstEngineCallbacks : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    frmCurveEditor* m_pEditor = nullptr;
    TstCallbackRecorder m_recorder;

    QLabel* pProgressLabel() const { return m_pWindow->pGetStatusBar()->findChild<QLabel*>(); }
    QProgressBar* pProgressBar() const { return m_pWindow->pGetStatusBar()->findChild<QProgressBar*>(); }

private slots:
    void initTestCase()
    {
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        m_pWindow->installEventFilter(&m_recorder);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
        m_pEditor = new frmCurveEditor();
        g_pCurveEditor = m_pEditor;
    }

    void init()
    {
        QCoreApplication::processEvents();
        m_recorder.qlCodes.clear();
        vSetStopRequested(false);
        vSetProgressText(QString());
        vSetProgressValue(0);
        vRefreshProgressDisplay();
    }

    void cleanup() { vEndAllWorkers(); }

    void theWindowFillsTheCallbackRecord()
    {
        const CW_CallbackStruct* callbacks = pstctBRD_GetCallbackStruct();
        QCOMPARE(callbacks->pMainWindow, static_cast<QWidget*>(m_pWindow));
        QVERIFY(callbacks->pfnCriticalMessage && callbacks->pfnWarningMessage && callbacks->pfnInformationMessage);
        QVERIFY(callbacks->pfnMissingClip && callbacks->pfnParameterFocus);
        QVERIFY(callbacks->pfnCurveEditorActivate && callbacks->pfnCurveEditorSynchronous);
        QVERIFY(callbacks->pfnParameterRemoved && callbacks->pfnParameterSelected);
        QVERIFY(callbacks->pfnProgressText && callbacks->pfnProgressValue && callbacks->pfnProgressStart);
        QVERIFY(callbacks->pfnProgressEnd && callbacks->pfnStopQuery);
    }

    void progressFromAWorkerArrivesThroughEvent2008()
    {
        vCallFromOtherThread(
            [](CW_CallbackStruct& callbacks) {
                callbacks.pfnProgressText(nullptr, "Tracking frame 4");
                callbacks.pfnProgressValue(nullptr, 40);
            },
            false);
        // Stored at once, shown only when the window handles the event.
        QCOMPARE(qstrGetProgressText(), QStringLiteral("Tracking frame 4 (Esc to cancel)"));
        QCOMPARE(iGetProgressValue(), 40);
        QVERIFY(pProgressLabel()->isHidden());
        QCOMPARE(pProgressBar()->value(), 0);

        QCoreApplication::processEvents();
        QCOMPARE(m_recorder.qlCodes, QList<int>({2008, 2008}));
        QCOMPARE(pProgressLabel()->text(), QStringLiteral("Tracking frame 4 (Esc to cancel)"));
        QVERIFY(pProgressLabel()->isVisible());
        QCOMPARE(pProgressBar()->value(), 40);

        vCallFromOtherThread([](CW_CallbackStruct& callbacks) { callbacks.pfnProgressEnd(); }, false);
        QCoreApplication::processEvents();
        QVERIFY(pProgressLabel()->isHidden());
        QCOMPARE(pProgressBar()->value(), 0);
    }

    void progressOnTheUserInterfaceThreadShowsAtOnce()
    {
        pstctBRD_GetCallbackStruct()->pfnProgressText(nullptr, "Rendering");
        QCOMPARE(pProgressLabel()->text(), QStringLiteral("Rendering (Esc to cancel)"));
        QVERIFY(pProgressLabel()->isVisible());
        pstctBRD_GetCallbackStruct()->pfnProgressValue(nullptr, 70);
        QCOMPARE(pProgressBar()->value(), 70);
        QCoreApplication::processEvents();
        QVERIFY(!m_recorder.qlCodes.contains(2008));
    }

    void progressTextWhileStoppingIsNotShown()
    {
        vSetStopRequested(true);
        vCallFromOtherThread([](CW_CallbackStruct& callbacks) { callbacks.pfnProgressText(nullptr, "Frame 9"); });
        QCOMPARE(pProgressLabel()->text(), QStringLiteral("Stopping process..."));
        int stopAnswer = -1;
        vCallFromOtherThread([&](CW_CallbackStruct& callbacks) { stopAnswer = callbacks.pfnStopQuery(); });
        QCOMPARE(stopAnswer, 1);
        vCallFromOtherThread([](CW_CallbackStruct& callbacks) { callbacks.pfnProgressEnd(); });
        QCOMPARE(qstrGetProgressText(), QString());
        vSetStopRequested(false);
        vCallFromOtherThread([&](CW_CallbackStruct& callbacks) { stopAnswer = callbacks.pfnStopQuery(); });
        QCOMPARE(stopAnswer, 0);
    }

    void synchronousCallFromAWorkerReturnsAfterTheWindowHandledIt()
    {
        int seenByWorker = -1;
        vCallFromOtherThread([&](CW_CallbackStruct& callbacks) {
            callbacks.pfnCurveEditorSynchronous(nullptr, 42);
            seenByWorker = m_pEditor->iGetLastUndo();
        });
        QCOMPARE(seenByWorker, 42);
        QCOMPARE(m_recorder.qlCodes, QList<int>({10600}));
    }

    void curveEditorCallsFromAWorkerGoThroughTheWindow()
    {
        const int undosBefore = m_pEditor->iGetUndoCount();
        vCallFromOtherThread(
            [](CW_CallbackStruct& callbacks) {
                callbacks.pfnCurveEditorActivate(nullptr, 3, 5);
                callbacks.pfnParameterSelected(pTstParameter(0x1000));
                callbacks.pfnParameterRemoved(pTstParameter(0x2000));
                callbacks.pfnParameterRemoved(nullptr);
            },
            false);
        // Nothing reached the page from the worker itself.
        QCOMPARE(m_pEditor->iGetLastActivationA(), 0);
        QCOMPARE(m_pEditor->pGetSelectedParameter(), nullptr);

        QCoreApplication::processEvents();
        QCOMPARE(m_recorder.qlCodes, QList<int>({10500, 10900, 11000, 11000}));
        QCOMPARE(m_pEditor->iGetLastActivationA(), 3);
        QCOMPARE(m_pEditor->iGetLastActivationB(), 5);
        QCOMPARE(m_pEditor->pGetSelectedParameter(), pTstParameter(0x1000));
        QCOMPARE(m_pEditor->pGetLastRemovedParameter(), pTstParameter(0x2000));
        QCOMPARE(m_pEditor->iGetUndoCount(), undosBefore);

        // A notification without a second word is not passed on.
        vCallFromOtherThread([](CW_CallbackStruct& callbacks) { callbacks.pfnCurveEditorActivate(nullptr, 9, 0); });
        QCoreApplication::processEvents();
        QCOMPARE(m_pEditor->iGetLastActivationA(), 3);

        // On the user-interface thread the page is told at once, without an event.
        m_recorder.qlCodes.clear();
        pstctBRD_GetCallbackStruct()->pfnCurveEditorSynchronous(nullptr, 7);
        pstctBRD_GetCallbackStruct()->pfnCurveEditorActivate(nullptr, 0, 2);
        QCOMPARE(m_pEditor->iGetLastUndo(), 7);
        QVERIFY(m_pEditor->bIsActive());
        QCoreApplication::processEvents();
        QVERIFY(m_recorder.qlCodes.isEmpty());
    }

    void messageFromAWorkerIsShownByTheWindow_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("releasesMouse");
        QTest::newRow("critical") << 0 << 10000 << true;
        QTest::newRow("information") << 1 << 10100 << true;
        QTest::newRow("warning") << 2 << 10200 << false;
    }

    void messageFromAWorkerIsShownByTheWindow()
    {
        QFETCH(int, kind);
        QFETCH(int, code);
        QFETCH(bool, releasesMouse);

        frmMainGLWidget* viewer = m_pWindow->pGetGLWidget();
        QVERIFY(viewer);
        viewer->vSetHeldMouseButton(1);
        testenv::ModalAnswerer answerer;
        vCallFromOtherThread(
            [kind](CW_CallbackStruct& callbacks) {
                auto message = kind == 0 ? callbacks.pfnCriticalMessage
                                         : kind == 1 ? callbacks.pfnInformationMessage : callbacks.pfnWarningMessage;
                message(nullptr, "Engine", "The cache is full");
            },
            false);
        // The worker left the viewer alone.
        QCOMPARE(viewer->iGetHeldMouseButton(), 1);
        QVERIFY(answerer.boxes().isEmpty());

        QTRY_COMPARE(answerer.boxes().size(), 1);
        QCOMPARE(m_recorder.qlCodes, QList<int>({code}));
        QCOMPARE(answerer.boxes().first().qstrTitle, qstrGetProductDisplayName());
        QCOMPARE(answerer.boxes().first().qstrText, QStringLiteral("The cache is full"));
        QCOMPARE(viewer->iGetHeldMouseButton(), releasesMouse ? 0 : 1);
    }

    void criticalMessageDuringARunStopsIt()
    {
        standin::testing::vReset();
        CW_Instance project = standin::testing::pCreateProject();
        CW_BaseClipInfo clip;
        clip.uiCount = 500;
        standin::testing::vRegisterClip(project, 1, clip);
        standin::testing::vSetTrackStepsRecordOnly(project, true);
        ProjectManagerInstance::instance()->setInstance(project);

        testenv::ModalAnswerer answerer;
        QVERIFY(bExecuteThreaded(true, false, &bTrackSelectionToNextFrame, 2001, nullptr, nullptr, 400, nullptr,
                                 nullptr, false, true, 1, true));
        while (standin::testing::uiGetCallCount("bTrackSelectionToNextFrame") == 0)
            std::this_thread::yield();
        vCallFromOtherThread(
            [](CW_CallbackStruct& callbacks) { callbacks.pfnCriticalMessage(nullptr, "", "Disk full"); }, false);
        QTRY_VERIFY(!bIsExecutingThreaded());
        QTRY_COMPARE(answerer.boxes().size(), 1);
        QVERIFY(standin::testing::uiGetCallCount("bTrackSelectionToNextFrame") < 400u);
        // The window goes idle when it handles the run-ended event, which may still be queued.
        QTRY_COMPARE(m_pWindow->iGetWidgetsState(), 2);
    }

    void missingClipIsAnsweredAtOnce()
    {
        m_pWindow->sltUpdateGUI(3);
        int answer = 0;
        vCallFromOtherThread([&](CW_CallbackStruct& callbacks) { answer = callbacks.pfnMissingClip(nullptr, 7); },
                             false);
        QCOMPARE(answer, 1);
        // The clip id travels as the payload; handling it must not take it for a semaphore.
        QCoreApplication::processEvents();
        QCOMPARE(m_recorder.qlCodes, QList<int>({10300}));
        QCOMPARE(m_pWindow->iGetWidgetsState(), 2);
    }

    void cleanupTestCase()
    {
        delete m_pEditor;
        QCOMPARE(g_pCurveEditor, nullptr);
        delete m_pWindow;
        QCOMPARE(pstctBRD_GetCallbackStruct()->pMainWindow, nullptr);
    }
};

PLINTRA_TEST_MAIN(TstEngineCallbacks)
#include "tst_enginecallbacks.moc"
