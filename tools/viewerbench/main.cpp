// Steps the viewer through a 100-frame 1920x1080 image sequence, once with every frame read
// from its file and once with the frames already decoded, and prints frames per second
// and where the time of a frame went; then times the ways a frame can be uploaded.
//
// Usage: viewerbench [--tiny] [frames] [width] [height]   (run under an X server, e.g.
//   xvfb-run -a -s "-screen 0 1920x1200x24" taskset -c 0,1 viewerbench)
// The last line is the summary: cached_fps, cold_fps, upload_ms, draw_ms, show_ms (display
// cache off, the GL waited for) and rgba_upload_ms (the upload path alone).
// BENCH_W and BENCH_H set the viewer's size (1280x720), BENCH_REPEAT repeats the cached
// pass (for a profiler); LP_NUM_THREADS limits Mesa's software renderer.
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "brandor.h"
#include "standin/testing.h"
#include "velmor.h"
#include "viewer/frmMainGLWidget.h"

#include <QApplication>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>
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

#include "common/BenchScreen.h"
#include "common/BenchProject.h"

namespace {

using namespace benchsequence;
using benchscreen::pBenchApp;

struct BenchPass {
    double dSeconds = 0.0;
    standin::testing::RenderTimings timings;
    // The turns of the event loop that put a frame on screen, less reading, uploading and
    // drawing it: the swap and what goes with it.
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
    benchscreen::BenchApplication* app = pBenchApp();
    const unsigned int shownBefore = app->m_uiCompositions;
    const double showBefore = app->m_dComposingMs;
    const double cpuStart = dBenchCpuMs();
    QElapsedTimer timer;
    timer.start();
    for (int k = 0; k < frames; ++k) {
        bMakeFrameCurrent(project, unsigned(k));
        // The road a frame step takes in the program: a merged repaint request, drawn and
        // swapped to the screen when the event loop gets to it.
        viewer.updateGL();
        QElapsedTimer wait;
        wait.start();
        while (app->m_iShownFrame != k && wait.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    BenchPass pass;
    pass.dSeconds = double(timer.nsecsElapsed()) / 1.0e9;
    pass.dCpuMs = dBenchCpuMs() - cpuStart;
    pass.timings = standin::testing::stctGetRenderTimings();
    pass.dShowMs = app->m_dComposingMs - showBefore - pass.timings.dReadMs - pass.timings.dUploadMs
        - pass.timings.dDrawMs;
    pass.uiShown = app->m_uiCompositions - shownBefore;
    return pass;
}

// Times the ways a decoded frame (32-bit B, G, R, A rows) can go into a texture, in the
// viewer's own context, with the renderer waited for after each.
// Returns the RGBA path's time.
double dBenchUploadPaths(frmMainGLWidget& viewer, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = 0xff000000u | quint32(x * 7 + y * 13);
    }
    viewer.makeCurrent();
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (!context) {
        std::printf("upload paths: no context\n");
        return -1.0;
    }
    QOpenGLExtraFunctions* gl = context->extraFunctions();
    using BufferStorage = void (*)(GLenum, GLsizeiptr, const void*, GLbitfield);
    auto bufferStorage = reinterpret_cast<BufferStorage>(context->getProcAddress("glBufferStorage"));
    GLuint texture = 0;
    gl->glGenTextures(1, &texture);
    gl->glBindTexture(GL_TEXTURE_2D, texture);
    gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    auto median = [&](const std::function<void(int)>& upload) {
        std::vector<double> times;
        for (int k = 0; k < 15; ++k) {
            gl->glFinish();
            QElapsedTimer timer;
            timer.start();
            upload(k);
            gl->glFinish();
            times.push_back(double(timer.nsecsElapsed()) / 1.0e6);
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    std::vector<uchar> copy(size_t(image.sizeInBytes()));
    const double memcpyMs = median([&](int k) {
        image.bits()[0] = uchar(k);
        std::memcpy(copy.data(), image.constBits(), copy.size());
    });
    const double bgraMs = median([&](int k) {
        image.bits()[0] = uchar(k);
        gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, image.constBits());
    });
    const double rgbaMs = median([&](int k) {
        image.bits()[0] = uchar(k);
        gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.constBits());
    });
    // The same path from frames out of the processor's caches, as a step through a clip meets
    // them: each upload reads a frame of its own, of 16 written before the first (128 MB in HD).
    std::vector<QImage> frames(16, image);
    for (size_t i = 0; i < frames.size(); ++i)
        frames[i].bits()[0] = uchar(i);
    const double rgbaColdMs = median([&](int k) {
        const QImage& frame = frames[size_t(k) % frames.size()];
        gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frame.constBits());
    });
    frames.clear();
    double persistentMs = -1.0;
    if (bufferStorage) {
        GLuint buffer = 0;
        gl->glGenBuffers(1, &buffer);
        gl->glBindBuffer(GL_PIXEL_UNPACK_BUFFER, buffer);
        const GLbitfield flags = GL_MAP_WRITE_BIT | 0x0040 /* persistent */ | 0x0080 /* coherent */;
        bufferStorage(GL_PIXEL_UNPACK_BUFFER, GLsizeiptr(copy.size()), nullptr, flags);
        void* mapped = gl->glMapBufferRange(GL_PIXEL_UNPACK_BUFFER, 0, GLsizeiptr(copy.size()), flags);
        if (mapped) {
            persistentMs = median([&](int k) {
                image.bits()[0] = uchar(k);
                std::memcpy(mapped, image.constBits(), copy.size());
                gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
            });
            gl->glUnmapBuffer(GL_PIXEL_UNPACK_BUFFER);
        }
        gl->glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
        gl->glDeleteBuffers(1, &buffer);
    }
    gl->glDeleteTextures(1, &texture);
    const QByteArray renderer(reinterpret_cast<const char*>(gl->glGetString(GL_RENDERER)));
    viewer.doneCurrent();
    std::printf("upload paths for a %dx%d frame (%s): memcpy %.2f ms; BGRA 8_8_8_8_REV %.2f ms; RGBA bytes "
                "(swizzled when sampled) %.2f ms, from a frame out of cache %.2f ms; persistent buffer + RGBA %.2f ms\n",
        width, height, renderer.constData(), memcpyMs, bgraMs, rgbaMs, rgbaColdMs, persistentMs);
    return rgbaMs;
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
    benchscreen::BenchHome home;
    benchscreen::BenchApplication app(argc, argv);
    benchscreen::vNameBench(QStringLiteral("viewerbench"));

    QStringList args = app.arguments();
    // --tiny: a few small frames, a quick check that it works.
    const bool tiny = args.removeAll(QStringLiteral("--tiny")) > 0;
    const int frames = args.size() > 1 ? args.at(1).toInt() : tiny ? 8 : 100;
    const int width = args.size() > 2 ? args.at(2).toInt() : tiny ? 320 : 1920;
    const int height = args.size() > 3 ? args.at(3).toInt() : tiny ? 180 : 1080;
    if (frames <= 0 || width <= 0 || height <= 0) {
        std::fprintf(stderr, "usage: viewerbench [--tiny] [frames] [width] [height]\n");
        return 2;
    }

    QTemporaryDir folder;
    std::printf("writing %d frames of %dx%d to %s ...\n", frames, width, height, qPrintable(folder.path()));
    std::fflush(stdout);
    if (!folder.isValid() || !bBenchWriteSequence(folder.path(), frames, width, height)) {
        std::fprintf(stderr, "cannot write the sequence\n");
        return 1;
    }

    CW_Instance project = pBenchProject(folder.path(), frames, width, height);
    ProjectManagerInstance::instance()->setInstance(project);
    // Every frame of the clip fits in the decoded-frame cache.
    standin::testing::vSetDecodedFrameBudget(size_t(width) * size_t(height) * 4u * size_t(frames + 1));

    frmMainGLWidget viewer(nullptr, nullptr);
    const int viewWidth = qEnvironmentVariableIntValue("BENCH_W");
    const int viewHeight = qEnvironmentVariableIntValue("BENCH_H");
    viewer.resize(viewWidth > 0 ? viewWidth : 1280, viewHeight > 0 ? viewHeight : 720);
    app.vWatch(nullptr, &viewer);
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
    BenchPass summaryCold;
    BenchPass summaryCached;
    BenchPass summaryProfiled;
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
        if (textures == 0) {
            summaryCold = cold;
            summaryCached = cached;
            summaryProfiled = profiled;
        }
        vBenchPrint("  cached, GL waited for", profiled, frames);
        std::fflush(stdout);
    }
    std::printf("decoded frames kept: %zu\n", standin::testing::uiGetDecodedFrameCount());
    const double rgbaMs = dBenchUploadPaths(viewer, width, height);
    // Display cache off: every frame uploaded.
    std::printf("cached_fps=%.1f cold_fps=%.1f upload_ms=%.2f draw_ms=%.2f show_ms=%.2f rgba_upload_ms=%.2f\n",
        frames / summaryCached.dSeconds, frames / summaryCold.dSeconds, summaryProfiled.timings.dUploadMs / frames,
        summaryProfiled.timings.dDrawMs / frames, summaryProfiled.dShowMs / frames, rgbaMs);
    std::fflush(stdout);

    ProjectManagerInstance::instance()->setInstance(nullptr);
    vDeleteSettings();
    vCloseProject(project);
    return 0;
}
