#include "Warp.h"

#include "Parallel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace standin::imaging {

namespace {

// Bilinear sample of every channel into out (as float); returns the coverage, the share of
// the bilinear weight that falls on pixels of the image.
template <typename T> float fSampleAll(const Image<T>& image, double x, double y, Border border, float* out)
{
    const int ch = image.channels();
    const int w = image.width();
    const int h = image.height();
    for (int c = 0; c < ch; ++c)
        out[c] = 0.0f;
    float coverage = 1.0f;
    if (!(x >= 0.0 && y >= 0.0 && x <= double(w - 1) && y <= double(h - 1))) {
        // Partly or wholly outside: the weight inside, one axis at a time.
        auto inside = [](double v, int size) {
            if (v > -1.0 && v < 0.0)
                return float(v + 1.0);
            if (v > double(size - 1) && v < double(size))
                return float(double(size) - v);
            return (v >= 0.0 && v <= double(size - 1)) ? 1.0f : 0.0f;
        };
        coverage = inside(x, w) * inside(y, h);
        if (border == Border::Clamp) {
            x = std::clamp(x, 0.0, double(w - 1));
            y = std::clamp(y, 0.0, double(h - 1));
        } else if (coverage == 0.0f) {
            return 0.0f;
        }
    }
    const double fx = std::floor(x);
    const double fy = std::floor(y);
    const int x0 = int(fx);
    const int y0 = int(fy);
    const float ax = float(x - fx);
    const float ay = float(y - fy);
    const float weights[4] = {(1 - ax) * (1 - ay), ax * (1 - ay), (1 - ax) * ay, ax * ay};
    const int xs[4] = {x0, x0 + 1, x0, x0 + 1};
    const int ys[4] = {y0, y0, y0 + 1, y0 + 1};
    for (int k = 0; k < 4; ++k) {
        if (weights[k] == 0.0f || xs[k] < 0 || ys[k] < 0 || xs[k] >= w || ys[k] >= h)
            continue;
        const T* p = image.row(ys[k]) + xs[k] * ch;
        for (int c = 0; c < ch; ++c)
            out[c] += weights[k] * float(p[c]);
    }
    return coverage;
}

template <typename T> T tStore(float v);
template <> float tStore<float>(float v)
{
    return v;
}
template <> std::uint8_t tStore<std::uint8_t>(float v)
{
    const float r = v + 0.5f;
    return r >= 255.0f ? 255 : (r > 0.0f ? std::uint8_t(r) : 0);
}

// Fills every destination pixel from sourcePosition(x, y, sx, sy), row by row.
template <typename T, typename Position>
Result<Image<T>> imgResample(const Image<T>& source, int width, int height, Border border, ImageF* pCoverage,
    int threads, const Position& sourcePosition)
{
    if (source.empty())
        return Failure {"the source image is empty"};
    Image<T> out(width, height, source.channels());
    if (out.empty())
        return Failure {"the destination size is not valid"};
    ImageF coverage;
    if (pCoverage)
        coverage = ImageF(width, height, 1);
    const int ch = source.channels();
    vParallelFor(height, threads, 8, [&](int begin, int end) {
        float values[4];
        for (int y = begin; y < end; ++y) {
            T* dst = out.row(y);
            float* cov = pCoverage ? coverage.row(y) : nullptr;
            for (int x = 0; x < width; ++x) {
                double sx = 0.0;
                double sy = 0.0;
                float covered = 0.0f;
                if (sourcePosition(x, y, sx, sy) && std::isfinite(sx) && std::isfinite(sy))
                    covered = fSampleAll(source, sx, sy, border, values);
                else
                    std::fill(values, values + ch, 0.0f);
                for (int c = 0; c < ch; ++c)
                    dst[x * ch + c] = tStore<T>(values[c]);
                if (cov)
                    cov[x] = covered;
            }
        }
    });
    if (pCoverage)
        *pCoverage = coverage;
    return out;
}

template <typename T>
Result<Image<T>> imgRemapOf(const Image<T>& source, const ImageF& map, Border border, ImageF* pCoverage, int threads)
{
    if (map.channels() != 2 || map.empty())
        return Failure {"the map is not a two-channel image"};
    return imgResample(
        source, map.width(), map.height(), border, pCoverage, threads, [&](int x, int y, double& sx, double& sy) {
            const float* p = map.row(y) + 2 * x;
            sx = p[0];
            sy = p[1];
            return true;
        });
}

template <typename T>
Result<Image<T>> imgWarpHomographyOf(
    const Image<T>& source, const Homography& h, int width, int height, Border border, ImageF* pCoverage, int threads)
{
    const Result<Homography> back = homInverse(h);
    if (!back)
        return Failure {back.error()};
    const Homography& b = *back;
    // The side of the horizon the source lies on: the sign of w at the image of its centre.
    // Destination points on the horizon or beyond it have no source.
    const Point2 centre = h.apply({0.5 * (source.width() - 1), 0.5 * (source.height() - 1)});
    const double side = b(2, 0) * centre.x + b(2, 1) * centre.y + b(2, 2) < 0.0 ? -1.0 : 1.0;
    return imgResample(source, width, height, border, pCoverage, threads, [&](int x, int y, double& sx, double& sy) {
        const double w = b(2, 0) * x + b(2, 1) * y + b(2, 2);
        if (!(w * side > 0.0))
            return false;
        sx = (b(0, 0) * x + b(0, 1) * y + b(0, 2)) / w;
        sy = (b(1, 0) * x + b(1, 1) * y + b(1, 2)) / w;
        return true;
    });
}

} // namespace

float fSampleBilinear(const ImageF& image, double x, double y, int channel, Border border)
{
    if (image.empty() || channel < 0 || channel >= image.channels())
        return 0.0f;
    float values[4];
    fSampleAll(image, x, y, border, values);
    return values[channel];
}

ImageF imgBuildMap(int width, int height, const PixelMapping& mapping, int threads)
{
    ImageF map(width, height, 2);
    vParallelFor(map.height(), threads, 8, [&](int begin, int end) {
        const float none = std::numeric_limits<float>::quiet_NaN();
        for (int y = begin; y < end; ++y) {
            float* p = map.row(y);
            for (int x = 0; x < width; ++x) {
                double sx = 0.0;
                double sy = 0.0;
                const bool found = mapping(x, y, sx, sy);
                p[2 * x] = found ? float(sx) : none;
                p[2 * x + 1] = found ? float(sy) : none;
            }
        }
    });
    return map;
}

Result<ImageF> imgRemap(const ImageF& source, const ImageF& map, Border border, ImageF* pCoverage, int threads)
{
    return imgRemapOf(source, map, border, pCoverage, threads);
}

Result<Image8> imgRemap(const Image8& source, const ImageF& map, Border border, ImageF* pCoverage, int threads)
{
    return imgRemapOf(source, map, border, pCoverage, threads);
}

Result<ImageF> imgWarp(const ImageF& source, const PixelMapping& mapping, int width, int height, Border border,
    ImageF* pCoverage, int threads)
{
    return imgResample(source, width, height, border, pCoverage, threads,
        [&](int x, int y, double& sx, double& sy) { return mapping(x, y, sx, sy); });
}

Result<Image8> imgWarp(const Image8& source, const PixelMapping& mapping, int width, int height, Border border,
    ImageF* pCoverage, int threads)
{
    return imgResample(source, width, height, border, pCoverage, threads,
        [&](int x, int y, double& sx, double& sy) { return mapping(x, y, sx, sy); });
}

Result<ImageF> imgWarpHomography(
    const ImageF& source, const Homography& h, int width, int height, Border border, ImageF* pCoverage, int threads)
{
    return imgWarpHomographyOf(source, h, width, height, border, pCoverage, threads);
}

Result<Image8> imgWarpHomography(
    const Image8& source, const Homography& h, int width, int height, Border border, ImageF* pCoverage, int threads)
{
    return imgWarpHomographyOf(source, h, width, height, border, pCoverage, threads);
}

} // namespace standin::imaging
