// The project's view: displayed clip, zoom and origin, tools and the viewer's input.
#include "ProjectModel.h"
#include "ViewerFrames.h"
#include "testing.h"
#include "velmor.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

// Runs fn on the project's viewer state under the registry lock; CW_Exception for a
// handle that is not open.
template <class Fn> auto vwWithProject(CW_Instance project, const char* operation, Fn fn)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        throw CW_Exception("There is no open project.", std::string(operation) + ": invalid handle");
    return fn(*project);
}

double dVwPixelAspect(const CW_ProjectRecord& record)
{
    auto it = record.mapClips.find(record.viewer.eDisplayedClip);
    if (it == record.mapClips.end() || !(it->second.dPixelAspectRatio > 0.0))
        return 1.0;
    return it->second.dPixelAspectRatio;
}

double dVwFieldFactor(const CW_ProjectRecord& record)
{
    auto it = record.mapClips.find(record.viewer.eDisplayedClip);
    if (it == record.mapClips.end())
        return 1.0;
    const int mode = it->second.iFieldMode;
    return (mode == CW_UPPER_FIELD_FIRST || mode == CW_LOWER_FIELD_FIRST) ? 2.0 : 1.0;
}

void vVwLogInput(CW_ProjectRecord& record, standin::LoggedInput entry)
{
    record.viewer.vecInputLog.push_back(std::move(entry));
}

} // namespace

CW_CLIP_ID eGetClipIDToDisplay(CW_Instance project)
{
    return vwWithProject(project, "eGetClipIDToDisplay", [](CW_ProjectRecord& r) { return r.viewer.eDisplayedClip; });
}

void vSetClipIDToDisplay(CW_Instance project, CW_CLIP_ID clip)
{
    vwWithProject(project, "vSetClipIDToDisplay", [clip](CW_ProjectRecord& r) {
        if (!r.mapClips.count(clip))
            throw CW_Exception(
                "The clip " + std::to_string(clip) + " is not in the project.", "vSetClipIDToDisplay: unknown clip");
        standin::ViewerState& v = r.viewer;
        if (r.mapClips.count(v.eDisplayedClip))
            v.mapRenderStates[v.eDisplayedClip] = CW_RenderState {v.fOriginX, v.fOriginY, v.fZoom};
        v.eDisplayedClip = clip;
    });
}

CW_BOOL bGetRenderState(CW_Instance project, CW_CLIP_ID clip, CW_RenderState& state)
{
    return vwWithProject(project, "bGetRenderState", [&](CW_ProjectRecord& r) {
        auto it = r.viewer.mapRenderStates.find(clip);
        if (it == r.viewer.mapRenderStates.end())
            return false;
        state = it->second;
        return true;
    });
}

float fGetZoom(CW_Instance project)
{
    return vwWithProject(project, "fGetZoom", [](CW_ProjectRecord& r) { return r.viewer.fZoom; });
}

void vSetZoom(CW_Instance project, float zoom)
{
    if (!std::isfinite(zoom) || zoom <= 0.0f)
        throw CW_Exception("The zoom must be a positive number.", "vSetZoom: " + std::to_string(zoom));
    vwWithProject(project, "vSetZoom", [zoom](CW_ProjectRecord& r) { r.viewer.fZoom = zoom; });
}

float fGetOriginOffsetX(CW_Instance project)
{
    return vwWithProject(project, "fGetOriginOffsetX", [](CW_ProjectRecord& r) { return r.viewer.fOriginX; });
}

float fGetOriginOffsetY(CW_Instance project)
{
    return vwWithProject(project, "fGetOriginOffsetY", [](CW_ProjectRecord& r) { return r.viewer.fOriginY; });
}

void vSetOrigin(CW_Instance project, float originX, float originY)
{
    vwWithProject(project, "vSetOrigin", [=](CW_ProjectRecord& r) {
        r.viewer.fOriginX = originX;
        r.viewer.fOriginY = originY;
    });
}

void vMoveFrame(CW_Instance project, float dx, float dy)
{
    vwWithProject(project, "vMoveFrame", [=](CW_ProjectRecord& r) {
        r.viewer.fOriginX += dx;
        r.viewer.fOriginY += dy;
    });
}

void vResizeWindow(CW_Instance project, int width, int height)
{
    vwWithProject(project, "vResizeWindow", [=](CW_ProjectRecord& r) {
        r.viewer.iWindowWidth = std::max(0, width);
        r.viewer.iWindowHeight = std::max(0, height);
    });
}

void convertDisplayToImageCoordinates(CW_Instance project, int x, int y, float& imageX, float& imageY)
{
    vwWithProject(project, "convertDisplayToImageCoordinates", [&](CW_ProjectRecord& r) {
        const standin::ViewerState& v = r.viewer;
        imageX = float((double(x) / dVwPixelAspect(r) - v.fOriginX) / v.fZoom);
        imageY = float((double(y) - v.fOriginY) / (double(v.fZoom) * dVwFieldFactor(r)));
    });
}

void vSetChannelsToDisplay(CW_Instance project, bool rgb, CW_MATTE_VIEW_STATE matteView, bool alpha)
{
    if (matteView < 0 || matteView > 2)
        throw CW_Exception("Unknown matte view.", "vSetChannelsToDisplay: " + std::to_string(matteView));
    vwWithProject(project, "vSetChannelsToDisplay", [=](CW_ProjectRecord& r) {
        r.viewer.bShowRGB = rgb;
        r.viewer.iMatteView = matteView;
        r.viewer.bShowAlpha = alpha;
    });
}

void vSetAllClipsHaveChangedSinceRendering(CW_Instance project)
{
    vwWithProject(
        project, "vSetAllClipsHaveChangedSinceRendering", [](CW_ProjectRecord& r) { ++r.viewer.uiClipsChangedCount; });
    // Images read before the change may no longer be what the clips hold.
    standin::vForgetDecodedFrames();
}

CW_TOOL eGetCurrentToolType(CW_Instance project)
{
    return vwWithProject(project, "eGetCurrentToolType", [](CW_ProjectRecord& r) { return r.viewer.eTool; });
}

CW_POINT_MODE eGetPointSelectionMode(CW_Instance project)
{
    return vwWithProject(project, "eGetPointSelectionMode", [](CW_ProjectRecord& r) { return r.viewer.ePointMode; });
}

CW_BOOL bGetSelectionsChanged(CW_Instance project)
{
    return vwWithProject(project, "bGetSelectionsChanged", [](CW_ProjectRecord& r) {
        const bool changed = r.viewer.bSelectionsChanged;
        r.viewer.bSelectionsChanged = false;
        return changed;
    });
}

CW_BOOL bGetHideOverlays(CW_Instance project)
{
    return vwWithProject(project, "bGetHideOverlays", [](CW_ProjectRecord& r) { return r.viewer.bHideOverlays; });
}

void vButtonDown(CW_Instance project, CW_INPUTDEVICEFLAGS flags, bool& changed, bool*, CW_BOOL autoKey, float x,
    float y, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL,
    unsigned int, CW_BOOL, CW_BOOL, int, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL zoomWindow2, CW_BOOL zoomWindow3)
{
    changed = false;
    vwWithProject(project, "vButtonDown", [&](CW_ProjectRecord& r) {
        standin::LoggedInput entry;
        entry.strCall = "vButtonDown";
        entry.iFlags = flags;
        entry.fX = x;
        entry.fY = y;
        entry.bAutoKey = autoKey;
        entry.bZoomWindow2 = zoomWindow2;
        entry.bZoomWindow3 = zoomWindow3;
        vVwLogInput(r, entry);
        standin::ViewerState& v = r.viewer;
        if (!(flags & 0xa0))
            return;
        if (standin::bGeometryPress(r, flags, autoKey, x, y))
            changed = true;
        // A left or right press starts the current tool's drag, which lasts until the release.
        v.bToolDragging = true;
        v.ptDragAnchor = QPointF(x, y);
        if (v.eTool != CW_TOOL_ZOOM)
            return;
        // The zoom tool: left zooms in, right out, keeping the pressed image point in place.
        const float factor = (flags & 0x20) ? 2.0f : 0.5f;
        const float zoom = v.fZoom * factor;
        v.fOriginX += x * (v.fZoom - zoom);
        v.fOriginY += float(y * (v.fZoom - zoom) * dVwFieldFactor(r));
        v.fZoom = zoom;
        changed = true;
    });
}

bool implementMenuAction(CW_Instance project, int index)
{
    return vwWithProject(project, "implementMenuAction", [index](CW_ProjectRecord& r) {
        standin::ViewerState& v = r.viewer;
        standin::LoggedInput entry;
        entry.strCall = "implementMenuAction";
        entry.iIndex = index;
        vVwLogInput(r, entry);
        auto layer = v.mapLayerOutlines.find(v.iCurrentLayer);
        // Only the show and hide items are kept by the stand-in's layers.
        if (layer == v.mapLayerOutlines.end() || (index != 18 && index != 19))
            return false;
        layer->second.bHidden = index == 18;
        v.vecHandledMenuItems.push_back(index);
        v.bSelectionsChanged = true;
        return true;
    });
}

namespace standin::testing {

ViewerState stctGetViewerState(CW_Instance project)
{
    return vwWithProject(project, "stctGetViewerState", [](CW_ProjectRecord& r) { return r.viewer; });
}

void vEditViewerState(CW_Instance project, const std::function<void(ViewerState&)>& edit)
{
    vwWithProject(project, "vEditViewerState", [&](CW_ProjectRecord& r) { edit(r.viewer); });
}

} // namespace standin::testing

CW_PreviewWindowDims stctGetPreviewWindowDims(CW_Instance project)
{
    return vwWithProject(
        project, "stctGetPreviewWindowDims", [](CW_ProjectRecord& r) { return r.viewer.stctPreviewWindow; });
}

void vZoomPreviewWindow(CW_Instance project, float factor, float imageX, float imageY)
{
    if (!std::isfinite(factor) || factor <= 0.0f)
        throw CW_Exception("The zoom must be a positive number.", "vZoomPreviewWindow: " + std::to_string(factor));
    vwWithProject(project, "vZoomPreviewWindow", [&](CW_ProjectRecord& r) {
        const CW_PreviewWindowDims& dims = r.viewer.stctPreviewWindow;
        if (!(dims.fRight > dims.fLeft && dims.fBottom > dims.fTop))
            throw CW_Exception("There is no preview window to zoom.", "vZoomPreviewWindow: no preview window");
        r.viewer.fPreviewZoom *= factor;
        r.viewer.ptPreviewAnchor = QPointF(imageX, imageY);
    });
}

void vGetFrameExists(CW_Instance project, CW_CLIP_ID clip, char* flags, unsigned int first, unsigned int last)
{
    if (!flags || last < first)
        return;
    // Copied under the lock; the files are looked at without it.
    bool hasFiles = false;
    const CW_ClipInfo files = vwWithProject(project, "vGetFrameExists", [clip, &hasFiles](CW_ProjectRecord& r) {
        auto it = r.mapClipFiles.find(clip);
        hasFiles = it != r.mapClipFiles.end();
        return hasFiles ? it->second : CW_ClipInfo();
    });
    // A clip without image files has no frame to show.
    const unsigned int frameCount = !hasFiles ? 0u
        : files.iThirdNumber < 0
        ? 1u
        : unsigned(std::max(0, files.iLastFileNumber - files.iFirstFileNumber + 1));
    for (unsigned int frame = first; frame <= last; ++frame)
        flags[frame] = frame < frameCount && QFileInfo::exists(standin::qstrViewerFramePath(files, frame)) ? 1 : 0;
}
CW_BOOL bGetToolPosition(CW_Instance project, float& x, float& y)
{
    return vwWithProject(project, "bGetToolPosition", [&](CW_ProjectRecord& r) {
        if (!r.viewer.bHasToolPosition)
            return false;
        x = r.viewer.fToolX;
        y = r.viewer.fToolY;
        return true;
    });
}
