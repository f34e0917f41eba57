// The tracking pages in the viewer: a shape drawn with the mouse becomes a layer that is
// drawn over the frame; Track Forwards and Backwards find the plane on every frame; the
// zoom windows' captions, and no windows over another clip; a failing draw shows its
// message; AdjustTrack keeps the pointer per field.
#include "TestEnvironment.h"
#include "TrackPageFixture.h"

#include "Vosk.h"
#include "app/ShellAccessors.h"
#include "pages/tracking/frmAdjustTrackPage.h"
#include "viewer/ViewOptionsManager.h"

#include <QAction>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

constexpr float kfTvZoom = 2.0f;
constexpr float kfTvOriginX = 10.0f;
constexpr float kfTvOriginY = 20.0f;

QPoint ptTvWidget(const QPointF& image)
{
    return QPoint(
        int(std::lround(image.x() * kfTvZoom + kfTvOriginX)), int(std::lround(image.y() * kfTvZoom + kfTvOriginY)));
}

bool bTvBluish(QRgb p)
{
    return qBlue(p) > 180 && qRed(p) < 90 && qGreen(p) < 90;
}

bool bTvYellowish(QRgb p)
{
    return qRed(p) > 180 && qGreen(p) > 180 && qBlue(p) < 90;
}

int iTvCount(const QImage& image, bool (*test)(QRgb))
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += test(image.pixel(x, y)) ? 1 : 0;
    return count;
}

void vTvSetModel(CW_Instance project, int layer, int model)
{
    Vosk::CompositeCommand command;
    pGetTrackingParameters(project, layer)->pMotionModel->setStaticValue(model, &command);
    bMakeParameterChange(project, command, nullptr, 1.0f, true);
}

} // namespace

class TstTrackViewer : public QObject {
    Q_OBJECT

private:
    TrackPageWindow m_w;
    QTemporaryDir m_dir;

    QString qstrClip(int model, int frames)
    {
        const QString folder = QDir(m_dir.path()).filePath(QStringLiteral("m%1f%2").arg(model).arg(frames));
        const QString first = QDir(folder).filePath(QStringLiteral("plane.1001.png"));
        if (QFileInfo::exists(first))
            return first;
        return testenv::qstrWriteTrackingClip(folder, model, frames);
    }

    // The view at a known zoom and origin: image (x, y) at widget (2x + 10, 2y + 20).
    void vFixView()
    {
        vResizeWindow(m_w.pProject, m_w.pViewer->width(), m_w.pViewer->height());
        vSetZoom(m_w.pProject, kfTvZoom);
        vSetOrigin(m_w.pProject, kfTvOriginX, kfTvOriginY);
    }

    // Clip 1 as the new-project dialog leaves it for these files: frames shown from 1001.
    void vSetClipFormat(bool interlaced)
    {
        CW_BaseClipInfo info = *pcstctGetBaseClipInfo(m_w.pProject, 1);
        info.iFrameOffset = 1001;
        info.iFieldMode = interlaced ? CW_UPPER_FIELD_FIRST : CW_PROGRESSIVE;
        standin::testing::vRegisterClip(m_w.pProject, 1, info);
    }

    void vMoveTo(const QPoint& at)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), m_w.pViewer->mapToGlobal(QPointF(at)), Qt::NoButton,
            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_w.pViewer, &move);
    }

    // A layer around the plane at frame 0, tracked from there, and frame 2 current.
    int iLayerWithReferenceFrame()
    {
        const int layer
            = testenv::iDrawTrackingLayer(m_w.pProject, testenv::vecTrackingTruth(CW_MOTION_TRANSLATION, 0));
        bUpdateLayerFrameToCurrentFrame(m_w.pProject);
        m_w.pWindow->sltSetFrame(2);
        m_w.pWindow->sltUpdateGUI(2);
        const QPointF centre = testenv::vecTrackingTruth(CW_MOTION_TRANSLATION, 0)[0] + QPointF(50, 40);
        standin::testing::vEditViewerState(m_w.pProject, [centre](standin::ViewerState& v) {
            v.bHasToolPosition = true;
            v.fToolX = float(centre.x());
            v.fToolY = float(centre.y());
            v.vecZoomWindowLog.clear();
        });
        return layer;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_w.bMake());
    }

    void cleanup()
    {
        pGetViewOptionsManager()->showZoomWindows = true;
        m_w.vShowTab(QStringLiteral("Track"));
        m_w.vClose();
    }

    void cleanupTestCase() { m_w.vDestroy(); }

    // Clicks of the Bezier layer tool around the plane, closed on the first point, make a
    // layer whose outline is drawn over the frame.
    void bezierShapeDrawnWithClicksBecomesALayer()
    {
        m_w.pOpen(qstrClip(CW_MOTION_TRANSLATION, 3));
        m_w.pWindow->actAddBezierLayerTool->trigger();
        vFixView();
        QVERIFY(pglGetLayerIDList(m_w.pProject).empty());
        const QImage before = m_w.pViewer->grabFramebuffer();
        const std::vector<QPointF> corners {{70, 55}, {160, 55}, {160, 115}, {70, 115}};
        for (const QPointF& corner : corners)
            QTest::mouseClick(m_w.pViewer, Qt::LeftButton, Qt::NoModifier, ptTvWidget(corner));
        QTest::mouseClick(m_w.pViewer, Qt::LeftButton, Qt::NoModifier, ptTvWidget(corners.front()));
        QCOMPARE(int(pglGetLayerIDList(m_w.pProject).size()), 1);
        const int layer = iGetCurrentSelectionID(m_w.pProject);
        QVERIFY(layer != 0);
        const auto geometry = standin::testing::stctGetLayerGeometry(m_w.pProject, layer);
        QVERIFY(geometry.mapShapeKeys.count(0));
        QCOMPARE(int(geometry.mapShapeKeys.at(0).size()), 4);
        QVERIFY(pGetTrackingParameters(m_w.pProject, layer));
        // The new layer can be tracked at once: the page offers its runs, and the edit can be undone.
        QTRY_VERIFY(m_w.pWindow->btnRenderForwards->isEnabled());
        QVERIFY(m_w.pWindow->actEditUndo->isEnabled());

        const QImage after = m_w.pViewer->grabFramebuffer();
        // Each point is marked where it was clicked, and the curve through them is drawn.
        for (std::size_t i = 0; i < corners.size(); ++i) {
            const QPoint corner = ptTvWidget(corners[i]);
            bool drawn = false;
            bool already = false;
            for (int dy = -3; dy <= 3; ++dy)
                for (int dx = -3; dx <= 3; ++dx) {
                    const QPoint p = corner + QPoint(dx, dy);
                    drawn = drawn || bTvBluish(after.pixel(p));
                    already = already || bTvBluish(before.pixel(p));
                }
            QVERIFY2(drawn && !already, qPrintable(QStringLiteral("point %1").arg(i)));
        }
        QVERIFY(iTvCount(after, &bTvYellowish) > iTvCount(before, &bTvYellowish) + 200);
    }

    void trackForwardsAndBackwards_data()
    {
        QTest::addColumn<int>("model");
        QTest::newRow("translation") << int(CW_MOTION_TRANSLATION);
        QTest::newRow("affine") << int(CW_MOTION_AFFINE);
        QTest::newRow("perspective") << int(CW_MOTION_PERSPECTIVE);
    }

    // The run buttons carry the layer through the clip: every frame's surface within a pixel
    // of the plane's true corners, forwards and then back again.
    void trackForwardsAndBackwards()
    {
        QFETCH(int, model);
        const int frames = 5;
        CW_Instance project = m_w.pOpen(qstrClip(model, frames));
        const int layer = testenv::iDrawTrackingLayer(project, testenv::vecTrackingTruth(model, 0));
        QVERIFY(layer != 0);
        vTvSetModel(project, layer, model);
        m_w.pWindow->sltUpdateGUI(2);
        QVERIFY(m_w.pWindow->btnRenderForwards->isEnabled());
        QTest::mouseClick(m_w.pWindow->btnRenderForwards, Qt::LeftButton);
        QVERIFY(m_w.bWaitIdle());
        QTRY_COMPARE(m_w.pWindow->sldrFrameNumber->value(), frames - 1);
        QCOMPARE(int(uiGetFrameNumber(project)), frames - 1);
        QVERIFY2(standin::testing::strGetLastTrackMessage(project).empty(),
            standin::testing::strGetLastTrackMessage(project).c_str());
        for (int k = 1; k < frames; ++k) {
            const double worst
                = testenv::dWorstCornerError(project, layer, unsigned(k), testenv::vecTrackingTruth(model, k));
            QVERIFY2(worst < 1.0, qPrintable(QStringLiteral("frame %1 off by %2 px").arg(k).arg(worst)));
        }

        QTRY_COMPARE(m_w.pWindow->iGetWidgetsState(), 2);
        QTest::mouseClick(m_w.pWindow->btnRenderBackwards, Qt::LeftButton);
        QVERIFY(m_w.bWaitIdle());
        QTRY_COMPARE(m_w.pWindow->sldrFrameNumber->value(), 0);
        QCOMPARE(uiGetCurrentSelectionFrameNumber(project), unsigned(frames - 1));
        for (int k = 0; k < frames - 1; ++k) {
            const double worst
                = testenv::dWorstCornerError(project, layer, unsigned(k), testenv::vecTrackingTruth(model, k));
            QVERIFY2(worst < 1.0, qPrintable(QStringLiteral("back at frame %1 off by %2 px").arg(k).arg(worst)));
        }
    }

    void zoomWindowCaptions_data()
    {
        QTest::addColumn<bool>("interlaced");
        QTest::addColumn<QString>("caption");
        QTest::newRow("progressive") << false << "Frame 1001";
        // Fields are named as the time display names them.
        QTest::newRow("interlaced") << true << "Field 500:L";
    }

    // Away from the frame the track started on, window 0 shows that frame and window 1 the
    // current one, each named.
    void zoomWindowCaptions()
    {
        QFETCH(bool, interlaced);
        QFETCH(QString, caption);
        m_w.pOpen(qstrClip(CW_MOTION_TRANSLATION, 4));
        vSetClipFormat(interlaced);
        m_w.pWindow->sltUpdateGUI(2);
        m_w.pWindow->sltSetFrame(0);
        QCOMPARE(caption.section(QLatin1Char(' '), 1), m_w.pWindow->tcedtCurrentFrame->text());
        iLayerWithReferenceFrame();
        m_w.pViewer->grabFramebuffer();
        const auto log = standin::testing::stctGetViewerState(m_w.pProject).vecZoomWindowLog;
        QCOMPARE(int(log.size()), 2);
        QCOMPARE(log[0].iWindow, 0);
        QCOMPARE(QString::fromStdString(log[0].strCaption), caption);
        QCOMPARE(log[0].uiFrame, 0u);
        QCOMPARE(log[1].iWindow, 1);
        QCOMPARE(QString::fromStdString(log[1].strCaption), QStringLiteral("Current Frame"));
        QCOMPARE(log[1].uiFrame, 2u);
        bool first = false;
        bool second = false;
        bool third = true;
        m_w.pPage->sltZoomWindowsActive(m_w.pProject, first, second, third);
        QVERIFY(first && second && !third);
    }

    // The windows magnify the tracked clip; over a clip of another source there are none.
    void noZoomWindowsOverAnotherSource()
    {
        m_w.pOpen(qstrClip(CW_MOTION_TRANSLATION, 4));
        const int layer = iLayerWithReferenceFrame();
        CW_ClipInfo files = *pcstctGetClipInfo(m_w.pProject, 1);
        standin::testing::vRegisterClip(m_w.pProject, 2, *pcstctGetBaseClipInfo(m_w.pProject, 1));
        standin::testing::vSetClipListing(m_w.pProject, 2, QStringLiteral("other"), files);
        pGetTrackingParameters(m_w.pProject, layer)->pInputClip->setStaticValue(2u);
        m_w.pViewer->grabFramebuffer();
        QVERIFY(standin::testing::stctGetViewerState(m_w.pProject).vecZoomWindowLog.empty());
        bool first = true;
        bool second = true;
        bool third = true;
        m_w.pPage->sltZoomWindowsActive(m_w.pProject, first, second, third);
        QVERIFY(!first && !second && !third);
        // The same clip's windows come back once the input is the shown clip's source again.
        pGetTrackingParameters(m_w.pProject, layer)->pInputClip->setStaticValue(1u);
        m_w.pViewer->grabFramebuffer();
        QCOMPARE(int(standin::testing::stctGetViewerState(m_w.pProject).vecZoomWindowLog.size()), 2);
    }

    // Away from the reference frame the reference is laid over the current frame at half
    // strength: the frame the user is on, where the tracked shape stands, stays visible.
    void referenceFrameLiesOverTheCurrentOne()
    {
        pGetViewOptionsManager()->showZoomWindows = false;
        m_w.pOpen(qstrClip(CW_MOTION_TRANSLATION, 4));
        vFixView();
        const int layer = iLayerWithReferenceFrame();
        const QImage over = m_w.pViewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
        // Each frame alone: the layer's reference made the frame shown.
        m_w.pWindow->sltSetFrame(0);
        m_w.pWindow->sltUpdateGUI(2);
        const QImage reference = m_w.pViewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
        m_w.pWindow->sltSetFrame(2);
        m_w.pWindow->sltUpdateGUI(2);
        QVERIFY(bUpdateLayerFrameToCurrentFrame(m_w.pProject));
        QCOMPARE(uiGetCurrentSelectionFrameNumber(m_w.pProject), 2u);
        const QImage current = m_w.pViewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32);
        QVERIFY(layer != 0);
        QCOMPARE(over.size(), current.size());
        double apart = 0.0;
        double offMean = 0.0;
        for (int y = 0; y < over.height(); ++y)
            for (int x = 0; x < over.width(); ++x) {
                const QRgb a = reference.pixel(x, y);
                const QRgb b = current.pixel(x, y);
                const QRgb o = over.pixel(x, y);
                apart += std::abs(qGreen(a) - qGreen(b));
                offMean += std::abs(2 * qGreen(o) - qGreen(a) - qGreen(b)) / 2.0;
            }
        // The frames differ where the plane moved; the overlay is their mean up to the
        // outlines drawn over it.
        QVERIFY2(apart > 1000.0, qPrintable(QString::number(apart)));
        QVERIFY2(offMean < apart / 5.0, qPrintable(QStringLiteral("%1 against %2").arg(offMean).arg(apart)));
    }

    void failingDrawShowsItsMessage_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::newRow("selections") << "bRenderSelections";
        QTest::newRow("reference frame") << "bRenderOverlayFrame";
        QTest::newRow("zoom window") << "bRenderMousePosition";
    }

    // A drawing call that fails puts its reason over the view, in the message colour.
    void failingDrawShowsItsMessage()
    {
        QFETCH(QString, operation);
        m_w.pOpen(qstrClip(CW_MOTION_TRANSLATION, 4));
        vFixView();
        iLayerWithReferenceFrame();
        const int plain = iTvCount(m_w.pViewer->grabFramebuffer(), &bTvYellowish);
        standin::testing::vSetDrawFault(m_w.pProject, operation.toStdString(), "THIS OVERLAY CANNOT BE DRAWN");
        const int failed = iTvCount(m_w.pViewer->grabFramebuffer(), &bTvYellowish);
        standin::testing::vSetDrawFault(m_w.pProject, operation.toStdString(), "");
        QVERIFY2(failed > plain + 50, qPrintable(QStringLiteral("%1 against %2").arg(failed).arg(plain)));
    }

    void pointerRecordedPerField_data()
    {
        QTest::addColumn<bool>("interlaced");
        QTest::newRow("progressive") << false;
        QTest::newRow("interlaced") << true;
    }

    // On an interlaced clip AdjustTrack keeps the pointer's y in field lines, halved; the
    // Track page keeps it as the viewer gives it.
    void pointerRecordedPerField()
    {
        QFETCH(bool, interlaced);
        m_w.pOpen(qstrClip(CW_MOTION_TRANSLATION, 3));
        vSetClipFormat(interlaced);
        m_w.pWindow->sltUpdateGUI(2);
        vFixView();
        m_w.pViewer->setMouseTracking(true);
        const QPoint at = ptTvWidget(QPointF(100, 70));
        vMoveTo(at);
        const float trackX = m_w.pPage->lastPointerX;
        const float trackY = m_w.pPage->lastPointerY;
        QVERIFY(trackY > 1.0f && trackY < 1000.0f);

        auto* adjust = m_w.pWindow->findChild<frmAdjustTrackPage*>();
        QVERIFY(adjust);
        m_w.vShowTab(QStringLiteral("AdjustTrack"));
        QCOMPARE(pGetCurrentControlForm(), static_cast<CWKControlForm*>(adjust));
        vFixView();
        vMoveTo(at);
        QCOMPARE(adjust->lastPointerX, trackX);
        QCOMPARE(adjust->lastPointerY, interlaced ? trackY / 2.0f : trackY);
    }
};

PLINTRA_TEST_MAIN(TstTrackViewer)
#include "tst_trackviewer.moc"
