#include "TestEnvironment.h"
#include "ViewerTestFixture.h"

#include "app/ShellAccessors.h"
#include "mainwindow/frmMain.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"

#include <QAction>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>

class TstViewOptions : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    ViewerTestPage* m_pPage = nullptr;
    QTemporaryDir m_dir;
    CW_Instance m_pProject = nullptr;
    ViewOptionsManager* m_pOptions = nullptr;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(bWriteViewerTestClip(m_dir.path(), 32, 24, 1));
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        auto* tabs = new QTabWidget(m_pWindow);
        m_pPage = new ViewerTestPage();
        tabs->addTab(m_pPage, QStringLiteral("Track"));
        m_pWindow->vSetModuleTabWidget(tabs);
        m_pWindow->resize(640, 480);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
        m_pOptions = pGetViewOptionsManager();
    }

    void init()
    {
        standin::testing::vReset();
        m_pProject = pMakeViewerTestProject(m_dir.path(), 32, 24, 1);
        m_pOptions->resetToInitialState();
        QTest::qWait(20);
        m_pPage->m_iOverlayCount = 0;
    }

    void cleanupTestCase()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        delete m_pWindow;
    }

    void gettersHonourTheMasterSwitches()
    {
        ViewOptionsManager& o = *m_pOptions;
        o.showGrid = o.showSurface = o.showWarperMesh = true;
        QVERIFY(o.bShowGrid() && o.bShowLayers() && o.bShowAllLayers() && o.bShowTangents() && o.bShowAllTangents()
            && o.bShowLayerExtras() && o.bShowSurface() && o.bShowWarperMesh());
        o.setShowOverlays(false);
        QVERIFY(!o.bShowGrid() && !o.bShowLayers() && !o.bShowAllLayers() && !o.bShowTangents() && !o.bShowAllTangents()
            && !o.bShowLayerExtras() && !o.bShowSurface() && !o.bShowWarperMesh());
        o.setShowOverlays(true);
        o.setShowLayers(false);
        QVERIFY(o.showTangents);
        QVERIFY(!o.bShowTangents());
        QVERIFY(!o.bShowLayerExtras());
        QVERIFY(o.bShowAllTangents());
    }

    void resetKeepsTheTrackMatteChoice()
    {
        QSignalSpy reset(m_pOptions, &ViewOptionsManager::reset);
        m_pOptions->selectedTrackMattes = true;
        m_pOptions->showGrid = true;
        m_pOptions->colouriseOpacity = 0.9f;
        m_pOptions->clipToDisplay = 4;
        m_pOptions->resetToInitialState();
        QCOMPARE(reset.count(), 1);
        QVERIFY(!m_pOptions->showGrid);
        QCOMPARE(m_pOptions->colouriseOpacity, 0.5f);
        QCOMPARE(m_pOptions->clipToDisplay, CW_CLIP_ID(1));
        QVERIFY(m_pOptions->selectedTrackMattes);
        m_pOptions->resetToInitialState();
        QCOMPARE(reset.count(), 2);
        QVERIFY(m_pOptions->selectedTrackMattes);
        m_pOptions->selectedTrackMattes = false;
    }

    void proxyScaleMarksClipsChangedWithoutRedraw()
    {
        m_pOptions->setProxyScale(2);
        const standin::ViewerState state = standin::testing::stctGetViewerState(m_pProject);
        QCOMPARE(state.uiClipsChangedCount, 1u);
        QCOMPARE(m_pProject->iProxyScale, 2);
        QCOMPARE(m_pOptions->proxyScale(), 2);
        QTest::qWait(30);
        QCOMPARE(m_pPage->m_iOverlayCount, 0);
    }

    void matteViewReachesTheEngineAndRedraws()
    {
        m_pOptions->showAlpha = true;
        m_pOptions->showRGB = false;
        m_pOptions->setMatteViewState(2);
        const standin::ViewerState state = standin::testing::stctGetViewerState(m_pProject);
        QCOMPARE(state.iMatteView, 2);
        QVERIFY(state.bShowAlpha);
        QVERIFY(!state.bShowRGB);
        QCOMPARE(m_pPage->m_iOverlayCount, 1);
    }

    void meshSwitchesRedrawOnlyOnChange()
    {
        m_pOptions->setShowingWarperMesh(false);
        m_pOptions->setIntOption(4);
        QCOMPARE(m_pPage->m_iOverlayCount, 0);
        m_pOptions->setShowingWarperMesh(true);
        QCOMPARE(m_pPage->m_iOverlayCount, 1);
        m_pOptions->setIntOption(2);
        QCOMPARE(m_pOptions->meshResolutionLevel, 2);
        QCOMPARE(m_pPage->m_iOverlayCount, 2);
    }

    void projectEnablesHideAllByTheViewEvents_data()
    {
        QTest::addColumn<bool>("allow26");
        QTest::addColumn<bool>("allow27");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("both") << true << true << true;
        QTest::newRow("27 only") << false << true << true;
        QTest::newRow("neither") << false << false << false;
    }

    void projectEnablesHideAllByTheViewEvents()
    {
        QFETCH(bool, allow26);
        QFETCH(bool, allow27);
        QFETCH(bool, enabled);
        QAction* hideAll = m_pWindow->findChild<QAction*>(QStringLiteral("actHideAllSelections"));
        if (!hideAll) {
            hideAll = new QAction(m_pWindow);
            hideAll->setObjectName(QStringLiteral("actHideAllSelections"));
        }
        hideAll->setEnabled(!enabled);
        standin::testing::vSetEventAllowed(m_pProject, CW_MODULE_TRACK, 26, allow26);
        standin::testing::vSetEventAllowed(m_pProject, CW_MODULE_TRACK, 27, allow27);
        std::vector<CW_Instance> told;
        const QMetaObject::Connection connection = connect(m_pOptions, &ViewOptionsManager::projectChanged, this,
            [&told](CW_Instance project) { told.push_back(project); });
        m_pOptions->setProject(m_pProject);
        QCOMPARE(hideAll->isEnabled(), enabled);
        // A closed project still tells the listeners, and leaves the action alone.
        m_pOptions->setProject(nullptr);
        disconnect(connection);
        QCOMPARE(told, std::vector<CW_Instance>({m_pProject, nullptr}));
        QCOMPARE(hideAll->isEnabled(), enabled);
    }
    void layerToolsFallBackToThePointerOnAnUnrelatedClip_data()
    {
        QTest::addColumn<int>("tool");
        QTest::addColumn<int>("parent");
        QTest::addColumn<bool>("pointer");
        QTest::newRow("X-spline layer tool, own base") << int(CW_TOOL_ADD_XSPLINE_LAYER) << 0 << true;
        QTest::newRow("Bezier layer tool, own base") << int(CW_TOOL_ADD_BEZIER_LAYER) << 0 << true;
        QTest::newRow("layer tool, derived from clip 1") << int(CW_TOOL_ADD_XSPLINE_LAYER) << 1 << false;
        QTest::newRow("contour tool, own base") << int(CW_TOOL_ADD_XSPLINE_CONTOUR) << 0 << false;
    }

    void layerToolsFallBackToThePointerOnAnUnrelatedClip()
    {
        QFETCH(int, tool);
        QFETCH(int, parent);
        QFETCH(bool, pointer);
        QAction* pointerTool = m_pWindow->findChild<QAction*>(QStringLiteral("actPointerTool"));
        if (!pointerTool) {
            pointerTool = new QAction(m_pWindow);
            pointerTool->setObjectName(QStringLiteral("actPointerTool"));
        }
        pointerTool->setCheckable(true);
        pointerTool->setChecked(false);
        standin::testing::vRegisterClip(m_pProject, 3, *pcstctGetBaseClipInfo(m_pProject, 1));
        standin::testing::vSetClipListing(m_pProject, 3, QStringLiteral("third"), CW_ClipInfo(), CW_CLIP_ID(parent));
        standin::testing::vEditViewerState(
            m_pProject, [tool](standin::ViewerState& state) { state.eTool = CW_TOOL(tool); });
        m_pOptions->setClipToDisplay(3, false);
        QCOMPARE(eGetClipIDToDisplay(m_pProject), CW_CLIP_ID(3));
        QCOMPARE(pointerTool->isChecked(), pointer);
    }
};

PLINTRA_TEST_MAIN(TstViewOptions)
#include "tst_viewoptions.moc"
