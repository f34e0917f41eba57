// Layers as planar surfaces: the current selection, tracking parameters and settings, and
// the answers the tracking pages ask of the engine between runs.
#include "ProjectModel.h"
#include "ViewerFrames.h"
#include "brandor.h"
#include "velmor.h"

#include <atomic>
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

CW_TrackingParameterSet::CW_TrackingParameterSet(const QString& name)
    : Murn::ParameterSet(name)
    , pInputClip(pAddNumeric<unsigned int>(QStringLiteral("Input Clip"), 1u, 1u, 1u << 30))
    , pLargeMotion(pAddNumeric<bool>(QStringLiteral("Large Motion"), true, false, true))
    , pManualTrack(pAddNumeric<bool>(QStringLiteral("Manual Track"), false, false, true))
    , pHorizontalSearchSize(pAddNumeric<unsigned int>(QStringLiteral("Horizontal Search Size"), 20u, 0u, 500u))
    , pVerticalSearchSize(pAddNumeric<unsigned int>(QStringLiteral("Vertical Search Size"), 20u, 0u, 500u))
    , pAutoHorizontalSearch(pAddNumeric<bool>(QStringLiteral("Auto Horizontal Search"), true, false, true))
    , pAutoVerticalSearch(pAddNumeric<bool>(QStringLiteral("Auto Vertical Search"), true, false, true))
    , pMaxRotation(pAddNumeric<double>(QStringLiteral("Max Rotation"), 0.0, 0.0, 50.0))
    , pMaxZoom(pAddNumeric<double>(QStringLiteral("Max Zoom"), 0.0, 0.0, 100.0))
    , pAutoChannel(pAddNumeric<bool>(QStringLiteral("Auto Channel"), false, false, true))
    , pMotionModel(pAddNumeric<int>(QStringLiteral("Motion Model"), CW_MOTION_PERSPECTIVE, 0, 4))
    , pSmoothingLevel(pAddNumeric<float>(QStringLiteral("Smoothing Level"), 0.0f, 0.0f, 100.0f))
    , pMinTrackingPoints(pAddNumeric<double>(QStringLiteral("Min Tracking Points"), 50.0, 1.0, 100.0))
{
}

Murn::NumericParameter<bool>* CW_LayerParameterSet::pGetTrackedFlag() const
{
    return dynamic_cast<Murn::NumericParameter<bool>*>(pFind(QStringLiteral("Tracked")));
}

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

CW_BOOL bGetCorrespondingToolPosition(CW_Instance project, unsigned int, float&, float&, int)
{
    // Not carried between frames yet.
    return tkWithProject(project, "bGetCorrespondingToolPosition", [](CW_ProjectRecord&) -> CW_BOOL { return false; });
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

void vApplyFrameWarpToPoint(CW_Instance project, unsigned int, unsigned int, float&, float&)
{
    // Points stay where they are until layers carry surfaces between frames.
    tkWithProject(project, "vApplyFrameWarpToPoint", [](CW_ProjectRecord&) {});
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

CW_BOOL bRenderOverlayFrame(CW_Instance project, int, unsigned int, const Tam_Camera*, const Tam_Matrix33*,
    std::string& errorText)
{
    tkWithProject(project, "bRenderOverlayFrame", [](CW_ProjectRecord&) {});
    errorText = "The reference frame cannot be drawn yet.";
    return false;
}

CW_BOOL bRenderSelections(CW_Instance project, CW_MODULE module, CW_BOOL, CW_BOOL, float, const CW_Color&,
    std::string& errorText, CW_BOOL, float, float, float, CW_BOOL showLayers, CW_BOOL showAllLayers,
    CW_BOOL showSplines, CW_BOOL showTangents, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL,
    int, int, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, unsigned int, CW_BOOL, int, CW_BOOL, CW_BOOL, CW_BOOL,
    CW_BOOL, CW_BOOL)
{
    // Outlines only until surfaces, traces and grids are drawn.
    return bRenderSelections(project, module, showLayers, showAllLayers, showSplines, showTangents, errorText);
}

CW_BOOL bRenderMousePosition(CW_Instance project, int, CW_CLIP_ID, CW_BOOL, int, CW_BOOL, unsigned int, float, float,
    CW_BOOL, const std::string&, int, int, CW_BOOL, float, float, std::string& errorText)
{
    tkWithProject(project, "bRenderMousePosition", [](CW_ProjectRecord&) {});
    errorText = "Zoom windows cannot be drawn yet.";
    return false;
}

void vBRD_GLResizeCacheSlots(unsigned int count)
{
    // Frames of other clips are decoded on demand and not kept as textures, so the slots
    // are only remembered.
    g_uiTkCacheSlots = count;
}
