// Plays a 100-frame 1920x1080 image sequence at 25 frames per second through the main
// window's own playback (timer, frame slider, engine frame change, merged viewer repaint),
// once with the frames read from their files and once with them decoded already, and prints
// the frame rate reached and how many frames were dropped (never drawn) or late.
//
// Usage: playbackbench [frames] [width] [height] [rate]   (run under an X server)
// The last line sums the run up in name=value pairs.
// LP_NUM_THREADS limits Mesa's software renderer; taskset limits the cores.
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "mainwindow/frmMain.h"
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
#include <QTimer>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "common/BenchSequence.h"

namespace {

using namespace benchsequence;

struct PbPass {
    double dSeconds = 0.0;
    int iSteps = 0;
    unsigned int uiDrawn = 0;
    int iLate = 0;
    double dWorstGapMs = 0.0;
};

// One play from the first frame to the last, one way, timed from the start to the end of
// playback.
PbPass stctPbPlay(frmMain& window, int frames, float rate)
{
    window.sldrFrameNumber->setValue(0);
    QCoreApplication::processEvents();
    standin::testing::vResetRenderTimings(false);
    std::vector<qint64> stepTimes;
    QElapsedTimer clock;
    const QMetaObject::Connection watch = QObject::connect(window.sldrFrameNumber, &QSlider::valueChanged,
        &window, [&](int) { stepTimes.push_back(clock.nsecsElapsed()); });
    clock.start();
    window.sltPlayForwards();
    while (window.pGetPlaybackTimer() && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // The last frame's repaint is still queued when playback ends.
    QElapsedTimer settle;
    settle.start();
    while (standin::testing::stctGetRenderTimings().uiFrames < unsigned(stepTimes.size()) && settle.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QObject::disconnect(watch);

    PbPass pass;
    pass.dSeconds = double(clock.nsecsElapsed()) / 1.0e9;
    pass.iSteps = int(stepTimes.size());
    pass.uiDrawn = standin::testing::stctGetRenderTimings().uiFrames;
    // Late: a step that came more than half an interval after its place in the schedule set
    // by the first step.
    const double interval = 1.0e9 / double(rate);
    for (size_t i = 0; i < stepTimes.size(); ++i) {
        if (i > 0)
            pass.dWorstGapMs = std::max(pass.dWorstGapMs, double(stepTimes[i] - stepTimes[i - 1]) / 1.0e6);
        if (double(stepTimes[i] - stepTimes.front()) > double(i) * interval + interval / 2)
            ++pass.iLate;
    }
    (void)frames;
    return pass;
}

void vPbPrint(const char* name, const PbPass& pass, int frames, float rate)
{
    const int steps = std::max(1, pass.iSteps);
    const double playedSeconds = pass.dSeconds;
    const int dropped = std::max(0, steps - int(pass.uiDrawn));
    std::printf("%-20s %6.2f fps achieved (target %.2f)  %d of %d frames shown, %d dropped, %d late, worst gap %.1f ms"
                "  (%.2f s)\n",
        name, steps / playedSeconds, double(rate), int(pass.uiDrawn), frames - 1, dropped, pass.iLate,
        pass.dWorstGapMs, playedSeconds);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("playbackbench"));
    QCoreApplication::setApplicationName(QStringLiteral("playbackbench"));
    vCreateSettings();

    const QStringList args = app.arguments();
    const int frames = args.size() > 1 ? args.at(1).toInt() : 100;
    const int width = args.size() > 2 ? args.at(2).toInt() : 1920;
    const int height = args.size() > 3 ? args.at(3).toInt() : 1080;
    const float rate = args.size() > 4 ? args.at(4).toFloat() : 25.0f;
    if (frames <= 1 || width <= 0 || height <= 0 || !(rate > 0.0f)) {
        std::fprintf(stderr, "usage: playbackbench [frames] [width] [height] [rate]\n");
        return 2;
    }

    QTemporaryDir folder;
    std::printf("writing %d frames of %dx%d to %s ...\n", frames, width, height, qPrintable(folder.path()));
    std::fflush(stdout);
    if (!folder.isValid() || !bBenchWriteSequence(folder.path(), frames, width, height)) {
        std::fprintf(stderr, "cannot write the sequence\n");
        return 1;
    }

    frmMain window;
    window.sltConfigureGUI();
    window.resize(1400, 900);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }

    CW_Instance project = standin::testing::pCreateProject();
    CW_BaseClipInfo base;
    base.uiWidth = unsigned(width);
    base.uiHeight = unsigned(height);
    base.uiCount = unsigned(frames);
    base.fFrameRate = rate;
    standin::testing::vRegisterClip(project, 1, base);
    CW_ClipInfo files;
    files.qstrFolder = folder.path();
    files.qstrFileName = QStringLiteral("bench");
    files.qstrThirdPart = QStringLiteral(".png");
    files.iFirstFileNumber = 1;
    files.iLastFileNumber = frames;
    files.iThirdNumber = 4;
    standin::testing::vSetClipListing(project, 1, QStringLiteral("bench"), files);
    standin::testing::vSetDecodedFrameBudget(size_t(width) * size_t(height) * 4u * size_t(frames + 1));
    ProjectManagerInstance::instance()->setInstance(project);
    window.sltUpdateGUI(2);
    for (int i = 0; i < 3 && window.eGetPlayMode() != frmMain::UniDirection; ++i)
        window.btnPlayMode_clicked();
    frmMainGLWidget* viewer = window.pGetGLWidget();
    if (!viewer) {
        std::fprintf(stderr, "the window has no viewer\n");
        return 1;
    }
    vResizeWindow(project, viewer->width(), viewer->height());
    viewer->vFitToClip(project);
    viewer->glDraw();

    std::printf("viewer %dx%d, %s\n", viewer->width(), viewer->height(),
        qgetenv("LP_NUM_THREADS").isEmpty() ? "all cores" : qPrintable("LP_NUM_THREADS=" + qgetenv("LP_NUM_THREADS")));
    vBenchEvictFiles(folder.path(), frames);
    const PbPass cold = stctPbPlay(window, frames, rate);
    const PbPass cached = stctPbPlay(window, frames, rate);
    vPbPrint("from files", cold, frames, rate);
    vPbPrint("cached", cached, frames, rate);
    std::printf("bench=playbackbench frames=%d width=%d height=%d rate=%.2f", frames, width, height, double(rate));
    const auto printPass = [](const char* name, const PbPass& pass) {
        std::printf(" %s_fps=%.2f %s_shown=%u %s_late=%d", name, pass.iSteps / pass.dSeconds, name, pass.uiDrawn, name,
            pass.iLate);
    };
    printPass("cold", cold);
    printPass("cached", cached);
    std::printf("\n");
    std::fflush(stdout);

    ProjectManagerInstance::instance()->setInstance(nullptr);
    vCloseProject(project);
    window.sltUpdateGUI(1);
    return 0;
}
