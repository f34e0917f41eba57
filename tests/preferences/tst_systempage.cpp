#include "TestEnvironment.h"
#include "../viewer/ViewerTestFixture.h"

#include "app/ProgramState.h"
#include "app/Settings.h"
#include "curves/KeyframeManager.h"
#include "mainwindow/frmMain.h"
#include "platform/DefaultFolders.h"
#include "preferences/frmPreferences.h"
#include "preferences/frmSystemPage.h"
#include "viewer/frmMainGLWidget.h"
#include "widgets/CWKIntValidator.h"

#include <QAction>
#include <QColorDialog>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cmath>

namespace {

bool bSpNear(const QColor& a, const QColor& b, int tolerance = 30)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

// Answers the colour chooser once it is up with the given colour.
void vAnswerColourDialog(const QColor& colour)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, colour] {
        if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            dialog->setCurrentColor(colour);
            dialog->accept();
        }
    });
    timer->start();
}

// The last input of the given call the engine received, or an empty one.
standin::LoggedInput stctLastInput(CW_Instance project, const std::string& call)
{
    const std::vector<standin::LoggedInput> log = standin::testing::stctGetViewerState(project).vecInputLog;
    for (auto it = log.rbegin(); it != log.rend(); ++it)
        if (it->strCall == call)
            return *it;
    return {};
}

} // namespace

class TstSystemPage : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    frmSystemPage* m_pPage = nullptr;

    void vShowSystemTab()
    {
        QTabWidget* tabs = m_pWindow->pGetModuleTabWidget();
        tabs->setCurrentWidget(m_pPage);
        QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("System"));
    }

private slots:
    void initTestCase()
    {
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        m_pPage = m_pWindow->findChild<frmSystemPage*>();
        QVERIFY(m_pPage);
        QVERIFY(m_pWindow->pGetPreferences());
    }

    void cleanupTestCase()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        delete m_pWindow;
    }

    void init()
    {
        testenv::vResetSettings();
        standin::testing::vReset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        KeyframeManager::instance()->vSetAutokey(true);
    }

    void pageIsModuleZeroAndRegistered()
    {
        QCOMPARE(int(m_pPage->eGetModule()), 0);
        QCOMPARE(m_pPage->eGetReadbackClipID(), CW_CLIP_ID(0));
        QVERIFY(m_pWindow->pGetPreferences()->cboxModules->findText(QStringLiteral("System")) >= 0);
        QVERIFY(m_pPage->mapGetKeyMappings().isEmpty());
    }

    void emptySettingsShowWhatPreferencesShow()
    {
        vShowSystemTab();
        frmPreferences preferences;
        m_pPage->sltSetWidgetsState(1);
        QCOMPARE(m_pPage->edtSystemFileCacheFolder->text(), preferences.edtFileCacheDirectory->text());
        QCOMPARE(m_pPage->edtSystemFileCacheFolder->text(), qstrGetDefaultCacheFolder());
        // The same drive in the same unit; builds and other suites write gigabytes to it
        // between the two readings, so a hundredth either way is the same answer.
        bool pageNumber = false;
        bool preferencesNumber = false;
        const qint64 pageSpace = m_pPage->edtSystemDiskSpaceAvailable->text().toLongLong(&pageNumber);
        const qint64 preferencesSpace
            = preferences.edtFileCacheDirectorySpaceAvailable->text().toLongLong(&preferencesNumber);
        QVERIFY(pageNumber && preferencesNumber);
        QVERIFY2(std::abs(pageSpace - preferencesSpace) <= std::max<qint64>(2, preferencesSpace / 100),
                 qPrintable(QStringLiteral("%1 against %2").arg(pageSpace).arg(preferencesSpace)));
        QVERIFY(m_pPage->chkbxSystemUseDisplayCache->isChecked());
        QVERIFY(!m_pPage->chkbxSystemCacheOriginalClip->isChecked());
    }

    void storedSettingsAreShown()
    {
        vShowSystemTab();
        pGetUserSettings()->setValue(QStringLiteral("FileCacheFolder"), QStringLiteral("/no/such/folder"));
        pGetUserSettings()->setValue(QStringLiteral("CacheOriginalClip"), true);
        pGetUserSettings()->setValue(QStringLiteral("UseDisplayCache"), false);
        m_pPage->sltSetWidgetsState(0);
        QCOMPARE(m_pPage->edtSystemFileCacheFolder->text(), QStringLiteral("/no/such/folder"));
        QCOMPARE(m_pPage->edtSystemDiskSpaceAvailable->text(), QStringLiteral("Not Available"));
        QVERIFY(m_pPage->chkbxSystemCacheOriginalClip->isChecked());
        QVERIFY(!m_pPage->chkbxSystemUseDisplayCache->isChecked());
    }

    void widgetStates_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("enabled");
        const QStringList all = {"edtSystemDiskSpaceAvailable",   "edtSystemPercentageDiskSpaceUsed",
                                 "edtSystemFileCacheFolder",      "btnSystemSpecifyFileCacheFolder",
                                 "chkbxSystemCacheOriginalClip",  "chkbxSystemUseDisplayCache",
                                 "iedtSystemMaxDisplayCacheSize", "edtSystemDisplayCachePercentageUsed"};
        QTest::newRow("reload") << 1 << QStringList();
        QTest::newRow("editable") << 2 << all;
        QTest::newRow("run") << 3
                             << QStringList{"edtSystemDiskSpaceAvailable", "edtSystemPercentageDiskSpaceUsed",
                                            "edtSystemDisplayCachePercentageUsed"};
        QTest::newRow("unknown") << 7 << QStringList();
    }

    void widgetStates()
    {
        QFETCH(int, state);
        QFETCH(QStringList, enabled);
        vShowSystemTab();
        m_pPage->sltSetWidgetsState(state);
        for (const char* name : {"edtSystemDiskSpaceAvailable", "edtSystemPercentageDiskSpaceUsed",
                                 "edtSystemFileCacheFolder", "btnSystemSpecifyFileCacheFolder",
                                 "chkbxSystemCacheOriginalClip", "chkbxSystemUseDisplayCache",
                                 "iedtSystemMaxDisplayCacheSize", "edtSystemDisplayCachePercentageUsed"}) {
            QWidget* widget = m_pPage->findChild<QWidget*>(QLatin1String(name));
            QVERIFY(widget);
            QVERIFY2(widget->isEnabled() == enabled.contains(QLatin1String(name)), name);
        }
        QVERIFY(m_pPage->edtSystemPercentageDiskSpaceUsed->text().isEmpty());
    }

    void displayCacheSwitchInEditableState()
    {
        vShowSystemTab();
        m_pPage->sltSetWidgetsState(2);
        m_pPage->chkbxSystemUseDisplayCache->setChecked(false);
        QVERIFY(!m_pPage->iedtSystemMaxDisplayCacheSize->isEnabled());
        QVERIFY(!m_pPage->edtSystemDisplayCachePercentageUsed->isEnabled());
        m_pPage->chkbxSystemUseDisplayCache->setChecked(true);
        QVERIFY(m_pPage->iedtSystemMaxDisplayCacheSize->isEnabled());
        QVERIFY(m_pPage->edtSystemDisplayCachePercentageUsed->isEnabled());
        QCOMPARE(m_pPage->iedtSystemMaxDisplayCacheSize->pGetValidator()->top(), 256);
        QCOMPARE(m_pPage->iedtSystemMaxDisplayCacheSize->pGetValidator()->bottom(), 0);
    }

    void stateChangeOnAnotherTabChangesNothing()
    {
        vShowSystemTab();
        m_pPage->sltSetWidgetsState(2);
        m_pWindow->pGetModuleTabWidget()->setCurrentIndex(1);
        m_pPage->sltSetWidgetsState(1);
        QVERIFY(m_pPage->edtSystemFileCacheFolder->isEnabled());
    }

    void zoomWindowsFollowTheToolPosition()
    {
        CW_Instance project = standin::testing::pCreateProject();
        bool first = true;
        bool second = true;
        bool third = false;
        m_pPage->sltZoomWindowsActive(project, first, second, third);
        QVERIFY(!first);
        QVERIFY(second);
        QVERIFY(!third);
        standin::testing::vEditViewerState(project, [](standin::ViewerState& state) {
            state.bHasToolPosition = true;
            state.fToolX = 3.0f;
        });
        second = false;
        third = true;
        m_pPage->sltZoomWindowsActive(project, first, second, third);
        QVERIFY(first);
        QVERIFY(!second);
        QVERIFY(third);
    }

    void selectedLayerColourChangesTheOverlay()
    {
        QTemporaryDir dir;
        QVERIFY(bWriteViewerTestClip(dir.path(), 64, 48, 1));
        auto* tabs = new QTabWidget(m_pWindow);
        auto* page = new ViewerTestPage();
        tabs->addTab(page, QStringLiteral("Track"));
        QTabWidget* pages = m_pWindow->pGetModuleTabWidget();
        m_pWindow->vSetModuleTabWidget(tabs);
        frmMainGLWidget* viewer = m_pWindow->pGetGLWidget();
        m_pWindow->resize(900, 700);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));

        CW_Instance project = pMakeViewerTestProject(dir.path(), 64, 48, 1);
        vResizeWindow(project, viewer->width(), viewer->height());
        vSetZoom(project, 2.0f);
        vSetOrigin(project, 10.0f, 20.0f);
        standin::testing::vEditViewerState(project, [](standin::ViewerState& state) {
            standin::LayerOutline outline;
            outline.vecPoints = {{8.25, 8.25}, {56.25, 8.25}, {56.25, 40.25}, {8.25, 40.25}};
            state.mapLayerOutlines[1] = outline;
            state.iCurrentLayer = 1;
        });
        // The top edge at image y 8.25 is widget row 36, over the red quadrant.
        auto edgeColour = [viewer] {
            return viewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32).pixelColor(50, 36);
        };
        QVERIFY(!bSpNear(edgeColour(), QColor(0, 0, 255)));

        vAnswerColourDialog(QColor(0, 0, 255));
        m_pWindow->pGetPreferences()->btnColorsSelectedContour->click();
        QVERIFY(bSpNear(edgeColour(), QColor(0, 0, 255)));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("SelectedLayerColourBlue")).toInt(), 255);
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("SelectedLayerColourRed")).toInt(), 0);
        // Off the outline the frame is untouched.
        QVERIFY(bSpNear(viewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32).pixelColor(50, 46),
                        QColor(255, 0, 0), 8));

        // A cancelled chooser changes nothing.
        auto* timer = new QTimer;
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, [timer] {
            if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                dialog->reject();
            }
        });
        timer->start();
        m_pWindow->pGetPreferences()->btnColorsSelectedContour->click();
        QVERIFY(bSpNear(edgeColour(), QColor(0, 0, 255)));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("SelectedLayerColourBlue")).toInt(), 255);

        m_pWindow->hide();
        m_pWindow->vSetModuleTabWidget(pages);
        ProjectManagerInstance::instance()->setInstance(nullptr);
    }

    // The pan tool on the System tab: the viewer's press starts the drag, the page's moves
    // pan the frame under the pointer, its release ends the drag.
    void panDragOnTheSystemTabMovesTheFrame()
    {
        QTemporaryDir dir;
        QVERIFY(bWriteViewerTestClip(dir.path(), 64, 48, 1));
        frmMainGLWidget* viewer = m_pWindow->pGetGLWidget();
        m_pWindow->resize(900, 700);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
        vShowSystemTab();
        CW_Instance project = pMakeViewerTestProject(dir.path(), 64, 48, 1);
        vResizeWindow(project, viewer->width(), viewer->height());
        vSetZoom(project, 2.0f);
        vSetOrigin(project, 10.0f, 20.0f);
        KeyframeManager::instance()->vSetAutokey(false);
        m_pWindow->actPointerTool->setChecked(true);
        m_pWindow->actPanTool->setChecked(true);
        QCOMPARE(eGetCurrentToolType(project), CW_TOOL_PAN);

        auto pixel = [viewer](int x, int y) {
            return viewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32).pixelColor(x, y);
        };
        const std::vector<QColor> quadrants = vecViewerTestQuadrants(0);
        // The frame covers display x 10..138 and y 20..116.
        QVERIFY(bSpNear(pixel(20, 30), quadrants[0], 8));
        QVERIFY(!bSpNear(pixel(150, 100), quadrants[3], 8));

        auto move = [viewer](const QPoint& at, Qt::MouseButtons buttons) {
            QMouseEvent event(QEvent::MouseMove, QPointF(at), viewer->mapToGlobal(QPointF(at)), Qt::NoButton, buttons,
                Qt::NoModifier);
            QCoreApplication::sendEvent(viewer, &event);
        };
        QTest::mousePress(viewer, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
        QVERIFY(bToolIsDragging(project));
        move(QPoint(115, 95), Qt::LeftButton);
        move(QPoint(130, 90), Qt::LeftButton);
        QCOMPARE(fGetOriginOffsetX(project), 40.0f);
        QCOMPARE(fGetOriginOffsetY(project), 10.0f);
        // Each move is read against the view the last one left, so the pointer is seen over
        // the same image point every time the frame follows it.
        const standin::LoggedInput moved = stctLastInput(project, "eMove");
        QCOMPARE(moved.fX, 52.5f);
        QCOMPARE(moved.fY, 37.5f);
        QVERIFY(!moved.bAutoKey);

        QTest::mouseRelease(viewer, Qt::LeftButton, Qt::NoModifier, QPoint(130, 90));
        QVERIFY(!bToolIsDragging(project));
        const standin::LoggedInput released = stctLastInput(project, "vButtonUp");
        QCOMPARE(released.iTool, int(CW_TOOL_PAN));
        QCOMPARE(released.iToolState, 2147483647);
        QCOMPARE(released.fX, 45.0f);
        QCOMPARE(released.fY, 40.0f);
        // The frame moved 30 right and 10 up on screen.
        QVERIFY(!bSpNear(pixel(20, 30), quadrants[0], 8));
        QVERIFY(bSpNear(pixel(150, 100), quadrants[3], 8));

        // Moves after the release ask for the pan cursor but leave the frame where it is.
        CW_CURSOR cursor = 0;
        bool redraw = false;
        m_pPage->mouseMove(70.0f, 30.0f, 0, redraw, cursor);
        QCOMPARE(cursor, 2);
        QVERIFY(!redraw);
        QCOMPARE(fGetOriginOffsetX(project), 40.0f);
        QCOMPARE(fGetOriginOffsetY(project), 10.0f);

        m_pWindow->actPointerTool->setChecked(true);
        KeyframeManager::instance()->vSetAutokey(true);
        m_pWindow->hide();
        ProjectManagerInstance::instance()->setInstance(nullptr);
    }

    void releaseCarriesTheCheckedTool_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("tool");
        QTest::addColumn<int>("cursor");

        QTest::newRow("pointer") << "actPointerTool" << 6 << 0;
        QTest::newRow("insert mode") << "actInsertMode" << 6 << 0;
        QTest::newRow("pan") << "actPanTool" << 7 << 2;
        QTest::newRow("zoom") << "actZoomTool" << 8 << 1;
        QTest::newRow("rotate") << "actRotateTool" << 9 << 3;
        QTest::newRow("scale") << "actScaleTool" << 10 << 4;
        QTest::newRow("translate") << "actTranslateTool" << 11 << 5;
        QTest::newRow("soft constraint") << "actSoftConstraintTool" << 12 << 0;
        QTest::newRow("X-spline layer") << "actAddXSplineLayerTool" << 2 << 0;
        QTest::newRow("Bezier contour") << "actAddBezierContourTool" << 5 << 0;
        QTest::newRow("no tool checked") << "" << 13 << 0;
    }

    void releaseCarriesTheCheckedTool()
    {
        QFETCH(QString, action);
        QFETCH(int, tool);
        QFETCH(int, cursor);
        CW_Instance project = standin::testing::pCreateProject();
        ProjectManagerInstance::instance()->setInstance(project);
        if (action.isEmpty()) {
            QAction* checked = m_pWindow->actgrpTools->checkedAction();
            if (checked)
                checked->setChecked(false);
            for (QAction* each : m_pWindow->actgrpTools->actions())
                QVERIFY(!each->isChecked());
        } else {
            auto* toolAction = m_pWindow->findChild<QAction*>(action);
            QVERIFY(toolAction);
            toolAction->setChecked(true);
            QCOMPARE(int(eGetCurrentToolType(project)), tool);
        }
        QCOMPARE(m_pWindow->eGetCurrentTool(), tool);

        CW_CURSOR shown = -1;
        bool redraw = false;
        m_pPage->mouseMove(3.0f, 4.0f, 0x20, redraw, shown);
        QCOMPARE(shown, cursor);
        m_pPage->mouseRelease(3.0f, 4.0f, 0x24, redraw);
        const standin::LoggedInput released = stctLastInput(project, "vButtonUp");
        QCOMPARE(released.iTool, tool);
        QCOMPARE(released.iFlags, 0x24);
        QVERIFY(released.bAutoKey);
        QVERIFY(!redraw);

        m_pWindow->actPointerTool->setChecked(true);
        ProjectManagerInstance::instance()->setInstance(nullptr);
    }

    // The tool state the window took at a hold-key press goes with the release until the key
    // comes up again.
    void releaseCarriesTheHeldToolState()
    {
        CW_Instance project = standin::testing::pCreateProject();
        ProjectManagerInstance::instance()->setInstance(project);
        m_pWindow->actPointerTool->setChecked(true);
        vSelectTool(project, CW_TOOL_POINTER, 5);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
        QCoreApplication::sendEvent(m_pWindow, &press);
        QVERIFY(m_pWindow->actZoomTool->isChecked());
        bool redraw = false;
        m_pPage->mouseRelease(1.0f, 2.0f, 0x20, redraw);
        QCOMPARE(stctLastInput(project, "vButtonUp").iTool, int(CW_TOOL_ZOOM));
        QCOMPARE(stctLastInput(project, "vButtonUp").iToolState, 5);

        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
        QCoreApplication::sendEvent(m_pWindow, &release);
        QVERIFY(m_pWindow->actPointerTool->isChecked());
        m_pPage->mouseRelease(1.0f, 2.0f, 0x20, redraw);
        QCOMPARE(stctLastInput(project, "vButtonUp").iTool, int(CW_TOOL_POINTER));
        QCOMPARE(stctLastInput(project, "vButtonUp").iToolState, 2147483647);
        ProjectManagerInstance::instance()->setInstance(nullptr);
    }
};

PLINTRA_TEST_MAIN(TstSystemPage)
#include "tst_systempage.moc"
