// Tracks a quad through a clip with the engine calls the Track page makes (a layer drawn with
// the X-spline layer tool, its surface corners dragged onto the quad with the pointer, then
// track steps forwards and, with --back, backwards) and prints the surface corners per frame.
//
// Usage: trackbench [--clip FIRST_IMAGE --corners x0,y0,x1,y1,x2,y2,x3,y3] [--truth CORNERS.csv]
//                   [--model translation|affine|perspective] [--back]
//                   [--size WxH] [--frames N] [--occlude] [--tiny]
// Image pixels, y down, the top-left pixel's centre at (0, 0). Without --clip it writes a clip
// of a textured card moving in perspective over a background moving otherwise (960x540, 48
// frames by default; --occlude covers a quarter of the card for 8 frames) and uses its truth;
// --tiny makes that clip 160x90 with 4 frames. A truth file has a header line, then
// frame,x0,y0,...,x3,y3 with frames counted from 1.
// Each line: frame x0 y0 x1 y1 x2 y2 x3 y3 (frames from 1; the back track's lines follow).
// With a truth, the last line: mean=<px> max=<px> drift=<px per frame> back=<px> fps=<frames per
// second> (back is nan without --back). Frames are decoded before the clock starts.
// Run it on 2 cores with `taskset -c 0,1`.
#include "common/CardClip.h"
#include "standin/ViewerFrames.h"
#include "standin/testing.h"
#include "velmor.h"
#include "Vosk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTextStream>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

using Quad = std::vector<QPointF>;

struct Options {
    QString qstrClip;
    std::optional<Quad> optCorners;
    QString qstrTruth;
    int iModel = CW_MOTION_PERSPECTIVE;
    bool bBack = false;
    cardclip::CardClipOptions card;
};

bool bParseQuad(const QString& text, Quad& quad)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 8)
        return false;
    quad.clear();
    for (int i = 0; i < 8; i += 2) {
        bool okX = false;
        bool okY = false;
        const double x = parts[i].toDouble(&okX);
        const double y = parts[i + 1].toDouble(&okY);
        if (!okX || !okY || !std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e6 || std::fabs(y) > 1e6)
            return false;
        quad.emplace_back(x, y);
    }
    return true;
}

bool bParse(const QStringList& args, Options& o)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString arg = args[i];
        const bool more = i + 1 < args.size();
        if (arg == QLatin1String("--clip") && more) {
            o.qstrClip = args[++i];
        } else if (arg == QLatin1String("--corners") && more) {
            Quad quad;
            if (!bParseQuad(args[++i], quad))
                return false;
            o.optCorners = quad;
        } else if (arg == QLatin1String("--truth") && more) {
            o.qstrTruth = args[++i];
        } else if (arg == QLatin1String("--model") && more) {
            const QString m = args[++i];
            if (m == QLatin1String("translation")) {
                o.iModel = CW_MOTION_TRANSLATION;
                o.card.eModel = standin::imaging::MotionModel::Translation;
            } else if (m == QLatin1String("affine")) {
                o.iModel = CW_MOTION_AFFINE;
                o.card.eModel = standin::imaging::MotionModel::Affine;
            } else if (m == QLatin1String("perspective")) {
                o.iModel = CW_MOTION_PERSPECTIVE;
                o.card.eModel = standin::imaging::MotionModel::Perspective;
            } else {
                return false;
            }
        } else if (arg == QLatin1String("--back")) {
            o.bBack = true;
        } else if (arg == QLatin1String("--occlude")) {
            o.card.bOcclude = true;
        } else if (arg == QLatin1String("--tiny")) {
            o.card.iWidth = 160;
            o.card.iHeight = 90;
            o.card.iFrames = 4;
        } else if (arg == QLatin1String("--size") && more) {
            if (std::sscanf(args[++i].toUtf8().constData(), "%dx%d", &o.card.iWidth, &o.card.iHeight) != 2)
                return false;
        } else if (arg == QLatin1String("--frames") && more) {
            bool ok = false;
            o.card.iFrames = args[++i].toInt(&ok);
            if (!ok)
                return false;
        } else {
            return false;
        }
    }
    if (!o.qstrClip.isEmpty() && !o.optCorners)
        return false;
    return o.card.iFrames >= 2 && o.card.iFrames <= 100000 && o.card.iWidth >= 64 && o.card.iHeight >= 36
        && o.card.iWidth <= 16384 && o.card.iHeight <= 16384;
}

// A truth file: a header line, then one line per frame (from 1) of eight coordinates.
bool bReadTruth(const QString& path, int frames, std::vector<Quad>& truth, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text) || file.size() > 64 * 1024 * 1024) {
        error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    QTextStream in(&file);
    in.readLine();
    truth.assign(std::size_t(frames), Quad());
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty())
            continue;
        const int comma = line.indexOf(QLatin1Char(','));
        bool ok = false;
        const int frame = line.left(comma).toInt(&ok);
        Quad quad;
        if (comma < 0 || !ok || frame < 1 || frame > frames || !bParseQuad(line.mid(comma + 1), quad)) {
            error = QStringLiteral("%1: bad line \"%2\"").arg(path, line.left(80));
            return false;
        }
        truth[std::size_t(frame - 1)] = quad;
    }
    return true;
}

bool bPress(CW_Instance project, const QPointF& at)
{
    bool changed = false;
    vButtonDown(project, 0x20, changed, nullptr, true, float(at.x()), float(at.y()), true, true, true, true, true, true,
        false, false, false, false, false, 0u, false, false, 0, false, false, false, false, false);
    return changed;
}

void vMove(CW_Instance project, const QPointF& to)
{
    eMove(project, 0x20, true, float(to.x()), float(to.y()), true, true, true, true, true, true, false, false, false,
        false, false, 0u, false, false, 0, false, false, false, false, false);
}

void vRelease(CW_Instance project, const QPointF& at)
{
    vButtonUp(project, 0x20, true, float(at.x()), float(at.y()), eGetCurrentToolType(project), INT_MAX, true, true,
        true, true, true, true, false, false, false, false, false, 0u, false, false, 0, false, false, false, false,
        false);
}

// The layer drawn as the page's user would: the quad's corners pressed with the X-spline
// layer tool (corner points, weight 0), closed on the first, then each surface corner
// dragged from the box around the shape onto its corner of the quad.
int iDrawLayer(CW_Instance project, const Quad& quad)
{
    vSetContourModelDefaults(project, 0.0, 0.2);
    vSelectTool(project, CW_TOOL_ADD_XSPLINE_LAYER, INT_MAX);
    for (const QPointF& p : quad) {
        bPress(project, p);
        vRelease(project, p);
    }
    bPress(project, quad.front());
    vRelease(project, quad.front());
    const int layer = iGetCurrentSelectionID(project);
    if (layer == 0)
        return 0;
    const standin::LayerGeometry geometry = standin::testing::stctGetLayerGeometry(project, layer);
    if (geometry.mapSurfaceKeys.empty())
        return 0;
    const standin::SurfaceCorners box = geometry.mapSurfaceKeys.begin()->second;
    for (std::size_t i = 0; i < 4; ++i) {
        bPress(project, box[i]);
        vMove(project, quad[i]);
        vRelease(project, quad[i]);
    }
    return layer;
}

Quad quadAt(CW_Instance project, int layer, unsigned int frame)
{
    const standin::LayerGeometry geometry = standin::testing::stctGetLayerGeometry(project, layer);
    auto it = geometry.mapSurfaceKeys.find(frame);
    if (it == geometry.mapSurfaceKeys.end())
        return {};
    return Quad(it->second.begin(), it->second.end());
}

void vPrintQuad(unsigned int frame, const Quad& quad)
{
    std::printf("%u", frame + 1);
    for (const QPointF& p : quad)
        std::printf(" %.4f %.4f", p.x(), p.y());
    std::printf("\n");
}

double dRms(const Quad& a, const Quad& b)
{
    double sum = 0.0;
    for (std::size_t i = 0; i < 4; ++i) {
        const QPointF d = a[i] - b[i];
        sum += d.x() * d.x() + d.y() * d.y();
    }
    return std::sqrt(sum / 4.0);
}

double dMax(const Quad& a, const Quad& b)
{
    double most = 0.0;
    for (std::size_t i = 0; i < 4; ++i) {
        const QPointF d = a[i] - b[i];
        most = std::max(most, std::hypot(d.x(), d.y()));
    }
    return most;
}

// Track steps from the current frame towards `to`, the runner's way: a step, then the next
// frame made current. The time spent in the steps is added to seconds; false when a step
// failed (its reason printed).
bool bRun(CW_Instance project, unsigned int from, unsigned int to, double& seconds, unsigned int& steps)
{
    bMakeFrameCurrent(project, from);
    bUpdateLayerFrameToCurrentFrame(project);
    vSetHideOverlays(project, false);
    bSetCacheStrategyRecycle(project, true);
    const bool forwards = to > from;
    for (unsigned int f = from; f != to; f = forwards ? f + 1 : f - 1) {
        bool ok = false;
        const auto start = std::chrono::steady_clock::now();
        try {
            ok = forwards ? bTrackSelectionToNextFrame(project) : bTrackSelectionToPreviousFrame(project);
        } catch (const CW_Exception& e) {
            std::printf("track stopped at frame %u: %s\n", f + 1, e.strUserMessage().c_str());
            return false;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!ok) {
            std::printf("track stopped at frame %u: %s\n", f + 1,
                standin::testing::strGetLastTrackMessage(project).c_str());
            return false;
        }
        ++steps;
        bMakeFrameCurrent(project, forwards ? f + 1 : f - 1);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    Options o;
    if (!bParse(app.arguments(), o)) {
        std::fprintf(stderr,
            "usage: trackbench [--clip FIRST_IMAGE --corners x0,y0,x1,y1,x2,y2,x3,y3] [--truth CORNERS.csv]\n"
            "                  [--model translation|affine|perspective] [--back]\n"
            "                  [--size WxH] [--frames N] [--occlude] [--tiny]\n");
        return 2;
    }
    QTemporaryDir folder;
    std::vector<Quad> truth;
    Quad start;
    QString first = o.qstrClip;
    if (first.isEmpty()) {
        if (!folder.isValid()) {
            std::fprintf(stderr, "trackbench: no temporary folder\n");
            return 1;
        }
        const cardclip::CardClip clip = cardclip::clipGenerate(o.card);
        for (std::size_t k = 0; k < clip.vecFrames.size(); ++k) {
            const auto& frame = clip.vecFrames[k];
            const QImage image(frame.data(), frame.width(), frame.height(), int(frame.stride()), QImage::Format_RGB888);
            const QString path = folder.filePath(QStringLiteral("card.%1.png").arg(k + 1, 4, 10, QLatin1Char('0')));
            if (!image.save(path)) {
                std::fprintf(stderr, "trackbench: cannot write %s\n", qPrintable(path));
                return 1;
            }
            Quad quad;
            for (const auto& p : clip.vecTruth[k])
                quad.emplace_back(p.x, p.y);
            truth.push_back(quad);
        }
        first = folder.filePath(QStringLiteral("card.0001.png"));
        start = truth.front();
    } else {
        start = *o.optCorners;
    }

    CW_Instance project = nullptr;
    try {
        project = standin::testing::pCreateProjectFromClip(first, QStringLiteral("card"));
    } catch (const CW_Exception& e) {
        std::fprintf(stderr, "trackbench: %s\n", e.strUserMessage().c_str());
        return 1;
    }
    const CW_BaseClipInfo* info = pcstctGetBaseClipInfo(project, 1);
    const unsigned int frames = info ? info->uiCount : 0;
    if (frames < 2) {
        std::fprintf(stderr, "trackbench: the clip has fewer than 2 frames\n");
        return 1;
    }
    if (!o.qstrTruth.isEmpty()) {
        QString error;
        if (!bReadTruth(o.qstrTruth, int(frames), truth, error)) {
            std::fprintf(stderr, "trackbench: %s\n", qPrintable(error));
            return 1;
        }
    }
    const int layer = iDrawLayer(project, start);
    if (layer == 0) {
        std::fprintf(stderr, "trackbench: the layer could not be drawn\n");
        return 1;
    }
    if (dMax(quadAt(project, layer, 0), start) > 1e-3) {
        std::fprintf(stderr, "trackbench: the surface did not take the corners given\n");
        return 1;
    }
    // The motion model as the page's check boxes set it: one undoable change.
    {
        Vosk::CompositeCommand command;
        pGetTrackingParameters(project, layer)->pMotionModel->setStaticValue(o.iModel, &command);
        bMakeParameterChange(project, command, nullptr, 1.0f, true);
    }

    // Every frame decoded before the clock starts.
    const CW_ClipInfo* files = pcstctGetClipInfo(project, 1);
    standin::testing::vSetDecodedFrameBudget(size_t(frames + 4) * info->uiWidth * info->uiHeight * 4);
    for (unsigned int k = 0; files && k < frames; ++k)
        standin::imgGetDecodedFrame(standin::qstrViewerFramePath(*files, k));

    double seconds = 0.0;
    unsigned int steps = 0;
    const bool forwardDone = bRun(project, 0, frames - 1, seconds, steps);
    std::vector<Quad> forward;
    for (unsigned int k = 0; k < frames; ++k) {
        forward.push_back(quadAt(project, layer, k));
        if (!forward.back().empty())
            vPrintQuad(k, forward.back());
    }
    std::optional<Quad> backAtFirst;
    if (o.bBack && forwardDone) {
        // The back track keys every frame again; the forward answers were kept above.
        if (bRun(project, frames - 1, 0, seconds, steps)) {
            for (unsigned int k = frames; k-- > 0;)
                vPrintQuad(k, quadAt(project, layer, k));
            backAtFirst = quadAt(project, layer, 0);
        }
    }

    if (truth.size() == frames) {
        std::vector<double> errors;
        double worst = 0.0;
        for (unsigned int k = 1; k < frames; ++k) {
            if (forward[k].empty() || truth[k].empty())
                continue;
            errors.push_back(dRms(forward[k], truth[k]));
            worst = std::max(worst, dMax(forward[k], truth[k]));
        }
        double mean = 0.0;
        for (double e : errors)
            mean += e;
        mean = errors.empty() ? NAN : mean / double(errors.size());
        const double slope = cardclip::dErrorSlope(errors);
        const double back = backAtFirst && !truth.front().empty() ? dRms(*backAtFirst, truth.front()) : NAN;
        const double fps = seconds > 0.0 ? double(steps) / seconds : 0.0;
        if (!forwardDone)
            std::printf("tracked frames: %zu of %u\n", errors.size(), frames - 1);
        std::printf("mean=%.4f max=%.4f drift=%.5f back=%.4f fps=%.1f\n", mean, worst, slope, back, fps);
    }
    vCloseProject(project);
    return 0;
}
