// frmMain: the second construction phase (viewer, docks, pages, icons, layout actions) and
// the dock factory.
#include "frmMain.h"

#include "Vosk.h"
#include "app/ChoiceTables.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ResourceLoading.h"
#include "app/Settings.h"
#include "clips/NewProjectDialog.h"
#include "clips/frmClipPage.h"
#include "clips/frmProxyControls.h"
#include "curves/KeyframeControls.h"
#include "curves/frmCurveEditor.h"
#include "curves/frmKeyframeControls.h"
#include "pages/colour/frmAddGrainPage.h"
#include "pages/colour/frmColourPage.h"
#include "pages/colour/frmMatchGrainPage.h"
#include "pages/colour/frmRemoveGrainPage.h"
#include "pages/compositing/frmInsertPage.h"
#include "pages/compositing/frmPatchPage.h"
#include "pages/compositing/frmWarperPage.h"
#include "pages/removal/frmClosedCaptionPage.h"
#include "pages/removal/frmConcealPage.h"
#include "pages/removal/frmMarkUpPage.h"
#include "pages/removal/frmMattePage.h"
#include "pages/removal/frmRemovePage.h"
#include "pages/removal/frmSplineMattePage.h"
#include "pages/tracking/frmAdjustTrackPage.h"
#include "pages/tracking/frmLensPage.h"
#include "pages/tracking/frmStabilizePage.h"
#include "pages/tracking/frmTrackPage.h"
#include "preferences/frmPreferences.h"
#include "preferences/frmSystemPage.h"
#include "velmor.h"
#include "viewer/frmEdgeProperties.h"
#include "viewer/frmHistogramControls.h"
#include "viewer/frmLayerControls.h"
#include "viewer/frmLayerProperties.h"
#include "viewer/frmMainGLWidget.h"
#include "viewer/frmOverlayColours.h"
#include "viewer/frmViewerPreferences.h"
#include "widgets/CWKRecentFilesMenu.h"

#include <QDockWidget>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

void vSetConfigureIcon(QAction* action, const char* image)
{
    action->setIcon(qicnGetResourceIconSet(QLatin1String(image)));
}

void vSetConfigureIcon(QAbstractButton* button, const char* image)
{
    button->setIcon(qicnGetResourceIconSet(QLatin1String(image)));
}

} // namespace

QStatusBar* frmMain::pGetStatusBar()
{
    if (!m_pStatusBar) {
        m_pStatusBar = new QStatusBar(nullptr);
        m_pStatusBar->setSizeGripEnabled(false);
    }
    return m_pStatusBar;
}

void frmMain::vShowStatusMessage(const QString& message)
{
    if (!m_pStatusLabel)
        return;
    m_pStatusLabel->setText(message);
    m_pStatusLabel->show();
}

void frmMain::vHideStatusMessage()
{
    if (m_pStatusLabel)
        m_pStatusLabel->hide();
}

void frmMain::sltConfigureGUI()
{
    if (m_bConfigured)
        return;

    connect(m_pRecentFilesMenu, &CWKRecentFilesMenu::fileSelected, this,
        qOverload<const QString&>(&frmMain::sltFileOpenProject));
    connect(actHelp, &QAction::triggered, this, &frmMain::actHelp_activated);
    connect(actReportError, &QAction::triggered, this, &frmMain::actReportError_activated);
    vConnectImportExportAndHelpActions();
    connect(actFileOpenProject, &QAction::triggered, this, [this] { sltFileOpenProject(); });
    connect(actFileCloseProject, &QAction::triggered, this, [this] { sltFileCloseProject(); });
    connect(actFileNewProject, &QAction::triggered, this, [this] { sltFileNewProject(); });
    connect(actFileSave, &QAction::triggered, this, &frmMain::sltFileSaveProject);
    connect(actFileSaveProjectAs, &QAction::triggered, this, &frmMain::sltFileSaveProjectAs);
    connect(MenuView, &QMenu::triggered, this, &frmMain::menuView_triggered);

    m_pViewerPreferences = std::make_shared<frmViewerPreferences>(this);
    vInitChoiceTables();

    for (QPushButton* button : {btnClipEnd, btnClipStart, btnNextFrame, btnPreviousFrame, btnNextKeyframe,
             btnPreviousKeyframe, btnPlayBackwards, btnPlayForwards, btnStopPlayback})
        button->setMinimumWidth(22);
    vAssignIcons();
    actStopRendering->setShortcuts(actStopRendering->shortcuts() + actPlayStop->shortcuts());
    for (QPushButton* button : std::initializer_list<QPushButton*> {btnRenderThis, btnRenderForwards,
             btnRenderBackwards, btnRenderNext, btnRenderPrevious, btnStopRendering, btnPreview})
        button->setMinimumWidth(22);
    btnPreview->hide();
    actSaveLayerData->setVisible(false);
    actImportLayers->setVisible(false);
    for (QPushButton* button : {btnSetInPoint, btnResetInPoint, btnResetOutPoint, btnSetOutPoint})
        button->setText(QString());

    connect(
        sldrFrameNumber, qOverload<int>(&QSlider::valueChanged), keyframeControlsWidget, &KeyframeControls::updateGUI);
    setWindowIcon(QIcon(qpixGetResourcePixmap(qstrGetProduct() + QStringLiteral("Icon.png"))));

    vCreateLayoutActions();
    vCreateDockWidgets();
    vBuildViewMenu();

    {
        CW_AutoLock lock(&g_mtxEngine, "sltSetWidgetState");
        sltUpdateGUI(0);
    }

    m_pGLWidget = new frmMainGLWidget(fmeRenderArea, this);
    auto* renderLayout = new QVBoxLayout(fmeRenderArea);
    renderLayout->setContentsMargins(0, 0, 0, 0);
    renderLayout->setSpacing(3);
    renderLayout->addWidget(m_pGLWidget);

    m_pPreferences = new frmPreferences(this, {});
    g_pPreferences = m_pPreferences;
    // The preferences re-arm auto-save when they are loaded and on every OK.
    connect(m_pPreferences, &frmPreferences::autosaveChanged, this, &frmMain::vSetAutosave);

    auto* parameterLayout = new QHBoxLayout;
    parameterLayout->setContentsMargins(0, 0, 0, 0);
    parameterLayout->setSpacing(0);
    m_pOuterTabWidget = new QTabWidget(g_pParametersFrame);
    m_pOuterTabWidget->setTabPosition(QTabWidget::West);
    m_pOuterTabWidget->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    parameterLayout->addWidget(m_pOuterTabWidget);
    g_pParametersFrame->setLayout(parameterLayout);
    m_pModuleTabWidget = new QTabWidget;
    m_pOuterTabWidget->addTab(m_pModuleTabWidget, tr("Parameters"));
    m_pFirstLayerPage = nullptr;

    auto* curveEditor = new frmCurveEditor(nullptr, {});
    g_pCurveEditor = curveEditor;
    curveEditor->setAutoFillBackground(true);
    connect(this, &frmMain::updateModuleUI, curveEditor, &CWKControlForm::sltSetWidgetsState);
    connect(sldrFrameNumber, qOverload<int, bool, int>(&CWKSlider::valueChanged), curveEditor,
        &CWKControlForm::sltInputClipRangeChanged);
    connect(curveEditor, &frmCurveEditor::sigPlayPositionChanged, this, &frmMain::sltSetFrame);
    m_pOuterTabWidget->addTab(curveEditor, QStringLiteral("Curve Editor"));

    vCreatePages();

    m_pNewProjectDialog = std::make_shared<NewProjectDialog>(this, 0);
    actGotoProductWebsite->setText(tr("%1 &Online...").arg(qstrGetProductName(qstrGetProduct())));

    menuBar()->addSeparator();
    m_pFullScreenTitleAction = menuBar()->addAction(QStringLiteral("My Caption"));
    vFillOneKeyTools();

    if (m_pFirstLayerPage) {
        m_pModuleTabWidget->setCurrentWidget(m_pFirstLayerPage);
        sltUpdateGUI(5);
    }
    actFinishOpenContour->setVisible(false);
    vConnectViewerServices();
    vConnectTransport();
    vConnectTools();
    // The first page became current before page changes were followed: its render buttons
    // and captions are set here.
    vConnectRenderButtonsToPage(m_pModuleTabWidget->currentWidget());
    vUpdateRenderActions();
    m_bConfigured = true;
}

void frmMain::vAssignIcons()
{
    vSetConfigureIcon(btnClipEnd, "Goto_End.png");
    vSetConfigureIcon(btnClipStart, "Goto_Start.png");
    vSetConfigureIcon(btnNextFrame, "Goto_Next.png");
    vSetConfigureIcon(btnPreviousFrame, "Goto_Previous.png");
    vSetConfigureIcon(btnNextKeyframe, "Goto_NextKeyframe.png");
    vSetConfigureIcon(btnPreviousKeyframe, "Goto_PreviousKeyframe.png");
    vSetConfigureIcon(btnPlayBackwards, "Play_Backwards.png");
    vSetConfigureIcon(btnPlayForwards, "Play_Forwards.png");
    vSetConfigureIcon(btnStopPlayback, "Play_Stop.png");
    vSetConfigureIcon(btnPlayMode, "Play_PingPong.png");
    vSetConfigureIcon(btnZoomToInOutPoints, "ZoomToInOutPoints.png");
    vSetConfigureIcon(btnZoomToFullFrameRange, "ZoomToFullRange.png");

    vSetConfigureIcon(actNextFrame, "Goto_Next.png");
    vSetConfigureIcon(actNextKeyframe, "Goto_NextKeyframe.png");
    vSetConfigureIcon(actPreviousFrame, "Goto_Previous.png");
    vSetConfigureIcon(actPreviousKeyframe, "Goto_PreviousKeyframe.png");
    vSetConfigureIcon(actFirstFrame, "Goto_Start.png");
    vSetConfigureIcon(actLastFrame, "Goto_End.png");
    vSetConfigureIcon(actPlayForwards, "Play_Forwards.png");
    vSetConfigureIcon(actPlayBackwards, "Play_Backwards.png");
    vSetConfigureIcon(actPlayStop, "Play_Stop.png");
    vSetConfigureIcon(actSetInPoint, "SetInPoint.png");
    vSetConfigureIcon(actSetOutPoint, "SetOutPoint.png");
    vSetConfigureIcon(actResetInPoint, "ResetInPoint.png");
    vSetConfigureIcon(actResetOutPoint, "ResetOutPoint.png");
    vSetConfigureIcon(actZoomToInOutPoints, "ZoomToInOutPoints.png");
    vSetConfigureIcon(actZoomToFullFrameRange, "ZoomToFullRange.png");

    vSetConfigureIcon(actFileNewProject, "FileNew.png");
    vSetConfigureIcon(actFileOpenProject, "FileOpen.png");
    vSetConfigureIcon(actFileSave, "FileSave.png");

    vSetConfigureIcon(actPointerTool, "ToolPointer.png");
    vSetConfigureIcon(actInsertMode, "ToolPointerInsert.png");
    vSetConfigureIcon(actZoomTool, "ToolZoom.png");
    vSetConfigureIcon(actPanTool, "ToolHand.png");
    vSetConfigureIcon(actRotateTool, "ToolRotate.png");
    vSetConfigureIcon(actScaleTool, "ToolScale.png");
    vSetConfigureIcon(actTranslateTool, "ToolTranslate.png");
    vSetConfigureIcon(actAddXSplineLayerTool, "ToolAddXSplineLayer.png");
    vSetConfigureIcon(actAddXSplineContourTool, "ToolAddXSpline.png");
    vSetConfigureIcon(actAddBezierLayerTool, "ToolAddBezierLayer.png");
    vSetConfigureIcon(actAddBezierContourTool, "ToolAddBezierSpline.png");
    vSetConfigureIcon(actSoftConstraintTool, "ToolConstraint.png");
    // Tangent locking is a switch of its own, not one of the exclusive tools.
    actgrpTools->removeAction(actTangentsLockedMode);
    vSetConfigureIcon(actTangentsLockedMode, "TangentsLocked.png");
    actTangentsLockedMode->setChecked(true);
    vSetConfigureIcon(actPointModeBoth, "ToolPointModeBoth.png");
    vSetConfigureIcon(actPointModeEdge, "ToolPointModeEdge.png");
    vSetConfigureIcon(actPointModeInner, "ToolPointModeInner.png");
    vSetConfigureIcon(actPointModeAny, "ToolPointModeAny.png");

    vSetConfigureIcon(actEditUndo, "Undo.png");
    vSetConfigureIcon(actEditRedo, "Redo.png");
    vSetConfigureIcon(actRenderThis, "Render_This.png");
    vSetConfigureIcon(actRenderForwards, "Render_Forwards.png");
    vSetConfigureIcon(actRenderBackwards, "Render_Backwards.png");
    vSetConfigureIcon(actRenderNext, "Render_Next.png");
    vSetConfigureIcon(actRenderPrevious, "Render_Previous.png");
    vSetConfigureIcon(actStopRendering, "Play_Stop.png");
    vSetConfigureIcon(actUndoRenderThis, "UndoThis.png");
    vSetConfigureIcon(actUndoRenderAll, "UndoAll.png");
    vSetConfigureIcon(actPreview, "Preview.png");
    vSetConfigureIcon(actViewerPreferences, "ViewerPreferences.png");

    vSetConfigureIcon(btnRenderThis, "Render_This.png");
    vSetConfigureIcon(btnRenderForwards, "Render_Forwards.png");
    vSetConfigureIcon(btnRenderBackwards, "Render_Backwards.png");
    vSetConfigureIcon(btnStopRendering, "Play_Stop.png");
    vSetConfigureIcon(btnRenderNext, "Render_Next.png");
    vSetConfigureIcon(btnRenderPrevious, "Render_Previous.png");
    vSetConfigureIcon(btnPreview, "Preview.png");
    vSetConfigureIcon(actFinishClosedContour, "MenuFinishClosedContour.png");
    vSetConfigureIcon(actFinishOpenContour, "MenuFinishOpenContour.png");

    vSetConfigureIcon(btnResetInPoint, "ResetInPoint.png");
    vSetConfigureIcon(btnResetOutPoint, "ResetOutPoint.png");
    // Each set-point button shows its own picture.
    vSetConfigureIcon(btnSetInPoint, "SetInPoint.png");
    vSetConfigureIcon(btnSetOutPoint, "SetOutPoint.png");
}

void frmMain::vCreateLayoutActions()
{
    m_pResetLayoutMenu = new QMenu(tr("Reset Current Layout to.."), this);
    m_iconLayout = qicnGetResourceIconSet(QStringLiteral("Layout.png"));
    m_iconCurrentLayout = qicnGetResourceIconSet(QStringLiteral("CurrentLayout.png"));
    for (int i = 0; i < kiLayoutCount; ++i) {
        const QString name = qstrGetLayoutName(i);
        QAction* layout = new QAction(name, this);
        layout->setShortcut(QKeySequence(QStringLiteral("Ctrl+%1").arg(i + 1)));
        m_arrLayoutActions.at(size_t(i)) = layout;
        m_arrResetLayoutActions.at(size_t(i)) = new QAction(name, m_pResetLayoutMenu);
    }
    m_pNextLayoutAction = new QAction(tr("Next Layout"), this);
    m_pNextLayoutAction->setShortcut(QKeySequence(tr("Alt+X")));
    m_pNextLayoutAction->setVisible(false);
    m_pPreviousLayoutAction = new QAction(tr("Previous Layout"), this);
    m_pPreviousLayoutAction->setShortcut(QKeySequence(tr("`")));
    m_pPreviousLayoutAction->setVisible(false);
    m_pRenameLayoutAction = new QAction(tr("Rename Current Layout..."), this);
    m_pResetAllVisibleAction = new QAction(tr("All Controls Visible"), m_pResetLayoutMenu);
    m_pResetAllHiddenAction = new QAction(tr("All Controls Hidden"), m_pResetLayoutMenu);
    //: Def. Layout
    m_pDefaultLayoutAction = new QAction(tr("Default"), this);
    m_pLockLayoutAction = new QAction(tr("Lock Layout"), this);
    m_pLockLayoutAction->setCheckable(true);

    connect(m_pResetLayoutMenu, &QMenu::triggered, this, &frmMain::menuResetLayoutTo_triggered);
    connect(m_pResetAllVisibleAction, &QAction::triggered, this, &frmMain::actResetLayoutAllVisible_triggered);
    connect(m_pResetAllHiddenAction, &QAction::triggered, this, &frmMain::actResetLayoutAllHidden_triggered);
    connect(m_pNextLayoutAction, &QAction::triggered, this, &frmMain::actNextLayout_triggered);
    connect(m_pPreviousLayoutAction, &QAction::triggered, this, &frmMain::actPreviousLayout_triggered);
    connect(m_pRenameLayoutAction, &QAction::triggered, this, &frmMain::actRenameLayout_triggered);
    connect(m_pDefaultLayoutAction, &QAction::triggered, this, &frmMain::actDefaultLayout_triggered);
    connect(m_pLockLayoutAction, &QAction::toggled, this, &frmMain::actLockLayout_toggled);
}

QWidget* frmMain::pCreateDockPanel(const QMetaObject& panelClass, QDockWidget*& dock, const QString& title,
    const QString& objectName, const QString* sideKey, Qt::DockWidgetArea defaultArea)
{
    dock = new QDockWidget(title, this, {});
    QObject* created = panelClass.newInstance();
    auto* panel = qobject_cast<QWidget*>(created);
    if (!panel) {
        delete created;
        return nullptr;
    }
    dock->setObjectName(objectName);
    dock->setWidget(panel);
    dock->setSizePolicy(panel->sizePolicy());
    Qt::DockWidgetArea area = defaultArea;
    if (sideKey) {
        if (sideKey->isEmpty())
            area = Qt::RightDockWidgetArea;
        else if (qstrGetFeatures(qstrGetProduct()).contains(*sideKey, Qt::CaseSensitive))
            area = Qt::LeftDockWidgetArea;
        else
            area = Qt::RightDockWidgetArea;
    }
    addDockWidget(area, dock);
    m_mapFactoryDockAreas.insert(dock, area);
    return panel;
}

void frmMain::vCreateDockWidgets()
{
    m_pParametersDock = new QDockWidget(tr("Parameters"), this, {});
    m_pParametersDock->setObjectName(QStringLiteral("dwdgtParameters"));
    m_pParametersDock->toggleViewAction()->setText(tr("&Parameters"));
    m_pParametersDock->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    addDockWidget(Qt::BottomDockWidgetArea, m_pParametersDock);
    auto* frame = new QFrame;
    frame->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    frame->setFrameStyle(QFrame::NoFrame | QFrame::Plain);
    m_pParametersDock->setWidget(frame);
    g_pParametersFrame = frame;

    const QString layerControlsKey = QStringLiteral("layer_controls_onleft");
    const QString histogramKey = QStringLiteral("histogram_controls_onleft");
    const QString layerPropertiesKey = QStringLiteral("layer_properties_onleft");
    const QString proxyKey;
    pCreateDockPanel(frmLayerControls::staticMetaObject, m_pLayerControlsDock, tr("Layer Controls"),
        QStringLiteral("dwdgtLayerControls"), &layerControlsKey, Qt::LeftDockWidgetArea);
    pCreateDockPanel(frmHistogramControls::staticMetaObject, m_pHistogramControlsDock, tr("Histogram Controls"),
        QStringLiteral("dwdgtHistogramControls"), &histogramKey, Qt::LeftDockWidgetArea);
    pCreateDockPanel(frmLayerProperties::staticMetaObject, m_pLayerPropertiesDock, tr("Layer Properties"),
        QStringLiteral("dwdgtLayerProperties"), &layerPropertiesKey, Qt::LeftDockWidgetArea);
    pCreateDockPanel(frmEdgeProperties::staticMetaObject, m_pEdgePropertiesDock, tr("Edge Properties"),
        QStringLiteral("dwdgtEdgeProperties"), &layerPropertiesKey, Qt::LeftDockWidgetArea);
    pCreateDockPanel(frmOverlayColours::staticMetaObject, m_pOverlayColoursDock, tr("Overlay Colours"),
        QStringLiteral("dwdgtOverlayColours"), &layerPropertiesKey, Qt::LeftDockWidgetArea);
    pCreateDockPanel(frmProxyControls::staticMetaObject, m_pProxyControlsDock, tr("Proxy Clips"),
        QStringLiteral("dwdgtProxyControls"), &proxyKey, Qt::LeftDockWidgetArea);
    m_pKeyframePanel = qobject_cast<frmKeyframeControls*>(
        pCreateDockPanel(frmKeyframeControls::staticMetaObject, m_pKeyframeControlsDock, tr("Keyframe Controls"),
            QStringLiteral("dwdgtKeyframeControls"), nullptr, Qt::LeftDockWidgetArea));
}

void frmMain::vBuildViewMenu()
{
    for (QToolBar* bar : findChildren<QToolBar*>(Qt::FindDirectChildrenOnly))
        MenuView->addAction(bar->toggleViewAction());
    MenuView->addSeparator();
    for (QDockWidget* dock : findChildren<QDockWidget*>(Qt::FindDirectChildrenOnly))
        MenuView->addAction(dock->toggleViewAction());
    MenuView->addSeparator();

    sltStoreRestoreSettings(false);
    vStepLayout(0);

    MenuView->addAction(m_pNextLayoutAction);
    MenuView->addAction(m_pPreviousLayoutAction);
    MenuView->addSeparator();
    m_pResetLayoutMenu->addAction(m_pResetAllVisibleAction);
    m_pResetLayoutMenu->addAction(m_pResetAllHiddenAction);
    m_pResetLayoutMenu->addSeparator();
    MenuView->addMenu(m_pResetLayoutMenu);

    MenuView->addAction(m_pDefaultLayoutAction);
    MenuView->addAction(m_pRenameLayoutAction);
    vUpdateLayoutMenus();
    MenuView->addAction(m_pLockLayoutAction);
    m_pLockLayoutAction->setChecked(pGetUserSettings()->value(QStringLiteral("LockLayouts"), false).toBool());
}

void frmMain::vAddPage(CWKControlForm* page, const QString& caption, bool offerAsLayerPage, bool rangeConnection)
{
    page->setAutoFillBackground(true);
    m_pModuleTabWidget->addTab(page, caption);
    connect(this, &frmMain::updateModuleUI, page, &CWKControlForm::sltSetWidgetsState);
    connect(m_pModuleTabWidget, &QTabWidget::currentChanged, page, &CWKControlForm::sltControlFormChanged);
    if (rangeConnection)
        connect(sldrFrameNumber, qOverload<int, bool, int>(&CWKSlider::valueChanged), page,
            &CWKControlForm::sltInputClipRangeChanged);
    if (offerAsLayerPage && !m_pFirstLayerPage && page->bSupportsLayerDisplay())
        m_pFirstLayerPage = page;
}

void frmMain::vCreatePages()
{
    vAddPage(new frmSystemPage(nullptr, {}), QStringLiteral("System"), true, false);
    auto* clipPage = new frmClipPage(nullptr, {});
    clipPage->vConnectViewerPreferences(m_pViewerPreferences);
    vAddPage(clipPage, QStringLiteral("Clip"), true, false);
    vAddPage(new frmLensPage(nullptr, {}), QStringLiteral("Lens"), true, false);
    vAddPage(new frmTrackPage(nullptr, {}), QStringLiteral("Track"), true, false);
    vAddPage(new frmAdjustTrackPage(nullptr, {}), QStringLiteral("AdjustTrack"), true, false);
    vAddPage(new frmInsertPage(nullptr, {}), QStringLiteral("Insert"), true, false);
    vAddPage(new frmPatchPage(nullptr, {}), QStringLiteral("Patch"), true, false);
    vAddPage(new frmRemovePage(nullptr, {}), QStringLiteral("Remove"), true, true);
    vAddPage(new frmMattePage(nullptr, {}), QStringLiteral("Matte"), true, true);
    vAddPage(new frmWarperPage(nullptr, {}), QStringLiteral("Warp"), true, false);
    vAddPage(new frmSplineMattePage(nullptr, {}), QStringLiteral("Roto"), true, true);
    vAddPage(new frmStabilizePage(nullptr, {}), QStringLiteral("Stabilize"), true, true);
    vAddPage(new frmAddGrainPage(nullptr, {}), QStringLiteral("Add Grain"), true, false);
    vAddPage(new frmRemoveGrainPage(nullptr, {}), QStringLiteral("Remove Grain"), false, false);
    vAddPage(new frmMatchGrainPage(nullptr, {}), QStringLiteral("Match Grain"), false, false);
    vAddPage(new frmConcealPage(nullptr, {}), QStringLiteral("Conceal"), true, false);
    vAddPage(new frmColourPage(nullptr, {}), QStringLiteral("Colour"), true, false);
    vAddPage(new frmClosedCaptionPage(nullptr, {}), QStringLiteral("Closed Caption Text"), true, false);
    vAddPage(new frmMarkUpPage(nullptr, {}), QStringLiteral("Mark-Up"), true, false);
}

void frmMain::vFillOneKeyTools()
{
    m_mapOneKeyTools.insert(QStringLiteral(" "), actPointerTool);
    m_mapOneKeyTools.insert(QStringLiteral("I"), actInsertMode);
    m_mapOneKeyTools.insert(QStringLiteral("X"), actPanTool);
    m_mapOneKeyTools.insert(QStringLiteral("Z"), actZoomTool);
    m_mapOneKeyTools.insert(QStringLiteral("W"), actRotateTool);
    m_mapOneKeyTools.insert(QStringLiteral("Q"), actTranslateTool);
    m_mapOneKeyTools.insert(QStringLiteral("E"), actScaleTool);
    for (auto it = m_mapOneKeyTools.cbegin(); it != m_mapOneKeyTools.cend(); ++it)
        if (!it.key().trimmed().isEmpty())
            it.value()->setText(it.value()->text() + QLatin1Char('\t') + it.key());
}
