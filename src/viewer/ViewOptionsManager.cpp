#include "ViewOptionsManager.h"

#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "frmMainGLWidget.h"
#include "mainwindow/frmMain.h"
#include "velmor.h"

#include <QAction>

ViewOptionsManager::ViewOptionsManager()
{
    selectedTrackMattes = false;
    resetToInitialState();
}

void ViewOptionsManager::resetToInitialState()
{
    showGrid = false;
    showLayers = true;
    showAllLayers = true;
    showTangents = true;
    showAllTangents = true;
    layerOverlayOptionA = true;
    layerOverlayOptionB = false;
    showSplines = true;
    showOverlays = true;
    showSurface = false;
    showZoomWindows = true;
    showPreview = true;
    showWarperMesh = false;
    meshResolutionLevel = 4;
    showAlpha = false;
    showRGB = true;
    stabilise = false;
    showTrace = false;
    clipToDisplay = 1;
    m_iProxyScale = 0;
    matteViewState = 0;
    colourise = true;
    colouriseOpacity = 0.5f;
    renderOnParameterChange = false;
    emit reset();
}

namespace {

CW_Instance pVomProject()
{
    return ProjectManagerInstance::instance()->getInstance();
}

frmMainGLWidget* pVomViewer()
{
    return g_pMainWindow ? g_pMainWindow->pGetGLWidget() : nullptr;
}

void vVomRedraw()
{
    if (frmMainGLWidget* viewer = pVomViewer())
        viewer->sltUpdateGL();
}

QAction* pVomMainWindowAction(const char* name)
{
    return g_pMainWindow ? g_pMainWindow->findChild<QAction*>(QLatin1String(name)) : nullptr;
}

} // namespace

void ViewOptionsManager::setShowingWarperMesh(bool show)
{
    if (showWarperMesh == show)
        return;
    showWarperMesh = show;
    vVomRedraw();
}

void ViewOptionsManager::setIntOption(int level)
{
    if (meshResolutionLevel == level)
        return;
    meshResolutionLevel = level;
    vVomRedraw();
}

void ViewOptionsManager::setMatteViewState(CW_MATTE_VIEW_STATE state)
{
    matteViewState = state;
    applyChannelsToDisplay();
}

void ViewOptionsManager::applyChannelsToDisplay()
{
    CW_AutoLock(&g_mtxEngine, "applyChannelsToDisplay");
    const CW_Instance project = pVomProject();
    if (bIsValidInstance(project))
        vSetChannelsToDisplay(project, showRGB, matteViewState, showAlpha);
    vVomRedraw();
}

void ViewOptionsManager::setProxyScale(CW_PROXY_SCALE scale)
{
    m_iProxyScale = scale;
    CW_AutoLock(&g_mtxEngine, "setProxyScale");
    const CW_Instance project = pVomProject();
    if (!bIsValidInstance(project))
        return;
    vSetAllClipsHaveChangedSinceRendering(project);
    vSetProxyScale(project, scale);
}

void ViewOptionsManager::setProject(CW_Instance project)
{
    if (bIsValidInstance(project)) {
        if (QAction* hideAll = pVomMainWindowAction("actHideAllSelections"))
            hideAll->setEnabled(bIsEventAllowed(project, 26) || bIsEventAllowed(project, 27));
    }
    emit projectChanged(project);
}

void ViewOptionsManager::setClipToDisplay(CW_CLIP_ID clip, bool redraw)
{
    CW_AutoLock(&g_mtxEngine, "setClipToDisplay");
    const CW_Instance project = pVomProject();
    if (!bIsValidInstance(project) || eGetClipIDToDisplay(project) == clip)
        return;
    clipToDisplay = clip;
    vSetClipIDToDisplay(project, clip);
    emit clipChanged(clip);

    // Layers are drawn only on clips that derive from the project's base clip.
    const CW_TOOL tool = eGetCurrentToolType(project);
    if ((tool == CW_TOOL_ADD_XSPLINE_LAYER || tool == CW_TOOL_ADD_BEZIER_LAYER) && eGetBaseClipID(project, clip) != 1) {
        if (QAction* pointer = pVomMainWindowAction("actPointerTool"))
            pointer->setChecked(true);
    }

    CW_RenderState state;
    if (bGetRenderState(project, clip, state)) {
        vSetOrigin(project, state.fOriginX, state.fOriginY);
        vSetZoom(project, state.fZoom);
    } else if (frmMainGLWidget* viewer = pVomViewer()) {
        viewer->vFitToClip(project);
    }
    if (redraw)
        vVomRedraw();
}
