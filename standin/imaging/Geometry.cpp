#include "Geometry.h"

#include "LinearAlgebra.h"

#include <algorithm>
#include <cmath>

namespace standin::imaging {

Homography::Homography()
    : m_values {1, 0, 0, 0, 1, 0, 0, 0, 1}
{
}

Homography Homography::translation(double dx, double dy)
{
    return Homography({1, 0, dx, 0, 1, dy, 0, 0, 1});
}

Homography Homography::scaling(double sx, double sy)
{
    return Homography({sx, 0, 0, 0, sy, 0, 0, 0, 1});
}

Point2 Homography::apply(const Point2& p) const
{
    const auto& m = m_values;
    const double w = m[6] * p.x + m[7] * p.y + m[8];
    return {(m[0] * p.x + m[1] * p.y + m[2]) / w, (m[3] * p.x + m[4] * p.y + m[5]) / w};
}

Homography Homography::operator*(const Homography& rhs) const
{
    std::array<double, 9> out {};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out[std::size_t(r * 3 + c)]
                = (*this)(r, 0) * rhs(0, c) + (*this)(r, 1) * rhs(1, c) + (*this)(r, 2) * rhs(2, c);
    return Homography(out);
}

Homography Homography::normalised() const
{
    std::array<double, 9> out = m_values;
    double scale = m_values[8];
    if (std::fabs(scale) < 1e-300) {
        scale = 0.0;
        for (double v : m_values)
            scale += v * v;
        scale = std::sqrt(scale);
    }
    if (scale == 0.0 || !std::isfinite(scale))
        return *this;
    for (double& v : out)
        v /= scale;
    return Homography(out);
}

bool Homography::isFinite() const
{
    return std::all_of(m_values.begin(), m_values.end(), [](double v) { return std::isfinite(v); });
}

std::vector<Point2> vecApply(const Homography& h, const std::vector<Point2>& points)
{
    std::vector<Point2> out;
    out.reserve(points.size());
    for (const Point2& p : points)
        out.push_back(h.apply(p));
    return out;
}

Result<Homography> homInverse(const Homography& h)
{
    const auto& m = h.values();
    std::array<double, 9> adj {m[4] * m[8] - m[5] * m[7], m[2] * m[7] - m[1] * m[8], m[1] * m[5] - m[2] * m[4],
        m[5] * m[6] - m[3] * m[8], m[0] * m[8] - m[2] * m[6], m[2] * m[3] - m[0] * m[5], m[3] * m[7] - m[4] * m[6],
        m[1] * m[6] - m[0] * m[7], m[0] * m[4] - m[1] * m[3]};
    const double det = m[0] * adj[0] + m[1] * adj[3] + m[2] * adj[6];
    double norm = 0.0;
    for (double v : m)
        norm = std::max(norm, std::fabs(v));
    if (!h.isFinite() || !(std::fabs(det) > 1e-12 * norm * norm * norm))
        return Failure {"the homography cannot be inverted"};
    for (double& v : adj)
        v /= det;
    return Homography(adj).normalised();
}

namespace {

bool bAllFinite(const std::vector<Point2>& points)
{
    return std::all_of(
        points.begin(), points.end(), [](const Point2& p) { return std::isfinite(p.x) && std::isfinite(p.y); });
}

// Moves the centroid to the origin and scales the mean distance from it to sqrt(2).
Homography homNormaliser(const std::vector<Point2>& points)
{
    double cx = 0.0;
    double cy = 0.0;
    for (const Point2& p : points) {
        cx += p.x;
        cy += p.y;
    }
    cx /= double(points.size());
    cy /= double(points.size());
    double mean = 0.0;
    for (const Point2& p : points)
        mean += std::hypot(p.x - cx, p.y - cy);
    mean /= double(points.size());
    const double s = mean > 0.0 ? std::sqrt(2.0) / mean : 1.0;
    return Homography({s, 0, -s * cx, 0, s, -s * cy, 0, 0, 1});
}

Result<Homography> homFitCheckInput(const std::vector<Point2>& from, const std::vector<Point2>& to, std::size_t least)
{
    if (from.size() != to.size())
        return Failure {"the point lists differ in length"};
    if (from.size() < least)
        return Failure {
            "too few point pairs (" + std::to_string(from.size()) + ", at least " + std::to_string(least) + " needed)"};
    if (!bAllFinite(from) || !bAllFinite(to))
        return Failure {"a point is not finite"};
    return Homography();
}

} // namespace

Result<Homography> homFitDlt(const std::vector<Point2>& from, const std::vector<Point2>& to)
{
    const Result<Homography> checked = homFitCheckInput(from, to, 4);
    if (!checked)
        return checked;
    const Homography nFrom = homNormaliser(from);
    const Homography nTo = homNormaliser(to);
    double ata[81] = {};
    for (std::size_t i = 0; i < from.size(); ++i) {
        const Point2 p = nFrom.apply(from[i]);
        const Point2 q = nTo.apply(to[i]);
        const double rows[2][9] = {
            {0, 0, 0, -p.x, -p.y, -1, q.y * p.x, q.y * p.y, q.y}, {p.x, p.y, 1, 0, 0, 0, -q.x * p.x, -q.x * p.y, -q.x}};
        for (const auto& row : rows)
            for (int r = 0; r < 9; ++r)
                for (int c = r; c < 9; ++c)
                    ata[r * 9 + c] += row[r] * row[c];
    }
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < r; ++c)
            ata[r * 9 + c] = ata[c * 9 + r];
    std::vector<double> values;
    std::vector<double> vectors;
    linalg::vSymmetricEigen(9, ata, values, vectors);
    // A second (near) null direction means the pairs do not fix one homography.
    if (!(values[1] > 1e-12 * values[8]))
        return Failure {"the points are degenerate (too many on one line)"};
    std::array<double, 9> h {};
    for (int k = 0; k < 9; ++k)
        h[std::size_t(k)] = vectors[std::size_t(k * 9)];
    const Result<Homography> nToInverse = homInverse(nTo);
    if (!nToInverse)
        return nToInverse;
    const Homography fitted = (*nToInverse * Homography(h) * nFrom).normalised();
    if (!fitted.isFinite() || !homInverse(fitted))
        return Failure {"the points are degenerate (the fit cannot be inverted)"};
    return fitted;
}

int iMotionParameterCount(MotionModel model)
{
    switch (model) {
    case MotionModel::Translation:
        return 2;
    case MotionModel::Similarity:
        return 4;
    case MotionModel::Affine:
        return 6;
    case MotionModel::Perspective:
        return 8;
    }
    return 8;
}

Homography homFromParameters(MotionModel model, const double* p)
{
    switch (model) {
    case MotionModel::Translation:
        return Homography::translation(p[0], p[1]);
    case MotionModel::Similarity:
        return Homography({1 + p[0], -p[1], p[2], p[1], 1 + p[0], p[3], 0, 0, 1});
    case MotionModel::Affine:
        return Homography({1 + p[0], p[1], p[2], p[3], 1 + p[4], p[5], 0, 0, 1});
    case MotionModel::Perspective:
        return Homography({1 + p[0], p[1], p[2], p[3], 1 + p[4], p[5], p[6], p[7], 1});
    }
    return {};
}

bool bToParameters(MotionModel model, const Homography& h, double* p, double tolerance)
{
    if (!h.isFinite() || h(2, 2) == 0.0)
        return false;
    const Homography n = h.normalised();
    double scale = 1.0;
    for (double v : n.values())
        scale = std::max(scale, std::fabs(v));
    auto near = [&](double a, double b) { return std::fabs(a - b) <= tolerance * scale; };
    const bool affine = near(n(2, 0), 0.0) && near(n(2, 1), 0.0);
    switch (model) {
    case MotionModel::Translation:
        if (!affine || !near(n(0, 0), 1.0) || !near(n(1, 1), 1.0) || !near(n(0, 1), 0.0) || !near(n(1, 0), 0.0))
            return false;
        p[0] = n(0, 2);
        p[1] = n(1, 2);
        return true;
    case MotionModel::Similarity:
        if (!affine || !near(n(0, 0), n(1, 1)) || !near(n(0, 1), -n(1, 0)))
            return false;
        p[0] = 0.5 * (n(0, 0) + n(1, 1)) - 1.0;
        p[1] = 0.5 * (n(1, 0) - n(0, 1));
        p[2] = n(0, 2);
        p[3] = n(1, 2);
        return true;
    case MotionModel::Affine:
    case MotionModel::Perspective:
        if (model == MotionModel::Affine && !affine)
            return false;
        p[0] = n(0, 0) - 1.0;
        p[1] = n(0, 1);
        p[2] = n(0, 2);
        p[3] = n(1, 0);
        p[4] = n(1, 1) - 1.0;
        p[5] = n(1, 2);
        if (model == MotionModel::Perspective) {
            p[6] = n(2, 0);
            p[7] = n(2, 1);
        }
        return true;
    }
    return false;
}

bool bIsInModel(MotionModel model, const Homography& h, double tolerance)
{
    double p[8];
    return bToParameters(model, h, p, tolerance);
}

Result<Homography> homFitMotion(MotionModel model, const std::vector<Point2>& from, const std::vector<Point2>& to)
{
    if (model == MotionModel::Perspective)
        return homFitDlt(from, to);
    const std::size_t least = model == MotionModel::Translation ? 1 : (model == MotionModel::Similarity ? 2 : 3);
    const Result<Homography> checked = homFitCheckInput(from, to, least);
    if (!checked)
        return checked;
    const double n = double(from.size());
    Point2 cf;
    Point2 ct;
    for (std::size_t i = 0; i < from.size(); ++i) {
        cf.x += from[i].x / n;
        cf.y += from[i].y / n;
        ct.x += to[i].x / n;
        ct.y += to[i].y / n;
    }
    if (model == MotionModel::Translation)
        return Homography::translation(ct.x - cf.x, ct.y - cf.y);

    // Centred coordinates; the linear part maps centred from to centred to.
    double sxx = 0, sxy = 0, syy = 0, sxu = 0, syu = 0, sxv = 0, syv = 0;
    for (std::size_t i = 0; i < from.size(); ++i) {
        const double x = from[i].x - cf.x;
        const double y = from[i].y - cf.y;
        const double u = to[i].x - ct.x;
        const double v = to[i].y - ct.y;
        sxx += x * x;
        sxy += x * y;
        syy += y * y;
        sxu += x * u;
        syu += y * u;
        sxv += x * v;
        syv += y * v;
    }
    double a00, a01, a10, a11;
    if (model == MotionModel::Similarity) {
        const double spread = sxx + syy;
        if (!(spread > 1e-24 * (1.0 + cf.x * cf.x + cf.y * cf.y)))
            return Failure {"the points are degenerate (all in one place)"};
        const double a = (sxu + syv) / spread;
        const double b = (sxv - syu) / spread;
        a00 = a;
        a01 = -b;
        a10 = b;
        a11 = a;
    } else {
        const double det = sxx * syy - sxy * sxy;
        if (!(det > 1e-12 * (sxx + syy) * (sxx + syy)))
            return Failure {"the points are degenerate (all on one line)"};
        a00 = (syy * sxu - sxy * syu) / det;
        a01 = (sxx * syu - sxy * sxu) / det;
        a10 = (syy * sxv - sxy * syv) / det;
        a11 = (sxx * syv - sxy * sxv) / det;
    }
    return Homography({a00, a01, ct.x - a00 * cf.x - a01 * cf.y, a10, a11, ct.y - a10 * cf.x - a11 * cf.y, 0, 0, 1});
}

Result<Homography> homRestrictToModel(MotionModel model, const Homography& h, const std::vector<Point2>& support)
{
    const std::vector<Point2> moved = vecApply(h, support);
    if (!bAllFinite(moved))
        return Failure {"the motion sends a point to infinity"};
    return homFitMotion(model, support, moved);
}

Homography homPredictNext(const Homography& previous, const Homography& beforePrevious)
{
    const Result<Homography> back = homInverse(beforePrevious);
    if (!back)
        return previous;
    const Homography next = (previous * *back * previous).normalised();
    return next.isFinite() ? next : previous;
}

double dRmsDistance(const std::vector<Point2>& a, const std::vector<Point2>& b)
{
    const std::size_t n = std::min(a.size(), b.size());
    if (n == 0)
        return 0.0;
    double sum = 0.0;
    for (std::size_t i = 0; i < n; ++i)
        sum += (a[i].x - b[i].x) * (a[i].x - b[i].x) + (a[i].y - b[i].y) * (a[i].y - b[i].y);
    return std::sqrt(sum / double(n));
}

double dMaxDistance(const std::vector<Point2>& a, const std::vector<Point2>& b)
{
    double worst = 0.0;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        worst = std::max(worst, std::hypot(a[i].x - b[i].x, a[i].y - b[i].y));
    return worst;
}

} // namespace standin::imaging
