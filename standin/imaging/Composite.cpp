#include "Composite.h"

#include "Filters.h"
#include "Parallel.h"

#include <algorithm>
#include <cmath>

namespace standin::imaging {

float fBlend(BlendMode mode, float b, float f)
{
    switch (mode) {
    case BlendMode::Normal:
        return f;
    case BlendMode::Add:
        return b + f;
    case BlendMode::Subtract:
        return b - f;
    case BlendMode::Multiply:
        return b * f;
    case BlendMode::Screen:
        return 1.0f - (1.0f - b) * (1.0f - f);
    }
    return f;
}

Status stComposite(
    const ImageF& background, const ImageF& foreground, const ImageF& matte, BlendMode mode, float opacity, int threads)
{
    if (background.empty() || foreground.empty())
        return Failure {"an image to composite is empty"};
    if (!background.sameSize(foreground))
        return Failure {"the foreground and the background differ in size"};
    const int bch = background.channels();
    const int fch = foreground.channels();
    const int colours = bch >= 3 ? 3 : 1;
    if ((fch >= 3 ? 3 : 1) != colours)
        return Failure {"the foreground and the background differ in colour channels"};
    if (!matte.empty() && (!matte.sameSize(background) || matte.channels() != 1))
        return Failure {"the matte is not one channel of the image's size"};
    const bool backgroundAlpha = bch == 2 || bch == 4;
    const bool foregroundAlpha = fch == 2 || fch == 4;
    vParallelFor(background.height(), threads, 16, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            float* b = background.row(y);
            const float* f = foreground.row(y);
            const float* m = matte.empty() ? nullptr : matte.row(y);
            for (int x = 0; x < background.width(); ++x) {
                float* bp = b + x * bch;
                const float* fp = f + x * fch;
                const float coverage = m ? m[x] : (foregroundAlpha ? fp[fch - 1] : 1.0f);
                const float mix = coverage * opacity;
                for (int c = 0; c < colours; ++c)
                    bp[c] += mix * (fBlend(mode, bp[c], fp[c]) - bp[c]);
                if (backgroundAlpha)
                    bp[bch - 1] += mix * (1.0f - bp[bch - 1]);
            }
        }
    });
    return {};
}

ImageF imgRasterisePolygon(const std::vector<Point2>& polygon, int width, int height, int supersampling)
{
    ImageF matte(width, height, 1);
    const int n = int(polygon.size());
    if (matte.empty() || n < 3)
        return matte;
    for (const Point2& p : polygon)
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return matte;
    const int ss = std::clamp(supersampling, 1, 16);
    const float share = 1.0f / float(ss * ss);
    std::vector<double> crossings;
    for (int y = 0; y < height; ++y) {
        float* row = matte.row(y);
        for (int sy = 0; sy < ss; ++sy) {
            const double py = y + (sy + 0.5) / ss - 0.5;
            // Where the edges cross this line; between pairs of crossings is inside.
            crossings.clear();
            for (int i = 0; i < n; ++i) {
                const Point2& a = polygon[std::size_t(i)];
                const Point2& b = polygon[std::size_t((i + 1) % n)];
                if ((a.y <= py) != (b.y <= py))
                    crossings.push_back(a.x + (py - a.y) * (b.x - a.x) / (b.y - a.y));
            }
            std::sort(crossings.begin(), crossings.end());
            for (std::size_t k = 0; k + 1 < crossings.size(); k += 2) {
                for (int sx = 0; sx < ss; ++sx) {
                    const double offset = (sx + 0.5) / ss - 0.5;
                    // Sample points x + offset strictly right of the entry and at or left of the exit.
                    const double first = std::floor(crossings[k] - offset) + 1.0;
                    const double last = std::floor(crossings[k + 1] - offset);
                    const int x0 = int(std::clamp(first, 0.0, double(width)));
                    const int x1 = int(std::clamp(last, -1.0, double(width - 1)));
                    for (int x = x0; x <= x1; ++x)
                        row[x] += share;
                }
            }
        }
        for (int x = 0; x < width; ++x)
            row[x] = std::min(row[x], 1.0f);
    }
    return matte;
}

ImageF imgFeatherMatte(const ImageF& matte, double radius, int threads)
{
    return imgGaussianBlur(matte, radius > 0.0 ? radius / 2.0 : 0.0, threads);
}

} // namespace standin::imaging
