#include "Align.h"

#include "Composite.h"
#include "LinearAlgebra.h"
#include "Parallel.h"
#include "Pyramid.h"
#include "Warp.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <type_traits>

namespace standin::imaging {

// Named (not anonymous) because the aligner's private part holds these types.
namespace aligndetail {

constexpr int kMaxParameters = 8;
constexpr int kMaxLevels = 6;
// Coarser levels only need to bring the next one within reach.
constexpr double kCoarseTolerance = 0.05;
// Tukey's biweight cut, in multiples of the median neighbourhood residual. Neighbourhood
// means scatter far less than single residuals, so the cut is tighter than the 4.685
// standard deviations usual for single residuals.
constexpr double kLocalCut = 3.0;
constexpr float kNone = std::numeric_limits<float>::quiet_NaN();

// The region's pixels on one pyramid level. Level coordinates are those of the whole frame
// at that level; the grid is the samples' bounding box grown by one pixel, on which the
// warped frame is sampled (the second-order solver takes its gradients there).
struct Level {
    int iLevel = 0;
    int iGridX = 0;
    int iGridY = 0;
    int iGridWidth = 0;
    int iGridHeight = 0;
    // Per grid row, the columns [start, end) whose warped values the samples need.
    std::vector<int> vecSpanStart;
    std::vector<int> vecSpanEnd;
    // Per sample: grid index, normalised coordinates, reference value and its gradient with
    // respect to the normalised coordinates.
    std::vector<int> vecIndex;
    std::vector<float> vecU;
    std::vector<float> vecV;
    std::vector<float> vecT;
    std::vector<float> vecTx;
    std::vector<float> vecTy;
    double dTStd = 0.0;

    int samples() const { return int(vecIndex.size()); }
};

// Weighted moments of frame (i) and reference (t) values.
struct Moments {
    double w = 0, wi = 0, wii = 0, wt = 0, wtt = 0, wit = 0;
    void vAdd(double weight, double i, double t)
    {
        w += weight;
        wi += weight * i;
        wii += weight * i * i;
        wt += weight * t;
        wtt += weight * t * t;
        wit += weight * i * t;
    }
    void vAdd(const Moments& o)
    {
        w += o.w;
        wi += o.wi;
        wii += o.wii;
        wt += o.wt;
        wtt += o.wtt;
        wit += o.wit;
    }
    double dVarI() const { return w > 0 ? std::max(0.0, wii / w - (wi / w) * (wi / w)) : 0.0; }
    double dVarT() const { return w > 0 ? std::max(0.0, wtt / w - (wt / w) * (wt / w)) : 0.0; }
    double dCorrelation() const
    {
        if (!(w > 0))
            return 0.0;
        const double cov = wit / w - (wi / w) * (wt / w);
        const double den = std::sqrt(dVarI() * dVarT());
        return den > 0 ? std::clamp(cov / den, -1.0, 1.0) : 0.0;
    }
};

// One part's share of an iteration.
struct Part {
    Moments plain; // every visible sample alike
    Moments current; // every sample that counts (weight above 0) alike
    int iVisible = 0;
    // Weighted squared residuals.
    double wrr = 0.0;
    double h[kMaxParameters * kMaxParameters] = {};
    double b[kMaxParameters] = {};
};

// The Jacobian row of the warp increment at (u, v) for image gradient (gx, gy).
template <MotionModel M> inline void vJacobian(float gx, float gy, float u, float v, float* j)
{
    if constexpr (M == MotionModel::Translation) {
        j[0] = gx;
        j[1] = gy;
    } else if constexpr (M == MotionModel::Similarity) {
        j[0] = gx * u + gy * v;
        j[1] = gy * u - gx * v;
        j[2] = gx;
        j[3] = gy;
    } else {
        j[0] = gx * u;
        j[1] = gx * v;
        j[2] = gx;
        j[3] = gy * u;
        j[4] = gy * v;
        j[5] = gy;
        if constexpr (M == MotionModel::Perspective) {
            const float radial = gx * u + gy * v;
            j[6] = -u * radial;
            j[7] = -v * radial;
        }
    }
}

inline void vJacobianOf(MotionModel model, float gx, float gy, float u, float v, float* j)
{
    switch (model) {
    case MotionModel::Translation:
        vJacobian<MotionModel::Translation>(gx, gy, u, v, j);
        break;
    case MotionModel::Similarity:
        vJacobian<MotionModel::Similarity>(gx, gy, u, v, j);
        break;
    case MotionModel::Affine:
        vJacobian<MotionModel::Affine>(gx, gy, u, v, j);
        break;
    case MotionModel::Perspective:
        vJacobian<MotionModel::Perspective>(gx, gy, u, v, j);
        break;
    }
}

template <MotionModel M>
constexpr int kCount
    = M == MotionModel::Translation ? 2 : (M == MotionModel::Similarity ? 4 : (M == MotionModel::Affine ? 6 : 8));

// Sums over (2 radius + 1) squares of a width x height grid, in place (zero outside). The
// running sums are doubles: in floats, large values leaving the window would leave a
// remainder below zero behind them.
void vBoxSum(std::vector<float>& grid, std::vector<float>& scratch, int width, int height, int radius, WorkerPool& pool)
{
    scratch.resize(grid.size());
    // Rows, each a running sum along it.
    vParallelFor(
        height, 0, 32,
        [&](int begin, int end) {
            for (int y = begin; y < end; ++y) {
                const float* row = grid.data() + std::size_t(y) * std::size_t(width);
                float* out = scratch.data() + std::size_t(y) * std::size_t(width);
                double sum = 0.0;
                for (int x = 0; x < std::min(radius, width); ++x)
                    sum += row[x];
                for (int x = 0; x < width; ++x) {
                    if (x + radius < width)
                        sum += row[x + radius];
                    out[x] = float(std::max(sum, 0.0));
                    if (x - radius >= 0)
                        sum -= row[x - radius];
                }
            }
        },
        &pool);
    // Columns: a running sum of whole rows, in strips of columns.
    vParallelFor(
        width, 0, 64,
        [&](int begin, int end) {
            std::vector<double> sums(std::size_t(end - begin), 0.0);
            auto at = [&](int y) { return scratch.data() + std::size_t(y) * std::size_t(width) + std::size_t(begin); };
            for (int y = 0; y < std::min(radius, height); ++y)
                for (int x = 0; x < end - begin; ++x)
                    sums[std::size_t(x)] += at(y)[x];
            for (int y = 0; y < height; ++y) {
                if (y + radius < height) {
                    const float* add = at(y + radius);
                    for (int x = 0; x < end - begin; ++x)
                        sums[std::size_t(x)] += add[x];
                }
                float* row = grid.data() + std::size_t(y) * std::size_t(width) + std::size_t(begin);
                for (int x = 0; x < end - begin; ++x)
                    row[x] = float(std::max(sums[std::size_t(x)], 0.0));
                if (y - radius >= 0) {
                    const float* sub = at(y - radius);
                    for (int x = 0; x < end - begin; ++x)
                        sums[std::size_t(x)] -= sub[x];
                }
            }
        },
        &pool);
}

// Cubic B-spline weights of the four coefficients around a fraction t.
inline void vSplineWeights(float t, float* w)
{
    const float s = 1.0f - t;
    const float t2 = t * t;
    const float t3 = t2 * t;
    w[0] = s * s * s * (1.0f / 6.0f);
    w[1] = (3.0f * t3 - 6.0f * t2 + 4.0f) * (1.0f / 6.0f);
    w[2] = (-3.0f * t3 + 3.0f * t2 + 3.0f * t + 1.0f) * (1.0f / 6.0f);
    w[3] = t3 * (1.0f / 6.0f);
}

// Cubic B-spline coefficients of an image (mirror boundaries): with them the spline passes
// through every pixel. Rows one by one, then columns all at once (whole rows at a time).
ImageF imgSplineCoefficients(const ImageF& image)
{
    const int w = image.width();
    const int h = image.height();
    ImageF out = image.clone();
    if (out.empty())
        return out;
    const float z = float(std::sqrt(3.0) - 2.0);
    const float gain = float((1.0 - z) * (1.0 - 1.0 / z));
    const float edge = z / (z * z - 1.0f);
    // The causal start is the mirrored sum, cut where z^k is below 1e-8.
    const int horizon = 14;
    for (int y = 0; y < h; ++y) {
        float* c = out.row(y);
        if (w < 2) {
            continue;
        }
        float sum = 0.0f;
        float zk = 1.0f;
        for (int k = 0; k < std::min(w, horizon); ++k, zk *= z)
            sum += zk * c[k];
        c[0] = gain * sum;
        for (int k = 1; k < w; ++k)
            c[k] = gain * c[k] + z * c[k - 1];
        c[w - 1] = edge * (z * c[w - 2] + c[w - 1]);
        for (int k = w - 2; k >= 0; --k)
            c[k] = z * (c[k + 1] - c[k]);
    }
    if (h < 2)
        return out;
    {
        float* first = out.row(0);
        std::vector<float> sum(first, first + w);
        float zk = z;
        for (int k = 1; k < std::min(h, horizon); ++k, zk *= z) {
            const float* r = out.row(k);
            for (int x = 0; x < w; ++x)
                sum[std::size_t(x)] += zk * r[x];
        }
        for (int x = 0; x < w; ++x)
            first[x] = gain * sum[std::size_t(x)];
    }
    for (int y = 1; y < h; ++y) {
        float* c = out.row(y);
        const float* above = out.row(y - 1);
        for (int x = 0; x < w; ++x)
            c[x] = gain * c[x] + z * above[x];
    }
    {
        float* last = out.row(h - 1);
        const float* before = out.row(h - 2);
        for (int x = 0; x < w; ++x)
            last[x] = edge * (z * before[x] + last[x]);
    }
    for (int y = h - 2; y >= 0; --y) {
        float* c = out.row(y);
        const float* below = out.row(y + 1);
        for (int x = 0; x < w; ++x)
            c[x] = z * (below[x] - c[x]);
    }
    return out;
}

inline float fTukeyWeight(float r, float c)
{
    const float q = r / c;
    if (q * q >= 1.0f)
        return 0.0f;
    const float a = 1.0f - q * q;
    return a * a;
}

Rect rectAligned(const Rect& area, int unit, const Rect& frame)
{
    Rect inside = area.intersected(frame);
    if (inside.empty())
        return {};
    const int x = inside.x / unit * unit;
    const int y = inside.y / unit * unit;
    return Rect {x, y, inside.x + inside.width - x, inside.y + inside.height - y};
}

template <typename T>
ImageF imgGreyView(const Image<T>& frame, const Rect& crop, const GreyWeights& weights, int threads)
{
    const Image<T> part = frame.view(crop);
    if constexpr (std::is_same_v<T, float>) {
        if (part.channels() == 1)
            return part;
    }
    return imgToGrey(part, weights, threads);
}

double dSignedArea(const std::vector<Point2>& quad)
{
    double area = 0.0;
    for (std::size_t i = 0; i < quad.size(); ++i) {
        const Point2& a = quad[i];
        const Point2& b = quad[(i + 1) % quad.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return 0.5 * area;
}

// Andrew's monotone chain; counter-clockwise on screen (positive dSignedArea with y down),
// collinear points dropped.
std::vector<Point2> vecConvexHull(std::vector<Point2> points)
{
    std::sort(points.begin(), points.end(),
        [](const Point2& a, const Point2& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    if (points.size() < 3)
        return points;
    auto cross = [](const Point2& o, const Point2& a, const Point2& b) {
        return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
    };
    std::vector<Point2> hull(2 * points.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], points[i]) <= 0.0)
            --k;
        hull[k++] = points[i];
    }
    for (std::size_t i = points.size() - 1, lower = k + 1; i > 0; --i) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], points[i - 1]) <= 0.0)
            --k;
        hull[k++] = points[i - 1];
    }
    hull.resize(k - 1);
    return hull;
}

} // namespace aligndetail

using namespace aligndetail;

struct PlanarAligner::Private {
    explicit Private(int threads)
        : pool(threads)
    {
    }

    WorkerPool pool;
    AlignParameters params;
    bool bHasReference = false;
    std::vector<Level> vecLevels;
    Rect rectRegion;
    // Full-resolution pixels to the normalised coordinates of the region (centre at 0, unit
    // root mean square radius), and back.
    Homography homNorm;
    Homography homNormInverse;
    double dRadius = 1.0;
    // The convex hull of the region (pixel centres, counter-clockwise on screen) and its area.
    std::vector<Point2> vecHull;
    double dHullArea = 0.0;

    // Scratch kept between frames.
    std::vector<float> vecWarped;
    std::vector<float> vecWeight;
    std::vector<float> vecScale;
    std::vector<float> vecEnergy;
    std::vector<float> vecCount;
    std::vector<float> vecBoxScratch;
    std::vector<Part> vecParts;

    template <typename T>
    Status stSetReference(
        const Image<T>& frame, const ImageF& matte, const AlignParameters& parameters, const GreyWeights& weights);
    template <typename T> AlignResult align(const Image<T>& frame, const Homography& seed, const GreyWeights& weights);

    bool bBuildLevel(Level& level, const ImageF& image, const ImageF& mask, int cropX, int cropY, int minimum);
    void vWarp(
        const Level& level, const ImageF& image, const ImageF& spline, int splineX, int splineY, const Homography& q);
    void vSearch(const Level& level, const ImageF& image, const Homography& q, Homography& motion, int radius);
    template <MotionModel M>
    void vIterate(const Level& level, double alpha, double beta, double gradientScale, int parts);
    Homography homGridToCrop(const Level& level, const Homography& motion, int cropX, int cropY) const;
    bool bSane(const Homography& motion) const;
    int iRobustWeights(const Level& level, double alpha, double beta);
    double dOutlineSpread(const double* normal, double variance) const;
    Homography homCentred(const Homography& h) const;
};

PlanarAligner::PlanarAligner(int threads)
    : d(std::make_unique<Private>(threads))
{
}

PlanarAligner::~PlanarAligner() = default;

bool PlanarAligner::hasReference() const
{
    return d->bHasReference;
}

const AlignParameters& PlanarAligner::parameters() const
{
    return d->params;
}

Rect PlanarAligner::regionBounds() const
{
    return d->bHasReference ? d->rectRegion : Rect {};
}

int PlanarAligner::levels() const
{
    return d->bHasReference ? int(d->vecLevels.size()) : 0;
}

int PlanarAligner::samples() const
{
    return d->bHasReference ? d->vecLevels.front().samples() : 0;
}

Status PlanarAligner::stSetReference(
    const ImageF& frame, const ImageF& matte, const AlignParameters& parameters, const GreyWeights& weights)
{
    return d->stSetReference(frame, matte, parameters, weights);
}

Status PlanarAligner::stSetReference(
    const Image8& frame, const ImageF& matte, const AlignParameters& parameters, const GreyWeights& weights)
{
    return d->stSetReference(frame, matte, parameters, weights);
}

Status PlanarAligner::stSetReference(const ImageF& frame, const std::vector<Point2>& region,
    const AlignParameters& parameters, const GreyWeights& weights)
{
    return d->stSetReference(frame, imgRasterisePolygon(region, frame.width(), frame.height()), parameters, weights);
}

Status PlanarAligner::stSetReference(const Image8& frame, const std::vector<Point2>& region,
    const AlignParameters& parameters, const GreyWeights& weights)
{
    return d->stSetReference(frame, imgRasterisePolygon(region, frame.width(), frame.height()), parameters, weights);
}

AlignResult PlanarAligner::align(const ImageF& frame, const Homography& seed, const GreyWeights& weights)
{
    return d->align(frame, seed, weights);
}

AlignResult PlanarAligner::align(const Image8& frame, const Homography& seed, const GreyWeights& weights)
{
    return d->align(frame, seed, weights);
}

// Samples of one level: mask pixels whose four neighbours are in the mask too, all at least
// `strict`; too few at a coarse level, and half-covered pixels count.
bool PlanarAligner::Private::bBuildLevel(
    Level& level, const ImageF& image, const ImageF& mask, int cropX, int cropY, int minimum)
{
    const int w = mask.width();
    const int h = mask.height();
    std::vector<int> xs;
    std::vector<int> ys;
    for (const float limit : {0.999f, 0.5f}) {
        xs.clear();
        ys.clear();
        for (int y = 1; y + 1 < h; ++y) {
            const float* up = mask.row(y - 1);
            const float* row = mask.row(y);
            const float* down = mask.row(y + 1);
            for (int x = 1; x + 1 < w; ++x)
                if (row[x] >= limit && row[x - 1] >= limit && row[x + 1] >= limit && up[x] >= limit
                    && down[x] >= limit) {
                    xs.push_back(x);
                    ys.push_back(y);
                }
        }
        if (int(xs.size()) >= minimum || level.iLevel == 0)
            break;
    }
    if (int(xs.size()) < minimum)
        return false;

    const int minX = *std::min_element(xs.begin(), xs.end()) - 1;
    const int maxX = *std::max_element(xs.begin(), xs.end()) + 1;
    const int minY = ys.front() - 1;
    const int maxY = ys.back() + 1;
    level.iGridX = cropX + minX;
    level.iGridY = cropY + minY;
    level.iGridWidth = maxX - minX + 1;
    level.iGridHeight = maxY - minY + 1;
    level.vecSpanStart.assign(std::size_t(level.iGridHeight), std::numeric_limits<int>::max());
    level.vecSpanEnd.assign(std::size_t(level.iGridHeight), 0);
    auto widen = [&](int gy, int from, int to) {
        level.vecSpanStart[std::size_t(gy)] = std::min(level.vecSpanStart[std::size_t(gy)], from);
        level.vecSpanEnd[std::size_t(gy)] = std::max(level.vecSpanEnd[std::size_t(gy)], to);
    };
    const double toLevel = std::ldexp(1.0, -level.iLevel);
    const float gradientScale = float(dRadius * toLevel);
    double sum = 0.0;
    double squares = 0.0;
    for (std::size_t k = 0; k < xs.size(); ++k) {
        const int x = xs[k];
        const int y = ys[k];
        const int cx = x - minX;
        const int cy = y - minY;
        widen(cy, cx - 1, cx + 2);
        widen(cy - 1, cx - 1, cx + 2);
        widen(cy + 1, cx - 1, cx + 2);
        level.vecIndex.push_back(cy * level.iGridWidth + cx);
        const Point2 u = homNorm.apply({(cropX + x) / toLevel, (cropY + y) / toLevel});
        level.vecU.push_back(float(u.x));
        level.vecV.push_back(float(u.y));
        const float t = image.at(x, y);
        level.vecT.push_back(t);
        // Sobel gradients: the cross smoothing keeps noise from inflating the normal
        // equations, which slows the steps on grainy pictures.
        auto at = [&](int dx, int dy) { return image.at(x + dx, y + dy); };
        level.vecTx.push_back(((at(1, -1) - at(-1, -1)) + 2.0f * (at(1, 0) - at(-1, 0)) + (at(1, 1) - at(-1, 1)))
            * 0.125f * gradientScale);
        level.vecTy.push_back(((at(-1, 1) - at(-1, -1)) + 2.0f * (at(0, 1) - at(0, -1)) + (at(1, 1) - at(1, -1)))
            * 0.125f * gradientScale);
        sum += t;
        squares += double(t) * t;
    }
    for (int r = 0; r < level.iGridHeight; ++r)
        if (level.vecSpanEnd[std::size_t(r)] == 0)
            level.vecSpanStart[std::size_t(r)] = 0;
    const double n = double(xs.size());
    level.dTStd = std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
    return true;
}

template <typename T>
Status PlanarAligner::Private::stSetReference(
    const Image<T>& frame, const ImageF& matte, const AlignParameters& parameters, const GreyWeights& weights)
{
    bHasReference = false;
    vecLevels.clear();
    params = parameters;
    const int model = int(parameters.eModel);
    if (model < 0 || model > int(MotionModel::Perspective) || parameters.iMaxIterations < 1
        || !(parameters.dTolerance > 0.0) || !std::isfinite(parameters.dTolerance) || !(parameters.dSearchRadius >= 0.0)
        || parameters.dSearchRadius > 1e4 || !std::isfinite(parameters.dMinCorrelation)
        || !std::isfinite(parameters.dMinInlierFraction) || !std::isfinite(parameters.dMinVisibleFraction)
        || parameters.iLevels < 0)
        return Failure {"the alignment parameters are not valid"};
    if (frame.empty())
        return Failure {"the reference frame is empty"};
    if (matte.channels() != 1 || matte.width() != frame.width() || matte.height() != frame.height())
        return Failure {"the region matte is not one channel of the frame's size"};

    int left = frame.width();
    int top = frame.height();
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < matte.height(); ++y) {
        const float* row = matte.row(y);
        for (int x = 0; x < matte.width(); ++x)
            if (row[x] >= 0.5f) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    if (right < 0)
        return Failure {"the region is empty"};
    rectRegion = {left, top, right - left + 1, bottom - top + 1};

    int levelCount = 1;
    if (parameters.iLevels > 0) {
        levelCount = std::min(parameters.iLevels, kMaxLevels);
    } else {
        while (levelCount < 5 && (std::min(rectRegion.width, rectRegion.height) >> levelCount) >= 16)
            ++levelCount;
    }
    const int unit = 1 << (levelCount - 1);
    const Rect crop = rectAligned(rectRegion.adjusted(4 * unit + 8), unit, frame.rect());
    const ImageF grey = imgGreyView(frame, crop, weights, 1);
    const std::vector<ImageF> pyramid = vecBuildPyramid(grey, levelCount, 1, &pool);
    ImageF mask(crop.width, crop.height, 1);
    for (int y = 0; y < crop.height; ++y) {
        const float* src = matte.row(crop.y + y) + crop.x;
        float* dst = mask.row(y);
        for (int x = 0; x < crop.width; ++x)
            dst[x] = src[x] >= 0.5f ? 1.0f : 0.0f;
    }
    const std::vector<ImageF> masks = vecBuildPyramid(mask, int(pyramid.size()), 1, &pool);

    // The normalisation comes from the finest level's pixels of the region.
    double cx = 0.0;
    double cy = 0.0;
    double count = 0.0;
    for (int y = 0; y < crop.height; ++y)
        for (int x = 0; x < crop.width; ++x)
            if (mask.at(x, y) > 0.0f) {
                cx += crop.x + x;
                cy += crop.y + y;
                count += 1.0;
            }
    cx /= count;
    cy /= count;
    double spread = 0.0;
    for (int y = 0; y < crop.height; ++y)
        for (int x = 0; x < crop.width; ++x)
            if (mask.at(x, y) > 0.0f)
                spread += (crop.x + x - cx) * (crop.x + x - cx) + (crop.y + y - cy) * (crop.y + y - cy);
    dRadius = std::max(1.0, std::sqrt(spread / count));
    homNorm = Homography({1.0 / dRadius, 0, -cx / dRadius, 0, 1.0 / dRadius, -cy / dRadius, 0, 0, 1});
    homNormInverse = Homography({dRadius, 0, cx, 0, dRadius, cy, 0, 0, 1});

    const int parameterCount = iMotionParameterCount(parameters.eModel);
    const int minimum = std::max(24, 6 * parameterCount);
    for (int l = 0; l < int(pyramid.size()); ++l) {
        Level level;
        level.iLevel = l;
        if (!bBuildLevel(level, pyramid[std::size_t(l)], masks[std::size_t(l)], crop.x >> l, crop.y >> l, minimum)) {
            if (l == 0)
                return Failure {"the region is too small to align"};
            break;
        }
        vecLevels.push_back(std::move(level));
    }

    const Level& finest = vecLevels.front();
    if (!(finest.dTStd > 1e-4))
        return Failure {"the region is flat: it has no texture to align"};
    // The motion must be fixed by the region's gradients: a well-conditioned Gauss-Newton matrix.
    double h[kMaxParameters * kMaxParameters] = {};
    for (int k = 0; k < finest.samples(); ++k) {
        float j[kMaxParameters];
        const std::size_t s = std::size_t(k);
        vJacobianOf(parameters.eModel, finest.vecTx[s], finest.vecTy[s], finest.vecU[s], finest.vecV[s], j);
        for (int a = 0; a < parameterCount; ++a)
            for (int b = 0; b < parameterCount; ++b)
                h[a * parameterCount + b] += double(j[a]) * j[b];
    }
    std::vector<double> values;
    std::vector<double> vectors;
    linalg::vSymmetricEigen(parameterCount, h, values, vectors);
    if (!(values.front() > 1e-7 * values.back()))
        return Failure {"the region has too little texture to fix its motion (its edges may all run one way)"};

    // The hull from the first and last region pixel of every row.
    std::vector<Point2> ends;
    for (int y = rectRegion.y; y < rectRegion.y + rectRegion.height; ++y) {
        const float* row = matte.row(y);
        int first = -1;
        int last = -1;
        for (int x = rectRegion.x; x < rectRegion.x + rectRegion.width; ++x)
            if (row[x] >= 0.5f) {
                if (first < 0)
                    first = x;
                last = x;
            }
        if (first >= 0) {
            ends.push_back({double(first), double(y)});
            if (last != first)
                ends.push_back({double(last), double(y)});
        }
    }
    vecHull = vecConvexHull(ends);
    dHullArea = std::max(0.25, dSignedArea(vecHull));
    bHasReference = true;
    return {};
}

Homography PlanarAligner::Private::homGridToCrop(
    const Level& level, const Homography& motion, int cropX, int cropY) const
{
    const double scale = std::ldexp(1.0, level.iLevel);
    const Homography gridToFull({scale, 0, level.iGridX * scale, 0, scale, level.iGridY * scale, 0, 0, 1});
    const Homography fullToCrop({1.0 / scale, 0, -double(cropX), 0, 1.0 / scale, -double(cropY), 0, 0, 1});
    return fullToCrop * motion * homNorm * gridToFull;
}

// The frame sampled at the warped grid positions (NaN outside the frame): cubic on the
// finest level, bilinear on the others.
void PlanarAligner::Private::vWarp(
    const Level& level, const ImageF& image, const ImageF& spline, int splineX, int splineY, const Homography& q)
{
    vecWarped.assign(std::size_t(level.iGridWidth) * std::size_t(level.iGridHeight), kNone);
    const int w = image.width();
    const int h = image.height();
    const double maxX = double(w - 1);
    const double maxY = double(h - 1);
    // Bilinear sampling smooths by an amount that changes with the sub-pixel phase, which
    // pulls the finest level's answer by thousandths of a pixel; cubic sampling there does not.
    const bool cubic = !spline.empty();
    const int splineRight = splineX + spline.width();
    const int splineBottom = splineY + spline.height();
    vParallelFor(
        level.iGridHeight, 0, 16,
        [&](int begin, int end) {
            for (int gy = begin; gy < end; ++gy) {
                float* out = vecWarped.data() + std::size_t(gy) * std::size_t(level.iGridWidth);
                const int start = level.vecSpanStart[std::size_t(gy)];
                const int stop = level.vecSpanEnd[std::size_t(gy)];
                double nx = q(0, 0) * start + q(0, 1) * gy + q(0, 2);
                double ny = q(1, 0) * start + q(1, 1) * gy + q(1, 2);
                double nw = q(2, 0) * start + q(2, 1) * gy + q(2, 2);
                for (int gx = start; gx < stop; ++gx, nx += q(0, 0), ny += q(1, 0), nw += q(2, 0)) {
                    if (!(nw > 0.0))
                        continue;
                    const double x = nx / nw;
                    const double y = ny / nw;
                    if (!(x >= 0.0 && y >= 0.0 && x <= maxX && y <= maxY))
                        continue;
                    const int ix = std::min(int(x), w - 2);
                    const int iy = std::min(int(y), h - 2);
                    const float fx = float(x - ix);
                    const float fy = float(y - iy);
                    if (cubic && ix - 1 >= splineX && iy - 1 >= splineY && ix + 2 < splineRight
                        && iy + 2 < splineBottom) {
                        float wx[4];
                        float wy[4];
                        vSplineWeights(fx, wx);
                        vSplineWeights(fy, wy);
                        float sum = 0.0f;
                        for (int j = 0; j < 4; ++j) {
                            const float* r = spline.row(iy - 1 + j - splineY) + ix - 1 - splineX;
                            sum += wy[j] * (wx[0] * r[0] + wx[1] * r[1] + wx[2] * r[2] + wx[3] * r[3]);
                        }
                        out[gx] = sum;
                        continue;
                    }
                    const float* r0 = image.row(iy) + ix;
                    const float* r1 = image.row(iy + 1) + ix;
                    const float top = r0[0] + fx * (r0[1] - r0[0]);
                    const float bottom = r1[0] + fx * (r1[1] - r1[0]);
                    out[gx] = top + fy * (bottom - top);
                }
            }
        },
        &pool);
}

// Whole-pixel translations of the coarsest level around the current motion, kept when their
// correlation beats the current one.
void PlanarAligner::Private::vSearch(
    const Level& level, const ImageF& image, const Homography& q, Homography& motion, int radius)
{
    const int n = level.samples();
    std::vector<float> xs(static_cast<std::size_t>(n));
    std::vector<float> ys(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        const int index = level.vecIndex[std::size_t(k)];
        const Point2 p = q.apply({double(index % level.iGridWidth), double(index / level.iGridWidth)});
        xs[std::size_t(k)] = std::isfinite(p.x) ? float(p.x) : -1e9f;
        ys[std::size_t(k)] = std::isfinite(p.y) ? float(p.y) : -1e9f;
    }
    const float maxX = float(image.width() - 1);
    const float maxY = float(image.height() - 1);
    double best = -2.0;
    int bestX = 0;
    int bestY = 0;
    std::vector<std::pair<int, int>> shifts {{0, 0}};
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if ((dx || dy) && dx * dx + dy * dy <= radius * radius)
                shifts.emplace_back(dx, dy);
    for (const auto& [dx, dy] : shifts) {
        Moments m;
        for (int k = 0; k < n; ++k) {
            const float x = xs[std::size_t(k)] + float(dx);
            const float y = ys[std::size_t(k)] + float(dy);
            if (!(x >= 0.0f && y >= 0.0f && x <= maxX && y <= maxY))
                continue;
            m.vAdd(1.0, fSampleBilinear(image, x, y), level.vecT[std::size_t(k)]);
        }
        // Shifts that lose most of the region cannot win.
        const double score = m.w >= 0.5 * n ? m.dCorrelation() : -2.0;
        if (score > best + 1e-9) {
            best = score;
            bestX = dx;
            bestY = dy;
        }
    }
    const double scale = std::ldexp(1.0, level.iLevel);
    motion = Homography::translation(bestX * scale, bestY * scale) * motion;
}

// The largest standard deviation (full-resolution pixels) of a corner of the region's unit
// square in normalised coordinates, for parameters of covariance variance x normal^-1.
double PlanarAligner::Private::dOutlineSpread(const double* normal, double variance) const
{
    const int n = iMotionParameterCount(params.eModel);
    double inverse[kMaxParameters * kMaxParameters] = {};
    for (int c = 0; c < n; ++c) {
        double unit[kMaxParameters] = {};
        double column[kMaxParameters] = {};
        unit[c] = 1.0;
        if (!linalg::bSolveSpd(n, normal, unit, column))
            return std::numeric_limits<double>::infinity();
        for (int r = 0; r < n; ++r)
            inverse[r * n + c] = column[r];
    }
    double worst = 0.0;
    for (const Point2& corner : {Point2 {-1, -1}, Point2 {1, -1}, Point2 {1, 1}, Point2 {-1, 1}}) {
        double sum = 0.0;
        for (const auto& [gx, gy] : {std::pair<float, float> {1.0f, 0.0f}, std::pair<float, float> {0.0f, 1.0f}}) {
            float j[kMaxParameters] = {};
            vJacobianOf(params.eModel, gx, gy, float(corner.x), float(corner.y), j);
            for (int a = 0; a < n; ++a)
                for (int b = 0; b < n; ++b)
                    sum += double(j[a]) * inverse[a * n + b] * double(j[b]);
        }
        worst = std::max(worst, sum);
    }
    return std::sqrt(std::max(0.0, worst * variance)) * dRadius;
}

// The robust weights of the samples for the current warp; returns how many samples count
// (weight above 0).
// A pixel's weight follows the root mean square residual of its 5 x 5 neighbourhood, not its
// own residual alone: noise averages out there while an occluder's residuals do not, so the
// cut can be tight without dropping good pixels, and an occluder's pixels that happen to
// match stay out with their neighbours. The cut follows the median neighbourhood, so it
// adapts to noise and to how far from the answer a coarse level starts.
int PlanarAligner::Private::iRobustWeights(const Level& level, double alpha, double beta)
{
    const int n = level.samples();
    const int gw = level.iGridWidth;
    const int gh = level.iGridHeight;
    const std::size_t cells = std::size_t(gw) * std::size_t(gh);
    vecEnergy.assign(cells, 0.0f);
    vecCount.assign(cells, 0.0f);
    const float inverseAlpha = float(1.0 / alpha);
    const float b = float(beta);
    vParallelFor(
        n, 0, 4096,
        [&](int begin, int end) {
            for (int k = begin; k < end; ++k) {
                const std::size_t index = std::size_t(level.vecIndex[std::size_t(k)]);
                const float value = vecWarped[index];
                if (std::isnan(value))
                    continue;
                const float r = (value - b) * inverseAlpha - level.vecT[std::size_t(k)];
                vecEnergy[index] = r * r;
                vecCount[index] = 1.0f;
            }
        },
        &pool);
    vBoxSum(vecEnergy, vecBoxScratch, gw, gh, 2, pool);
    vBoxSum(vecCount, vecBoxScratch, gw, gh, 2, pool);
    auto local = [&](std::size_t index) { return std::sqrt(vecEnergy[index] / std::max(vecCount[index], 1.0f)); };
    vecScale.clear();
    const int step = std::max(1, n / 4096);
    for (int k = 0; k < n; k += step) {
        const std::size_t index = std::size_t(level.vecIndex[std::size_t(k)]);
        if (!std::isnan(vecWarped[index]))
            vecScale.push_back(local(index));
    }
    double scale = 0.0;
    if (!vecScale.empty()) {
        auto middle = vecScale.begin() + std::ptrdiff_t(vecScale.size() / 2);
        std::nth_element(vecScale.begin(), middle, vecScale.end());
        scale = *middle;
    }
    // Exact matches of noiseless pictures must not make every pixel an outlier.
    scale = std::max(scale, 0.03 * level.dTStd);
    const float cut = float(kLocalCut * scale);
    std::atomic<int> counted {0};
    vParallelFor(
        n, 0, 4096,
        [&](int begin, int end) {
            int fitting = 0;
            for (int k = begin; k < end; ++k) {
                const std::size_t index = std::size_t(level.vecIndex[std::size_t(k)]);
                if (std::isnan(vecWarped[index])) {
                    vecWeight[std::size_t(k)] = 0.0f;
                    continue;
                }
                const float weight = params.bRobust ? fTukeyWeight(local(index), cut) : 1.0f;
                fitting += weight > 0.0f ? 1 : 0;
                vecWeight[std::size_t(k)] = weight;
            }
            counted += fitting;
        },
        &pool);
    const int fitting = counted;
    return fitting;
}

// One pass over the samples: new robust weights, the moments of the visible samples, and the
// normal equations of the step, each part into its own Part.
template <MotionModel M>
void PlanarAligner::Private::vIterate(const Level& level, double alpha, double beta, double gradientScale, int parts)
{
    constexpr int N = kCount<M>;
    const bool secondOrder = params.eSolver == AlignSolver::SecondOrder;
    const int n = level.samples();
    const int gw = level.iGridWidth;
    const float inverseAlpha = float(1.0 / alpha);
    const float b = float(beta);
    // Half of the warped frame's Sobel gradient (1/8 of the sums), in normalised units.
    const float quarterGradient = float(0.0625 * gradientScale / alpha);
    pool.vRun(parts, [&](int part) {
        Part& out = vecParts[std::size_t(part)];
        out = Part {};
        const int begin = int(std::int64_t(n) * part / parts);
        const int end = int(std::int64_t(n) * (part + 1) / parts);
        // Float sums over short runs, gathered into doubles. The whole square of the matrix
        // is summed: the full rows vectorise where the triangle would not.
        float h[N * N] = {};
        float g[N] = {};
        float plain[6] = {};
        float current[6] = {};
        float squares = 0.0f;
        int run = 0;
        auto flush = [&] {
            for (int i = 0; i < N; ++i) {
                out.b[i] += g[i];
                g[i] = 0.0f;
                for (int c = 0; c < N; ++c) {
                    out.h[i * N + c] += h[i * N + c];
                    h[i * N + c] = 0.0f;
                }
            }
            out.wrr += squares;
            squares = 0.0f;
            Moments* targets[2] = {&out.plain, &out.current};
            float* sources[2] = {plain, current};
            for (int m = 0; m < 2; ++m) {
                Moments& t = *targets[m];
                float* f = sources[m];
                t.w += f[0];
                t.wi += f[1];
                t.wii += f[2];
                t.wt += f[3];
                t.wtt += f[4];
                t.wit += f[5];
                std::fill(f, f + 6, 0.0f);
            }
            run = 0;
        };
        for (int k = begin; k < end; ++k) {
            const std::size_t s = std::size_t(k);
            const float* p = vecWarped.data() + level.vecIndex[s];
            const float value = p[0];
            const float weight = vecWeight[s];
            bool visible = !std::isnan(value);
            if (visible && secondOrder)
                visible = !std::isnan(p[-1]) && !std::isnan(p[1]) && !std::isnan(p[-gw]) && !std::isnan(p[gw])
                    && !std::isnan(p[-gw - 1]) && !std::isnan(p[-gw + 1]) && !std::isnan(p[gw - 1])
                    && !std::isnan(p[gw + 1]);
            if (!visible)
                continue;
            const float t = level.vecT[s];
            ++out.iVisible;
            const float residual = (value - b) * inverseAlpha - t;
            const float counts = weight > 0.0f ? 1.0f : 0.0f;
            const float wv = counts * value;
            const float wt = counts * t;
            plain[0] += 1.0f;
            plain[1] += value;
            plain[2] += value * value;
            plain[3] += t;
            plain[4] += t * t;
            plain[5] += value * t;
            current[0] += counts;
            current[1] += wv;
            current[2] += wv * value;
            current[3] += wt;
            current[4] += wt * t;
            current[5] += wv * t;
            if (weight > 0.0f) {
                float gx = level.vecTx[s];
                float gy = level.vecTy[s];
                if (secondOrder) {
                    gx = 0.5f * gx
                        + quarterGradient
                            * ((p[1 - gw] - p[-1 - gw]) + 2.0f * (p[1] - p[-1]) + (p[1 + gw] - p[-1 + gw]));
                    gy = 0.5f * gy
                        + quarterGradient
                            * ((p[gw - 1] - p[-gw - 1]) + 2.0f * (p[gw] - p[-gw]) + (p[gw + 1] - p[-gw + 1]));
                }
                float j[N];
                vJacobian<M>(gx, gy, level.vecU[s], level.vecV[s], j);
                const float wr = weight * residual;
                squares += wr * residual;
                for (int i = 0; i < N; ++i) {
                    const float wj = weight * j[i];
                    g[i] += j[i] * wr;
                    for (int c = 0; c < N; ++c)
                        h[i * N + c] += wj * j[c];
                }
            }
            if (++run == 64)
                flush();
        }
        flush();
    });
}

bool PlanarAligner::Private::bSane(const Homography& motion) const
{
    // A projective map keeps the hull convex and its orientation when no hull point reaches the
    // horizon (w keeps one sign) and the determinant has the sign of w; a fold breaks one of them.
    const auto& m = motion.values();
    const double det
        = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) + m[2] * (m[3] * m[7] - m[4] * m[6]);
    if (!motion.isFinite() || vecHull.empty())
        return false;
    const Point2& first = vecHull.front();
    const double side = motion(2, 0) * first.x + motion(2, 1) * first.y + motion(2, 2) < 0.0 ? -1.0 : 1.0;
    if (!(det * side > 0.0))
        return false;
    std::vector<Point2> moved;
    for (const Point2& c : vecHull) {
        const double w = motion(2, 0) * c.x + motion(2, 1) * c.y + motion(2, 2);
        if (!(w * side > 0.0))
            return false;
        moved.push_back(motion.apply(c));
    }
    // Nor does a track's region grow or shrink 400 times from one frame to the next.
    const double area = dSignedArea(moved);
    return area > dHullArea / 400.0 && area < dHullArea * 400.0;
}

// Scaled so that the region's centre has w = 1 (so every region point has w > 0 while the
// motion is sane), which also keeps the values away from the extremes h22 = 1 can give.
Homography PlanarAligner::Private::homCentred(const Homography& h) const
{
    const Point2 c = homNormInverse.apply({0.0, 0.0});
    const double w = h(2, 0) * c.x + h(2, 1) * c.y + h(2, 2);
    if (!(std::fabs(w) > 0.0) || !std::isfinite(w))
        return h;
    std::array<double, 9> values = h.values();
    for (double& v : values)
        v /= w;
    return Homography(values);
}

template <typename T>
AlignResult PlanarAligner::Private::align(const Image<T>& frame, const Homography& seed, const GreyWeights& weights)
{
    AlignResult result;
    result.hom = seed;
    auto fail = [&](AlignFailure failure, std::string reason) {
        result.bOk = false;
        result.eFailure = failure;
        result.strReason = std::move(reason);
        return result;
    };
    if (!bHasReference)
        return fail(AlignFailure::BadInput, "there is no reference to align with");
    if (frame.empty())
        return fail(AlignFailure::BadInput, "the frame is empty");
    if (!seed.isFinite() || !homInverse(seed))
        return fail(AlignFailure::BadInput, "the starting motion cannot be used");
    if (!bSane(seed))
        return fail(AlignFailure::BadInput, "the starting motion folds or loses the region");
    Homography start = homCentred(seed);
    if (!bIsInModel(params.eModel, start, 1e-9)) {
        const Result<Homography> restricted = homRestrictToModel(params.eModel, start, vecHull);
        if (!restricted)
            return fail(AlignFailure::BadInput, "the starting motion cannot be used: " + restricted.error());
        start = homCentred(*restricted);
    }
    result.hom = start;
    if (!bSane(start))
        return fail(AlignFailure::BadInput, "the starting motion folds or loses the region");

    // Only the frame around the seeded region is read.
    const int levelCount = int(vecLevels.size());
    const int unit = 1 << (levelCount - 1);
    double left = std::numeric_limits<double>::max();
    double top = left;
    double right = -left;
    double bottom = -left;
    for (const Point2& c : vecHull) {
        const Point2 p = start.apply(c);
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    const double margin = params.dSearchRadius + 0.25 * std::max(right - left, bottom - top) + 4 * unit + 8;
    const double limit = 4.0 * (frame.width() + frame.height());
    auto clampCoordinate = [&](double v) { return int(std::clamp(v, -limit, limit)); };
    const Rect wanted {clampCoordinate(std::floor(left - margin)), clampCoordinate(std::floor(top - margin)), 0, 0};
    Rect area = wanted;
    area.width = clampCoordinate(std::ceil(right + margin)) - wanted.x + 1;
    area.height = clampCoordinate(std::ceil(bottom + margin)) - wanted.y + 1;
    const Rect crop = rectAligned(area, unit, frame.rect());
    if (crop.width < 2 * unit || crop.height < 2 * unit)
        return fail(AlignFailure::LeftImage, "the region has left the frame");
    const ImageF grey = imgGreyView(frame, crop, weights, 1);
    const std::vector<ImageF> pyramid = vecBuildPyramid(grey, levelCount, pool.threads(), &pool);

    const int parameterCount = iMotionParameterCount(params.eModel);
    const int parts = pool.threads();
    vecParts.resize(std::size_t(parts));
    // The motion from normalised region coordinates to frame pixels.
    Homography motion = start * homNormInverse;
    const int coarsest = std::min(levelCount, int(pyramid.size())) - 1;
    Moments finalCurrent;
    Moments finalPlain;
    int finalVisible = 0;
    int finalFitting = 0;
    double alpha = 1.0;
    double beta = 0.0;
    for (int l = coarsest; l >= 0; --l) {
        const Level& level = vecLevels[std::size_t(l)];
        const ImageF& image = pyramid[std::size_t(l)];
        const int cropX = crop.x >> l;
        const int cropY = crop.y >> l;
        const double levelScale = std::ldexp(1.0, -l);
        if (l == coarsest && params.dSearchRadius > 0.0) {
            const int radius = int(std::ceil(params.dSearchRadius * levelScale));
            vSearch(level, image, homGridToCrop(level, motion, cropX, cropY), motion, radius);
        }
        // The finest level samples B-spline coefficients, made only around where the region
        // now is (they depend on pixels a dozen away at most; the samples move less than the margin).
        ImageF spline;
        Rect splineArea;
        if (l == 0) {
            double x0 = std::numeric_limits<double>::max();
            double y0 = x0;
            double x1 = -x0;
            double y1 = -x0;
            const Homography toFrame = motion * homNorm;
            for (const Point2& c : vecHull) {
                const Point2 p = toFrame.apply(c);
                x0 = std::min(x0, p.x);
                x1 = std::max(x1, p.x);
                y0 = std::min(y0, p.y);
                y1 = std::max(y1, p.y);
            }
            const double m = 16.0;
            splineArea = Rect {int(std::floor(std::max(x0 - m - crop.x, -1.0))),
                int(std::floor(std::max(y0 - m - crop.y, -1.0))), 0, 0};
            splineArea.width = int(std::ceil(std::min(x1 + m - crop.x, double(crop.width)))) - splineArea.x + 1;
            splineArea.height = int(std::ceil(std::min(y1 + m - crop.y, double(crop.height)))) - splineArea.y + 1;
            splineArea = splineArea.intersected(grey.rect());
            spline = imgSplineCoefficients(grey.view(splineArea));
        }
        vecWeight.assign(std::size_t(level.samples()), 1.0f);
        const double tolerance = l == 0 ? params.dTolerance : kCoarseTolerance / levelScale;
        const double gradientScale = dRadius * levelScale;
        for (int iteration = 0; iteration < params.iMaxIterations; ++iteration) {
            ++result.iIterations;
            vWarp(level, image, spline, splineArea.x, splineArea.y, homGridToCrop(level, motion, cropX, cropY));

            // Gain and bias from the previous weights, then a robust scale of the residuals
            // from a subsample.
            Moments moments;
            int visible = 0;
            {
                const int n = level.samples();
                for (int k = 0; k < n; ++k) {
                    const float value = vecWarped[std::size_t(level.vecIndex[std::size_t(k)])];
                    if (!std::isnan(value)) {
                        moments.vAdd(vecWeight[std::size_t(k)], value, level.vecT[std::size_t(k)]);
                        ++visible;
                    }
                }
            }
            if (double(visible) < params.dMinVisibleFraction * level.samples() || visible < 2 * parameterCount)
                return fail(AlignFailure::LeftImage, "the region has left the frame");
            alpha = 1.0;
            beta = 0.0;
            if (params.bGainBias) {
                const double varT = moments.dVarT();
                const double varI = moments.dVarI();
                if (!(varI > 1e-12) || !(varT > 1e-12))
                    return fail(AlignFailure::WeakMatch, "the frame is flat where the region should be");
                alpha = std::sqrt(varI / varT);
                beta = moments.wi / moments.w - alpha * moments.wt / moments.w;
            }
            const int fitting = iRobustWeights(level, alpha, beta);

            switch (params.eModel) {
            case MotionModel::Translation:
                vIterate<MotionModel::Translation>(level, alpha, beta, gradientScale, parts);
                break;
            case MotionModel::Similarity:
                vIterate<MotionModel::Similarity>(level, alpha, beta, gradientScale, parts);
                break;
            case MotionModel::Affine:
                vIterate<MotionModel::Affine>(level, alpha, beta, gradientScale, parts);
                break;
            case MotionModel::Perspective:
                vIterate<MotionModel::Perspective>(level, alpha, beta, gradientScale, parts);
                break;
            }
            double h[kMaxParameters * kMaxParameters] = {};
            double g[kMaxParameters] = {};
            Moments current;
            Moments plain;
            int used = 0;
            double squares = 0.0;
            for (const Part& part : vecParts) {
                for (int i = 0; i < parameterCount; ++i) {
                    g[i] += part.b[i];
                    for (int j = i; j < parameterCount; ++j)
                        h[i * parameterCount + j] += part.h[i * parameterCount + j];
                }
                current.vAdd(part.current);
                plain.vAdd(part.plain);
                used += part.iVisible;
                squares += part.wrr;
            }
            finalCurrent = current;
            finalPlain = plain;
            finalVisible = used;
            finalFitting = fitting;
            if (!(current.w > parameterCount))
                return fail(AlignFailure::Occluded, "too little of the region matches the reference");

            double step[kMaxParameters] = {};
            if (!linalg::bSolveSpd(parameterCount, h, g, step))
                return fail(AlignFailure::TooLittleTexture, "the region's texture does not fix its motion");
            // Second order: move by -step; inverse compositional: undo the reference's move by step.
            Homography increment;
            if (params.eSolver == AlignSolver::SecondOrder) {
                for (int i = 0; i < parameterCount; ++i)
                    step[i] = -step[i];
                increment = homFromParameters(params.eModel, step);
            } else {
                const Result<Homography> inverse = homInverse(homFromParameters(params.eModel, step));
                if (!inverse)
                    return fail(AlignFailure::Diverged, "the motion became degenerate");
                increment = *inverse;
            }
            motion = motion * increment;
            // The region's centre keeps w = 1.
            if (std::fabs(motion(2, 2)) > 0.0) {
                std::array<double, 9> values = motion.values();
                for (double& v : values)
                    v /= motion(2, 2);
                motion = Homography(values);
            }
            result.hom = homCentred(motion * homNorm);
            if (!bSane(result.hom))
                return fail(
                    AlignFailure::Diverged, "the motion became degenerate (the region folded, collapsed or left)");
            // How far the increment moves the region's outline, in full-resolution pixels.
            double moved = 0.0;
            for (const Point2& c : {Point2 {-1, -1}, Point2 {1, -1}, Point2 {1, 1}, Point2 {-1, 1}}) {
                const Point2 p = increment.apply(c);
                moved = std::max(moved, std::hypot(p.x - c.x, p.y - c.y) * dRadius);
            }
            // What the residuals leave uncertain: the outline's standard deviation from the
            // parameters' covariance. Steps far below it change nothing that matters.
            const double spread = dOutlineSpread(h, squares / std::max(1.0, current.w - parameterCount));
            if (l == 0)
                result.dUncertainty = spread;
            const double enough = std::max(tolerance, l == 0 ? 0.2 * spread : 0.0);
            if (!(moved > enough))
                break;
        }
    }

    const int total = vecLevels.front().samples();
    result.dVisibleFraction = double(finalVisible) / total;
    result.dInlierFraction = double(finalFitting) / total;
    result.dCorrelation = finalCurrent.dCorrelation();
    result.dPlainCorrelation = finalPlain.dCorrelation();
    result.dGain = alpha;
    result.dBias = beta;
    char figures[64];
    if (result.dVisibleFraction < params.dMinVisibleFraction)
        return fail(AlignFailure::LeftImage, "the region has left the frame");
    if (result.dCorrelation < params.dMinCorrelation) {
        std::snprintf(figures, sizeof figures, "%.2f, below %.2f", result.dCorrelation, params.dMinCorrelation);
        return fail(AlignFailure::WeakMatch, std::string("the match is too weak (correlation ") + figures + ")");
    }
    if (result.dInlierFraction < params.dMinInlierFraction) {
        std::snprintf(figures, sizeof figures, "%.0f%%", 100.0 * result.dInlierFraction);
        return fail(AlignFailure::Occluded, std::string("too little of the region matches (") + figures + ")");
    }
    result.bOk = true;
    result.eFailure = AlignFailure::None;
    result.strReason.clear();
    return result;
}

} // namespace standin::imaging
