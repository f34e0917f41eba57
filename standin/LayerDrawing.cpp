// Drawing layers in the viewer: the X-spline and Bezier layer tools add points, a press on
// the first point closes the shape into a new layer; the pointer selects a layer and drags
// its shape points and surface corners, keyed at the current frame. Each finished edit is
// one step of the project's undo history.
#include "LayerGeometry.h"
#include "ProjectModel.h"
#include "Vosk.h"
#include "velmor.h"

#include <cmath>

namespace standin {

namespace {

// How near (in screen pixels) a press must be to a point to take it.
constexpr double kdLdPickPixels = 8.0;

double dLdPick(const CW_ProjectRecord& record)
{
    return kdLdPickPixels / std::max(1e-3, double(record.viewer.fZoom));
}

double dLdDistance(double x0, double y0, double x1, double y1)
{
    return std::hypot(x1 - x0, y1 - y0);
}

bool bLdInside(const std::vector<QPointF>& polygon, double x, double y)
{
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const QPointF& a = polygon[i];
        const QPointF& b = polygon[j];
        if ((a.y() > y) != (b.y() > y) && x < (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()) + a.x())
            inside = !inside;
    }
    return inside;
}

// Default tangents and weights of a new shape's points, from the user's defaults.
void vLdFinishPoints(const CW_ProjectRecord& record, int kind, std::vector<ShapePoint>& points)
{
    const std::size_t n = points.size();
    for (std::size_t i = 0; i < n; ++i) {
        ShapePoint& p = points[i];
        const ShapePoint& before = points[(i + n - 1) % n];
        const ShapePoint& after = points[(i + 1) % n];
        if (kind == CW_TOOL_ADD_BEZIER_LAYER) {
            const double tx = (after.dX - before.dX) * record.dBezierDefaultLength;
            const double ty = (after.dY - before.dY) * record.dBezierDefaultLength;
            p.dOutX = tx;
            p.dOutY = ty;
            p.dInX = -tx;
            p.dInY = -ty;
        } else {
            p.dWeight = record.dXSplineDefaultWeight;
        }
    }
}

} // namespace

bool bCloseDrawnShape(CW_ProjectRecord& record)
{
    GeometryEdit& edit = record.edit;
    const int kind = record.viewer.eTool == CW_TOOL_ADD_BEZIER_LAYER ? CW_TOOL_ADD_BEZIER_LAYER
                                                                     : CW_TOOL_ADD_XSPLINE_LAYER;
    if (edit.vecPendingPoints.size() < 3) {
        edit.vecPendingPoints.clear();
        return false;
    }
    std::vector<ShapePoint> points = std::move(edit.vecPendingPoints);
    edit.vecPendingPoints.clear();
    vLdFinishPoints(record, kind, points);

    auto layer = std::make_shared<LayerRecord>();
    layer->iID = record.iNextLayerID++;
    layer->qstrName = QStringLiteral("Layer %1").arg(layer->iID);
    layer->pParameters = std::make_unique<CW_LayerParameterSet>(layer->qstrName);
    layer->pParameters->pAddNumeric<bool>(QStringLiteral("Tracked"), false, false, true);
    layer->pTracking = std::make_unique<CW_TrackingParameterSet>(layer->qstrName);
    layer->geometry.iShapeKind = kind;
    layer->geometry.mapShapeKeys[record.uiCurrentFrame] = points;
    layer->geometry.mapSurfaceKeys[record.uiCurrentFrame] = stctSurfaceAround(kind, points);
    layer->uiReferenceFrame = record.uiCurrentFrame;

    // The new layer leaves the project on undo and comes back whole on redo.
    CW_ProjectRecord* project = &record;
    const int id = layer->iID;
    auto parked = layer;
    auto command = std::make_shared<Vosk::CompositeCommand>();
    command->vAddStep(
        [project, parked, id] {
            if (!parked->pParameters)
                return;
            project->vecLayers.push_back(std::move(*parked));
            *parked = LayerRecord();
            project->viewer.iCurrentLayer = id;
            project->iSelectedCorner = -1;
            project->iSelectedShapePoint = -1;
        },
        [project, parked, id] {
            auto& layers = project->vecLayers;
            for (auto it = layers.begin(); it != layers.end(); ++it)
                if (it->iID == id) {
                    *parked = std::move(*it);
                    layers.erase(it);
                    break;
                }
            if (project->viewer.iCurrentLayer == id)
                project->viewer.iCurrentLayer = -1;
            project->iSelectedCorner = -1;
            project->iSelectedShapePoint = -1;
        });
    command->do_it(nullptr);
    vPushUndoStep(record, {command, record.uiCurrentFrame, "NewLayer"});
    record.viewer.eTool = CW_TOOL_POINTER;
    record.viewer.bSelectionsChanged = true;
    return true;
}

bool bGeometryPress(CW_ProjectRecord& record, CW_INPUTDEVICEFLAGS flags, bool autoKey, float x, float y)
{
    if (!(flags & 0x20))
        return false;
    const CW_TOOL tool = record.viewer.eTool;
    const double pick = dLdPick(record);
    if (tool == CW_TOOL_ADD_XSPLINE_LAYER || tool == CW_TOOL_ADD_BEZIER_LAYER) {
        std::vector<ShapePoint>& pending = record.edit.vecPendingPoints;
        if (pending.size() >= 3 && dLdDistance(pending.front().dX, pending.front().dY, x, y) <= pick)
            return bCloseDrawnShape(record);
        ShapePoint point;
        point.dX = x;
        point.dY = y;
        pending.push_back(point);
        return true;
    }
    if (tool != CW_TOOL_POINTER)
        return false;

    const unsigned int frame = record.uiCurrentFrame;
    // Points of the current layer first: surface corners, then shape points.
    LayerRecord* current = pCurrentLayer(record);
    record.iSelectedCorner = -1;
    record.iSelectedShapePoint = -1;
    if (current) {
        const auto surface = optSurfaceAt(current->geometry, frame);
        const auto shape = optShapeAt(current->geometry, frame);
        for (int c = 0; surface && c < 4 && record.iSelectedCorner < 0; ++c)
            if (dLdDistance((*surface)[c].x(), (*surface)[c].y(), x, y) <= pick)
                record.iSelectedCorner = c;
        for (std::size_t i = 0; shape && record.iSelectedCorner < 0 && i < shape->size(); ++i)
            if (dLdDistance((*shape)[i].dX, (*shape)[i].dY, x, y) <= pick) {
                record.iSelectedShapePoint = int(i);
                break;
            }
        if (record.iSelectedCorner >= 0 || record.iSelectedShapePoint >= 0) {
            const bool keyHere = current->geometry.mapShapeKeys.count(frame) != 0
                || current->geometry.mapSurfaceKeys.count(frame) != 0;
            // Without auto-key a frame with no key of its own is not changed.
            if (!autoKey && !keyHere)
                return true;
            GeometryEdit& edit = record.edit;
            edit.bDragging = true;
            edit.iLayer = current->iID;
            edit.uiFrame = frame;
            edit.optShapeBefore.reset();
            edit.optSurfaceBefore.reset();
            if (auto it = current->geometry.mapShapeKeys.find(frame); it != current->geometry.mapShapeKeys.end())
                edit.optShapeBefore = it->second;
            if (auto it = current->geometry.mapSurfaceKeys.find(frame); it != current->geometry.mapSurfaceKeys.end())
                edit.optSurfaceBefore = it->second;
            record.viewer.bHasToolPosition = true;
            record.viewer.fToolX = x;
            record.viewer.fToolY = y;
            return true;
        }
    }
    // Otherwise the topmost layer whose shape holds the point becomes current.
    for (auto it = record.vecLayers.rbegin(); it != record.vecLayers.rend(); ++it) {
        const auto shape = optShapeAt(it->geometry, frame);
        if (it->bVisible && shape && bLdInside(vecShapeOutline(it->geometry.iShapeKind, *shape), x, y)) {
            record.viewer.iCurrentLayer = it->iID;
            record.viewer.bSelectionsChanged = true;
            return true;
        }
    }
    return false;
}

bool bGeometryMove(CW_ProjectRecord& record, float x, float y)
{
    GeometryEdit& edit = record.edit;
    if (!edit.bDragging)
        return false;
    LayerRecord* layer = pFindLayer(record, edit.iLayer);
    if (!layer) {
        edit.bDragging = false;
        return false;
    }
    auto shape = optShapeAt(layer->geometry, edit.uiFrame);
    auto surface = optSurfaceAt(layer->geometry, edit.uiFrame);
    if (!shape || !surface)
        return false;
    if (record.iSelectedCorner >= 0)
        (*surface)[std::size_t(record.iSelectedCorner)] = QPointF(x, y);
    else if (record.iSelectedShapePoint >= 0 && std::size_t(record.iSelectedShapePoint) < shape->size()) {
        ShapePoint& p = (*shape)[std::size_t(record.iSelectedShapePoint)];
        p.dX = x;
        p.dY = y;
    }
    // Both are keyed, so the frame's shape and surface stay together.
    layer->geometry.mapShapeKeys[edit.uiFrame] = *shape;
    layer->geometry.mapSurfaceKeys[edit.uiFrame] = *surface;
    record.viewer.bHasToolPosition = true;
    record.viewer.fToolX = x;
    record.viewer.fToolY = y;
    return true;
}

bool bGeometryRelease(CW_ProjectRecord& record)
{
    GeometryEdit& edit = record.edit;
    if (!edit.bDragging)
        return false;
    edit.bDragging = false;
    LayerRecord* layer = pFindLayer(record, edit.iLayer);
    if (!layer)
        return false;
    std::optional<std::vector<ShapePoint>> shapeAfter;
    std::optional<SurfaceCorners> surfaceAfter;
    if (auto it = layer->geometry.mapShapeKeys.find(edit.uiFrame); it != layer->geometry.mapShapeKeys.end())
        shapeAfter = it->second;
    if (auto it = layer->geometry.mapSurfaceKeys.find(edit.uiFrame); it != layer->geometry.mapSurfaceKeys.end())
        surfaceAfter = it->second;
    // A press that moved nothing is no step.
    if (shapeAfter == edit.optShapeBefore && surfaceAfter == edit.optSurfaceBefore)
        return false;
    // The keys are back as before the drag; the step puts the new ones in.
    auto restore = [&](const std::optional<std::vector<ShapePoint>>& shape, const std::optional<SurfaceCorners>& surface) {
        if (shape)
            layer->geometry.mapShapeKeys[edit.uiFrame] = *shape;
        else
            layer->geometry.mapShapeKeys.erase(edit.uiFrame);
        if (surface)
            layer->geometry.mapSurfaceKeys[edit.uiFrame] = *surface;
        else
            layer->geometry.mapSurfaceKeys.erase(edit.uiFrame);
    };
    restore(edit.optShapeBefore, edit.optSurfaceBefore);
    vCommitGeometryKey(record, edit.iLayer, edit.uiFrame, shapeAfter, surfaceAfter,
        record.iSelectedCorner >= 0 ? "MoveSurfaceCorner" : "MoveShapePoint");
    return true;
}

} // namespace standin
