// Layer shapes and surfaces over time.
#include "LayerGeometry.h"

#include "Vosk.h"
#include "velmor.h"

#include <algorithm>
#include <cmath>

namespace standin {

namespace {

template <typename V, typename Blend>
std::optional<V> optLgAt(const std::map<unsigned int, V>& keys, unsigned int frame, Blend blend)
{
    if (keys.empty())
        return std::nullopt;
    auto after = keys.lower_bound(frame);
    if (after != keys.end() && after->first == frame)
        return after->second;
    if (after == keys.begin())
        return after->second;
    auto before = std::prev(after);
    if (after == keys.end())
        return before->second;
    const double t = double(frame - before->first) / double(after->first - before->first);
    return blend(before->second, after->second, t);
}

QPointF ptLgCubic(const QPointF& p0, const QPointF& p1, const QPointF& p2, const QPointF& p3, double t)
{
    const double u = 1.0 - t;
    return u * u * u * p0 + 3.0 * u * u * t * p1 + 3.0 * u * t * t * p2 + t * t * t * p3;
}

constexpr int kiLgSamplesPerSpan = 16;

} // namespace

std::optional<std::vector<ShapePoint>> optShapeAt(const LayerGeometry& geometry, unsigned int frame)
{
    bool mismatch = false;
    auto shape = optLgAt(geometry.mapShapeKeys, frame,
        [&mismatch](const std::vector<ShapePoint>& a, const std::vector<ShapePoint>& b, double t) {
            if (a.size() != b.size()) {
                mismatch = true;
                return a;
            }
            std::vector<ShapePoint> out(a.size());
            for (std::size_t i = 0; i < a.size(); ++i) {
                auto mix = [t](double x, double y) { return x + (y - x) * t; };
                out[i] = {mix(a[i].dX, b[i].dX), mix(a[i].dY, b[i].dY), mix(a[i].dInX, b[i].dInX),
                    mix(a[i].dInY, b[i].dInY), mix(a[i].dOutX, b[i].dOutX), mix(a[i].dOutY, b[i].dOutY),
                    mix(a[i].dWeight, b[i].dWeight)};
            }
            return out;
        });
    if (mismatch)
        return std::nullopt;
    return shape;
}

std::optional<SurfaceCorners> optSurfaceAt(const LayerGeometry& geometry, unsigned int frame)
{
    return optLgAt(geometry.mapSurfaceKeys, frame, [](const SurfaceCorners& a, const SurfaceCorners& b, double t) {
        SurfaceCorners out;
        for (std::size_t i = 0; i < 4; ++i)
            out[i] = a[i] + (b[i] - a[i]) * t;
        return out;
    });
}

std::vector<QPointF> vecShapeOutline(int shapeKind, const std::vector<ShapePoint>& points)
{
    std::vector<QPointF> outline;
    const std::size_t n = points.size();
    if (n < 3) {
        for (const ShapePoint& p : points)
            outline.emplace_back(p.dX, p.dY);
        return outline;
    }
    auto at = [&points, n](std::size_t i) { return QPointF(points[i % n].dX, points[i % n].dY); };
    for (std::size_t i = 0; i < n; ++i) {
        const QPointF p1 = at(i);
        const QPointF p2 = at(i + 1);
        QPointF c1;
        QPointF c2;
        if (shapeKind == CW_TOOL_ADD_BEZIER_LAYER) {
            c1 = p1 + QPointF(points[i].dOutX, points[i].dOutY);
            c2 = p2 + QPointF(points[(i + 1) % n].dInX, points[(i + 1) % n].dInY);
        } else {
            // X-spline: each point's weight pulls the curve's tangent there from a corner (0)
            // to the Catmull-Rom tangent (1).
            const QPointF p0 = at(i + n - 1);
            const QPointF p3 = at(i + 2);
            c1 = p1 + (p2 - p0) * (points[i].dWeight / 6.0 * 2.0);
            c2 = p2 - (p3 - p1) * (points[(i + 1) % n].dWeight / 6.0 * 2.0);
        }
        for (int s = 0; s < kiLgSamplesPerSpan; ++s)
            outline.push_back(ptLgCubic(p1, c1, c2, p2, double(s) / kiLgSamplesPerSpan));
    }
    return outline;
}

SurfaceCorners stctSurfaceAround(int shapeKind, const std::vector<ShapePoint>& points)
{
    const std::vector<QPointF> outline = vecShapeOutline(shapeKind, points);
    double left = outline.empty() ? 0.0 : outline.front().x();
    double right = left;
    double top = outline.empty() ? 0.0 : outline.front().y();
    double bottom = top;
    for (const QPointF& p : outline) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    return {QPointF(left, top), QPointF(right, top), QPointF(right, bottom), QPointF(left, bottom)};
}

void vSetGeometryKey(
    LayerRecord& layer, unsigned int frame, const std::vector<ShapePoint>& shape, const SurfaceCorners& surface)
{
    layer.geometry.mapShapeKeys[frame] = shape;
    layer.geometry.mapSurfaceKeys[frame] = surface;
}

void vCommitGeometryKey(CW_ProjectRecord& record, int layer, unsigned int frame,
    const std::optional<std::vector<ShapePoint>>& shape, const std::optional<SurfaceCorners>& surface,
    const std::string& label)
{
    LayerRecord* target = pFindLayer(record, layer);
    if (!target)
        throw CW_Exception("The layer no longer exists.", "vCommitGeometryKey: layer " + std::to_string(layer));
    // Only this frame's keys change, so undoing the edit leaves keys made since at other
    // frames (by a track) alone.
    struct Keys {
        std::optional<std::vector<ShapePoint>> shape;
        std::optional<SurfaceCorners> surface;
    };
    auto keysNow = [frame](const LayerGeometry& g) {
        Keys keys;
        if (auto it = g.mapShapeKeys.find(frame); it != g.mapShapeKeys.end())
            keys.shape = it->second;
        if (auto it = g.mapSurfaceKeys.find(frame); it != g.mapSurfaceKeys.end())
            keys.surface = it->second;
        return keys;
    };
    const Keys before = keysNow(target->geometry);
    const Keys after {shape ? shape : before.shape, surface ? surface : before.surface};
    CW_ProjectRecord* project = &record;
    auto apply = [project, layer, frame](const Keys& keys) {
        LayerRecord* l = pFindLayer(*project, layer);
        if (!l)
            return;
        if (keys.shape)
            l->geometry.mapShapeKeys[frame] = *keys.shape;
        else
            l->geometry.mapShapeKeys.erase(frame);
        if (keys.surface)
            l->geometry.mapSurfaceKeys[frame] = *keys.surface;
        else
            l->geometry.mapSurfaceKeys.erase(frame);
    };
    auto command = std::make_shared<Vosk::CompositeCommand>();
    command->vAddStep([apply, after] { apply(after); }, [apply, before] { apply(before); });
    command->do_it(nullptr);
    vPushUndoStep(record, {command, frame, label});
}

} // namespace standin
