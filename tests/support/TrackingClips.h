// Clips for the tracking suites: a textured plane moving by known homographies over a
// background that moves otherwise, frames numbered from 1001, with the plane's true corners.
#pragma once

#include "cwbase.h"

#include <QPointF>
#include <QString>
#include <vector>

namespace testenv {

constexpr int kiTrackingClipWidth = 240;
constexpr int kiTrackingClipHeight = 180;

// The plane's corners at frame k (from 0) under a motion model (CW_MOTION_*), each model
// moving only as it can express: top-left, top-right, bottom-right, bottom-left.
std::vector<QPointF> vecTrackingTruth(int model, int frame);
// Writes plane.1001.png ... into the folder; the first file's path, empty on failure.
QString qstrWriteTrackingClip(const QString& folder, int model, int frames);
// A layer drawn through the engine's own tool calls as a user would: an X-spline a little
// inside the corners, closed on its first point, its surface corners dragged onto them.
// The layer's id, 0 when drawing failed.
int iDrawTrackingLayer(CW_Instance project, const std::vector<QPointF>& corners);
// The largest distance between a layer's surface corners at a frame and the truth; a large
// number when the frame has no surface key.
double dWorstCornerError(CW_Instance project, int layer, unsigned int frame, const std::vector<QPointF>& truth);

} // namespace testenv
