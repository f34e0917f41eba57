// The viewer's tools as the main window drives them: selection, drags, keys, contours and
// the view's following of the selection and of the fields.
#include "ProjectModel.h"
#include "velmor.h"

namespace {

template <class Fn> auto vtWithProject(CW_Instance project, const char* operation, Fn fn)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        throw CW_Exception("There is no open project.", std::string(operation) + ": invalid handle");
    return fn(*project);
}

void vVtLog(CW_ProjectRecord& r, const char* call, int flags, float x, float y, int index, bool autoKey)
{
    standin::LoggedInput input;
    input.strCall = call;
    input.iFlags = flags;
    input.fX = x;
    input.fY = y;
    input.iIndex = index;
    input.bAutoKey = autoKey;
    r.viewer.vecInputLog.push_back(input);
}

} // namespace

void vSelectTool(CW_Instance project, CW_TOOL tool, int state)
{
    vtWithProject(project, "vSelectTool", [&](CW_ProjectRecord& r) {
        if (tool < CW_TOOL_ADD_XSPLINE_LAYER || tool > CW_TOOL_SOFT_CONSTRAINT)
            throw CW_Exception("There is no such tool.", "vSelectTool: tool " + std::to_string(int(tool)));
        // A new tool ends whatever drag the old one had going, and a shape left unclosed.
        r.viewer.bToolDragging = false;
        standin::bGeometryRelease(r);
        r.edit.vecPendingPoints.clear();
        r.viewer.eTool = tool;
        r.viewer.iToolState = state;
    });
}

int eGetCurrentToolState(CW_Instance project)
{
    return vtWithProject(project, "eGetCurrentToolState", [](CW_ProjectRecord& r) { return r.viewer.iToolState; });
}

CW_BOOL bGetDisplayForeground(CW_Instance project)
{
    return vtWithProject(
        project, "bGetDisplayForeground", [](CW_ProjectRecord& r) -> CW_BOOL { return r.viewer.bDisplayForeground; });
}

CW_BOOL bToolIsDragging(CW_Instance project)
{
    return vtWithProject(project, "bToolIsDragging", [](CW_ProjectRecord& r) -> CW_BOOL { return r.viewer.bToolDragging; });
}

void vButtonUp(CW_Instance project, CW_INPUTDEVICEFLAGS flags, float x, float y)
{
    vtWithProject(project, "vButtonUp", [&](CW_ProjectRecord& r) {
        r.viewer.bToolDragging = false;
        standin::bGeometryRelease(r);
        vVtLog(r, "vButtonUp", flags, x, y, -1, false);
    });
}

void vButtonUp(CW_Instance project, CW_INPUTDEVICEFLAGS flags, CW_BOOL autoKey, float x, float y, CW_TOOL tool,
    int toolState, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL,
    unsigned int, CW_BOOL, CW_BOOL, int, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL)
{
    vtWithProject(project, "vButtonUp", [&](CW_ProjectRecord& r) {
        r.viewer.bToolDragging = false;
        standin::bGeometryRelease(r);
        standin::LoggedInput input;
        input.strCall = "vButtonUp";
        input.iFlags = flags;
        input.fX = x;
        input.fY = y;
        input.bAutoKey = autoKey;
        input.iTool = int(tool);
        input.iToolState = toolState;
        r.viewer.vecInputLog.push_back(input);
    });
}

CW_CURSOR eMove(CW_Instance project, CW_INPUTDEVICEFLAGS flags, CW_BOOL autoKey, float x, float y, CW_BOOL, CW_BOOL,
    CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, unsigned int, CW_BOOL, CW_BOOL,
    int, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL)
{
    return vtWithProject(project, "eMove", [&](CW_ProjectRecord& r) -> CW_CURSOR {
        vVtLog(r, "eMove", flags, x, y, -1, autoKey);
        standin::ViewerState& v = r.viewer;
        if (v.bToolDragging && standin::bGeometryMove(r, x, y))
            return 5;
        switch (v.eTool) {
        case CW_TOOL_PAN: {
            if (!v.bToolDragging)
                return 2;
            // The image point grabbed at the press stays under the pointer.
            auto clip = r.mapClips.find(v.eDisplayedClip);
            const int mode = clip == r.mapClips.end() ? 0 : clip->second.iFieldMode;
            const double fieldFactor = (mode == CW_UPPER_FIELD_FIRST || mode == CW_LOWER_FIELD_FIRST) ? 2.0 : 1.0;
            v.fOriginX += float((x - v.ptDragAnchor.x()) * v.fZoom);
            v.fOriginY += float((y - v.ptDragAnchor.y()) * v.fZoom * fieldFactor);
            return 2;
        }
        case CW_TOOL_ZOOM:
            return 1;
        case CW_TOOL_ROTATE:
            return 3;
        case CW_TOOL_SCALE:
            return 4;
        case CW_TOOL_TRANSLATE:
            return 5;
        default:
            return 0;
        }
    });
}

void vKeyPress(CW_Instance project, char key, int modifiers, bool autoKey)
{
    vtWithProject(project, "vKeyPress", [&](CW_ProjectRecord& r) {
        vVtLog(r, "vKeyPress", modifiers, 0.0f, 0.0f, int(static_cast<unsigned char>(key)), autoKey);
        // Points are switched or deleted only on the current layer's shape.
        const bool pointKey = key == 'd' || key == 'o';
        if (pointKey && r.viewer.mapLayerOutlines.count(r.viewer.iCurrentLayer) != 0) {
            standin::LayerOutline& outline = r.viewer.mapLayerOutlines[r.viewer.iCurrentLayer];
            if (key == 'd' && (modifiers & 4) != 0 && !outline.vecPoints.empty())
                outline.vecPoints.clear();
            else
                outline.bHidden = key == 'd';
            r.viewer.bSelectionsChanged = true;
        }
    });
}

void vFinishContour(CW_Instance project, bool autoKey, bool closed)
{
    vtWithProject(project, "vFinishContour", [&](CW_ProjectRecord& r) {
        vVtLog(r, "vFinishContour", closed ? 1 : 0, 0.0f, 0.0f, -1, autoKey);
        ++r.viewer.uiFinishedContours;
        if (closed && (r.viewer.eTool == CW_TOOL_ADD_XSPLINE_LAYER || r.viewer.eTool == CW_TOOL_ADD_BEZIER_LAYER))
            standin::bCloseDrawnShape(r);
        r.edit.vecPendingPoints.clear();
        if (r.viewer.mapLayerOutlines.count(r.viewer.iCurrentLayer) != 0)
            r.viewer.mapLayerOutlines[r.viewer.iCurrentLayer].bClosed = closed;
        if (r.viewer.eTool >= CW_TOOL_ADD_XSPLINE_LAYER && r.viewer.eTool <= CW_TOOL_ADD_BEZIER_CONTOUR)
            r.viewer.eTool = CW_TOOL_POINTER;
    });
}

CW_BOOL bSelectAllControlPoints(CW_Instance project)
{
    return vtWithProject(project, "bSelectAllControlPoints", [](CW_ProjectRecord& r) -> CW_BOOL {
        vVtLog(r, "bSelectAllControlPoints", 0, 0.0f, 0.0f, -1, false);
        if (r.viewer.mapLayerOutlines.count(r.viewer.iCurrentLayer) == 0)
            return false;
        r.viewer.bSelectionsChanged = true;
        return true;
    });
}

void vSetPointSelectionMode(CW_Instance project, CW_POINT_MODE mode)
{
    vtWithProject(project, "vSetPointSelectionMode", [mode](CW_ProjectRecord& r) {
        if (mode < 0 || mode > 3)
            throw CW_Exception("There is no such point mode.", "vSetPointSelectionMode: " + std::to_string(mode));
        r.viewer.ePointMode = mode;
    });
}

CW_BOOL bShiftViewToLockOntoSelection(CW_Instance project, unsigned int from, unsigned int to, float x, float y)
{
    return vtWithProject(project, "bShiftViewToLockOntoSelection", [&](CW_ProjectRecord& r) -> CW_BOOL {
        // Layer outlines do not move between frames here, so a locked view keeps its place;
        // without a current layer there is nothing to lock onto.
        vVtLog(r, "bShiftViewToLockOntoSelection", int(to) - int(from), x, y, -1, false);
        return r.viewer.mapLayerOutlines.count(r.viewer.iCurrentLayer) != 0;
    });
}

CW_BOOL bAdjustViewForNewField(CW_Instance project, unsigned int from, unsigned int to)
{
    return vtWithProject(project, "bAdjustViewForNewField", [&](CW_ProjectRecord& r) -> CW_BOOL {
        auto it = r.mapClips.find(r.viewer.eDisplayedClip);
        if (it == r.mapClips.end() || it->second.iFieldMode == CW_PROGRESSIVE)
            return false;
        // The second field of a frame lies half a frame line lower.
        const int fromField = int(from % 2);
        const int toField = int(to % 2);
        if (fromField != toField)
            r.viewer.fOriginY += (toField - fromField) * 0.5f * r.viewer.fZoom;
        vVtLog(r, "bAdjustViewForNewField", toField - fromField, 0.0f, 0.0f, -1, false);
        return true;
    });
}
