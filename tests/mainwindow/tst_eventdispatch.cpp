// What the main window does with the events of worker runs and with the viewer's services:
// a run's frame steps against a user's, the end of a run, auto-saves due on a frame step,
// parameter notices, focus, tabs, and the small services the viewer and pages call.
#include "TestEnvironment.h"

#include "Murn.h"
#include "Vosk.h"
#include "app/CWKCustomEvent.h"
#include "app/CWKGUIThreadedProcess.h"
#include "app/ChoiceTables.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "brandor.h"
#include "curves/frmCurveEditor.h"
#include "mainwindow/frmMain.h"
#include "preferences/frmPreferences.h"
#include "standin/testing.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"
#include "widgets/CWKLineEdit.h"
#include "widgets/CWKSlider.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

// Counts the redraw events (2000) the window receives.
class TstRedrawCounter : public QObject {
public:
    int iCount = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Type(2000))
            ++iCount;
        return false;
    }
};

// The view calls the engine received, in order, from the given entry of its input log on:
// the call, its frame or field move and the image point it was given.
QStringList qslViewCalls(CW_Instance project, size_t from = 0)
{
    QStringList calls;
    const std::vector<standin::LoggedInput> log = standin::testing::stctGetViewerState(project).vecInputLog;
    for (size_t i = from; i < log.size(); ++i) {
        const standin::LoggedInput& input = log[i];
        if (input.strCall == "bShiftViewToLockOntoSelection" || input.strCall == "bAdjustViewForNewField")
            calls << QStringLiteral("%1 %2 at %3,%4")
                         .arg(QString::fromStdString(input.strCall))
                         .arg(int(input.iFlags))
                         .arg(double(input.fX), 0, 'f', 1)
                         .arg(double(input.fY), 0, 'f', 1);
    }
    return calls;
}

} // namespace

class TstEventDispatch : public QObject {
    Q_OBJECT

    frmMain* m_pWindow = nullptr;
    CW_Instance m_project = nullptr;
    QTemporaryDir m_tmp;

    // A project over a clip numbered from 1001, as users' clips are.
    CW_Instance pMakeProject(int fieldMode = CW_PROGRESSIVE, unsigned int count = 20)
    {
        standin::testing::vReset();
        CW_Instance project = standin::testing::pCreateProject();
        CW_BaseClipInfo clip;
        clip.uiWidth = 64;
        clip.uiHeight = 48;
        clip.uiCount = count;
        clip.iFieldMode = fieldMode;
        clip.iFrameOffset = 1001;
        standin::testing::vRegisterClip(project, 1, clip);
        standin::testing::vSetTrackStepsRecordOnly(project, true);
        ProjectManagerInstance::instance()->setInstance(project);
        pGetViewOptionsManager()->lockView = false;
        m_pWindow->sltUpdateGUI(2);
        return project;
    }

    size_t uiInputLogSize() const { return standin::testing::stctGetViewerState(m_project).vecInputLog.size(); }

    // Locks the view, with or without a selection for the engine to lock onto.
    void vSetUpView(CW_Instance project, bool lockView, bool selection)
    {
        pGetViewOptionsManager()->lockView = lockView;
        standin::testing::vEditViewerState(project, [selection](standin::ViewerState& v) {
            v.iCurrentLayer = selection ? 3 : -1;
            if (selection)
                v.mapLayerOutlines[3].vecPoints = {QPointF(10, 10), QPointF(30, 12), QPointF(20, 30)};
        });
    }

    bool bRunForwards(unsigned int frames, unsigned int step)
    {
        return bExecuteThreaded(true, false, &bTrackSelectionToNextFrame, 2001, nullptr, nullptr, frames, nullptr,
            nullptr, false, true, step, true);
    }

    // Whether the slider draws a keyframe diamond at a frame: its column there differs from
    // the column of a frame without keys.
    bool bSliderShowsKeyAt(int frame, int plainFrame) const
    {
        CWKSlider* slider = m_pWindow->sldrFrameNumber;
        const QImage image = slider->grab().toImage();
        const int y = slider->height() / 2;
        return image.pixel(slider->iFrameColumn(frame), y) != image.pixel(slider->iFrameColumn(plainFrame), y);
    }

    // An auto-save is due but not yet written: it fell due while a clip played.
    void vMakeAutoSaveDue()
    {
        m_pWindow->vSetAutosave(true, 3600000);
        m_pWindow->pGetGLWidget()->vSetPlaying(true);
        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(4200));
        QCoreApplication::sendPostedEvents(m_pWindow);
        m_pWindow->pGetGLWidget()->vSetPlaying(false);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        // Auto-saves of projects never saved go to "TMP".
        qputenv("TMP", QFile::encodeName(m_tmp.path()));
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        m_pWindow->resize(1000, 700);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
    }

    void init() { m_project = pMakeProject(); }

    void cleanup()
    {
        vEndAllWorkers();
        bWaitWhileExecutingThreaded(true);
        m_pWindow->vSetAutosave(false, 3600000);
        pGetViewOptionsManager()->lockView = false;
        ProjectManagerInstance::instance()->setInstance(nullptr);
        m_pWindow->sltUpdateGUI(1);
        standin::testing::vReset();
        QCoreApplication::processEvents();
    }

    void cleanupTestCase() { delete m_pWindow; }

    // Each frame a run makes current moves the view as the same step by the user does: a
    // locked view follows the selection, an interlaced clip's view moves between fields.
    void runStepsMoveTheViewAsUserStepsDo_data()
    {
        QTest::addColumn<int>("fieldMode");
        QTest::addColumn<bool>("lockView");
        QTest::addColumn<bool>("selection");
        QTest::addColumn<unsigned int>("frames");
        QTest::addColumn<unsigned int>("step");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("lockedAfter");

        const QString shift = QStringLiteral("bShiftViewToLockOntoSelection");
        const QString adjust = QStringLiteral("bAdjustViewForNewField");
        QTest::newRow("locked onto a selection") << int(CW_PROGRESSIVE) << true << true << 3u << 1u
                                                 << QStringList {shift + " 1", shift + " 1", shift + " 1"} << true;
        // The engine cannot lock onto nothing: the first step unlocks the view.
        QTest::newRow("locked with nothing selected")
            << int(CW_PROGRESSIVE) << true << false << 3u << 1u << QStringList {shift + " 1"} << false;
        QTest::newRow("upper field first, every field")
            << int(CW_UPPER_FIELD_FIRST) << false << false << 3u << 1u
            << QStringList {adjust + " 1", adjust + " -1", adjust + " 1"} << false;
        QTest::newRow("lower field first, whole frames")
            << int(CW_LOWER_FIELD_FIRST) << false << false << 6u << 2u
            << QStringList {adjust + " 0", adjust + " 0", adjust + " 0"} << false;
        QTest::newRow("interlaced but locked") << int(CW_UPPER_FIELD_FIRST) << true << true << 2u << 1u
                                               << QStringList {shift + " 1", shift + " 1"} << true;
        QTest::newRow("progressive") << int(CW_PROGRESSIVE) << false << false << 3u << 1u << QStringList() << false;
    }

    void runStepsMoveTheViewAsUserStepsDo()
    {
        QFETCH(int, fieldMode);
        QFETCH(bool, lockView);
        QFETCH(bool, selection);
        QFETCH(unsigned int, frames);
        QFETCH(unsigned int, step);
        QFETCH(QStringList, expected);
        QFETCH(bool, lockedAfter);
        const unsigned int start = 4;

        // The user steps through the same frames with the slider.
        m_project = pMakeProject(fieldMode);
        m_pWindow->sldrFrameNumber->setValue(int(start));
        vSetUpView(m_project, lockView, selection);
        const float originBefore = standin::testing::stctGetViewerState(m_project).fOriginY;
        size_t logStart = uiInputLogSize();
        QList<int> stops;
        for (unsigned int i = 1; i <= (frames - 1) / step + 1; ++i)
            stops << int(start + i * step);
        for (int frame : stops)
            m_pWindow->sldrFrameNumber->setValue(frame);
        QCOMPARE(uiGetFrameNumber(m_project), unsigned(stops.last()));
        const QStringList userCalls = qslViewCalls(m_project, logStart);
        const float userOrigin = standin::testing::stctGetViewerState(m_project).fOriginY;
        QCOMPARE(pGetViewOptionsManager()->lockView, lockedAfter);

        // A run over the same frames.
        m_project = pMakeProject(fieldMode);
        m_pWindow->sldrFrameNumber->setValue(int(start));
        vSetUpView(m_project, lockView, selection);
        QCOMPARE(standin::testing::stctGetViewerState(m_project).fOriginY, originBefore);
        logStart = uiInputLogSize();
        QVERIFY(bRunForwards(frames, step));
        QCOMPARE(m_pWindow->iGetWidgetsState(), 3);
        vWaitForExecutingThreadedToFinish(true);
        QCoreApplication::processEvents();
        QCOMPARE(uiGetFrameNumber(m_project), unsigned(stops.last()));
        QCOMPARE(m_pWindow->sldrFrameNumber->value(), stops.last());

        const QStringList runCalls = qslViewCalls(m_project, logStart);
        QStringList moves;
        for (const QString& call : runCalls)
            moves << call.section(QLatin1Char(' '), 0, 1);
        QCOMPARE(moves, expected);
        // The same calls at the same image point, and the view where the user's steps left it.
        QCOMPARE(runCalls, userCalls);
        QCOMPARE(standin::testing::stctGetViewerState(m_project).fOriginY, userOrigin);
        QCOMPARE(pGetViewOptionsManager()->lockView, lockedAfter);
    }

    // The end of a run hands the cache back to the shown clip: it goes first, old frames
    // are no longer recycled, and the display cache takes the size the preferences give.
    void runEndGivesTheCacheBackToTheShownClip_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<long long>("megabytes");
        QTest::newRow("the preferences' size") << QStringLiteral("384") << 384ll;
        QTest::newRow("beyond the field's range") << QStringLiteral("99999") << 16384ll;
        QTest::newRow("not a number keeps the cache's size") << QStringLiteral("lots") << 77ll;
    }

    void runEndGivesTheCacheBackToTheShownClip()
    {
        QFETCH(QString, field);
        QFETCH(long long, megabytes);
        CW_BaseClipInfo output = *pcstctGetBaseClipInfo(m_project, 1);
        standin::testing::vRegisterClip(m_project, 2, output);
        pGetViewOptionsManager()->setClipToDisplay(2, true);
        QCOMPARE(eGetClipIDToDisplay(m_project), CW_CLIP_ID(2));
        vSetClipIDToPrioritizeInCache(m_project, 1);
        bSetCacheStrategyRecycle(m_project, true);
        vBRD_GLResizeCacheMBytes(77);
        auto* size
            = m_pWindow->pGetPreferences()->findChild<QLineEdit*>(QStringLiteral("iedtPreferencesMaxDisplayCacheSize"));
        QVERIFY(size);
        size->setText(field);

        QVERIFY(bExecuteThreaded(true, false, &bTrackSelectionToNextFrame, 2000, nullptr, nullptr, 1, nullptr, nullptr,
            false, true, 1, true));
        vWaitForExecutingThreadedToFinish(true);
        QTRY_COMPARE(m_pWindow->iGetWidgetsState(), 2);
        const standin::testing::CacheSettings cache = standin::testing::stctGetCacheSettings(m_project);
        QCOMPARE(cache.ePriorityClip, CW_CLIP_ID(2));
        QVERIFY(!cache.bRecycle);
        QCOMPARE(standin::testing::iGetDisplayCacheMBytes(), megabytes);
    }

    // An auto-save that fell due is written on the next frame step, whether or not the step
    // moves: at either end of the clip nothing moves, and the save is still made.
    void aFrameStepWritesADueAutoSaveMovedOrNot_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("after");
        QTest::newRow("next on the last frame") << 2001 << 19 << 19;
        QTest::newRow("previous on the first frame") << 2002 << 0 << 0;
        QTest::newRow("previous on the first frame, engine first") << 2004 << 0 << 0;
        QTest::newRow("next in the middle") << 2003 << 7 << 8;
    }

    void aFrameStepWritesADueAutoSaveMovedOrNot()
    {
        QFETCH(int, code);
        QFETCH(int, start);
        QFETCH(int, after);
        m_pWindow->sldrFrameNumber->setValue(start);
        QCOMPARE(uiGetFrameNumber(m_project), unsigned(start));
        vMakeAutoSaveDue();
        QVERIFY(m_pWindow->bGetAutoSavePending());
        QVERIFY(qstrGetProjectAutoSaveName(m_project).isEmpty());

        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(code));
        QCoreApplication::sendPostedEvents(m_pWindow);
        QCOMPARE(m_pWindow->sldrFrameNumber->value(), after);
        QCOMPARE(uiGetFrameNumber(m_project), unsigned(after));
        const QString autoSave = qstrGetProjectAutoSaveName(m_project);
        QVERIFY2(autoSave.startsWith(QDir(m_tmp.path()).absolutePath()), qPrintable(autoSave));
        bWaitWhileExecutingThreaded(true);
        QVERIFY(QFile::exists(autoSave));
        QVERIFY(!m_pWindow->bGetAutoSavePending());
        QFile::remove(autoSave);
    }

    // A frame step from the viewer or a page moves an interlaced clip's view between its
    // fields once, whether the engine moves first (2003, 2004) or the slider does.
    void frameStepEventsMoveTheViewOnce_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("move");
        QTest::newRow("next") << 2001 << 8 << QStringLiteral("bAdjustViewForNewField -1");
        QTest::newRow("previous") << 2002 << 6 << QStringLiteral("bAdjustViewForNewField -1");
        QTest::newRow("next, engine first") << 2003 << 8 << QStringLiteral("bAdjustViewForNewField -1");
        QTest::newRow("previous, engine first") << 2004 << 6 << QStringLiteral("bAdjustViewForNewField -1");
    }

    void frameStepEventsMoveTheViewOnce()
    {
        QFETCH(int, code);
        QFETCH(int, after);
        QFETCH(QString, move);
        m_project = pMakeProject(CW_UPPER_FIELD_FIRST);
        m_pWindow->sldrFrameNumber->setValue(7);
        const size_t logStart = uiInputLogSize();
        const float origin = standin::testing::stctGetViewerState(m_project).fOriginY;
        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(code));
        QCoreApplication::sendPostedEvents(m_pWindow);
        QCOMPARE(uiGetFrameNumber(m_project), unsigned(after));
        const QStringList calls = qslViewCalls(m_project, logStart);
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first().section(QLatin1Char(' '), 0, 1), move);
        QCOMPARE(standin::testing::stctGetViewerState(m_project).fOriginY, origin - 0.5f);
    }

    // The window as observer of a parameter: a change redraws the viewer through the event
    // queue and brings the slider's keyframe marks up to date; a removal notice and the
    // notices of an undo do neither (the undo's caller redraws once).
    void parameterNoticesRedrawAndMarkKeyframes_data()
    {
        QTest::addColumn<QString>("notice");
        QTest::addColumn<int>("redraws");
        QTest::addColumn<bool>("marked");
        QTest::newRow("a key added") << QStringLiteral("key") << 1 << true;
        QTest::newRow("removal notice") << QStringLiteral("removal") << 0 << false;
        QTest::newRow("an undo replayed by the engine") << QStringLiteral("undo") << 0 << false;
        QTest::newRow("focus refresh") << QStringLiteral("focus") << 0 << true;
    }

    void parameterNoticesRedrawAndMarkKeyframes()
    {
        QFETCH(QString, notice);
        QFETCH(int, redraws);
        QFETCH(bool, marked);
        m_pWindow->sldrFrameNumber->setValue(0);
        Murn::NumericParameter<float> parameter(QStringLiteral("Opacity"), 1, 0, 10);
        CWKLineEdit edit;
        edit.vSetHooks(&stctGetParameterWidgetHooks());
        edit.vSetParameter(&parameter);
        edit.resize(100, 24);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QTest::mouseClick(&edit, Qt::LeftButton);
        QCOMPARE(m_pWindow->pGetFocusedParameterWidget(), static_cast<Murn::CWKParameterWidgetCommon*>(&edit));
        m_pWindow->sltUpdateParameterKeyframes();

        TstRedrawCounter counter;
        if (notice == QLatin1String("undo")) {
            Vosk::CompositeCommand command;
            parameter.setValueAt(4.0f, 6.0f, &command);
            QVERIFY(bMakeParameterChange(m_project, command, nullptr, 6.0f, true));
            m_pWindow->sltUpdateParameterKeyframes();
        } else {
            // Set before the window listens, so that only the notice under test can mark it.
            parameter.setValueAt(4.0f, 6.0f);
        }
        QCOMPARE(bSliderShowsKeyAt(6, 8), notice == QLatin1String("undo"));
        parameter.AttachObserver(m_pWindow,
            notice == QLatin1String("focus") ? &frmMain::focusParameterRefreshNotification
                                             : &frmMain::ParameterChangeNotification);
        QCoreApplication::processEvents();
        m_pWindow->installEventFilter(&counter);

        if (notice == QLatin1String("key") || notice == QLatin1String("focus")) {
            parameter.setValueAt(5.0f, 6.0f);
        } else if (notice == QLatin1String("removal")) {
            parameter.vAnnounceRemoval();
        } else {
            bool reRender = false;
            QVERIFY(bUndo(m_project, reRender));
            // After the undo the key is gone; marked or not says only whether the notice
            // refreshed, so the undo row compares against the key it had.
            QCOMPARE(parameter.uiGetKeyCount(), 0u);
        }
        QCoreApplication::sendPostedEvents(m_pWindow);
        m_pWindow->removeEventFilter(&counter);
        QCOMPARE(counter.iCount, redraws);
        if (notice == QLatin1String("undo"))
            QVERIFY2(bSliderShowsKeyAt(6, 8), "the undo's notices refreshed the marks");
        else
            QCOMPARE(bSliderShowsKeyAt(6, 8), marked);
        parameter.DetachObserver(m_pWindow);
        m_pWindow->vDetachFocusedParameterWidget();
    }

    // A module page out of sight under the curve editor cannot be stopped from the menu
    // during a run; back on the parameters it can.
    void theCurveEditorTabTakesStopRenderingAwayDuringARun()
    {
        QTabWidget* outer = m_pWindow->pGetOuterTabWidget();
        QVERIFY(outer);
        QCOMPARE(outer->currentIndex(), 0);
        m_pWindow->sltUpdateGUI(3);
        QVERIFY(m_pWindow->actStopRendering->isEnabled());
        outer->setCurrentWidget(g_pCurveEditor);
        QVERIFY(!m_pWindow->actStopRendering->isEnabled());
        outer->setCurrentIndex(0);
        QVERIFY(m_pWindow->actStopRendering->isEnabled());
        m_pWindow->sltUpdateGUI(2);
    }

    // The keyboard focus given to the window itself goes on to the viewer.
    void focusOnTheWindowGoesToTheViewer()
    {
        m_pWindow->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pWindow));
        QWidget* page = m_pWindow->pGetModuleTabWidget()->currentWidget();
        page->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), page);
        m_pWindow->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_pWindow->pGetGLWidget()));
    }

    // The current page fills the zoom-window switches; a page that leaves them finds them
    // cleared, not as the caller had them.
    void currentPageMouseFlags_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("toolPosition");
        QTest::addColumn<bool>("first");
        QTest::newRow("a page that sets none") << QStringLiteral("Track") << true << false;
        QTest::newRow("system page, tool placed") << QStringLiteral("System") << true << true;
        QTest::newRow("system page, no tool position") << QStringLiteral("System") << false << false;
    }

    void currentPageMouseFlags()
    {
        QFETCH(QString, page);
        QFETCH(bool, toolPosition);
        QFETCH(bool, first);
        QTabWidget* tabs = m_pWindow->pGetModuleTabWidget();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == page)
                tabs->setCurrentIndex(i);
        QCOMPARE(tabs->tabText(tabs->currentIndex()), page);
        standin::testing::vEditViewerState(m_project, [toolPosition](standin::ViewerState& v) {
            v.bHasToolPosition = toolPosition;
            v.fToolX = 12.0f;
            v.fToolY = 20.0f;
        });
        bool one = true;
        bool two = true;
        bool three = true;
        m_pWindow->vGetCurrentPageMouseFlags(m_project, one, two, three);
        QCOMPARE(one, first);
        QVERIFY(!two);
        QVERIFY(!three);
        tabs->setCurrentIndex(0);
    }

    void smallViewerServices()
    {
        // The viewer handed to a dialog forgets a button held down before.
        frmMainGLWidget* viewer = m_pWindow->pGetGLWidget();
        viewer->vSetHeldMouseButton(1);
        QCOMPARE(m_pWindow->pGetViewerClearingFlag(), viewer);
        QCOMPARE(viewer->iGetHeldMouseButton(), 0);

        m_pWindow->actZoomTool->setChecked(true);
        QVERIFY(m_pWindow->bIsViewActionChecked(QStringLiteral("actZoomTool")));
        QVERIFY(!m_pWindow->bIsViewActionChecked(QStringLiteral("actPanTool")));
        QVERIFY(!m_pWindow->bIsViewActionChecked(QStringLiteral("actNoSuchAction")));
        m_pWindow->actPointerTool->setChecked(true);

        // Locking the view between a frame and itself asks the engine nothing.
        vSetUpView(m_project, true, true);
        m_pWindow->vLockViewOntoSelection(m_project, 1005, 1005);
        QVERIFY(qslViewCalls(m_project).isEmpty());
        m_pWindow->vLockViewOntoSelection(m_project, 5, 3);
        QCOMPARE(qslViewCalls(m_project).size(), 1);
        QVERIFY(qslViewCalls(m_project).first().startsWith(QStringLiteral("bShiftViewToLockOntoSelection -2 ")));

        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString log = folder.filePath(QStringLiteral("error.log"));
        Vosk::Logger::instance()->startLogging(log.toStdString(), "plintra", false);
        m_pWindow->sltSelectInputSplitterTool(false);
        m_pWindow->sltSelectInputSplitterTool(true);
        Vosk::Logger::instance()->Stop();
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QCOMPARE(text.count(QStringLiteral("Splitter tool not yet implemented")), 1);
    }
};

PLINTRA_TEST_MAIN(TstEventDispatch)
#include "tst_eventdispatch.moc"
