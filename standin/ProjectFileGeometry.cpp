// Project file sections for each layer's geometry and tracking:
//
//   [geometry 1]                 layer 1
//   shape_kind=2                 2 X-spline, 3 Bezier
//   visible=1
//   reference_frame=12           the frame its track starts from; -1 when unset
//   shape=12 4 x y inX inY outX outY weight ...     frame, point count, 7 numbers a point
//   surface=12 x0 y0 x1 y1 x2 y2 x3 y3               frame, the four corners
//
// One shape and one surface line per key, in frame order. Numbers are written with 17
// significant digits, so they read back to the same bits.
#include "ProjectFile.h"

#include "velmor.h"

#include <cmath>

namespace standin::projectfile {

namespace {

// Coordinates stay far inside what a float and the drawing can take.
constexpr double kdPfgMaximumCoordinate = 1e7;
// Points a shape may have.
constexpr int kiPfgMaximumPoints = 100000;

QString qstrPfgNumber(double value)
{
    return QString::number(value, 'g', 17);
}

double dPfgCoordinate(const QString& text, const Section& section)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > kdPfgMaximumCoordinate)
        vThrowDamaged(QStringLiteral("a coordinate in %1 cannot be read").arg(section.qstrTitle()));
    return value;
}

unsigned int uiPfgFrame(const QString& text, const Section& section)
{
    bool ok = false;
    const unsigned int frame = text.toUInt(&ok);
    if (!ok || frame >= kuiMaximumFrames)
        vThrowDamaged(QStringLiteral("a key of %1 has no valid frame").arg(section.qstrTitle()));
    return frame;
}

} // namespace

void vWriteLayerGeometry(const CW_ProjectRecord& project, std::vector<Section>& out)
{
    for (const standin::LayerRecord& layer : project.vecLayers) {
        Section section {QStringLiteral("geometry"), QString::number(layer.iID), {}};
        section.vAdd(QStringLiteral("shape_kind"), QString::number(layer.geometry.iShapeKind));
        section.vAdd(QStringLiteral("visible"), layer.bVisible ? QStringLiteral("1") : QStringLiteral("0"));
        section.vAdd(QStringLiteral("reference_frame"),
            layer.uiReferenceFrame >= kuiMaximumFrames ? QStringLiteral("-1")
                                                       : QString::number(layer.uiReferenceFrame));
        for (const auto& [frame, points] : layer.geometry.mapShapeKeys) {
            QStringList parts {QString::number(frame), QString::number(points.size())};
            for (const standin::ShapePoint& p : points)
                for (const double v : {p.dX, p.dY, p.dInX, p.dInY, p.dOutX, p.dOutY, p.dWeight})
                    parts << qstrPfgNumber(v);
            section.vAdd(QStringLiteral("shape"), parts.join(QLatin1Char(' ')));
        }
        for (const auto& [frame, corners] : layer.geometry.mapSurfaceKeys) {
            QStringList parts {QString::number(frame)};
            for (const QPointF& c : corners)
                parts << qstrPfgNumber(c.x()) << qstrPfgNumber(c.y());
            section.vAdd(QStringLiteral("surface"), parts.join(QLatin1Char(' ')));
        }
        out.push_back(std::move(section));
    }
}

void vReadLayerGeometry(const Section& section, CW_ProjectRecord& project)
{
    bool ok = false;
    const int id = section.qstrArgument.toInt(&ok);
    standin::LayerRecord* layer = nullptr;
    for (standin::LayerRecord& entry : project.vecLayers)
        if (ok && entry.iID == id)
            layer = &entry;
    if (!layer)
        vThrowDamaged(QStringLiteral("%1 belongs to no layer").arg(section.qstrTitle()));
    if (!layer->geometry.mapShapeKeys.empty() || !layer->geometry.mapSurfaceKeys.empty()
        || layer->geometry.iShapeKind != 0)
        vThrowDamaged(QStringLiteral("the geometry of layer %1 is recorded twice").arg(id));
    const int kind = section.iValue(QStringLiteral("shape_kind"), 0, 3);
    if (kind != 0 && kind != CW_TOOL_ADD_XSPLINE_LAYER && kind != CW_TOOL_ADD_BEZIER_LAYER)
        vThrowDamaged(QStringLiteral("%1 has an unknown shape kind").arg(section.qstrTitle()));
    layer->geometry.iShapeKind = kind;
    layer->bVisible = section.bValue(QStringLiteral("visible"));
    const int reference = section.iValue(QStringLiteral("reference_frame"), -1, int(kuiMaximumFrames) - 1);
    layer->uiReferenceFrame = reference < 0 ? 0xffffffffu : unsigned(reference);

    for (const auto& [key, text] : section.vecEntries) {
        if (key != QLatin1String("shape") && key != QLatin1String("surface"))
            continue;
        const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (parts.isEmpty())
            vThrowDamaged(QStringLiteral("an empty key in %1").arg(section.qstrTitle()));
        const unsigned int frame = uiPfgFrame(parts[0], section);
        if (key == QLatin1String("surface")) {
            if (parts.size() != 9)
                vThrowDamaged(QStringLiteral("a surface of %1 does not have four corners").arg(section.qstrTitle()));
            standin::SurfaceCorners corners;
            for (int c = 0; c < 4; ++c)
                corners[std::size_t(c)] = QPointF(
                    dPfgCoordinate(parts[1 + 2 * c], section), dPfgCoordinate(parts[2 + 2 * c], section));
            if (!layer->geometry.mapSurfaceKeys.emplace(frame, corners).second)
                vThrowDamaged(QStringLiteral("%1 keys a surface twice at one frame").arg(section.qstrTitle()));
            continue;
        }
        bool countOk = false;
        const int count = parts.size() > 1 ? parts[1].toInt(&countOk) : -1;
        // The count is checked against the line's own length before anything is made.
        if (!countOk || count < 3 || count > kiPfgMaximumPoints || parts.size() != 2 + 7 * count)
            vThrowDamaged(QStringLiteral("a shape of %1 cannot be read").arg(section.qstrTitle()));
        std::vector<standin::ShapePoint> points(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const int at = 2 + 7 * i;
            standin::ShapePoint& p = points[std::size_t(i)];
            p.dX = dPfgCoordinate(parts[at], section);
            p.dY = dPfgCoordinate(parts[at + 1], section);
            p.dInX = dPfgCoordinate(parts[at + 2], section);
            p.dInY = dPfgCoordinate(parts[at + 3], section);
            p.dOutX = dPfgCoordinate(parts[at + 4], section);
            p.dOutY = dPfgCoordinate(parts[at + 5], section);
            p.dWeight = dPfgCoordinate(parts[at + 6], section);
            if (p.dWeight < 0.0 || p.dWeight > 1.0)
                vThrowDamaged(QStringLiteral("a point weight in %1 is out of range").arg(section.qstrTitle()));
        }
        if (!layer->geometry.mapShapeKeys.emplace(frame, std::move(points)).second)
            vThrowDamaged(QStringLiteral("%1 keys a shape twice at one frame").arg(section.qstrTitle()));
    }
}

} // namespace standin::projectfile
