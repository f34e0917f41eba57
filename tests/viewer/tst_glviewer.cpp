#include "TestEnvironment.h"
#include "ViewerTestFixture.h"

#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "brandor.h"
#include "mainwindow/frmMain.h"
#include "tamsin.h"
#include "viewer/ViewOptionsManager.h"
#include "viewer/frmMainGLWidget.h"

#include <QPointer>
#include <QRegularExpression>
#include <QWheelEvent>
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

// Counts the paints a widget gets.
class GlvPaintCounter : public QObject {
public:
    explicit GlvPaintCounter(QWidget* widget)
        : m_pWidget(widget)
    {
        widget->installEventFilter(this);
    }
    ~GlvPaintCounter() override
    {
        if (m_pWidget)
            m_pWidget->removeEventFilter(this);
    }
    int m_iPaints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++m_iPaints;
        return false;
    }

private:
    QPointer<QWidget> m_pWidget;
};

// A project whose clip 1 is the generated clip described as interlaced (a field is half
// the picture's height) or with pixels that are not square, numbered from a frame offset.
CW_Instance pGlvProjectWithClip(
    const QString& folder, int fieldMode, double pixelAspect, int frames = 2, int frameOffset = 0)
{
    CW_Instance project = standin::testing::pCreateProject();
    CW_BaseClipInfo base;
    base.uiWidth = 64;
    base.uiHeight = fieldMode == 0 ? 48 : 24;
    base.uiCount = unsigned(frames);
    base.iFieldMode = fieldMode;
    base.dPixelAspectRatio = pixelAspect;
    base.iFrameOffset = frameOffset;
    standin::testing::vRegisterClip(project, 1, base);
    CW_ClipInfo files;
    files.qstrFolder = folder;
    files.qstrFileName = QStringLiteral("frame");
    files.qstrThirdPart = QStringLiteral(".png");
    files.iFirstFileNumber = 1;
    files.iLastFileNumber = frames;
    files.iThirdNumber = 4;
    standin::testing::vSetClipListing(project, 1, QStringLiteral("generated"), files);
    ProjectManagerInstance::instance()->setInstance(project);
    return project;
}

// The picture's extent along one row or column of a grab: the first and last pixel that is
// not canvas.
std::pair<int, int> pairGlvExtent(const QImage& grab, bool row, int at)
{
    const int length = row ? grab.width() : grab.height();
    int first = -1;
    int last = -1;
    for (int i = 0; i < length; ++i) {
        const QColor c = row ? grab.pixelColor(i, at) : grab.pixelColor(at, i);
        if (!bGlvNear(c, kGlvCanvas, 4)) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    return {first, last};
}

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

    void resizeOutOfProportionFollowsTheMeanRatio_data()
    {
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::addColumn<float>("zoom");
        // From zoom 2: the mean of the width and height ratios, not either one alone.
        QTest::newRow("narrower") << QSize(800, 600) << QSize(400, 600) << 1.5f;
        QTest::newRow("shorter") << QSize(800, 600) << QSize(800, 300) << 1.5f;
        QTest::newRow("wider, shorter") << QSize(800, 600) << QSize(1600, 300) << 2.5f;
        QTest::newRow("taller") << QSize(800, 600) << QSize(800, 1500) << 3.5f;
    }

    void resizeOutOfProportionFollowsTheMeanRatio()
    {
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        QFETCH(float, zoom);
        GlvResizableViewer viewer(nullptr, m_pWindow);
        vSetZoom(m_pProject, 2.0f);
        viewer.vResize(from.width(), from.height());
        QCOMPARE(fGetZoom(m_pProject), 2.0f);
        viewer.vResize(to.width(), to.height());
        QCOMPARE(fGetZoom(m_pProject), zoom);
    }

    void centringAndFitHonourFieldsAndPixelAspect_data()
    {
        QTest::addColumn<int>("fieldMode");
        QTest::addColumn<double>("pixelAspect");
        QTest::newRow("progressive, square pixels") << 0 << 1.0;
        QTest::newRow("upper field first") << 1 << 1.0;
        QTest::newRow("lower field first") << 2 << 1.0;
        QTest::newRow("pixel aspect 2") << 0 << 2.0;
        QTest::newRow("interlaced, pixel aspect 0.5") << 1 << 0.5;
    }

    void centringAndFitHonourFieldsAndPixelAspect()
    {
        QFETCH(int, fieldMode);
        QFETCH(double, pixelAspect);
        m_pProject = pGlvProjectWithClip(m_dir.path(), fieldMode, pixelAspect);
        vResizeWindow(m_pProject, m_pViewer->width(), m_pViewer->height());
        const int width = m_pViewer->width();
        const int height = m_pViewer->height();
        // The picture as shown: 64 pixels of the clip's aspect wide, a frame (two fields) high.
        const double shownAspect = 64.0 * pixelAspect / 48.0;

        // Centred from anywhere: the four quadrants meet in the middle of the widget.
        vSetZoom(m_pProject, 3.0f);
        vSetOrigin(m_pProject, 5.0f, 7.0f);
        m_pViewer->vCentreImage(m_pProject);
        QImage grab = imgGrab();
        const std::vector<QColor> colours = vecViewerTestQuadrants(0);
        const QPoint around[4] = {{-6, -6}, {6, -6}, {-6, 6}, {6, 6}};
        for (int i = 0; i < 4; ++i) {
            const QPoint at = QPoint(width / 2, height / 2) + around[i];
            QVERIFY2(bGlvNear(grab.pixelColor(at), colours[size_t(i)]),
                qPrintable(QStringLiteral("quadrant %1 at %2,%3 is %4").arg(i).arg(at.x()).arg(at.y()).arg(grab.pixelColor(at).name())));
        }
        std::pair<int, int> across = pairGlvExtent(grab, true, height / 2 - 3);
        std::pair<int, int> down = pairGlvExtent(grab, false, width / 2 - 3);
        QVERIFY(std::abs(across.first + across.second - (width - 1)) <= 2);
        QVERIFY(std::abs(down.first + down.second - (height - 1)) <= 2);
        QVERIFY(std::abs(double(across.second - across.first + 1) / double(down.second - down.first + 1) - shownAspect)
            < 0.05 * shownAspect);

        // Fitted: centred, the picture's own shape, the limiting side filled to the margin.
        m_pViewer->vFitToClip(m_pProject);
        grab = imgGrab();
        across = pairGlvExtent(grab, true, height / 2 - 3);
        down = pairGlvExtent(grab, false, width / 2 - 3);
        QVERIFY2(across.first >= 0 && down.first >= 0, "the fitted picture is not in the widget");
        const int shownWidth = across.second - across.first + 1;
        const int shownHeight = down.second - down.first + 1;
        QVERIFY2(std::abs(across.first + across.second - (width - 1)) <= 2,
            qPrintable(QStringLiteral("across %1..%2 of %3").arg(across.first).arg(across.second).arg(width)));
        QVERIFY2(std::abs(down.first + down.second - (height - 1)) <= 2,
            qPrintable(QStringLiteral("down %1..%2 of %3").arg(down.first).arg(down.second).arg(height)));
        QVERIFY(std::abs(double(shownWidth) / double(shownHeight) - shownAspect) < 0.05 * shownAspect);
        QVERIFY(across.first >= 1 && down.first >= 1);
        QVERIFY(shownWidth >= width - 14 || shownHeight >= height - 14);
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
        // Text drawn before goes through the same scratch texture with its channels in the
        // other order: the picture must not inherit that.
        standin::testing::vEditViewerState(
            m_pProject, [](standin::ViewerState& state) { state.strRenderFault = "No frame"; });
        imgGrab();
        standin::testing::vEditViewerState(m_pProject, [](standin::ViewerState& state) { state.strRenderFault.clear(); });
        QImage picture(20, 10, QImage::Format_RGBA8888);
        picture.fill(QColor(255, 128, 0));
        Tam_Image* image = tam_image_form_gen(20, 10, int(picture.bytesPerLine()), TAM_RGBA, TAM_UINT8, picture.bits());
        m_pViewer->vSetImageB(image);
        m_pPage->m_iOverlayCount = 0;
        // Shown at once, without the merged repaint, and without the page's overlays.
        m_pViewer->updateGL();
        const QImage grab = imgGrab();
        m_pViewer->vSetImageB(nullptr);
        image->free(image);
        QCOMPARE(m_pPage->m_iOverlayCount, 0);
        QVERIFY2(bGlvNear(grab.pixelColor(m_pViewer->width() / 2, m_pViewer->height() / 2), QColor(255, 128, 0)),
            qPrintable(grab.pixelColor(m_pViewer->width() / 2, m_pViewer->height() / 2).name()));
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

    void immediateRepaintTakesTheWindowsRepaintsAlong()
    {
        QTest::qWait(50);
        GlvPaintCounter slider(m_pWindow->sldrFrameNumber);
        const unsigned int swaps = m_pViewer->uiGetSwapCount();
        m_pWindow->sldrFrameNumber->update();
        m_pViewer->sltUpdateGL();
        // The frame and the slider went to the screen together, before the event loop ran.
        QCOMPARE(m_pViewer->uiGetSwapCount(), swaps + 1);
        QVERIFY(slider.m_iPaints >= 1);
    }

    void windowCompositionDrawsTheWaitingFrameFirst()
    {
        QTest::qWait(50);
        GlvPaintCounter slider(m_pWindow->sldrFrameNumber);
        const unsigned int swaps = m_pViewer->uiGetSwapCount();
        m_pViewer->updateGL();
        m_pWindow->sldrFrameNumber->update();
        QCOMPARE(m_pViewer->uiGetSwapCount(), swaps);
        // The window's composition comes first: the waiting frame goes to the screen with it,
        // and the merged repaint has nothing left to do.
        QCoreApplication::sendPostedEvents(m_pWindow, QEvent::UpdateRequest);
        QCOMPARE(m_pViewer->uiGetSwapCount(), swaps + 1);
        QVERIFY(slider.m_iPaints >= 1);
        QTest::qWait(50);
        QCOMPARE(m_pViewer->uiGetSwapCount(), swaps + 1);
    }

    void heldCompositionShowsNothingUntilReleased()
    {
        QTest::qWait(50);
        GlvPaintCounter slider(m_pWindow->sldrFrameNumber);
        const unsigned int swaps = m_pViewer->uiGetSwapCount();
        m_pViewer->vHoldComposition(true);
        m_pViewer->vHoldComposition(true);
        m_pWindow->sldrFrameNumber->update();
        m_pViewer->updateGL();
        QTest::qWait(80);
        m_pViewer->sltUpdateGL();
        QCOMPARE(slider.m_iPaints, 0);
        QCOMPARE(m_pViewer->uiGetSwapCount(), swaps);
        // Holds nest: the inner one ending releases nothing.
        m_pViewer->vHoldComposition(false);
        QTest::qWait(50);
        QCOMPARE(slider.m_iPaints, 0);
        QCOMPARE(m_pViewer->uiGetSwapCount(), swaps);

        // Released: one composition, the slider painted in the same turn as the frame's swap.
        int paintsAtSwap = -1;
        const QMetaObject::Connection watch = connect(m_pViewer, &frmMainGLWidget::frameSwapped, this,
            [&]() { QMetaObject::invokeMethod(this, [&]() { paintsAtSwap = slider.m_iPaints; }, Qt::QueuedConnection); });
        m_pViewer->vHoldComposition(false);
        QTRY_COMPARE_WITH_TIMEOUT(m_pViewer->uiGetSwapCount(), swaps + 1, 2000);
        QTRY_VERIFY_WITH_TIMEOUT(paintsAtSwap >= 0, 2000);
        disconnect(watch);
        QVERIFY(paintsAtSwap >= 1);
        QTest::qWait(80);
        QCOMPARE(m_pViewer->uiGetSwapCount(), swaps + 1);
        QVERIFY(!m_pViewer->bIsCompositionHeld());
    }

    void stepReachesTheScreenInOneComposition_data()
    {
        QTest::addColumn<bool>("wheel");
        QTest::newRow("next-frame button") << false;
        QTest::newRow("mouse wheel") << true;
    }

    void stepReachesTheScreenInOneComposition()
    {
        QFETCH(bool, wheel);
        QTemporaryDir dir;
        QVERIFY(bWriteViewerTestClip(dir.path(), 64, 48, 5));
        m_pProject = pGlvProjectWithClip(dir.path(), 0, 1.0, 5, 1001);
        frmMainGLWidget::vSetInvertScrollWheel(false);
        m_pWindow->sltUpdateGUI(2);
        vResizeWindow(m_pProject, m_pViewer->width(), m_pViewer->height());
        m_pViewer->vFitToClip(m_pProject);
        QTest::qWait(100);
        QVERIFY(m_pWindow->btnNextFrame->isEnabled());
        GlvPaintCounter slider(m_pWindow->sldrFrameNumber);
        GlvPaintCounter clipEnd(m_pWindow->btnClipEnd);
        GlvPaintCounter clipStart(m_pWindow->btnClipStart);
        QString timeAtSwap;
        int sliderPaintsAtSwap = -1;
        unsigned int swapsAtStart = 0;
        const QMetaObject::Connection watch = connect(m_pViewer, &frmMainGLWidget::frameSwapped, this, [&]() {
            if (sliderPaintsAtSwap < 0) {
                sliderPaintsAtSwap = slider.m_iPaints;
                timeAtSwap = m_pWindow->tcedtCurrentFrame->text();
            }
        });
        for (int frame = 1; frame <= 3; ++frame) {
            slider.m_iPaints = 0;
            clipEnd.m_iPaints = 0;
            clipStart.m_iPaints = 0;
            sliderPaintsAtSwap = -1;
            swapsAtStart = m_pViewer->uiGetSwapCount();
            if (wheel) {
                const QPointF at(40, 30);
                QWheelEvent turn(at, m_pViewer->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
                QCoreApplication::sendEvent(m_pViewer, &turn);
            } else {
                QTest::mouseClick(m_pWindow->btnNextFrame, Qt::LeftButton);
            }
            QTRY_VERIFY_WITH_TIMEOUT(m_pViewer->uiGetSwapCount() > swapsAtStart, 2000);
            QTest::qWait(100);
            QCOMPARE(uiGetFrameNumber(m_pProject), unsigned(frame));
            // One composition: the frame's; nothing of the window reached the screen before
            // it, and the time display showed the new frame by then.
            QCOMPARE(m_pViewer->uiGetSwapCount(), swapsAtStart + 1);
            QCOMPARE(sliderPaintsAtSwap, 0);
            QVERIFY(slider.m_iPaints >= 1);
            QCOMPARE(timeAtSwap, m_pWindow->tcedtCurrentFrame->text());
            QCOMPARE(m_pWindow->tcedtCurrentFrame->text(), QString::number(1001 + frame));
            // Transport buttons whose state the step leaves as it was are not drawn again.
            QCOMPARE(clipEnd.m_iPaints, 0);
            if (frame >= 2)
                QCOMPARE(clipStart.m_iPaints, 0);
        }
        disconnect(watch);
        vCheckQuadrants(1);
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
