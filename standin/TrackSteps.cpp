// One step of a track run: the current layer's plane is found again in the next (or
// previous) frames by direct alignment of the input clip's pixels inside the layer's shape
// against the pixels of the layer's reference frame, and its shape and surface are keyed
// there. The imaging core's aligner does the work; this file reads the model, prepares
// the images and stores the answer.
#include "LayerGeometry.h"
#include "ProjectModel.h"
#include "ViewerFrames.h"
#include "brandor.h"
#include "imaging/Align.h"
#include "imaging/Filters.h"
#include "velmor.h"

#include <QMutex>
#include <cmath>

namespace standin {

// The aligner of a layer, holding the reference of the run under way.
struct TrackerCache {
    QMutex mutex;
    imaging::PlanarAligner aligner {2};
    bool bValid = false;
    // What the reference was made from; a change makes a new one.
    unsigned int uiReferenceFrame = 0;
    CW_CLIP_ID eClip = 0;
    QString qstrReferencePath;
    std::vector<QPointF> vecRegion;
    int iModel = -1;
    int iChannel = -1;
    float fSmoothing = -1.0f;
    double dMinInliers = -1.0;
    double dSearchRadius = -1.0;
};

namespace {

struct TrackJob {
    int iLayer = 0;
    int iShapeKind = 0;
    unsigned int uiFrom = 0;
    std::vector<unsigned int> vecTargets;
    unsigned int uiReference = 0;
    std::vector<ShapePoint> vecReferenceShape;
    SurfaceCorners referenceSurface {};
    // The surface at the frame tracked from, and at the frame before it in the run's
    // direction when there is one, for the seed.
    SurfaceCorners fromSurface {};
    std::optional<SurfaceCorners> optBeforeSurface;
    CW_ClipInfo files;
    CW_CLIP_ID eClip = 0;
    bool bManual = false;
    imaging::MotionModel eModel = imaging::MotionModel::Perspective;
    bool bAutoChannel = false;
    float fSmoothing = 0.0f;
    double dMinInliers = 0.5;
    double dSearchRadius = 0.0;
    double dMaxRotation = 0.0;
    double dMaxZoom = 0.0;
};

imaging::MotionModel eTsModel(int model)
{
    switch (model) {
    case CW_MOTION_TRANSLATION:
        return imaging::MotionModel::Translation;
    case CW_MOTION_TRANSLATION_SCALE:
    case CW_MOTION_TRANSLATION_SCALE_ROTATION:
        return imaging::MotionModel::Similarity;
    case CW_MOTION_AFFINE:
        return imaging::MotionModel::Affine;
    default:
        return imaging::MotionModel::Perspective;
    }
}

std::vector<imaging::Point2> vecTsPoints(const SurfaceCorners& corners)
{
    std::vector<imaging::Point2> points;
    for (const QPointF& p : corners)
        points.push_back({p.x(), p.y()});
    return points;
}

// The frame's pixels as the tracker sees them: 8-bit BGRA rows straight from the decoded
// frame when no smoothing is asked, else one smoothed grey channel.
struct TsFrame {
    QImage image;
    imaging::Image8 bytes;
    imaging::ImageF grey;
};

// Weights of the channels in memory order (blue, green, red for 32-bit frames): luminance,
// or the one channel chosen.
imaging::GreyWeights stctTsWeights(int channel)
{
    imaging::GreyWeights w;
    if (channel < 0) {
        w.fRed = 0.0722f;
        w.fGreen = 0.7152f;
        w.fBlue = 0.2126f;
    } else {
        w.fRed = channel == 0 ? 1.0f : 0.0f;
        w.fGreen = channel == 1 ? 1.0f : 0.0f;
        w.fBlue = channel == 2 ? 1.0f : 0.0f;
    }
    return w;
}

bool bTsLoad(const CW_ClipInfo& files, unsigned int frame, float smoothing, int channel, TsFrame& out,
    std::string& error)
{
    const QString path = qstrViewerFramePath(files, frame);
    out.image = path.isEmpty() ? QImage() : imgGetDecodedFrame(path);
    if (out.image.isNull()) {
        error = "Frame " + std::to_string(frame) + " of the input clip cannot be read.";
        return false;
    }
    if (out.image.format() != QImage::Format_RGB32 && out.image.format() != QImage::Format_ARGB32)
        out.image = out.image.convertToFormat(QImage::Format_RGB32);
    out.bytes = imaging::Image8::wrap(const_cast<std::uint8_t*>(out.image.constBits()), out.image.width(),
        out.image.height(), 4, out.image.bytesPerLine());
    if (smoothing > 0.0f) {
        out.grey = imaging::imgGaussianBlur(imaging::imgToGrey(out.bytes, stctTsWeights(channel), 2), smoothing / 2.0, 2);
        out.bytes = imaging::Image8();
    }
    return true;
}

// The colour channel (in memory order) with the most detail inside the region.
int iTsDetailedChannel(const QImage& image, const std::vector<QPointF>& region)
{
    QRectF bounds;
    for (const QPointF& p : region)
        bounds = bounds.isNull() ? QRectF(p, QSizeF(0.0, 0.0)) : bounds.united(QRectF(p, QSizeF(0.0, 0.0)));
    const QRect box = bounds.toAlignedRect().intersected(image.rect().adjusted(1, 1, -1, -1));
    double energy[3] = {0.0, 0.0, 0.0};
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const uchar* row = image.constScanLine(y);
        const uchar* below = image.constScanLine(y + 1);
        for (int x = box.left(); x <= box.right(); ++x)
            for (int c = 0; c < 3; ++c) {
                const double dx = double(row[4 * (x + 1) + c]) - row[4 * x + c];
                const double dy = double(below[4 * x + c]) - row[4 * x + c];
                energy[c] += dx * dx + dy * dy;
            }
    }
    return int(std::max_element(energy, energy + 3) - energy);
}

ShapePoint stctTsMove(const imaging::Homography& h, const ShapePoint& p)
{
    const imaging::Point2 at = h.apply({p.dX, p.dY});
    const imaging::Point2 in = h.apply({p.dX + p.dInX, p.dY + p.dInY});
    const imaging::Point2 out = h.apply({p.dX + p.dOutX, p.dY + p.dOutY});
    return {at.x, at.y, in.x - at.x, in.y - at.y, out.x - at.x, out.y - at.y, p.dWeight};
}

void vTsTell(CW_ProjectRecord& record, const std::string& message)
{
    record.strLastTrackMessage = message;
    CW_CallbackStruct* callbacks = pstctBRD_GetCallbackStruct();
    if (callbacks && callbacks->pfnWarningMessage)
        callbacks->pfnWarningMessage(callbacks->pUserWord, "Track", message.c_str());
}

// Rotation (degrees) and scale change of the surface from one frame to the next.
void vTsStepChange(const SurfaceCorners& from, const SurfaceCorners& to, double& degrees, double& zoomPercent)
{
    const QPointF a = from[1] - from[0];
    const QPointF b = to[1] - to[0];
    const double turn = std::atan2(a.x() * b.y() - a.y() * b.x(), a.x() * b.x() + a.y() * b.y());
    degrees = std::fabs(turn) * 180.0 / M_PI;
    auto area = [](const SurfaceCorners& c) {
        double sum = 0.0;
        for (int i = 0; i < 4; ++i)
            sum += c[i].x() * c[(i + 1) % 4].y() - c[(i + 1) % 4].x() * c[i].y();
        return std::fabs(sum) / 2.0;
    };
    const double fromArea = area(from);
    zoomPercent = fromArea > 0.0 ? std::fabs(std::sqrt(area(to) / fromArea) - 1.0) * 100.0 : 0.0;
}

} // namespace

// Called with the registry lock held; releases it while the pixels are worked on.
bool bTrackCurrentLayer(CW_ProjectRecord& record, bool forwards, QMutexLocker<QRecursiveMutex>& lock)
{
    record.strLastTrackMessage.clear();
    LayerRecord* layer = pCurrentLayer(record);
    if (!layer || !layer->pTracking) {
        vTsTell(record, "Select a layer to track.");
        return false;
    }
    const unsigned int frame = record.uiCurrentFrame;
    const std::optional<std::vector<ShapePoint>> shape = optShapeAt(layer->geometry, frame);
    const std::optional<SurfaceCorners> surface = optSurfaceAt(layer->geometry, frame);
    if (!shape || shape->size() < 3 || !surface) {
        vTsTell(record, "The layer \"" + layer->qstrName.toStdString() + "\" has no shape to track.");
        return false;
    }

    TrackJob job;
    job.iLayer = layer->iID;
    job.iShapeKind = layer->geometry.iShapeKind;
    job.uiFrom = frame;
    const CW_BaseClipInfo& main = record.mapClips.at(1);
    // A step covers the frame jump, twice over on interlaced clips tracked as whole frames;
    // never past the clip's ends.
    const bool fields = main.iFieldMode == CW_UPPER_FIELD_FIRST || main.iFieldMode == CW_LOWER_FIELD_FIRST;
    const unsigned int step = std::max(1u, record.uiTrackFrameJump) * (fields && !record.bTrackIndividualFields ? 2 : 1);
    const unsigned int last = main.uiCount - 1;
    const unsigned int to = forwards ? std::min(last, frame + step) : (frame > step ? frame - step : 0);
    for (unsigned int k = frame; k != to;) {
        k = forwards ? k + 1 : k - 1;
        job.vecTargets.push_back(k);
    }

    const CW_TrackingParameterSet& p = *layer->pTracking;
    const float at = float(frame);
    job.bManual = p.pManualTrack->valueAt(at);
    if (job.bManual) {
        // Manual Track: the shape stays where it is; the user moves it by hand.
        for (const unsigned int k : job.vecTargets) {
            vSetGeometryKey(*layer, k, *shape, *surface);
            if (CW_LayerParameterSet* flags = layer->pParameters.get())
                if (auto* tracked = flags->pGetTrackedFlag())
                    tracked->setValueAt(true, float(k));
        }
        record.bChanged = true;
        return true;
    }

    job.eClip = p.pInputClip->valueAt(at);
    auto files = record.mapClipFiles.find(job.eClip);
    if (files == record.mapClipFiles.end()) {
        vTsTell(record, "The input clip has no images to track.");
        return false;
    }
    job.files = files->second;
    if (layer->uiReferenceFrame > last)
        layer->uiReferenceFrame = frame;
    job.uiReference = layer->uiReferenceFrame;
    const auto referenceShape = optShapeAt(layer->geometry, job.uiReference);
    const auto referenceSurface = optSurfaceAt(layer->geometry, job.uiReference);
    if (!referenceShape || referenceShape->size() < 3 || !referenceSurface) {
        vTsTell(record, "The layer has no shape at its reference frame.");
        return false;
    }
    job.vecReferenceShape = *referenceShape;
    job.referenceSurface = *referenceSurface;
    job.fromSurface = *surface;
    const unsigned int before = forwards ? frame - 1 : frame + 1;
    if (frame != job.uiReference && (forwards ? frame > 0 : frame < last)
        && layer->geometry.mapSurfaceKeys.count(before) != 0)
        job.optBeforeSurface = layer->geometry.mapSurfaceKeys.at(before);
    job.eModel = eTsModel(p.pMotionModel->valueAt(at));
    job.bAutoChannel = p.pAutoChannel->valueAt(at);
    job.fSmoothing = p.pSmoothingLevel->valueAt(at);
    job.dMinInliers = p.pMinTrackingPoints->valueAt(at) / 100.0;
    if (p.pLargeMotion->valueAt(at)) {
        // Large Motion searches whole-pixel moves around the predicted place before it
        // refines: the search sizes given, or by default a tenth of the frame.
        const double horizontal = p.pAutoHorizontalSearch->valueAt(at) ? main.uiWidth / 10.0
                                                                        : double(p.pHorizontalSearchSize->valueAt(at));
        const double vertical = p.pAutoVerticalSearch->valueAt(at) ? main.uiHeight / 10.0
                                                                    : double(p.pVerticalSearchSize->valueAt(at));
        job.dSearchRadius = std::max(horizontal, vertical);
        job.dMaxRotation = p.pMaxRotation->valueAt(at);
        job.dMaxZoom = p.pMaxZoom->valueAt(at);
    }
    if (!layer->pTrackerCache)
        layer->pTrackerCache = std::make_shared<TrackerCache>();
    std::shared_ptr<TrackerCache> cache = layer->pTrackerCache;

    // The pixels are worked on without the project's lock, so the user interface keeps
    // drawing; the answer is stored under it again.
    lock.unlock();
    std::string error;
    std::vector<std::pair<unsigned int, SurfaceCorners>> surfaces;
    std::vector<std::vector<ShapePoint>> shapes;
    {
        QMutexLocker cacheLock(&cache->mutex);
        const std::vector<QPointF> region = vecShapeOutline(job.iShapeKind, job.vecReferenceShape);
        TsFrame reference;
        const QString referencePath = qstrViewerFramePath(job.files, job.uiReference);
        int channel = -1;
        bool ok = true;
        const bool sameReference = cache->bValid && cache->uiReferenceFrame == job.uiReference
            && cache->eClip == job.eClip && cache->qstrReferencePath == referencePath && cache->vecRegion == region
            && cache->iModel == int(job.eModel) && cache->fSmoothing == job.fSmoothing
            && cache->dMinInliers == job.dMinInliers && cache->dSearchRadius == job.dSearchRadius
            && (cache->iChannel >= 0) == job.bAutoChannel;
        if (sameReference) {
            channel = cache->iChannel;
        } else {
            cache->bValid = false;
            ok = bTsLoad(job.files, job.uiReference, 0.0f, -1, reference, error);
            if (ok) {
                channel = job.bAutoChannel ? iTsDetailedChannel(reference.image, region) : -1;
                if (job.fSmoothing > 0.0f)
                    ok = bTsLoad(job.files, job.uiReference, job.fSmoothing, channel, reference, error);
            }
            if (ok) {
                imaging::AlignParameters parameters;
                parameters.eModel = job.eModel;
                parameters.dSearchRadius = job.dSearchRadius;
                parameters.dMinInlierFraction = job.dMinInliers;
                std::vector<imaging::Point2> polygon;
                for (const QPointF& q : region)
                    polygon.push_back({q.x(), q.y()});
                const imaging::Status status = reference.grey.empty()
                    ? cache->aligner.stSetReference(reference.bytes, polygon, parameters, stctTsWeights(channel))
                    : cache->aligner.stSetReference(reference.grey, polygon, parameters);
                if (!status) {
                    ok = false;
                    error = "The shape cannot be tracked: " + status.error();
                }
            }
            if (ok) {
                cache->bValid = true;
                cache->uiReferenceFrame = job.uiReference;
                cache->eClip = job.eClip;
                cache->qstrReferencePath = referencePath;
                cache->vecRegion = region;
                cache->iModel = int(job.eModel);
                cache->iChannel = channel;
                cache->fSmoothing = job.fSmoothing;
                cache->dMinInliers = job.dMinInliers;
                cache->dSearchRadius = job.dSearchRadius;
            }
        }
        // The seed continues the motion of the frames before, relative to the reference.
        const std::vector<imaging::Point2> referenceCorners = vecTsPoints(job.referenceSurface);
        imaging::Homography current;
        if (ok) {
            auto fit = imaging::homFitDlt(referenceCorners, vecTsPoints(job.fromSurface));
            if (!fit) {
                ok = false;
                error = "The layer's surface is degenerate at frame " + std::to_string(job.uiFrom) + ".";
            } else {
                current = *fit;
            }
        }
        imaging::Homography previous = current;
        if (ok && job.optBeforeSurface)
            if (auto fit = imaging::homFitDlt(referenceCorners, vecTsPoints(*job.optBeforeSurface)))
                previous = *fit;
        SurfaceCorners last = job.fromSurface;
        for (std::size_t i = 0; ok && i < job.vecTargets.size(); ++i) {
            const unsigned int k = job.vecTargets[i];
            TsFrame target;
            if (!bTsLoad(job.files, k, job.fSmoothing, channel, target, error))
                break;
            const imaging::Homography seed = imaging::homPredictNext(current, previous);
            const imaging::AlignResult result = target.grey.empty()
                ? cache->aligner.align(target.bytes, seed, stctTsWeights(channel))
                : cache->aligner.align(target.grey, seed);
            if (!result.bOk) {
                error = "Frame " + std::to_string(k) + " cannot be tracked: " + result.strReason;
                break;
            }
            SurfaceCorners moved;
            for (std::size_t c = 0; c < 4; ++c) {
                const imaging::Point2 q = result.hom.apply(referenceCorners[c]);
                moved[c] = QPointF(q.x, q.y);
            }
            double degrees = 0.0;
            double zoom = 0.0;
            vTsStepChange(last, moved, degrees, zoom);
            if (job.dMaxRotation > 0.0 && degrees > job.dMaxRotation) {
                error = "Frame " + std::to_string(k) + " cannot be tracked: the shape turned by more than "
                    + std::to_string(int(job.dMaxRotation)) + " degrees.";
                break;
            }
            if (job.dMaxZoom > 0.0 && zoom > job.dMaxZoom) {
                error = "Frame " + std::to_string(k) + " cannot be tracked: the shape zoomed by more than "
                    + std::to_string(int(job.dMaxZoom)) + "%.";
                break;
            }
            std::vector<ShapePoint> movedShape;
            for (const ShapePoint& sp : job.vecReferenceShape)
                movedShape.push_back(stctTsMove(result.hom, sp));
            surfaces.emplace_back(k, moved);
            shapes.push_back(std::move(movedShape));
            previous = current;
            current = result.hom;
            last = moved;
        }
    }
    lock.relock();

    // The layer may have gone meanwhile; what was tracked is kept either way.
    LayerRecord* target = pFindLayer(record, job.iLayer);
    if (!target) {
        vTsTell(record, "The layer was removed while it was tracked.");
        return false;
    }
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
        vSetGeometryKey(*target, surfaces[i].first, shapes[i], surfaces[i].second);
        if (target->pParameters) {
            auto* tracked = target->pParameters->pGetTrackedFlag();
            if (!tracked)
                tracked = target->pParameters->pAddNumeric<bool>(QStringLiteral("Tracked"), false, false, true);
            tracked->setValueAt(true, float(surfaces[i].first));
        }
    }
    if (!surfaces.empty())
        record.bChanged = true;
    if (!error.empty() || surfaces.size() != job.vecTargets.size()) {
        vTsTell(record, error.empty() ? std::string("The track stopped.") : error);
        return false;
    }
    return true;
}

} // namespace standin
