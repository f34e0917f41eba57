// frmMain: the refresh after every engine action, the widget state that enables each
// control of the window, and the transport controls.
#include "frmMain.h"

#include "app/CWKGUIThreadedProcess.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "frmProjectNotes.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmLayerControls.h"
#include "viewer/frmMainGLWidget.h"
#include "viewer/frmViewerPreferences.h"
#include "widgets/CWKRecentFilesMenu.h"

#include <QActionGroup>
#include <QDockWidget>
#include <QTimer>
#include <algorithm>
#include <initializer_list>
#include <vector>

namespace {

template <typename T> void vEnableWidgetStateAll(std::initializer_list<T*> items, bool enable)
{
    for (T* item : items)
        if (item)
            item->setEnabled(enable);
}

} // namespace

void frmMain::sltUpdateGUI()
{
    bCallReported(this, [this] { sltTimeoutUpdateGUI(); });
}

void frmMain::sltUpdateGUI(int state)
{
    if (state != 5)
        m_iWidgetsState = state;
    sltTimeoutUpdateGUI();
}

void frmMain::sltSetWidgetsState(int state)
{
    CW_AutoLock(&g_mtxEngine, "sltSetWidgetState");
    vApplyWidgetsState(ProjectManagerInstance::instance()->getInstance(), state);
}

void frmMain::sltTimeoutUpdateGUI()
{
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    // The stop button takes render-this's place while a run goes, and only then; set before
    // the render actions below read which of the two shows.
    if (m_iWidgetsState >= 1 && m_iWidgetsState <= 4) {
        btnStopRendering->setVisible(m_iWidgetsState == 3);
        btnRenderThis->setVisible(m_iWidgetsState != 3);
    }
    // A worker holds the engine: the panels keep what they show rather than being handed
    // no project, which would wipe unsaved notes and blank the layer list.
    const bool engineFree = g_mtxEngine.tryLock();
    bool projectValid = false;
    if (engineFree) {
        vApplyWidgetsState(project, m_iWidgetsState);
        projectValid = bIsValidInstance(project);
        g_mtxEngine.unlock();
    }

    // No checkpoint while busy: the holder may be a worker waiting for this thread.
    if (engineFree) {
        CW_AutoLock(&g_mtxEngine, "sltTimeoutUpdateGUI");
        const bool show = projectValid && m_iWidgetsState >= 2 && m_iWidgetsState <= 4;
        CW_Instance panelProject = show ? project : nullptr;
        pGetViewOptionsManager()->setProject(panelProject);
        if (m_pLayerControlsDock)
            if (auto* layers = qobject_cast<frmLayerControls*>(m_pLayerControlsDock->widget()))
                layers->vUpdateLayerTable(panelProject);
        if (g_pProjectNotes)
            g_pProjectNotes->sltUpdateGUI(panelProject);
    }
    emit updateModuleUI(m_iWidgetsState);
    vApplyWindowState(projectValid, m_iWidgetsState);
    // A save that fell due while a worker ran or a clip played happens at the next refresh.
    if (engineFree)
        vAutoSaveProjectIfNecessary();
}

void frmMain::vApplyWindowState(bool projectValid, int state)
{
    if (state < 1 || state > 4)
        return;
    const bool noProject = state == 1;
    const bool run = state == 3;
    const bool playing = state == 4;
    if (m_pGLWidget && (run || playing))
        m_pGLWidget->vSetBusy(run);
    if (state != 2) {
        MenuFile->setEnabled(noProject);
        MenuEdit->setEnabled(false);
        MenuTools->setEnabled(false);
        MenuRender->setEnabled(run);
        MenuMovie->setEnabled(!noProject);
        vEnableWidgetStateAll<QWidget>({tcedtCurrentFrame, tcedtInPointFrameFrame, tcedtOutPointFrameFrame,
                                           btnZoomToInOutPoints, btnZoomToFullFrameRange},
            false);
        vEnableWidgetStateAll<QAction>(
            {actEditUndo, actEditRedo, actRenderThis, actRenderForwards, actRenderBackwards, actTangentsLockedMode},
            false);
        if (noProject)
            vEnableWidgetStateAll<QAction>({actRenderNext, actRenderPrevious}, false);
        if (run) {
            CWKControlForm* page = pGetCurrentControlForm();
            actStopRendering->setEnabled(!page || page->isVisible());
        } else {
            actStopRendering->setEnabled(false);
        }
    }
    MenuView->setEnabled(true);
    vEnableWidgetStateAll<QAction>({actZoom100, actZoomFit, actViewerPreferences}, !noProject);
    if (noProject && m_pViewerPreferences)
        m_pViewerPreferences->hide();

    if (state != 2 || !projectValid)
        return;
    vUpdateSliderFrameRows(ProjectManagerInstance::instance()->getInstance());
}

void frmMain::vApplyWidgetsState(CW_Instance project, int state)
{
    QAction* recentAction = m_pRecentFilesMenu ? m_pRecentFilesMenu->menuAction() : nullptr;
    const std::initializer_list<QAction*> exportActions = {actFileSaveClip, actExportRenderedShapes,
        actSaveTrackingData, actSaveOffsetTrackingData, actSaveShapeData, actSaveLayerData, actImportLayers};
    const std::initializer_list<QAction*> pointActions
        = {actFinishClosedContour, actFinishOpenContour, actSwitchPointsOff, actSwitchPointsOn, actDeletePoints};
    bCallReported(this, [&] {
        switch (state) {
        case 0:
            sltStoreRestoreSettings(false);
            vUpdateWindowTitle(project, false);
            break;
        case 1:
            vEnableWidgetStateAll<QAction>({actFileNewProject, actFileOpenProject, recentAction}, true);
            vEnableWidgetStateAll<QAction>({actFileSave, actFileSaveProjectAs, actFileCloseProject}, false);
            vEnableWidgetStateAll<QAction>(exportActions, false);
            vUpdateEditActions(project);
            vUpdateTransportControls(project);
            actgrpTools->setEnabled(false);
            actgrpPointMode->setEnabled(false);
            actddowngrpInputAAlpha->setEnabled(false);
            vEnableWidgetStateAll<QAction>(pointActions, false);
            if (m_pGLWidget)
                m_pGLWidget->setMouseTracking(false);
            vUpdateWindowTitle(project, false);
            pGetViewOptionsManager()->resetToInitialState();
            break;
        case 2: {
            const bool valid = bIsValidInstance(project);
            auto allowed = [project](int event) { return bIsEventAllowed(project, event); };
            vEnableWidgetStateAll<QAction>({actFileNewProject, actFileOpenProject, recentAction, actFileSaveProjectAs,
                                               actFileCloseProject, actFileSave, actImportLayers},
                valid);
            vEnableWidgetStateAll<QAction>({actFileSaveClip, actExportRenderedShapes}, allowed(4));
            // The tracking data of the selection comes with the tracking export.
            vEnableWidgetStateAll<QAction>({actSaveTrackingData, actSaveOffsetTrackingData}, false);
            vEnableWidgetStateAll<QAction>({actSaveShapeData, actSaveLayerData}, valid && allowed(7) && allowed(58));
            actEditUndo->setEnabled(valid && bCanUndo(project));
            actEditRedo->setEnabled(valid && bCanRedo(project));
            // Edits, undo and redo all end in this refresh, so the " *" follows the engine here.
            if (valid)
                vUpdateWindowTitle(project, false);
            // A page's render buttons are the bar's own, shared by every page.
            const bool page = pGetCurrentControlForm();
            auto pageButtonEnabled = [page](QAbstractButton* button) { return page && button->isEnabled(); };
            auto pageButtonVisible
                = [this, page](QAbstractButton* button) { return page && button->isVisibleTo(this); };
            actRenderThis->setEnabled(valid && pageButtonVisible(btnRenderThis));
            actRenderForwards->setEnabled(valid && pageButtonEnabled(btnRenderForwards));
            actRenderBackwards->setEnabled(valid && pageButtonEnabled(btnRenderBackwards));
            actRenderNext->setEnabled(valid && pageButtonEnabled(btnRenderNext));
            actRenderPrevious->setEnabled(valid && pageButtonEnabled(btnRenderPrevious));
            actStopRendering->setEnabled(valid && pageButtonVisible(btnStopRendering));
            vUpdateEditActions(project);
            vUpdateTransportControls(project);
            actgrpTools->setEnabled(valid);
            actgrpPointMode->setEnabled(valid && allowed(7));
            actddowngrpInputAAlpha->setEnabled(valid);
            if (m_pGLWidget)
                m_pGLWidget->vSetBusy(false);
            // Layer visibility and locking are not reported by the engine yet: the current
            // layer counts as visible and unlocked.
            const bool layerEditable = valid;
            vEnableWidgetStateAll<QWidget>({MenuRender, MenuMovie, MenuTools}, valid);
            vEnableWidgetStateAll<QAction>(
                {actPointerTool, actPanTool, actZoomTool, actAddXSplineLayerTool, actAddBezierLayerTool}, valid);
            vEnableWidgetStateAll<QAction>({actPointModeBoth, actPointModeInner, actPointModeEdge, actPointModeAny,
                                               actInsertMode, actTangentsLockedMode, actScaleTool, actTranslateTool},
                valid && allowed(7));
            vEnableWidgetStateAll<QAction>(
                {actAddXSplineContourTool, actAddBezierContourTool, actSoftConstraintTool, actRotateTool},
                layerEditable);
            MenuView->setEnabled(true);
            vEnableWidgetStateAll<QWidget>({MenuEdit, MenuFile, btnZoomToInOutPoints, btnZoomToFullFrameRange}, valid);
            const bool pointerOrInsert = actPointerTool->isChecked() || actInsertMode->isChecked();
            vEnableWidgetStateAll<QAction>(
                {actPointModeBoth, actPointModeInner, actPointModeEdge, actPointModeAny}, valid && pointerOrInsert);
            vEnableWidgetStateAll<QWidget>({tcedtCurrentFrame, tcedtInPointFrameFrame, tcedtOutPointFrameFrame}, valid);
            vEnableWidgetStateAll<QAction>({actFinishClosedContour, actFinishOpenContour}, allowed(40));
            vEnableWidgetStateAll<QAction>({actSwitchPointsOff, actSwitchPointsOn, actDeletePoints}, allowed(43));
            if (m_pGLWidget)
                m_pGLWidget->setMouseTracking(true);
            break;
        }
        case 3:
            vEnableWidgetStateAll<QAction>(
                {actViewInputAAlpha_None, actViewInputAAlpha_GarbageMatte, actViewInputAAlpha_Matte,
                    actHideAllSelections, actFinishClosedContour, actFinishOpenContour},
                false);
            vEnableWidgetStateAll<QWidget>(
                {sldrFrameNumber, btnStopPlayback, btnClipEnd, btnNextFrame, btnNextKeyframe, btnPlayForwards,
                    btnClipStart, btnPreviousFrame, btnPreviousKeyframe, btnPlayBackwards, btnPlayMode, btnSetInPoint,
                    btnSetOutPoint, btnResetInPoint, btnResetOutPoint},
                false);
            vEnableWidgetStateAll<QAction>(
                {actLastFrame, actNextFrame, actPlayForwards, actFirstFrame, actPreviousFrame, actNextKeyframe,
                    actPreviousKeyframe, actPlayBackwards, actPlayStop, actSetInPoint, actSetOutPoint, actResetInPoint,
                    actResetOutPoint, actZoomToInOutPoints, actZoomToFullFrameRange},
                false);
            actgrpTools->setEnabled(false);
            actgrpPointMode->setEnabled(false);
            actddowngrpInputAAlpha->setEnabled(false);
            vEnableWidgetStateAll<QAction>({actFileNewProject, actFileOpenProject, recentAction, actFileSave}, false);
            vEnableWidgetStateAll<QAction>(exportActions, false);
            if (m_pGLWidget)
                m_pGLWidget->setMouseTracking(false);
            break;
        case 4:
            vEnableWidgetStateAll<QAction>({actFinishClosedContour, actFinishOpenContour}, false);
            for (QAction* tool : actgrpTools->actions())
                tool->setEnabled(tool == actPointerTool || tool == actPanTool || tool == actZoomTool);
            actgrpPointMode->setEnabled(false);
            actddowngrpInputAAlpha->setEnabled(false);
            vEnableWidgetStateAll<QAction>({actFileNewProject, actFileOpenProject, recentAction, actFileCloseProject,
                                               actFileSave, actFileSaveProjectAs},
                false);
            vEnableWidgetStateAll<QAction>(exportActions, false);
            if (m_pGLWidget)
                m_pGLWidget->setMouseTracking(true);
            if (bIsValidInstance(project)) {
                vUpdateEditActions(project);
                vUpdateTransportControls(project);
            }
            break;
        default:
            break;
        }
    });
}

void frmMain::vUpdateTransportControls(CW_Instance project)
{
    const std::initializer_list<QWidget*> forwardButtons = {btnClipEnd, btnNextFrame, btnNextKeyframe, btnPlayForwards};
    const std::initializer_list<QAction*> forwardActions
        = {actLastFrame, actNextFrame, actNextKeyframe, actPlayForwards};
    const std::initializer_list<QWidget*> backwardButtons
        = {btnClipStart, btnPreviousFrame, btnPreviousKeyframe, btnPlayBackwards};
    const std::initializer_list<QAction*> backwardActions
        = {actFirstFrame, actPreviousFrame, actPreviousKeyframe, actPlayBackwards};
    const std::initializer_list<QWidget*> rangeButtons
        = {btnSetInPoint, btnSetOutPoint, btnResetInPoint, btnResetOutPoint};
    const std::initializer_list<QAction*> rangeActions = {actSetInPoint, actSetOutPoint, actResetInPoint,
        actResetOutPoint, actZoomToInOutPoints, actZoomToFullFrameRange};
    // Each control is set once to its final state: switching it off and on again would repaint
    // the whole transport row on every frame step.
    const bool valid = bIsValidInstance(project) && !bIsStopRequested();
    // Playing, or a shape half drawn: only stopping makes sense.
    const bool playing = valid && m_pPlaybackTimer;
    bool forwards = false;
    bool backwards = false;
    if (valid && !playing) {
        // Without marked in and out points the whole clip is the range.
        int in = sldrFrameNumber->minimum();
        int out = sldrFrameNumber->maximum();
        if (sldrFrameNumber->primaryEnd() > sldrFrameNumber->primaryStart()) {
            in = sldrFrameNumber->primaryStart();
            out = sldrFrameNumber->primaryEnd();
        }
        const int current = int(uiGetFrameNumber(project));
        const bool cycling = eGetPlayMode() != UniDirection;
        forwards = (in <= current && current < out) || cycling;
        backwards = (in < current && current <= out) || cycling;
    }
    const bool range = valid && !playing;
    vEnableWidgetStateAll<QWidget>(forwardButtons, forwards);
    vEnableWidgetStateAll<QAction>(forwardActions, forwards);
    vEnableWidgetStateAll<QWidget>(backwardButtons, backwards);
    vEnableWidgetStateAll<QAction>(backwardActions, backwards);
    sldrFrameNumber->setEnabled(forwards || backwards);
    vEnableWidgetStateAll<QWidget>(rangeButtons, range);
    vEnableWidgetStateAll<QAction>(rangeActions, range);
    btnStopPlayback->setEnabled(playing);
    actPlayStop->setEnabled(playing);
    btnPlayMode->setEnabled(valid);
    if (!valid)
        return;
    vUpdateCurrentTime(project);
    vUpdateClipLength(project);
}

void frmMain::vUpdateEditActions(CW_Instance project)
{
    const std::initializer_list<std::pair<QAction*, int>> actions = {{actHideAllSelections, 26},
        {actViewInputAAlpha_None, 31}, {actViewInputAAlpha_GarbageMatte, 32}, {actViewInputAAlpha_Matte, 33}};
    for (const auto& [action, event] : actions)
        action->setEnabled(false);
    if (!bIsValidInstance(project))
        return;
    for (const auto& [action, event] : actions)
        action->setEnabled(bIsEventAllowed(project, event));
}
