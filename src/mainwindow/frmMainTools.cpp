// frmMain: the viewer tools, the render actions that stand for the current page's render
// buttons, keyframe stepping, undo and redo, the point actions and the window's keyboard.
#include "frmMain.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ResourceLoading.h"
#include "app/ShellAccessors.h"
#include "curves/KeyframeManager.h"
#include "curves/frmCurveEditor.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"

#include <QActionGroup>
#include <QDockWidget>
#include <QKeyEvent>
#include <QTabWidget>

namespace {

constexpr int kiNoToolState = 2147483647;

CW_Instance pToProject()
{
    return ProjectManagerInstance::instance()->getInstance();
}

} // namespace

void frmMain::vConnectTools()
{
    // A pointer that is unchecked because another tool was chosen must not take the check back.
    connect(actPointerTool, &QAction::toggled, this, [this](bool checked) {
        if (checked)
            sltSelectPointerTool(true);
    });
    connect(actInsertMode, &QAction::toggled, this, &frmMain::sltToggleInsertMode);
    connect(actAddXSplineLayerTool, &QAction::toggled, this, &frmMain::sltSelectAddXSplineLayerTool);
    connect(actAddBezierLayerTool, &QAction::toggled, this, &frmMain::sltSelectAddBezierLayerTool);
    connect(actAddXSplineContourTool, &QAction::toggled, this, &frmMain::sltSelectAddXSplineContourTool);
    connect(actAddBezierContourTool, &QAction::toggled, this, &frmMain::sltSelectAddBezierContourTool);
    connect(actPanTool, &QAction::toggled, this, &frmMain::sltSelectPanTool);
    connect(actZoomTool, &QAction::toggled, this, &frmMain::sltSelectZoomTool);
    connect(actRotateTool, &QAction::toggled, this, &frmMain::sltSelectRotateTool);
    connect(actScaleTool, &QAction::toggled, this, &frmMain::sltSelectScaleTool);
    connect(actTranslateTool, &QAction::toggled, this, &frmMain::sltSelectTranslateTool);
    connect(actSoftConstraintTool, &QAction::toggled, this, &frmMain::sltSelectSoftConstraintTool);
    connect(actgrpPointMode, &QActionGroup::triggered, this, &frmMain::actPointModeSelected);
    connect(actRenderThis, &QAction::triggered, this, &frmMain::actRenderThis_activated);
    connect(actRenderForwards, &QAction::triggered, this, &frmMain::actRenderForwards_activated);
    connect(actRenderBackwards, &QAction::triggered, this, &frmMain::actRenderBackwards_activated);
    connect(actRenderNext, &QAction::triggered, this, &frmMain::actRenderNext_activated);
    connect(actRenderPrevious, &QAction::triggered, this, &frmMain::actRenderPrevious_activated);
    connect(actStopRendering, &QAction::triggered, this, &frmMain::actStopRendering_activated);
    connect(actUndoRenderThis, &QAction::triggered, this, &frmMain::actUndoRenderThis_activated);
    connect(actUndoRenderAll, &QAction::triggered, this, &frmMain::actUndoRenderAll_activated);
    connect(btnNextKeyframe, &QPushButton::clicked, this, &frmMain::btnNextKeyframe_clicked);
    connect(btnPreviousKeyframe, &QPushButton::clicked, this, &frmMain::btnPreviousKeyframe_clicked);
    connect(actNextKeyframe, &QAction::triggered, this, &frmMain::btnNextKeyframe_clicked);
    connect(actPreviousKeyframe, &QAction::triggered, this, &frmMain::btnPreviousKeyframe_clicked);
    connect(actEditUndo, &QAction::triggered, this, &frmMain::actEditUndo_activated);
    connect(actEditRedo, &QAction::triggered, this, &frmMain::actEditRedo_activated);
    connect(actFinishClosedContour, &QAction::triggered, this, &frmMain::actFinishClosedContour_activated);
    connect(actFinishOpenContour, &QAction::triggered, this, &frmMain::actFinishOpenContour_activated);
    connect(actSwitchPointsOff, &QAction::triggered, this, &frmMain::actSwitchPointsOff_activated);
    connect(actSwitchPointsOn, &QAction::triggered, this, &frmMain::actSwitchPointsOn_activated);
    connect(actDeletePoints, &QAction::triggered, this, &frmMain::actDeletePoints_activated);
    if (m_pModuleTabWidget)
        connect(m_pModuleTabWidget, &QTabWidget::currentChanged, this, &frmMain::sltParameterPageChanged);
}

QAction* frmMain::pToolAction(CW_TOOL tool) const
{
    switch (tool) {
    case CW_TOOL_ADD_XSPLINE_LAYER: return actAddXSplineLayerTool;
    case CW_TOOL_ADD_BEZIER_LAYER: return actAddBezierLayerTool;
    case CW_TOOL_ADD_XSPLINE_CONTOUR: return actAddXSplineContourTool;
    case CW_TOOL_ADD_BEZIER_CONTOUR: return actAddBezierContourTool;
    case CW_TOOL_POINTER: return m_bInsertMode ? actInsertMode : actPointerTool;
    case CW_TOOL_PAN: return actPanTool;
    case CW_TOOL_ZOOM: return actZoomTool;
    case CW_TOOL_ROTATE: return actRotateTool;
    case CW_TOOL_SCALE: return actScaleTool;
    case CW_TOOL_TRANSLATE: return actTranslateTool;
    case CW_TOOL_SOFT_CONSTRAINT: return actSoftConstraintTool;
    default: return nullptr;
    }
}

int frmMain::eGetCurrentTool() const
{
    const std::pair<QAction*, int> tools[] = {{actAddXSplineLayerTool, CW_TOOL_ADD_XSPLINE_LAYER},
        {actAddBezierLayerTool, CW_TOOL_ADD_BEZIER_LAYER}, {actAddXSplineContourTool, CW_TOOL_ADD_XSPLINE_CONTOUR},
        {actAddBezierContourTool, CW_TOOL_ADD_BEZIER_CONTOUR}, {actPointerTool, CW_TOOL_POINTER},
        {actInsertMode, CW_TOOL_POINTER}, {actPanTool, CW_TOOL_PAN}, {actZoomTool, CW_TOOL_ZOOM},
        {actRotateTool, CW_TOOL_ROTATE}, {actScaleTool, CW_TOOL_SCALE}, {actTranslateTool, CW_TOOL_TRANSLATE},
        {actSoftConstraintTool, CW_TOOL_SOFT_CONSTRAINT}};
    for (const auto& [action, tool] : tools)
        if (action && action->isChecked())
            return tool;
    return 13;
}

// Enables the slider and the Parameters panel (a shape being drawn disables them) and
// selects the tool.
void frmMain::vSelectToolChecked(CW_TOOL tool)
{
    sldrFrameNumber->setEnabled(true);
    if (m_pParametersDock && m_pParametersDock->widget())
        m_pParametersDock->widget()->setEnabled(true);
    vSelectTool(pToProject(), tool, kiNoToolState);
}

void frmMain::sltSelectPointerTool(bool refresh)
{
    CW_AutoLock(&g_mtxEngine, "sltSelectPointerTool");
    bCallReported(this, [&] {
        const CW_Instance project = pToProject();
        const bool pointerOrInsert = actPointerTool->isChecked() || actInsertMode->isChecked();
        for (QAction* mode : {actPointModeAny, actPointModeBoth, actPointModeEdge, actPointModeInner})
            mode->setEnabled(bIsValidInstance(project) && pointerOrInsert);
        if (actPointerTool->isChecked() || !actPointerTool->isEnabled()) {
            if (bIsValidInstance(project))
                vSelectToolChecked(CW_TOOL_POINTER);
        } else {
            actPointerTool->setChecked(true);
        }
        if (refresh)
            sltUpdateGUI();
    });
}

void frmMain::sltToggleInsertMode(bool on)
{
    CW_AutoLock(&g_mtxEngine, "sltToggleInsertMode");
    bCallReported(this, [&] {
        m_bInsertMode = on;
        if (!m_bSuppressInsertModeTool && bIsValidInstance(pToProject()))
            vSelectToolChecked(CW_TOOL_POINTER);
        m_bSuppressInsertModeTool = false;
        sltUpdateGUI();
    });
}

void frmMain::vSelectZoomOrPan(bool checked, CW_TOOL tool)
{
    CW_AutoLock(&g_mtxEngine, tool == CW_TOOL_ZOOM ? "sltSelectZoomTool" : "sltSelectPanTool");
    bCallReported(this, [&] {
        const CW_Instance project = pToProject();
        if (!bIsValidInstance(project))
            return;
        if (checked) {
            vSelectToolChecked(tool);
            vSetViewerMode(1);
        } else if (!actZoomTool->isChecked() && !actPanTool->isChecked()) {
            vSetViewerMode(0);
        }
        sltUpdateGL();
        if (g_pCurveEditor) {
            if (tool == CW_TOOL_ZOOM)
                g_pCurveEditor->vForward1(checked);
            else
                g_pCurveEditor->vForward2(checked);
        }
        sltUpdateGUI();
    });
}

void frmMain::sltSelectZoomTool(bool checked)
{
    vSelectZoomOrPan(checked, CW_TOOL_ZOOM);
}

void frmMain::sltSelectPanTool(bool checked)
{
    vSelectZoomOrPan(checked, CW_TOOL_PAN);
}

// The rotate, scale and translate tools: chosen when checked, with nothing else to set.
void frmMain::vSelectTransformTool(bool checked, CW_TOOL tool, const char* caller)
{
    if (!checked)
        return;
    CW_AutoLock(&g_mtxEngine, caller);
    bCallReported(this, [this, tool] {
        if (bIsValidInstance(pToProject()))
            vSelectToolChecked(tool);
        sltUpdateGUI();
    });
}

void frmMain::sltSelectRotateTool(bool checked)
{
    vSelectTransformTool(checked, CW_TOOL_ROTATE, "sltSelectRotateTool");
}

void frmMain::sltSelectScaleTool(bool checked)
{
    vSelectTransformTool(checked, CW_TOOL_SCALE, "sltSelectScaleTool");
}

void frmMain::sltSelectTranslateTool(bool checked)
{
    vSelectTransformTool(checked, CW_TOOL_TRANSLATE, "sltSelectTranslateTool");
}

void frmMain::vSelectShapeTool(bool checked, CW_TOOL tool)
{
    if (!checked)
        return;
    CW_AutoLock(&g_mtxEngine, "sltSelectShapeTool");
    bCallReported(this, [&] {
        const CW_Instance project = pToProject();
        if (!bIsValidInstance(project))
            return;
        // Shapes are drawn on the first page that shows layers.
        if (m_pFirstLayerPage && m_pModuleTabWidget && m_pModuleTabWidget->indexOf(m_pFirstLayerPage) >= 0)
            m_pModuleTabWidget->setCurrentWidget(m_pFirstLayerPage);
        // The frame stays put while a shape is drawn.
        sldrFrameNumber->setEnabled(false);
        if (m_pParametersDock && m_pParametersDock->widget())
            m_pParametersDock->widget()->setEnabled(false);
        vSelectTool(project, tool, kiNoToolState);
        ViewOptionsManager* view = pGetViewOptionsManager();
        CW_CLIP_ID clip = eGetClipIDToDisplay(project);
        if (clip == 0)
            clip = 1;
        if (view->clipToDisplay != clip)
            view->setClipToDisplay(clip, true);
        // The engine may want the foreground's alpha shown while a shape is drawn.
        const bool foreground = bGetDisplayForeground(project);
        if (foreground != view->showAlpha) {
            view->showAlpha = foreground;
            view->applyChannelsToDisplay();
        }
        if (bIsEventAllowed(project, 27) && !view->showOverlays)
            view->setShowOverlays(true);
        if (!view->bShowLayers())
            view->setShowLayers(true);
        sltUpdateGL();
        sltUpdateGUI();
    });
}

void frmMain::sltSelectAddXSplineLayerTool(bool checked)
{
    vSelectShapeTool(checked, CW_TOOL_ADD_XSPLINE_LAYER);
}

void frmMain::sltSelectAddBezierLayerTool(bool checked)
{
    vSelectShapeTool(checked, CW_TOOL_ADD_BEZIER_LAYER);
}

void frmMain::sltSelectAddXSplineContourTool(bool checked)
{
    vSelectShapeTool(checked, CW_TOOL_ADD_XSPLINE_CONTOUR);
}

void frmMain::sltSelectAddBezierContourTool(bool checked)
{
    vSelectShapeTool(checked, CW_TOOL_ADD_BEZIER_CONTOUR);
}

void frmMain::sltSelectSoftConstraintTool(bool checked)
{
    if (!checked)
        return;
    CW_AutoLock(&g_mtxEngine, "sltSelectSoftConstraintTool");
    bCallReported(this, [this] {
        const CW_Instance project = pToProject();
        if (!bIsValidInstance(project))
            return;
        if (eGetPointSelectionMode(project) != 0)
            actPointModeBoth->setChecked(true), vSetPointSelectionMode(project, 0);
        vSelectToolChecked(CW_TOOL_SOFT_CONSTRAINT);
        ViewOptionsManager* view = pGetViewOptionsManager();
        if (bIsEventAllowed(project, 27) && !view->showOverlays)
            view->setShowOverlays(true);
        sltUpdateGUI();
    });
}

void frmMain::actPointModeSelected(QAction* action)
{
    CW_AutoLock(&g_mtxEngine, "actPointModeSelected");
    bCallReported(this, [&] {
        const CW_Instance project = pToProject();
        if (!bIsValidInstance(project) || !action)
            return;
        if (!actPointerTool->isChecked() && !actInsertMode->isChecked())
            sltSelectPointerTool(true);
        static const QStringList modes
            = {QStringLiteral("Pick Both"), QStringLiteral("Pick Inner"), QStringLiteral("Pick Edge"), QStringLiteral("Pick Any")};
        const int mode = modes.indexOf(action->text().remove(QLatin1Char('&')));
        if (mode >= 0)
            vSetPointSelectionMode(project, mode);
    });
}

void frmMain::vClickPageButton(const char* name)
{
    bCallReported(this, [&] {
        if (!pGetCurrentControlForm())
            return;
        auto* button = findChild<QPushButton*>(QLatin1String(name));
        if (button && button->isEnabled())
            button->animateClick();
    });
}

void frmMain::actRenderThis_activated()
{
    vClickPageButton("btnRenderThis");
}

void frmMain::actRenderForwards_activated()
{
    vClickPageButton("btnRenderForwards");
}

void frmMain::actRenderBackwards_activated()
{
    vClickPageButton("btnRenderBackwards");
}

void frmMain::actRenderNext_activated()
{
    vClickPageButton("btnRenderNext");
}

void frmMain::actRenderPrevious_activated()
{
    vClickPageButton("btnRenderPrevious");
}

void frmMain::actStopRendering_activated()
{
    vClickPageButton("btnStopRendering");
    if (m_pGLWidget && m_pGLWidget->bIsPlaying())
        sltStopPlayback();
    vStopExecutingThreaded(false);
}

void frmMain::actUndoRenderThis_activated()
{
    bCallReported(this, [] {
        if (CWKControlForm* page = pGetCurrentControlForm())
            QMetaObject::invokeMethod(page, "btnUndoRenderThis_clicked", Qt::DirectConnection);
    });
}

void frmMain::actUndoRenderAll_activated()
{
    bCallReported(this, [] {
        if (CWKControlForm* page = pGetCurrentControlForm())
            QMetaObject::invokeMethod(page, "btnUndoRenderAll_clicked", Qt::DirectConnection);
    });
}

void frmMain::vUpdateRenderActions()
{
    CWKControlForm* page = pGetCurrentControlForm();
    const QString title = page ? page->qstrGetRenderCaption() : QString();
    if (title.isEmpty())
        return;
    MenuRender->setTitle(title);
    actRenderThis->setText(QStringLiteral("%1 Current Frame").arg(title));
    actRenderForwards->setText(QStringLiteral("%1 Forwards").arg(title));
    actRenderBackwards->setText(QStringLiteral("%1 Backwards").arg(title));
    actRenderNext->setText(QStringLiteral("%1 To Next Frame").arg(title));
    actRenderPrevious->setText(QStringLiteral("%1 To Previous Frame").arg(title));
    actStopRendering->setText(QStringLiteral("Stop %1ing").arg(title));
    actUndoRenderThis->setText(QStringLiteral("Undo %1 in Current Frame").arg(title));
    actUndoRenderAll->setText(QStringLiteral("Undo %1 in All Frames").arg(title));
    lblTrack->setText(title);
    const std::pair<QPushButton*, QAction*> buttons[] = {{btnRenderThis, actRenderThis},
        {btnRenderForwards, actRenderForwards}, {btnRenderBackwards, actRenderBackwards},
        {btnRenderNext, actRenderNext}, {btnRenderPrevious, actRenderPrevious}, {btnStopRendering, actStopRendering}};
    for (const auto& [button, action] : buttons)
        button->setToolTip(action->text());
    const std::pair<QPushButton*, const char*> icons[] = {{btnRenderForwards, "_Forwards.png"},
        {btnRenderBackwards, "_Backwards.png"}, {btnRenderNext, "_Next.png"}, {btnRenderPrevious, "_Previous.png"}};
    for (const auto& [button, suffix] : icons)
        button->setIcon(qicnGetResourceIconSet(title + QLatin1String(suffix)));
    QIcon thisIcon = qicnGetResourceIconSet(title + QStringLiteral("_This.png"));
    if (thisIcon.isNull())
        thisIcon = qicnGetResourceIconSet(QStringLiteral("Play_Stop.png"));
    btnRenderThis->setIcon(thisIcon);
}

void frmMain::vConnectRenderButtonsToPage(QWidget* widget)
{
    for (QPushButton* button : {btnRenderThis, btnRenderForwards, btnRenderBackwards,
             static_cast<QPushButton*>(btnRenderNext), static_cast<QPushButton*>(btnRenderPrevious), btnStopRendering})
        QObject::disconnect(button, &QPushButton::clicked, nullptr, nullptr);
    if (auto* page = qobject_cast<CWKControlForm*>(widget))
        page->vConnectRenderButtons();
}

void frmMain::sltParameterPageChanged(int index)
{
    bCallReported(this, [&] {
        vConnectRenderButtonsToPage(m_pModuleTabWidget ? m_pModuleTabWidget->widget(index) : nullptr);
        sltUpdateGUI();
        sltUpdateGL();
        vUpdateRenderActions();
    });
}

// The page's nearest key on one side, kept within the playback in and out points.
void frmMain::vStepToKeyframe(bool forwards, const char* tag)
{
    CW_AutoLock(&g_mtxEngine, tag);
    bCallReported(this, [this, forwards] {
        const CW_Instance project = pToProject();
        if (!bIsValidInstance(project))
            return;
        int previous = -1;
        int next = -1;
        if (CWKControlForm* page = pGetCurrentControlForm())
            page->sltGetKeyframes(project, previous, next);
        if (forwards) {
            const int out = int(uiGetPlaybackOutPoint(project));
            sldrFrameNumber->setValue(next < 0 || next > out ? out : next);
        } else {
            const int in = int(uiGetPlaybackInPoint(project));
            sldrFrameNumber->setValue(previous < 0 || previous < in ? in : previous);
        }
        sltUpdateGUI();
    });
}

void frmMain::btnNextKeyframe_clicked()
{
    vStepToKeyframe(true, "btnNextKeyframe_clicked");
}

void frmMain::btnPreviousKeyframe_clicked()
{
    vStepToKeyframe(false, "btnPreviousKeyframe_clicked");
}

void frmMain::vUndoOrRedo(bool undo, const char* tag)
{
    CW_AutoLock(&g_mtxEngine, tag);
    bCallReported(this, [&] {
        const CW_Instance project = pToProject();
        if (!bIsValidInstance(project))
            return;
        bool reRender = false;
        if (undo)
            bUndo(project, reRender);
        else
            bRedo(project, reRender);
        sldrFrameNumber->setValue(int(uiGetFrameNumber(project)));
        const CW_TOOL tool = eGetCurrentToolType(project);
        if (tool == CW_TOOL_POINTER)
            vSetPointerOrInsertTool();
        else if (QAction* action = pToolAction(tool); action && !action->isChecked())
            action->setChecked(true);
        if (reRender)
            if (CWKControlForm* page = pGetCurrentControlForm())
                page->sltReRenderCurrentFrame();
        sltUpdateGUI();
        sltUpdateGL();
    });
}

void frmMain::actEditUndo_activated()
{
    vUndoOrRedo(true, "actEditUndo_activated");
}

void frmMain::actEditRedo_activated()
{
    vUndoOrRedo(false, "actEditRedo_activated");
}

void frmMain::vFinishContourAction(bool closed)
{
    CW_AutoLock(&g_mtxEngine, closed ? "actFinishClosedContour_activated" : "actFinishOpenContour_activated");
    bCallReported(this, [&] {
        const CW_Instance project = pToProject();
        if (!bIsValidInstance(project))
            return;
        vFinishContour(project, KeyframeManager::instance()->bGetAutokey(), closed);
        if (actPointerTool->isEnabled())
            actPointerTool->setChecked(true);
        sltUpdateGUI();
        sltUpdateGL();
    });
}

void frmMain::actFinishClosedContour_activated()
{
    vFinishContourAction(true);
}

void frmMain::actFinishOpenContour_activated()
{
    vFinishContourAction(false);
}

void frmMain::vSendPointKey(QAction* action, char key, int modifiers)
{
    if (!action->isEnabled())
        return;
    CW_AutoLock(&g_mtxEngine, "vKeyPress");
    bCallReported(this, [&] {
        const CW_Instance project = pToProject();
        if (!bIsValidInstance(project))
            return;
        KeyframeManager* keys = KeyframeManager::instance();
        vKeyPress(project, key, modifiers | (keys->bGetUberkey() ? 0x1800 : 0), keys->bGetAutokey());
        if (bGetSelectionsChanged(project)) {
            sltUpdateGUI();
            sltUpdateGL();
        }
    });
}

void frmMain::actSwitchPointsOff_activated()
{
    vSendPointKey(actSwitchPointsOff, 'd', 0);
}

void frmMain::actSwitchPointsOn_activated()
{
    vSendPointKey(actSwitchPointsOn, 'o', 0);
}

void frmMain::actDeletePoints_activated()
{
    vSendPointKey(actDeletePoints, 'd', 4);
}

void frmMain::actSelectAllPoints_activated()
{
    CW_AutoLock(&g_mtxEngine, "actSelectAllPoints_activated");
    bCallReported(this, [this] {
        const CW_Instance project = pToProject();
        if (!bIsValidInstance(project))
            return;
        bSelectAllControlPoints(project);
        sltTimeoutUpdateGUI();
        sltUpdateGL();
    });
}

bool frmMain::bHandleWindowKeyPress(QKeyEvent* e)
{
    const Qt::KeyboardModifiers modifiers = e->modifiers();
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & Qt::AltModifier;
    const bool meta = modifiers & Qt::MetaModifier;
    // The Edit menu's shortcut undoes; the engine never sees the key.
    if (e->key() == Qt::Key_Z && ctrl && !alt && !meta) {
        e->accept();
        return true;
    }
    e->ignore();
    CW_AutoLock(&g_mtxEngine, "keyPressEvent");
    const CW_Instance project = pToProject();
    if (!bIsValidInstance(project))
        return false;
    bool handled = false;
    bCallReported(this, [&] {
        const int key = e->key();
        if (ctrl && key == Qt::Key_Left) {
            btnPreviousFrame_clicked();
            handled = true;
        } else if (ctrl && key == Qt::Key_Right) {
            btnNextFrame_clicked();
            handled = true;
        } else if (ctrl && key == Qt::Key_A) {
            actSelectAllPoints_activated();
            handled = true;
        } else if ((alt || meta) && key == Qt::Key_M) {
            ViewOptionsManager* view = pGetViewOptionsManager();
            view->setMatteViewState((view->matteViewState + 1) % 3);
            sltUpdateGL();
            handled = true;
        } else if ((alt || meta) && !ctrl && key == Qt::Key_W) {
            ViewOptionsManager* view = pGetViewOptionsManager();
            view->setShowTangents(!view->showTangents);
            sltUpdateGL();
            handled = true;
        } else if (key == Qt::Key_Z || key == Qt::Key_X || key == Qt::Key_W || key == Qt::Key_E || key == Qt::Key_Q) {
            const bool plainOnly = key == Qt::Key_Z || key == Qt::Key_X;
            if (plainOnly && (ctrl || alt || meta))
                return;
            handled = true;
            // Held down: the tool stays until the release.
            if (e->isAutoRepeat())
                return;
            QAction* oneKey = nullptr;
            for (QAction* action : m_mapOneKeyTools)
                if (action->isChecked())
                    oneKey = action;
            QAction* back = oneKey;
            for (QAction* shape : {actAddXSplineLayerTool, actAddBezierLayerTool, actAddXSplineContourTool,
                     actAddBezierContourTool, actSoftConstraintTool})
                if (shape->isChecked()) {
                    back = shape;
                    break;
                }
            if (back)
                m_pHoldReturnAction = back;
            m_iHoldToolState = eGetCurrentToolState(project);
            const std::pair<int, std::pair<QAction*, int>> targets[] = {{Qt::Key_Z, {actZoomTool, 1}},
                {Qt::Key_X, {actPanTool, 2}}, {Qt::Key_W, {actRotateTool, 3}}, {Qt::Key_E, {actScaleTool, 4}},
                {Qt::Key_Q, {actTranslateTool, 5}}};
            for (const auto& [targetKey, target] : targets)
                if (targetKey == key && target.first->isEnabled()) {
                    target.first->setChecked(true);
                    if (m_pGLWidget)
                        m_pGLWidget->vSetCursorById(target.second);
                }
        } else if (!ctrl && !alt && !meta) {
            const QString text = e->text();
            if (text == QLatin1String("+") || text == QLatin1String("=") || text == QLatin1String("-")) {
                const float factor = text == QLatin1String("-") ? 1.0f / 1.1f : 1.1f;
                if (m_pGLWidget)
                    vZoomViewer(project, factor, m_pGLWidget->iGetLastMouseX(), m_pGLWidget->iGetLastMouseY());
                handled = true;
            } else if (text == QLatin1String("7")) {
                btnClipStart_clicked();
                handled = true;
            } else if (text == QLatin1String("1")) {
                btnClipEnd_clicked();
                handled = true;
            } else if (key == Qt::Key_C) {
                if (actFinishClosedContour->isEnabled())
                    actFinishClosedContour_activated();
                handled = true;
            } else if (key == Qt::Key_I || key == Qt::Key_Insert) {
                if (actInsertMode->isEnabled())
                    (actInsertMode->isChecked() ? actPointerTool : actInsertMode)->setChecked(true);
                handled = true;
            } else if (key == Qt::Key_Escape) {
                if (m_pGLWidget && m_pGLWidget->bIsPlaying())
                    sltStopPlayback();
                handled = true;
            } else if (key == Qt::Key_F12) {
                if (modifiers & Qt::ShiftModifier)
                    vDumpCacheInfo(project);
                else if (m_pGLWidget) {
                    m_pGLWidget->vSetSuppressFrameRender(false);
                    m_pGLWidget->vSetBusy(false);
                }
                handled = true;
            } else if (!text.isEmpty() && text.at(0).unicode() >= 0x20 && text.at(0).unicode() < 0x7f) {
                // Keys without a printable character (Shift, arrows, function keys) are not
                // the tools' business and go on to the parent.
                const int word = ((modifiers & Qt::ShiftModifier) ? 4 : 0);
                vKeyPress(project, text.at(0).toLatin1(), word, KeyframeManager::instance()->bGetAutokey());
                if (bGetSelectionsChanged(project)) {
                    sltUpdateGUI(5);
                    sltUpdateGL();
                    handled = true;
                }
            }
        }
    });
    if (handled)
        e->accept();
    return handled;
}

bool frmMain::bHandleWindowKeyRelease(QKeyEvent* e)
{
    e->ignore();
    CW_AutoLock(&g_mtxEngine, "keyReleaseEvent");
    const CW_Instance project = pToProject();
    if (!bIsValidInstance(project))
        return false;
    const Qt::KeyboardModifiers modifiers = e->modifiers();
    const int key = e->key();
    if ((modifiers & (Qt::AltModifier | Qt::MetaModifier)) && (modifiers & Qt::ControlModifier) && key == Qt::Key_W) {
        e->accept();
        return true;
    }
    const bool holdKey
        = key == Qt::Key_Z || key == Qt::Key_X || key == Qt::Key_W || key == Qt::Key_E || key == Qt::Key_Q;
    // A release without text is the viewer's own pan key, handled with the viewer services.
    if (!holdKey || e->isAutoRepeat() || e->text().isEmpty())
        return false;
    if ((key == Qt::Key_Z || key == Qt::Key_X) && (modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    bCallReported(this, [&] {
        CW_TOOL tool = eGetCurrentToolType(project);
        if (QAction* back = m_pHoldReturnAction) {
            m_pHoldReturnAction = nullptr;
            for (CW_TOOL candidate : {CW_TOOL_ADD_XSPLINE_LAYER, CW_TOOL_ADD_BEZIER_LAYER, CW_TOOL_ADD_XSPLINE_CONTOUR,
                     CW_TOOL_ADD_BEZIER_CONTOUR, CW_TOOL_POINTER, CW_TOOL_PAN, CW_TOOL_ZOOM, CW_TOOL_ROTATE,
                     CW_TOOL_SCALE, CW_TOOL_TRANSLATE, CW_TOOL_SOFT_CONSTRAINT})
                if (pToolAction(candidate) == back || (candidate == CW_TOOL_POINTER && back == actInsertMode))
                    tool = candidate;
            back->setChecked(true);
        }
        vSelectTool(project, tool, m_iHoldToolState);
    });
    m_pHoldReturnAction = nullptr;
    m_iHoldToolState = kiNoToolState;
    e->accept();
    return true;
}
