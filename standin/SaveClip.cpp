// Rendered output: a rendered clip, or mattes of layers' shapes, written as numbered image
// files through the imaging core's writers. Every refusal reaches the user through the
// message call-back.
#include "DataExport.h"

#include "LayerGeometry.h"
#include "ViewerFrames.h"
#include "brandor.h"
#include "imaging/Composite.h"
#include "imaging/ImageFile.h"
#include "testing.h"
#include "velmor.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <algorithm>
#include <set>

namespace {

struct ScLayer {
    int iShapeKind = 0;
    std::vector<standin::ShapePoint> vecShape;
};

// What a save needs, copied out of the project so that the files are written unlocked.
struct ScJob {
    CW_ExportClipInfo info;
    CW_BaseClipInfo base;
    CW_ClipInfo files;
    bool bHasRevert = false;
    CW_ClipInfo revertFiles;
    std::vector<QString> vecTargets;
    // Per frame of the range, the shapes of the chosen layers (mattes only).
    std::vector<std::vector<ScLayer>> vecMattes;
};

void vScTell(const QString& text)
{
    CW_CallbackStruct* callbacks = pstctBRD_GetCallbackStruct();
    if (callbacks && callbacks->pfnWarningMessage)
        callbacks->pfnWarningMessage(callbacks->pUserWord, "vSaveClip", text.toUtf8().constData());
}

QString qstrScTarget(const CW_ExportClipInfo& info, unsigned int index)
{
    return info.getClipPath() + info.getClipPrefix()
        + QStringLiteral("%1").arg(index, int(std::min(info.uiIndexWidth, 32u)), 10, QLatin1Char('0'))
        + info.getClipSuffix() + info.getClipExtension();
}

QString qstrScCanonical(const QString& path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

// Checks the record against the project and copies what the save needs; the reason for a
// refusal is told and nothing is returned.
std::optional<ScJob> optScPrepare(CW_Instance project, const CW_ExportClipInfo* info)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!info || !registry.bIsLive(project)) {
        vScTell(QStringLiteral("There is no project to save a clip from."));
        return std::nullopt;
    }
    ScJob job;
    job.info = *info;
    const QString extension = info->getClipExtension();
    if (extension.compare(QLatin1String(".mov"), Qt::CaseInsensitive) == 0) {
        vScTell(QStringLiteral("Movies cannot be written by this version; choose an image sequence."));
        return std::nullopt;
    }
    const auto clip = project->mapClips.find(info->eClip);
    const auto files = project->mapClipFiles.find(info->eClip);
    const auto main = project->mapClips.find(1);
    if (clip == project->mapClips.end() || files == project->mapClipFiles.end() || main == project->mapClips.end()) {
        vScTell(QStringLiteral("The clip to save does not exist."));
        return std::nullopt;
    }
    job.base = clip->second;
    job.files = files->second;
    if (!standin::bCanWriteImageType(extension, info->iImageFormat, info->iPixelType)) {
        vScTell(QStringLiteral("Files of type \"%1\" cannot be written with the chosen channels.").arg(extension));
        return std::nullopt;
    }
    if (info->uiIndexWidth == 0 || info->uiIndexWidth > 10) {
        vScTell(QStringLiteral("The index width must be 1 to 10 digits."));
        return std::nullopt;
    }
    if (info->uiStartFrame > info->uiEndFrame || info->uiEndFrame >= std::min(job.base.uiCount, main->second.uiCount)) {
        vScTell(QStringLiteral("The frames %1 to %2 are not frames of the clip.")
                    .arg(qint64(info->uiStartFrame))
                    .arg(qint64(info->uiEndFrame)));
        return std::nullopt;
    }
    const QString folder = info->getClipPath();
    const QFileInfo folderInfo(folder);
    if (folder.isEmpty() || !folderInfo.isDir() || !folderInfo.isWritable()
        || standin::testing::bIsReadOnlyFolder(QDir::cleanPath(folderInfo.absoluteFilePath()))) {
        vScTell(QStringLiteral("The folder \"%1\" cannot be written to.").arg(folder));
        return std::nullopt;
    }
    if (info->eRevertClip != 0) {
        const auto revert = project->mapClipFiles.find(info->eRevertClip);
        job.bHasRevert = revert != project->mapClipFiles.end();
        if (job.bHasRevert)
            job.revertFiles = revert->second;
    }

    // Never over the files of a clip the project holds, its own source sequence included.
    std::set<QString> taken;
    for (const auto& [id, clipFiles] : project->mapClipFiles) {
        const auto registered = project->mapClips.find(id);
        const unsigned int count = registered == project->mapClips.end() ? 0 : registered->second.uiCount;
        for (unsigned int f = 0; f < count; ++f) {
            const QString path = standin::qstrViewerFramePath(clipFiles, f);
            if (!path.isEmpty())
                taken.insert(qstrScCanonical(path));
        }
    }
    for (unsigned int f = info->uiStartFrame; f <= info->uiEndFrame; ++f) {
        const QString target = qstrScTarget(*info, info->uiIndexStart + (f - info->uiStartFrame));
        if (taken.count(qstrScCanonical(target))) {
            vScTell(QStringLiteral("Saving would write over \"%1\", a file of a clip of the project.").arg(target));
            return std::nullopt;
        }
        job.vecTargets.push_back(target);
    }

    if (info->bMattes) {
        std::vector<const standin::LayerRecord*> layers;
        for (int i = 0; i <= CW_ExportClipInfo::kiMaxLayers && info->aiLayers[i] != -1; ++i)
            for (const standin::LayerRecord& layer : project->vecLayers)
                if (layer.iID == info->aiLayers[i])
                    layers.push_back(&layer);
        for (unsigned int f = info->uiStartFrame; f <= info->uiEndFrame; ++f) {
            std::vector<ScLayer> shapes;
            for (const standin::LayerRecord* layer : layers)
                if (auto shape = standin::optShapeAt(layer->geometry, f))
                    shapes.push_back({layer->geometry.iShapeKind, std::move(*shape)});
            job.vecMattes.push_back(std::move(shapes));
        }
    }
    return job;
}

standin::imaging::Image8 imgScMatte(const std::vector<ScLayer>& layers, int width, int height)
{
    standin::imaging::ImageF coverage(width, height, 1);
    for (const ScLayer& layer : layers) {
        std::vector<standin::imaging::Point2> polygon;
        for (const QPointF& p : standin::vecShapeOutline(layer.iShapeKind, layer.vecShape))
            polygon.push_back({p.x(), p.y()});
        if (polygon.size() < 3)
            continue;
        const standin::imaging::ImageF one = standin::imaging::imgRasterisePolygon(polygon, width, height, 4);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                coverage.at(x, y) = std::max(coverage.at(x, y), one.at(x, y));
    }
    return standin::imaging::imgToByte(coverage);
}

// The frame as the record asks for it: colour, alpha or both; mattes alone or as the alpha
// of the frame's colour.
standin::imaging::Image8 imgScCompose(const ScJob& job, const QImage& frame, std::size_t index)
{
    using standin::imaging::Image8;
    const CW_ExportClipInfo& info = job.info;
    const Image8 source = standin::imaging::imgFromQImage(frame.convertToFormat(QImage::Format_ARGB32));
    const int w = source.width();
    const int h = source.height();
    Image8 alpha(w, h, 1);
    if (info.bMattes) {
        alpha = imgScMatte(job.vecMattes[index], w, h);
    } else {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                alpha.at(x, y) = source.channels() == 4 ? source.at(x, y, 3) : 255;
    }
    if (!info.bSaveColour)
        return alpha;
    const bool withAlpha = info.bMattes || info.bSaveAlpha;
    Image8 out(w, h, withAlpha ? 4 : 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            for (int c = 0; c < 3; ++c)
                out.at(x, y, c) = source.at(x, y, std::min(c, source.channels() - 1));
            if (withAlpha)
                out.at(x, y, 3) = alpha.at(x, y);
        }
    return out;
}

} // namespace

int tam_image_format_with_alpha(int format)
{
    return format == 0 ? 1 : (format == 2 ? 3 : format);
}

int tam_image_format_without_alpha(int format)
{
    return format == 1 ? 0 : (format == 3 ? 2 : format);
}

bool standin::bCanWriteImageType(const QString& extension, int imageFormat, int pixelType)
{
    QByteArray type = extension.toLower().toLatin1();
    if (type.startsWith('.'))
        type.remove(0, 1);
    if (type.isEmpty() || !QImageWriter::supportedImageFormats().contains(type))
        return false;
    static const QList<QByteArray> kAlpha = {"png", "tif", "tiff", "webp"};
    static const QList<QByteArray> kDeep = {"png", "tif", "tiff"};
    if ((imageFormat == 1 || imageFormat == 3) && !kAlpha.contains(type))
        return false;
    if (pixelType != 0 && pixelType != 1 && !kDeep.contains(type))
        return false;
    return imageFormat >= 0 && imageFormat <= 3;
}

CW_CLIP_ID getSuitableRevertClipID(CW_Instance project, CW_CLIP_ID clip, unsigned int)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return 0;
    const auto files = project->mapClipFiles.find(clip);
    if (files == project->mapClipFiles.end() || files->second.bSourceClip)
        return 0;
    const auto base = project->mapBaseClips.find(clip);
    return base == project->mapBaseClips.end() || base->second == clip ? 0 : base->second;
}

_CW_STATUS ePrepareToSaveClip(CW_Instance project, CW_ExportClipInfo* info, bool, bool)
{
    return optScPrepare(project, info) ? CW_STATUS_OK : CW_STATUS_FAILED;
}

void vSaveClip(CW_Instance project, CW_ExportClipInfo* info, const char*)
{
    const std::optional<ScJob> job = optScPrepare(project, info);
    if (!job)
        return;
    unsigned int missing = 0;
    for (std::size_t i = 0; i < job->vecTargets.size(); ++i) {
        const unsigned int frame = job->info.uiStartFrame + unsigned(i);
        QImage image;
        const QString rendered = standin::qstrViewerFramePath(job->files, frame);
        if (!rendered.isEmpty() && QFileInfo::exists(rendered))
            image.load(rendered);
        if (image.isNull() && job->bHasRevert) {
            const QString revert = standin::qstrViewerFramePath(job->revertFiles, frame);
            if (!revert.isEmpty())
                image.load(revert);
        }
        if (image.isNull()) {
            ++missing;
            continue;
        }
        const QString& target = job->vecTargets[i];
        const auto written = standin::imaging::stWriteImage(target.toStdString(), imgScCompose(*job, image, i));
        if (!written.ok()) {
            vScTell(QStringLiteral("The frame could not be written to \"%1\": %2")
                        .arg(target, QString::fromStdString(written.error())));
            return;
        }
    }
    if (missing)
        vScTell(QStringLiteral("%1 frames of the range are not rendered and were not written.").arg(missing));
}
