// Steps the viewer through a 100-frame 1920x1080 image sequence, once with every frame read
// from its file and once with the frames already decoded, and prints frames per second
// and where the time of a frame went.
//
// Usage: viewerbench [frames] [width] [height]   (run under an X server, e.g. xvfb-run)
// The last line sums the run up in name=value pairs.
// BENCH_W and BENCH_H set the viewer's size (1280x720), BENCH_REPEAT repeats the cached
// pass (for a profiler); LP_NUM_THREADS limits Mesa's software renderer.
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "brandor.h"
#include "standin/testing.h"
#include "velmor.h"
#include "viewer/frmMainGLWidget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "common/BenchSequence.h"

namespace {

using namespace benchsequence;

// Times the toolkit's handling of the viewer's update requests: the widget's paint event
// and the composition of the window, swapped to the X server.
struct BenchShowTimer {
    double m_dShowMs = 0.0;
    unsigned int m_uiShown = 0;
    QObject* m_pWatched = nullptr;
};

class BenchApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        if (!m_pShow || receiver != m_pShow->m_pWatched || event->type() != QEvent::UpdateRequest)
            return QApplication::notify(receiver, event);
        QElapsedTimer timer;
        timer.start();
        const bool result = QApplication::notify(receiver, event);
        m_pShow->m_dShowMs += double(timer.nsecsElapsed()) / 1.0e6;
        ++m_pShow->m_uiShown;
        return result;
    }
    BenchShowTimer* m_pShow = nullptr;
};

struct BenchPass {
    double dSeconds = 0.0;
    standin::testing::RenderTimings timings;
    double dShowMs = 0.0;
    unsigned int uiShown = 0;
    // Processor time of this process (every thread, the renderer's too).
    double dCpuMs = 0.0;
};

double dBenchCpuMs()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

BenchPass stctBenchStep(frmMainGLWidget& viewer, CW_Instance project, int frames, bool measureDrawing)
{
    standin::testing::vResetRenderTimings(measureDrawing);
    BenchShowTimer& show = *static_cast<BenchApplication*>(qApp)->m_pShow;
    show.m_dShowMs = 0.0;
    show.m_uiShown = 0;
    const double cpuStart = dBenchCpuMs();
    QElapsedTimer timer;
    timer.start();
    for (int k = 0; k < frames; ++k) {
        bMakeFrameCurrent(project, unsigned(k));
        // The road a frame step takes in the program: a merged repaint request, drawn
        // when the event loop gets to it.
        const unsigned int drawn = standin::testing::stctGetRenderTimings().uiFrames;
        viewer.updateGL();
        QElapsedTimer wait;
        wait.start();
        while (standin::testing::stctGetRenderTimings().uiFrames == drawn && wait.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    BenchPass pass;
    pass.dSeconds = double(timer.nsecsElapsed()) / 1.0e9;
    pass.dCpuMs = dBenchCpuMs() - cpuStart;
    pass.timings = standin::testing::stctGetRenderTimings();
    pass.dShowMs = show.m_dShowMs;
    pass.uiShown = show.m_uiShown;
    return pass;
}

void vBenchPrint(const char* name, const BenchPass& pass, int frames)
{
    const standin::testing::RenderTimings& t = pass.timings;
    const double perFrame = pass.dSeconds * 1000.0 / frames;
    const double other = perFrame - (t.dReadMs + t.dUploadMs + t.dDrawMs + pass.dShowMs) / frames;
    std::printf("%-22s %7.1f fps  %6.2f ms/frame  read %6.2f  upload %6.2f  draw %6.2f  show %6.2f  rest %6.2f ms  cpu %6.2f ms"
                "  (%u drawn, %u shown, %u read, %u decoded ahead, %u uploaded)\n",
        name, frames / pass.dSeconds, perFrame, t.dReadMs / frames, t.dUploadMs / frames, t.dDrawMs / frames,
        pass.dShowMs / frames, other, pass.dCpuMs / frames, t.uiFrames, pass.uiShown, t.uiReads, t.uiDecodedAhead, t.uiUploads);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    QStandardPaths::setTestModeEnabled(true);
    BenchApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("viewerbench"));
    QCoreApplication::setApplicationName(QStringLiteral("viewerbench"));
    vCreateSettings();

    const QStringList args = app.arguments();
    const int frames = args.size() > 1 ? args.at(1).toInt() : 100;
    const int width = args.size() > 2 ? args.at(2).toInt() : 1920;
    const int height = args.size() > 3 ? args.at(3).toInt() : 1080;
    if (frames <= 0 || width <= 0 || height <= 0) {
        std::fprintf(stderr, "usage: viewerbench [frames] [width] [height]\n");
        return 2;
    }

    QTemporaryDir folder;
    std::printf("writing %d frames of %dx%d to %s ...\n", frames, width, height, qPrintable(folder.path()));
    std::fflush(stdout);
    if (!folder.isValid() || !bBenchWriteSequence(folder.path(), frames, width, height)) {
        std::fprintf(stderr, "cannot write the sequence\n");
        return 1;
    }

    CW_Instance project = standin::testing::pCreateProject();
    CW_BaseClipInfo base;
    base.uiWidth = unsigned(width);
    base.uiHeight = unsigned(height);
    base.uiCount = unsigned(frames);
    standin::testing::vRegisterClip(project, 1, base);
    CW_ClipInfo files;
    files.qstrFolder = folder.path();
    files.qstrFileName = QStringLiteral("bench");
    files.qstrThirdPart = QStringLiteral(".png");
    files.iFirstFileNumber = 1;
    files.iLastFileNumber = frames;
    files.iThirdNumber = 4;
    standin::testing::vSetClipListing(project, 1, QStringLiteral("bench"), files);
    ProjectManagerInstance::instance()->setInstance(project);
    // Every frame of the clip fits in the decoded-frame cache.
    standin::testing::vSetDecodedFrameBudget(size_t(width) * size_t(height) * 4u * size_t(frames + 1));

    frmMainGLWidget viewer(nullptr, nullptr);
    const int viewWidth = qEnvironmentVariableIntValue("BENCH_W");
    const int viewHeight = qEnvironmentVariableIntValue("BENCH_H");
    viewer.resize(viewWidth > 0 ? viewWidth : 1280, viewHeight > 0 ? viewHeight : 720);
    BenchShowTimer showTimer;
    showTimer.m_pWatched = &viewer;
    app.m_pShow = &showTimer;
    viewer.show();
    if (!QTest::qWaitForWindowExposed(&viewer)) {
        std::fprintf(stderr, "the viewer was not shown\n");
        return 1;
    }
    vResizeWindow(project, viewer.width(), viewer.height());
    viewer.vFitToClip(project);
    viewer.glDraw();

    std::printf("viewer %dx%d, zoom %.3f, %s, LP_PERF=%s\n", viewer.width(), viewer.height(),
        double(fGetZoom(project)),
        qgetenv("LP_NUM_THREADS").isEmpty() ? "all cores" : qPrintable("LP_NUM_THREADS=" + qgetenv("LP_NUM_THREADS")),
        qgetenv("LP_PERF").constData());
    // First with one texture refilled at each step, then with the display cache on (as the
    // preferences switch it on) large enough for the clip.
    // The summary line: the frame rates of the cold and cached passes, display cache off and on.
    QString summary
        = QStringLiteral("bench=viewerbench frames=%1 width=%2 height=%3").arg(frames).arg(width).arg(height);
    for (unsigned int textures : {0u, unsigned(frames)}) {
        vBRD_GLInitialiseTextures(unsigned(width), unsigned(height), textures);
        standin::testing::vSetDecodedFrameBudget(0);
        standin::testing::vSetDecodedFrameBudget(size_t(width) * size_t(height) * 4u * size_t(frames + 1));
        vBenchEvictFiles(folder.path(), frames);
        std::printf("display cache %s\n", textures ? "on" : "off");
        const BenchPass cold = stctBenchStep(viewer, project, frames, false);
        BenchPass cached = stctBenchStep(viewer, project, frames, false);
        for (int repeat = qEnvironmentVariableIntValue("BENCH_REPEAT"); repeat > 0; --repeat)
            cached = stctBenchStep(viewer, project, frames, false);
        const BenchPass profiled = stctBenchStep(viewer, project, frames, true);
        vBenchPrint("  cold (from files)", cold, frames);
        vBenchPrint("  cached", cached, frames);
        vBenchPrint("  cached, GL waited for", profiled, frames);
        std::fflush(stdout);
        const char* cache = textures ? "on" : "off";
        summary += QStringLiteral(" cache_%1_cold_fps=%2 cache_%1_cached_fps=%3")
                       .arg(QLatin1String(cache))
                       .arg(frames / cold.dSeconds, 0, 'f', 1)
                       .arg(frames / cached.dSeconds, 0, 'f', 1);
    }
    std::printf("decoded frames kept: %zu\n", standin::testing::uiGetDecodedFrameCount());
    std::printf("%s\n", qPrintable(summary));

    ProjectManagerInstance::instance()->setInstance(nullptr);
    vCloseProject(project);
    vDeleteSettings();
    return 0;
}
