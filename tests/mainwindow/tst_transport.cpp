#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "Murn.h"
#include "app/CWKCustomEvent.h"
#include "app/EngineCallbacks.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "brandor.h"
#include "curves/frmCurveEditor.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"
#include "widgets/MurnSetter.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <memory>

class TstTransport : public QObject {
    Q_OBJECT

    frmMain* m_pWindow = nullptr;
    CW_Instance m_project = nullptr;

    CW_Instance pMakeProject(int count = 20, int fieldMode = CW_PROGRESSIVE, float rate = 25.0f)
    {
        standin::testing::vReset();
        CW_Instance project = standin::testing::pCreateProject();
        CW_BaseClipInfo clip;
        clip.uiWidth = 64;
        clip.uiHeight = 48;
        clip.uiCount = unsigned(count);
        clip.iFieldMode = fieldMode;
        clip.fFrameRate = rate;
        standin::testing::vRegisterClip(project, 1, clip);
        ProjectManagerInstance::instance()->setInstance(project);
        m_pWindow->sltUpdateGUI(2);
        return project;
    }

    // Steps the play mode button until the mode is the wanted one.
    void vSetPlayMode(frmMain::CWKGUI_PLAYMODE mode)
    {
        for (int i = 0; i < 3 && m_pWindow->eGetPlayMode() != mode; ++i)
            m_pWindow->btnPlayMode_clicked();
        QCOMPARE(m_pWindow->eGetPlayMode(), mode);
    }

    void vSendKey(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers, const QString& text)
    {
        QKeyEvent event(type, key, modifiers, text);
        QCoreApplication::sendEvent(m_pWindow, &event);
    }

    int iCountInputCalls(const char* call)
    {
        int count = 0;
        for (const standin::LoggedInput& input : standin::testing::stctGetViewerState(m_project).vecInputLog)
            count += input.strCall == call ? 1 : 0;
        return count;
    }

private slots:
    void initTestCase()
    {
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        m_pWindow->resize(1000, 700);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
    }

    void init()
    {
        standin::testing::vResetFrameSteps();
        m_project = pMakeProject();
    }

    void cleanup()
    {
        m_pWindow->sltStopPlayback();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        m_pWindow->sltUpdateGUI(1);
        standin::testing::vResetFrameSteps();
        QCoreApplication::processEvents();
    }

    void cleanupTestCase() { delete m_pWindow; }

    void sliderAndTimeDisplayFollowEachOther_data()
    {
        QTest::addColumn<bool>("timecode");
        QTest::addColumn<int>("fieldMode");
        QTest::addColumn<int>("frame");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("typedFrame");

        QTest::newRow("frames") << false << int(CW_PROGRESSIVE) << 7 << QStringLiteral("12") << 12;
        QTest::newRow("time code") << true << int(CW_PROGRESSIVE) << 30 << QStringLiteral("00:00:01:03") << 28;
        QTest::newRow("fields") << false << int(CW_UPPER_FIELD_FIRST) << 9 << QStringLiteral("6:L") << 13;
    }

    void sliderAndTimeDisplayFollowEachOther()
    {
        QFETCH(bool, timecode);
        QFETCH(int, fieldMode);
        QFETCH(int, frame);
        QFETCH(QString, typed);
        QFETCH(int, typedFrame);

        m_project = pMakeProject(60, fieldMode);
        standin::testing::vSetUseTimeCode(m_project, timecode);
        m_pWindow->sltUpdateGUI(2);
        QCOMPARE(m_pWindow->sldrFrameNumber->maximum(), 59);

        m_pWindow->sldrFrameNumber->setValue(frame);
        QCOMPARE(uiGetFrameNumber(m_project), unsigned(frame));
        const QString shown = qstrGetFrameDisplayString(
            frame, 25.0f, timecode, fieldMode != CW_PROGRESSIVE, false, true, 0);
        QCOMPARE(m_pWindow->tcedtCurrentFrame->text(), shown);

        // Typed and committed with Return, the edit moves the slider and the engine.
        m_pWindow->tcedtCurrentFrame->setFocus();
        m_pWindow->tcedtCurrentFrame->selectAll();
        QTest::keyClicks(m_pWindow->tcedtCurrentFrame, typed);
        QTest::keyClick(m_pWindow->tcedtCurrentFrame, Qt::Key_Return);
        QCOMPARE(m_pWindow->sldrFrameNumber->value(), typedFrame);
        QCOMPARE(uiGetFrameNumber(m_project), unsigned(typedFrame));
        QCOMPARE(m_pWindow->tcedtCurrentFrame->text(),
            qstrGetFrameDisplayString(typedFrame, 25.0f, timecode, fieldMode != CW_PROGRESSIVE, false, true, 0));
    }

    void playbackRunsAtTheClipsInterval_data()
    {
        QTest::addColumn<int>("fieldMode");
        QTest::addColumn<float>("rate");
        QTest::addColumn<int>("interval");

        QTest::newRow("progressive 25") << int(CW_PROGRESSIVE) << 25.0f << 40;
        QTest::newRow("interlaced 25") << int(CW_UPPER_FIELD_FIRST) << 25.0f << 20;
        QTest::newRow("progressive 30") << int(CW_PROGRESSIVE) << 30.0f << 33;
    }

    void playbackRunsAtTheClipsInterval()
    {
        QFETCH(int, fieldMode);
        QFETCH(float, rate);
        QFETCH(int, interval);

        m_project = pMakeProject(20, fieldMode, rate);
        m_pWindow->btnPlayForwards_clicked();
        QVERIFY(m_pWindow->pGetPlaybackTimer());
        QCOMPARE(m_pWindow->pGetPlaybackTimer()->interval(), interval);
        QCOMPARE(m_pWindow->iGetWidgetsState(), 4);
        QVERIFY(m_pWindow->pGetGLWidget()->bIsPlaying());
        QVERIFY(m_pWindow->btnStopPlayback->isEnabled());
        m_pWindow->btnStopPlayback_pressed();
        QVERIFY(!m_pWindow->pGetPlaybackTimer());
        QCOMPARE(m_pWindow->iGetWidgetsState(), 2);
        QVERIFY(!m_pWindow->pGetGLWidget()->bIsPlaying());
    }

    void playModesAtTheEnds_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("forwards");
        QTest::addColumn<int>("start");
        // After the end is reached: still playing, and where the frame goes next.
        QTest::addColumn<bool>("keepsPlaying");
        QTest::addColumn<int>("reached");
        QTest::addColumn<int>("then");

        QTest::newRow("one way forwards stops at the out point")
            << int(frmMain::UniDirection) << true << 10 << false << 14 << 14;
        QTest::newRow("one way backwards stops at the in point")
            << int(frmMain::UniDirection) << false << 7 << false << 4 << 4;
        QTest::newRow("ping-pong turns at the out point") << int(frmMain::PingPong) << true << 12 << true << 14 << 13;
        QTest::newRow("ping-pong turns at the in point") << int(frmMain::PingPong) << false << 6 << true << 4 << 5;
        QTest::newRow("loop jumps to the in point") << int(frmMain::Loop) << true << 12 << true << 14 << 4;
        QTest::newRow("loop jumps to the out point") << int(frmMain::Loop) << false << 6 << true << 4 << 14;
    }

    void playModesAtTheEnds()
    {
        QFETCH(int, mode);
        QFETCH(bool, forwards);
        QFETCH(int, start);
        QFETCH(bool, keepsPlaying);
        QFETCH(int, reached);
        QFETCH(int, then);

        vSetPlayMode(frmMain::CWKGUI_PLAYMODE(mode));
        m_pWindow->sldrFrameNumber->setPrimaryRange(4, 14);
        m_pWindow->sldrFrameNumber->setValue(start);
        QList<int> frames;
        QObject::connect(m_pWindow->sldrFrameNumber, &QSlider::valueChanged, this,
            [&frames](int frame) { frames.append(frame); });
        if (forwards)
            m_pWindow->btnPlayForwards_clicked();
        else
            m_pWindow->btnPlayBackwards_clicked();
        QTRY_VERIFY_WITH_TIMEOUT(frames.contains(reached), 5000);
        if (keepsPlaying) {
            QTRY_VERIFY_WITH_TIMEOUT(frames.size() > frames.indexOf(reached) + 1, 5000);
            QCOMPARE(frames.at(frames.indexOf(reached) + 1), then);
            QCOMPARE(m_pWindow->iGetWidgetsState(), 4);
            QVERIFY(m_pWindow->pGetPlaybackTimer());
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(!m_pWindow->pGetPlaybackTimer(), 5000);
            QCOMPARE(m_pWindow->iGetWidgetsState(), 2);
            QVERIFY(!m_pWindow->pGetGLWidget()->bIsPlaying());
            QCOMPARE(m_pWindow->sldrFrameNumber->value(), then);
        }
        // Every step moved one frame, at most, except a loop's jump.
        for (int i = 1; i < frames.size(); ++i)
            if (mode != frmMain::Loop)
                QVERIFY2(std::abs(frames[i] - frames[i - 1]) == 1, qPrintable(QString::number(i)));
        QObject::disconnect(m_pWindow->sldrFrameNumber, &QSlider::valueChanged, this, nullptr);
        for (int frame : frames) {
            QVERIFY(frame >= 4);
            QVERIFY(frame <= 14);
        }
    }

    void aFrameTheEngineRefusesStopsPlaybackWhole()
    {
        vSetPlayMode(frmMain::Loop);
        m_pWindow->sldrFrameNumber->setValue(2);
        standin::testing::vSetStepFault("bMakeFrameCurrent", 5, standin::testing::StepFault::ReturnFalse);
        m_pWindow->btnPlayForwards_clicked();
        QTRY_VERIFY_WITH_TIMEOUT(!m_pWindow->pGetPlaybackTimer(), 5000);
        QCOMPARE(m_pWindow->iGetWidgetsState(), 2);
        QVERIFY(!m_pWindow->pGetGLWidget()->bIsPlaying());
        // The slider shows the frame the engine has, not the one it refused.
        QCOMPARE(uiGetFrameNumber(m_project), 4u);
        QCOMPARE(m_pWindow->sldrFrameNumber->value(), 4);
        QVERIFY(m_pWindow->btnPlayForwards->isEnabled());
    }

    void anEngineExceptionDuringPlaybackIsShownAndStops()
    {
        testenv::DialogDriver driver;
        m_pWindow->sldrFrameNumber->setValue(2);
        standin::testing::vSetStepFault("bMakeFrameCurrent", 4, standin::testing::StepFault::Throw);
        m_pWindow->btnPlayForwards_clicked();
        QTRY_VERIFY_WITH_TIMEOUT(driver.qslMessages().size() == 1, 5000);
        QVERIFY(driver.qslMessages().first().contains(QStringLiteral("frame 4")));
        QTRY_VERIFY_WITH_TIMEOUT(!m_pWindow->pGetPlaybackTimer(), 5000);
        QCOMPARE(m_pWindow->iGetWidgetsState(), 2);
        QVERIFY(!m_pWindow->pGetGLWidget()->bIsPlaying());
        QCOMPARE(m_pWindow->sldrFrameNumber->value(), 3);
        QCOMPARE(driver.qslMessages().size(), 1);
    }

    void inAndOutPointsAreClampedAgainstEachOther_data()
    {
        QTest::addColumn<bool>("typeIn");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("in");
        QTest::addColumn<int>("out");

        QTest::newRow("in after out becomes the out point") << true << QStringLiteral("15") << 12 << 12;
        QTest::newRow("in before out stays") << true << QStringLiteral("6") << 6 << 12;
        QTest::newRow("out before in becomes the in point") << false << QStringLiteral("1") << 3 << 3;
    }

    void inAndOutPointsAreClampedAgainstEachOther()
    {
        QFETCH(bool, typeIn);
        QFETCH(QString, typed);
        QFETCH(int, in);
        QFETCH(int, out);

        m_pWindow->sldrFrameNumber->setPrimaryRange(3, 12);
        m_pWindow->sltUpdateClipLength();
        CWKLineEditTimeCode* edit = typeIn ? m_pWindow->tcedtInPointFrameFrame : m_pWindow->tcedtOutPointFrameFrame;
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, typed);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(m_pWindow->sldrFrameNumber->primaryStart(), in);
        QCOMPARE(m_pWindow->sldrFrameNumber->primaryEnd(), out);
        QCOMPARE(typeIn ? uiGetPlaybackInPoint(m_project) : uiGetPlaybackOutPoint(m_project),
            unsigned(typeIn ? in : out));
    }

    void stepsStopAtTheRangeEnds()
    {
        m_pWindow->sldrFrameNumber->setPrimaryRange(3, 12);
        m_pWindow->sldrFrameNumber->setValue(12);
        m_pWindow->btnNextFrame_clicked();
        QCOMPARE(m_pWindow->sldrFrameNumber->value(), 12);
        m_pWindow->btnPreviousFrame_clicked();
        QCOMPARE(uiGetFrameNumber(m_project), 11u);
        m_pWindow->btnClipStart_clicked();
        QCOMPARE(uiGetFrameNumber(m_project), 3u);
        m_pWindow->btnPreviousFrame_clicked();
        QCOMPARE(uiGetFrameNumber(m_project), 3u);
        // The viewer's arrow keys post 2001 and take the same road.
        CWKCustomEvent nextFrame(2001, 0);
        QCoreApplication::sendEvent(m_pWindow, &nextFrame);
        QCOMPARE(uiGetFrameNumber(m_project), 4u);
    }

    void holdingAToolKeySwitchesBackOnRelease_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("held");
        QTest::addColumn<int>("beforeTool");

        QTest::newRow("zoom over add contour")
            << QStringLiteral("actAddXSplineContourTool") << int(Qt::Key_Z) << QStringLiteral("actZoomTool")
            << int(CW_TOOL_ADD_XSPLINE_CONTOUR);
        QTest::newRow("pan over the pointer") << QStringLiteral("actPointerTool") << int(Qt::Key_X)
                                              << QStringLiteral("actPanTool") << int(CW_TOOL_POINTER);
        QTest::newRow("rotate over the pointer") << QStringLiteral("actPointerTool") << int(Qt::Key_W)
                                                 << QStringLiteral("actRotateTool") << int(CW_TOOL_POINTER);
    }

    void holdingAToolKeySwitchesBackOnRelease()
    {
        QFETCH(QString, before);
        QFETCH(int, key);
        QFETCH(QString, held);
        QFETCH(int, beforeTool);

        auto* beforeAction = m_pWindow->findChild<QAction*>(before);
        auto* heldAction = m_pWindow->findChild<QAction*>(held);
        QVERIFY(beforeAction && heldAction);
        beforeAction->setChecked(true);
        QCOMPARE(int(eGetCurrentToolType(m_project)), beforeTool);
        vSelectTool(m_project, CW_TOOL(beforeTool), 7);
        const QString text = QString(QChar(key)).toLower();

        vSendKey(QEvent::KeyPress, key, Qt::NoModifier, text);
        QVERIFY(heldAction->isChecked());
        QVERIFY(int(eGetCurrentToolType(m_project)) != beforeTool);
        // Auto-repeat while held changes nothing and reaches no tool.
        QKeyEvent repeat(QEvent::KeyPress, key, Qt::NoModifier, text, true);
        QCoreApplication::sendEvent(m_pWindow, &repeat);
        QVERIFY(heldAction->isChecked());
        QCOMPARE(iCountInputCalls("vKeyPress"), 0);

        vSendKey(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QVERIFY(beforeAction->isChecked());
        QCOMPARE(int(eGetCurrentToolType(m_project)), beforeTool);
        QCOMPARE(eGetCurrentToolState(m_project), 7);
    }

    // A shape tool brings up the page shapes are drawn on (the first that shows layers) and
    // takes over the engine's foreground-alpha switch; other tools leave both alone.
    void aShapeToolShowsTheDrawingPage_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("shape");
        QTest::addColumn<bool>("alphaBefore");
        QTest::addColumn<bool>("foreground");

        QTest::newRow("X-spline layer, foreground shown") << "actAddXSplineLayerTool" << true << false << true;
        QTest::newRow("Bezier layer, foreground hidden") << "actAddBezierLayerTool" << true << true << false;
        QTest::newRow("X-spline contour, unchanged") << "actAddXSplineContourTool" << true << true << true;
        QTest::newRow("Bezier contour") << "actAddBezierContourTool" << true << false << true;
        QTest::newRow("soft constraint is no shape tool") << "actSoftConstraintTool" << false << false << true;
    }

    void aShapeToolShowsTheDrawingPage()
    {
        QFETCH(QString, action);
        QFETCH(bool, shape);
        QFETCH(bool, alphaBefore);
        QFETCH(bool, foreground);
        QTabWidget* pages = m_pWindow->pGetModuleTabWidget();
        CWKControlForm* drawingPage = m_pWindow->pGetFirstLayerPage();
        QVERIFY(drawingPage);
        pages->setCurrentIndex(0);
        QVERIFY(pages->currentWidget() != drawingPage);
        ViewOptionsManager* view = pGetViewOptionsManager();
        view->showAlpha = alphaBefore;
        view->applyChannelsToDisplay();
        standin::testing::vEditViewerState(
            m_project, [foreground](standin::ViewerState& state) { state.bDisplayForeground = foreground; });

        auto* toolAction = m_pWindow->findChild<QAction*>(action);
        QVERIFY(toolAction);
        toolAction->setChecked(true);
        QCOMPARE(pages->currentWidget() == drawingPage, shape);
        const bool alpha = shape ? foreground : alphaBefore;
        QCOMPARE(view->showAlpha, alpha);
        QCOMPARE(standin::testing::stctGetViewerState(m_project).bShowAlpha, alpha);

        m_pWindow->actPointerTool->setChecked(true);
        view->showAlpha = false;
        view->applyChannelsToDisplay();
    }

    // The curve editor's play head follows the current frame without echoing it back, its own
    // play head moves the frame, and the zoom and pan tools switch its tool mode.
    void theCurveEditorFollowsTheFrameAndTheTools()
    {
        frmCurveEditor* editor = g_pCurveEditor;
        QVERIFY(editor);
        QSignalSpy moved(editor, &frmCurveEditor::sigPlayPositionChanged);
        m_pWindow->sldrFrameNumber->setValue(7);
        QCOMPARE(editor->fGetPlayPosition(), 7.0f);
        QCOMPARE(moved.size(), 0);

        editor->playPositionChanged(11.6);
        QCOMPARE(moved.size(), 1);
        QCOMPARE(moved.first().at(0).toInt(), 12);
        QCOMPARE(m_pWindow->sldrFrameNumber->value(), 12);
        QCOMPARE(uiGetFrameNumber(m_project), 12u);
        QCOMPARE(editor->fGetPlayPosition(), 12.0f);
        QCOMPARE(moved.size(), 1);

        m_pWindow->actZoomTool->setChecked(true);
        QCOMPARE(editor->iGetToolMode(), 3);
        m_pWindow->actPanTool->setChecked(true);
        QCOMPARE(editor->iGetToolMode(), 2);
        m_pWindow->actPointerTool->setChecked(true);
        QCOMPARE(editor->iGetToolMode(), 0);
    }

    void keysWithoutTextArePassedOn_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");

        QTest::newRow("shift") << int(Qt::Key_Shift) << int(Qt::ShiftModifier);
        QTest::newRow("function key") << int(Qt::Key_F5) << int(Qt::NoModifier);
        QTest::newRow("arrow") << int(Qt::Key_Up) << int(Qt::NoModifier);
        QTest::newRow("page down") << int(Qt::Key_PageDown) << int(Qt::NoModifier);
    }

    void keysWithoutTextArePassedOn()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);

        QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), QString());
        QCoreApplication::sendEvent(m_pWindow, &event);
        QVERIFY(!event.isAccepted());
        QCOMPARE(iCountInputCalls("vKeyPress"), 0);
    }

    void aPrintableKeyReachesTheToolAndCtrlZDoesNot()
    {
        vSendKey(QEvent::KeyPress, Qt::Key_K, Qt::ShiftModifier, QStringLiteral("K"));
        QCOMPARE(iCountInputCalls("vKeyPress"), 1);
        const standin::LoggedInput input = standin::testing::stctGetViewerState(m_project).vecInputLog.back();
        QCOMPARE(input.iIndex, int('K'));
        QCOMPARE(input.iFlags, 4);
        QKeyEvent undo(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier, QStringLiteral("\x1a"));
        QCoreApplication::sendEvent(m_pWindow, &undo);
        QVERIFY(undo.isAccepted());
        QCOMPARE(iCountInputCalls("vKeyPress"), 1);
    }

    void undoAndRedoFollowTheProjectsHistory()
    {
        const int layer = standin::testing::iAddLayer(m_project, QStringLiteral("Layer"));
        auto* parameter = pGetLayerParameters(m_project, layer)->pAddNumeric<float>(
            QStringLiteral("opacity"), 1.0f, 0.0f, 1.0f);
        m_pWindow->sltUpdateGUI(2);
        QVERIFY(!m_pWindow->actEditUndo->isEnabled());

        m_pWindow->sldrFrameNumber->setValue(6);
        bSetParameterValueCmd<float>(parameter, 0.25f, m_project);
        m_pWindow->sldrFrameNumber->setValue(9);
        m_pWindow->sltUpdateGUI(2);
        QVERIFY(m_pWindow->actEditUndo->isEnabled());
        QVERIFY(!m_pWindow->actEditRedo->isEnabled());

        m_pWindow->actEditUndo->trigger();
        QCOMPARE(parameter->valueAt(6.0f), 1.0f);
        QCOMPARE(parameter->uiGetKeyCount(), 0u);
        // The frame of the change comes back with it.
        QCOMPARE(m_pWindow->sldrFrameNumber->value(), 6);
        QVERIFY(!m_pWindow->actEditUndo->isEnabled());
        QVERIFY(m_pWindow->actEditRedo->isEnabled());

        m_pWindow->actEditRedo->trigger();
        QCOMPARE(parameter->valueAt(6.0f), 0.25f);
        QVERIFY(m_pWindow->actEditUndo->isEnabled());
        QVERIFY(!m_pWindow->actEditRedo->isEnabled());
    }

    void parameterChangesFromAnEngineThreadArriveAsEvents_data()
    {
        QTest::addColumn<bool>("undoable");
        QTest::newRow("undoable") << true;
        QTest::newRow("not undoable") << false;
    }

    void parameterChangesFromAnEngineThreadArriveAsEvents()
    {
        QFETCH(bool, undoable);
        const int layer = standin::testing::iAddLayer(m_project, QStringLiteral("Layer"));
        auto* parameter = pGetLayerParameters(m_project, layer)->pAddNumeric<unsigned int>(
            QStringLiteral("passes"), 1u, 0u, 10u);
        standin::testing::vCallFromOtherThread([&](CW_CallbackStruct& callbacks) {
            QVERIFY(callbacks.pfnParameterChange);
            Vosk::CompositeCommand command;
            parameter->setStaticValue(4u, &command);
            callbacks.pfnParameterChange(command, 0.0f, undoable);
            // The engine's own command is gone before the event is handled.
        });
        QTRY_COMPARE_WITH_TIMEOUT(parameter->staticValue(), 4u, 5000);
        QCOMPARE(bool(bCanUndo(m_project)), undoable);
        if (undoable) {
            bool reRender = false;
            QVERIFY(bUndo(m_project, reRender));
            QCOMPARE(parameter->staticValue(), 1u);
        }
    }
};

PLINTRA_TEST_MAIN(TstTransport)
#include "tst_transport.moc"
