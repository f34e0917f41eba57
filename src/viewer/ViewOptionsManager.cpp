#include "ViewOptionsManager.h"

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
