// The one record of the viewer's display options.
#pragma once

#include "cwbase.h"
#include "velmor/viewer.h"

#include <QObject>

class ViewOptionsManager : public QObject {
    Q_OBJECT
public:
    ViewOptionsManager();

    bool bShowGrid() const { return showOverlays && showGrid; }
    bool bShowLayers() const { return showOverlays && showLayers; }
    bool bShowAllLayers() const { return showOverlays && showAllLayers; }
    bool bShowTangents() const { return showOverlays && showLayers && showTangents; }
    bool bShowAllTangents() const { return showOverlays && showAllTangents; }
    bool bShowLayerExtras() const { return showOverlays && showLayers && layerOverlayOptionA; }
    bool bShowSurface() const { return showOverlays && showSurface; }
    bool bShowWarperMesh() const { return showOverlays && showWarperMesh; }

    // 0 full, 1 half, 2 quarter resolution.
    CW_PROXY_SCALE proxyScale() const { return m_iProxyScale; }
    // Marks every clip as changed, then hands the scale to the engine; no redraw.
    void setProxyScale(CW_PROXY_SCALE scale);
    void setMatteViewState(CW_MATTE_VIEW_STATE state);
    // The RGB, matte and alpha choice to the engine, then a redraw.
    void applyChannelsToDisplay();
    void setIntOption(int level);
    // Enables the main window's hide-all-selections action by the engine's view events,
    // and emits projectChanged.
    void setProject(CW_Instance project);
    // The one road for switching the clip the viewer shows: restores the clip's last view
    // or fits it, and redraws when asked.
    void setClipToDisplay(CW_CLIP_ID clip, bool redraw);

    void setShowLayers(bool show) { showLayers = show; }
    void setShowOverlays(bool show) { showOverlays = show; }
    void setShowTangents(bool show) { showTangents = show; }
    void setShowSurface(bool show) { showSurface = show; }

    // Several callers write these directly.
    bool showGrid = false;
    bool showLayers = true;
    bool showAllLayers = true;
    bool showTangents = true;
    bool showAllTangents = true;
    bool layerOverlayOptionA = true;
    bool layerOverlayOptionB = false;
    bool showSplines = true;
    bool showOverlays = true;
    bool showSurface = false;
    bool showZoomWindows = true;
    bool showPreview = true;
    bool showWarperMesh = false;
    // The tracking pages' warped reference frame over the current one.
    bool showWarpedOverlay = false;
    int meshResolutionLevel = 4;
    bool showAlpha = false;
    bool showRGB = true;
    bool stabilise = false;
    bool showTrace = false;
    CW_CLIP_ID clipToDisplay = 1;
    // 0 no mattes, 1 selected mattes, 2 all mattes.
    CW_MATTE_VIEW_STATE matteViewState = 0;
    bool colourise = true;
    float colouriseOpacity = 0.5f;
    // The one option the reset leaves alone.
    bool selectedTrackMattes = false;
    bool renderOnParameterChange = false;
    // The view follows the selection from frame to frame.
    bool lockView = false;

signals:
    void projectChanged(CW_Instance project);
    void clipChanged(CW_CLIP_ID clip);
    void reset();

public slots:
    // Every option back to its default but selectedTrackMattes; emits reset().
    void resetToInitialState();
    void setRenderOnParameterChange(bool render) { renderOnParameterChange = render; }
    void setShowingWarperMesh(bool show);

private:
    CW_PROXY_SCALE m_iProxyScale = 0;
};
