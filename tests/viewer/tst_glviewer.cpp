#include "TestEnvironment.h"
#include "ViewerTestFixture.h"

#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "brandor.h"
#include "mainwindow/frmMain.h"
#include "tamsin.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"

#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cmath>

namespace {

bool bGlvNear(const QColor& a, const QColor& b, int tolerance = 8)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

const QColor kGlvCanvas(51, 51, 51);

// Exposes the size handling, which Qt calls only for a shown widget.
class GlvResizableViewer : public frmMainGLWidget {
public:
    using frmMainGLWidget::frmMainGLWidget;
    void vResize(int width, int height) { resizeGL(width, height); }
};

} // namespace

class TstGLViewer : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    frmMainGLWidget* m_pViewer = nullptr;
    ViewerTestPage* m_pPage = nullptr;
    QTemporaryDir m_dir;
    CW_Instance m_pProject = nullptr;

    QImage imgGrab() { return m_pViewer->grabFramebuffer().convertToFormat(QImage::Format_RGB32); }

    // Where image point (x, y) lands in the widget.
    QPoint ptToWidget(float x, float y)
    {
        const float zoom = fGetZoom(m_pProject);
        return QPoint(int(std::floor(fGetOriginOffsetX(m_pProject) + x * zoom)),
            int(std::floor(fGetOriginOffsetY(m_pProject) + y * zoom)));
    }

    void vCheckQuadrants(int frame)
    {
        const QImage grab = imgGrab();
        const std::vector<QColor> colours = vecViewerTestQuadrants(frame);
        const QPointF probes[4] = {{16, 12}, {48, 12}, {16, 36}, {48, 36}};
        for (int i = 0; i < 4; ++i) {
            const QPoint at = ptToWidget(float(probes[i].x()), float(probes[i].y()));
            QVERIFY2(grab.rect().contains(at), qPrintable(QStringLiteral("probe %1 outside").arg(i)));
            QVERIFY2(bGlvNear(grab.pixelColor(at), colours[size_t(i)]),
                qPrintable(QStringLiteral("quadrant %1 at %2,%3 is %4")
                               .arg(i)
                               .arg(at.x())
                               .arg(at.y())
                               .arg(grab.pixelColor(at).name())));
        }
        // Just outside the picture on all four sides: canvas.
        const QPoint outside[4] = {ptToWidget(-3, 24), ptToWidget(67, 24), ptToWidget(32, -3), ptToWidget(32, 51)};
        for (const QPoint& at : outside) {
            if (grab.rect().contains(at))
                QVERIFY2(bGlvNear(grab.pixelColor(at), kGlvCanvas),
                    qPrintable(QStringLiteral("%1,%2 is %3").arg(at.x()).arg(at.y()).arg(grab.pixelColor(at).name())));
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(bWriteViewerTestClip(m_dir.path(), 64, 48, 2));
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        auto* tabs = new QTabWidget(m_pWindow);
        m_pPage = new ViewerTestPage();
        tabs->addTab(m_pPage, QStringLiteral("Track"));
        m_pWindow->vSetModuleTabWidget(tabs);
        m_pViewer = m_pWindow->pGetGLWidget();
        QVERIFY(m_pViewer);
        m_pWindow->resize(900, 700);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
    }

    void init()
    {
        standin::testing::vReset();
        m_pProject = pMakeViewerTestProject(m_dir.path(), 64, 48, 2, true);
        vResizeWindow(m_pProject, m_pViewer->width(), m_pViewer->height());
        QTest::qWait(20);
        m_pPage->m_iOverlayCount = 0;
    }

    void cleanupTestCase()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        delete m_pWindow;
    }

    void frameAtOneToOne()
    {
        vSetZoom(m_pProject, 1.0f);
        vSetOrigin(m_pProject, 10.0f, 20.0f);
        vCheckQuadrants(0);
        // Another frame made current shows its own pixels.
        QVERIFY(bMakeFrameCurrent(m_pProject, 1));
        vCheckQuadrants(1);
    }

    void frameAtFit()
    {
        m_pViewer->vFitToClip(m_pProject);
        const float zoom = fGetZoom(m_pProject);
        QVERIFY(zoom > 5.0f);
        // Centred: the middle of the picture is the middle of the widget.
        const QPoint centre = ptToWidget(32, 24);
        QVERIFY(std::abs(centre.x() - m_pViewer->width() / 2) <= 1);
        QVERIFY(std::abs(centre.y() - m_pViewer->height() / 2) <= 1);
        vCheckQuadrants(0);
        // Fit leaves a margin on the limiting side and fills the other way as far as it may.
        const QPoint topLeft = ptToWidget(0, 0);
        const QPoint bottomRight = ptToWidget(64, 48);
        QVERIFY(topLeft.x() >= 0 && topLeft.y() >= 0);
        QVERIFY(bottomRight.x() <= m_pViewer->width() && bottomRight.y() <= m_pViewer->height());
        QVERIFY(topLeft.x() <= 6 || topLeft.y() <= 6);
    }

    void layerOutlineDrawnOverTheFrame()
    {
        vSetZoom(m_pProject, 2.0f);
        vSetOrigin(m_pProject, 10.0f, 20.0f);
        standin::testing::vEditViewerState(m_pProject, [](standin::ViewerState& state) {
            standin::LayerOutline outline;
            outline.vecPoints = {{8.25, 8.25}, {56.25, 8.25}, {56.25, 40.25}, {8.25, 40.25}};
            state.mapLayerOutlines[1] = outline;
            state.iCurrentLayer = 1;
        });
        const QImage grab = imgGrab();
        // The top edge at image y 8.25 is widget row 36, on the red quadrant.
        QVERIFY(bGlvNear(grab.pixelColor(10 + 40, 36), QColor(255, 255, 0), 30));
        QVERIFY(bGlvNear(grab.pixelColor(10 + 40, 46), QColor(255, 0, 0)));
        // A hidden layer leaves the frame alone.
        standin::testing::vEditViewerState(
            m_pProject, [](standin::ViewerState& state) { state.mapLayerOutlines[1].bHidden = true; });
        QVERIFY(bGlvNear(imgGrab().pixelColor(10 + 40, 36), QColor(255, 0, 0)));
    }

    void failedRenderShowsYellowText()
    {
        vSetZoom(m_pProject, 1.0f);
        vSetOrigin(m_pProject, 10.0f, 20.0f);
        auto yellowPixels = [](const QImage& image) {
            int count = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    if (c.red() > 100 && c.green() > 100 && c.blue() < std::min(c.red(), c.green()) / 2)
                        ++count;
                }
            return count;
        };
        QCOMPARE(yellowPixels(imgGrab()), 0);
        standin::testing::vEditViewerState(
            m_pProject, [](standin::ViewerState& state) { state.strRenderFault = "The frame\ncannot be read"; });
        const QImage grab = imgGrab();
        QVERIFY(yellowPixels(grab) > 20);
        // Two lines around the middle of the widget: text above and below the centre row.
        const int middle = m_pViewer->height() / 2;
        const QImage upper = grab.copy(0, middle - 40, grab.width(), 40);
        const QImage lower = grab.copy(0, middle, grab.width(), 40);
        QVERIFY(yellowPixels(upper) > 10);
        QVERIFY(yellowPixels(lower) > 10);
    }

    void logoWithoutProject()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        const QImage grab = imgGrab();
        // A faint logo: somewhere in the middle differs slightly from the canvas, the
        // corners are canvas.
        QVERIFY(bGlvNear(grab.pixelColor(2, 2), kGlvCanvas, 2));
        int differing = 0;
        for (int y = grab.height() / 4; y < grab.height() * 3 / 4; y += 2)
            for (int x = grab.width() / 4; x < grab.width() * 3 / 4; x += 2) {
                const QColor c = grab.pixelColor(x, y);
                if (!bGlvNear(c, kGlvCanvas, 1)) {
                    ++differing;
                    QVERIFY2(bGlvNear(c, kGlvCanvas, 30), qPrintable(c.name()));
                }
            }
        QVERIFY(differing > 0);
    }

    void burstOfRequestsCostsTwoRepaints_data()
    {
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("repaints");
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("ten") << 10 << 2;
    }

    void burstOfRequestsCostsTwoRepaints()
    {
        QFETCH(int, requests);
        QFETCH(int, repaints);
        m_pPage->m_iOverlayCount = 0;
        for (int i = 0; i < requests; ++i)
            m_pViewer->updateGL();
        QCOMPARE(m_pPage->m_iOverlayCount, 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_pPage->m_iOverlayCount, repaints, 2000);
        QTest::qWait(50);
        QCOMPARE(m_pPage->m_iOverlayCount, repaints);
    }

    void resizeKeepsApparentSize()
    {
        GlvResizableViewer viewer(nullptr, m_pWindow);
        vSetZoom(m_pProject, 2.0f);
        viewer.vResize(800, 600);
        QCOMPARE(fGetZoom(m_pProject), 2.0f);
        viewer.vResize(400, 300);
        QCOMPARE(fGetZoom(m_pProject), 1.0f);
    }

    void resizeFromNothingKeepsAFiniteZoom()
    {
        // The viewer never hands the engine a zoom it would have to refuse.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("resizeGL")));
        GlvResizableViewer viewer(nullptr, m_pWindow);
        vSetZoom(m_pProject, 1.5f);
        viewer.vResize(0, 0);
        viewer.vResize(800, 600);
        QVERIFY(std::isfinite(fGetZoom(m_pProject)));
        QCOMPARE(fGetZoom(m_pProject), 1.5f);
        // Hidden to nothing and shown again: the zoom survives.
        viewer.vResize(0, 0);
        viewer.vResize(800, 600);
        QCOMPARE(fGetZoom(m_pProject), 1.5f);
        viewer.vResize(1600, 1200);
        QCOMPARE(fGetZoom(m_pProject), 3.0f);
    }

    void framesShownAgainAreNotReadOrUploadedAgain()
    {
        vSetZoom(m_pProject, 1.0f);
        vSetOrigin(m_pProject, 10.0f, 20.0f);
        vBRD_GLInitialiseTextures(64, 48, 4);
        standin::testing::vSetDecodedFrameBudget(size_t(1) << 30);
        standin::testing::vResetRenderTimings();
        for (unsigned int frame : {0u, 1u, 0u, 1u}) {
            QVERIFY(bMakeFrameCurrent(m_pProject, frame));
            m_pViewer->glDraw();
        }
        vCheckQuadrants(1);
        standin::testing::RenderTimings timings = standin::testing::stctGetRenderTimings();
        QVERIFY(timings.uiFrames >= 4);
        QCOMPARE(timings.uiUploads, 2u);
        QVERIFY(timings.uiReads <= 2u);

        // Without the display cache only a changed frame is uploaded; a bounded decoded
        // cache rereads what it let go.
        vBRD_GLInitialiseTextures(64, 48, 0);
        standin::testing::vSetDecodedFrameBudget(64 * 48 * 4);
        QCOMPARE(standin::testing::uiGetDecodedFrameCount(), size_t(1));
        standin::testing::vResetRenderTimings();
        m_pViewer->glDraw();
        m_pViewer->glDraw();
        QVERIFY(bMakeFrameCurrent(m_pProject, 0));
        m_pViewer->glDraw();
        timings = standin::testing::stctGetRenderTimings();
        QCOMPARE(timings.uiUploads, 2u);
        QCOMPARE(timings.uiReads, 1u);
        QCOMPARE(standin::testing::uiGetDecodedFrameCount(), size_t(1));
        vCheckQuadrants(0);
        standin::testing::vSetDecodedFrameBudget(size_t(1) << 30);
    }

    void overrideImageReplacesTheFrame()
    {
        QImage picture(20, 10, QImage::Format_RGBA8888);
        picture.fill(QColor(255, 0, 255));
        Tam_Image* image = tam_image_form_gen(20, 10, int(picture.bytesPerLine()), TAM_RGBA, TAM_UINT8, picture.bits());
        m_pViewer->vSetImageB(image);
        m_pPage->m_iOverlayCount = 0;
        // Shown at once, without the merged repaint, and without the page's overlays.
        m_pViewer->updateGL();
        const QImage grab = imgGrab();
        m_pViewer->vSetImageB(nullptr);
        image->free(image);
        QCOMPARE(m_pPage->m_iOverlayCount, 0);
        QVERIFY(bGlvNear(grab.pixelColor(m_pViewer->width() / 2, m_pViewer->height() / 2), QColor(255, 0, 255)));
        QVERIFY(bGlvNear(grab.pixelColor(2, 2), kGlvCanvas));
    }

    void canvasColourIsStoredAndShown()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        m_pViewer->vSetCanvasColour(0.0f, 0.5f, 1.0f);
        const QImage grab = imgGrab();
        m_pViewer->vSetCanvasColour(0.2f, 0.2f, 0.2f);
        QVERIFY(bGlvNear(grab.pixelColor(2, 2), QColor(0, 128, 255), 2));
        QSettings* settings = pGetUserSettings();
        QCOMPARE(settings->value(QStringLiteral("CanvasColorG")).toFloat(), 0.2f);
    }

    void channelsChooseWhatTheFrameShows()
    {
        vSetZoom(m_pProject, 1.0f);
        vSetOrigin(m_pProject, 10.0f, 20.0f);
        const QPoint inside = ptToWidget(16, 12);
        vSetChannelsToDisplay(m_pProject, false, 0, true);
        // The generated frames are opaque: their alpha shows white.
        QVERIFY(bGlvNear(imgGrab().pixelColor(inside), QColor(255, 255, 255)));
        vSetChannelsToDisplay(m_pProject, false, 0, false);
        QVERIFY(bGlvNear(imgGrab().pixelColor(inside), kGlvCanvas));
        vSetChannelsToDisplay(m_pProject, true, 0, false);
        QVERIFY(bGlvNear(imgGrab().pixelColor(inside), QColor(255, 0, 0)));
    }

    void switchingClipGoesThroughViewOptions()
    {
        ViewOptionsManager* options = pGetViewOptionsManager();
        QSignalSpy changed(options, &ViewOptionsManager::clipChanged);
        vSetZoom(m_pProject, 3.0f);
        vSetOrigin(m_pProject, 7.0f, 9.0f);

        // The clip already shown: nothing happens, not even with a redraw asked.
        m_pPage->m_iOverlayCount = 0;
        options->setClipToDisplay(1, true);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(m_pPage->m_iOverlayCount, 0);

        // A clip never shown is fitted and drawn at once.
        options->setClipToDisplay(2, true);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<CW_CLIP_ID>(), CW_CLIP_ID(2));
        QCOMPARE(eGetClipIDToDisplay(m_pProject), CW_CLIP_ID(2));
        QCOMPARE(options->clipToDisplay, CW_CLIP_ID(2));
        QCOMPARE(m_pPage->m_iOverlayCount, 1);
        QVERIFY(fGetZoom(m_pProject) > 5.0f);

        // Back to clip 1: its own view comes back; no redraw when none is asked.
        options->setClipToDisplay(1, false);
        QCOMPARE(changed.count(), 2);
        QCOMPARE(fGetZoom(m_pProject), 3.0f);
        QCOMPARE(fGetOriginOffsetX(m_pProject), 7.0f);
        QCOMPARE(fGetOriginOffsetY(m_pProject), 9.0f);
        QCOMPARE(m_pPage->m_iOverlayCount, 1);
    }

    void suppressedFrameStillDrawsOverlays()
    {
        vSetZoom(m_pProject, 1.0f);
        vSetOrigin(m_pProject, 10.0f, 20.0f);
        m_pViewer->vSetSuppressFrameRender(true);
        m_pPage->m_iOverlayCount = 0;
        const QImage grab = imgGrab();
        m_pViewer->vSetSuppressFrameRender(false);
        QVERIFY(m_pPage->m_iOverlayCount >= 1);
        QVERIFY(bGlvNear(grab.pixelColor(ptToWidget(16, 12)), kGlvCanvas));
    }
};

PLINTRA_TEST_MAIN(TstGLViewer)
#include "tst_glviewer.moc"
