#include "Filters.h"

#include "Parallel.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace standin::imaging {

namespace {

template <typename T> ImageF imgGreyOf(const Image<T>& image, const GreyWeights& wt, float scale, int threads)
{
    const int w = image.width();
    const int ch = image.channels();
    ImageF out(w, image.height(), 1);
    vParallelFor(out.height(), threads, 64, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const T* src = image.row(y);
            float* dst = out.row(y);
            if (ch <= 2) {
                for (int x = 0; x < w; ++x)
                    dst[x] = float(src[x * ch]) * scale;
            } else {
                const float r = wt.fRed * scale;
                const float g = wt.fGreen * scale;
                const float b = wt.fBlue * scale;
                for (int x = 0; x < w; ++x) {
                    const T* p = src + x * ch;
                    dst[x] = r * float(p[0]) + g * float(p[1]) + b * float(p[2]);
                }
            }
        }
    });
    return out;
}

// Separable filter with a symmetric kernel (taps[0] is the centre).
ImageF imgSeparable(const ImageF& image, const std::vector<float>& taps, int threads)
{
    const int w = image.width();
    const int h = image.height();
    const int ch = image.channels();
    const int radius = int(taps.size()) - 1;
    ImageF across(w, h, ch);
    vParallelFor(h, threads, 16, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const float* src = image.row(y);
            float* dst = across.row(y);
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < ch; ++c) {
                    float sum = taps[0] * src[x * ch + c];
                    for (int k = 1; k <= radius; ++k)
                        sum += taps[std::size_t(k)]
                            * (src[std::max(x - k, 0) * ch + c] + src[std::min(x + k, w - 1) * ch + c]);
                    dst[x * ch + c] = sum;
                }
        }
    });
    ImageF out(w, h, ch);
    vParallelFor(h, threads, 16, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            float* dst = out.row(y);
            const float* centre = across.row(y);
            for (int i = 0; i < w * ch; ++i)
                dst[i] = taps[0] * centre[i];
            for (int k = 1; k <= radius; ++k) {
                const float* a = across.row(std::max(y - k, 0));
                const float* b = across.row(std::min(y + k, h - 1));
                const float t = taps[std::size_t(k)];
                for (int i = 0; i < w * ch; ++i)
                    dst[i] += t * (a[i] + b[i]);
            }
        }
    });
    return out;
}

} // namespace

ImageF imgToGrey(const ImageF& image, const GreyWeights& weights, int threads)
{
    return imgGreyOf(image, weights, 1.0f, threads);
}

ImageF imgToGrey(const Image8& image, const GreyWeights& weights, int threads)
{
    return imgGreyOf(image, weights, 1.0f / 255.0f, threads);
}

ImageF imgBoxBlur(const ImageF& image, int radius, int threads)
{
    if (image.empty() || radius <= 0)
        return image.clone();
    const int w = image.width();
    const int h = image.height();
    const int ch = image.channels();
    const double norm = 1.0 / double(2 * radius + 1);
    ImageF across(w, h, ch);
    vParallelFor(h, threads, 16, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const float* src = image.row(y);
            float* dst = across.row(y);
            for (int c = 0; c < ch; ++c) {
                double s = 0.0;
                for (int k = -radius; k <= radius; ++k)
                    s += src[std::clamp(k, 0, w - 1) * ch + c];
                for (int x = 0; x < w; ++x) {
                    dst[x * ch + c] = float(s * norm);
                    s += src[std::min(x + radius + 1, w - 1) * ch + c] - src[std::max(x - radius, 0) * ch + c];
                }
            }
        }
    });
    ImageF out(w, h, ch);
    const int values = w * ch;
    vParallelFor(values, threads, 256, [&](int begin, int end) {
        std::vector<double> sums(std::size_t(end - begin), 0.0);
        for (int k = -radius; k <= radius; ++k) {
            const float* src = across.row(std::clamp(k, 0, h - 1));
            for (int i = begin; i < end; ++i)
                sums[std::size_t(i - begin)] += src[i];
        }
        for (int y = 0; y < h; ++y) {
            float* dst = out.row(y);
            const float* add = across.row(std::min(y + radius + 1, h - 1));
            const float* sub = across.row(std::max(y - radius, 0));
            for (int i = begin; i < end; ++i) {
                double& s = sums[std::size_t(i - begin)];
                dst[i] = float(s * norm);
                s += double(add[i]) - double(sub[i]);
            }
        }
    });
    return out;
}

ImageF imgGaussianBlur(const ImageF& image, double sigma, int threads)
{
    if (image.empty() || !(sigma > 0.0) || !std::isfinite(sigma))
        return image.clone();
    const int radius = std::max(1, std::min(int(std::ceil(3.0 * sigma)), 1000));
    std::vector<float> taps(std::size_t(radius) + 1);
    double total = 0.0;
    std::vector<double> exact(taps.size());
    for (int k = 0; k <= radius; ++k) {
        exact[std::size_t(k)] = std::exp(-0.5 * double(k) * double(k) / (sigma * sigma));
        total += k == 0 ? exact[0] : 2.0 * exact[std::size_t(k)];
    }
    for (int k = 0; k <= radius; ++k)
        taps[std::size_t(k)] = float(exact[std::size_t(k)] / total);
    return imgSeparable(image, taps, threads);
}

ImageF imgUnsharpMask(const ImageF& image, double sigma, double amount, double threshold, int threads)
{
    const ImageF blurred = imgGaussianBlur(image, sigma, threads);
    ImageF out(image.width(), image.height(), image.channels());
    const int values = image.width() * image.channels();
    const float a = float(amount);
    const float t = float(threshold);
    for (int y = 0; y < out.height(); ++y) {
        const float* src = image.row(y);
        const float* low = blurred.row(y);
        float* dst = out.row(y);
        for (int i = 0; i < values; ++i) {
            const float detail = src[i] - low[i];
            dst[i] = std::fabs(detail) > t ? src[i] + a * detail : src[i];
        }
    }
    return out;
}

} // namespace standin::imaging
