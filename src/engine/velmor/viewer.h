// The engine's view of a project: the displayed clip, zoom and origin, drawing into the
// current OpenGL context, tools and the viewer's mouse input.
#pragma once

#include "cwbase.h"

#include <string>

// Buttons, modifiers and modes of one viewer input event, as bits.
using CW_INPUTDEVICEFLAGS = int;
// A cursor a page asks the viewer for.
using CW_CURSOR = int;
// 0 full, 1 half, 2 quarter resolution.
using CW_PROXY_SCALE = int;
// 0 no mattes, 1 selected mattes, 2 all mattes.
using CW_MATTE_VIEW_STATE = int;
// 0 to 3.
using CW_POINT_MODE = int;

enum CW_TOOL {
    CW_TOOL_NONE = 0,
    CW_TOOL_ADD_XSPLINE_LAYER = 2,
    CW_TOOL_ADD_BEZIER_LAYER = 3,
    CW_TOOL_ADD_XSPLINE_CONTOUR = 4,
    CW_TOOL_ADD_BEZIER_CONTOUR = 5,
    CW_TOOL_POINTER = 6,
    CW_TOOL_PAN = 7,
    CW_TOOL_ZOOM = 8,
    CW_TOOL_ROTATE = 9,
    CW_TOOL_SCALE = 10,
    CW_TOOL_TRANSLATE = 11,
    CW_TOOL_SOFT_CONSTRAINT = 12
};

// The view of a clip as it was last shown.
struct CW_RenderState {
    float fOriginX = 0.0f;
    float fOriginY = 0.0f;
    float fZoom = 1.0f;
};

CW_CLIP_ID eGetClipIDToDisplay(CW_Instance project);
void vSetClipIDToDisplay(CW_Instance project, CW_CLIP_ID clip);
// The view last used for a clip; false when the clip was never shown.
CW_BOOL bGetRenderState(CW_Instance project, CW_CLIP_ID clip, CW_RenderState& state);

// Zoom and origin. A display point (x, y) shows the image point
// ((x / pixelAspect - originX) / zoom, (y - originY) / (zoom * fieldFactor)).
float fGetZoom(CW_Instance project);
void vSetZoom(CW_Instance project, float zoom);
float fGetOriginOffsetX(CW_Instance project);
float fGetOriginOffsetY(CW_Instance project);
void vSetOrigin(CW_Instance project, float originX, float originY);
void vMoveFrame(CW_Instance project, float dx, float dy);
void vResizeWindow(CW_Instance project, int width, int height);
void convertDisplayToImageCoordinates(CW_Instance project, int x, int y, float& imageX, float& imageY);

// Drawing into the current OpenGL context. False with the reason in errorText.
CW_BOOL bRenderCurrentFrame(CW_Instance project, CW_BOOL forOutput, CW_BOOL viewerMode, std::string& errorText);
CW_BOOL bRenderCurrentFrameToVideoIO(CW_Instance project, std::string& errorText);
CW_BOOL bRenderPreviewFrame(CW_Instance project, CW_CLIP_ID clip, CW_BOOL forOutput, std::string& errorText);
// The layers' shapes over the frame, as a page asks for them.
CW_BOOL bRenderSelections(CW_Instance project, CW_MODULE module, CW_BOOL showLayers, CW_BOOL showAllLayers,
    CW_BOOL showSplines, CW_BOOL showTangents, std::string& errorText);

void vSetChannelsToDisplay(CW_Instance project, bool rgb, CW_MATTE_VIEW_STATE matteView, bool alpha);
void vSetAllClipsHaveChangedSinceRendering(CW_Instance project);

// Tools and input.
CW_TOOL eGetCurrentToolType(CW_Instance project);
CW_POINT_MODE eGetPointSelectionMode(CW_Instance project);
CW_BOOL bGetSelectionsChanged(CW_Instance project);
CW_BOOL bGetHideOverlays(CW_Instance project);
// A press handled by the engine itself (zoom, pan and the transformation tools).
void vButtonDown(CW_Instance project, CW_INPUTDEVICEFLAGS flags, bool& changed, bool* menuItems, CW_BOOL autoKey,
    float x, float y, CW_BOOL b1, CW_BOOL b2, CW_BOOL b3, CW_BOOL b4, CW_BOOL b5, CW_BOOL b6, CW_BOOL b7, CW_BOOL b8,
    CW_BOOL b9, CW_BOOL b10, CW_BOOL b11, unsigned int u1, CW_BOOL b12, CW_BOOL b13, int i1, CW_BOOL b14, CW_BOOL b15,
    CW_BOOL b16, CW_BOOL zoomWindow2, CW_BOOL zoomWindow3);
// Whether the current tool has a position (a zoom window's centre); x and y are set when so.
CW_BOOL bGetToolPosition(CW_Instance project, float& x, float& y);
// A popup-menu item (0 to 26); true when the engine handled it.
bool implementMenuAction(CW_Instance project, int index);

// The preview (zoom) window over the viewer, in display pixels measured from the viewer's
// bottom edge; all zero when there is none.
struct CW_PreviewWindowDims {
    float fLeft = 0.0f;
    float fTop = 0.0f;
    float fRight = 0.0f;
    float fBottom = 0.0f;
};
CW_PreviewWindowDims stctGetPreviewWindowDims(CW_Instance project);
// Zooms the preview window by factor about an image point, leaving the main view as it is.
void vZoomPreviewWindow(CW_Instance project, float factor, float imageX, float imageY);

// One flag per frame of the clip from first to last (inclusive, frame indices from 0):
// 1 where the frame's image is there to be shown, 0 where it is missing.
void vGetFrameExists(CW_Instance project, CW_CLIP_ID clip, char* flags, unsigned int first, unsigned int last);
// Draws the displayed clip's frame scaled into the widget-pixel box (x, y, width, height),
// keeping its aspect. False with the reason in errorText.
CW_BOOL bRenderThumbnail(CW_Instance project, unsigned int frame, int x, int y, int width, int height,
    std::string& errorText);
// Tool selection: the tool and the tool's own state (the largest int keeps the default).
void vSelectTool(CW_Instance project, CW_TOOL tool, int state);
int eGetCurrentToolState(CW_Instance project);
// A press of the current tool is being dragged.
CW_BOOL bToolIsDragging(CW_Instance project);
// Whether the engine shows the foreground's alpha while the current tool draws.
CW_BOOL bGetDisplayForeground(CW_Instance project);
// Ends the current tool's drag at an image position.
void vButtonUp(CW_Instance project, CW_INPUTDEVICEFLAGS flags, float x, float y);
// A page's release: the main window's tool and the tool state it kept, then the same
// switches as vButtonDown.
void vButtonUp(CW_Instance project, CW_INPUTDEVICEFLAGS flags, CW_BOOL autoKey, float x, float y, CW_TOOL tool,
    int toolState, CW_BOOL b1, CW_BOOL b2, CW_BOOL b3, CW_BOOL b4, CW_BOOL b5, CW_BOOL b6, CW_BOOL b7, CW_BOOL b8,
    CW_BOOL b9, CW_BOOL b10, CW_BOOL b11, unsigned int u1, CW_BOOL b12, CW_BOOL b13, int i1, CW_BOOL b14,
    CW_BOOL b15, CW_BOOL b16, CW_BOOL b17, CW_BOOL b18);
// A pointer move for the current tool (a pan drag moves the view); the cursor the tool asks
// for: 0 the arrow, 1 zoom, 2 pan, 3 rotate, 4 scale, 5 translate.
CW_CURSOR eMove(CW_Instance project, CW_INPUTDEVICEFLAGS flags, CW_BOOL autoKey, float x, float y, CW_BOOL b1,
    CW_BOOL b2, CW_BOOL b3, CW_BOOL b4, CW_BOOL b5, CW_BOOL b6, CW_BOOL b7, CW_BOOL b8, CW_BOOL b9, CW_BOOL b10,
    CW_BOOL b11, unsigned int u1, CW_BOOL b12, CW_BOOL b13, int i1, CW_BOOL b14, CW_BOOL b15, CW_BOOL b16,
    CW_BOOL b17, CW_BOOL b18);
// A key for the current tool; modifiers as bits (Shift 4, Ctrl 2, Alt 8, 0x1800 uber-key).
void vKeyPress(CW_Instance project, char key, int modifiers, bool autoKey);
void vFinishContour(CW_Instance project, bool autoKey, bool closed);
CW_BOOL bSelectAllControlPoints(CW_Instance project);
void vSetPointSelectionMode(CW_Instance project, CW_POINT_MODE mode);
// Keeps the view on the selection while the frame changes; false without a selection.
CW_BOOL bShiftViewToLockOntoSelection(CW_Instance project, unsigned int from, unsigned int to, float x, float y);
// Moves the view by the line offset between the fields of two field indices.
CW_BOOL bAdjustViewForNewField(CW_Instance project, unsigned int from, unsigned int to);
