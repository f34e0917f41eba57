#include "TestEnvironment.h"

#include "standin/imaging/Align.h"
#include "standin/imaging/Composite.h"
#include "standin/imaging/Filters.h"
#include "standin/imaging/Geometry.h"
#include "standin/imaging/Image.h"
#include "standin/imaging/ImageFile.h"
#include "standin/imaging/Lens.h"
#include "standin/imaging/Parallel.h"
#include "standin/imaging/Pyramid.h"
#include "standin/imaging/Warp.h"

#include <QTemporaryDir>
#include <array>
#include <atomic>
#include <cmath>
#include <random>
#include <stdexcept>

Q_DECLARE_METATYPE(standin::imaging::Homography)
Q_DECLARE_METATYPE(std::vector<standin::imaging::Point2>)

using namespace standin::imaging;

namespace {

// A picture defined everywhere: waves of 16 to 60 pixels and soft blobs, values about
// 0.2 .. 0.8. Frames are this function sampled through a known homography, so the answer
// is exact and no resampling stands between it and the aligner.
class Texture {
public:
    explicit Texture(unsigned seed)
    {
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        for (int i = 0; i < 24; ++i) {
            const double angle = unit(random) * M_PI;
            const double wavelength = 16.0 + 44.0 * unit(random);
            m_waves.push_back({std::cos(angle) * 2 * M_PI / wavelength, std::sin(angle) * 2 * M_PI / wavelength,
                unit(random) * 2 * M_PI, 0.04 + 0.04 * unit(random)});
        }
        for (int i = 0; i < 30; ++i)
            m_blobs.push_back(
                {unit(random) * 400, unit(random) * 300, 4.0 + 8.0 * unit(random), (unit(random) - 0.5) * 0.5});
    }
    double value(double x, double y) const
    {
        double v = 0.5;
        for (const Wave& w : m_waves)
            v += w.dAmplitude * std::sin(w.dKx * x + w.dKy * y + w.dPhase);
        for (const Blob& b : m_blobs) {
            // Past 8 sigma a blob adds less than 1e-14 (and exp's underflow path is slow).
            const double q = ((x - b.dX) * (x - b.dX) + (y - b.dY) * (y - b.dY)) / (b.dSigma * b.dSigma);
            if (q < 64.0)
                v += b.dLevel * std::exp(-0.5 * q);
        }
        return v;
    }

private:
    struct Wave {
        double dKx, dKy, dPhase, dAmplitude;
    };
    struct Blob {
        double dX, dY, dSigma, dLevel;
    };
    std::vector<Wave> m_waves;
    std::vector<Blob> m_blobs;
};

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// The texture seen through `motion` (reference to frame), times gain plus bias.
ImageF imgFrame(const Texture& texture, const Homography& motion, double gain = 1.0, double bias = 0.0)
{
    const Homography back = *homInverse(motion);
    ImageF frame(kWidth, kHeight, 1);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Point2 p = back.apply({double(x), double(y)});
            frame.at(x, y) = float(gain * texture.value(p.x, p.y) + bias);
        }
    return frame;
}

// A motion about the image centre: rotation (degrees), scale, shear, perspective, then a move.
Homography homMotion(double degrees, double scale, double shear, double px, double py, double tx, double ty)
{
    const double a = degrees * M_PI / 180.0;
    const Homography linear({scale * std::cos(a), scale * (shear - std::sin(a)), 0, scale * std::sin(a),
        scale * std::cos(a), 0, px, py, 1});
    return Homography::translation(160 + tx, 120 + ty) * linear * Homography::translation(-160, -120);
}

const std::vector<Point2> kQuad {{90, 65}, {235, 70}, {230, 175}, {95, 170}};

double dQuadError(const Homography& found, const Homography& truth, const std::vector<Point2>& quad = kQuad)
{
    return dMaxDistance(vecApply(found, quad), vecApply(truth, quad));
}

double dHomographyError(const Homography& a, const Homography& b, const std::vector<Point2>& points)
{
    return dMaxDistance(vecApply(a, points), vecApply(b, points));
}

} // namespace

class TstImaging : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Views share pixels and clip to the image; clones do not share; bad layouts are empty.
    void buffersShareViewsAndRejectBadLayouts()
    {
        ImageF image(8, 6, 3);
        QCOMPARE(image.stride(), std::ptrdiff_t(24));
        const ImageF part = image.view({6, 4, 5, 5});
        QCOMPARE(part.width(), 2);
        QCOMPARE(part.height(), 2);
        part.at(1, 1, 2) = 0.75f;
        QCOMPARE(image.at(7, 5, 2), 0.75f);
        const ImageF copy = image.clone();
        copy.at(7, 5, 2) = 0.25f;
        QCOMPARE(image.at(7, 5, 2), 0.75f);
        QVERIFY(image.view({20, 20, 4, 4}).empty());

        float outside[4 * 10] = {};
        QVERIFY(ImageF::wrap(outside, 4, 2, 2, 7).empty()); // stride shorter than a row
        const ImageF wrapped = ImageF::wrap(outside, 4, 2, 2, 10);
        wrapped.at(3, 1, 1) = 1.0f;
        QCOMPARE(outside[10 + 7], 1.0f);
        QVERIFY(ImageF(0, 5, 1).empty());
        QVERIFY(ImageF(5, 5, 5).empty());
        QVERIFY(ImageF(1 << 16, 1 << 16, 4).empty()); // too large

        Image8 bytes(2, 1, 1);
        bytes.at(0, 0) = 51;
        bytes.at(1, 0) = 255;
        const ImageF floats = imgToFloat(bytes);
        QCOMPARE(floats.at(0, 0), 0.2f);
        floats.at(0, 0) = -1.0f;
        floats.at(1, 0) = std::nanf("");
        const Image8 back = imgToByte(floats);
        QCOMPARE(int(back.at(0, 0)), 0);
        QCOMPARE(int(back.at(1, 0)), 0);
    }

    void dltRecoversKnownHomography_data()
    {
        QTest::addColumn<Homography>("truth");
        QTest::addColumn<int>("points");
        QTest::addColumn<double>("offset");
        QTest::newRow("four corners, perspective") << homMotion(7, 1.1, 0.05, 4e-4, -3e-4, 12.5, -7.25) << 4 << 0.0;
        QTest::newRow("many points, strong perspective") << homMotion(-25, 0.8, 0.2, 1.5e-3, 1e-3, -40, 3) << 30 << 0.0;
        QTest::newRow("far from the origin (HD frame corner)")
            << homMotion(2, 1.02, 0.0, 2e-5, -1e-5, 1.5, 0.5) << 12 << 1700.0;
    }
    // The normalised DLT gives back the homography that made the pairs, to 1e-6 pixels.
    void dltRecoversKnownHomography()
    {
        QFETCH(Homography, truth);
        QFETCH(int, points);
        QFETCH(double, offset);
        std::mt19937 random(3);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        std::vector<Point2> from {{offset + 50, offset + 40}, {offset + 270, offset + 35}, {offset + 260, offset + 200},
            {offset + 60, offset + 210}};
        while (int(from.size()) < points)
            from.push_back({offset + 40 + 240 * unit(random), offset + 30 + 180 * unit(random)});
        const Homography moved
            = Homography::translation(offset, offset) * truth * Homography::translation(-offset, -offset);
        const Result<Homography> fitted = homFitDlt(from, vecApply(moved, from));
        QVERIFY2(fitted.ok(), fitted.error().c_str());
        std::vector<Point2> grid;
        for (int y = 0; y <= 4; ++y)
            for (int x = 0; x <= 4; ++x)
                grid.push_back({offset + 30 + 65 * x, offset + 25 + 50 * y});
        QVERIFY(dHomographyError(*fitted, moved, grid) < 1e-6);
        QCOMPARE((*fitted)(2, 2), 1.0);
    }

    void dltRefusesDegeneratePoints_data()
    {
        QTest::addColumn<std::vector<Point2>>("from");
        QTest::addColumn<std::vector<Point2>>("to");
        QTest::addColumn<QString>("reason");
        const std::vector<Point2> square {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
        QTest::newRow("three pairs") << std::vector<Point2>(square.begin(), square.begin() + 3)
                                     << std::vector<Point2>(square.begin(), square.begin() + 3) << "too few";
        QTest::newRow("lengths differ") << square << std::vector<Point2>(square.begin(), square.begin() + 3)
                                        << "differ";
        QTest::newRow("three on a line") << std::vector<Point2> {{0, 0}, {5, 0}, {10, 0}, {0, 10}} << square
                                         << "degenerate";
        QTest::newRow("not finite") << std::vector<Point2> {{0, 0}, {10, 0}, {10, std::nan("")}, {0, 10}} << square
                                    << "finite";
    }
    void dltRefusesDegeneratePoints()
    {
        QFETCH(std::vector<Point2>, from);
        QFETCH(std::vector<Point2>, to);
        QFETCH(QString, reason);
        const Result<Homography> fitted = homFitDlt(from, to);
        QVERIFY(!fitted.ok());
        QVERIFY2(QString::fromStdString(fitted.error()).contains(reason), fitted.error().c_str());
        QVERIFY_THROWS_EXCEPTION(std::logic_error, fitted.value());
    }

    // Composition applies right to left; the inverse undoes; a singular matrix has no inverse;
    // the prediction continues a constant step.
    void homographyAlgebra()
    {
        const Homography a = homMotion(10, 1.2, 0.1, 1e-3, 5e-4, 3, -4);
        const Homography b = homMotion(-4, 0.9, 0.0, -2e-4, 1e-3, -8, 2);
        const Point2 p {37.5, 81.25};
        const Point2 direct = (a * b).apply(p);
        const Point2 chained = a.apply(b.apply(p));
        QVERIFY(std::hypot(direct.x - chained.x, direct.y - chained.y) < 1e-9);
        const Point2 back = homInverse(a)->apply(a.apply(p));
        QVERIFY(std::hypot(back.x - p.x, back.y - p.y) < 1e-9);
        QVERIFY(!homInverse(Homography({1, 2, 3, 2, 4, 6, 0, 0, 1})).ok());

        const Homography step = Homography::translation(3, -1) * homMotion(1, 1.01, 0, 0, 0, 0, 0);
        const Homography previous = step * step;
        const Homography next = homPredictNext(previous, step);
        QVERIFY(dHomographyError(next, step * step * step, kQuad) < 1e-9);
    }

    void motionModels_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<Homography>("inside");
        QTest::addColumn<Homography>("outside");
        QTest::newRow("translation") << int(MotionModel::Translation) << Homography::translation(2.5, -1)
                                     << homMotion(1, 1, 0, 0, 0, 2, 0);
        QTest::newRow("similarity") << int(MotionModel::Similarity) << homMotion(12, 1.3, 0, 0, 0, 4, 5)
                                    << homMotion(12, 1.3, 0.1, 0, 0, 4, 5);
        QTest::newRow("affine") << int(MotionModel::Affine) << homMotion(12, 1.3, 0.1, 0, 0, 4, 5)
                                << homMotion(12, 1.3, 0.1, 1e-3, 0, 4, 5);
        QTest::newRow("perspective") << int(MotionModel::Perspective) << homMotion(12, 1.3, 0.1, 1e-3, -2e-3, 4, 5)
                                     << Homography();
    }
    // Each model's parameters give its motions back; motions it cannot express are told
    // apart; a least-squares fit of the model finds its motion from point pairs.
    void motionModels()
    {
        QFETCH(int, model);
        QFETCH(Homography, inside);
        QFETCH(Homography, outside);
        const MotionModel m = MotionModel(model);
        double p[8] = {};
        QVERIFY(bToParameters(m, inside, p));
        QVERIFY(dHomographyError(homFromParameters(m, p), inside, kQuad) < 1e-9);
        if (m != MotionModel::Perspective)
            QVERIFY(!bIsInModel(m, outside));
        const Result<Homography> fitted = homFitMotion(m, kQuad, vecApply(inside, kQuad));
        QVERIFY2(fitted.ok(), fitted.error().c_str());
        QVERIFY(dHomographyError(*fitted, inside, kQuad) < 1e-9);
        QVERIFY(bIsInModel(m, *fitted));
        // A perspective motion restricted to the model stays in the model and close by.
        const Homography tilted = inside * homMotion(0, 1, 0, 2e-4, 1e-4, 0, 0);
        const Result<Homography> restricted = homRestrictToModel(m, tilted, kQuad);
        QVERIFY(restricted.ok());
        QVERIFY(bIsInModel(m, *restricted, 1e-9));
        QVERIFY(dHomographyError(*restricted, tilted, kQuad) < 10.0);
        // Too few or degenerate pairs for the model.
        const std::vector<Point2> line {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
        if (m != MotionModel::Translation && m != MotionModel::Similarity)
            QVERIFY(!homFitMotion(m, line, line).ok());
        QVERIFY(!homFitMotion(m, {}, {}).ok());
    }

    // A reduction keeps pixel (i, j) at (2i, 2j): on a linear ramp the levels hold the ramp's
    // values there exactly (away from the border); the gradients are its slopes.
    void pyramidKeepsCoordinates()
    {
        ImageF ramp(37, 29, 2);
        for (int y = 0; y < ramp.height(); ++y)
            for (int x = 0; x < ramp.width(); ++x) {
                ramp.at(x, y, 0) = float(0.25 * x + 0.5 * y + 1.0);
                ramp.at(x, y, 1) = float(2.0 - 0.125 * x);
            }
        const std::vector<ImageF> pyramid = vecBuildPyramid(ramp, 3);
        QCOMPARE(int(pyramid.size()), 3);
        QCOMPARE(pyramid[0].data(), ramp.data());
        QCOMPARE(pyramid[1].width(), 19);
        QCOMPARE(pyramid[1].height(), 15);
        QCOMPARE(pyramid[2].width(), 10);
        for (int l = 1; l < 3; ++l) {
            const int s = 1 << l;
            for (int y = 2; y < pyramid[l].height() - 2; ++y)
                for (int x = 2; x < pyramid[l].width() - 2; ++x) {
                    QCOMPARE(pyramid[l].at(x, y, 0), float(0.25 * s * x + 0.5 * s * y + 1.0));
                    QCOMPARE(pyramid[l].at(x, y, 1), float(2.0 - 0.125 * s * x));
                }
        }
        ImageF grey(9, 7, 1);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x)
                grey.at(x, y) = float(3 * x - 2 * y);
        ImageF gx;
        ImageF gy;
        vGradients(grey, gx, gy);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x) {
                QCOMPARE(gx.at(x, y), 3.0f);
                QCOMPARE(gy.at(x, y), -2.0f);
            }
        QVERIFY(vecBuildPyramid(ImageF(), 3).empty());
    }

    // Filters on pixels with known answers.
    void filtersOnKnownPixels()
    {
        ImageF impulse(15, 15, 1);
        impulse.at(7, 7) = 1.0f;
        const ImageF box = imgBoxBlur(impulse, 2);
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 15; ++x)
                QVERIFY(std::fabs(box.at(x, y) - ((std::abs(x - 7) <= 2 && std::abs(y - 7) <= 2) ? 1.0f / 25 : 0.0f))
                    < 1e-7f);

        const ImageF gauss = imgGaussianBlur(impulse, 1.5);
        double total = 0.0;
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 15; ++x) {
                total += gauss.at(x, y);
                QCOMPARE(gauss.at(x, y), gauss.at(14 - x, y));
                QCOMPARE(gauss.at(x, y), gauss.at(y, x));
            }
        QVERIFY(std::fabs(total - 1.0) < 1e-5);
        // The centre of a sampled Gaussian of sigma 1.5: (1 / sum over the taps)^2.
        double taps = 0.0;
        for (int k = -5; k <= 5; ++k)
            taps += std::exp(-0.5 * k * k / 2.25);
        QVERIFY(std::fabs(gauss.at(7, 7) - 1.0 / (taps * taps)) < 1e-6);

        // Edges repeat the border: a constant stays constant, also in a corner.
        ImageF flat(6, 5, 3);
        flat.fill(0.4f);
        const ImageF blurred = imgGaussianBlur(imgBoxBlur(flat, 3), 2.0);
        QVERIFY(std::fabs(blurred.at(0, 0, 2) - 0.4f) < 1e-6f);

        // Unsharp masking steepens a step and leaves details below the threshold alone.
        ImageF step(12, 1, 1);
        for (int x = 0; x < 12; ++x)
            step.at(x, 0) = x < 6 ? 0.2f : 0.6f;
        const ImageF sharp = imgUnsharpMask(step, 1.0, 1.0);
        QVERIFY(sharp.at(5, 0) < 0.2f);
        QVERIFY(sharp.at(6, 0) > 0.6f);
        QCOMPARE(sharp.at(0, 0), 0.2f);
        const ImageF kept = imgUnsharpMask(step, 1.0, 1.0, 0.5);
        QCOMPARE(kept.at(5, 0), 0.2f);

        // Grey: Rec. 709 weights of RGB(A), the grey channel of grey-alpha.
        Image8 rgba(1, 1, 4);
        rgba.at(0, 0, 0) = 255;
        rgba.at(0, 0, 1) = 0;
        rgba.at(0, 0, 2) = 255;
        rgba.at(0, 0, 3) = 10;
        QVERIFY(std::fabs(imgToGrey(rgba).at(0, 0) - (0.2126f + 0.0722f)) < 1e-6f);
        ImageF greyAlpha(1, 1, 2);
        greyAlpha.at(0, 0, 0) = 0.3f;
        greyAlpha.at(0, 0, 1) = 0.9f;
        QCOMPARE(imgToGrey(greyAlpha).at(0, 0), 0.3f);
        QCOMPARE(imgToGrey(greyAlpha, GreyWeights {1, 0, 0}).at(0, 0), 0.3f);
        ImageF rgb(1, 1, 3);
        rgb.at(0, 0, 1) = 1.0f;
        QCOMPARE(imgToGrey(rgb, GreyWeights {0, 0.5f, 0}).at(0, 0), 0.5f);
    }

    // Warping by a homography and back gives the picture again; whole-pixel moves copy
    // pixels; coverage tells where the source was; the general mapping and its map agree.
    void warpRoundTrips()
    {
        const Texture texture(11);
        const ImageF source = imgFrame(texture, Homography());
        const Homography there = homMotion(9, 1.15, 0.05, 3e-4, -2e-4, 6.5, -3.25);
        const Result<ImageF> moved = imgWarpHomography(source, there, kWidth, kHeight);
        QVERIFY(moved.ok());
        // Bilinear resampling of a picture with 16-pixel waves against its exact values.
        const ImageF exact = imgFrame(texture, there);
        ImageF coverage;
        const Result<ImageF> back
            = imgWarpHomography(*moved, *homInverse(there), kWidth, kHeight, Border::Zero, &coverage);
        QVERIFY(back.ok());
        double worstMoved = 0.0;
        double worstBack = 0.0;
        for (int y = 100; y < 140; ++y)
            for (int x = 130; x < 190; ++x) {
                worstMoved = std::max(worstMoved, double(std::fabs(moved->at(x, y) - exact.at(x, y))));
                worstBack = std::max(worstBack, double(std::fabs(back->at(x, y) - source.at(x, y))));
                QCOMPARE(coverage.at(x, y), 1.0f);
            }
        QVERIFY2(worstMoved < 0.01, qPrintable(QString::number(worstMoved)));
        QVERIFY2(worstBack < 0.02, qPrintable(QString::number(worstBack)));

        // Whole-pixel and half-pixel moves, and the coverage at the edge.
        const Result<ImageF> shifted
            = imgWarpHomography(source, Homography::translation(3, -2), kWidth, kHeight, Border::Zero, &coverage);
        QCOMPARE(shifted->at(50, 50), source.at(47, 52));
        QCOMPARE(shifted->at(2, 50), 0.0f);
        QCOMPARE(coverage.at(2, 50), 0.0f);
        const Result<ImageF> half
            = imgWarpHomography(source, Homography::translation(0.5, 0), kWidth, kHeight, Border::Zero, &coverage);
        QVERIFY(std::fabs(half->at(40, 9) - 0.5f * (source.at(39, 9) + source.at(40, 9))) < 1e-6f);
        QCOMPARE(coverage.at(0, 9), 0.5f);
        const Result<ImageF> clamped
            = imgWarpHomography(source, Homography::translation(3, 0), kWidth, kHeight, Border::Clamp);
        QCOMPARE(clamped->at(1, 20), source.at(0, 20));

        // The mapping evaluated on the fly and through a map give the same picture.
        const Homography inverse = *homInverse(there);
        const PixelMapping mapping = [&](double x, double y, double& sx, double& sy) {
            const Point2 p = inverse.apply({x, y});
            sx = p.x;
            sy = p.y;
            return true;
        };
        const Result<ImageF> direct = imgWarp(source, mapping, kWidth, kHeight);
        const Result<ImageF> mapped = imgRemap(source, imgBuildMap(kWidth, kHeight, mapping));
        QVERIFY(direct.ok() && mapped.ok());
        QVERIFY(std::fabs(direct->at(160, 120) - moved->at(160, 120)) < 1e-6f);
        QVERIFY(std::fabs(mapped->at(160, 120) - moved->at(160, 120)) < 1e-4f);
        // 8-bit frames warp alike.
        const Result<Image8> bytes
            = imgWarpHomography(imgToByte(source), Homography::translation(3, -2), kWidth, kHeight);
        QCOMPARE(int(bytes->at(50, 50)), int(imgToByte(source).at(47, 52)));

        // The source's line x = 200 goes to infinity: its part beyond (such as (300, 100), which
        // lands at (240, 100) through infinity) is behind the view and not drawn; the part in
        // front (such as (100, 20) at (160, 60)) is.
        const Homography horizon({-1, 0, 180, 0, -1, 50, -0.005, 0, 1});
        QVERIFY(dMaxDistance(vecApply(horizon, {{300, 100}, {100, 20}}), {{240, 100}, {160, 60}}) < 1e-9);
        const Result<ImageF> tilted = imgWarpHomography(source, horizon, kWidth, kHeight, Border::Zero, &coverage);
        QVERIFY2(tilted.ok(), tilted.error().c_str());
        QCOMPARE(coverage.at(240, 100), 0.0f);
        QCOMPARE(tilted->at(240, 100), 0.0f);
        QCOMPARE(coverage.at(160, 60), 1.0f);
        QVERIFY(std::fabs(tilted->at(160, 60) - source.at(100, 20)) < 1e-5f);

        QVERIFY(!imgWarpHomography(source, Homography({1, 2, 3, 2, 4, 6, 0, 0, 1}), 10, 10).ok());
        QVERIFY(!imgWarpHomography(source, Homography(), 0, 10).ok());
        QVERIFY(!imgRemap(source, ImageF(4, 4, 1)).ok());
    }

    void blendModes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<float>("blended");
        // Background 0.6, foreground 0.5.
        QTest::newRow("normal") << int(BlendMode::Normal) << 0.5f;
        QTest::newRow("add") << int(BlendMode::Add) << 1.1f;
        QTest::newRow("subtract") << int(BlendMode::Subtract) << 0.1f;
        QTest::newRow("multiply") << int(BlendMode::Multiply) << 0.3f;
        QTest::newRow("screen") << int(BlendMode::Screen) << 0.8f;
    }
    // Each mode on known pixels, through a matte, with opacity, and through the
    // foreground's own alpha; the background's alpha gains coverage.
    void blendModes()
    {
        QFETCH(int, mode);
        QFETCH(float, blended);
        const BlendMode m = BlendMode(mode);
        ImageF background(3, 1, 4);
        ImageF foreground(3, 1, 3);
        ImageF matte(3, 1, 1);
        background.fill(0.6f);
        for (int x = 0; x < 3; ++x)
            background.at(x, 0, 3) = 0.5f;
        foreground.fill(0.5f);
        matte.at(0, 0) = 1.0f;
        matte.at(1, 0) = 0.5f;
        QVERIFY(stComposite(background, foreground, matte, m, 0.8f).ok());
        for (int c = 0; c < 3; ++c) {
            QVERIFY(std::fabs(background.at(0, 0, c) - (0.6f + 0.8f * (blended - 0.6f))) < 1e-6f);
            QVERIFY(std::fabs(background.at(1, 0, c) - (0.6f + 0.4f * (blended - 0.6f))) < 1e-6f);
            QCOMPARE(background.at(2, 0, c), 0.6f);
        }
        QVERIFY(std::fabs(background.at(0, 0, 3) - (0.5f + 0.8f * 0.5f)) < 1e-6f);
        QCOMPARE(background.at(2, 0, 3), 0.5f);

        // Without a matte, the foreground's alpha decides.
        ImageF grey(2, 1, 1);
        grey.fill(0.6f);
        ImageF greyAlpha(2, 1, 2);
        greyAlpha.at(0, 0, 0) = 0.5f;
        greyAlpha.at(0, 0, 1) = 0.25f;
        greyAlpha.at(1, 0, 0) = 0.5f;
        QVERIFY(stComposite(grey, greyAlpha, ImageF(), m).ok());
        QVERIFY(std::fabs(grey.at(0, 0) - (0.6f + 0.25f * (blended - 0.6f))) < 1e-6f);
        QCOMPARE(grey.at(1, 0), 0.6f);
        QCOMPARE(fBlend(m, 0.6f, 0.5f), blended);

        QVERIFY(!stComposite(background, ImageF(2, 1, 3), ImageF(), m).ok());
        QVERIFY(!stComposite(background, grey.view({0, 0, 1, 1}), ImageF(), m).ok());
        QVERIFY(!stComposite(background, foreground, ImageF(3, 1, 2), m).ok());
    }

    // A polygon's matte covers the pixel centres inside it (its area when supersampled), and
    // feathering ramps its edge from 0 to 1 around the outline.
    void mattesAndFeathering()
    {
        const ImageF hard = imgRasterisePolygon({{2.5, 1.5}, {7.5, 1.5}, {7.5, 5.5}, {2.5, 5.5}}, 10, 8);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 10; ++x)
                QCOMPARE(hard.at(x, y), (x >= 3 && x <= 7 && y >= 2 && y <= 5) ? 1.0f : 0.0f);
        const std::vector<Point2> triangle {{5.2, 3.1}, {60.7, 10.4}, {20.3, 44.9}};
        const ImageF soft = imgRasterisePolygon(triangle, 64, 48, 8);
        double area = 0.0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                area += soft.at(x, y);
        const double exact = 0.5 * std::fabs((60.7 - 5.2) * (44.9 - 3.1) - (20.3 - 5.2) * (10.4 - 3.1));
        QVERIFY2(std::fabs(area - exact) < 0.01 * exact, qPrintable(QString("%1 %2").arg(area).arg(exact)));

        ImageF edge(40, 3, 1);
        for (int y = 0; y < 3; ++y)
            for (int x = 20; x < 40; ++x)
                edge.at(x, y) = 1.0f;
        const ImageF feathered = imgFeatherMatte(edge, 6.0);
        for (int x = 1; x < 40; ++x)
            QVERIFY(feathered.at(x, 1) >= feathered.at(x - 1, 1));
        QVERIFY(feathered.at(13, 1) < 0.03f);
        QVERIFY(feathered.at(26, 1) > 0.97f);
        QVERIFY(std::fabs(0.5f * (feathered.at(19, 1) + feathered.at(20, 1)) - 0.5f) < 1e-3f);
        QVERIFY(feathered.at(17, 1) > 0.1f);
    }

    void lensRoundTrip_data()
    {
        QTest::addColumn<double>("k1");
        QTest::addColumn<double>("k2");
        QTest::newRow("barrel") << -0.18 << 0.0;
        QTest::newRow("pincushion") << 0.12 << 0.0;
        QTest::newRow("two terms, mixed") << -0.25 << 0.06;
        QTest::newRow("two terms, strong") << 0.3 << 0.15;
    }
    // Distorting and undistorting every point of an HD frame comes back to 1e-6 pixels;
    // points beyond the model's reach fail instead of folding back.
    void lensRoundTrip()
    {
        QFETCH(double, k1);
        QFETCH(double, k2);
        RadialLens lens;
        lens.dK1 = k1;
        lens.dK2 = k2;
        lens.ptCentre = {963.5, 538.25};
        lens.dFocal = 1400.0;
        double worst = 0.0;
        for (int y = 0; y <= 1080; y += 60)
            for (int x = 0; x <= 1920; x += 80) {
                const Point2 p {double(x), double(y)};
                const Result<Point2> u = ptUndistort(lens, ptDistort(lens, p));
                QVERIFY2(u.ok(), u.error().c_str());
                worst = std::max(worst, std::hypot(u->x - p.x, u->y - p.y));
                const Result<Point2> d = ptUndistort(lens, p);
                QVERIFY(d.ok());
                const Point2 again = ptDistort(lens, *d);
                worst = std::max(worst, std::hypot(again.x - p.x, again.y - p.y));
            }
        QVERIFY2(worst < 1e-6, qPrintable(QString::number(worst)));
        QCOMPARE(ptUndistort(lens, lens.ptCentre)->x, lens.ptCentre.x);
        if (k1 < 0 && k2 == 0) {
            // g(r) = r (1 + k1 r^2) peaks at r = 1 / sqrt(-3 k1); nothing maps beyond it.
            const double peak = 1.0 / std::sqrt(-3.0 * k1);
            const double reach = peak * (1.0 + k1 * peak * peak) * lens.dFocal;
            QVERIFY(!ptUndistort(lens, {lens.ptCentre.x + reach * 1.01, lens.ptCentre.y}).ok());
            QVERIFY(ptUndistort(lens, {lens.ptCentre.x + reach * 0.99, lens.ptCentre.y}).ok());
        }
        RadialLens broken = lens;
        broken.dFocal = 0.0;
        QVERIFY(!ptUndistort(broken, {1, 1}).ok());
    }

    // Every point on the growing part of the model, for strong and weak, barrel and pincushion
    // lenses (and a k2 that is only rounding away from 0), comes back from the inverse.
    void lensInverseOnWholeGrowingBranch()
    {
        std::vector<double> k2s {1e-17, -1e-17};
        for (int j = -6; j <= 6; ++j)
            k2s.push_back(0.05 * j);
        int checked = 0;
        for (int i = -10; i <= 10; ++i)
            for (const double k2 : k2s) {
                RadialLens lens;
                lens.dK1 = 0.05 * i;
                lens.dK2 = k2;
                for (double r = 0.01; r < 3.0; r += 0.01) {
                    const double s = r * r;
                    if (1.0 + 3.0 * lens.dK1 * s + 5.0 * k2 * s * s <= 0.0)
                        break;
                    const Result<Point2> back = ptUndistort(lens, ptDistort(lens, {r * 0.6, r * 0.8}));
                    QVERIFY2(back.ok() && std::hypot(back->x - r * 0.6, back->y - r * 0.8) < 1e-9,
                        qPrintable(QString("k1 %1 k2 %2 r %3").arg(lens.dK1).arg(k2).arg(r)));
                    ++checked;
                }
            }
        QVERIFY(checked > 10000);
    }

    // Total least squares finds a line however it runs; the residual is the noise's.
    void lineFit()
    {
        for (const double degrees : {0.0, 33.0, 90.0, 141.0}) {
            std::mt19937 random(int(degrees) + 1);
            std::normal_distribution<double> noise(0.0, 0.5);
            const double a = degrees * M_PI / 180.0;
            std::vector<Point2> points;
            for (int i = 0; i < 400; ++i) {
                const double t = -200.0 + i;
                const double off = noise(random);
                points.push_back({100 + t * std::cos(a) - off * std::sin(a), 50 + t * std::sin(a) + off * std::cos(a)});
            }
            const Result<Line2> line = lnFitLine(points);
            QVERIFY(line.ok());
            // The direction up to its sign, within what 400 points with 0.5 px noise fix.
            const double cross = line->ptDirection.x * std::sin(a) - line->ptDirection.y * std::cos(a);
            QVERIFY2(std::fabs(cross) < 5e-4, qPrintable(QString::number(cross)));
            QVERIFY(std::fabs(line->dDistance({100, 50})) < 0.1);
            QVERIFY2(std::fabs(line->dRms - 0.5) < 0.05, qPrintable(QString::number(line->dRms)));
        }
        QVERIFY(!lnFitLine({{1, 1}}).ok());
        QVERIFY(!lnFitLine({{1, 1}, {1, 1}, {1, 1}}).ok());
    }

    void lensCalibration_data()
    {
        QTest::addColumn<double>("k1");
        QTest::addColumn<double>("k2");
        QTest::addColumn<double>("startK1");
        QTest::addColumn<bool>("fitK2");
        QTest::addColumn<bool>("fitCentre");
        QTest::addColumn<bool>("fits");
        QTest::newRow("k1") << -0.12 << 0.0 << 0.0 << false << false << true;
        QTest::newRow("k1 and k2") << -0.2 << 0.05 << 0.0 << true << false << true;
        QTest::newRow("k1 and centre") << 0.09 << 0.0 << 0.0 << false << true << true;
        QTest::newRow("k1 and centre, from far off") << -0.2 << 0.0 << 3.0 << false << true << true;
        QTest::newRow("centre of a lens without distortion") << 0.0 << 0.0 << 0.0 << false << true << false;
    }
    // Straight lines seen through a known lens give that lens back; lines that cannot fix
    // what is asked give a failure, not a centre somewhere.
    void lensCalibration()
    {
        QFETCH(double, k1);
        QFETCH(double, k2);
        QFETCH(double, startK1);
        QFETCH(bool, fitK2);
        QFETCH(bool, fitCentre);
        QFETCH(bool, fits);
        RadialLens truth;
        truth.dK1 = k1;
        truth.dK2 = k2;
        truth.ptCentre = {fitCentre ? 990.0 : 960.0, fitCentre ? 520.0 : 540.0};
        truth.dFocal = 1200.0;
        // A grid of straight lines across the frame, each seen through the lens.
        std::vector<std::vector<Point2>> lines;
        for (int i = 0; i < 7; ++i) {
            std::vector<Point2> across;
            std::vector<Point2> down;
            for (int k = 0; k <= 20; ++k) {
                across.push_back(ptDistort(truth, {100.0 + 86.0 * k, 80.0 + 150.0 * i}));
                down.push_back(ptDistort(truth, {150.0 + 270.0 * i, 60.0 + 48.0 * k}));
            }
            lines.push_back(across);
            lines.push_back(down);
        }
        RadialLens start;
        start.dK1 = startK1;
        start.ptCentre = {960.0, 540.0};
        start.dFocal = 1200.0;
        LensFitOptions options;
        options.bFitK2 = fitK2;
        options.bFitCentre = fitCentre;
        const Result<RadialLens> fitted = lensFitToLines(lines, start, options);
        if (!fits) {
            QVERIFY(!fitted.ok());
            QVERIFY2(fitted.error().find("no distortion") != std::string::npos, fitted.error().c_str());
            return;
        }
        QVERIFY2(fitted.ok(), fitted.error().c_str());
        QVERIFY2(std::fabs(fitted->dK1 - k1) < 1e-4, qPrintable(QString::number(fitted->dK1)));
        QVERIFY(std::fabs(fitted->dK2 - k2) < 1e-4);
        QVERIFY(std::fabs(fitted->ptCentre.x - truth.ptCentre.x) < 0.5);
        QVERIFY(std::fabs(fitted->ptCentre.y - truth.ptCentre.y) < 0.5);
        QCOMPARE(fitted->dFocal, 1200.0);

        QVERIFY(!lensFitToLines({{{1, 1}, {2, 2}}}, start).ok());
        QVERIFY(!lensFitToLines({}, start).ok());
    }

    void imageFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("deep");
        QTest::addColumn<double>("tolerance");
        QTest::newRow("PNG grey 8-bit") << "a.png" << 1 << false << 0.0;
        QTest::newRow("PNG RGB 8-bit") << "b.png" << 3 << false << 0.0;
        QTest::newRow("PNG RGBA 8-bit") << "c.png" << 4 << false << 0.0;
        QTest::newRow("PNG grey 16-bit") << "d.png" << 1 << true << 1.0 / 65535;
        QTest::newRow("PNG RGBA 16-bit") << "e.png" << 4 << true << 1.0 / 65535;
        QTest::newRow("TIFF RGB 16-bit") << "f.tif" << 3 << true << 1.0 / 65535;
        QTest::newRow("JPEG RGB") << "g.jpg" << 3 << false << 0.1;
    }
    // What is written is read back with its channels and depth.
    void imageFiles()
    {
        QFETCH(QString, name);
        QFETCH(int, channels);
        QFETCH(bool, deep);
        QFETCH(double, tolerance);
        QTemporaryDir folder;
        const std::string path = folder.filePath(name).toStdString();
        ImageF picture(23, 17, channels);
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 23; ++x)
                for (int c = 0; c < channels; ++c)
                    picture.at(x, y, c) = float(0.3 + 0.2 * std::sin(0.3 * x + 0.2 * y + c) + (c == 3 ? 0.4 : 0.0));
        if (!deep)
            picture = imgToFloat(imgToByte(picture));
        const Status written = deep ? stWriteImage(path, picture, 100) : stWriteImage(path, imgToByte(picture), 100);
        QVERIFY2(written.ok(), written.error().c_str());
        const Result<ImageF> read = imgReadImageF(path);
        QVERIFY2(read.ok(), read.error().c_str());
        QCOMPARE(read->width(), 23);
        QCOMPARE(read->height(), 17);
        QCOMPARE(read->channels(), channels);
        double worst = 0.0;
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 23; ++x)
                for (int c = 0; c < channels; ++c)
                    worst = std::max(worst, double(std::fabs(read->at(x, y, c) - picture.at(x, y, c))));
        QVERIFY2(worst <= tolerance + 1e-7, qPrintable(QString::number(worst)));
        const Result<Image8> bytes = imgReadImage8(path);
        QVERIFY(bytes.ok());
        QCOMPARE(bytes->channels(), channels);
    }

    void imageFilesFailWithReason()
    {
        QTemporaryDir folder;
        const Result<ImageF> missing = imgReadImageF(folder.filePath("none.png").toStdString());
        QVERIFY(!missing.ok());
        QVERIFY(missing.error().find("none.png") != std::string::npos);
        QFile junk(folder.filePath("junk.png"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a picture");
        junk.close();
        QVERIFY(!imgReadImage8(junk.fileName().toStdString()).ok());
        QVERIFY(!stWriteImage(folder.filePath("no/such/folder/x.png").toStdString(), Image8(4, 4, 3)).ok());
        QVERIFY(!stWriteImage(folder.filePath("empty.png").toStdString(), Image8()).ok());
    }

    // Every task runs once, on any number of threads, back to back; a throwing task reaches
    // the caller and the pool stays usable.
    void workerPool()
    {
        for (const int threads : {1, 2, 3, 8}) {
            WorkerPool pool(threads);
            for (int round = 0; round < 200; ++round) {
                std::vector<std::atomic<int>> runs(37);
                pool.vRun(37, [&](int task) { runs[std::size_t(task)]++; });
                for (const std::atomic<int>& r : runs)
                    QCOMPARE(r.load(), 1);
            }
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, pool.vRun(10, [](int task) {
                if (task == 7)
                    throw std::runtime_error("task 7");
            }));
            std::atomic<int> after {0};
            pool.vRun(5, [&](int) { after++; });
            QCOMPARE(after.load(), 5);
            std::vector<int> covered(1000, 0);
            vParallelFor(
                1000, threads, 10,
                [&](int begin, int end) {
                    for (int i = begin; i < end; ++i)
                        covered[std::size_t(i)]++;
                },
                &pool);
            QVERIFY(std::all_of(covered.begin(), covered.end(), [](int c) { return c == 1; }));
        }
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, vParallelFor(100, 4, 1, [](int begin, int) {
            if (begin > 0)
                throw std::runtime_error("part");
        }));
    }

    void alignerRecoversKnownMotion_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("solver");
        QTest::addColumn<Homography>("truth");
        QTest::addColumn<Homography>("seed");
        const struct {
            const char* name;
            MotionModel model;
            Homography truth;
        } motions[] = {
            {"translation", MotionModel::Translation, Homography::translation(4.37, -3.61)},
            {"similarity", MotionModel::Similarity, homMotion(4, 1.06, 0, 0, 0, -3.3, 2.2)},
            {"affine", MotionModel::Affine, homMotion(-3, 0.95, 0.06, 0, 0, 2.7, 1.9)},
            {"perspective", MotionModel::Perspective, homMotion(3, 1.04, 0.03, 2.5e-4, -2e-4, -2.2, 3.1)},
        };
        for (const auto& m : motions)
            for (const AlignSolver solver : {AlignSolver::SecondOrder, AlignSolver::InverseCompositional}) {
                const char* solverName = solver == AlignSolver::SecondOrder ? "second order" : "inverse compositional";
                QTest::addRow("%s, %s, from rest", m.name, solverName)
                    << int(m.model) << int(solver) << m.truth << Homography();
                // A seed off by a pixel and a half: how a track's prediction may miss.
                QTest::addRow("%s, %s, from a seed nearby", m.name, solverName)
                    << int(m.model) << int(solver) << m.truth << Homography::translation(1.5, -1.0) * m.truth;
                // A seed the model cannot express is brought into it first.
                if (m.model != MotionModel::Perspective && solver == AlignSolver::SecondOrder)
                    QTest::addRow("%s, %s, from a seed outside the model", m.name, solverName) << int(
                        m.model) << int(solver) << m.truth << homMotion(0, 1, 0.02, 2e-4, -1e-4, 0.5, 0.5) * m.truth;
            }
    }
    // Each model finds a motion it can express to 1e-3 pixels at the region's corners, with
    // either solver, on a frame that is the same picture seen through the motion.
    void alignerRecoversKnownMotion()
    {
        QFETCH(int, model);
        QFETCH(int, solver);
        QFETCH(Homography, truth);
        QFETCH(Homography, seed);
        const Texture texture(7);
        AlignParameters params;
        params.eModel = MotionModel(model);
        params.eSolver = AlignSolver(solver);
        PlanarAligner aligner(2);
        const Status set = aligner.stSetReference(imgFrame(texture, Homography()), kQuad, params);
        QVERIFY2(set.ok(), set.error().c_str());
        QVERIFY(aligner.levels() >= 2);
        const AlignResult result = aligner.align(imgFrame(texture, truth), seed);
        QVERIFY2(result.bOk, result.strReason.c_str());
        QCOMPARE(int(result.eFailure), int(AlignFailure::None));
        const double error = dQuadError(result.hom, truth);
        QVERIFY2(error < 1e-3, qPrintable(QString::number(error)));
        QVERIFY(bIsInModel(params.eModel, result.hom, 1e-9));
        QVERIFY(result.dCorrelation > 0.999);
        QVERIFY(result.dInlierFraction > 0.5);
        QVERIFY(result.dUncertainty < 0.01);
    }

    // A small patch (the size a reference point nudges) is found again after a sub-pixel
    // shift, on 8-bit frames in colour.
    void alignerFindsShiftedPatch()
    {
        const Texture texture(21);
        const Homography shift = Homography::translation(0.37, -0.61);
        auto colour = [](const ImageF& grey) {
            Image8 out(grey.width(), grey.height(), 3);
            for (int y = 0; y < grey.height(); ++y)
                for (int x = 0; x < grey.width(); ++x)
                    for (int c = 0; c < 3; ++c)
                        out.at(x, y, c) = std::uint8_t(std::lround(std::clamp(grey.at(x, y) * 255.0f, 0.0f, 255.0f)));
            return out;
        };
        const std::vector<Point2> patch {{150, 110}, {170, 110}, {170, 130}, {150, 130}};
        AlignParameters params;
        params.eModel = MotionModel::Translation;
        PlanarAligner aligner(1);
        QVERIFY(aligner.stSetReference(colour(imgFrame(texture, Homography())), patch, params).ok());
        QCOMPARE(aligner.levels(), 1);
        const AlignResult result = aligner.align(colour(imgFrame(texture, shift)), Homography());
        QVERIFY2(result.bOk, result.strReason.c_str());
        // 8-bit rounding of a 21-pixel patch: within a hundredth of a pixel.
        const double error = dQuadError(result.hom, shift, patch);
        QVERIFY2(error < 0.01, qPrintable(QString::number(error)));
    }

    void alignerToleratesLighting_data()
    {
        QTest::addColumn<double>("gain");
        QTest::addColumn<double>("bias");
        QTest::newRow("brighter") << 1.3 << 0.1;
        QTest::newRow("darker") << 0.6 << -0.05;
    }
    // A change of gain and bias between reference and frame does not move the answer, and
    // the aligner reports the change.
    void alignerToleratesLighting()
    {
        QFETCH(double, gain);
        QFETCH(double, bias);
        const Texture texture(5);
        const Homography truth = homMotion(2, 1.03, 0.02, 1.5e-4, 1e-4, 2.5, -1.5);
        PlanarAligner aligner(2);
        QVERIFY(aligner.stSetReference(imgFrame(texture, Homography()), kQuad, AlignParameters {}).ok());
        const AlignResult result = aligner.align(imgFrame(texture, truth, gain, bias), Homography());
        QVERIFY2(result.bOk, result.strReason.c_str());
        const double error = dQuadError(result.hom, truth);
        QVERIFY2(error < 1e-3, qPrintable(QString::number(error)));
        QVERIFY(std::fabs(result.dGain - gain) < 1e-3);
        QVERIFY(std::fabs(result.dBias - bias) < 1e-3);
    }

    void alignerSurvivesPartialOcclusion_data()
    {
        QTest::addColumn<double>("grain");
        QTest::addColumn<double>("tolerance");
        QTest::newRow("clean") << 0.0 << 0.01;
        QTest::newRow("grainy") << 0.03 << 0.2;
    }
    // With a quarter of the region covered by something else the match still holds, and its
    // figures show the cover, also on grainy frames (where the cover's pixels that happen to
    // match must stay out with their neighbours); with most of it covered the aligner fails
    // and says why.
    void alignerSurvivesPartialOcclusion()
    {
        QFETCH(double, grain);
        QFETCH(double, tolerance);
        const Texture texture(9);
        const Texture other(99);
        const Homography truth = homMotion(-2, 0.98, 0.0, -1e-4, 2e-4, -1.5, 2.0);
        ImageF frame = imgFrame(texture, truth);
        std::mt19937 random(43);
        std::normal_distribution<float> noise(0.0f, float(grain));
        ImageF covered = frame.clone();
        // A strip over the left quarter of the region, and one over three quarters.
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                if (x >= 80 && x < 125)
                    frame.at(x, y) = float(other.value(x, y));
                if (x >= 80 && x < 205)
                    covered.at(x, y) = float(other.value(x, y));
                if (grain > 0.0) {
                    frame.at(x, y) += noise(random);
                    covered.at(x, y) += noise(random);
                }
            }
        PlanarAligner aligner(2);
        QVERIFY(aligner.stSetReference(imgFrame(texture, Homography()), kQuad, AlignParameters {}).ok());
        const AlignResult result = aligner.align(frame, Homography());
        QVERIFY2(result.bOk, result.strReason.c_str());
        const double error = dQuadError(result.hom, truth);
        QVERIFY2(error < tolerance, qPrintable(QString("%1 (uncertainty %2)").arg(error).arg(result.dUncertainty)));
        // The share of the region's pixels under the strip, from its matte.
        const ImageF region = imgRasterisePolygon(vecApply(truth, kQuad), kWidth, kHeight);
        double inside = 0.0;
        double under = 0.0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                inside += region.at(x, y);
                under += (x >= 80 && x < 125) ? region.at(x, y) : 0.0f;
            }
        QVERIFY2(std::fabs(result.dInlierFraction - (1.0 - under / inside)) < 0.05,
            qPrintable(QString("%1 %2").arg(result.dInlierFraction).arg(1.0 - under / inside)));
        QVERIFY(result.dCorrelation > (grain > 0.0 ? 0.9 : 0.999));
        QVERIFY(result.dPlainCorrelation < result.dCorrelation - 0.05);

        const AlignResult lost = aligner.align(covered, Homography());
        QVERIFY(!lost.bOk);
        QVERIFY(lost.eFailure == AlignFailure::WeakMatch || lost.eFailure == AlignFailure::Occluded);
        QVERIFY(!lost.strReason.empty());
    }

    // An unrelated picture is a failure with a low confidence, never a success.
    void alignerFailsOnUnrelatedImage()
    {
        const Texture texture(13);
        PlanarAligner aligner(2);
        QVERIFY(aligner.stSetReference(imgFrame(texture, Homography()), kQuad, AlignParameters {}).ok());
        for (const unsigned seed : {14u, 15u, 16u}) {
            const AlignResult result = aligner.align(imgFrame(Texture(seed), Homography()), Homography());
            QVERIFY(!result.bOk);
            QVERIFY2(result.eFailure == AlignFailure::WeakMatch || result.eFailure == AlignFailure::Occluded
                    || result.eFailure == AlignFailure::Diverged,
                result.strReason.c_str());
            QVERIFY(result.dCorrelation < aligner.parameters().dMinCorrelation);
            QVERIFY(!result.strReason.empty());
        }
        // A flat frame where the region should be.
        ImageF flat(kWidth, kHeight, 1);
        flat.fill(0.5f);
        const AlignResult blank = aligner.align(flat, Homography());
        QVERIFY(!blank.bOk);
        QCOMPARE(int(blank.eFailure), int(AlignFailure::WeakMatch));
    }

    // A motion that carries the region out of the frame is told as such.
    void alignerReportsRegionLeavingFrame()
    {
        const Texture texture(17);
        PlanarAligner aligner(1);
        QVERIFY(aligner.stSetReference(imgFrame(texture, Homography()), kQuad, AlignParameters {}).ok());
        const Homography away = Homography::translation(200, 0);
        const AlignResult result = aligner.align(imgFrame(texture, away), away);
        QVERIFY(!result.bOk);
        QCOMPARE(int(result.eFailure), int(AlignFailure::LeftImage));
        const AlignResult gone = aligner.align(imgFrame(texture, away), Homography::translation(900, 0));
        QCOMPARE(int(gone.eFailure), int(AlignFailure::LeftImage));
    }

    // A move the seed does not predict, beyond the pyramid's reach, is found by the search.
    void alignerSearchFindsLargeMove()
    {
        const Texture texture(19);
        const Homography truth = Homography::translation(41.0, -23.5);
        AlignParameters params;
        params.iLevels = 2;
        PlanarAligner aligner(2);
        QVERIFY(aligner.stSetReference(imgFrame(texture, Homography()), kQuad, params).ok());
        const AlignResult blind = aligner.align(imgFrame(texture, truth), Homography());
        QVERIFY(!blind.bOk || dQuadError(blind.hom, truth) > 1.0);
        params.dSearchRadius = 60.0;
        QVERIFY(aligner.stSetReference(imgFrame(texture, Homography()), kQuad, params).ok());
        const AlignResult searched = aligner.align(imgFrame(texture, truth), Homography());
        QVERIFY2(searched.bOk, searched.strReason.c_str());
        QVERIFY(dQuadError(searched.hom, truth) < 1e-3);
    }

    // A homography is the same motion at any scale, a negative one included; and a region seen
    // in strong perspective is judged by its own outline, not by its bounding box (whose
    // corners this motion sends beyond the horizon).
    void alignerTakesAnySeedScaleAndStrongPerspective()
    {
        const Texture texture(31);
        const std::vector<Point2> diamond {{160, 40}, {240, 120}, {160, 200}, {80, 120}};
        const Homography tilt = Homography::translation(160, 120) * Homography({1, 0, 0, 0, 1, 0, 0.0075, 0.0075, 1})
            * Homography::translation(-160, -120);
        const Homography truth = Homography::translation(-40, -35) * tilt;
        // The region's bounding-box corner (80, 40) lies beyond the horizon; its own corners do not.
        QVERIFY(tilt(2, 0) * 80 + tilt(2, 1) * 40 + tilt(2, 2) < 0.0);
        for (const Point2& p : diamond)
            QVERIFY(tilt(2, 0) * p.x + tilt(2, 1) * p.y + tilt(2, 2) > 0.0);
        PlanarAligner aligner(2);
        QVERIFY(aligner.stSetReference(imgFrame(texture, Homography()), diamond, AlignParameters {}).ok());
        const ImageF frame = imgFrame(texture, truth);
        for (const double scale : {1.0, -1.0, 1e-3, -250.0}) {
            std::array<double, 9> values = (Homography::translation(0.8, -0.6) * truth).values();
            for (double& v : values)
                v *= scale;
            const AlignResult result = aligner.align(frame, Homography(values));
            QVERIFY2(result.bOk, result.strReason.c_str());
            QVERIFY2(dQuadError(result.hom, truth, diamond) < 1e-3,
                qPrintable(QString::number(dQuadError(result.hom, truth, diamond))));
        }
        // A seed that folds the region, or cannot be inverted, is refused as such.
        const AlignResult folded = aligner.align(frame, Homography::scaling(-1, 1));
        QCOMPARE(int(folded.eFailure), int(AlignFailure::BadInput));
        const AlignResult singular = aligner.align(frame, Homography({1, 2, 3, 2, 4, 6, 0, 0, 1}));
        QCOMPARE(int(singular.eFailure), int(AlignFailure::BadInput));
    }

    // The uncertainty the aligner reports follows the error that noise causes.
    void alignerUncertaintyFollowsNoise()
    {
        const Texture texture(37);
        const Homography truth = homMotion(1, 1.01, 0.01, 5e-5, 5e-5, 0.6, -0.4);
        PlanarAligner aligner(2);
        QVERIFY(aligner.stSetReference(imgFrame(texture, Homography()), kQuad, AlignParameters {}).ok());
        std::mt19937 random(41);
        std::normal_distribution<float> noise(0.0f, 0.03f);
        double squaredError = 0.0;
        double squaredSpread = 0.0;
        const int trials = 8;
        for (int trial = 0; trial < trials; ++trial) {
            ImageF frame = imgFrame(texture, truth);
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    frame.at(x, y) += noise(random);
            const AlignResult result = aligner.align(frame, Homography());
            QVERIFY2(result.bOk, result.strReason.c_str());
            // The uncertainty is a corner's; compare with the corners' root mean square error.
            const double rms = dRmsDistance(vecApply(result.hom, kQuad), vecApply(truth, kQuad));
            squaredError += rms * rms / trials;
            squaredSpread += result.dUncertainty * result.dUncertainty / trials;
        }
        const double ratio = std::sqrt(squaredError / squaredSpread);
        QVERIFY2(ratio > 0.3 && ratio < 3.0,
            qPrintable(QString("%1 %2").arg(std::sqrt(squaredError)).arg(std::sqrt(squaredSpread))));
        QVERIFY(std::sqrt(squaredSpread) > 1e-3);
    }

    // One, two or four threads give the same answer (on a grainy frame, where every sample's
    // share counts: on a clean one any weighting finds the same exact answer).
    void alignerAgreesAcrossThreads()
    {
        const Texture texture(23);
        const Homography truth = homMotion(1.5, 1.02, 0.01, 1e-4, 1e-4, 1.25, -0.75);
        const ImageF reference = imgFrame(texture, Homography());
        ImageF frame = imgFrame(texture, truth);
        std::mt19937 random(47);
        std::normal_distribution<float> noise(0.0f, 0.02f);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                frame.at(x, y) += noise(random);
        std::vector<Homography> answers;
        for (const int threads : {1, 2, 4}) {
            PlanarAligner aligner(threads);
            QVERIFY(aligner.stSetReference(reference, kQuad, AlignParameters {}).ok());
            for (int repeat = 0; repeat < 3; ++repeat) {
                const AlignResult result = aligner.align(frame, Homography());
                QVERIFY(result.bOk);
                answers.push_back(result.hom);
            }
        }
        for (const Homography& answer : answers)
            QVERIFY(dQuadError(answer, answers.front()) < 1e-6);
    }

    void alignerRefusesUnusableReference_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("reason");
        QTest::newRow("flat region") << 0 << int(MotionModel::Perspective) << "flat";
        QTest::newRow("stripes, translation") << 1 << int(MotionModel::Translation) << "texture";
        QTest::newRow("empty region") << 2 << int(MotionModel::Perspective) << "empty";
        QTest::newRow("tiny region") << 3 << int(MotionModel::Perspective) << "too small";
        QTest::newRow("matte of another size") << 4 << int(MotionModel::Perspective) << "matte";
        QTest::newRow("bad parameters") << 5 << int(MotionModel::Perspective) << "parameters";
    }
    // A reference the aligner cannot use is refused with its reason, and nothing is aligned
    // with it afterwards.
    void alignerRefusesUnusableReference()
    {
        QFETCH(int, kind);
        QFETCH(int, model);
        QFETCH(QString, reason);
        ImageF reference(kWidth, kHeight, 1);
        reference.fill(0.5f);
        if (kind == 1)
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    reference.at(x, y) = float(0.5 + 0.3 * std::sin(0.4 * x));
        else if (kind >= 2)
            reference = imgFrame(Texture(3), Homography());
        ImageF matte = imgRasterisePolygon(kQuad, kWidth, kHeight);
        if (kind == 2)
            matte.fill(0.0f);
        if (kind == 3)
            matte = imgRasterisePolygon({{100, 100}, {103, 100}, {103, 103}, {100, 103}}, kWidth, kHeight);
        if (kind == 4)
            matte = ImageF(kWidth / 2, kHeight, 1);
        AlignParameters params;
        params.eModel = MotionModel(model);
        if (kind == 5)
            params.dTolerance = -1.0;
        PlanarAligner aligner(1);
        QVERIFY(aligner.stSetReference(imgFrame(Texture(3), Homography()), kQuad, AlignParameters {}).ok());
        const Status set = aligner.stSetReference(reference, matte, params);
        QVERIFY(!set.ok());
        QVERIFY2(QString::fromStdString(set.error()).contains(reason), set.error().c_str());
        QVERIFY(!aligner.hasReference());
        const AlignResult result = aligner.align(reference, Homography());
        QVERIFY(!result.bOk);
        QCOMPARE(int(result.eFailure), int(AlignFailure::BadInput));
    }

    // A track through a sequence, each frame against the reference and seeded by the motion
    // before: the error does not grow with the frames.
    void trackingAgainstReferenceDoesNotDrift()
    {
        const Texture texture(29);
        PlanarAligner aligner(2);
        QVERIFY(aligner.stSetReference(imgFrame(texture, Homography()), kQuad, AlignParameters {}).ok());
        Homography current;
        Homography before;
        double worst = 0.0;
        for (int k = 1; k <= 8; ++k) {
            const double t = k / 8.0;
            const Homography truth
                = homMotion(6 * t, 1 + 0.08 * t * t, 0.03 * t, 3e-4 * t, -2e-4 * t * t, 12 * t, -7 * t * t);
            const Homography seed = k >= 2 ? homPredictNext(current, before) : current;
            const AlignResult result = aligner.align(imgFrame(texture, truth), seed);
            QVERIFY2(result.bOk, result.strReason.c_str());
            before = current;
            current = result.hom;
            worst = std::max(worst, dQuadError(current, truth));
        }
        QVERIFY2(worst < 1e-3, qPrintable(QString::number(worst)));
    }
};

PLINTRA_TEST_MAIN(TstImaging)
#include "tst_imaging.moc"
