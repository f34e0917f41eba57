// A generated clip of a textured plane moving by known homographies over a background that
// moves otherwise, and a layer drawn around the plane as the user would, for the suites
// that track it through the engine.
#pragma once

#include "cwbase.h"
#include "standin/imaging/Geometry.h"

#include <QPointF>
#include <QString>
#include <vector>

namespace trackclip {

constexpr int kiWidth = 240;
constexpr int kiHeight = 180;
// The plane's own size, in its texture's units.
constexpr double kdPlaneW = 110.0;
constexpr double kdPlaneH = 80.0;

// Plane to frame at frame k for a motion model (CW_MOTION_*): each model moves only as it can.
standin::imaging::Homography homMotion(int model, int k);
// The plane's corners through h: upper left, upper right, lower right, lower left (y down).
std::vector<QPointF> vecCorners(const standin::imaging::Homography& h);
// Frames plane.1001.png ...: the plane over a background drifting the other way; a blank
// frame where asked. Pixel centres sit at integer coordinates. Returns the first file's
// path, empty when a frame could not be written.
QString qstrWriteClip(const QString& folder, int model, int frames, int blankFrame = -1);

void vPress(CW_Instance project, const QPointF& at);
void vRelease(CW_Instance project, const QPointF& at);
void vDrag(CW_Instance project, const QPointF& from, const QPointF& to);
// An X-spline of corner points a little inside the plane, closed on its first point, then
// the surface's corners dragged onto the given corners. Returns the layer, 0 when none.
int iDrawLayer(CW_Instance project, const std::vector<QPointF>& corners);

} // namespace trackclip

namespace testenv {

constexpr int kiTrackingClipWidth = trackclip::kiWidth;
constexpr int kiTrackingClipHeight = trackclip::kiHeight;

// The plane's corners at frame k (from 0) under a motion model: top-left, top-right,
// bottom-right, bottom-left.
std::vector<QPointF> vecTrackingTruth(int model, int frame);
// Writes plane.1001.png ... into the folder; the first file's path, empty on failure.
QString qstrWriteTrackingClip(const QString& folder, int model, int frames);
// A layer drawn through the engine's own tool calls as a user would (trackclip::iDrawLayer).
int iDrawTrackingLayer(CW_Instance project, const std::vector<QPointF>& corners);
// The largest distance between a layer's surface corners at a frame and the truth; a large
// number when the frame has no surface key.
double dWorstCornerError(CW_Instance project, int layer, unsigned int frame, const std::vector<QPointF>& truth);

} // namespace testenv
