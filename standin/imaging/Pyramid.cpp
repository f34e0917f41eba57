#include "Pyramid.h"

#include "Parallel.h"

#include <algorithm>

namespace standin::imaging {

ImageF imgReduce(const ImageF& image, int threads, WorkerPool* pPool)
{
    if (image.empty())
        return {};
    const int w = image.width();
    const int h = image.height();
    const int ch = image.channels();
    const int ow = (w + 1) / 2;
    const int oh = (h + 1) / 2;
    ImageF out(ow, oh, ch);
    vParallelFor(
        oh, threads, 16,
        [&](int begin, int end) {
            // Vertical pass into one full-width row, then the horizontal pass on even columns.
            std::vector<float> line(std::size_t(w + 4) * ch);
            for (int oy = begin; oy < end; ++oy) {
                const int y = 2 * oy;
                const float* r[5];
                for (int k = 0; k < 5; ++k)
                    r[k] = image.row(std::clamp(y + k - 2, 0, h - 1));
                float* mid = line.data() + 2 * ch;
                for (int i = 0; i < w * ch; ++i)
                    mid[i] = (r[0][i] + r[4][i] + 4.0f * (r[1][i] + r[3][i]) + 6.0f * r[2][i]) * (1.0f / 16.0f);
                for (int c = 0; c < ch; ++c) {
                    mid[-ch + c] = mid[c];
                    mid[-2 * ch + c] = mid[c];
                    mid[w * ch + c] = mid[(w - 1) * ch + c];
                    mid[(w + 1) * ch + c] = mid[(w - 1) * ch + c];
                }
                float* dst = out.row(oy);
                for (int ox = 0; ox < ow; ++ox) {
                    const float* s = mid + 2 * ox * ch;
                    for (int c = 0; c < ch; ++c)
                        dst[ox * ch + c]
                            = (s[c - 2 * ch] + s[c + 2 * ch] + 4.0f * (s[c - ch] + s[c + ch]) + 6.0f * s[c])
                            * (1.0f / 16.0f);
                }
            }
        },
        pPool);
    return out;
}

std::vector<ImageF> vecBuildPyramid(const ImageF& base, int levels, int threads, WorkerPool* pPool)
{
    std::vector<ImageF> pyramid;
    if (base.empty() || levels < 1)
        return pyramid;
    pyramid.push_back(base);
    while (int(pyramid.size()) < levels && pyramid.back().width() >= 4 && pyramid.back().height() >= 4)
        pyramid.push_back(imgReduce(pyramid.back(), threads, pPool));
    return pyramid;
}

void vGradients(const ImageF& grey, ImageF& gx, ImageF& gy)
{
    const int w = grey.width();
    const int h = grey.height();
    gx = ImageF(w, h, 1);
    gy = ImageF(w, h, 1);
    if (grey.empty())
        return;
    for (int y = 0; y < h; ++y) {
        const float* row = grey.row(y);
        const float* up = grey.row(std::max(y - 1, 0));
        const float* down = grey.row(std::min(y + 1, h - 1));
        const float vy = (y == 0 || y == h - 1) ? 1.0f : 0.5f;
        float* ox = gx.row(y);
        float* oy = gy.row(y);
        for (int x = 0; x < w; ++x) {
            const int l = std::max(x - 1, 0);
            const int r = std::min(x + 1, w - 1);
            const float vx = (x == 0 || x == w - 1) ? 1.0f : 0.5f;
            ox[x] = w > 1 ? (row[r * grey.channels()] - row[l * grey.channels()]) * vx : 0.0f;
            oy[x] = h > 1 ? (down[x * grey.channels()] - up[x * grey.channels()]) * vy : 0.0f;
        }
    }
}

} // namespace standin::imaging
