// Plays generated image sequences at their frame rate through the main window's own playback
// (timer, frame slider, engine frame change, viewer repaint) and counts, at the screen, the
// frames that came late and the frames that never came: an 8-bit and a 16-bit PNG clip, each
// once read from its files (nothing decoded, the files dropped from the kernel's cache) and
// once with every frame decoded already.
//
// A pass starts on the first frame, drawn just then (read from its file on a cold pass), and
// plays at once. A frame is late when it reached the screen more than half an interval after
// its place in the schedule that starts when playback starts (frame k due k intervals
// later); a late frame starts the schedule again from its arrival, as playback does after a
// stall, so that one stall counts once. A frame is dropped when it never reached the screen. Prints each pass of each run, the median of the runs,
// and last the summary line
//   files8_late=.. files8_dropped=.. cached8_late=.. cached8_dropped=.. files16_late=..
//   files16_dropped=.. cached16_late=.. cached16_dropped=.. files8_fps=.. files16_fps=..
//
// Usage: playbackbench [--tiny] [--runs N] [frames] [width] [height] [rate]
//   Run under an X server, on two cores for the figures the program is held to:
//   xvfb-run -a -s "-screen 0 1920x1200x24" taskset -c 0,1 playbackbench
//   --tiny: 8 frames of 320x180 and one run (a quick check that it works).
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "velmor.h"
#include "viewer/frmMainGLWidget.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "common/BenchScreen.h"
#include "common/BenchProject.h"

namespace {

using namespace benchsequence;
using benchscreen::pBenchApp;

struct PbPass {
    double dSeconds = 0.0;
    int iShown = 0;
    int iLate = 0;
    int iDropped = 0;
    double dWorstLateMs = 0.0;
    unsigned int uiCompositions = 0;
    // The first late frames, with how late.
    QString qstrLateFrames;

    double dFps() const { return dSeconds > 0.0 ? iShown / dSeconds : 0.0; }
};

// One play from the first frame to the last, one way, counted at the screen.
PbPass stctPbPlay(frmMain& window, int frames, float rate)
{
    window.sldrFrameNumber->setValue(0);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // The first frame on screen, as the user sees it when pressing play: shown now, read
    // from its file on a cold pass; playback starts at once.
    window.pGetGLWidget()->glDraw();

    // When each frame first reached the screen, on the application's clock.
    std::map<int, qint64> shownAt;
    benchscreen::BenchApplication* app = pBenchApp();
    app->vWatch(&window, window.pGetGLWidget());
    if (!app->m_clock.isValid())
        app->m_clock.start();
    app->fnComposed = [&shownAt, app]() {
        if (app->m_iShownFrame >= 0 && !shownAt.count(app->m_iShownFrame))
            shownAt[app->m_iShownFrame] = app->m_iLastComposedNs;
    };
    const unsigned int compositionsBefore = app->m_uiCompositions;
    const qint64 start = app->m_clock.nsecsElapsed();
    window.sltPlayForwards();
    QElapsedTimer clock;
    clock.start();
    const qint64 limit = qint64(4000 + 3000.0 * frames / rate);
    while (window.pGetPlaybackTimer() && clock.elapsed() < limit)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // The last frame's repaint may still be on its way when playback ends.
    settle.start();
    while (!shownAt.count(frames - 1) && settle.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    app->fnComposed = nullptr;
    if (window.pGetPlaybackTimer())
        window.sltStopPlayback();

    PbPass pass;
    pass.uiCompositions = app->m_uiCompositions - compositionsBefore;
    const double interval = 1.0e9 / double(rate);
    qint64 last = start;
    // The schedule: frame k due k intervals after playback started; a late frame starts it
    // again from its own arrival, as playback does after a stall.
    qint64 anchor = start;
    int anchorFrame = 0;
    for (int k = 1; k < frames; ++k) {
        auto it = shownAt.find(k);
        if (it == shownAt.end()) {
            ++pass.iDropped;
            continue;
        }
        ++pass.iShown;
        last = std::max(last, it->second);
        const double lateness = double(it->second - anchor) - double(k - anchorFrame) * interval;
        pass.dWorstLateMs = std::max(pass.dWorstLateMs, lateness / 1.0e6);
        if (lateness > interval / 2) {
            if (++pass.iLate <= 5)
                pass.qstrLateFrames += QStringLiteral(" %1 (+%2 ms)").arg(k).arg(lateness / 1.0e6, 0, 'f', 1);
            anchor = it->second;
            anchorFrame = k;
        }
    }
    pass.dSeconds = double(last - start) / 1.0e9;
    return pass;
}

void vPbPrint(const char* name, const PbPass& pass, int frames, float rate)
{
    std::printf("  %-18s %6.2f fps (clip %.2f)  %d of %d frames on screen, %d late, %d dropped, worst %+.1f ms"
                "  (%u compositions)%s%s\n",
        name, pass.dFps(), double(rate), pass.iShown, frames - 1, pass.iLate, pass.iDropped, pass.dWorstLateMs,
        pass.uiCompositions, pass.iLate ? "  late:" : "", qPrintable(pass.qstrLateFrames));
}

void vPbShowProject(frmMain& window, CW_Instance project)
{
    ProjectManagerInstance::instance()->setInstance(project);
    window.sltUpdateGUI(2);
    for (int i = 0; i < 3 && window.eGetPlayMode() != frmMain::UniDirection; ++i)
        window.btnPlayMode_clicked();
    frmMainGLWidget* viewer = window.pGetGLWidget();
    vResizeWindow(project, viewer->width(), viewer->height());
    viewer->vFitToClip(project);
    viewer->glDraw();
}

double dPbMedian(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

} // namespace

int main(int argc, char** argv)
{
    benchscreen::BenchHome home;
    benchscreen::BenchApplication app(argc, argv);
    benchscreen::vNameBench(QStringLiteral("playbackbench"));

    QStringList args = app.arguments();
    args.removeFirst();
    bool tiny = false;
    int runs = 3;
    bool runsGiven = false;
    QStringList numbers;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--tiny")) {
            tiny = true;
        } else if (args.at(i) == QLatin1String("--runs") && i + 1 < args.size()) {
            runs = args.at(++i).toInt();
            runsGiven = true;
        } else {
            numbers << args.at(i);
        }
    }
    const int frames = numbers.size() > 0 ? numbers.at(0).toInt() : tiny ? 8 : 100;
    const int width = numbers.size() > 1 ? numbers.at(1).toInt() : tiny ? 320 : 1920;
    const int height = numbers.size() > 2 ? numbers.at(2).toInt() : tiny ? 180 : 1080;
    const float rate = numbers.size() > 3 ? numbers.at(3).toFloat() : 25.0f;
    if (tiny && !runsGiven)
        runs = 1;
    if (frames <= 1 || width <= 0 || height <= 0 || !(rate > 0.0f) || runs < 1) {
        std::fprintf(stderr, "usage: playbackbench [--tiny] [--runs N] [frames] [width] [height] [rate]\n");
        return 2;
    }

    QTemporaryDir folder8;
    QTemporaryDir folder16;
    std::printf("writing %d frames of %dx%d, 8 and 16 bits a channel ...\n", frames, width, height);
    std::fflush(stdout);
    if (!folder8.isValid() || !folder16.isValid() || !bBenchWriteSequence(folder8.path(), frames, width, height)
        || !bBenchWriteSequence(folder16.path(), frames, width, height, true)) {
        std::fprintf(stderr, "cannot write the sequences\n");
        return 1;
    }

    frmMain window;
    window.sltConfigureGUI();
    window.resize(1400, 900);
    window.move(0, 0);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !window.pGetGLWidget()) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }
    standin::testing::vSetDecodedFrameBudget(size_t(width) * size_t(height) * 4u * size_t(frames + 1));
    const CW_Instance project8 = pBenchProject(folder8.path(), frames, width, height, rate);
    const CW_Instance project16 = pBenchProject(folder16.path(), frames, width, height, rate);
    frmMainGLWidget* viewer = window.pGetGLWidget();
    std::printf("window %dx%d, viewer %dx%d, %.2f frames per second, %s\n", window.width(), window.height(),
        viewer->width(), viewer->height(), double(rate),
        qgetenv("LP_NUM_THREADS").isEmpty() ? "all cores" : qPrintable("LP_NUM_THREADS=" + qgetenv("LP_NUM_THREADS")));

    // name -> per run: late, dropped, fps
    std::map<std::string, std::vector<double>> late;
    std::map<std::string, std::vector<double>> dropped;
    std::map<std::string, std::vector<double>> fps;
    bool ok = true;
    for (int run = 1; run <= runs; ++run) {
        std::printf("run %d\n", run);
        for (const auto& [bits, project, folder] :
            {std::make_tuple(8, project8, folder8.path()), std::make_tuple(16, project16, folder16.path())}) {
            vPbShowProject(window, project);
            // Nothing decoded, nothing in the kernel's file cache.
            vSetAllClipsHaveChangedSinceRendering(project);
            vBenchEvictFiles(folder, frames);
            const PbPass files = stctPbPlay(window, frames, rate);
            const PbPass cached = stctPbPlay(window, frames, rate);
            const std::string suffix = std::to_string(bits);
            vPbPrint(("from files, " + suffix + "-bit").c_str(), files, frames, rate);
            vPbPrint(("cached, " + suffix + "-bit").c_str(), cached, frames, rate);
            std::fflush(stdout);
            for (const auto& [name, pass] : {std::make_pair("files" + suffix, files), std::make_pair("cached" + suffix, cached)}) {
                late[name].push_back(pass.iLate);
                dropped[name].push_back(pass.iDropped);
                fps[name].push_back(pass.dFps());
                if (pass.iShown == 0)
                    ok = false;
            }
        }
    }
    std::printf("median of %d:", runs);
    for (const char* name : {"files8", "cached8", "files16", "cached16"})
        std::printf("  %s %.2f fps, %g late, %g dropped", name, dPbMedian(fps[name]), dPbMedian(late[name]),
            dPbMedian(dropped[name]));
    std::printf("\n");
    for (const char* name : {"files8", "cached8", "files16", "cached16"})
        std::printf("%s_late=%g %s_dropped=%g ", name, dPbMedian(late[name]), name, dPbMedian(dropped[name]));
    std::printf("files8_fps=%.2f files16_fps=%.2f\n", dPbMedian(fps["files8"]), dPbMedian(fps["files16"]));
    std::fflush(stdout);

    ProjectManagerInstance::instance()->setInstance(nullptr);
    window.sltUpdateGUI(1);
    vCloseProject(project8);
    vCloseProject(project16);
    return ok ? 0 : 1;
}
