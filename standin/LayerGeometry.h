// Layer shapes and surfaces over time: values between keys, outlines of the curves, and
// the edits that key them, each an undo step of its own.
#pragma once

#include "ProjectModel.h"

#include <QPointF>
#include <optional>
#include <vector>

namespace Vosk {
class CompositeCommand;
}

namespace standin {

// The shape and surface at a frame: the key there, between two keys the points moved
// linearly, outside the keys the nearest one. Empty (nullopt) without keys, or when the
// neighbouring shape keys differ in their number of points.
std::optional<std::vector<ShapePoint>> optShapeAt(const LayerGeometry& geometry, unsigned int frame);
std::optional<SurfaceCorners> optSurfaceAt(const LayerGeometry& geometry, unsigned int frame);

// The closed curve through a shape, as a polygon of image points.
std::vector<QPointF> vecShapeOutline(int shapeKind, const std::vector<ShapePoint>& points);
// The quad around a shape's curve: the corners of its bounding box, top-left first, clockwise
// on the screen.
SurfaceCorners stctSurfaceAround(int shapeKind, const std::vector<ShapePoint>& points);

// Keys a layer's shape and surface at a frame as one undoable step (a value left empty
// keeps its key as it is) and commits it to the project's history.
void vCommitGeometryKey(CW_ProjectRecord& record, int layer, unsigned int frame,
    const std::optional<std::vector<ShapePoint>>& shape, const std::optional<SurfaceCorners>& surface,
    const std::string& label);

// Keys written by a track step, outside the undo history.
void vSetGeometryKey(LayerRecord& layer, unsigned int frame, const std::vector<ShapePoint>& shape,
    const SurfaceCorners& surface);

} // namespace standin
