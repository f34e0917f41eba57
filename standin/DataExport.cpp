// Tracking and shape data for other compositing programs, and the writer of their files.
//
// Tracking formats (frame numbers as the user sees them: frame index + frame offset):
// - Corner pin keyframe text: tab-separated blocks of one corner each, as layer-based
//   compositors paste keyframes; image pixels, origin top left, y down, pixel aspect stated.
// - Corner pin node script: one corner-pin node, each destination corner keyed per frame;
//   pixels, origin bottom left, y up, as node-based compositors place them.
// - Per-corner track files: one "frame x y" file per corner; square pixels (x times the
//   pixel aspect), origin bottom left, y up.
// - Tracking XML: the product's own; image pixels, origin top left, y down.
// Shape formats: a mask-path keyframe text of one layer (Bezier vertices and tangents), and
// one SVG file per frame with a path per layer.
#include "DataExport.h"

#include "LayerGeometry.h"
#include "Vosk.h"
#include "imaging/Geometry.h"
#include "testing.h"
#include "velmor.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cmath>

namespace {

using standin::SurfaceCorners;

enum DxTrackKind { kDxCornerPinText = 1, kDxNodeScript = 2, kDxCornerFiles = 3, kDxTrackingXml = 4 };
enum DxShapeKind { kDxMaskPathText = 1, kDxSvgFrames = 2 };

const char* const kDxCornerNames[4] = {"Upper Left", "Upper Right", "Lower Right", "Lower Left"};
const char* const kDxCornerTags[4] = {"ul", "ur", "lr", "ll"};
// Bounds on what the XML reader takes in.
constexpr int kDxMaxXmlFrames = 1000000;
constexpr double kDxMaxCoordinate = 1.0e7;

QString qstrDxNumber(double value)
{
    // No "-0.0000" for a value that rounds to zero.
    return QString::number(std::fabs(value) < 0.00005 ? 0.0 : value, 'f', 4);
}

struct DxFrame {
    int iNumber = 0;
    SurfaceCorners corners;
};

struct DxTrack {
    QString qstrLayer;
    CW_BaseClipInfo base;
    std::vector<DxFrame> vecFrames;
    unsigned int uiErrors = 0;
};

// The corners to export at each frame: the surface, or with invert the image frame carried
// back by the motion from the reference frame (the identity at the reference frame).
DxTrack trkDxCollect(
    const standin::LayerRecord& layer, const CW_BaseClipInfo& base, unsigned int reference, bool invert)
{
    using standin::imaging::Point2;
    DxTrack track;
    track.qstrLayer = layer.qstrName;
    track.base = base;
    const auto& keys = layer.geometry.mapSurfaceKeys;
    const auto referenceCorners = standin::optSurfaceAt(layer.geometry, reference);
    std::vector<Point2> from;
    if (referenceCorners)
        for (const QPointF& c : *referenceCorners)
            from.push_back({c.x(), c.y()});
    const double w = base.uiWidth;
    const double h = base.uiHeight;
    const std::vector<Point2> frameCorners = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    for (unsigned int f = 0; f < base.uiCount; ++f) {
        const auto key = keys.find(f);
        if (key == keys.end()) {
            ++track.uiErrors;
            continue;
        }
        DxFrame frame {int(f) + base.iFrameOffset, key->second};
        if (invert) {
            std::vector<Point2> to;
            for (const QPointF& c : key->second)
                to.push_back({c.x(), c.y()});
            if (from.size() != 4) {
                ++track.uiErrors;
                continue;
            }
            const auto motion = standin::imaging::homFitDlt(from, to);
            const auto back = motion ? standin::imaging::homInverse(*motion) : motion;
            if (!back) {
                ++track.uiErrors;
                continue;
            }
            for (std::size_t i = 0; i < 4; ++i) {
                const Point2 p = back->apply(frameCorners[i]);
                frame.corners[i] = QPointF(p.x, p.y);
            }
        }
        track.vecFrames.push_back(frame);
    }
    return track;
}

QString qstrDxCornerPinText(const DxTrack& track)
{
    QString text;
    text += QStringLiteral("Corner Pin Keyframes\n");
    text += QStringLiteral("\tFrames Per Second\t%1\n").arg(double(track.base.fFrameRate));
    text += QStringLiteral("\tSource Width\t%1\n").arg(track.base.uiWidth);
    text += QStringLiteral("\tSource Height\t%1\n").arg(track.base.uiHeight);
    text += QStringLiteral("\tSource Pixel Aspect Ratio\t%1\n").arg(track.base.dPixelAspectRatio);
    text += QStringLiteral("\tLayer\t%1\n\n").arg(track.qstrLayer);
    for (int corner : {0, 1, 3, 2}) {
        text += QStringLiteral("Corner Pin\t%1\n").arg(QLatin1String(kDxCornerNames[corner]));
        text += QStringLiteral("\tFrame\tX pixels\tY pixels\n");
        for (const DxFrame& f : track.vecFrames)
            text += QStringLiteral("\t%1\t%2\t%3\n")
                        .arg(f.iNumber)
                        .arg(qstrDxNumber(f.corners[std::size_t(corner)].x()),
                            qstrDxNumber(f.corners[std::size_t(corner)].y()));
        text += QLatin1Char('\n');
    }
    text += QStringLiteral("End of Corner Pin Keyframes\n");
    return text;
}

QString qstrDxNodeScript(const DxTrack& track)
{
    const double h = track.base.uiHeight;
    QString text;
    text += QStringLiteral("# corner-pin node script: pixels, origin bottom left, y up\n");
    text += QStringLiteral("set fps %1\n").arg(double(track.base.fFrameRate));
    text += QStringLiteral("set format {%1 %2 %3}\n")
                .arg(track.base.uiWidth)
                .arg(track.base.uiHeight)
                .arg(track.base.dPixelAspectRatio);
    text += QStringLiteral("node CornerPin {\n");
    text
        += QStringLiteral("  name \"%1\"\n").arg(QString(track.qstrLayer).replace(QLatin1Char('"'), QLatin1Char('\'')));
    // to1 .. to4 run anticlockwise from the bottom left, as from1 .. from4 do.
    const int order[4] = {3, 2, 1, 0};
    for (int n = 0; n < 4; ++n) {
        QString xs;
        QString ys;
        for (const DxFrame& f : track.vecFrames) {
            const QPointF p = f.corners[std::size_t(order[n])];
            xs += QStringLiteral(" %1 %2").arg(f.iNumber).arg(qstrDxNumber(p.x()));
            ys += QStringLiteral(" %1 %2").arg(f.iNumber).arg(qstrDxNumber(h - p.y()));
        }
        text += QStringLiteral("  to%1 {x {%2 } y {%3 }}\n").arg(n + 1).arg(xs, ys);
    }
    text += QStringLiteral("  from1 {0 0}\n  from2 {%1 0}\n  from3 {%1 %2}\n  from4 {0 %2}\n")
                .arg(track.base.uiWidth)
                .arg(track.base.uiHeight);
    text += QStringLiteral("}\n");
    return text;
}

QString qstrDxCornerFile(const DxTrack& track, int corner)
{
    const double h = track.base.uiHeight;
    const double aspect = track.base.dPixelAspectRatio > 0 ? track.base.dPixelAspectRatio : 1.0;
    QString text = QStringLiteral("# corner track: %1 of \"%2\"; square pixels, origin bottom left, y up\n"
                                  "# frame x y\n")
                       .arg(QLatin1String(kDxCornerNames[corner]), track.qstrLayer);
    for (const DxFrame& f : track.vecFrames) {
        const QPointF p = f.corners[std::size_t(corner)];
        text += QStringLiteral("%1 %2 %3\n").arg(f.iNumber).arg(qstrDxNumber(p.x() * aspect), qstrDxNumber(h - p.y()));
    }
    return text;
}

QString qstrDxTrackingXml(const DxTrack& track, bool inverted, unsigned int reference)
{
    QString text;
    QXmlStreamWriter xml(&text);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("trackingdata"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    xml.writeAttribute(QStringLiteral("layer"), track.qstrLayer);
    xml.writeAttribute(QStringLiteral("width"), QString::number(track.base.uiWidth));
    xml.writeAttribute(QStringLiteral("height"), QString::number(track.base.uiHeight));
    xml.writeAttribute(QStringLiteral("pixelaspect"), QString::number(track.base.dPixelAspectRatio));
    xml.writeAttribute(QStringLiteral("inverted"), inverted ? QStringLiteral("1") : QStringLiteral("0"));
    if (inverted)
        xml.writeAttribute(QStringLiteral("reference"), QString::number(int(reference) + track.base.iFrameOffset));
    for (const DxFrame& f : track.vecFrames) {
        xml.writeStartElement(QStringLiteral("frame"));
        xml.writeAttribute(QStringLiteral("number"), QString::number(f.iNumber));
        for (int c = 0; c < 4; ++c) {
            xml.writeAttribute(QStringLiteral("x%1").arg(c + 1), qstrDxNumber(f.corners[std::size_t(c)].x()));
            xml.writeAttribute(QStringLiteral("y%1").arg(c + 1), qstrDxNumber(f.corners[std::size_t(c)].y()));
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return text;
}

// The file name without the format's extension at its end.
QString qstrDxStem(const QString& fileName, const QString& extension)
{
    return fileName.endsWith(extension) ? fileName.left(fileName.size() - extension.size()) : fileName;
}

QString qstrDxMaskPathText(const standin::LayerRecord& layer, const CW_BaseClipInfo& base, bool& approximated)
{
    QString text = QStringLiteral("Mask Path Keyframes\n");
    text += QStringLiteral("\tFrames Per Second\t%1\n").arg(double(base.fFrameRate));
    text += QStringLiteral("\tSource Width\t%1\n\tSource Height\t%2\n").arg(base.uiWidth).arg(base.uiHeight);
    text += QStringLiteral("\tSource Pixel Aspect Ratio\t%1\n").arg(base.dPixelAspectRatio);
    text += QStringLiteral("\tLayer\t%1\n\tClosed\tyes\n\n").arg(layer.qstrName);
    text += QStringLiteral("Mask Path\n\tFrame\tVertices (x y in-x in-y out-x out-y; ...)\n");
    const bool bezier = layer.geometry.iShapeKind == CW_TOOL_ADD_BEZIER_LAYER;
    for (unsigned int f = 0; f < base.uiCount; ++f) {
        const auto shape = standin::optShapeAt(layer.geometry, f);
        if (!shape)
            continue;
        QStringList vertices;
        if (bezier) {
            for (const standin::ShapePoint& p : *shape)
                vertices << QStringLiteral("%1 %2 %3 %4 %5 %6")
                                .arg(qstrDxNumber(p.dX), qstrDxNumber(p.dY), qstrDxNumber(p.dInX), qstrDxNumber(p.dInY),
                                    qstrDxNumber(p.dOutX), qstrDxNumber(p.dOutY));
        } else {
            // A mask path has only Bezier segments: the curve's outline stands in for it.
            approximated = true;
            for (const QPointF& p : standin::vecShapeOutline(layer.geometry.iShapeKind, *shape))
                vertices << QStringLiteral("%1 %2 0 0 0 0").arg(qstrDxNumber(p.x()), qstrDxNumber(p.y()));
        }
        text += QStringLiteral("\t%1\t%2\n").arg(int(f) + base.iFrameOffset).arg(vertices.join(QStringLiteral("; ")));
    }
    text += QStringLiteral("\nEnd of Mask Path Keyframes\n");
    return text;
}

QString qstrDxSvgPath(const standin::LayerRecord& layer, const std::vector<standin::ShapePoint>& shape)
{
    QString d;
    if (layer.geometry.iShapeKind == CW_TOOL_ADD_BEZIER_LAYER && !shape.empty()) {
        d = QStringLiteral("M %1 %2").arg(qstrDxNumber(shape[0].dX), qstrDxNumber(shape[0].dY));
        for (std::size_t i = 0; i < shape.size(); ++i) {
            const standin::ShapePoint& a = shape[i];
            const standin::ShapePoint& b = shape[(i + 1) % shape.size()];
            d += QStringLiteral(" C %1 %2 %3 %4 %5 %6")
                     .arg(qstrDxNumber(a.dX + a.dOutX), qstrDxNumber(a.dY + a.dOutY), qstrDxNumber(b.dX + b.dInX),
                         qstrDxNumber(b.dY + b.dInY), qstrDxNumber(b.dX), qstrDxNumber(b.dY));
        }
    } else {
        // The outline the engine itself draws for the curve.
        const auto outline = standin::vecShapeOutline(layer.geometry.iShapeKind, shape);
        for (std::size_t i = 0; i < outline.size(); ++i)
            d += QStringLiteral("%1 %2 %3 ")
                     .arg(i == 0 ? QStringLiteral("M") : QStringLiteral("L"), qstrDxNumber(outline[i].x()),
                         qstrDxNumber(outline[i].y()));
    }
    return d + QStringLiteral(" Z");
}

} // namespace

const QMap<QString, CW_TrackingDataFormat>& CW_TrackingDataFormat::MAP_ALL()
{
    static const QMap<QString, CW_TrackingDataFormat> formats = [] {
        QMap<QString, CW_TrackingDataFormat> map;
        const CW_TrackingDataFormat all[] = {
            {QStringLiteral("Corner Pin Keyframe Text"), QStringLiteral("CORNERPINTEXT"), QStringLiteral(".txt"), 1,
                kDxCornerPinText},
            {QStringLiteral("Corner Pin Node Script"), QStringLiteral("NODESCRIPT"), QStringLiteral(".cpnode"), 1,
                kDxNodeScript},
            {QStringLiteral("Per-Corner Track Files"), QStringLiteral("CORNERFILES"), QStringLiteral(".trk"), 0,
                kDxCornerFiles},
            {QStringLiteral("Tracking XML"), QStringLiteral("TRACKINGXML"), QStringLiteral(".xml"), 1, kDxTrackingXml},
        };
        for (const CW_TrackingDataFormat& f : all)
            map.insert(f.qstrName, f);
        return map;
    }();
    return formats;
}

CW_TrackingDataFormat CW_TrackingDataFormat::byName(const QString& name)
{
    return MAP_ALL().value(name);
}

CW_TrackingDataFormat CW_TrackingDataFormat::CORNER_PIN_TEXT()
{
    return byName(QStringLiteral("Corner Pin Keyframe Text"));
}

const QMap<QString, CW_ShapeDataFormat>& CW_ShapeDataFormat::MAP_ALL()
{
    static const QMap<QString, CW_ShapeDataFormat> formats = [] {
        QMap<QString, CW_ShapeDataFormat> map;
        const CW_ShapeDataFormat all[] = {
            {QStringLiteral("Mask Path Keyframe Text"), QStringLiteral("MASKPATHTEXT"), QStringLiteral(".txt"), false,
                kDxMaskPathText},
            {QStringLiteral("SVG Paths per Frame"), QStringLiteral("SVGFRAMES"), QStringLiteral(".svg"), true,
                kDxSvgFrames},
        };
        for (const CW_ShapeDataFormat& f : all)
            map.insert(f.qstrName, f);
        return map;
    }();
    return formats;
}

CW_ShapeDataFormat CW_ShapeDataFormat::byName(const QString& name)
{
    return MAP_ALL().value(name);
}

CW_ShapeDataFormat CW_ShapeDataFormat::MASK_PATH_TEXT()
{
    return byName(QStringLiteral("Mask Path Keyframe Text"));
}

QString qstrGetTrackExportOptions(const QString& product)
{
    // The compositor plug-in edition offers only what its host and the product read.
    if (product == QLatin1String("plintra4ae"))
        return QStringLiteral("CORNERPINTEXT TRACKINGXML");
    if (qstrGetProductName(product).isEmpty())
        return QString();
    return QStringLiteral("CORNERPINTEXT NODESCRIPT CORNERFILES TRACKINGXML");
}

QString qstrGetShapeExportOptions(const QString& product)
{
    if (product == QLatin1String("plintra4ae"))
        return QStringLiteral("MASKPATHTEXT");
    if (qstrGetProductName(product).isEmpty())
        return QString();
    return QStringLiteral("MASKPATHTEXT SVGFRAMES");
}

TOLV_TrackingExportResult velmor::exportTrackingInfo(CW_Instance project, CW_TrackingDataFormat& format,
    const QString& fileName, unsigned int referenceFrame, _CW_TRACKING_EXPORT invert, CW_TRACKING_OPTION option)
{
    TOLV_TrackingExportResult result;
    if (format.iKind < kDxCornerPinText || format.iKind > kDxTrackingXml || option < CW_TRACKING_DATA
        || option > CW_STABILIZE_DATA)
        return result;
    DxTrack track;
    {
        auto& registry = standin::ProjectRegistry::instance();
        QMutexLocker lock(&registry.mutex());
        if (!registry.bIsLive(project))
            return result;
        const standin::LayerRecord* layer = standin::pCurrentLayer(*project);
        const auto clip = project->mapClips.find(1);
        if (!layer || clip == project->mapClips.end())
            return result;
        // The stand-in keeps no offset of its own: the offset surface is the surface.
        track = trkDxCollect(*layer, clip->second, referenceFrame, invert == CW_TRACKING_EXPORT_INVERTED);
    }
    result.uiErrors = track.uiErrors;
    result.pMap = std::make_shared<QMap<QString, QString>>();
    switch (format.iKind) {
    case kDxCornerPinText:
        result.pMap->insert(fileName, qstrDxCornerPinText(track));
        break;
    case kDxNodeScript:
        result.pMap->insert(fileName, qstrDxNodeScript(track));
        break;
    case kDxCornerFiles: {
        const QString stem = qstrDxStem(fileName, format.qstrExtension);
        for (int c = 0; c < 4; ++c)
            result.pMap->insert(stem + (stem.isEmpty() ? QString() : QStringLiteral("_"))
                    + QLatin1String(kDxCornerTags[c]) + format.qstrExtension,
                qstrDxCornerFile(track, c));
        break;
    }
    default:
        result.pMap->insert(fileName, qstrDxTrackingXml(track, invert == CW_TRACKING_EXPORT_INVERTED, referenceFrame));
        break;
    }
    return result;
}

CW_FileMap velmor::exportShapeInfo(
    CW_Instance project, CW_ShapeDataFormat& format, const QString& fileName, CW_ShapeExportMode mode)
{
    if (format.iKind != kDxMaskPathText && format.iKind != kDxSvgFrames)
        return nullptr;
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return nullptr;
    const auto clip = project->mapClips.find(1);
    if (clip == project->mapClips.end())
        return nullptr;
    const CW_BaseClipInfo& base = clip->second;

    std::vector<const standin::LayerRecord*> layers;
    if (mode == CW_SHAPE_EXPORT_SELECTED) {
        if (const standin::LayerRecord* current = standin::pCurrentLayer(*project))
            layers.push_back(current);
    } else {
        for (const standin::LayerRecord& layer : project->vecLayers)
            if (mode == CW_SHAPE_EXPORT_ALL || layer.bVisible)
                layers.push_back(&layer);
    }
    if (!format.bMultiLayer && layers.size() > 1)
        layers.resize(1);
    if (layers.empty())
        return nullptr;

    auto map = std::make_shared<QMap<QString, QString>>();
    if (format.iKind == kDxMaskPathText) {
        bool approximated = false;
        map->insert(fileName, qstrDxMaskPathText(*layers.front(), base, approximated));
        if (approximated)
            map->insert(QStringLiteral("__ERROR__"),
                QStringLiteral("X-spline shapes cannot be held by this format: their outlines are written "
                               "as straight segments."));
        return map;
    }
    // One file per frame: without a file name there is nothing to name them by.
    if (fileName.isEmpty())
        return map;
    const QString stem = qstrDxStem(fileName, format.qstrExtension);
    for (unsigned int f = 0; f < base.uiCount; ++f) {
        QString body;
        for (const standin::LayerRecord* layer : layers) {
            const auto shape = standin::optShapeAt(layer->geometry, f);
            if (!shape)
                continue;
            body += QStringLiteral("  <path id=\"%1\" d=\"%2\" fill=\"white\"/>\n")
                        .arg(layer->qstrName.toHtmlEscaped(), qstrDxSvgPath(*layer, *shape));
        }
        map->insert(QStringLiteral("%1_%2%3").arg(stem).arg(int(f) + base.iFrameOffset).arg(format.qstrExtension),
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" "
                           "viewBox=\"0 0 %1 %2\">\n%3</svg>\n")
                .arg(base.uiWidth)
                .arg(base.uiHeight)
                .arg(body));
    }
    return map;
}

bool velmor::writeFileMap(const CW_FileMap& map, const std::function<bool(const QString&)>& confirm)
{
    if (!map)
        return false;
    bool written = false;
    bool failed = false;
    for (auto entry = map->constBegin(); entry != map->constEnd(); ++entry) {
        if (entry.key() == QLatin1String("__ERROR__"))
            continue;
        // The clipboard's text has no file to go to.
        if (entry.key().isEmpty()) {
            failed = true;
            continue;
        }
        const QString path = entry.key();
        if (QFileInfo::exists(path) && confirm && !confirm(path))
            continue;
        const QByteArray bytes = entry.value().toUtf8();
        QSaveFile file(path);
        if (standin::testing::bIsReadOnlyFolder(QFileInfo(path).absolutePath()) || !file.open(QIODevice::WriteOnly)
            || file.write(bytes) != bytes.size() || !file.commit()) {
            failed = true;
            continue;
        }
        written = true;
    }
    return written && !failed;
}

CW_BOOL bIsLayerHidden(CW_Instance project, int layer)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return true;
    for (const standin::LayerRecord& record : project->vecLayers)
        if (record.iID == layer)
            return !record.bVisible;
    return true;
}

std::optional<standin::TrackingXml> standin::optReadTrackingXml(const QString& text)
{
    QXmlStreamReader xml(text);
    TrackingXml out;
    bool root = false;
    auto number = [](const QXmlStreamAttributes& a, const QString& name, bool& ok) {
        bool good = false;
        const double value = a.value(name).toDouble(&good);
        ok = ok && good && std::isfinite(value) && std::fabs(value) <= kDxMaxCoordinate;
        return value;
    };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        bool ok = true;
        if (!root) {
            if (xml.name() != QLatin1String("trackingdata") || a.value(QStringLiteral("version")) != QLatin1String("1"))
                return std::nullopt;
            root = true;
            out.qstrLayer = a.value(QStringLiteral("layer")).toString();
            out.uiWidth = unsigned(number(a, QStringLiteral("width"), ok));
            out.uiHeight = unsigned(number(a, QStringLiteral("height"), ok));
            out.dPixelAspect = number(a, QStringLiteral("pixelaspect"), ok);
            if (!ok || out.dPixelAspect <= 0)
                return std::nullopt;
            continue;
        }
        if (xml.name() != QLatin1String("frame") || out.mapCorners.size() >= std::size_t(kDxMaxXmlFrames))
            return std::nullopt;
        const int frame = int(number(a, QStringLiteral("number"), ok));
        SurfaceCorners corners;
        for (int c = 0; c < 4; ++c)
            corners[std::size_t(c)] = QPointF(
                number(a, QStringLiteral("x%1").arg(c + 1), ok), number(a, QStringLiteral("y%1").arg(c + 1), ok));
        if (!ok)
            return std::nullopt;
        out.mapCorners[frame] = corners;
        xml.skipCurrentElement();
    }
    if (xml.hasError() || !root)
        return std::nullopt;
    return out;
}

void standin::testing::vSetLayerGeometry(CW_Instance project, int layer, const LayerGeometry& geometry, bool visible)
{
    auto& registry = ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return;
    for (LayerRecord& record : project->vecLayers)
        if (record.iID == layer) {
            record.geometry = geometry;
            record.bVisible = visible;
        }
}

void standin::testing::vSetRenderLayer(CW_Instance project, CW_MODULE module, int layer, bool render)
{
    auto& registry = ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return;
    for (LayerRecord& record : project->vecLayers)
        if (record.iID == layer) {
            if (render)
                record.setRenderModules.insert(int(module));
            else
                record.setRenderModules.erase(int(module));
        }
}

CW_BOOL bGetRenderLayer(CW_Instance project, CW_MODULE module, int layer)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return false;
    for (const standin::LayerRecord& record : project->vecLayers)
        if (record.iID == layer)
            return record.setRenderModules.count(int(module)) > 0;
    return false;
}
