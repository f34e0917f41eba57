#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "Murn.h"
#include "app/CWKCustomEvent.h"
#include "app/ChoiceTables.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "curves/KeyframeManager.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/frmProjectNotes.h"
#include "standin/testing.h"
#include "tamsin.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmLayerControls.h"
#include "viewer/frmMainGLWidget.h"
#include "widgets/CWKLineEdit.h"
#include "widgets/CWKSlider.h"

#include <QListWidget>
#include <QMenuBar>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QThread>
#include <atomic>
#include <memory>
#include <thread>

namespace {

// Posts one event from a thread of its own, the way a worker does, and waits (bounded) for
// the window to let it go.
class TstPoster {
public:
    explicit TstPoster(std::function<CWKCustomEvent*(QSemaphore*)> make)
    {
        m_thread.reset(QThread::create([this, make] {
            QSemaphore semaphore(0);
            CWKCustomEvent* event = make(&semaphore);
            const bool waits = event->bHasWaiter();
            bPostToMainWindow(event);
            m_bReleased = !waits || semaphore.tryAcquire(1, 20000);
        }));
        m_thread->start();
    }
    ~TstPoster() { m_thread->wait(30000); }
    QThread* thread() const { return m_thread.get(); }
    bool bFinished() const { return m_thread->isFinished(); }
    bool bReleased() const { return m_bReleased; }

private:
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_bReleased {false};
};

// Holds the engine mutex on another thread, as a worker run does, until released or a
// bounded time has passed.
class TstEngineHolder {
public:
    TstEngineHolder()
        : m_thread([this] {
            g_mtxEngine.lock();
            m_bHolding = true;
            for (int i = 0; i < 1000 && !m_bRelease; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            g_mtxEngine.unlock();
        })
    {
        while (!m_bHolding)
            std::this_thread::yield();
    }
    ~TstEngineHolder()
    {
        m_bRelease = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_bHolding {false};
    std::atomic<bool> m_bRelease {false};
    std::thread m_thread;
};

bool bTstEnabled(QObject* control)
{
    if (auto* menu = qobject_cast<QMenu*>(control))
        return menu->menuAction()->isEnabled();
    if (auto* action = qobject_cast<QAction*>(control))
        return action->isEnabled();
    auto* widget = qobject_cast<QWidget*>(control);
    return widget && widget->isEnabled();
}

} // namespace

class TstMainWindowState : public QObject {
    Q_OBJECT

    frmMain* m_pWindow = nullptr;
    CW_Instance m_project = nullptr;

    CW_Instance pMakeProject(int fieldMode = CW_PROGRESSIVE, double pixelAspect = 1.0)
    {
        standin::testing::vReset();
        CW_Instance project = standin::testing::pCreateProject();
        CW_BaseClipInfo clip;
        clip.uiWidth = 64;
        clip.uiHeight = 48;
        clip.uiCount = 20;
        clip.iFieldMode = fieldMode;
        clip.dPixelAspectRatio = pixelAspect;
        standin::testing::vRegisterClip(project, 1, clip);
        ProjectManagerInstance::instance()->setInstance(project);
        return project;
    }

    // A project over real frames: frame i of the clip filled with colours[i].
    CW_Instance pMakeProjectFromFrames(const QTemporaryDir& folder, const QList<QColor>& colours)
    {
        standin::testing::vReset();
        for (int i = 0; i < colours.size(); ++i) {
            QImage frame(64, 48, QImage::Format_RGB32);
            frame.fill(colours[i]);
            if (!frame.save(folder.filePath(QStringLiteral("shot%1.png").arg(i + 1, 4, 10, QLatin1Char('0')))))
                return nullptr;
        }
        CW_Instance project
            = standin::testing::pCreateProjectFromClip(folder.filePath(QStringLiteral("shot0001.png")), QStringLiteral("shot"));
        ProjectManagerInstance::instance()->setInstance(project);
        return project;
    }

    // Whether the slider shows a keyframe diamond at a frame: its column differs from an
    // unkeyed frame's column along the slider's middle row.
    bool bSliderColumnDiffers(int frame, int plainFrame) const
    {
        CWKSlider* slider = m_pWindow->sldrFrameNumber;
        const QImage image = slider->grab().toImage();
        const int y = (slider->height() - 1 + 1) / 2;
        return image.pixel(slider->iFrameColumn(frame), y) != image.pixel(slider->iFrameColumn(plainFrame), y);
    }

    QListWidget* pLayerTable() const
    {
        auto* panel = m_pWindow->findChild<frmLayerControls*>();
        return panel ? panel->pGetLayerTable() : nullptr;
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
        m_pWindow->sldrFrameNumber->setFrameRange(0, 19);
        m_pWindow->sldrFrameNumber->setValue(5);
        m_pWindow->sltUpdateGUI(2);
    }

    void cleanup()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        m_pWindow->sltUpdateGUI(1);
        standin::testing::vResetFrameSteps();
        QCoreApplication::processEvents();
    }

    void cleanupTestCase() { delete m_pWindow; }

    void controlsFollowTheWidgetState_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("enabled");
        const struct {
            const char* control;
            bool on[4];
        } rows[] = {
            // no project, idle, run, playing
            {"MenuFile", {true, true, false, false}},
            {"MenuEdit", {false, true, false, false}},
            {"MenuRender", {false, true, true, false}},
            {"MenuView", {true, true, true, true}},
            {"MenuMovie", {false, true, true, true}},
            {"MenuTools", {false, true, false, false}},
            {"actZoom100", {false, true, true, true}},
            {"actZoomFit", {false, true, true, true}},
            {"actFileSave", {false, true, false, false}},
            {"actFileNewProject", {true, true, false, false}},
            {"actFileCloseProject", {false, true, true, false}},
            {"actPanTool", {false, true, false, true}},
            {"actRotateTool", {false, true, false, false}},
            {"tcedtCurrentFrame", {false, true, false, false}},
            {"sldrFrameNumber", {false, true, false, true}},
            {"btnPlayMode", {false, true, false, true}},
        };
        for (const auto& row : rows)
            for (int state = 1; state <= 4; ++state)
                QTest::addRow("%s in state %d", row.control, state)
                    << state << QString::fromLatin1(row.control) << row.on[state - 1];
    }

    void controlsFollowTheWidgetState()
    {
        QFETCH(int, state);
        QFETCH(QString, control);
        QFETCH(bool, enabled);
        if (state == 1)
            ProjectManagerInstance::instance()->setInstance(nullptr);
        m_pWindow->sltUpdateGUI(state);
        QCOMPARE(m_pWindow->iGetWidgetsState(), state);
        QObject* object = m_pWindow->findChild<QObject*>(control);
        QVERIFY2(object, qPrintable(control));
        QCOMPARE(bTstEnabled(object), enabled);
    }

    // A user sees a disabled menu as a greyed title; File stays as it was.
    void menuTitlesAreDrawnGreyedWithoutAProject()
    {
        QMenuBar* bar = m_pWindow->menuBar();
        const QRect editTitle = bar->actionGeometry(m_pWindow->MenuEdit->menuAction());
        const QRect fileTitle = bar->actionGeometry(m_pWindow->MenuFile->menuAction());
        QVERIFY(!editTitle.isEmpty());
        const QImage withProject = bar->grab().toImage();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        m_pWindow->sltUpdateGUI(1);
        const QImage without = bar->grab().toImage();
        QVERIFY(withProject.copy(editTitle) != without.copy(editTitle));
        QCOMPARE(withProject.copy(fileTitle), without.copy(fileTitle));
    }

    void sltUpdateGUIWithFiveKeepsTheState()
    {
        m_pWindow->sltUpdateGUI(4);
        QSignalSpy modules(m_pWindow, &frmMain::updateModuleUI);
        m_pWindow->sltUpdateGUI(5);
        QCOMPARE(m_pWindow->iGetWidgetsState(), 4);
        QCOMPARE(modules.size(), 1);
        QCOMPARE(modules.first().first().toInt(), 4);
    }

    void frameEventsFromAWorker_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("tool");
        QTest::addColumn<bool>("sliderEnabled");
        QTest::addColumn<bool>("engineBusy");
        QTest::addColumn<int>("expected");
        // The slider makes its frame current in the engine.
        QTest::addColumn<int>("engineFrame");

        QTest::newRow("next") << 2001 << 5 << int(CW_TOOL_POINTER) << true << false << 6 << 6;
        QTest::newRow("previous") << 2002 << 5 << int(CW_TOOL_POINTER) << true << false << 4 << 4;
        QTest::newRow("next, engine first") << 2003 << 5 << int(CW_TOOL_POINTER) << true << false << 6 << 6;
        QTest::newRow("previous, engine first") << 2004 << 5 << int(CW_TOOL_POINTER) << true << false << 4 << 4;
        QTest::newRow("next on the last frame") << 2001 << 19 << int(CW_TOOL_POINTER) << true << false << 19 << 19;
        QTest::newRow("previous on frame 0") << 2002 << 0 << int(CW_TOOL_POINTER) << true << false << 0 << 0;
        QTest::newRow("pan tool, slider off") << 2001 << 5 << int(CW_TOOL_PAN) << false << false << 5 << 5;
        QTest::newRow("drawing tool, slider off")
            << 2001 << 5 << int(CW_TOOL_ADD_BEZIER_CONTOUR) << false << false << 5 << 5;
        QTest::newRow("pointer tool, slider off") << 2001 << 5 << int(CW_TOOL_POINTER) << false << false << 6 << 6;
        QTest::newRow("engine busy") << 2003 << 5 << int(CW_TOOL_POINTER) << true << true << 5 << 5;
        QTest::newRow("unknown code") << 2011 << 5 << int(CW_TOOL_POINTER) << true << false << 5 << 5;
    }

    void frameEventsFromAWorker()
    {
        QFETCH(int, code);
        QFETCH(int, start);
        QFETCH(int, tool);
        QFETCH(bool, sliderEnabled);
        QFETCH(bool, engineBusy);
        QFETCH(int, expected);
        QFETCH(int, engineFrame);

        standin::testing::vEditViewerState(m_project, [tool](standin::ViewerState& v) { v.eTool = CW_TOOL(tool); });
        m_pWindow->sldrFrameNumber->setValue(start);
        m_pWindow->sldrFrameNumber->setEnabled(sliderEnabled);
        // The frame change asked for a merged viewer repaint, which would wait for a busy engine.
        QTest::qWait(100);
        std::unique_ptr<TstEngineHolder> holder(engineBusy ? new TstEngineHolder : nullptr);
        TstPoster poster([code](QSemaphore* s) { return CWKCustomEvent::pWithWaiter(code, s); });
        QTRY_VERIFY_WITH_TIMEOUT(poster.bFinished(), 25000);
        QVERIFY(poster.bReleased());
        holder.reset();
        QCOMPARE(m_pWindow->sldrFrameNumber->value(), expected);
        QCOMPARE(int(uiGetFrameNumber(m_project)), engineFrame);
    }

    void moduleOutputEventsShowTheOutputClip_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("engineBusy");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("alphaAsMatte");
        QTest::newRow("output, plain view") << 3002 << false << 2 << false;
        QTest::newRow("matte output") << 3001 << false << 2 << true;
        QTest::newRow("output, view kept") << 3007 << false << 2 << true;
        QTest::newRow("output needing a project, engine busy") << 3003 << true << 1 << true;
    }

    void moduleOutputEventsShowTheOutputClip()
    {
        QFETCH(int, code);
        QFETCH(bool, engineBusy);
        QFETCH(int, shown);
        QFETCH(bool, alphaAsMatte);
        CW_BaseClipInfo output = *pcstctGetBaseClipInfo(m_project, 1);
        standin::testing::vRegisterClip(m_project, 2, output);
        ViewOptionsManager* view = pGetViewOptionsManager();
        view->clipToDisplay = 1;
        view->showAlpha = true;
        QCOMPARE(eGetClipIDToDisplay(m_project), CW_CLIP_ID(1));

        // Busy, only the events that need no project pass the engine checkpoint, which
        // would wait for the holder: those are not posted busy here.
        std::unique_ptr<TstEngineHolder> holder(engineBusy ? new TstEngineHolder : nullptr);
        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(code, 2));
        QCoreApplication::sendPostedEvents(m_pWindow);
        holder.reset();
        QCOMPARE(eGetClipIDToDisplay(m_project), CW_CLIP_ID(shown));
        QCOMPARE(view->showAlpha, alphaAsMatte);
        view->showAlpha = false;
    }

    // The worker waiting on a frame event goes on before the event's error box shows, so
    // whatever waits for the worker meanwhile (a close) does not hang behind the box.
    void aThrowingFrameHandlerLetsTheWorkerGoBeforeItsBox()
    {
        standin::testing::vSetStepFault("bMakeFrameCurrent", 6, standin::testing::StepFault::Throw);
        std::unique_ptr<TstPoster> poster;
        std::atomic<int> workerEndedBeforeAnswer {-1};
        testenv::DialogDriver driver;
        driver.handler = [&](QWidget*) {
            // What a close does: wait for the worker, bounded.
            workerEndedBeforeAnswer = poster && poster->thread()->wait(5000) ? 1 : 0;
            return false;
        };
        poster = std::make_unique<TstPoster>([](QSemaphore* s) { return CWKCustomEvent::pWithWaiter(2003, s); });
        QTRY_COMPARE_WITH_TIMEOUT(driver.seen.size(), 1, 25000);
        QTRY_VERIFY_WITH_TIMEOUT(poster->bFinished(), 25000);
        QCOMPARE(workerEndedBeforeAnswer.load(), 1);
        QVERIFY(poster->bReleased());
        QCOMPARE(driver.seen.first().qstrClass, QStringLiteral("QMessageBox"));
        QVERIFY(!driver.seen.first().qstrText.isEmpty());
        QCOMPARE(m_pWindow->sldrFrameNumber->value(), 5);
    }

    void anEngineMessageFromAWorkerIsShownOnTheUserInterfaceThread()
    {
        QThread* boxThread = nullptr;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        testenv::DialogDriver driver;
        driver.handler = [&](QWidget* dialog) {
            boxThread = QThread::currentThread();
            if (auto* box = qobject_cast<QMessageBox*>(dialog))
                icon = box->icon();
            return false;
        };
        TstPoster poster([](QSemaphore*) {
            return CWKCustomEvent::pWithOwned(10000,
                std::make_unique<QStringList>(QStringList {QStringLiteral("Engine"), QStringLiteral("Disk full")}));
        });
        QTRY_COMPARE_WITH_TIMEOUT(driver.seen.size(), 1, 25000);
        QCOMPARE(boxThread, qApp->thread());
        QVERIFY(poster.thread() != qApp->thread());
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(driver.seen.first().qstrText, QStringLiteral("Disk full"));
    }

    void zoomActionsReachTheEngine()
    {
        vSetZoom(m_project, 3.0f);
        m_pWindow->actZoom100->trigger();
        QCOMPARE(fGetZoom(m_project), 1.0f);

        frmMainGLWidget* viewer = m_pWindow->pGetGLWidget();
        const float fit
            = fGetFitZoomFactor(*pcstctGetBaseClipInfo(m_project, 1), viewer->width(), viewer->height(), 64, 48, false);
        m_pWindow->actZoomFit->trigger();
        QVERIFY(qAbs(fGetZoom(m_project) - fit) < 1e-4f);
        QVERIFY(qAbs(fit - 1.0f) > 0.01f);
    }

    void zoomAboutAPointKeepsThatPointStill_data()
    {
        QTest::addColumn<int>("fieldMode");
        QTest::addColumn<double>("pixelAspect");
        QTest::newRow("progressive") << int(CW_PROGRESSIVE) << 1.0;
        QTest::newRow("interlaced") << int(CW_UPPER_FIELD_FIRST) << 1.0;
        QTest::newRow("wide pixels") << int(CW_PROGRESSIVE) << 2.0;
    }

    void zoomAboutAPointKeepsThatPointStill()
    {
        QFETCH(int, fieldMode);
        QFETCH(double, pixelAspect);
        m_project = pMakeProject(fieldMode, pixelAspect);
        vSetOrigin(m_project, 13.0f, -7.0f);
        float beforeX = 0.0f;
        float beforeY = 0.0f;
        convertDisplayToImageCoordinates(m_project, 40, 30, beforeX, beforeY);
        m_pWindow->vZoomViewer(m_project, 2.5f, 40, 30);
        QCOMPARE(fGetZoom(m_project), 2.5f);
        float afterX = 0.0f;
        float afterY = 0.0f;
        convertDisplayToImageCoordinates(m_project, 40, 30, afterX, afterY);
        QVERIFY2(qAbs(afterX - beforeX) < 1e-3f && qAbs(afterY - beforeY) < 1e-3f,
            qPrintable(QStringLiteral("(%1, %2) moved to (%3, %4)").arg(beforeX).arg(beforeY).arg(afterX).arg(afterY)));
    }

    // While a worker holds the engine the panels keep what they show: unsaved notes are not
    // wiped and the layer list does not go blank; the pages are still told.
    void aBusyRefreshKeepsWhatThePanelsShow()
    {
        standin::testing::iAddLayer(m_project, QStringLiteral("Roto 1"));
        m_pWindow->sltUpdateGUI();
        QListWidget* layers = pLayerTable();
        QVERIFY(layers);
        QCOMPARE(layers->count(), 1);
        QCOMPARE(layers->item(0)->text(), QStringLiteral("Roto 1"));

        auto* notes = qobject_cast<QTextEdit*>(g_pProjectNotes->widget());
        QVERIFY(notes);
        notes->setPlainText(QStringLiteral("Unsaved words"));
        QVERIFY(g_pProjectNotes->bIsTextChanged());

        QSignalSpy modules(m_pWindow, &frmMain::updateModuleUI);
        {
            TstEngineHolder holder;
            m_pWindow->sltUpdateGUI();
            QCOMPARE(notes->toPlainText(), QStringLiteral("Unsaved words"));
            QVERIFY(g_pProjectNotes->bIsTextChanged());
            QCOMPARE(layers->count(), 1);
        }
        QCOMPARE(modules.size(), 1);

        // Free again, the panels follow the project.
        ProjectManagerInstance::instance()->setInstance(nullptr);
        m_pWindow->sltUpdateGUI(1);
        QCOMPARE(layers->count(), 0);
    }

    void theViewerAsksForTheLayerTable()
    {
        standin::testing::iAddLayer(m_project, QStringLiteral("Track A"));
        emit m_pWindow->pGetGLWidget()->layerTableRefreshRequested(m_project);
        QCOMPARE(pLayerTable()->count(), 1);
        QCOMPARE(pLayerTable()->item(0)->text(), QStringLiteral("Track A"));
    }

    // Without a current page nothing is allowed, even by a module the engine allows it for.
    void noCurrentPageIsNoModule()
    {
        QVERIFY(m_pWindow->eGetCurrentModule() != CW_MODULE_NONE);
        QTabWidget* tabs = m_pWindow->pGetModuleTabWidget();
        m_pWindow->vSetModuleTabWidget(nullptr);
        const CW_MODULE none = m_pWindow->eGetCurrentModule();
        m_pWindow->sltUpdateGUI(2);
        const bool saveClip = m_pWindow->actFileSaveClip->isEnabled();
        m_pWindow->vSetModuleTabWidget(tabs);
        QCOMPARE(none, CW_MODULE_NONE);
        QVERIFY(none != CW_MODULE_REMOVEGRAIN);
        QVERIFY(!bEventAllowed(m_project, 4, none));
        QVERIFY(bEventAllowed(m_project, 4, CW_MODULE_REMOVEGRAIN));
        QVERIFY(!saveClip);
        m_pWindow->sltUpdateGUI(2);
        QVERIFY(m_pWindow->actFileSaveClip->isEnabled());
    }

    // A press on a bound widget gives its parameter the keyframe focus; the same parameter
    // twice attaches once; losing the parameter focus (10400) lets it go.
    void pressingAParameterWidgetRoutesTheKeyframeFocus()
    {
        Murn::NumericParameter<float> parameter(QStringLiteral("Opacity"), 1, 0, 10);
        CWKLineEdit first;
        CWKLineEdit second;
        for (CWKLineEdit* edit : {&first, &second}) {
            edit->vSetHooks(&stctGetParameterWidgetHooks());
            edit->vSetParameter(&parameter);
            edit->resize(100, 24);
            edit->show();
        }
        QVERIFY(QTest::qWaitForWindowExposed(&second));

        QTest::mouseClick(&first, Qt::LeftButton);
        QCOMPARE(m_pWindow->pGetFocusedParameterWidget(), static_cast<Murn::CWKParameterWidgetCommon*>(&first));
        QVERIFY(first.bIsHighlighted());
        QVERIFY(parameter.bIsObservedBy(KeyframeManager::instance()));
        QCOMPARE(KeyframeManager::instance()->eGetKeyframeFocus(), CWKGUI_KEYFRAME_FOCUS_PARAMETER);

        QTest::mouseClick(&second, Qt::LeftButton);
        QCOMPARE(m_pWindow->pGetFocusedParameterWidget(), static_cast<Murn::CWKParameterWidgetCommon*>(&first));

        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(10400));
        QTRY_VERIFY(!m_pWindow->pGetFocusedParameterWidget());
        QVERIFY(!first.bIsHighlighted());
        QVERIFY(!parameter.bIsObservedBy(KeyframeManager::instance()));
        QCOMPARE(KeyframeManager::instance()->eGetKeyframeFocus(), CWKGUI_KEYFRAME_FOCUS_NONE);
    }

    // The refresh gives the slider its frame-exists row from the files on disk and its
    // keyframe row from the focused parameter's keys.
    void theRefreshFillsTheSlidersFrameRows()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        m_project = pMakeProjectFromFrames(folder, QList<QColor>(10, Qt::blue));
        QVERIFY(m_project);
        QVERIFY(QFile::remove(folder.filePath(QStringLiteral("shot0004.png"))));
        CWKSlider* slider = m_pWindow->sldrFrameNumber;
        slider->setFrameRange(0, 9);
        slider->setValue(0);
        m_pWindow->sltUpdateGUI(2);
        for (int frame = 0; frame < 10; ++frame)
            QVERIFY2(slider->rowMarked(0, frame) == (frame != 3), qPrintable(QString::number(frame)));

        QVERIFY(!bSliderColumnDiffers(6, 8));
        Murn::NumericParameter<float> parameter(QStringLiteral("Opacity"), 1, 0, 10);
        parameter.setValueAt(4.0f, 6.0f);
        CWKLineEdit edit;
        edit.vSetHooks(&stctGetParameterWidgetHooks());
        edit.vSetParameter(&parameter);
        edit.resize(100, 24);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QTest::mouseClick(&edit, Qt::LeftButton);
        QCOMPARE(m_pWindow->pGetFocusedParameterWidget(), static_cast<Murn::CWKParameterWidgetCommon*>(&edit));
        m_pWindow->sltUpdateGUI(2);
        QVERIFY(bSliderColumnDiffers(6, 8));
        // The flags go to the slider per frame: frame 6 only.
        std::vector<int> flags(10, 0);
        KeyframeManager::instance()->getKeyframeFlags(m_project, flags.data(), 10);
        QCOMPARE(flags, std::vector<int>({0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
        m_pWindow->vDetachFocusedParameterWidget();
    }

    // Dragging a range mark shows that frame in the viewer's corner; letting go hides it
    // unless the zoom or pan tool is held.
    void aRangeMarkDragShowsItsFrameAsAThumbnail_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<bool>("staysAfterRelease");
        QTest::newRow("pointer") << QStringLiteral("actPointerTool") << false;
        QTest::newRow("zoom") << QStringLiteral("actZoomTool") << true;
        QTest::newRow("pan") << QStringLiteral("actPanTool") << true;
    }

    void aRangeMarkDragShowsItsFrameAsAThumbnail()
    {
        QFETCH(QString, tool);
        QFETCH(bool, staysAfterRelease);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QList<QColor> colours(10, Qt::blue);
        colours[7] = Qt::red;
        m_project = pMakeProjectFromFrames(folder, colours);
        QVERIFY(m_project);
        CWKSlider* slider = m_pWindow->sldrFrameNumber;
        slider->setFrameRange(0, 9);
        slider->setValue(0);
        m_pWindow->sltUpdateGUI(2);
        m_pWindow->vFitViewerToClip(m_project);
        m_pWindow->findChild<QAction*>(tool)->setChecked(true);
        frmMainGLWidget* viewer = m_pWindow->pGetGLWidget();
        const QPoint corner = viewer->rectThumbnail().center();
        auto red = [&](const QPoint& at) {
            const QColor colour = viewer->grabFramebuffer().pixelColor(at);
            return colour.red() > 200 && colour.blue() < 60;
        };
        QVERIFY(!red(corner));

        emit slider->startDragging(CWKSlider::kiPrimaryRangeId, false);
        emit slider->valueChanged(CWKSlider::kiPrimaryRangeId, false, 7);
        QVERIFY(red(corner));
        QVERIFY(!red(QPoint(viewer->width() / 2, viewer->height() / 2)));
        // Rows 0 and 1 are not range marks: the thumbnail keeps its frame.
        emit slider->valueChanged(0, false, 2);
        QCOMPARE(viewer->iGetThumbnailFrame(), 7);

        emit slider->endDragging(CWKSlider::kiPrimaryRangeId, false);
        QCOMPARE(red(corner), staysAfterRelease);
        m_pWindow->actPointerTool->setChecked(true);
        emit slider->endDragging(CWKSlider::kiPrimaryRangeId, false);
        QVERIFY(!red(corner));
    }

    // A zoom about a point inside one of the tested preview windows zooms that window only;
    // the second and third sit one window height and 6 pixels below the one before.
    void aZoomInsideThePreviewWindowZoomsOnlyThePreview_data()
    {
        QTest::addColumn<int>("above"); // the point's height above the viewer's bottom edge
        QTest::addColumn<bool>("first");
        QTest::addColumn<bool>("second");
        QTest::addColumn<bool>("third");
        QTest::addColumn<bool>("previewZooms");
        QTest::newRow("first window, tested") << 240 << true << false << false << true;
        QTest::newRow("first window, untested") << 240 << false << true << true << false;
        QTest::newRow("second window, tested") << 150 << false << true << false << true;
        QTest::newRow("second window, only the first tested") << 150 << true << false << false << false;
        QTest::newRow("third window, tested") << 60 << false << false << true << true;
        QTest::newRow("above every window") << 300 << true << true << true << false;
        QTest::newRow("in the gap between windows") << 197 << true << true << true << false;
    }

    void aZoomInsideThePreviewWindowZoomsOnlyThePreview()
    {
        QFETCH(int, above);
        QFETCH(bool, first);
        QFETCH(bool, second);
        QFETCH(bool, third);
        QFETCH(bool, previewZooms);
        standin::testing::vEditViewerState(m_project, [](standin::ViewerState& state) {
            state.stctPreviewWindow = CW_PreviewWindowDims {10.0f, 200.0f, 110.0f, 280.0f};
        });
        auto previewZoom = [this] {
            float zoom = 0.0f;
            standin::testing::vEditViewerState(m_project, [&](standin::ViewerState& state) { zoom = state.fPreviewZoom; });
            return zoom;
        };
        vSetZoom(m_project, 1.0f);
        const int y = m_pWindow->pGetGLWidget()->height() - above;
        m_pWindow->vZoomViewer(m_project, 2.0f, 50, y, first, second, third);
        QCOMPARE(previewZoom(), previewZooms ? 2.0f : 1.0f);
        QCOMPARE(fGetZoom(m_project), previewZooms ? 1.0f : 2.0f);
        // The viewer centre never counts as a point in a preview window.
        m_pWindow->vZoomViewer(m_project, 2.0f, frmMain::kiViewerCentre, 0, true, true, true);
        QCOMPARE(previewZoom(), previewZooms ? 2.0f : 1.0f);
    }

    // A clip not yet in a project shows its first frame as a preview: read at the proxy
    // level's size, drawn fitted to the viewer, freed again.
    void aClipPreviewShowsItsFirstFrame_data()
    {
        QTest::addColumn<int>("proxyLevel");
        QTest::addColumn<int>("numberWidth");
        QTest::addColumn<int>("expectedWidth");
        QTest::newRow("full size, numbered") << 0 << 4 << 64;
        QTest::newRow("half size") << 1 << 4 << 32;
        QTest::newRow("quarter size") << 2 << 4 << 16;
        QTest::newRow("single file") << 0 << -1 << 64;
    }

    void aClipPreviewShowsItsFirstFrame()
    {
        QFETCH(int, proxyLevel);
        QFETCH(int, numberWidth);
        QFETCH(int, expectedWidth);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QImage frame(64, 48, QImage::Format_RGB32);
        frame.fill(Qt::red);
        const QString name = numberWidth < 0 ? QStringLiteral("plate.png") : QStringLiteral("plate0012.png");
        QVERIFY(frame.save(folder.filePath(name)));
        // A frame of another colour where a wrongly numbered name would point.
        frame.fill(Qt::green);
        QVERIFY(frame.save(folder.filePath(QStringLiteral("plate12.png"))));

        CW_BaseClipInfo base;
        base.uiWidth = 64;
        base.uiHeight = 48;
        base.iProxyLevel = proxyLevel;
        CW_ClipInfo clip;
        clip.qstrFolder = folder.path();
        clip.qstrFileName = QStringLiteral("plate");
        clip.qstrThirdPart = QStringLiteral(".png");
        clip.iFirstFileNumber = 12;
        clip.iLastFileNumber = 12;
        clip.iThirdNumber = numberWidth;
        clip.iImageType = TAM_UINT8;
        frmMainGLWidget* viewer = m_pWindow->pGetGLWidget();
        m_pWindow->sltInitialisePreviewImage(&base, &clip);
        auto* first = static_cast<Tam_Image*>(viewer->pGetImageA());
        QVERIFY(first && viewer->pGetImageB());
        QCOMPARE(first->iWidth, expectedWidth);
        QCOMPARE(first->iHeight, expectedWidth * 3 / 4);
        const unsigned char* pixel = first->pucData;
        QVERIFY2(pixel[0] > 200 && pixel[1] < 60 && pixel[2] < 60,
            qPrintable(QStringLiteral("%1 %2 %3").arg(pixel[0]).arg(pixel[1]).arg(pixel[2])));

        m_pWindow->sltUpdatePreviewImage(&base, &clip);
        const QImage drawn = viewer->grabFramebuffer();
        const QColor centre = drawn.pixelColor(viewer->width() / 2, viewer->height() / 2);
        QVERIFY2(centre.red() > 200 && centre.green() < 60, qPrintable(centre.name()));
        // Fitted: the image reaches across most of the viewer's shorter side.
        const float fit = fGetFitZoomFactor(base, viewer->width(), viewer->height(), first->iWidth, first->iHeight, false);
        QCOMPARE(viewer->fGetImageBScale(), fit);
        QVERIFY(first->iHeight * fit > viewer->height() * 0.5f || first->iWidth * fit > viewer->width() * 0.5f);

        m_pWindow->sltDeletePreviewImages();
        QVERIFY(!viewer->pGetImageA());
        QVERIFY(!viewer->pGetImageB());
    }

    // The viewer's middle button sends X: the pan tool while it is held, then the tool before.
    void theViewersPanKeyPansOnlyWhileHeld()
    {
        m_pWindow->actPointerTool->setChecked(true);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QString(), false, 1);
        QCoreApplication::sendEvent(m_pWindow, &press);
        QVERIFY(m_pWindow->actPanTool->isChecked());
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QString(), false, 1);
        QCoreApplication::sendEvent(m_pWindow, &release);
        QVERIFY(m_pWindow->actPointerTool->isChecked());
    }
};

PLINTRA_TEST_MAIN(TstMainWindowState)
#include "tst_mainwindowstate.moc"
