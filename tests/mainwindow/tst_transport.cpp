#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "Murn.h"
#include "app/CWKCustomEvent.h"
#include "app/EngineCallbacks.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "brandor.h"
#include "curves/KeyframeManager.h"
#include "curves/frmCurveEditor.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"
#include "widgets/CWKLineEditDouble.h"
#include "widgets/MurnSetter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <cmath>
#include <memory>

class TstTransport : public QObject {
    Q_OBJECT

    frmMain* m_pWindow = nullptr;
    CW_Instance m_project = nullptr;
    std::unique_ptr<QWidget> m_pElsewhere;

    CW_Instance pMakeProject(
        int count = 20, int fieldMode = CW_PROGRESSIVE, float rate = 25.0f, int firstFile = 0, int offset = 0)
    {
        standin::testing::vReset();
        CW_Instance project = standin::testing::pCreateProject();
        CW_BaseClipInfo clip;
        clip.uiWidth = 64;
        clip.uiHeight = 48;
        clip.uiCount = unsigned(count);
        clip.iFieldMode = fieldMode;
        clip.fFrameRate = rate;
        clip.iFirstIndex = firstFile;
        clip.iFrameOffset = offset;
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

    // Tests that type as a user would make the window active; the others send their events
    // to an inactive window, where the window's shortcuts (Up is "Next Keyframe") stay quiet.
    void vActivateWindow()
    {
        m_pWindow->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pWindow));
    }

    void vDeactivateWindow()
    {
        if (QApplication::activeWindow() != m_pWindow)
            return;
        if (!m_pElsewhere) {
            m_pElsewhere = std::make_unique<QWidget>();
            m_pElsewhere->setGeometry(0, 0, 40, 40);
        }
        m_pElsewhere->show();
        m_pElsewhere->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pElsewhere.get()));
    }

    // Clicks into a frame field, selects its text and types over it, as a user would; the
    // keys go wherever the keyboard focus is.
    void vClickAndType(QLineEdit* field, const QString& typed)
    {
        QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(field->width() / 2, field->height() / 2));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(field));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(field->selectedText(), field->text());
        QTest::keyClicks(QApplication::focusWidget(), typed);
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
        m_pWindow->vSetPlaybackClock({});
        vDeactivateWindow();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        m_pWindow->sltUpdateGUI(1);
        standin::testing::vResetFrameSteps();
        QCoreApplication::processEvents();
    }

    void cleanupTestCase()
    {
        m_pElsewhere.reset();
        delete m_pWindow;
    }

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

    // The three frame fields show frames counted from 0 plus the frame offset (time code
    // without it), whatever the clip's first file number, and a typed frame lands there.
    void typedFramesLandOnTheFrameShown_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<bool>("timecode");
        QTest::addColumn<int>("fieldMode");
        QTest::addColumn<int>("firstFile");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("frame");
        QTest::addColumn<QString>("shown");
        const int current = 0, in = 1, out = 2;
        const int progressive = CW_PROGRESSIVE, upper = CW_UPPER_FIELD_FIRST, lower = CW_LOWER_FIELD_FIRST;

        QTest::newRow("files 1001-1024, offset 1")
            << current << false << progressive << 1001 << 1 << 24 << "5" << 4 << "5";
        QTest::newRow("below the first shown frame")
            << current << false << progressive << 1001 << 1 << 24 << "0" << 0 << "1";
        QTest::newRow("beyond the last shown frame")
            << current << false << progressive << 1001 << 1 << 24 << "99" << 23 << "24";
        QTest::newRow("time code, files from 1: the first frame")
            << current << true << progressive << 1 << 1 << 60 << "00:00:00:00" << 0 << "00:00:00:00";
        QTest::newRow("time code, files from 1001")
            << current << true << progressive << 1001 << 1 << 60 << "00:00:01:03" << 28 << "00:00:01:03";
        QTest::newRow("fields, odd offset") << current << false << upper << 1001 << 3 << 48 << "20:L" << 38 << "20:L";
        QTest::newRow("fields, lower first") << current << false << lower << 1001 << 2 << 48 << "7:U" << 13 << "7:U";
        QTest::newRow("in point, offset 1") << in << false << progressive << 1001 << 1 << 24 << "3" << 2 << "3";
        QTest::newRow("in point, time code from 1")
            << in << true << progressive << 1 << 1 << 60 << "00:00:00:00" << 0 << "00:00:00:00";
        QTest::newRow("in point, fields") << in << false << upper << 1001 << 2 << 48 << "4:L" << 7 << "4:L";
        QTest::newRow("out point, offset 1") << out << false << progressive << 1001 << 1 << 24 << "20" << 19 << "20";
        QTest::newRow("out point beyond the last")
            << out << false << progressive << 1001 << 1 << 24 << "30" << 23 << "24";
    }

    void typedFramesLandOnTheFrameShown()
    {
        QFETCH(int, field);
        QFETCH(bool, timecode);
        QFETCH(int, fieldMode);
        QFETCH(int, firstFile);
        QFETCH(int, offset);
        QFETCH(int, count);
        QFETCH(QString, typed);
        QFETCH(int, frame);
        QFETCH(QString, shown);

        m_project = pMakeProject(count, fieldMode, 25.0f, firstFile, offset);
        standin::testing::vSetUseTimeCode(m_project, timecode);
        m_pWindow->sltUpdateGUI(2);
        m_pWindow->sldrFrameNumber->setValue(10);
        vActivateWindow();
        CWKLineEditTimeCode* edit = QList<CWKLineEditTimeCode*> {m_pWindow->tcedtCurrentFrame,
            m_pWindow->tcedtInPointFrameFrame, m_pWindow->tcedtOutPointFrameFrame}
                                        .at(field);
        vClickAndType(edit, typed);
        if (QTest::currentTestFailed())
            return;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

        QCOMPARE(edit->text(), shown);
        switch (field) {
        case 0:
            QCOMPARE(m_pWindow->sldrFrameNumber->value(), frame);
            QCOMPARE(uiGetFrameNumber(m_project), unsigned(frame));
            break;
        case 1:
            QCOMPARE(m_pWindow->sldrFrameNumber->primaryStart(), frame);
            QCOMPARE(uiGetPlaybackInPoint(m_project), unsigned(frame));
            break;
        default:
            QCOMPARE(m_pWindow->sldrFrameNumber->primaryEnd(), frame);
            QCOMPARE(uiGetPlaybackOutPoint(m_project), unsigned(frame));
            break;
        }
    }

    // A click on the current-frame field gives it the keyboard, from whatever had it: the
    // digits typed go into the field and are no window keys ("7" would jump to the in
    // point). A parameter being keyed keeps the keyframe focus meanwhile.
    void aClickedFrameFieldTakesTheKeys_data()
    {
        QTest::addColumn<bool>("fromParameter");
        QTest::newRow("from the viewer") << false;
        QTest::newRow("from a keyed parameter") << true;
    }

    void aClickedFrameFieldTakesTheKeys()
    {
        QFETCH(bool, fromParameter);
        m_project = pMakeProject(40, CW_PROGRESSIVE, 25.0f, 1001, 1);
        m_pWindow->sltUpdateGUI(2);
        m_pWindow->sldrFrameNumber->setPrimaryRange(2, 30);
        m_pWindow->sldrFrameNumber->setValue(10);
        vActivateWindow();

        Murn::NumericParameter<double> parameter(QStringLiteral("Gain"), 1.0, 0.0, 10.0);
        const auto keyedOwner = std::make_unique<CWKLineEditDouble>(m_pWindow->QMainWindow::centralWidget());
        CWKLineEditDouble* keyed = keyedOwner.get();
        keyed->vSetRange(0.0, 10.0, 2);
        keyed->vSetParameter(&parameter);
        keyed->setGeometry(0, 0, 120, 24);
        keyed->raise();
        keyed->show();
        QWidget* viewer = m_pWindow->pGetGLWidget();
        if (fromParameter) {
            QTest::mouseClick(keyed, Qt::LeftButton);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(keyed));
            QCOMPARE(m_pWindow->pGetFocusedParameterWidget(), static_cast<Murn::CWKParameterWidgetCommon*>(keyed));
        } else {
            viewer->setFocus(Qt::OtherFocusReason);
            QCOMPARE(QApplication::focusWidget(), viewer);
        }

        CWKLineEditTimeCode* field = m_pWindow->tcedtCurrentFrame;
        vClickAndType(field, QStringLiteral("7"));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(field->text(), QStringLiteral("7"));
        QCOMPARE(m_pWindow->sldrFrameNumber->value(), 10);
        QCOMPARE(uiGetFrameNumber(m_project), 10u);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(uiGetFrameNumber(m_project), 6u);
        QCOMPARE(field->text(), QStringLiteral("7"));
        if (fromParameter) {
            QCOMPARE(m_pWindow->pGetFocusedParameterWidget(), static_cast<Murn::CWKParameterWidgetCommon*>(keyed));
            QVERIFY(keyed->bIsHighlighted());
            QCOMPARE(KeyframeManager::instance()->eGetKeyframeFocus(), CWKGUI_KEYFRAME_FOCUS_PARAMETER);
            QVERIFY(parameter.bIsObservedBy(KeyframeManager::instance()));
        }

        // Focus only passed on to the field by the program goes back where it came from.
        viewer->setFocus(Qt::OtherFocusReason);
        field->setFocus(Qt::OtherFocusReason);
        QCOMPARE(QApplication::focusWidget(), viewer);
        m_pWindow->vDetachFocusedParameterWidget();
    }

    // Playback keeps the clip's rate over many steps: each step arms the timer for the next
    // step's place in the schedule from the start, making up a late step and starting afresh
    // after a stall. The test takes each step itself, at clock times it sets.
    void playbackKeepsItsScheduleStepAfterStep_data()
    {
        QTest::addColumn<int>("fieldMode");
        QTest::addColumn<float>("rate");
        // The clock (ms from the start) at which each step is taken, and the time the timer
        // is then armed for.
        QTest::addColumn<QList<double>>("taken");
        QTest::addColumn<QList<double>>("due");
        const int progressive = CW_PROGRESSIVE, upper = CW_UPPER_FIELD_FIRST;
        const double ntsc = 1000.0 / (30000.0 / 1001.0);

        QTest::newRow("25 fps on time") << progressive << 25.0f << QList<double> {40, 80, 120, 160, 200}
                                        << QList<double> {80, 120, 160, 200, 240};
        QTest::newRow("25 fps interlaced")
            << upper << 25.0f << QList<double> {20, 40, 60, 80} << QList<double> {40, 60, 80, 100};
        QTest::newRow("29.97 fps") << progressive << 29.97f
                                   << QList<double> {1 * ntsc, 2 * ntsc, 3 * ntsc, 4 * ntsc, 5 * ntsc}
                                   << QList<double> {2 * ntsc, 3 * ntsc, 4 * ntsc, 5 * ntsc, 6 * ntsc};
        QTest::newRow("steps taken early keep the schedule")
            << progressive << 25.0f << QList<double> {30, 71, 115} << QList<double> {80, 120, 160};
        QTest::newRow("a late step is made up")
            << progressive << 25.0f << QList<double> {40, 95, 120, 160} << QList<double> {80, 120, 160, 200};
        QTest::newRow("a stall starts the schedule afresh")
            << progressive << 25.0f << QList<double> {40, 200, 240, 280} << QList<double> {80, 240, 280, 320};
    }

    void playbackKeepsItsScheduleStepAfterStep()
    {
        QFETCH(int, fieldMode);
        QFETCH(float, rate);
        QFETCH(QList<double>, taken);
        QFETCH(QList<double>, due);

        qint64 nowNs = 0;
        m_pWindow->vSetPlaybackClock([&nowNs] { return nowNs; });
        m_project = pMakeProject(200, fieldMode, rate);
        m_pWindow->sldrFrameNumber->setValue(5);
        m_pWindow->btnPlayForwards_clicked();
        QTimer* timer = m_pWindow->pGetPlaybackTimer();
        QVERIFY(timer);
        timer->stop();
        // The schedule aims a step ahead by the time its frame took to reach the screen, on
        // the same clock: each frame is let reach the screen before the clock moves on, as a
        // frame does between two steps, so a slow machine's late swap reads as no delay.
        QSignalSpy swaps(m_pWindow->pGetGLWidget(), &frmMainGLWidget::frameSwapped);
        for (int step = 0; step < taken.size(); ++step) {
            nowNs = qint64(taken[step] * 1.0e6);
            m_pWindow->sltPlayNextFrame();
            QCOMPARE(m_pWindow->pGetPlaybackTimer(), timer);
            QVERIFY(timer->isActive());
            // The timer counts whole milliseconds.
            const double armedFor = taken[step] + timer->interval();
            timer->stop();
            if (m_pWindow->pGetGLWidget()->isVisible() && swaps.isEmpty())
                swaps.wait(2000);
            swaps.clear();
            QVERIFY2(std::abs(armedFor - due[step]) <= 0.5 + 1e-6,
                qPrintable(QStringLiteral("step %1 armed for %2 ms, due at %3 ms")
                               .arg(step + 1)
                               .arg(armedFor)
                               .arg(due[step])));
            QCOMPARE(m_pWindow->sldrFrameNumber->value(), 5 + step + 1);
        }
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
