// Tracking a layer through the engine calls the Track page makes: a textured plane moving by
// known homographies over a background that moves otherwise is found again frame by frame,
// forwards and backwards, within a pixel of its true corners; Manual Track copies the shape;
// a frame that cannot be tracked stops the run with the reason.
#include "TestEnvironment.h"

#include "Vosk.h"
#include "standin/imaging/Geometry.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <climits>
#include <cmath>

using standin::imaging::Homography;
using standin::imaging::Point2;

namespace {

constexpr int kiTkWidth = 240;
constexpr int kiTkHeight = 180;
// The plane's own size, in its texture's units.
constexpr double kdTkPlaneW = 110.0;
constexpr double kdTkPlaneH = 80.0;

// Smooth detail without repeats at the scales the tracker searches.
double dTkPlaneTexture(double u, double v)
{
    double value = 0.5 + 0.12 * std::sin(0.23 * u + 0.11 * v) + 0.1 * std::sin(0.07 * u - 0.29 * v + 1.0)
        + 0.08 * std::cos(0.31 * u + 0.4) * std::sin(0.17 * v);
    const double blobs[4][3] = {{25, 20, 0.25}, {80, 30, -0.3}, {55, 60, 0.2}, {95, 65, 0.22}};
    for (const auto& b : blobs)
        value += b[2] * std::exp(-((u - b[0]) * (u - b[0]) + (v - b[1]) * (v - b[1])) / 60.0);
    return value;
}

double dTkBackground(double x, double y)
{
    return 0.35 + 0.1 * std::sin(0.19 * x) * std::cos(0.13 * y) + 0.08 * std::sin(0.05 * x + 0.21 * y);
}

// Plane to frame at frame k for a motion model (CW_MOTION_*): each row moves only as its model can.
Homography homTkMotion(int model, int k)
{
    const double t = k;
    const Homography place = Homography::translation(60.0, 45.0);
    if (model == CW_MOTION_TRANSLATION)
        return Homography::translation(3.2 * t, -1.7 * t) * place;
    const double angle = 0.03 * t;
    const double scale = 1.0 + 0.02 * t;
    const double shear = 0.015 * t;
    const Homography affine({scale * std::cos(angle), -scale * std::sin(angle) + shear, 2.5 * t,
        scale * std::sin(angle), scale * std::cos(angle), 1.1 * t, 0.0, 0.0, 1.0});
    const Homography centre = Homography::translation(kdTkPlaneW / 2, kdTkPlaneH / 2);
    const Homography uncentre = Homography::translation(-kdTkPlaneW / 2, -kdTkPlaneH / 2);
    Homography motion = centre * affine * uncentre;
    if (model == CW_MOTION_PERSPECTIVE)
        motion = centre * Homography({1, 0, 0, 0, 1, 0, 0.0006 * t, -0.0004 * t, 1}) * uncentre * motion;
    return place * motion;
}

std::vector<QPointF> vecTkCorners(const Homography& h)
{
    std::vector<QPointF> corners;
    for (const Point2& p : std::vector<Point2> {{0, 0}, {kdTkPlaneW, 0}, {kdTkPlaneW, kdTkPlaneH}, {0, kdTkPlaneH}}) {
        const Point2 q = h.apply(p);
        corners.emplace_back(q.x, q.y);
    }
    return corners;
}

// Frames plane.1001.png ...: the plane over a background drifting the other way; a blank
// frame where asked. Pixel centres sit at integer coordinates.
QString qstrTkWriteClip(const QString& folder, int model, int frames, int blankFrame = -1)
{
    QDir().mkpath(folder);
    for (int k = 0; k < frames; ++k) {
        QImage image(kiTkWidth, kiTkHeight, QImage::Format_RGB32);
        const Homography toPlane = *standin::imaging::homInverse(homTkMotion(model, k));
        for (int y = 0; y < kiTkHeight; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < kiTkWidth; ++x) {
                double sum = 0.0;
                for (int s = 0; s < 4; ++s) {
                    const double px = x + (s % 2 ? 0.25 : -0.25);
                    const double py = y + (s / 2 ? 0.25 : -0.25);
                    const Point2 q = toPlane.apply({px, py});
                    const bool onPlane = q.x >= 0 && q.y >= 0 && q.x <= kdTkPlaneW && q.y <= kdTkPlaneH;
                    sum += onPlane ? dTkPlaneTexture(q.x, q.y) : dTkBackground(px + 4.0 * k, py - 2.0 * k);
                }
                int level = int(std::lround(sum / 4.0 * 255.0));
                if (k == blankFrame)
                    level = 128;
                level = std::clamp(level, 0, 255);
                row[x] = qRgb(level, std::clamp(level + 10, 0, 255), std::clamp(level - 10, 0, 255));
            }
        }
        if (!image.save(QDir(folder).filePath(QStringLiteral("plane.%1.png").arg(1001 + k))))
            return QString();
    }
    return QDir(folder).filePath(QStringLiteral("plane.1001.png"));
}

void vTkPress(CW_Instance project, const QPointF& at)
{
    bool changed = false;
    vButtonDown(project, 0x20, changed, nullptr, true, float(at.x()), float(at.y()), true, true, true, true, true, true,
        false, false, false, false, false, 0u, false, false, 0, false, false, false, false, false);
}

void vTkRelease(CW_Instance project, const QPointF& at)
{
    vButtonUp(project, 0x20, true, float(at.x()), float(at.y()), eGetCurrentToolType(project), INT_MAX, true, true,
        true, true, true, true, false, false, false, false, false, 0u, false, false, 0, false, false, false, false,
        false);
}

void vTkDrag(CW_Instance project, const QPointF& from, const QPointF& to)
{
    vTkPress(project, from);
    eMove(project, 0x20, true, float(to.x()), float(to.y()), true, true, true, true, true, true, false, false, false,
        false, false, 0u, false, false, 0, false, false, false, false, false);
    vTkRelease(project, to);
}

// A layer drawn as the user would: an X-spline of corner points a little inside the plane,
// closed on its first point, then the surface's corners dragged onto the plane's corners.
int iTkDrawLayer(CW_Instance project, const std::vector<QPointF>& corners)
{
    vSetContourModelDefaults(project, 0.0, 0.2);
    vSelectTool(project, CW_TOOL_ADD_XSPLINE_LAYER, INT_MAX);
    const QPointF centre = (corners[0] + corners[1] + corners[2] + corners[3]) / 4.0;
    std::vector<QPointF> inside;
    for (const QPointF& c : corners)
        inside.push_back(centre + (c - centre) * 0.85);
    for (const QPointF& p : inside) {
        vTkPress(project, p);
        vTkRelease(project, p);
    }
    vTkPress(project, inside.front());
    vTkRelease(project, inside.front());
    const int layer = iGetCurrentSelectionID(project);
    const auto geometry = standin::testing::stctGetLayerGeometry(project, layer);
    if (geometry.mapSurfaceKeys.empty())
        return 0;
    const standin::SurfaceCorners box = geometry.mapSurfaceKeys.begin()->second;
    for (std::size_t i = 0; i < 4; ++i)
        vTkDrag(project, box[i], corners[i]);
    return layer;
}

double dTkWorst(const standin::SurfaceCorners& got, const std::vector<QPointF>& truth)
{
    double worst = 0.0;
    for (std::size_t i = 0; i < 4; ++i)
        worst = std::max(worst, std::hypot(got[i].x() - truth[i].x(), got[i].y() - truth[i].y()));
    return worst;
}

void vTkSetModel(CW_Instance project, int layer, int model)
{
    Vosk::CompositeCommand command;
    pGetTrackingParameters(project, layer)->pMotionModel->setStaticValue(model, &command);
    bMakeParameterChange(project, command, nullptr, 1.0f, true);
}

} // namespace

class TstTrack : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString qstrPath(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

private slots:
    void cleanup() { standin::testing::vReset(); }

    void tracksForwardsAndBackwards_data()
    {
        QTest::addColumn<int>("model");
        QTest::newRow("translation") << int(CW_MOTION_TRANSLATION);
        QTest::newRow("affine") << int(CW_MOTION_AFFINE);
        QTest::newRow("perspective") << int(CW_MOTION_PERSPECTIVE);
    }

    // Every frame of a forward run within a pixel of the truth, and a backward run from the
    // last frame agrees on every frame again.
    void tracksForwardsAndBackwards()
    {
        QFETCH(int, model);
        const int frames = 6;
        const QString first
            = qstrTkWriteClip(qstrPath(QStringLiteral("model%1").arg(model)), model, frames);
        QVERIFY(!first.isEmpty());
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        QCOMPARE(pcstctGetBaseClipInfo(project, 1)->uiCount, unsigned(frames));
        const int layer = iTkDrawLayer(project, vecTkCorners(homTkMotion(model, 0)));
        QVERIFY(layer != 0);
        vTkSetModel(project, layer, model);
        QVERIFY(bEventAllowed(project, 61, CW_MODULE_TRACK));

        QVERIFY(bUpdateLayerFrameToCurrentFrame(project));
        QCOMPARE(uiGetCurrentSelectionFrameNumber(project), 0u);
        for (int k = 0; k + 1 < frames; ++k) {
            QVERIFY2(bTrackSelectionToNextFrame(project), standin::testing::strGetLastTrackMessage(project).c_str());
            QVERIFY(bMakeFrameCurrent(project, unsigned(k + 1)));
        }
        auto geometry = standin::testing::stctGetLayerGeometry(project, layer);
        for (int k = 1; k < frames; ++k) {
            QVERIFY2(geometry.mapSurfaceKeys.count(unsigned(k)), qPrintable(QStringLiteral("frame %1").arg(k)));
            const double worst = dTkWorst(geometry.mapSurfaceKeys.at(unsigned(k)), vecTkCorners(homTkMotion(model, k)));
            QVERIFY2(worst < 1.0, qPrintable(QStringLiteral("frame %1 off by %2 px").arg(k).arg(worst)));
            // The shape moved with the surface: its key is there too.
            QVERIFY(geometry.mapShapeKeys.count(unsigned(k)));
        }
        // The tracked frames are marked for the data export.
        auto* tracked = pGetLayerParameters(project, layer)->pGetTrackedFlag();
        QVERIFY(tracked && tracked->valueAt(float(frames - 1)));

        // Backwards from the last frame, which becomes the reference.
        QVERIFY(bUpdateLayerFrameToCurrentFrame(project));
        QCOMPARE(uiGetCurrentSelectionFrameNumber(project), unsigned(frames - 1));
        for (int k = frames - 1; k > 0; --k) {
            QVERIFY2(bTrackSelectionToPreviousFrame(project), standin::testing::strGetLastTrackMessage(project).c_str());
            QVERIFY(bMakeFrameCurrent(project, unsigned(k - 1)));
        }
        geometry = standin::testing::stctGetLayerGeometry(project, layer);
        for (int k = 0; k < frames - 1; ++k) {
            const double worst = dTkWorst(geometry.mapSurfaceKeys.at(unsigned(k)), vecTkCorners(homTkMotion(model, k)));
            QVERIFY2(worst < 1.0, qPrintable(QStringLiteral("back at frame %1 off by %2 px").arg(k).arg(worst)));
        }
    }

    void optionsStillTrack_data()
    {
        QTest::addColumn<float>("smoothing");
        QTest::addColumn<bool>("autoChannel");
        QTest::addColumn<bool>("largeMotion");
        QTest::addColumn<unsigned int>("search");
        QTest::newRow("smoothed before tracking") << 3.0f << false << true << 0u;
        QTest::newRow("one colour channel") << 0.0f << true << true << 0u;
        QTest::newRow("small motion, no search") << 0.0f << false << false << 0u;
        QTest::newRow("search sizes given") << 0.0f << false << true << 12u;
    }

    // Smoothing, the channel choice, Small Motion and given search sizes change how the
    // pixels are prepared and searched, not where the plane is found.
    void optionsStillTrack()
    {
        QFETCH(float, smoothing);
        QFETCH(bool, autoChannel);
        QFETCH(bool, largeMotion);
        QFETCH(unsigned int, search);
        const int frames = 4;
        const QString first = qstrTkWriteClip(qstrPath(QStringLiteral("options")), CW_MOTION_AFFINE, frames);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        const int layer = iTkDrawLayer(project, vecTkCorners(homTkMotion(CW_MOTION_AFFINE, 0)));
        vTkSetModel(project, layer, CW_MOTION_AFFINE);
        CW_TrackingParameterSet* p = pGetTrackingParameters(project, layer);
        p->pSmoothingLevel->setStaticValue(smoothing);
        p->pAutoChannel->setStaticValue(autoChannel);
        p->pLargeMotion->setStaticValue(largeMotion);
        if (search > 0) {
            p->pAutoHorizontalSearch->setStaticValue(false);
            p->pAutoVerticalSearch->setStaticValue(false);
            p->pHorizontalSearchSize->setStaticValue(search);
            p->pVerticalSearchSize->setStaticValue(search);
        }
        QVERIFY(bUpdateLayerFrameToCurrentFrame(project));
        for (int k = 0; k + 1 < frames; ++k) {
            QVERIFY2(bTrackSelectionToNextFrame(project), standin::testing::strGetLastTrackMessage(project).c_str());
            QVERIFY(bMakeFrameCurrent(project, unsigned(k + 1)));
        }
        const auto geometry = standin::testing::stctGetLayerGeometry(project, layer);
        for (int k = 1; k < frames; ++k) {
            const double worst
                = dTkWorst(geometry.mapSurfaceKeys.at(unsigned(k)), vecTkCorners(homTkMotion(CW_MOTION_AFFINE, k)));
            QVERIFY2(worst < 1.0, qPrintable(QStringLiteral("frame %1 off by %2 px").arg(k).arg(worst)));
        }
    }

    // A limit on the rotation from one frame to the next stops a track that turns faster.
    void rotationLimitStops()
    {
        const QString first = qstrTkWriteClip(qstrPath(QStringLiteral("turn")), CW_MOTION_AFFINE, 3);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        const int layer = iTkDrawLayer(project, vecTkCorners(homTkMotion(CW_MOTION_AFFINE, 0)));
        vTkSetModel(project, layer, CW_MOTION_AFFINE);
        // The plane turns by 0.03 rad (1.7 degrees) a frame.
        pGetTrackingParameters(project, layer)->pMaxRotation->setStaticValue(1.0);
        QVERIFY(bUpdateLayerFrameToCurrentFrame(project));
        QVERIFY(!bTrackSelectionToNextFrame(project));
        QVERIFY(QString::fromStdString(standin::testing::strGetLastTrackMessage(project)).contains(QStringLiteral("turned")));
        pGetTrackingParameters(project, layer)->pMaxRotation->setStaticValue(3.0);
        QVERIFY2(bTrackSelectionToNextFrame(project), standin::testing::strGetLastTrackMessage(project).c_str());
    }

    // The step covers the frame jump, each frame between keyed, and never leaves the clip.
    void stepCoversFrameJump()
    {
        const QString first = qstrTkWriteClip(qstrPath(QStringLiteral("jump")), CW_MOTION_TRANSLATION, 4);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        const int layer = iTkDrawLayer(project, vecTkCorners(homTkMotion(CW_MOTION_TRANSLATION, 0)));
        vTkSetModel(project, layer, CW_MOTION_TRANSLATION);
        setTrackFrameJump(project, 5);
        QVERIFY(bUpdateLayerFrameToCurrentFrame(project));
        QVERIFY2(bTrackSelectionToNextFrame(project), standin::testing::strGetLastTrackMessage(project).c_str());
        const auto geometry = standin::testing::stctGetLayerGeometry(project, layer);
        for (unsigned int k = 1; k < 4; ++k) {
            QVERIFY(geometry.mapSurfaceKeys.count(k));
            QVERIFY(dTkWorst(geometry.mapSurfaceKeys.at(k), vecTkCorners(homTkMotion(CW_MOTION_TRANSLATION, int(k))))
                < 1.0);
        }
        QVERIFY(!geometry.mapSurfaceKeys.count(4));
    }

    // Manual Track keys the next frame with the shape and surface as they are.
    void manualTrackCopies()
    {
        const QString first = qstrTkWriteClip(qstrPath(QStringLiteral("manual")), CW_MOTION_TRANSLATION, 3);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        const int layer = iTkDrawLayer(project, vecTkCorners(homTkMotion(CW_MOTION_TRANSLATION, 0)));
        pGetTrackingParameters(project, layer)->pManualTrack->setStaticValue(true);
        QVERIFY(bTrackSelectionToNextFrame(project));
        const auto geometry = standin::testing::stctGetLayerGeometry(project, layer);
        QCOMPARE(geometry.mapSurfaceKeys.at(1), geometry.mapSurfaceKeys.at(0));
        QCOMPARE(geometry.mapShapeKeys.at(1), geometry.mapShapeKeys.at(0));
    }

    // A frame without the plane ends the run with the reason; nothing is keyed there.
    void untrackableFrameFails()
    {
        const QString first = qstrTkWriteClip(qstrPath(QStringLiteral("blank")), CW_MOTION_TRANSLATION, 4, 2);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        const int layer = iTkDrawLayer(project, vecTkCorners(homTkMotion(CW_MOTION_TRANSLATION, 0)));
        vTkSetModel(project, layer, CW_MOTION_TRANSLATION);
        QVERIFY(bUpdateLayerFrameToCurrentFrame(project));
        QVERIFY(bTrackSelectionToNextFrame(project));
        QVERIFY(standin::testing::strGetLastTrackMessage(project).empty());
        QVERIFY(bMakeFrameCurrent(project, 1));
        QVERIFY(!bTrackSelectionToNextFrame(project));
        const QString message = QString::fromStdString(standin::testing::strGetLastTrackMessage(project));
        QVERIFY2(message.startsWith(QStringLiteral("Frame 2 cannot be tracked: ")), qPrintable(message));
        QVERIFY(!standin::testing::stctGetLayerGeometry(project, layer).mapSurfaceKeys.count(2));
    }

    // Without a shape, or without a layer, a step fails and says why.
    void nothingToTrackFails()
    {
        const QString first = qstrTkWriteClip(qstrPath(QStringLiteral("none")), CW_MOTION_TRANSLATION, 2);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        QVERIFY(!bTrackSelectionToNextFrame(project));
        QCOMPARE(QString::fromStdString(standin::testing::strGetLastTrackMessage(project)),
            QStringLiteral("Select a layer to track."));
        QVERIFY(!bEventAllowed(project, 58, CW_MODULE_TRACK));
        standin::testing::vEditViewerState(project, [](standin::ViewerState& v) { v.iCurrentLayer = 0; });
        const int layer = standin::testing::iAddLayer(project, QStringLiteral("Empty"));
        standin::testing::vEditViewerState(project, [layer](standin::ViewerState& v) { v.iCurrentLayer = layer; });
        QVERIFY(bEventAllowed(project, 58, CW_MODULE_TRACK));
        QVERIFY(!bTrackSelectionToNextFrame(project));
        QCOMPARE(QString::fromStdString(standin::testing::strGetLastTrackMessage(project)),
            QStringLiteral("The layer \"Empty\" has no shape to track."));
    }
};

PLINTRA_TEST_MAIN(TstTrack)
#include "tst_track.moc"
