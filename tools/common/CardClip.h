// A generated clip of a textured card moving by known homographies over a background that
// moves otherwise, with the card's true corners per frame; shared by the benchmarks.
#pragma once

#include "standin/imaging/Geometry.h"
#include "standin/imaging/Image.h"
#include "standin/imaging/Parallel.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace cardclip {

// Least-squares slope of per-frame errors over the frame index: how fast a track drifts.
inline double dErrorSlope(const std::vector<double>& errors)
{
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double n = double(errors.size());
    for (std::size_t i = 0; i < errors.size(); ++i) {
        sx += double(i);
        sy += errors[i];
        sxx += double(i) * double(i);
        sxy += double(i) * errors[i];
    }
    return n > 1 ? (n * sxy - sx * sy) / std::max(1e-12, n * sxx - sx * sx) : 0.0;
}

using namespace standin::imaging;

// The card moves as the model can express (translation only for translation, and so on).
// noise: Gaussian noise of that many 8-bit levels; gain: the lighting ramps from 1 to gain
// over the clip (with a bias of up to 10 levels); occlude: a strip covers a quarter of the
// card for 8 frames from a third of the clip; speed multiplies the motion between frames.
struct CardClipOptions {
    int iFrames = 48;
    int iWidth = 960;
    int iHeight = 540;
    MotionModel eModel = MotionModel::Perspective;
    double dNoise = 0.0;
    double dGain = 1.0;
    bool bOcclude = false;
    double dSpeed = 1.0;
    int iThreads = 0;
    unsigned uSeed = 1;
};

// Smooth random texture: octaves of cubic B-spline value noise, with sharp-edged discs and
// bars on top, values roughly 0.15 .. 0.75.
inline ImageF imgTexture(int width, int height, double finest, std::mt19937& random)
{
    ImageF texture(width, height, 1);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    double amplitude = 1.0;
    double total = 0.0;
    for (double spacing = finest * 8.0; spacing >= finest - 1e-9; spacing /= 2.0) {
        const int gw = int(width / spacing) + 4;
        const int gh = int(height / spacing) + 4;
        std::vector<float> grid(std::size_t(gw) * std::size_t(gh));
        for (float& g : grid)
            g = unit(random) - 0.5f;
        for (int y = 0; y < height; ++y) {
            const double gy = y / spacing;
            const int iy = int(gy);
            const double fy = gy - iy;
            double wy[4] = {std::pow(1 - fy, 3) / 6, (3 * fy * fy * fy - 6 * fy * fy + 4) / 6,
                (-3 * fy * fy * fy + 3 * fy * fy + 3 * fy + 1) / 6, fy * fy * fy / 6};
            float* row = texture.row(y);
            for (int x = 0; x < width; ++x) {
                const double gx = x / spacing;
                const int ix = int(gx);
                const double fx = gx - ix;
                const double wx[4] = {std::pow(1 - fx, 3) / 6, (3 * fx * fx * fx - 6 * fx * fx + 4) / 6,
                    (-3 * fx * fx * fx + 3 * fx * fx + 3 * fx + 1) / 6, fx * fx * fx / 6};
                double v = 0.0;
                for (int j = 0; j < 4; ++j)
                    for (int i = 0; i < 4; ++i)
                        v += wy[j] * wx[i] * grid[std::size_t(iy + j) * std::size_t(gw) + std::size_t(ix + i)];
                row[x] += float(amplitude * v);
            }
        }
        total += amplitude;
        amplitude *= 0.8;
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            texture.at(x, y) = 0.45f + 0.9f * texture.at(x, y) / float(total);
    // Shapes with edges about a texture pixel wide.
    const int shapes = std::max(4, width * height / int(finest * finest * 400));
    for (int s = 0; s < shapes; ++s) {
        const float cx = unit(random) * width;
        const float cy = unit(random) * height;
        const float size = (0.5f + 2.0f * unit(random)) * float(finest) * 4.0f;
        const float level = (unit(random) - 0.5f) * 0.3f;
        const bool disc = unit(random) < 0.5f;
        const float aspect = 0.2f + unit(random);
        const int x0 = std::max(0, int(cx - 2 * size));
        const int x1 = std::min(width - 1, int(cx + 2 * size));
        const int y0 = std::max(0, int(cy - 2 * size));
        const int y1 = std::min(height - 1, int(cy + 2 * size));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const float dx = x - cx;
                const float dy = y - cy;
                const float inside = disc ? size - std::sqrt(dx * dx + dy * dy)
                                          : std::min(size - std::fabs(dx), size * aspect - std::fabs(dy));
                const float cover = std::clamp(inside + 0.5f, 0.0f, 1.0f);
                texture.at(x, y) += level * cover;
            }
    }
    return texture;
}

inline float fLookup(const ImageF& texture, double x, double y)
{
    x = std::clamp(x, 0.0, double(texture.width() - 1) - 1e-6);
    y = std::clamp(y, 0.0, double(texture.height() - 1) - 1e-6);
    const int ix = int(x);
    const int iy = int(y);
    const float fx = float(x - ix);
    const float fy = float(y - iy);
    const float* r0 = texture.row(iy) + ix;
    const float* r1 = texture.row(iy + 1) + ix;
    return (r0[0] * (1 - fx) + r0[1] * fx) * (1 - fy) + (r1[0] * (1 - fx) + r1[1] * fx) * fy;
}

struct CardClip {
    std::vector<Image8> vecFrames;
    std::vector<std::vector<Point2>> vecTruth;
};

// About (cx, cy): a stretch and shear, then rotation and scale, a perspective row, then a move.
inline Homography homAbout(double cx, double cy, double angle, double scale, double tx, double ty, double px, double py,
    double shear = 0.0, double stretch = 0.0)
{
    const double c = std::cos(angle) * scale;
    const double s = std::sin(angle) * scale;
    const Homography turn({c, -s, 0, s, c, 0, px, py, 1});
    const Homography skew({1 + stretch, shear, 0, 0, 1, 0, 0, 0, 1});
    return Homography::translation(cx + tx, cy + ty) * turn * skew * Homography::translation(-cx, -cy);
}

inline CardClip clipGenerate(const CardClipOptions& o)
{
    std::mt19937 random(o.uSeed);
    const int w = o.iWidth;
    const int h = o.iHeight;
    const double cardW = 0.36 * w;
    const double cardH = 0.40 * h;
    // Card textures 4 times finer than the frame; background twice.
    const int over = 4;
    const double finest = 3.0 * over * w / 960.0;
    const ImageF card1 = imgTexture(int(cardW * over), int(cardH * over), std::max(2.0, finest), random);
    const ImageF card2 = imgTexture(int(cardW * over), int(cardH * over), std::max(2.0, finest * 1.5), random);
    const ImageF back = imgTexture(int(1.6 * w * 2), int(1.6 * h * 2), std::max(2.0, finest / 2), random);
    const ImageF strip = imgTexture(int(0.5 * w), int(h), std::max(2.0, finest / 4), random);

    const double cx = 0.45 * w;
    const double cy = 0.5 * h;
    const std::vector<Point2> cardCorners {{0, 0}, {cardW, 0}, {cardW, cardH}, {0, cardH}};
    // Card space to frame 1: the card centred at (cx, cy); pixel centres at integers, so the
    // card's pixel area [0, cardW] maps to [cx - cardW / 2 - 0.5, ...].
    const Homography place = Homography::translation(cx - cardW / 2, cy - cardH / 2);
    CardClip clip;
    for (int k = 0; k < o.iFrames; ++k) {
        // The motion runs at the same speed per frame whatever the clip's length.
        const double t = double(k) * o.dSpeed / 47.0;
        const double pi2 = 2.0 * M_PI;
        // The card: translation, rotation, scale and foreshortening about its centre.
        // The card: translation, and as far as the model can express them rotation and
        // scale, stretch and shear, and foreshortening, about its centre.
        const bool turns = o.eModel != MotionModel::Translation;
        const bool skews = o.eModel == MotionModel::Affine || o.eModel == MotionModel::Perspective;
        const bool tilts = o.eModel == MotionModel::Perspective;
        const Homography motion = homAbout(cx, cy, turns ? 0.21 * std::sin(pi2 * 0.7 * t) : 0.0,
            turns ? 1.0 + 0.15 * std::sin(pi2 * 0.9 * t) : 1.0, 0.15 * w * std::sin(pi2 * 0.8 * t),
            0.10 * h * (std::sin(pi2 * 1.1 * t + 0.5) - std::sin(0.5)),
            tilts ? 0.25 / cardW * std::sin(pi2 * 0.6 * t) : 0.0,
            tilts ? 0.2 / cardH * (std::sin(pi2 * 0.5 * t + 1.0) - std::sin(1.0)) : 0.0,
            skews ? 0.08 * (std::sin(pi2 * 0.45 * t + 0.3) - std::sin(0.3)) : 0.0,
            skews ? 0.1 * std::sin(pi2 * 0.35 * t) : 0.0);
        const Homography cardToFrame = (motion * place).normalised();
        // The background drifts, turns and zooms on its own.
        const Homography backMotion = homAbout(0.5 * w, 0.5 * h, 0.05 * std::sin(pi2 * 0.5 * t),
            1.0 + 0.06 * std::sin(pi2 * 0.4 * t), -0.08 * w * t, 0.05 * h * std::sin(pi2 * 0.6 * t), 0, 0);
        const Homography frameToCard = *homInverse(cardToFrame);
        const Homography frameToBack
            = Homography::translation(0.3 * w * 2, 0.3 * h * 2) * Homography::scaling(2, 2) * *homInverse(backMotion);
        std::vector<Point2> truth;
        for (const Point2& c : cardCorners)
            truth.push_back(cardToFrame.apply(c));
        // Pixel centres at integers: the card's corner (0, 0) of its area is at -0.5 of pixel centres.
        for (Point2& p : truth) {
            p.x -= 0.5;
            p.y -= 0.5;
        }
        double left = 1e9;
        double right = -1e9;
        for (const Point2& p : truth) {
            left = std::min(left, p.x);
            right = std::max(right, p.x);
        }
        const bool occluded = o.bOcclude && k >= o.iFrames / 3 && k < o.iFrames / 3 + 8;
        const double stripLeft = left;
        const double stripRight = left + 0.25 * (right - left);
        const double ramp = o.iFrames > 1 ? double(k) / double(o.iFrames - 1) : 0.0;
        const double gain = 1.0 + (o.dGain - 1.0) * ramp;
        const double bias = (o.dGain != 1.0 ? 10.0 / 255.0 : 0.0) * ramp;

        Image8 frame(w, h, 3);
        vParallelFor(h, o.iThreads, 8, [&](int begin, int end) {
            for (int y = begin; y < end; ++y) {
                // Noise of its own per row, so it does not depend on the threads.
                std::mt19937 rowRandom(o.uSeed * 7919u + unsigned(k) * 104729u + unsigned(y));
                std::normal_distribution<double> noise(0.0, o.dNoise);
                std::uint8_t* row = frame.row(y);
                for (int x = 0; x < w; ++x) {
                    double sum[3] = {0, 0, 0};
                    const int ss = 4;
                    for (int sy = 0; sy < ss; ++sy)
                        for (int sx = 0; sx < ss; ++sx) {
                            // Sub-sample position in pixel-area coordinates (pixel x covers [x, x + 1]).
                            const double px = x + (sx + 0.5) / ss;
                            const double py = y + (sy + 0.5) / ss;
                            if (occluded && px - 0.5 >= stripLeft && px - 0.5 <= stripRight) {
                                const float v = fLookup(strip, px - stripLeft + 3, py);
                                sum[0] += 0.9 * v;
                                sum[1] += 0.8 * v;
                                sum[2] += 0.6 * v;
                                continue;
                            }
                            const Point2 c = frameToCard.apply({px, py});
                            if (c.x >= 0 && c.y >= 0 && c.x < cardW && c.y < cardH) {
                                const float a = fLookup(card1, c.x * over, c.y * over);
                                const float b = fLookup(card2, c.x * over, c.y * over);
                                sum[0] += 0.7 * a + 0.3 * b;
                                sum[1] += 0.5 * a + 0.5 * b;
                                sum[2] += 0.2 * a + 0.8 * b;
                            } else {
                                const Point2 q = frameToBack.apply({px, py});
                                const float v = fLookup(back, q.x, q.y);
                                sum[0] += 0.8 * v + 0.1;
                                sum[1] += 0.9 * v;
                                sum[2] += 0.7 * v + 0.05;
                            }
                        }
                    for (int c = 0; c < 3; ++c) {
                        double v = (gain * sum[c] / (ss * ss) + bias) * 255.0;
                        if (o.dNoise > 0.0)
                            v += noise(rowRandom);
                        row[3 * x + c] = std::uint8_t(std::clamp(std::lround(v), 0L, 255L));
                    }
                }
            }
        });
        clip.vecFrames.push_back(frame);
        clip.vecTruth.push_back(truth);
    }
    return clip;
}

} // namespace cardclip
