// Layers as planar surfaces: the current selection, tracking parameters and settings, and
// the answers the tracking pages ask of the engine between runs.
#include "LayerGeometry.h"
#include "ProjectModel.h"
#include "testing.h"
#include "imaging/Geometry.h"
#include "ViewerFrames.h"
#include "brandor.h"
#include "velmor.h"

#include <atomic>
#include <cmath>
#include <limits>

namespace {

std::atomic<unsigned int> g_uiTkCacheSlots {0};

template <class Fn> auto tkWithProject(CW_Instance project, const char* operation, Fn fn)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        throw CW_Exception("There is no open project.", std::string(operation) + ": invalid handle");
    return fn(*project);
}

// Carries an image point from one frame to another with the current layer's surface
// (the plane's motion between them); false when the layer has no surface at either.
bool bTkCarry(CW_ProjectRecord& r, unsigned int from, unsigned int to, float& x, float& y)
{
    const standin::LayerRecord* layer = standin::pCurrentLayer(r);
    if (!layer)
        return false;
    const auto a = standin::optSurfaceAt(layer->geometry, from);
    const auto b = standin::optSurfaceAt(layer->geometry, to);
    if (!a || !b)
        return false;
    std::vector<standin::imaging::Point2> pa;
    std::vector<standin::imaging::Point2> pb;
    for (std::size_t i = 0; i < 4; ++i) {
        pa.push_back({(*a)[i].x(), (*a)[i].y()});
        pb.push_back({(*b)[i].x(), (*b)[i].y()});
    }
    const auto motion = standin::imaging::homFitDlt(pa, pb);
    if (!motion)
        return false;
    const standin::imaging::Point2 p = motion->apply({x, y});
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
        return false;
    x = float(p.x);
    y = float(p.y);
    return true;
}

} // namespace

namespace standin {

LayerRecord* pFindLayer(CW_ProjectRecord& record, int layer)
{
    for (LayerRecord& entry : record.vecLayers)
        if (entry.iID == layer)
            return &entry;
    return nullptr;
}

LayerRecord* pCurrentLayer(CW_ProjectRecord& record)
{
    return record.viewer.iCurrentLayer > 0 ? pFindLayer(record, record.viewer.iCurrentLayer) : nullptr;
}

} // namespace standin

int iGetCurrentSelectionID(CW_Instance project)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return 0;
    const standin::LayerRecord* layer = standin::pCurrentLayer(*project);
    return layer ? layer->iID : 0;
}

unsigned int uiGetCurrentSelectionFrameNumber(CW_Instance project)
{
    return tkWithProject(project, "uiGetCurrentSelectionFrameNumber", [](CW_ProjectRecord& r) {
        const standin::LayerRecord* layer = standin::pCurrentLayer(r);
        return layer ? layer->uiReferenceFrame : std::numeric_limits<unsigned int>::max();
    });
}

CW_BOOL bCurrentLayerVisible(CW_Instance project)
{
    return tkWithProject(project, "bCurrentLayerVisible", [](CW_ProjectRecord& r) -> CW_BOOL {
        const standin::LayerRecord* layer = standin::pCurrentLayer(r);
        return layer && layer->bVisible;
    });
}

CW_BOOL bUpdateLayerFrameToCurrentFrame(CW_Instance project)
{
    return tkWithProject(project, "bUpdateLayerFrameToCurrentFrame", [](CW_ProjectRecord& r) -> CW_BOOL {
        standin::LayerRecord* layer = standin::pCurrentLayer(r);
        if (!layer)
            return false;
        if (layer->uiReferenceFrame != r.uiCurrentFrame) {
            layer->uiReferenceFrame = r.uiCurrentFrame;
            r.bChanged = true;
        }
        return true;
    });
}

CW_TrackingParameterSet* pGetTrackingParameters(CW_Instance project, int layer)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return nullptr;
    standin::LayerRecord* record = standin::pFindLayer(*project, layer);
    return record ? record->pTracking.get() : nullptr;
}

template <> CW_TrackingParameterSet* pGetLayerParameterSet<CW_TrackingParameterSet>(CW_Instance project, int layer)
{
    return pGetTrackingParameters(project, layer);
}

unsigned int getTrackFrameJump(CW_Instance project)
{
    return tkWithProject(project, "getTrackFrameJump", [](CW_ProjectRecord& r) { return r.uiTrackFrameJump; });
}

void setTrackFrameJump(CW_Instance project, unsigned int frames)
{
    tkWithProject(project, "setTrackFrameJump", [frames](CW_ProjectRecord& r) { r.uiTrackFrameJump = frames; });
}

CW_BOOL bGetTrackIndividualFields(CW_Instance project)
{
    return tkWithProject(
        project, "bGetTrackIndividualFields", [](CW_ProjectRecord& r) -> CW_BOOL { return r.bTrackIndividualFields; });
}

void vSetTrackIndividualFields(CW_Instance project, bool individual)
{
    tkWithProject(
        project, "vSetTrackIndividualFields", [individual](CW_ProjectRecord& r) { r.bTrackIndividualFields = individual; });
}

CW_BOOL bSmoothOverSelectedFrames(CW_Instance project)
{
    // No trace points can be selected yet, so there is never a range to smooth.
    return tkWithProject(project, "bSmoothOverSelectedFrames", [](CW_ProjectRecord&) -> CW_BOOL { return false; });
}

void vSetHideOverlays(CW_Instance project, bool hide)
{
    tkWithProject(project, "vSetHideOverlays", [hide](CW_ProjectRecord& r) { r.viewer.bHideOverlays = hide; });
}

CW_BOOL bClearOutMemoryBuffersAroundCurrentFrame(CW_Instance project)
{
    tkWithProject(project, "bClearOutMemoryBuffersAroundCurrentFrame", [](CW_ProjectRecord&) {});
    standin::vForgetDecodedFrames();
    return true;
}

CW_BOOL bGetControlPointSelected(CW_Instance project)
{
    return tkWithProject(project, "bGetControlPointSelected", [](CW_ProjectRecord& r) -> CW_BOOL {
        return standin::pCurrentLayer(r) && (r.iSelectedShapePoint >= 0 || r.iSelectedCorner >= 0);
    });
}

CW_BOOL bGetCorrespondingToolPosition(CW_Instance project, unsigned int frame, float& x, float& y, int)
{
    return tkWithProject(project, "bGetCorrespondingToolPosition", [&](CW_ProjectRecord& r) -> CW_BOOL {
        if (!r.viewer.bHasToolPosition)
            return false;
        float px = r.viewer.fToolX;
        float py = r.viewer.fToolY;
        if (!bTkCarry(r, r.uiCurrentFrame, frame, px, py))
            return false;
        x = px;
        y = py;
        return true;
    });
}

void getInternalPreviousAndNextKeyframes(CW_Instance project, CW_MODULE, int& previous, int& next)
{
    // No module keeps keyframes of its own yet.
    previous = -1;
    next = -1;
    tkWithProject(project, "getInternalPreviousAndNextKeyframes", [](CW_ProjectRecord&) {});
}

void getCurrentReferencePoint(CW_Instance project, int& corner, int& offset)
{
    corner = -1;
    offset = -1;
    tkWithProject(project, "getCurrentReferencePoint", [](CW_ProjectRecord&) {});
}

int getCurrentReferencePointFrame(CW_Instance project)
{
    return tkWithProject(project, "getCurrentReferencePointFrame", [](CW_ProjectRecord&) { return -1; });
}

int getActiveReferencePoint(CW_Instance project, int, unsigned int)
{
    return tkWithProject(project, "getActiveReferencePoint", [](CW_ProjectRecord&) { return -1; });
}

void setCurrentReferencePoint(CW_Instance project, int corner, int offset, int)
{
    tkWithProject(project, "setCurrentReferencePoint", [&](CW_ProjectRecord&) {
        if (offset != -1)
            throw CW_Exception("The layer has no reference points.",
                "setCurrentReferencePoint: corner " + std::to_string(corner) + " offset " + std::to_string(offset));
    });
}

CW_BOOL getReferencePoint(CW_Instance project, int, int, unsigned int, float& x, float& y)
{
    x = 1.7014117e38f;
    y = 1.7014117e38f;
    return tkWithProject(project, "getReferencePoint", [](CW_ProjectRecord&) -> CW_BOOL { return false; });
}

CW_BOOL getReferencePointSearchArea(CW_Instance project, int, int, unsigned int, float&, float&, float&, float&)
{
    return tkWithProject(project, "getReferencePointSearchArea", [](CW_ProjectRecord&) -> CW_BOOL { return false; });
}

void vApplyFrameWarpToPoint(CW_Instance project, unsigned int fromFrame, unsigned int toFrame, float& x, float& y)
{
    tkWithProject(project, "vApplyFrameWarpToPoint", [&](CW_ProjectRecord& r) { bTkCarry(r, fromFrame, toFrame, x, y); });
}

void vSetWarpedFrameDisplay(CW_Instance project, bool display)
{
    tkWithProject(project, "vSetWarpedFrameDisplay", [display](CW_ProjectRecord& r) { r.bWarpedFrameDisplay = display; });
}

CW_BOOL bRenderWarpedOverlayImage(CW_Instance project, CW_BOOL, CW_BOOL, CW_BOOL, std::string& errorText)
{
    tkWithProject(project, "bRenderWarpedOverlayImage", [](CW_ProjectRecord&) {});
    errorText = "The warped frame cannot be drawn yet.";
    return false;
}

void vBRD_GLResizeCacheSlots(unsigned int count)
{
    // Frames of other clips are decoded on demand and not kept as textures, so the slots
    // are only remembered.
    g_uiTkCacheSlots = count;
}

namespace standin::testing {

void vSetDrawFault(CW_Instance project, const std::string& operation, const std::string& message)
{
    tkWithProject(project, "vSetDrawFault", [&](CW_ProjectRecord& r) {
        if (message.empty())
            r.viewer.mapDrawFaults.erase(operation);
        else
            r.viewer.mapDrawFaults[operation] = message;
    });
}

LayerGeometry stctGetLayerGeometry(CW_Instance project, int layer)
{
    return tkWithProject(project, "stctGetLayerGeometry", [layer](CW_ProjectRecord& r) {
        const LayerRecord* record = pFindLayer(r, layer);
        return record ? record->geometry : LayerGeometry();
    });
}

} // namespace standin::testing
