// Layers as planar surfaces: the current selection, its tracking parameters, the tracking
// settings of the project, and the overlays the tracking pages draw.
#pragma once

#include "../Murn.h"
#include "../cwbase.h"
#include "listing.h"

#include <string>

struct Tam_Camera;
struct Tam_Matrix33;

// Motion models of a track, as the tracking parameters hold them.
enum CW_MOTION_MODEL {
    CW_MOTION_AFFINE = 0,
    CW_MOTION_PERSPECTIVE = 1,
    CW_MOTION_TRANSLATION = 2,
    CW_MOTION_TRANSLATION_SCALE_ROTATION = 3,
    CW_MOTION_TRANSLATION_SCALE = 4
};

// A layer's tracking parameters. Every member is keyed by frame (the frame as a float).
class CW_TrackingParameterSet : public Murn::ParameterSet {
public:
    explicit CW_TrackingParameterSet(const QString& name);

    // The clip whose pixels are tracked (a clip id).
    Murn::NumericParameter<unsigned int>* const pInputClip;
    // Large Motion searches before it refines; Manual Track copies the shape instead.
    Murn::NumericParameter<bool>* const pLargeMotion;
    Murn::NumericParameter<bool>* const pManualTrack;
    // Search sizes in pixels, each with its automatic switch.
    Murn::NumericParameter<unsigned int>* const pHorizontalSearchSize;
    Murn::NumericParameter<unsigned int>* const pVerticalSearchSize;
    Murn::NumericParameter<bool>* const pAutoHorizontalSearch;
    Murn::NumericParameter<bool>* const pAutoVerticalSearch;
    // Largest rotation (degrees) and zoom (percent) from one frame to the next; 0: no limit.
    Murn::NumericParameter<double>* const pMaxRotation;
    Murn::NumericParameter<double>* const pMaxZoom;
    // True: the colour channel with the most detail; false: luminance.
    Murn::NumericParameter<bool>* const pAutoChannel;
    // A CW_MOTION_MODEL.
    Murn::NumericParameter<int>* const pMotionModel;
    // Size of the smoothing filter applied to the images before tracking (pixels).
    Murn::NumericParameter<float>* const pSmoothingLevel;
    // The least share of the shape's pixels, in percent, that must match.
    Murn::NumericParameter<double>* const pMinTrackingPoints;
};

// The current layer; 0 when none is selected.
int iGetCurrentSelectionID(CW_Instance project);
// The frame a layer's track starts from (its reference frame); the largest unsigned value
// (-1) when unset.
unsigned int uiGetCurrentSelectionFrameNumber(CW_Instance project);
CW_BOOL bCurrentLayerVisible(CW_Instance project);
// The current frame becomes the current layer's reference frame; false without a layer.
CW_BOOL bUpdateLayerFrameToCurrentFrame(CW_Instance project);

// A layer's tracking parameters; null for an unknown layer.
CW_TrackingParameterSet* pGetTrackingParameters(CW_Instance project, int layer);
template <typename T> T* pGetLayerParameterSet(CW_Instance project, int layer);
template <> CW_TrackingParameterSet* pGetLayerParameterSet<CW_TrackingParameterSet>(CW_Instance project, int layer);

// Tracking settings of the project: how many frames a track step covers, and whether the
// fields of interlaced clips are tracked one by one.
unsigned int getTrackFrameJump(CW_Instance project);
void setTrackFrameJump(CW_Instance project, unsigned int frames);
CW_BOOL bGetTrackIndividualFields(CW_Instance project);
void vSetTrackIndividualFields(CW_Instance project, bool individual);

// Smooths the current layer's track over the frames of the points selected in its trace;
// false with nothing selected.
CW_BOOL bSmoothOverSelectedFrames(CW_Instance project);

void vSetHideOverlays(CW_Instance project, bool hide);
// Frees the decoded frames kept away from the current frame.
CW_BOOL bClearOutMemoryBuffersAroundCurrentFrame(CW_Instance project);

// Whether a point of the current layer's shape or surface is selected.
CW_BOOL bGetControlPointSelected(CW_Instance project);
// Where the tool position lies at another frame, carried by the current layer's motion;
// false without a tool position or when the layer has no surface at that frame.
CW_BOOL bGetCorrespondingToolPosition(CW_Instance project, unsigned int frame, float& x, float& y, int mode);
// A module's own keyframes around the current frame; -1 where there is none.
void getInternalPreviousAndNextKeyframes(CW_Instance project, CW_MODULE module, int& previous, int& next);

// Reference points of the current layer: the current one (corner and offset, -1 when
// none), its master frame (-1 when none) and the point active at a frame (-1 when none).
void getCurrentReferencePoint(CW_Instance project, int& corner, int& offset);
int getCurrentReferencePointFrame(CW_Instance project);
int getActiveReferencePoint(CW_Instance project, int corner, unsigned int frame);
// Throws CW_Exception for a point that does not exist.
void setCurrentReferencePoint(CW_Instance project, int corner, int offset, int frame);
// A point's position at a frame; false, and 1.7014117e38 in both, when it has none.
CW_BOOL getReferencePoint(CW_Instance project, int corner, int offset, unsigned int frame, float& x, float& y);
// A point's search area at a frame; false when it has none.
CW_BOOL getReferencePointSearchArea(
    CW_Instance project, int corner, int offset, unsigned int frame, float& left, float& top, float& right, float& bottom);
// Carries an image point from one frame to another with the current layer's surface;
// leaves it where it is when the layer has no surface at either frame.
void vApplyFrameWarpToPoint(CW_Instance project, unsigned int fromFrame, unsigned int toFrame, float& x, float& y);

// Overlays, drawn into the current OpenGL context after the frame. False with the reason in
// errorText.
// Whether the warped frame (the reference frame carried onto the current one) is shown.
void vSetWarpedFrameDisplay(CW_Instance project, bool display);
CW_BOOL bRenderWarpedOverlayImage(
    CW_Instance project, CW_BOOL matteOnly, CW_BOOL outline, CW_BOOL blend, std::string& errorText);
// Another frame of the current layer's input clip over the view (mode 1: the frame as it is).
CW_BOOL bRenderOverlayFrame(CW_Instance project, int mode, unsigned int frame, const Tam_Camera* camera,
    const Tam_Matrix33* matrix, std::string& errorText);
// The layers' shapes, surfaces, traces and grids for a module's page. The background
// colour is the viewer's; the tool position is where zoom windows look; the grid divides
// each surface into gridX by gridY cells; the trace shows the surface's centre over
// traceLength frames either side; manualTrack marks the shape as hand-tracked.
CW_BOOL bRenderSelections(CW_Instance project, CW_MODULE module, CW_BOOL matteOverlay, CW_BOOL colourise,
    float colouriseOpacity, const CW_Color& background, std::string& errorText, CW_BOOL hasToolPosition, float toolX,
    float toolY, float reserved, CW_BOOL showLayers, CW_BOOL showAllLayers, CW_BOOL showSplines, CW_BOOL showTangents,
    CW_BOOL showAllTangents, CW_BOOL showLayerExtras, CW_BOOL showMattes, CW_BOOL showSurface,
    CW_BOOL showInactiveTraces, CW_BOOL showUnselectedTraces, CW_BOOL showSearchWindow, CW_BOOL showGrid, int gridX,
    int gridY, CW_BOOL b1, CW_BOOL b2, CW_BOOL b3, CW_BOOL showPoints, CW_BOOL showTangentHandles,
    unsigned int referencePoint, CW_BOOL b4, int traceLength, CW_BOOL manualTrack, CW_BOOL b5, CW_BOOL b6, CW_BOOL b7,
    CW_BOOL b8);
// A zoom window (0 to 2): the clip's frame around an image point, magnified in a corner of
// the view, with its caption. With useMousePosition the window looks at (mouseX, mouseY)
// rather than (x, y).
CW_BOOL bRenderMousePosition(CW_Instance project, int window, CW_CLIP_ID clip, CW_BOOL showFrame, int reserved1,
    CW_BOOL reserved2, unsigned int frame, float x, float y, CW_BOOL showCaption, const std::string& caption,
    int reserved3, int reserved4, CW_BOOL useMousePosition, float mouseX, float mouseY, std::string& errorText);
