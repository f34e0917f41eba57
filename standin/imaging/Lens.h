// Lens distortion and the line fitting that calibrates it.
//
// The radial model: with normalised coordinates q = (p - centre) / focal of an undistorted
// point p, the distorted point is centre + focal x q (1 + k1 r^2 + k2 r^4), r = |q|. The focal
// length only sets the unit of r, so k1 scales with focal^2 and k2 with focal^4.
#pragma once

#include "Geometry.h"
#include "Result.h"
#include "Warp.h"

#include <vector>

namespace standin::imaging {

struct RadialLens {
    double dK1 = 0.0;
    double dK2 = 0.0;
    Point2 ptCentre;
    double dFocal = 1.0;
};

// Undistorted to distorted image point.
Point2 ptDistort(const RadialLens& lens, const Point2& undistorted);
// Distorted to undistorted, by a safeguarded Newton iteration on the radius. Fails when the
// lens is not valid (focal not positive, a value not finite) or the point lies beyond the
// radius where the model stops growing (no undistorted point maps there).
Result<Point2> ptUndistort(const RadialLens& lens, const Point2& distorted);

// Mappings for imgWarp / imgBuildMap: the undistorted image of a distorted frame (each
// undistorted pixel reads its distorted place), and the distorted image of an undistorted one.
PixelMapping mapUndistortImage(const RadialLens& lens);
PixelMapping mapDistortImage(const RadialLens& lens);

// A straight line: a point on it (the centroid of the fitted points), its unit direction
// (pointing from the first fitted point's end towards the last's) and the root mean square
// orthogonal distance of the points from it.
struct Line2 {
    Point2 ptPoint;
    Point2 ptDirection;
    double dRms = 0.0;
    // Signed orthogonal distance of a point from the line.
    double dDistance(const Point2& p) const
    {
        return (p.x - ptPoint.x) * -ptDirection.y + (p.y - ptPoint.y) * ptDirection.x;
    }
};

// Total least squares: the line that minimises the orthogonal distances. Fails with fewer
// than 2 points, a point not finite, or all points in one place.
Result<Line2> lnFitLine(const std::vector<Point2>& points);

struct LensFitOptions {
    bool bFitK2 = false;
    bool bFitCentre = false;
    int iMaxIterations = 100;
};

// Calibrates the lens from points along lines that are straight in the scene, seen through
// it (distorted image points, at least 3 per line, in order along the line): the k1 (and k2,
// and centre, as asked) that make the undistorted points of every line most nearly collinear
// (orthogonal distances, in the least-squares sense), starting from
// `start` (whose focal length is kept). Fails when the lines do not fix the asked values
// (it returns the best values it reached when it runs out of iterations).
Result<RadialLens> lensFitToLines(
    const std::vector<std::vector<Point2>>& lines, const RadialLens& start, const LensFitOptions& options = {});

} // namespace standin::imaging
