// Plane geometry of the imaging core: points, homographies (3 x 3, row-major, acting on
// (x, y, 1)), their normalised DLT fit, and the motion models a track may be limited to.
#pragma once

#include "Result.h"

#include <array>
#include <vector>

namespace standin::imaging {

struct Point2 {
    double x = 0.0;
    double y = 0.0;
};

class Homography {
public:
    // The identity.
    Homography();
    explicit Homography(const std::array<double, 9>& values)
        : m_values(values)
    {
    }
    static Homography translation(double dx, double dy);
    static Homography scaling(double sx, double sy);

    double operator()(int r, int c) const { return m_values[std::size_t(r * 3 + c)]; }
    double& operator()(int r, int c) { return m_values[std::size_t(r * 3 + c)]; }
    const std::array<double, 9>& values() const { return m_values; }

    // The image of a point; not finite when the point maps to infinity.
    Point2 apply(const Point2& point) const;
    // This after rhs: (a * b).apply(p) == a.apply(b.apply(p)).
    Homography operator*(const Homography& rhs) const;
    // Scaled so that the bottom-right value is 1 (or the values have unit length when it is 0).
    Homography normalised() const;
    bool isFinite() const;

private:
    std::array<double, 9> m_values;
};

std::vector<Point2> vecApply(const Homography& h, const std::vector<Point2>& points);
Result<Homography> homInverse(const Homography& h);

// The homography that maps from[i] to to[i], from 4 or more pairs by the normalised direct
// linear transform (least squares in the algebraic error when there are more than 4).
// Fails when fewer than 4 pairs, the lists differ in length, a value is not finite, or the
// points are degenerate (too many of them on one line).
Result<Homography> homFitDlt(const std::vector<Point2>& from, const std::vector<Point2>& to);

// The motions a track may be limited to, each a subgroup of the next.
enum class MotionModel {
    Translation, // 2 parameters: tx, ty
    Similarity, // 4: translation, rotation and uniform scale: [[1 + a, -b, tx], [b, 1 + a, ty]]
    Affine, // 6
    Perspective, // 8
};

// Parameters are offsets from the identity, so all zero is the identity:
// Translation (tx, ty); Similarity (a, b, tx, ty) as above; Affine and Perspective
// (h00 - 1, h01, h02, h10, h11 - 1, h12[, h20, h21]) with h22 = 1.
int iMotionParameterCount(MotionModel model);
Homography homFromParameters(MotionModel model, const double* parameters);
// The parameters of a homography of the model (normalised first); false when it is not one
// within the tolerance (relative to the values).
bool bToParameters(MotionModel model, const Homography& h, double* parameters, double tolerance = 1e-9);
bool bIsInModel(MotionModel model, const Homography& h, double tolerance = 1e-9);

// The motion of the model that best maps from[i] to to[i] in the least-squares sense
// (translation: 1 pair or more, similarity 2, affine 3, perspective 4, through homFitDlt).
Result<Homography> homFitMotion(MotionModel model, const std::vector<Point2>& from, const std::vector<Point2>& to);

// The motion of the model closest to h over the given points (h moved them; the model's
// motion moves them as nearly the same as it can).
Result<Homography> homRestrictToModel(MotionModel model, const Homography& h, const std::vector<Point2>& support);

// A seed for the next frame that continues the last motion step: previous after
// (previous after inverse(beforePrevious)). Stays in any model both are in; the previous
// motion when beforePrevious cannot be inverted.
Homography homPredictNext(const Homography& previous, const Homography& beforePrevious);

// Root mean square and largest distance between two point lists of the same length.
double dRmsDistance(const std::vector<Point2>& a, const std::vector<Point2>& b);
double dMaxDistance(const std::vector<Point2>& a, const std::vector<Point2>& b);

} // namespace standin::imaging
