// Steps through a generated image sequence the way a user does: with the main window's own
// next-frame and previous-frame buttons, waiting after each step until the new frame is
// composed into the window and on screen. In the same run a bare viewer of the same size
// steps through the same frames (the engine's frame change and the viewer's repaint alone),
// so the two figures are taken under the same load.
//
// Every step uploads its frame (no frame is kept as a texture). Prints, per run and as the
// median of the runs: steps per second, compositions of the window per step, and where the
// time of a step went (upload, draw, composition); the last line is the summary
//   steps=<per s> compositions=<per step> bare=<fps> upload_ms=<ms>
//
// Usage: stepbench [--tiny] [--runs N] [frames] [width] [height]
//   Run under an X server whose screen holds the 1400x900 window, on two cores for the
//   figures the program is held to:
//   xvfb-run -a -s "-screen 0 1920x1200x24" taskset -c 0,1 stepbench
//   --tiny: 8 frames of 320x180 and one run (a quick check that it works).
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "brandor.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "velmor.h"
#include "viewer/frmMainGLWidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/BenchScreen.h"
#include "common/BenchProject.h"

namespace {

using namespace benchsequence;
using benchscreen::pBenchApp;

struct SbPass {
    double dSeconds = 0.0;
    int iSteps = 0;
    unsigned int uiCompositions = 0;
    standin::testing::RenderTimings timings;
    // The turns of the event loop that put a step on screen, less the frame's upload and
    // draw: painting the widgets that changed, the swap and the window's flush.
    double dComposeMs = 0.0;
    // The step itself, from the click to its return: the frame change and the refresh.
    double dStepMs = 0.0;

    double dPerSecond() const { return dSeconds > 0.0 ? iSteps / dSeconds : 0.0; }
    double dPerStep(double total) const { return iSteps > 0 ? total / iSteps : 0.0; }
};

// Waits until the frame is on screen: a composition that came after the frame was drawn.
bool bSbWaitShown(int frame)
{
    QElapsedTimer wait;
    wait.start();
    while (pBenchApp()->m_iShownFrame != frame) {
        if (wait.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

// Lets what is still queued run, so that the window is idle before a pass.
void vSbSettle(int milliseconds)
{
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

// Forwards from the first frame to the last with the next-frame button, then back with the
// previous-frame button: the program's own step, from the button's click to the screen.
// Every step uploads its frame: no frame is kept as a texture (the display cache of the
// preferences, which a viewer's first drawing may switch on, is off).
void vSbDisplayCacheOff()
{
    const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(ProjectManagerInstance::instance()->getInstance(), 1);
    if (base)
        vBRD_GLInitialiseTextures(base->uiWidth, base->uiHeight, 0);
}

SbPass stctSbStepWindow(frmMain& window, int frames, bool measureDrawing, bool& ok)
{
    vSbDisplayCacheOff();
    bMakeFrameCurrent(ProjectManagerInstance::instance()->getInstance(), 0);
    window.sldrFrameNumber->setValue(0);
    window.sltUpdateGUI();
    pBenchApp()->vWatch(&window, window.pGetGLWidget());
    window.pGetGLWidget()->updateGL();
    ok = bSbWaitShown(0) && ok;
    vSbSettle(150);
    standin::testing::vResetRenderTimings(measureDrawing);
    const unsigned int compositionsBefore = pBenchApp()->m_uiCompositions;
    const double composingBefore = pBenchApp()->m_dComposingMs;
    SbPass pass;
    QElapsedTimer clock;
    clock.start();
    for (int k = 1; k < 2 * frames - 1; ++k) {
        const bool forwards = k < frames;
        const int target = forwards ? k : 2 * frames - 2 - k;
        QElapsedTimer step;
        step.start();
        (forwards ? window.btnNextFrame : window.btnPreviousFrame)->click();
        pass.dStepMs += double(step.nsecsElapsed()) / 1.0e6;
        if (!bSbWaitShown(target)) {
            std::fprintf(stderr, "frame %d never reached the screen\n", target);
            ok = false;
            break;
        }
        ++pass.iSteps;
    }
    pass.dSeconds = double(clock.nsecsElapsed()) / 1.0e9;
    // A composition the last step still had queued belongs to it.
    vSbSettle(100);
    pass.uiCompositions = pBenchApp()->m_uiCompositions - compositionsBefore;
    pass.timings = standin::testing::stctGetRenderTimings();
    pass.dComposeMs = pBenchApp()->m_dComposingMs - composingBefore - pass.timings.dUploadMs - pass.timings.dDrawMs
        - pass.timings.dReadMs;
    return pass;
}

// The same frames on a viewer of its own: frame change in the engine, merged repaint,
// the viewer's swap.
SbPass stctSbStepBare(frmMainGLWidget& viewer, CW_Instance project, int frames, bool measureDrawing, bool& ok)
{
    vSbDisplayCacheOff();
    pBenchApp()->vWatch(nullptr, &viewer);
    bMakeFrameCurrent(project, 0);
    viewer.updateGL();
    ok = bSbWaitShown(0) && ok;
    vSbSettle(100);
    standin::testing::vResetRenderTimings(measureDrawing);
    const unsigned int compositionsBefore = pBenchApp()->m_uiCompositions;
    const double composingBefore = pBenchApp()->m_dComposingMs;
    SbPass pass;
    QElapsedTimer clock;
    clock.start();
    for (int k = 1; k < 2 * frames - 1; ++k) {
        const int target = k < frames ? k : 2 * frames - 2 - k;
        bMakeFrameCurrent(project, unsigned(target));
        viewer.updateGL();
        if (!bSbWaitShown(target)) {
            std::fprintf(stderr, "bare viewer: frame %d never reached the screen\n", target);
            ok = false;
            break;
        }
        ++pass.iSteps;
    }
    pass.dSeconds = double(clock.nsecsElapsed()) / 1.0e9;
    vSbSettle(100);
    pass.uiCompositions = pBenchApp()->m_uiCompositions - compositionsBefore;
    pass.timings = standin::testing::stctGetRenderTimings();
    pass.dComposeMs = pBenchApp()->m_dComposingMs - composingBefore - pass.timings.dUploadMs - pass.timings.dDrawMs
        - pass.timings.dReadMs;
    return pass;
}

struct SbRun {
    double dSteps = 0.0;
    double dCompositions = 0.0;
    double dBare = 0.0;
    double dUploadMs = 0.0;
    double dDrawMs = 0.0;
    double dComposeMs = 0.0;
    double dStepMs = 0.0;
};

double dSbMedian(std::vector<SbRun> runs, double SbRun::*field)
{
    std::sort(runs.begin(), runs.end(), [field](const SbRun& a, const SbRun& b) { return a.*field < b.*field; });
    const size_t n = runs.size();
    return n % 2 ? runs[n / 2].*field : (runs[n / 2 - 1].*field + runs[n / 2].*field) / 2.0;
}

} // namespace

int main(int argc, char** argv)
{
    benchscreen::BenchHome home;
    benchscreen::BenchApplication app(argc, argv);
    benchscreen::vNameBench(QStringLiteral("stepbench"));

    QStringList args = app.arguments();
    args.removeFirst();
    bool tiny = false;
    int runs = 3;
    QList<int> numbers;
    for (int i = 0; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--tiny"))
            tiny = true;
        else if (args.at(i) == QLatin1String("--runs") && i + 1 < args.size())
            runs = args.at(++i).toInt();
        else
            numbers << args.at(i).toInt();
    }
    int frames = numbers.value(0, tiny ? 8 : 100);
    const int width = numbers.value(1, tiny ? 320 : 1920);
    const int height = numbers.value(2, tiny ? 180 : 1080);
    if (tiny && !args.contains(QLatin1String("--runs")))
        runs = 1;
    if (frames < 2 || width <= 0 || height <= 0 || runs < 1) {
        std::fprintf(stderr, "usage: stepbench [--tiny] [--runs N] [frames] [width] [height]\n");
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
    window.move(0, 0);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window was not shown\n");
        return 1;
    }

    CW_Instance project = pBenchProject(folder.path(), frames, width, height);
    // Every frame fits in the decoded-frame cache: the steps measure the window, not the disk.
    standin::testing::vSetDecodedFrameBudget(size_t(width) * size_t(height) * 4u * size_t(frames + 1));
    ProjectManagerInstance::instance()->setInstance(project);
    window.sltUpdateGUI(2);
    frmMainGLWidget* viewer = window.pGetGLWidget();
    if (!viewer) {
        std::fprintf(stderr, "the window has no viewer\n");
        return 1;
    }
    vResizeWindow(project, viewer->width(), viewer->height());
    viewer->vFitToClip(project);

    frmMainGLWidget bare(nullptr, nullptr);
    bare.resize(viewer->size());
    bare.move(0, 0);

    // Every frame decoded once before the passes.
    for (int k = 0; k < frames; ++k) {
        bMakeFrameCurrent(project, unsigned(k));
        viewer->glDraw();
    }
    vSbSettle(200);

    std::printf("window %dx%d, viewer %dx%d, %d frames of %dx%d, %s, LP_PERF=%s\n", window.width(), window.height(),
        viewer->width(), viewer->height(), frames, width, height,
        qgetenv("LP_NUM_THREADS").isEmpty() ? "all cores" : qPrintable("LP_NUM_THREADS=" + qgetenv("LP_NUM_THREADS")),
        qgetenv("LP_PERF").constData());
    bool ok = true;
    std::vector<SbRun> results;
    for (int run = 1; run <= runs; ++run) {
        const SbPass stepped = stctSbStepWindow(window, frames, false, ok);
        const SbPass profiled = stctSbStepWindow(window, frames, true, ok);

        window.hide();
        bare.show();
        if (!QTest::qWaitForWindowExposed(&bare)) {
            std::fprintf(stderr, "the bare viewer was not shown\n");
            return 1;
        }
        vResizeWindow(project, bare.width(), bare.height());
        const SbPass alone = stctSbStepBare(bare, project, frames, false, ok);
        const SbPass aloneProfiled = stctSbStepBare(bare, project, frames, true, ok);
        bare.hide();
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            std::fprintf(stderr, "the window was not shown again\n");
            return 1;
        }
        vResizeWindow(project, viewer->width(), viewer->height());

        SbRun result;
        result.dSteps = stepped.dPerSecond();
        result.dCompositions = stepped.iSteps ? double(stepped.uiCompositions) / stepped.iSteps : 0.0;
        result.dBare = alone.dPerSecond();
        result.dUploadMs = profiled.dPerStep(profiled.timings.dUploadMs);
        result.dDrawMs = profiled.dPerStep(profiled.timings.dDrawMs);
        result.dComposeMs = profiled.dPerStep(profiled.dComposeMs);
        result.dStepMs = profiled.dPerStep(profiled.dStepMs);
        results.push_back(result);
        std::printf("run %d: window %6.1f steps/s, %.2f compositions/step (%u for %d steps); "
                    "GL waited for: %6.1f steps/s, step %5.2f, upload %5.2f, draw %5.2f, composition %5.2f ms/step; "
                    "bare viewer %6.1f fps, %.2f compositions/frame, composition %5.2f ms/frame\n",
            run, result.dSteps, result.dCompositions, stepped.uiCompositions, stepped.iSteps, profiled.dPerSecond(),
            result.dStepMs, result.dUploadMs, result.dDrawMs, result.dComposeMs, result.dBare,
            alone.iSteps ? double(alone.uiCompositions) / alone.iSteps : 0.0,
            aloneProfiled.dPerStep(aloneProfiled.dComposeMs));
        std::fflush(stdout);
    }
    const double steps = dSbMedian(results, &SbRun::dSteps);
    const double bareFps = dSbMedian(results, &SbRun::dBare);
    std::printf("median of %d: %.1f steps/s through the window (%.2f of the bare viewer's %.1f fps), "
                "%.2f compositions/step, step %.2f, upload %.2f, draw %.2f, composition %.2f ms/step\n",
        runs, steps, bareFps > 0.0 ? steps / bareFps : 0.0, bareFps, dSbMedian(results, &SbRun::dCompositions),
        dSbMedian(results, &SbRun::dStepMs), dSbMedian(results, &SbRun::dUploadMs), dSbMedian(results, &SbRun::dDrawMs),
        dSbMedian(results, &SbRun::dComposeMs));
    std::printf("steps=%.1f compositions=%.2f bare=%.1f upload_ms=%.2f\n", steps,
        dSbMedian(results, &SbRun::dCompositions), bareFps, dSbMedian(results, &SbRun::dUploadMs));
    std::fflush(stdout);

    ProjectManagerInstance::instance()->setInstance(nullptr);
    window.sltUpdateGUI(1);
    vCloseProject(project);
    return ok ? 0 : 1;
}
