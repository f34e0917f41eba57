#include "TestEnvironment.h"
#include "ViewerTestFixture.h"

#include "app/CWKCustomEvent.h"
#include "app/ChoiceTables.h"
#include "app/ShellAccessors.h"
#include "mainwindow/frmMain.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

// What reaches the main window from the viewer: key presses and releases, custom events.
class VinRecorder : public QObject {
public:
    QStringList m_events;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
            auto* key = static_cast<QKeyEvent*>(e);
            if (!key->isAutoRepeat() && key->key() == Qt::Key_X)
                m_events << (e->type() == QEvent::KeyPress ? QStringLiteral("X down") : QStringLiteral("X up"));
        } else if (e->type() == QEvent::Type(2001) || e->type() == QEvent::Type(2002)) {
            m_events << QString::number(int(e->type()));
        }
        return false;
    }
};

} // namespace

class TstViewerInput : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    frmMainGLWidget* m_pViewer = nullptr;
    ViewerTestPage* m_pPage = nullptr;
    VinRecorder m_recorder;
    QTemporaryDir m_dir;
    CW_Instance m_pProject = nullptr;

    // The main window's tool action of that name, made when the window has none yet.
    QAction* pToolAction(const char* name)
    {
        QAction* action = m_pWindow->findChild<QAction*>(QLatin1String(name));
        if (!action) {
            action = new QAction(m_pWindow);
            action->setObjectName(QLatin1String(name));
        }
        action->setCheckable(true);
        return action;
    }

    // A move with no button held, as tracking delivers it.
    void vMoveTo(const QPoint& at)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), m_pViewer->mapToGlobal(QPointF(at)), Qt::NoButton,
            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_pViewer, &move);
    }

    void vUncheckTools()
    {
        for (const char* name :
            {"actZoomTool", "actPanTool", "actRotateTool", "actScaleTool", "actTranslateTool", "actPointerTool",
                "actInsertMode", "actAddXSplineLayerTool", "actAddBezierLayerTool", "actAddXSplineContourTool",
                "actAddBezierContourTool", "actSoftConstraintTool", "actTangentsLockedMode"})
            pToolAction(name)->setChecked(false);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(bWriteViewerTestClip(m_dir.path(), 64, 48, 2));
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        auto* tabs = new QTabWidget(m_pWindow);
        m_pPage = new ViewerTestPage();
        tabs->addTab(m_pPage, QStringLiteral("Track"));
        m_pWindow->vSetModuleTabWidget(tabs);
        m_pViewer = m_pWindow->pGetGLWidget();
        m_pWindow->installEventFilter(&m_recorder);
        m_pWindow->resize(900, 700);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
    }

    void init()
    {
        standin::testing::vReset();
        m_pProject = pMakeViewerTestProject(m_dir.path(), 64, 48, 2);
        vResizeWindow(m_pProject, m_pViewer->width(), m_pViewer->height());
        vUncheckTools();
        pToolAction("actPointerTool")->setChecked(true);
        // Choosing a tool refreshes the panels, which may fit a newly shown project.
        vSetZoom(m_pProject, 2.0f);
        vSetOrigin(m_pProject, 10.0f, 20.0f);
        m_pPage->m_inputs.clear();
        m_pPage->m_iMenuItem = -1;
        m_pPage->m_eCursor = 0;
        m_recorder.m_events.clear();
        frmMainGLWidget::vSetInvertScrollWheel(false);
        // The main window turns tracking on while a project is open.
        m_pViewer->setMouseTracking(true);
    }

    void cleanupTestCase()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        m_pWindow->removeEventFilter(&m_recorder);
        delete m_pWindow;
    }

    void pressMoveReleaseReachThePage_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("pointMode");
        QTest::addColumn<int>("flags");

        QTest::newRow("left") << int(Qt::LeftButton) << int(Qt::NoModifier) << 0 << (0x20 | 0x700);
        QTest::newRow("right, point mode 2") << int(Qt::RightButton) << int(Qt::NoModifier) << 2 << (0x80 | 0x200);
        QTest::newRow("shift and control") << int(Qt::LeftButton) << int(Qt::ShiftModifier | Qt::ControlModifier) << 1
                                           << (0x2 | 0x4 | 0x2000 | 0x20 | 0x100);
        QTest::newRow("alt, point mode 3") << int(Qt::LeftButton) << int(Qt::AltModifier) << 3 << (0x8 | 0x20 | 0x300);
    }

    void pressMoveReleaseReachThePage()
    {
        QFETCH(int, button);
        QFETCH(int, modifiers);
        QFETCH(int, pointMode);
        QFETCH(int, flags);
        standin::testing::vEditViewerState(
            m_pProject, [pointMode](standin::ViewerState& state) { state.ePointMode = pointMode; });
        const auto mouseButton = Qt::MouseButton(button);
        const auto keys = Qt::KeyboardModifiers(modifiers);
        // Widget (x, y) is image ((x - 10) / 2, (y - 20) / 2); no point lies on the diagonal,
        // so x and y cannot stand in for each other.
        QTest::mousePress(m_pViewer, mouseButton, keys, QPoint(50, 90));
        QMouseEvent move(QEvent::MouseMove, QPointF(70, 64), m_pViewer->mapToGlobal(QPointF(70, 64)), Qt::NoButton,
            mouseButton, keys);
        QCoreApplication::sendEvent(m_pViewer, &move);
        QTest::mouseRelease(m_pViewer, mouseButton, keys, QPoint(130, 100));

        QCOMPARE(int(m_pPage->m_inputs.size()), 3);
        const ViewerTestInput& press = m_pPage->m_inputs[0];
        const ViewerTestInput& moved = m_pPage->m_inputs[1];
        const ViewerTestInput& release = m_pPage->m_inputs[2];
        QCOMPARE(press.qstrCall, QStringLiteral("press"));
        QCOMPARE(press.fX, 20.0f);
        QCOMPARE(press.fY, 35.0f);
        QCOMPARE(press.iFlags, flags);
        QCOMPARE(moved.qstrCall, QStringLiteral("move"));
        QCOMPARE(moved.fX, 30.0f);
        QCOMPARE(moved.fY, 22.0f);
        QCOMPARE(moved.iFlags, flags);
        QCOMPARE(release.qstrCall, QStringLiteral("release"));
        QCOMPARE(release.fX, 60.0f);
        QCOMPARE(release.fY, 40.0f);
        QCOMPARE(release.iFlags, flags);
        QCOMPARE(m_pViewer->iGetHeldMouseButton(), 0);
    }

    void toolsAndPlayingAddFlags()
    {
        pToolAction("actTangentsLockedMode")->setChecked(true);
        pToolAction("actPointerTool")->setChecked(false);
        pToolAction("actAddBezierContourTool")->setChecked(true);
        QTest::mousePress(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
        QTest::mouseRelease(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
        QVERIFY(!m_pPage->m_inputs.empty());
        QCOMPARE(m_pPage->m_inputs[0].iFlags, 0x20 | 0x700 | 0x8000 | 0x10000);
    }

    void pressWithoutProjectDoesNothing()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        m_pPage->m_iOverlayCount = 0;
        QTest::mousePress(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
        QTest::mouseRelease(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
        QTest::qWait(30);
        QVERIFY(m_pPage->m_inputs.empty());
        QCOMPARE(m_pPage->m_iOverlayCount, 0);
        QCOMPARE(m_pViewer->iGetHeldMouseButton(), 0);
    }

    void middleButtonIsATemporaryPan_data()
    {
        QTest::addColumn<bool>("project");
        QTest::newRow("with a project") << true;
        QTest::newRow("without a project") << false;
    }

    void middleButtonIsATemporaryPan()
    {
        QFETCH(bool, project);
        if (!project)
            ProjectManagerInstance::instance()->setInstance(nullptr);
        QTest::mousePress(m_pViewer, Qt::MiddleButton, Qt::NoModifier, QPoint(50, 60));
        QTest::mouseRelease(m_pViewer, Qt::MiddleButton, Qt::NoModifier, QPoint(50, 60));
        QCOMPARE(m_recorder.m_events, QStringList({QStringLiteral("X down"), QStringLiteral("X up")}));
        if (project) {
            // The main window holds the pan tool while X is down, so the engine pans and the
            // tool before comes back on release.
            const auto log = standin::testing::stctGetViewerState(m_pProject).vecInputLog;
            QVERIFY(!log.empty());
            QCOMPARE(log.front().strCall, std::string("vButtonDown"));
            QCOMPARE(log.front().iFlags & 0x60, 0x60);
            QVERIFY(pToolAction("actPointerTool")->isChecked());
            QVERIFY(!pToolAction("actPanTool")->isChecked());
        }
    }

    void engineToolPressCarriesAutoKeyAndZoomWindows_data()
    {
        QTest::addColumn<bool>("autoKey");
        QTest::addColumn<int>("pageWindows");
        QTest::addColumn<bool>("showZoomWindows");
        QTest::addColumn<bool>("hideOverlays");
        QTest::addColumn<bool>("window2");
        QTest::addColumn<bool>("window3");
        // pageWindows: the page's first, second and third switch as bits 1, 2, 4.
        QTest::newRow("auto-key, all windows shown") << true << 7 << true << false << true << true;
        QTest::newRow("no auto-key, second window") << false << 2 << true << false << true << false;
        QTest::newRow("third window") << true << 4 << true << false << false << true;
        QTest::newRow("first window alone") << false << 1 << true << false << false << false;
        QTest::newRow("zoom windows switched off") << true << 6 << false << false << false << false;
        QTest::newRow("overlays hidden") << false << 6 << true << true << false << false;
    }

    void engineToolPressCarriesAutoKeyAndZoomWindows()
    {
        QFETCH(bool, autoKey);
        QFETCH(int, pageWindows);
        QFETCH(bool, showZoomWindows);
        QFETCH(bool, hideOverlays);
        QFETCH(bool, window2);
        QFETCH(bool, window3);
        frmMainGLWidget::vSetKeyframeSwitchReaders([autoKey]() { return autoKey; }, nullptr);
        for (int i = 0; i < 3; ++i)
            m_pPage->m_abZoomWindows[i] = (pageWindows & (1 << i)) != 0;
        ViewOptionsManager* options = pGetViewOptionsManager();
        const bool showBefore = options->showZoomWindows;
        options->showZoomWindows = showZoomWindows;
        standin::testing::vEditViewerState(m_pProject, [hideOverlays](standin::ViewerState& state) {
            state.eTool = CW_TOOL_ZOOM;
            state.bHideOverlays = hideOverlays;
        });
        pToolAction("actPointerTool")->setChecked(false);
        pToolAction("actZoomTool")->setChecked(true);
        QTest::mousePress(m_pViewer, Qt::RightButton, Qt::NoModifier, QPoint(90, 50));
        QTest::mouseRelease(m_pViewer, Qt::RightButton, Qt::NoModifier, QPoint(90, 50));
        options->showZoomWindows = showBefore;
        frmMainGLWidget::vSetKeyframeSwitchReaders(nullptr, nullptr);
        for (bool& window : m_pPage->m_abZoomWindows)
            window = false;

        const standin::ViewerState state = standin::testing::stctGetViewerState(m_pProject);
        QVERIFY(!state.vecInputLog.empty());
        const standin::LoggedInput& down = state.vecInputLog.front();
        QCOMPARE(QString::fromStdString(down.strCall), QStringLiteral("vButtonDown"));
        QCOMPARE(down.bAutoKey, autoKey);
        QCOMPARE(down.bZoomWindow2, window2);
        QCOMPARE(down.bZoomWindow3, window3);
        QCOMPARE(down.fX, 40.0f);
        QCOMPARE(down.fY, 15.0f);
        QCOMPARE(down.iFlags, 0x80 | 0x700);
    }

    void middleButtonDragPansAndReachesThePage()
    {
        QAction* pan = pToolAction("actPanTool");
        QTest::mousePress(m_pViewer, Qt::MiddleButton, Qt::NoModifier, QPoint(50, 90));
        // While the button is held the main window holds the pan tool.
        QVERIFY(pan->isChecked());
        QCOMPARE(m_pViewer->iGetHeldMouseButton(), int(Qt::MiddleButton));
        for (const QPoint& at : {QPoint(70, 64), QPoint(130, 100)}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(at), m_pViewer->mapToGlobal(QPointF(at)), Qt::NoButton,
                Qt::MiddleButton, Qt::NoModifier);
            QCoreApplication::sendEvent(m_pViewer, &move);
        }
        QTest::mouseRelease(m_pViewer, Qt::MiddleButton, Qt::NoModifier, QPoint(130, 100));

        QCOMPARE(m_recorder.m_events, QStringList({QStringLiteral("X down"), QStringLiteral("X up")}));
        // The press went to the engine's pan, at the pressed image point, with the middle
        // button's flags.
        const auto log = standin::testing::stctGetViewerState(m_pProject).vecInputLog;
        QVERIFY(!log.empty());
        QCOMPARE(log.front().strCall, std::string("vButtonDown"));
        QCOMPARE(log.front().iFlags & 0xe0, 0x60);
        QCOMPARE(log.front().fX, 20.0f);
        QCOMPARE(log.front().fY, 35.0f);
        // Each move of the drag reached the page as a middle drag, where the mouse was.
        std::vector<ViewerTestInput> moves;
        for (const ViewerTestInput& input : m_pPage->m_inputs)
            if (input.qstrCall == QStringLiteral("move"))
                moves.push_back(input);
        QCOMPARE(int(moves.size()), 2);
        for (const ViewerTestInput& input : moves)
            QCOMPARE(input.iFlags & 0xe0, 0x60);
        float x = 0.0f;
        float y = 0.0f;
        convertDisplayToImageCoordinates(m_pProject, 130, 100, x, y);
        QCOMPARE(moves.back().fX, x);
        QCOMPARE(moves.back().fY, y);
        QVERIFY(x != y);
        // Released: the tool before comes back and nothing is held.
        QCOMPARE(m_pViewer->iGetHeldMouseButton(), 0);
        QVERIFY(pToolAction("actPointerTool")->isChecked());
        QVERIFY(!pan->isChecked());
    }

    void busyViewerRefusesAllButPanAndZoom()
    {
        m_pViewer->vSetBusy(true);
        QTest::mousePress(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
        QTest::mouseRelease(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
        QVERIFY(m_pPage->m_inputs.empty());
        QCOMPARE(m_pViewer->iGetHeldMouseButton(), 0);
        standin::testing::vEditViewerState(m_pProject, [](standin::ViewerState& state) { state.eTool = CW_TOOL_PAN; });
        QTest::mousePress(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
        QTest::mouseRelease(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
        m_pViewer->vSetBusy(false);
        QCOMPARE(int(m_pPage->m_inputs.size()), 2);
    }

    void zoomToolGoesToTheEngine()
    {
        pToolAction("actPointerTool")->setChecked(false);
        pToolAction("actZoomTool")->setChecked(true);
        standin::testing::vEditViewerState(m_pProject, [](standin::ViewerState& state) { state.eTool = CW_TOOL_ZOOM; });
        m_pPage->m_iOverlayCount = 0;
        QTest::mousePress(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 90));
        const standin::ViewerState state = standin::testing::stctGetViewerState(m_pProject);
        QCOMPARE(int(state.vecInputLog.size()), 1);
        QCOMPARE(QString::fromStdString(state.vecInputLog[0].strCall), QStringLiteral("vButtonDown"));
        QCOMPARE(state.vecInputLog[0].fX, 20.0f);
        QCOMPARE(state.vecInputLog[0].fY, 35.0f);
        QCOMPARE(state.vecInputLog[0].iFlags, 0x20 | 0x700);
        // The press zoomed in around the pressed point, which stays under the mouse.
        QCOMPARE(state.fZoom, 4.0f);
        float x = 0.0f;
        float y = 0.0f;
        convertDisplayToImageCoordinates(m_pProject, 50, 90, x, y);
        QCOMPARE(x, 20.0f);
        QCOMPARE(y, 35.0f);
        QTest::mouseRelease(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 90));
        // The press never reached the page, but the viewer still repainted.
        QCOMPARE(int(m_pPage->m_inputs.size()), 1);
        QCOMPARE(m_pPage->m_inputs[0].qstrCall, QStringLiteral("release"));
        QTRY_VERIFY(m_pPage->m_iOverlayCount > 0);
    }

    void releaseChecksTheEnginesTool()
    {
        QAction* pan = pToolAction("actPanTool");
        QVERIFY(!pan->isChecked());
        QTest::mousePress(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
        standin::testing::vEditViewerState(m_pProject, [](standin::ViewerState& state) { state.eTool = CW_TOOL_PAN; });
        QTest::mouseRelease(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
        QVERIFY(pan->isChecked());
    }

    void wheelPostsFrameSteps_data()
    {
        QTest::addColumn<bool>("invert");
        QTest::addColumn<int>("delta");
        QTest::addColumn<QStringList>("posted");
        QTest::newRow("down") << false << -120 << QStringList({"2001"});
        QTest::newRow("up") << false << 120 << QStringList({"2002"});
        QTest::newRow("down, inverted") << true << -120 << QStringList({"2002"});
        QTest::newRow("up, inverted") << true << 120 << QStringList({"2001"});
        QTest::newRow("no turn") << false << 0 << QStringList();
    }

    void wheelPostsFrameSteps()
    {
        QFETCH(bool, invert);
        QFETCH(int, delta);
        QFETCH(QStringList, posted);
        frmMainGLWidget::vSetInvertScrollWheel(invert);
        const QPointF at(50, 60);
        QWheelEvent wheel(at, m_pViewer->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
            Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(m_pViewer, &wheel);
        QCoreApplication::processEvents();
        QCOMPARE(m_recorder.m_events, posted);
    }

    void cursorFollowsToolAndPage()
    {
        // The pointer tool with the page's move-point id.
        m_pPage->m_eCursor = 8;
        vMoveTo(QPoint(40, 40));
        QCOMPARE(m_pViewer->eGetCursorId(), CW_CURSOR(8));
        QCOMPARE(m_pViewer->cursor().shape(), Qt::BitmapCursor);
        const QImage movePoint = m_pViewer->cursor().bitmap().toImage();
        // The same id under the zoom tool keeps the cursor; a new id brings the zoom cursor.
        pToolAction("actPointerTool")->setChecked(false);
        pToolAction("actZoomTool")->setChecked(true);
        m_pPage->m_eCursor = 9;
        vMoveTo(QPoint(42, 42));
        QCOMPARE(m_pViewer->cursor().shape(), Qt::BitmapCursor);
        QVERIFY(m_pViewer->cursor().bitmap().toImage() != movePoint);
        // The cross cursor is a shape of its own.
        pToolAction("actZoomTool")->setChecked(false);
        pToolAction("actPointerTool")->setChecked(true);
        m_pPage->m_eCursor = 17;
        vMoveTo(QPoint(44, 44));
        QCOMPARE(m_pViewer->cursor().shape(), Qt::CrossCursor);
    }

    void dragKeepsTheMovePointCursor()
    {
        m_pPage->m_eCursor = 8;
        vMoveTo(QPoint(40, 40));
        QTest::mousePress(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
        m_pPage->m_eCursor = 17;
        QMouseEvent move(QEvent::MouseMove, QPointF(60, 60), m_pViewer->mapToGlobal(QPointF(60, 60)), Qt::NoButton,
            Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_pViewer, &move);
        // Id 17 has a cursor of its own: it applies even during a drag.
        QCOMPARE(m_pViewer->cursor().shape(), Qt::CrossCursor);
        m_pPage->m_eCursor = 12;
        QCoreApplication::sendEvent(m_pViewer, &move);
        // Id 12 has none: the drag keeps what it had.
        QCOMPARE(m_pViewer->eGetCursorId(), CW_CURSOR(17));
        QCOMPARE(m_pViewer->cursor().shape(), Qt::CrossCursor);
        QTest::mouseRelease(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(60, 60));
    }

    void popupMenuItemGoesToTheEngine()
    {
        vInitChoiceTables();
        standin::testing::vEditViewerState(m_pProject, [](standin::ViewerState& state) {
            standin::LayerOutline outline;
            outline.vecPoints = {{1, 1}, {20, 1}, {20, 20}};
            state.mapLayerOutlines[3] = outline;
            state.iCurrentLayer = 3;
        });
        m_pPage->m_iMenuItem = 18;
        int refreshes = 0;
        connect(m_pViewer, &frmMainGLWidget::layerTableRefreshRequested, this, [&refreshes]() { ++refreshes; });
        const QString hideText = stctGetChoiceTables().qslContextMenuActions.at(18);
        // Choose "Hide Layer" in the "Layer" submenu once the menu is up.
        bool chosen = false;
        QTimer::singleShot(200, this, [hideText, &chosen]() {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return;
            for (QAction* group : menu->actions()) {
                if (!group->menu())
                    continue;
                for (QAction* item : group->menu()->actions()) {
                    if (item->text() != hideText)
                        continue;
                    menu->setActiveAction(group);
                    group->menu()->popup(menu->mapToGlobal(QPoint(menu->width(), 0)));
                    group->menu()->setActiveAction(item);
                    QTest::keyClick(group->menu(), Qt::Key_Return);
                    chosen = true;
                    return;
                }
            }
            menu->close();
        });
        QTest::mousePress(m_pViewer, Qt::RightButton, Qt::NoModifier, QPoint(50, 60));
        QVERIFY(chosen);
        const standin::ViewerState state = standin::testing::stctGetViewerState(m_pProject);
        QVERIFY(state.mapLayerOutlines.at(3).bHidden);
        QCOMPARE(state.vecHandledMenuItems, std::vector<int>({18}));
        QCOMPARE(refreshes, 1);
        QCOMPARE(m_pViewer->iGetHeldMouseButton(), 0);
        QTest::mouseRelease(m_pViewer, Qt::RightButton, Qt::NoModifier, QPoint(50, 60));
    }
    void busyPressDoesNotRepaint()
    {
        QTest::qWait(30);
        m_pPage->m_iOverlayCount = 0;
        m_pViewer->vSetBusy(true);
        QTest::mousePress(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
        QTest::qWait(30);
        QCOMPARE(m_pPage->m_iOverlayCount, 0);
        QTest::mouseRelease(m_pViewer, Qt::LeftButton, Qt::NoModifier, QPoint(50, 60));
        m_pViewer->vSetBusy(false);
        QVERIFY(m_pPage->m_inputs.empty());
    }
};

PLINTRA_TEST_MAIN(TstViewerInput)
#include "tst_viewerinput.moc"
