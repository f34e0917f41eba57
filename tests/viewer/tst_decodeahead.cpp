#include "TestEnvironment.h"
#include "ViewerTestFixture.h"

#include "mainwindow/frmMain.h"
#include "viewer/frmMainGLWidget.h"

#include <QTabWidget>
#include <QThread>
#include <QTemporaryDir>
#include <cmath>

namespace {

// Frame k of the generated clips is one flat colour of its own.
QColor clrDaFrame(int frame, int variant = 0)
{
    return QColor::fromHsv((frame * 37 + variant * 180) % 360, 255, 255 - 40 * variant);
}

bool bDaWriteClip(const QString& folder, int width, int height, int frames, int variant = 0)
{
    for (int k = 0; k < frames; ++k) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(clrDaFrame(k, variant));
        if (!image.save(QDir(folder).filePath(QStringLiteral("frame%1.png").arg(k + 1, 4, 10, QLatin1Char('0')))))
            return false;
    }
    return true;
}

bool bDaNear(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) <= 8 && std::abs(a.green() - b.green()) <= 8
        && std::abs(a.blue() - b.blue()) <= 8;
}

constexpr int kDaFrames = 8;
constexpr size_t kDaFrameBytes = 64 * 48 * 4;

} // namespace

class TstDecodeAhead : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    frmMainGLWidget* m_pViewer = nullptr;
    QTemporaryDir m_dir;
    CW_Instance m_pProject = nullptr;

    // Makes the frame current, draws it at once and checks the picture's centre.
    bool bShowFrame(frmMainGLWidget* viewer, int frame, int variant = 0)
    {
        if (!bMakeFrameCurrent(m_pProject, unsigned(frame)))
            return false;
        viewer->glDraw();
        const QImage grab = viewer->grabFramebuffer();
        const QColor centre = grab.pixelColor(grab.width() / 2, grab.height() / 2);
        if (bDaNear(centre, clrDaFrame(frame, variant)))
            return true;
        qWarning("frame %d shows %s", frame, qPrintable(centre.name()));
        return false;
    }

    // A clean start: nothing decoded, nothing waiting.
    void vForgetEverything()
    {
        vSetAllClipsHaveChangedSinceRendering(m_pProject);
        QTRY_VERIFY_WITH_TIMEOUT(standin::testing::bDecodeAheadIdle(), 10000);
        vSetAllClipsHaveChangedSinceRendering(m_pProject);
        standin::testing::vResetRenderTimings();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(bDaWriteClip(m_dir.path(), 64, 48, kDaFrames));
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
        m_pViewer = m_pWindow->pGetGLWidget();
        QVERIFY(m_pViewer);
        m_pWindow->resize(700, 500);
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
    }

    void init()
    {
        standin::testing::vReset();
        standin::testing::vSetDecodedFrameBudget(size_t(1) << 30);
        m_pProject = pMakeViewerTestProject(m_dir.path(), 64, 48, kDaFrames);
        vResizeWindow(m_pProject, m_pViewer->width(), m_pViewer->height());
        m_pViewer->vFitToClip(m_pProject);
    }

    void cleanup()
    {
        standin::testing::vSetDecodeAheadDelay(0);
        standin::testing::vSetDecodedFrameBudget(size_t(1) << 30);
    }

    // The file of frame k of the suite's clip.
    QString qstrFrameFile(int frame) const
    {
        return QDir(m_dir.path()).filePath(QStringLiteral("frame%1.png").arg(frame + 1, 4, 10, QLatin1Char('0')));
    }

    void cleanupTestCase()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        delete m_pWindow;
    }

    void stepsFindTheNextFramesDecoded_data()
    {
        QTest::addColumn<QList<int>>("firstSteps");
        QTest::addColumn<QList<int>>("nextSteps");
        QTest::newRow("forward") << QList<int> {0, 1} << QList<int> {2, 3, 4, 5, 6, 7};
        QTest::newRow("backward") << QList<int> {7, 6} << QList<int> {5, 4, 3, 2, 1, 0};
    }

    void stepsFindTheNextFramesDecoded()
    {
        QFETCH(QList<int>, firstSteps);
        QFETCH(QList<int>, nextSteps);
        vForgetEverything();
        for (int frame : firstSteps)
            QVERIFY(bShowFrame(m_pViewer, frame));
        QTRY_VERIFY_WITH_TIMEOUT(standin::testing::bDecodeAheadIdle(), 10000);
        QCOMPARE(standin::testing::uiGetDecodedFrameCount(), size_t(kDaFrames));
        standin::testing::vResetRenderTimings();
        for (int frame : nextSteps)
            QVERIFY(bShowFrame(m_pViewer, frame));
        QCOMPARE(standin::testing::stctGetRenderTimings().uiReads, 0u);
    }

    void backToBackStepsDecodeEachFrameOnce_data()
    {
        QTest::addColumn<QList<int>>("steps");
        QTest::newRow("forward") << QList<int> {0, 1, 2, 3, 4, 5, 6, 7};
        QTest::newRow("backward") << QList<int> {7, 6, 5, 4, 3, 2, 1, 0};
        QTest::newRow("turning") << QList<int> {3, 4, 5, 4, 3, 2, 1, 2, 3, 6, 7};
        QTest::newRow("jumping") << QList<int> {0, 3, 1, 6, 2, 7, 5, 4, 0};
    }

    void backToBackStepsDecodeEachFrameOnce()
    {
        QFETCH(QList<int>, steps);
        vForgetEverything();
        for (int frame : steps)
            QVERIFY(bShowFrame(m_pViewer, frame));
        QTRY_VERIFY_WITH_TIMEOUT(standin::testing::bDecodeAheadIdle(), 10000);
        // Whoever decoded a frame, the drawing thread or a worker, nobody did it twice.
        const standin::testing::RenderTimings timings = standin::testing::stctGetRenderTimings();
        QCOMPARE(size_t(timings.uiReads + timings.uiDecodedAhead), standin::testing::uiGetDecodedFrameCount());
        QVERIFY(timings.uiReads >= 1);
    }

    void workersDecodeAsManyFramesAtOnceAsThereAreCores_data()
    {
        QTest::addColumn<int>("cachedFrames");
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<int>("mostAtOnce");
        const int cores = std::max(1, QThread::idealThreadCount());
        // Seven frames wait after the first; every core takes one while they last.
        QTest::newRow("room for the clip") << kDaFrames + 1 << QList<int> {0, 1} << std::min(cores, kDaFrames - 1);
        // Room for the shown frame and two more. A jump while two are decoded leaves them in
        // hand, and the two after the new frame wait for them: never more than two at once.
        QTest::newRow("room for three frames, a jump") << 3 << QList<int> {0, 5} << std::min(cores, 2);
    }

    void workersDecodeAsManyFramesAtOnceAsThereAreCores()
    {
        QFETCH(int, cachedFrames);
        QFETCH(QList<int>, steps);
        QFETCH(int, mostAtOnce);
        standin::testing::vSetDecodedFrameBudget(size_t(cachedFrames) * kDaFrameBytes);
        vForgetEverything();
        // Each decode lasts long enough for the others to start meanwhile.
        standin::testing::vSetDecodeAheadDelay(400);
        standin::testing::vResetDecodeAheadLog();
        for (int frame : steps)
            QVERIFY(bShowFrame(m_pViewer, frame));
        QTRY_VERIFY_WITH_TIMEOUT(standin::testing::bDecodeAheadIdle(), 20000);
        QCOMPARE(standin::testing::iGetMostDecodesAtOnce(), mostAtOnce);
        QVERIFY(standin::testing::uiGetDecodedFrameCount() <= size_t(cachedFrames));
    }

    void aheadFramesStartInTheOrderTheyAreNeeded_data()
    {
        QTest::addColumn<QList<int>>("steps");
        QTest::addColumn<QList<int>>("starts");
        QTest::newRow("forward") << QList<int> {2} << QList<int> {3, 4, 5, 6, 7};
        QTest::newRow("backward") << QList<int> {6, 5} << QList<int> {7, 4, 3, 2, 1, 0};
    }

    void aheadFramesStartInTheOrderTheyAreNeeded()
    {
        QFETCH(QList<int>, steps);
        QFETCH(QList<int>, starts);
        vForgetEverything();
        standin::testing::vResetDecodeAheadLog();
        for (int frame : steps) {
            QVERIFY(bShowFrame(m_pViewer, frame));
            QTRY_VERIFY_WITH_TIMEOUT(standin::testing::bDecodeAheadIdle(), 20000);
        }
        std::vector<QString> expected;
        for (int frame : starts)
            expected.push_back(qstrFrameFile(frame));
        std::vector<QString> started = standin::testing::vecGetDecodeAheadStarts();
        // A frame the drawing thread needed at once it decoded itself, not a worker.
        for (int frame : steps)
            started.erase(std::remove(started.begin(), started.end(), qstrFrameFile(frame)), started.end());
        QCOMPARE(started, expected);
    }

    void aheadStaysWithinTheCache()
    {
        standin::testing::vSetDecodedFrameBudget(3 * kDaFrameBytes);
        vForgetEverything();
        QVERIFY(bShowFrame(m_pViewer, 0));
        QTRY_VERIFY_WITH_TIMEOUT(standin::testing::bDecodeAheadIdle(), 10000);
        QCOMPARE(standin::testing::uiGetDecodedFrameCount(), size_t(3));
        QCOMPARE(standin::testing::stctGetRenderTimings().uiDecodedAhead, 2u);
        standin::testing::vResetRenderTimings();
        QVERIFY(bShowFrame(m_pViewer, 1));
        QVERIFY(bShowFrame(m_pViewer, 2));
        QCOMPARE(standin::testing::stctGetRenderTimings().uiReads, 0u);
        QTRY_VERIFY_WITH_TIMEOUT(standin::testing::bDecodeAheadIdle(), 10000);
        QVERIFY(standin::testing::uiGetDecodedFrameCount() <= size_t(3));

        // With room for the shown frame alone, nothing is decoded ahead.
        standin::testing::vSetDecodedFrameBudget(kDaFrameBytes);
        vForgetEverything();
        QVERIFY(bShowFrame(m_pViewer, 3));
        QVERIFY(bShowFrame(m_pViewer, 4));
        QVERIFY(standin::testing::bDecodeAheadIdle());
        QCOMPARE(standin::testing::stctGetRenderTimings().uiDecodedAhead, 0u);
        QCOMPARE(standin::testing::uiGetDecodedFrameCount(), size_t(1));
    }

    void changedFilesAreReadAgainDespiteWorkInHand()
    {
        QTemporaryDir dir;
        QVERIFY(bDaWriteClip(dir.path(), 640, 480, kDaFrames));
        m_pProject = pMakeViewerTestProject(dir.path(), 640, 480, kDaFrames);
        vResizeWindow(m_pProject, m_pViewer->width(), m_pViewer->height());
        m_pViewer->vFitToClip(m_pProject);
        QVERIFY(bShowFrame(m_pViewer, 0));
        QVERIFY(bShowFrame(m_pViewer, 1));
        // The workers are decoding the old files while they are replaced.
        QVERIFY(bDaWriteClip(dir.path(), 640, 480, kDaFrames, 1));
        vSetAllClipsHaveChangedSinceRendering(m_pProject);
        for (int frame = 2; frame < kDaFrames; ++frame)
            QVERIFY(bShowFrame(m_pViewer, frame, 1));
        QVERIFY(bShowFrame(m_pViewer, 0, 1));
    }

    void destroyingAViewerWhileDecodingJoinsTheWorkers()
    {
        QTemporaryDir dir;
        QVERIFY(bDaWriteClip(dir.path(), 1200, 900, kDaFrames));
        m_pProject = pMakeViewerTestProject(dir.path(), 1200, 900, kDaFrames);
        auto* viewer = new frmMainGLWidget(nullptr, m_pWindow);
        viewer->resize(320, 240);
        viewer->show();
        QVERIFY(QTest::qWaitForWindowExposed(viewer));
        vResizeWindow(m_pProject, viewer->width(), viewer->height());
        viewer->vFitToClip(m_pProject);
        QVERIFY(bShowFrame(viewer, 0));
        QVERIFY(bShowFrame(viewer, 1));
        QVERIFY(standin::testing::bDecodeAheadRunning());
        delete viewer;
        QVERIFY(!standin::testing::bDecodeAheadRunning());
        QVERIFY(standin::testing::bDecodeAheadIdle());
        vSetAllClipsHaveChangedSinceRendering(m_pProject);

        // The next viewer's steps start them again.
        vResizeWindow(m_pProject, m_pViewer->width(), m_pViewer->height());
        m_pViewer->vFitToClip(m_pProject);
        QVERIFY(bShowFrame(m_pViewer, 4));
        QVERIFY(bShowFrame(m_pViewer, 5));
        QVERIFY(standin::testing::bDecodeAheadRunning());
        QVERIFY(bShowFrame(m_pViewer, 6));
    }
};

PLINTRA_TEST_MAIN(TstDecodeAhead)
#include "tst_decodeahead.moc"
