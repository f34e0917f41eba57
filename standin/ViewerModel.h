// What the stand-in keeps per project for the viewer: the displayed clip and its view,
// tools and input, and the outlines of layers' shapes. The clips' image files are the
// project's own.
#pragma once

#include "cwbase.h"
#include "velmor/viewer.h"

#include <QPointF>
#include <QString>
#include <map>
#include <string>
#include <vector>

namespace standin {

// One engine input call as the viewer made it.
struct LoggedInput {
    std::string strCall;
    CW_INPUTDEVICEFLAGS iFlags = 0;
    float fX = 0.0f;
    float fY = 0.0f;
    int iIndex = -1;
    bool bAutoKey = false;
    bool bZoomWindow2 = false;
    bool bZoomWindow3 = false;
    // A page's release: the tool and tool state it passed.
    int iTool = -1;
    int iToolState = 0;
};

// A layer's shape outline in image coordinates.
struct LayerOutline {
    std::vector<QPointF> vecPoints;
    bool bClosed = true;
    bool bHidden = false;
};

struct ViewerState {
    CW_CLIP_ID eDisplayedClip = 1;
    float fZoom = 1.0f;
    float fOriginX = 0.0f;
    float fOriginY = 0.0f;
    int iWindowWidth = 0;
    int iWindowHeight = 0;
    std::map<CW_CLIP_ID, CW_RenderState> mapRenderStates;
    bool bShowRGB = true;
    bool bShowAlpha = false;
    int iMatteView = 0;
    unsigned int uiClipsChangedCount = 0;
    CW_TOOL eTool = CW_TOOL_POINTER;
    CW_POINT_MODE ePointMode = 0;
    // The tool's own state as last selected; the largest int is the tool's default.
    int iToolState = 2147483647;
    bool bToolDragging = false;
    // The image point a drag started at; a pan keeps it under the pointer.
    QPointF ptDragAnchor;
    // Closed or open contours the user finished, and key presses the tools received.
    unsigned int uiFinishedContours = 0;
    bool bHideOverlays = false;
    // The engine's own switch: show the foreground's alpha while a shape is drawn.
    bool bDisplayForeground = false;
    bool bSelectionsChanged = false;
    std::vector<int> vecHandledMenuItems;
    std::vector<LoggedInput> vecInputLog;
    std::map<int, LayerOutline> mapLayerOutlines;
    int iCurrentLayer = -1;
    // The preview window: where it sits (see CW_PreviewWindowDims), its own zoom and the
    // image point it was last zoomed about.
    CW_PreviewWindowDims stctPreviewWindow;
    float fPreviewZoom = 1.0f;
    QPointF ptPreviewAnchor;
    // The current tool's position in image coordinates, when it has one.
    bool bHasToolPosition = false;
    float fToolX = 0.0f;
    float fToolY = 0.0f;
    // Set by a test: the next frame renders fail with this text.
    std::string strRenderFault;
    // Set by a test: these overlay drawing calls fail with the text given.
    std::map<std::string, std::string> mapDrawFaults;
    // Zoom windows drawn: the window, the frame and the caption.
    struct ZoomWindow {
        int iWindow = 0;
        unsigned int uiFrame = 0;
        std::string strCaption;
    };
    std::vector<ZoomWindow> vecZoomWindowLog;
};

} // namespace standin
