// Tracking a layer through the engine calls the Track page makes: a textured plane moving by
// known homographies over a background that moves otherwise is found again frame by frame,
// forwards and backwards, within a pixel of its true corners; Manual Track copies the shape;
// a frame that cannot be tracked stops the run with the reason.
#include "TestEnvironment.h"
#include "TrackingClips.h"

#include "Vosk.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QDir>
#include <QTemporaryDir>
#include <cmath>

namespace {

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
        const QString first = trackclip::qstrWriteClip(qstrPath(QStringLiteral("model%1").arg(model)), model, frames);
        QVERIFY(!first.isEmpty());
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        QCOMPARE(pcstctGetBaseClipInfo(project, 1)->uiCount, unsigned(frames));
        const int layer = trackclip::iDrawLayer(project, trackclip::vecCorners(trackclip::homMotion(model, 0)));
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
            const double worst = dTkWorst(
                geometry.mapSurfaceKeys.at(unsigned(k)), trackclip::vecCorners(trackclip::homMotion(model, k)));
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
            QVERIFY2(
                bTrackSelectionToPreviousFrame(project), standin::testing::strGetLastTrackMessage(project).c_str());
            QVERIFY(bMakeFrameCurrent(project, unsigned(k - 1)));
        }
        geometry = standin::testing::stctGetLayerGeometry(project, layer);
        for (int k = 0; k < frames - 1; ++k) {
            const double worst = dTkWorst(
                geometry.mapSurfaceKeys.at(unsigned(k)), trackclip::vecCorners(trackclip::homMotion(model, k)));
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
        const QString first = trackclip::qstrWriteClip(qstrPath(QStringLiteral("options")), CW_MOTION_AFFINE, frames);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        const int layer
            = trackclip::iDrawLayer(project, trackclip::vecCorners(trackclip::homMotion(CW_MOTION_AFFINE, 0)));
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
            const double worst = dTkWorst(geometry.mapSurfaceKeys.at(unsigned(k)),
                trackclip::vecCorners(trackclip::homMotion(CW_MOTION_AFFINE, k)));
            QVERIFY2(worst < 1.0, qPrintable(QStringLiteral("frame %1 off by %2 px").arg(k).arg(worst)));
        }
    }

    // A limit on the rotation from one frame to the next stops a track that turns faster.
    void rotationLimitStops()
    {
        const QString first = trackclip::qstrWriteClip(qstrPath(QStringLiteral("turn")), CW_MOTION_AFFINE, 3);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        const int layer
            = trackclip::iDrawLayer(project, trackclip::vecCorners(trackclip::homMotion(CW_MOTION_AFFINE, 0)));
        vTkSetModel(project, layer, CW_MOTION_AFFINE);
        // The plane turns by 0.03 rad (1.7 degrees) a frame.
        pGetTrackingParameters(project, layer)->pMaxRotation->setStaticValue(1.0);
        QVERIFY(bUpdateLayerFrameToCurrentFrame(project));
        QVERIFY(!bTrackSelectionToNextFrame(project));
        QVERIFY(QString::fromStdString(standin::testing::strGetLastTrackMessage(project))
                    .contains(QStringLiteral("turned")));
        pGetTrackingParameters(project, layer)->pMaxRotation->setStaticValue(3.0);
        QVERIFY2(bTrackSelectionToNextFrame(project), standin::testing::strGetLastTrackMessage(project).c_str());
    }

    // The step covers the frame jump, each frame between keyed, and never leaves the clip.
    void stepCoversFrameJump()
    {
        const QString first = trackclip::qstrWriteClip(qstrPath(QStringLiteral("jump")), CW_MOTION_TRANSLATION, 4);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        const int layer
            = trackclip::iDrawLayer(project, trackclip::vecCorners(trackclip::homMotion(CW_MOTION_TRANSLATION, 0)));
        vTkSetModel(project, layer, CW_MOTION_TRANSLATION);
        setTrackFrameJump(project, 5);
        QVERIFY(bUpdateLayerFrameToCurrentFrame(project));
        QVERIFY2(bTrackSelectionToNextFrame(project), standin::testing::strGetLastTrackMessage(project).c_str());
        const auto geometry = standin::testing::stctGetLayerGeometry(project, layer);
        for (unsigned int k = 1; k < 4; ++k) {
            QVERIFY(geometry.mapSurfaceKeys.count(k));
            QVERIFY(dTkWorst(geometry.mapSurfaceKeys.at(k),
                        trackclip::vecCorners(trackclip::homMotion(CW_MOTION_TRANSLATION, int(k))))
                < 1.0);
        }
        QVERIFY(!geometry.mapSurfaceKeys.count(4));
    }

    // Manual Track keys the next frame with the shape and surface as they are.
    void manualTrackCopies()
    {
        const QString first = trackclip::qstrWriteClip(qstrPath(QStringLiteral("manual")), CW_MOTION_TRANSLATION, 3);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        const int layer
            = trackclip::iDrawLayer(project, trackclip::vecCorners(trackclip::homMotion(CW_MOTION_TRANSLATION, 0)));
        pGetTrackingParameters(project, layer)->pManualTrack->setStaticValue(true);
        QVERIFY(bTrackSelectionToNextFrame(project));
        const auto geometry = standin::testing::stctGetLayerGeometry(project, layer);
        QCOMPARE(geometry.mapSurfaceKeys.at(1), geometry.mapSurfaceKeys.at(0));
        QCOMPARE(geometry.mapShapeKeys.at(1), geometry.mapShapeKeys.at(0));
    }

    // A frame without the plane ends the run with the reason; nothing is keyed there.
    void untrackableFrameFails()
    {
        const QString first = trackclip::qstrWriteClip(qstrPath(QStringLiteral("blank")), CW_MOTION_TRANSLATION, 4, 2);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("plane"));
        const int layer
            = trackclip::iDrawLayer(project, trackclip::vecCorners(trackclip::homMotion(CW_MOTION_TRANSLATION, 0)));
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
        const QString first = trackclip::qstrWriteClip(qstrPath(QStringLiteral("none")), CW_MOTION_TRANSLATION, 2);
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
