// Generates a clip of a textured card moving in perspective by known homographies over a
// background that moves otherwise, tracks the card's quad from the first frame through the
// imaging core's aligner (each frame against the first, seeded by the motion of the frames
// before), and prints the error against the truth and the frames per second.
//
// Usage: alignbench [--frames N] [--size WxH] [--model translation|similarity|affine|perspective]
//                   [--solver esm|ic] [--noise SIGMA] [--gain G] [--occlude] [--search PX]
//                   [--speed X] [--levels N] [--threads N] [--seed N] [--quiet]
// The card moves as the model can express (translation only for translation, and so on).
// --noise adds Gaussian noise of SIGMA 8-bit levels to every frame; --gain ramps the lighting
// from 1 to G over the clip (with a bias of up to 10 levels); --occlude covers a quarter of
// the card with a strip for 8 frames from a third of the clip; --speed multiplies the motion
// between frames; --search tries whole-pixel moves within that radius before refining;
// --levels sets the pyramid's levels (0: the aligner chooses).
// Each line: frame, RMS corner error, largest corner error, correlation, inlier share, the
// aligner's own uncertainty estimate, steps, and the failure if any (a failed frame keeps the
// last good position). Then the back track: from the last frame, starting from the quad
// tracked there, back to the first. Frames are generated before the clock starts.
// Last line: mean=<px> max=<px> drift=<px per frame> back=<px> fps=<frames per second>.
// Run it on 2 cores with `taskset -c 0,1`.
#include "common/CardClip.h"
#include "standin/imaging/Align.h"
#include "standin/imaging/Geometry.h"
#include "standin/imaging/Image.h"
#include "standin/imaging/Parallel.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace standin::imaging;

namespace {

struct Options {
    int iFrames = 48;
    int iWidth = 960;
    int iHeight = 540;
    MotionModel eModel = MotionModel::Perspective;
    AlignSolver eSolver = AlignSolver::SecondOrder;
    double dNoise = 0.0;
    double dGain = 1.0;
    bool bOcclude = false;
    double dSearch = 0.0;
    double dSpeed = 1.0;
    int iLevels = 0;
    int iThreads = 0;
    unsigned uSeed = 1;
    bool bQuiet = false;
};

bool bParse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool more = i + 1 < argc;
        if (arg == "--frames" && more) {
            o.iFrames = std::atoi(argv[++i]);
        } else if (arg == "--size" && more) {
            if (std::sscanf(argv[++i], "%dx%d", &o.iWidth, &o.iHeight) != 2)
                return false;
        } else if (arg == "--model" && more) {
            const std::string m = argv[++i];
            if (m == "translation")
                o.eModel = MotionModel::Translation;
            else if (m == "similarity")
                o.eModel = MotionModel::Similarity;
            else if (m == "affine")
                o.eModel = MotionModel::Affine;
            else if (m == "perspective")
                o.eModel = MotionModel::Perspective;
            else
                return false;
        } else if (arg == "--solver" && more) {
            const std::string s = argv[++i];
            if (s == "esm")
                o.eSolver = AlignSolver::SecondOrder;
            else if (s == "ic")
                o.eSolver = AlignSolver::InverseCompositional;
            else
                return false;
        } else if (arg == "--noise" && more) {
            o.dNoise = std::atof(argv[++i]);
        } else if (arg == "--gain" && more) {
            o.dGain = std::atof(argv[++i]);
        } else if (arg == "--levels" && more) {
            o.iLevels = std::atoi(argv[++i]);
        } else if (arg == "--speed" && more) {
            o.dSpeed = std::atof(argv[++i]);
        } else if (arg == "--search" && more) {
            o.dSearch = std::atof(argv[++i]);
        } else if (arg == "--threads" && more) {
            o.iThreads = std::atoi(argv[++i]);
        } else if (arg == "--seed" && more) {
            o.uSeed = unsigned(std::atoi(argv[++i]));
        } else if (arg == "--occlude") {
            o.bOcclude = true;
        } else if (arg == "--quiet") {
            o.bQuiet = true;
        } else {
            return false;
        }
    }
    return o.iFrames >= 2 && o.iFrames <= 100000 && o.iWidth >= 64 && o.iHeight >= 36 && o.iWidth <= 16384
        && o.iHeight <= 16384 && o.dNoise >= 0.0 && o.dGain > 0.0 && o.dSearch >= 0.0 && o.dSpeed > 0.0
        && o.dSpeed <= 100.0;
}

struct Clip {
    std::vector<Image8> vecFrames;
    std::vector<std::vector<Point2>> vecTruth;
};

Clip clipGenerate(const Options& o)
{
    cardclip::CardClipOptions c;
    c.iFrames = o.iFrames;
    c.iWidth = o.iWidth;
    c.iHeight = o.iHeight;
    c.eModel = o.eModel;
    c.dNoise = o.dNoise;
    c.dGain = o.dGain;
    c.bOcclude = o.bOcclude;
    c.dSpeed = o.dSpeed;
    c.iThreads = o.iThreads;
    c.uSeed = o.uSeed;
    cardclip::CardClip card = cardclip::clipGenerate(c);
    return Clip {std::move(card.vecFrames), std::move(card.vecTruth)};
}

struct Run {
    std::vector<std::vector<Point2>> vecQuads;
    std::vector<AlignResult> vecResults;
    double dSeconds = 0.0;
};

// Tracks the quad from frame `from` to frame `to` (either way), every frame against `from`.
Run runTrack(const Clip& clip, const std::vector<Point2>& quad, int from, int to, const AlignParameters& params,
    int threads, std::string& error)
{
    Run run;
    PlanarAligner aligner(threads);
    const Status status = aligner.stSetReference(clip.vecFrames[std::size_t(from)], quad, params);
    if (!status) {
        error = status.error();
        return run;
    }
    const int step = to >= from ? 1 : -1;
    Homography current;
    Homography before;
    int tracked = 0;
    const auto start = std::chrono::steady_clock::now();
    run.vecQuads.push_back(quad);
    run.vecResults.push_back(AlignResult {});
    for (int k = from + step; k != to + step; k += step) {
        const Homography seed = tracked >= 1 ? homPredictNext(current, before) : current;
        AlignResult result = aligner.align(clip.vecFrames[std::size_t(k)], seed);
        if (result.bOk) {
            before = current;
            current = result.hom;
            ++tracked;
        } else {
            // A failed frame leaves the last good motion as the seed for the next.
            tracked = 0;
        }
        // A failed frame holds the last good position.
        run.vecQuads.push_back(vecApply(current, quad));
        if (std::getenv("ALIGNBENCH_TRACE"))
            std::fprintf(stderr, "%d %s %.3f %.3f %d %s\n", k + 1, result.bOk ? "ok" : "FAILED", result.dCorrelation,
                result.dInlierFraction, result.iIterations, result.strReason.c_str());
        run.vecResults.push_back(result);
    }
    run.dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!bParse(argc, argv, o)) {
        std::fprintf(stderr,
            "usage: alignbench [--frames N] [--size WxH] [--model translation|similarity|affine|perspective]\n"
            "                  [--solver esm|ic] [--noise SIGMA] [--gain G] [--occlude] [--search PX]\n"
            "                  [--speed X] [--levels N] [--threads N] [--seed N] [--quiet]\n");
        return 2;
    }
    const Clip clip = clipGenerate(o);
    AlignParameters params;
    params.eModel = o.eModel;
    params.eSolver = o.eSolver;
    params.dSearchRadius = o.dSearch;
    params.iLevels = o.iLevels;
    const std::vector<Point2>& quad = clip.vecTruth.front();
    // A model short of perspective cannot follow the card's corners exactly; its error is
    // measured against the truth all the same.
    std::string error;
    const Run forward = runTrack(clip, quad, 0, o.iFrames - 1, params, o.iThreads, error);
    if (!error.empty()) {
        std::printf("reference failed: %s\n", error.c_str());
        return 1;
    }
    std::vector<double> errors;
    double worst = 0.0;
    int failed = 0;
    if (!o.bQuiet)
        std::printf("frame rms max correlation inliers uncertainty steps\n");
    for (int k = 1; k < o.iFrames; ++k) {
        const AlignResult& r = forward.vecResults[std::size_t(k)];
        const double rms = dRmsDistance(forward.vecQuads[std::size_t(k)], clip.vecTruth[std::size_t(k)]);
        const double most = dMaxDistance(forward.vecQuads[std::size_t(k)], clip.vecTruth[std::size_t(k)]);
        if (!r.bOk)
            ++failed;
        errors.push_back(rms);
        worst = std::max(worst, most);
        if (!o.bQuiet)
            std::printf("%d %.4f %.4f %.4f %.3f %.4f %d%s%s\n", k + 1, rms, most, r.dCorrelation, r.dInlierFraction,
                r.dUncertainty, r.iIterations, r.bOk ? "" : " FAILED: ", r.bOk ? "" : r.strReason.c_str());
    }
    double mean = 0.0;
    for (double e : errors)
        mean += e;
    mean /= double(errors.size());
    const double slope = cardclip::dErrorSlope(errors);

    // Back: a new track from the last frame, starting from the quad tracked there, to the first.
    const Run backward = runTrack(clip, forward.vecQuads.back(), o.iFrames - 1, 0, params, o.iThreads, error);
    double back = -1.0;
    if (error.empty())
        back = dRmsDistance(backward.vecQuads.back(), clip.vecTruth.front());
    else
        std::printf("back track failed: %s\n", error.c_str());
    int backFailed = 0;
    for (std::size_t i = 1; i < backward.vecResults.size(); ++i)
        backFailed += backward.vecResults[i].bOk ? 0 : 1;
    double steps = 0.0;
    for (std::size_t i = 1; i < forward.vecResults.size(); ++i)
        steps += forward.vecResults[i].iIterations;
    std::printf("steps per frame: %.1f; failed frames: %d forwards, %d back\n",
        steps / double(forward.vecResults.size() - 1), failed, backFailed);
    const double fps = forward.dSeconds > 0.0 ? double(o.iFrames - 1) / forward.dSeconds : 0.0;
    std::printf("mean=%.4f max=%.4f drift=%.5f back=%.4f fps=%.1f\n", mean, worst, slope, back, fps);
    return 0;
}
