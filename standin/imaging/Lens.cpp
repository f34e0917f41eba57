#include "Lens.h"

#include "LinearAlgebra.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace standin::imaging {

namespace {

bool bValidLens(const RadialLens& lens)
{
    return std::isfinite(lens.dK1) && std::isfinite(lens.dK2) && std::isfinite(lens.ptCentre.x)
        && std::isfinite(lens.ptCentre.y) && std::isfinite(lens.dFocal) && lens.dFocal > 0.0;
}

// g(r) = r (1 + k1 r^2 + k2 r^4) and its slope.
double dRadial(const RadialLens& lens, double r)
{
    const double s = r * r;
    return r * (1.0 + s * (lens.dK1 + s * lens.dK2));
}
double dRadialSlope(const RadialLens& lens, double r)
{
    const double s = r * r;
    return 1.0 + s * (3.0 * lens.dK1 + 5.0 * s * lens.dK2);
}

// The radius where g stops growing (the first positive zero of its slope), or infinity.
double dMonotonicLimit(const RadialLens& lens)
{
    // 1 + 3 k1 s + 5 k2 s^2 = 0 in s = r^2, solved without cancellation (k2 may be tiny).
    const double a = 5.0 * lens.dK2;
    const double b = 3.0 * lens.dK1;
    double smallest = std::numeric_limits<double>::infinity();
    if (a == 0.0) {
        if (b < 0.0)
            smallest = -1.0 / b;
    } else {
        const double disc = b * b - 4.0 * a;
        if (disc >= 0.0) {
            const double q = -0.5 * (b + (b < 0.0 ? -1.0 : 1.0) * std::sqrt(disc));
            for (double s : {q / a, q != 0.0 ? 1.0 / q : -1.0})
                if (s > 0.0)
                    smallest = std::min(smallest, s);
        }
    }
    return std::sqrt(smallest);
}

} // namespace

Point2 ptDistort(const RadialLens& lens, const Point2& p)
{
    const double qx = (p.x - lens.ptCentre.x) / lens.dFocal;
    const double qy = (p.y - lens.ptCentre.y) / lens.dFocal;
    const double s = qx * qx + qy * qy;
    const double factor = 1.0 + s * (lens.dK1 + s * lens.dK2);
    return {lens.ptCentre.x + lens.dFocal * qx * factor, lens.ptCentre.y + lens.dFocal * qy * factor};
}

Result<Point2> ptUndistort(const RadialLens& lens, const Point2& p)
{
    if (!bValidLens(lens))
        return Failure {"the lens is not valid"};
    if (!std::isfinite(p.x) || !std::isfinite(p.y))
        return Failure {"the point is not finite"};
    const double qx = (p.x - lens.ptCentre.x) / lens.dFocal;
    const double qy = (p.y - lens.ptCentre.y) / lens.dFocal;
    const double rd = std::hypot(qx, qy);
    if (rd == 0.0)
        return lens.ptCentre;
    // Bracket the root of g(r) = rd on the growing part of g.
    double lo = 0.0;
    double hi = dMonotonicLimit(lens);
    if (std::isinf(hi)) {
        hi = std::max(rd, 1e-3);
        for (int i = 0; i < 200 && dRadial(lens, hi) < rd; ++i)
            hi *= 2.0;
    }
    if (!(dRadial(lens, hi) >= rd))
        return Failure {"the point lies beyond the lens model's reach"};
    double r = std::clamp(rd, lo, hi);
    for (int i = 0; i < 200; ++i) {
        const double f = dRadial(lens, r) - rd;
        if (f > 0.0)
            hi = r;
        else
            lo = r;
        const double slope = dRadialSlope(lens, r);
        double next = slope > 0.0 ? r - f / slope : 0.5 * (lo + hi);
        if (!(next > lo && next < hi))
            next = 0.5 * (lo + hi);
        if (std::fabs(next - r) <= 1e-15 * std::max(1.0, r) || hi - lo <= 1e-15 * std::max(1.0, r)) {
            r = next;
            const double scale = r / rd;
            return Point2 {lens.ptCentre.x + lens.dFocal * qx * scale, lens.ptCentre.y + lens.dFocal * qy * scale};
        }
        r = next;
    }
    return Failure {"the inverse lens mapping did not converge"};
}

PixelMapping mapUndistortImage(const RadialLens& lens)
{
    return [lens](double x, double y, double& sx, double& sy) {
        const Point2 d = ptDistort(lens, {x, y});
        sx = d.x;
        sy = d.y;
        return std::isfinite(sx) && std::isfinite(sy);
    };
}

PixelMapping mapDistortImage(const RadialLens& lens)
{
    return [lens](double x, double y, double& sx, double& sy) {
        const Result<Point2> u = ptUndistort(lens, {x, y});
        if (!u)
            return false;
        sx = u->x;
        sy = u->y;
        return true;
    };
}

Result<Line2> lnFitLine(const std::vector<Point2>& points)
{
    if (points.size() < 2)
        return Failure {"a line needs at least 2 points"};
    double cx = 0.0;
    double cy = 0.0;
    for (const Point2& p : points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return Failure {"a point is not finite"};
        cx += p.x;
        cy += p.y;
    }
    const double n = double(points.size());
    cx /= n;
    cy /= n;
    double sxx = 0.0;
    double sxy = 0.0;
    double syy = 0.0;
    for (const Point2& p : points) {
        sxx += (p.x - cx) * (p.x - cx);
        sxy += (p.x - cx) * (p.y - cy);
        syy += (p.y - cy) * (p.y - cy);
    }
    sxx /= n;
    sxy /= n;
    syy /= n;
    // Eigen-decomposition of the 2 x 2 covariance in closed form.
    const double half = 0.5 * (sxx - syy);
    const double root = std::hypot(half, sxy);
    const double large = 0.5 * (sxx + syy) + root;
    const double small = std::max(0.0, 0.5 * (sxx + syy) - root);
    if (!(large > 0.0))
        return Failure {"the points are all in one place"};
    // Direction of the larger eigenvalue: the angle of the principal axis.
    const double angle = 0.5 * std::atan2(2.0 * sxy, sxx - syy);
    Line2 line;
    line.ptPoint = {cx, cy};
    line.ptDirection = {std::cos(angle), std::sin(angle)};
    // Oriented from the first point towards the last, so the sign of a distance is stable.
    const Point2& first = points.front();
    const Point2& last = points.back();
    if ((last.x - first.x) * line.ptDirection.x + (last.y - first.y) * line.ptDirection.y < 0.0)
        line.ptDirection = {-line.ptDirection.x, -line.ptDirection.y};
    line.dRms = std::sqrt(small);
    return line;
}

namespace {

// Orthogonal distances (in focal units) of every line's undistorted points from the line
// fitted through them; false when a point cannot be undistorted.
bool bLineResiduals(const std::vector<std::vector<Point2>>& lines, const RadialLens& lens, std::vector<double>& out)
{
    out.clear();
    std::vector<Point2> straight;
    for (const std::vector<Point2>& line : lines) {
        straight.clear();
        for (const Point2& p : line) {
            const Result<Point2> u = ptUndistort(lens, p);
            if (!u)
                return false;
            straight.push_back(*u);
        }
        const Result<Line2> fit = lnFitLine(straight);
        if (!fit)
            return false;
        for (const Point2& p : straight)
            out.push_back(fit->dDistance(p) / lens.dFocal);
    }
    return true;
}

RadialLens lensWith(const RadialLens& start, const std::vector<double>& p, const LensFitOptions& options)
{
    RadialLens lens = start;
    std::size_t i = 0;
    lens.dK1 = p[i++];
    if (options.bFitK2)
        lens.dK2 = p[i++];
    if (options.bFitCentre) {
        lens.ptCentre.x = start.ptCentre.x + p[i++] * start.dFocal;
        lens.ptCentre.y = start.ptCentre.y + p[i++] * start.dFocal;
    }
    return lens;
}

double dSquares(const std::vector<double>& r)
{
    double s = 0.0;
    for (double v : r)
        s += v * v;
    return s;
}

// Levenberg-Marquardt over the asked values from the start.
Result<RadialLens> lensFitFrom(
    const std::vector<std::vector<Point2>>& lines, const RadialLens& start, const LensFitOptions& options)
{
    std::size_t points = 0;
    for (const std::vector<Point2>& line : lines) {
        if (line.size() < 3)
            return Failure {"every line needs at least 3 points"};
        points += line.size();
    }
    // Parameters: k1 [, k2] [, centre offset in focal units].
    std::vector<double> p {start.dK1};
    if (options.bFitK2)
        p.push_back(start.dK2);
    if (options.bFitCentre) {
        p.push_back(0.0);
        p.push_back(0.0);
    }
    const int n = int(p.size());
    // Each line loses 2 degrees of freedom to its own position and angle.
    if (lines.empty() || points < lines.size() * 2 + std::size_t(n) + 1)
        return Failure {"too few lines or points for the values to fit"};

    std::vector<double> residuals;
    if (!bLineResiduals(lines, lensWith(start, p, options), residuals))
        return Failure {"the starting lens cannot undistort the points"};
    double cost = dSquares(residuals);
    double lambda = 1e-3;
    std::vector<double> jacobian;
    std::vector<double> shifted;
    std::vector<double> jtj(std::size_t(n * n));
    std::vector<double> jtr(static_cast<std::size_t>(n));
    // The normal equations at p (numerical Jacobian by central differences); false when a
    // probe leaves the model's valid range.
    auto normal = [&]() {
        jacobian.assign(residuals.size() * std::size_t(n), 0.0);
        for (int k = 0; k < n; ++k) {
            const double step = 1e-6 * std::max(1e-3, std::fabs(p[std::size_t(k)]));
            std::vector<double> plus = p;
            std::vector<double> minus = p;
            plus[std::size_t(k)] += step;
            minus[std::size_t(k)] -= step;
            std::vector<double> rp;
            std::vector<double> rm;
            if (!bLineResiduals(lines, lensWith(start, plus, options), rp)
                || !bLineResiduals(lines, lensWith(start, minus, options), rm))
                return false;
            for (std::size_t i = 0; i < residuals.size(); ++i)
                jacobian[i * std::size_t(n) + std::size_t(k)] = (rp[i] - rm[i]) / (2.0 * step);
        }
        std::fill(jtj.begin(), jtj.end(), 0.0);
        std::fill(jtr.begin(), jtr.end(), 0.0);
        for (std::size_t i = 0; i < residuals.size(); ++i) {
            const double* row = &jacobian[i * std::size_t(n)];
            for (int a = 0; a < n; ++a) {
                jtr[std::size_t(a)] += row[a] * residuals[i];
                for (int b = 0; b < n; ++b)
                    jtj[std::size_t(a * n + b)] += row[a] * row[b];
            }
        }
        return true;
    };
    // Levenberg-Marquardt; the damping also carries the start, where a centre has no effect
    // yet (without distortion it does not matter where the centre is).
    for (int iteration = 0; iteration < std::max(1, options.iMaxIterations); ++iteration) {
        if (!normal())
            return Failure {"the lens fit left the model's valid range"};
        double largest = 0.0;
        for (int a = 0; a < n; ++a)
            largest = std::max(largest, jtj[std::size_t(a * n + a)]);
        if (!(largest > 0.0))
            return Failure {"the lines do not constrain the lens (they may all pass through the centre)"};
        bool improved = false;
        bool settled = false;
        for (int attempt = 0; attempt < 40 && !improved; ++attempt) {
            std::vector<double> damped = jtj;
            for (int a = 0; a < n; ++a)
                damped[std::size_t(a * n + a)] = jtj[std::size_t(a * n + a)] * (1.0 + lambda) + lambda * 1e-9 * largest;
            std::vector<double> delta(static_cast<std::size_t>(n));
            if (!linalg::bSolveSpd(n, damped.data(), jtr.data(), delta.data())) {
                lambda *= 10.0;
                continue;
            }
            std::vector<double> trial = p;
            for (int a = 0; a < n; ++a)
                trial[std::size_t(a)] -= delta[std::size_t(a)];
            if (bLineResiduals(lines, lensWith(start, trial, options), shifted) && dSquares(shifted) < cost) {
                const double gain = cost - dSquares(shifted);
                p = trial;
                residuals = shifted;
                cost = dSquares(residuals);
                lambda = std::max(lambda * 0.1, 1e-12);
                improved = true;
                settled = gain <= 1e-14 * cost + 1e-30;
            } else {
                lambda *= 10.0;
            }
        }
        if (!improved || settled)
            break;
    }
    // The values found must be fixed by the lines, not left where the damping held them.
    if (!normal())
        return Failure {"the lens fit left the model's valid range"};
    std::vector<double> probe(static_cast<std::size_t>(n));
    if (!linalg::bSolveSpd(n, jtj.data(), jtr.data(), probe.data()))
        return Failure {"the lines do not fix the values to fit"};
    return lensWith(start, p, options);
}

} // namespace

Result<RadialLens> lensFitToLines(
    const std::vector<std::vector<Point2>>& lines, const RadialLens& start, const LensFitOptions& options)
{
    if (!bValidLens(start))
        return Failure {"the starting lens is not valid"};
    if (!options.bFitCentre)
        return lensFitFrom(lines, start, options);
    // Where the centre is matters only through the distortion, and from coefficients far off
    // it runs away: the coefficients come first, then everything together from there.
    LensFitOptions coefficients = options;
    coefficients.bFitCentre = false;
    const Result<RadialLens> first = lensFitFrom(lines, start, coefficients);
    if (!first)
        return first;
    if (first->dK1 == 0.0 && first->dK2 == 0.0)
        return Failure {"the lines show no distortion to place the centre by"};
    return lensFitFrom(lines, *first, options);
}

} // namespace standin::imaging
