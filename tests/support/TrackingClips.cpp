#include "TrackingClips.h"

#include "standin/testing.h"
#include "velmor.h"

#include <QDir>
#include <QImage>
#include <algorithm>
#include <climits>
#include <cmath>

using standin::imaging::Homography;
using standin::imaging::Point2;

namespace {

// Smooth detail without repeats at the scales the tracker searches.
double dPlaneTexture(double u, double v)
{
    double value = 0.5 + 0.12 * std::sin(0.23 * u + 0.11 * v) + 0.1 * std::sin(0.07 * u - 0.29 * v + 1.0)
        + 0.08 * std::cos(0.31 * u + 0.4) * std::sin(0.17 * v);
    const double blobs[4][3] = {{25, 20, 0.25}, {80, 30, -0.3}, {55, 60, 0.2}, {95, 65, 0.22}};
    for (const auto& b : blobs)
        value += b[2] * std::exp(-((u - b[0]) * (u - b[0]) + (v - b[1]) * (v - b[1])) / 60.0);
    return value;
}

double dBackground(double x, double y)
{
    return 0.35 + 0.1 * std::sin(0.19 * x) * std::cos(0.13 * y) + 0.08 * std::sin(0.05 * x + 0.21 * y);
}

} // namespace

Homography trackclip::homMotion(int model, int k)
{
    const double t = k;
    const Homography place = Homography::translation(60.0, 45.0);
    if (model == CW_MOTION_TRANSLATION)
        return Homography::translation(3.2 * t, -1.7 * t) * place;
    const double angle = 0.03 * t;
    const double scale = 1.0 + 0.02 * t;
    const double shear = 0.015 * t;
    const Homography affine({scale * std::cos(angle), -scale * std::sin(angle) + shear, 2.5 * t,
        scale * std::sin(angle), scale * std::cos(angle), 1.1 * t, 0.0, 0.0, 1.0});
    const Homography centre = Homography::translation(kdPlaneW / 2, kdPlaneH / 2);
    const Homography uncentre = Homography::translation(-kdPlaneW / 2, -kdPlaneH / 2);
    Homography motion = centre * affine * uncentre;
    if (model == CW_MOTION_PERSPECTIVE)
        motion = centre * Homography({1, 0, 0, 0, 1, 0, 0.0006 * t, -0.0004 * t, 1}) * uncentre * motion;
    return place * motion;
}

std::vector<QPointF> trackclip::vecCorners(const Homography& h)
{
    std::vector<QPointF> corners;
    for (const Point2& p : std::vector<Point2> {{0, 0}, {kdPlaneW, 0}, {kdPlaneW, kdPlaneH}, {0, kdPlaneH}}) {
        const Point2 q = h.apply(p);
        corners.emplace_back(q.x, q.y);
    }
    return corners;
}

QString trackclip::qstrWriteClip(const QString& folder, int model, int frames, int blankFrame)
{
    QDir().mkpath(folder);
    for (int k = 0; k < frames; ++k) {
        QImage image(kiWidth, kiHeight, QImage::Format_RGB32);
        const Homography toPlane = *standin::imaging::homInverse(homMotion(model, k));
        for (int y = 0; y < kiHeight; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < kiWidth; ++x) {
                double sum = 0.0;
                for (int s = 0; s < 4; ++s) {
                    const double px = x + (s % 2 ? 0.25 : -0.25);
                    const double py = y + (s / 2 ? 0.25 : -0.25);
                    const Point2 q = toPlane.apply({px, py});
                    const bool onPlane = q.x >= 0 && q.y >= 0 && q.x <= kdPlaneW && q.y <= kdPlaneH;
                    sum += onPlane ? dPlaneTexture(q.x, q.y) : dBackground(px + 4.0 * k, py - 2.0 * k);
                }
                int level = int(std::lround(sum / 4.0 * 255.0));
                if (k == blankFrame)
                    level = 128;
                level = std::clamp(level, 0, 255);
                row[x] = qRgb(level, std::clamp(level + 10, 0, 255), std::clamp(level - 10, 0, 255));
            }
        }
        if (!image.save(QDir(folder).filePath(QStringLiteral("plane.%1.png").arg(1001 + k))))
            return QString();
    }
    return QDir(folder).filePath(QStringLiteral("plane.1001.png"));
}

void trackclip::vPress(CW_Instance project, const QPointF& at)
{
    bool changed = false;
    vButtonDown(project, 0x20, changed, nullptr, true, float(at.x()), float(at.y()), true, true, true, true, true, true,
        false, false, false, false, false, 0u, false, false, 0, false, false, false, false, false);
}

void trackclip::vRelease(CW_Instance project, const QPointF& at)
{
    vButtonUp(project, 0x20, true, float(at.x()), float(at.y()), eGetCurrentToolType(project), INT_MAX, true, true,
        true, true, true, true, false, false, false, false, false, 0u, false, false, 0, false, false, false, false,
        false);
}

void trackclip::vDrag(CW_Instance project, const QPointF& from, const QPointF& to)
{
    vPress(project, from);
    eMove(project, 0x20, true, float(to.x()), float(to.y()), true, true, true, true, true, true, false, false, false,
        false, false, 0u, false, false, 0, false, false, false, false, false);
    vRelease(project, to);
}

int trackclip::iDrawLayer(CW_Instance project, const std::vector<QPointF>& corners)
{
    vSetContourModelDefaults(project, 0.0, 0.2);
    vSelectTool(project, CW_TOOL_ADD_XSPLINE_LAYER, INT_MAX);
    const QPointF centre = (corners[0] + corners[1] + corners[2] + corners[3]) / 4.0;
    std::vector<QPointF> inside;
    for (const QPointF& c : corners)
        inside.push_back(centre + (c - centre) * 0.85);
    for (const QPointF& p : inside) {
        vPress(project, p);
        vRelease(project, p);
    }
    vPress(project, inside.front());
    vRelease(project, inside.front());
    const int layer = iGetCurrentSelectionID(project);
    const auto geometry = standin::testing::stctGetLayerGeometry(project, layer);
    if (geometry.mapSurfaceKeys.empty())
        return 0;
    const standin::SurfaceCorners box = geometry.mapSurfaceKeys.begin()->second;
    for (std::size_t i = 0; i < 4; ++i)
        vDrag(project, box[i], corners[i]);
    return layer;
}

std::vector<QPointF> testenv::vecTrackingTruth(int model, int frame)
{
    return trackclip::vecCorners(trackclip::homMotion(model, frame));
}

QString testenv::qstrWriteTrackingClip(const QString& folder, int model, int frames)
{
    return trackclip::qstrWriteClip(folder, model, frames);
}

int testenv::iDrawTrackingLayer(CW_Instance project, const std::vector<QPointF>& corners)
{
    return trackclip::iDrawLayer(project, corners);
}

double testenv::dWorstCornerError(CW_Instance project, int layer, unsigned int frame, const std::vector<QPointF>& truth)
{
    const auto geometry = standin::testing::stctGetLayerGeometry(project, layer);
    const auto key = geometry.mapSurfaceKeys.find(frame);
    if (key == geometry.mapSurfaceKeys.end())
        return 1e9;
    double worst = 0.0;
    for (std::size_t i = 0; i < 4 && i < truth.size(); ++i)
        worst = std::max(worst, std::hypot(key->second[i].x() - truth[i].x(), key->second[i].y() - truth[i].y()));
    return worst;
}
