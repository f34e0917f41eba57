// Drawing of the project's view into the current OpenGL context: the displayed clip's
// frame as a texture, layer outlines, text and images, with the decoded-frame cache.
#include <GL/gl.h>

#include "LayerGeometry.h"
#include "ProjectModel.h"
#include "ViewerFrames.h"
#include "brandor.h"
#include "imaging/Geometry.h"
#include "tamsin.h"
#include "testing.h"
#include "velmor.h"

#include <QElapsedTimer>
#include <QFont>
#include <QFontMetrics>
#include <QImageReader>
#include <QMutex>
#include <QOpenGLContext>
#include <QSurfaceFormat>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <list>
#include <map>
#include <unordered_map>

namespace {

QMutex g_vgTimingMutex;
standin::testing::RenderTimings g_vgTimings;
bool g_vgMeasureDraw = false;

void vVgAddTime(double standin::testing::RenderTimings::*field, qint64 nanoseconds)
{
    QMutexLocker lock(&g_vgTimingMutex);
    g_vgTimings.*field += double(nanoseconds) / 1.0e6;
}

// ---- GL resources per context ----------------------------------------------------------

struct VgTexture {
    GLuint uiName = 0;
    int iWidth = 0;
    int iHeight = 0;
    qint64 iImageKey = 0;
    // Red and blue are swapped when sampled (the texture holds B, G, R, A bytes as R, G, B, A).
    bool bSwapRedBlue = false;
};

struct VgContextResources {
    VgTexture frame;
    VgTexture preview;
    VgTexture scratch;
    // The display cache: frames kept as textures by file, most recently shown first.
    std::list<std::pair<QString, VgTexture>> cachedFrames;
    // Whether the context can swap channels when sampling (0 not asked yet, 1 yes, -1 no).
    int iSwizzle = 0;
};

void vVgDeleteTexture(VgTexture& texture);

// Textures the display cache may keep per context; below 2 one texture is refilled.
unsigned int g_vgDisplayCacheCount = 0;
// The memory the display cache's textures may take, in bytes; negative while none was set.
qint64 g_vgDisplayCacheBudget = -1;

// Frees the least recently shown textures while the cache takes more than its budget; the
// first one, about to show an image of frontBytes, stays whatever it takes.
void vVgKeepWithinBudget(std::list<std::pair<QString, VgTexture>>& cached, qint64 frontBytes)
{
    if (g_vgDisplayCacheBudget < 0 || cached.empty())
        return;
    qint64 total = frontBytes;
    for (auto it = std::next(cached.begin()); it != cached.end(); ++it)
        total += qint64(it->second.iWidth) * it->second.iHeight * 4;
    while (cached.size() > 1 && total > g_vgDisplayCacheBudget) {
        total -= qint64(cached.back().second.iWidth) * cached.back().second.iHeight * 4;
        vVgDeleteTexture(cached.back().second);
        cached.pop_back();
    }
}

// The texture that shows the file's image: one from the display cache when it is on.
VgTexture& stctVgFrameTexture(VgContextResources& resources, const QString& path, const QImage& image, bool preview)
{
    auto& cached = resources.cachedFrames;
    if (g_vgDisplayCacheCount < 2) {
        for (auto& entry : cached)
            vVgDeleteTexture(entry.second);
        cached.clear();
        return preview ? resources.preview : resources.frame;
    }
    for (auto it = cached.begin(); it != cached.end(); ++it) {
        if (it->first == path && it->second.iImageKey == image.cacheKey()) {
            cached.splice(cached.begin(), cached, it);
            return cached.front().second;
        }
    }
    if (cached.size() >= g_vgDisplayCacheCount) {
        // The least recently shown texture takes the new frame.
        cached.splice(cached.begin(), cached, std::prev(cached.end()));
        cached.front().first = path;
        cached.front().second.iImageKey = 0;
    } else {
        cached.emplace_front(path, VgTexture());
    }
    while (cached.size() > g_vgDisplayCacheCount) {
        vVgDeleteTexture(cached.back().second);
        cached.pop_back();
    }
    vVgKeepWithinBudget(cached, qint64(image.width()) * image.height() * 4);
    return cached.front().second;
}

std::map<QOpenGLContext*, VgContextResources> g_vgContexts;
QFont g_vgFont(QStringLiteral("Arial"), 10);

VgContextResources* pVgResources()
{
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (!context)
        return nullptr;
    auto it = g_vgContexts.find(context);
    if (it == g_vgContexts.end()) {
        it = g_vgContexts.emplace(context, VgContextResources()).first;
        // The names die with the context; forget them then.
        QObject::connect(
            context, &QOpenGLContext::aboutToBeDestroyed, context, [context]() { g_vgContexts.erase(context); });
    }
    return &it->second;
}

void vVgDeleteTexture(VgTexture& texture)
{
    if (texture.uiName)
        glDeleteTextures(1, &texture.uiName);
    texture = VgTexture();
}

// Whether the current context samples a texture with its channels rearranged.
bool bVgCanSwizzle(VgContextResources& resources)
{
    if (resources.iSwizzle == 0) {
        QOpenGLContext* context = QOpenGLContext::currentContext();
        const QSurfaceFormat format = context ? context->format() : QSurfaceFormat();
        const bool swizzle = context
            && (format.version() >= qMakePair(3, 3) || context->hasExtension("GL_ARB_texture_swizzle")
                || context->hasExtension("GL_EXT_texture_swizzle"));
        resources.iSwizzle = swizzle ? 1 : -1;
    }
    return resources.iSwizzle > 0;
}

void vVgSetRedBlueSwap(VgTexture& texture, bool swap)
{
    if (texture.bSwapRedBlue == swap)
        return;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_R, swap ? GL_BLUE : GL_RED);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_B, swap ? GL_RED : GL_BLUE);
    texture.bSwapRedBlue = swap;
}

// Puts the image (32-bit B, G, R, A rows) into the texture unless it is there already.
// Returns whether it uploaded.
//
// The bytes go in as R, G, B, A and the texture swaps red and blue when it is sampled: that
// order is the renderer's own, so the upload is a plain copy. Handed over as B, G, R, A
// (GL_BGRA), Mesa's software renderer converts every pixel, five to six times slower for an
// HD frame; hardware drivers take either order at the same speed and swizzle for free.
bool bVgUpload(VgTexture& texture, const QImage& image)
{
    if (texture.uiName && texture.iImageKey == image.cacheKey() && texture.iWidth == image.width()
        && texture.iHeight == image.height())
        return false;
    VgContextResources* resources = pVgResources();
    const bool swizzle = resources && bVgCanSwizzle(*resources);
    if (!texture.uiName) {
        glGenTextures(1, &texture.uiName);
        glBindTexture(GL_TEXTURE_2D, texture.uiName);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    } else {
        glBindTexture(GL_TEXTURE_2D, texture.uiName);
    }
    const GLenum format = swizzle ? GL_RGBA : GL_BGRA;
    const GLenum type = swizzle ? GL_UNSIGNED_BYTE : GL_UNSIGNED_INT_8_8_8_8_REV;
    if (swizzle)
        vVgSetRedBlueSwap(texture, true);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    // Rows that follow each other without a gap go in as one block.
    const bool packed = image.bytesPerLine() == qsizetype(image.width()) * 4;
    glPixelStorei(GL_UNPACK_ROW_LENGTH, packed ? 0 : int(image.bytesPerLine() / 4));
    if (texture.iWidth != image.width() || texture.iHeight != image.height()) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width(), image.height(), 0, format, type, image.constBits());
        texture.iWidth = image.width();
        texture.iHeight = image.height();
    } else {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, image.width(), image.height(), format, type, image.constBits());
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    texture.iImageKey = image.cacheKey();
    return true;
}

void vVgTexturedQuad(
    GLuint texture, float x0, float y0, float x1, float y1, float t0, float t1, bool alphaAsGrey = false)
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (alphaAsGrey) {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_REPLACE);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_TEXTURE);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_ALPHA);
    } else {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, t0);
    glVertex2f(x0, y0);
    glTexCoord2f(1.0f, t0);
    glVertex2f(x1, y0);
    glTexCoord2f(1.0f, t1);
    glVertex2f(x1, y1);
    glTexCoord2f(0.0f, t1);
    glVertex2f(x0, y1);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
}

// What a render needs from the project, copied under the lock.
struct VgView {
    standin::ViewerState state;
    CW_BaseClipInfo base;
    bool bHasBase = false;
    CW_ClipInfo files;
    bool bHasFiles = false;
    unsigned int uiFrame = 0;
    std::vector<std::pair<int, standin::LayerOutline>> vecOutlines;
    CW_Color selectedColour;
    CW_Color unselectedColour;
};

VgView stctVgView(CW_Instance project, CW_CLIP_ID clip, const char* operation)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        throw CW_Exception("There is no open project.", std::string(operation) + ": invalid handle");
    VgView view;
    view.state.eDisplayedClip = project->viewer.eDisplayedClip;
    view.state.fZoom = project->viewer.fZoom;
    view.state.fOriginX = project->viewer.fOriginX;
    view.state.fOriginY = project->viewer.fOriginY;
    view.state.iWindowWidth = project->viewer.iWindowWidth;
    view.state.iWindowHeight = project->viewer.iWindowHeight;
    view.state.bShowRGB = project->viewer.bShowRGB;
    view.state.bShowAlpha = project->viewer.bShowAlpha;
    view.state.iCurrentLayer = project->viewer.iCurrentLayer;
    view.state.strRenderFault = project->viewer.strRenderFault;
    view.selectedColour = project->aSelectionColours[CW_SELECTION_SELECTED_LAYER];
    view.unselectedColour = project->aSelectionColours[CW_SELECTION_UNSELECTED_LAYER];
    if (clip == 0)
        clip = view.state.eDisplayedClip;
    auto base = project->mapClips.find(clip);
    if (base != project->mapClips.end()) {
        view.base = base->second;
        view.bHasBase = true;
    }
    auto files = project->mapClipFiles.find(clip);
    if (files != project->mapClipFiles.end()) {
        view.files = files->second;
        view.bHasFiles = true;
    }
    view.uiFrame = project->uiCurrentFrame;
    for (const auto& entry : project->viewer.mapLayerOutlines)
        view.vecOutlines.emplace_back(entry.first, entry.second);
    return view;
}

// Widget pixels to the view's image coordinates, on the current matrices.
void vVgSetImageMatrices(const VgView& view)
{
    GLint viewport[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const double width = view.state.iWindowWidth > 0 ? view.state.iWindowWidth : viewport[2];
    const double height = view.state.iWindowHeight > 0 ? view.state.iWindowHeight : viewport[3];
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, height, 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const double aspect = view.base.dPixelAspectRatio > 0.0 ? view.base.dPixelAspectRatio : 1.0;
    const bool fields = view.base.iFieldMode == CW_UPPER_FIELD_FIRST || view.base.iFieldMode == CW_LOWER_FIELD_FIRST;
    glScaled(aspect, 1.0, 1.0);
    glTranslated(view.state.fOriginX, view.state.fOriginY, 0.0);
    glScaled(view.state.fZoom, view.state.fZoom * (fields ? 2.0 : 1.0), 1.0);
}

bool bVgDrawFrame(CW_Instance project, CW_CLIP_ID clip, bool preview, std::string& errorText, const char* operation,
    int frame = -1, float opacity = 1.0f)
{
    VgView view = stctVgView(project, clip, operation);
    if (frame >= 0)
        view.uiFrame = unsigned(frame);
    vVgSetImageMatrices(view);
    if (!view.state.strRenderFault.empty()) {
        errorText = view.state.strRenderFault;
        return false;
    }
    const CW_CLIP_ID shown = clip ? clip : view.state.eDisplayedClip;
    if (!view.bHasBase || !view.bHasFiles) {
        errorText = "Clip " + std::to_string(shown) + " has no images to show.";
        return false;
    }
    const int frameCount
        = view.files.iThirdNumber < 0 ? 1 : view.files.iLastFileNumber - view.files.iFirstFileNumber + 1;
    if (int(view.uiFrame) >= frameCount) {
        errorText = "Clip " + std::to_string(shown) + " has no frame " + std::to_string(view.uiFrame) + ".";
        return false;
    }
    const QString path = standin::qstrViewerFramePath(view.files, view.uiFrame);
    if (path.isEmpty()) {
        errorText = "Clip " + std::to_string(shown) + " has no image at frame " + std::to_string(view.uiFrame) + ".";
        return false;
    }
    const QImage image = standin::imgGetDecodedFrame(path);
    if (image.isNull()) {
        errorText = "Unable to read " + path.toStdString();
        return false;
    }
    if (frame < 0)
        standin::vDecodeAhead(view.files, frameCount, view.uiFrame, image);
    VgContextResources* resources = pVgResources();
    if (!resources) {
        errorText = "There is no OpenGL context to draw into.";
        return false;
    }
    // Alpha alone shows as grey; with neither channel the canvas stays.
    const bool alphaOnly = !view.state.bShowRGB && view.state.bShowAlpha;
    if (!view.state.bShowRGB && !alphaOnly)
        return true;

    // Measured, the upload is timed alone: what was queued before it (the canvas clear)
    // is finished first.
    if (g_vgMeasureDraw)
        glFinish();
    QElapsedTimer timer;
    timer.start();
    VgTexture& texture = stctVgFrameTexture(*resources, path, image, preview);
    if (bVgUpload(texture, image)) {
        if (g_vgMeasureDraw)
            glFinish();
        vVgAddTime(&standin::testing::RenderTimings::dUploadMs, timer.nsecsElapsed());
        QMutexLocker lock(&g_vgTimingMutex);
        ++g_vgTimings.uiUploads;
    }
    timer.restart();
    const float width = view.base.uiWidth ? float(view.base.uiWidth) : float(image.width());
    const float height = view.base.uiHeight ? float(view.base.uiHeight) : float(image.height());
    if (opacity < 1.0f) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    glColor4f(1.0f, 1.0f, 1.0f, opacity);
    vVgTexturedQuad(texture.uiName, 0.0f, 0.0f, width, height, 0.0f, 1.0f, alphaOnly);
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (g_vgMeasureDraw)
        glFinish();
    vVgAddTime(&standin::testing::RenderTimings::dDrawMs, timer.nsecsElapsed());
    QMutexLocker lock(&g_vgTimingMutex);
    ++g_vgTimings.uiFrames;
    g_vgTimings.iLastDrawnFrame = int(view.uiFrame);
    return true;
}

// ---- the I/O library's drawing call-backs ------------------------------------------------

void vVgSetColour(float r, float g, float b, float a)
{
    glColor4f(r, g, b, a);
}

int iVgTextHeight(const char*)
{
    return QFontMetrics(g_vgFont).height();
}

void vVgDrawText(const char* textUtf8, float x, float y, float scaleX, float scaleY)
{
    VgContextResources* resources = pVgResources();
    const QString text = QString::fromUtf8(textUtf8 ? textUtf8 : "");
    if (!resources || text.isEmpty())
        return;
    const QFontMetrics metrics(g_vgFont);
    const QSize size(std::max(1, metrics.horizontalAdvance(text) + 2), std::max(1, metrics.height()));
    // White text on clear pixels; the current colour tints it.
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setFont(g_vgFont);
        painter.setPen(Qt::white);
        painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, text);
    }
    bVgUpload(resources->scratch, image);
    const float halfWidth = size.width() * scaleX / 2.0f;
    const float halfHeight = size.height() * scaleY / 2.0f;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    vVgTexturedQuad(
        resources->scratch.uiName, x - halfWidth, y - halfHeight, x + halfWidth, y + halfHeight, 0.0f, 1.0f);
    glDisable(GL_BLEND);
}

void vVgDrawImage(const Tam_Image* image, int x, int y, float scaleX, float scaleY)
{
    VgContextResources* resources = pVgResources();
    if (!resources || !image || !image->pucData || image->iType != TAM_UINT8 || image->iWidth <= 0
        || image->iHeight <= 0)
        return;
    const int channels = image->iFormat == TAM_RGBA ? 4 : image->iFormat == TAM_RGB ? 3 : 1;
    const GLenum format = channels == 4 ? GL_RGBA : channels == 3 ? GL_RGB : GL_LUMINANCE;
    VgTexture& texture = resources->scratch;
    if (!texture.uiName) {
        glGenTextures(1, &texture.uiName);
        glBindTexture(GL_TEXTURE_2D, texture.uiName);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glBindTexture(GL_TEXTURE_2D, texture.uiName);
    // These rows are R, G, B, A already.
    if (resources->iSwizzle > 0)
        vVgSetRedBlueSwap(texture, false);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, image->iStride / channels);
    glTexImage2D(
        GL_TEXTURE_2D, 0, GL_RGBA8, image->iWidth, image->iHeight, 0, format, GL_UNSIGNED_BYTE, image->pucData);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    texture.iWidth = image->iWidth;
    texture.iHeight = image->iHeight;
    texture.iImageKey = 0;

    GLint viewport[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, viewport[2], viewport[3], 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float x1 = x + image->iWidth * scaleX;
    const float y1 = y + image->iHeight * scaleY;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Rows come bottom up: the first row belongs at the bottom edge.
    vVgTexturedQuad(texture.uiName, float(x), float(y), x1, y1, 1.0f, 0.0f);
    glDisable(GL_BLEND);
}

void vVgInstallCallbacks()
{
    BRD_GLCallbacks& gl = pstctBRD_GetCallbackStruct()->stctGL;
    gl.pfnSetColour = &vVgSetColour;
    gl.pfnTextHeight = &iVgTextHeight;
    gl.pfnDrawText = &vVgDrawText;
    gl.pfnDrawImage = &vVgDrawImage;
}

} // namespace

namespace standin {

void vRecordFrameRead(qint64 nanoseconds, bool decoded, bool ahead)
{
    QMutexLocker lock(&g_vgTimingMutex);
    g_vgTimings.dReadMs += double(nanoseconds) / 1.0e6;
    if (decoded)
        ++g_vgTimings.uiReads;
    if (ahead)
        ++g_vgTimings.uiDecodedAhead;
}

} // namespace standin

CW_BOOL bRenderCurrentFrame(CW_Instance project, CW_BOOL, CW_BOOL, std::string& errorText)
{
    return bVgDrawFrame(project, 0, false, errorText, "bRenderCurrentFrame");
}

CW_BOOL bRenderPreviewFrame(CW_Instance project, CW_CLIP_ID clip, CW_BOOL, std::string& errorText)
{
    return bVgDrawFrame(project, clip, true, errorText, "bRenderPreviewFrame");
}

CW_BOOL bRenderThumbnail(
    CW_Instance project, unsigned int frame, int x, int y, int width, int height, std::string& errorText)
{
    const VgView view = stctVgView(project, 0, "bRenderThumbnail");
    if (!view.bHasFiles) {
        errorText = "Clip " + std::to_string(view.state.eDisplayedClip) + " has no images to show.";
        return false;
    }
    const int frameCount
        = view.files.iThirdNumber < 0 ? 1 : view.files.iLastFileNumber - view.files.iFirstFileNumber + 1;
    if (int(frame) >= frameCount) {
        errorText = "Clip " + std::to_string(view.state.eDisplayedClip) + " has no frame " + std::to_string(frame) + ".";
        return false;
    }
    const QString path = standin::qstrViewerFramePath(view.files, frame);
    const QImage image = standin::imgGetDecodedFrame(path);
    if (image.isNull()) {
        errorText = "Unable to read " + path.toStdString();
        return false;
    }
    VgContextResources* resources = pVgResources();
    if (!resources || width <= 0 || height <= 0) {
        errorText = "There is no OpenGL context to draw into.";
        return false;
    }
    const float scale = std::min(float(width) / image.width(), float(height) / image.height());
    const float x0 = x + (width - image.width() * scale) / 2.0f;
    const float y0 = y + (height - image.height() * scale) / 2.0f;
    bVgUpload(resources->scratch, image);
    GLint viewport[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, viewport[2], viewport[3], 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    vVgTexturedQuad(resources->scratch.uiName, x0, y0, x0 + image.width() * scale, y0 + image.height() * scale,
        0.0f, 1.0f);
    return true;
}

CW_BOOL bRenderCurrentFrameToVideoIO(CW_Instance project, std::string& errorText)
{
    stctVgView(project, 0, "bRenderCurrentFrameToVideoIO");
    errorText = "There is no video output device.";
    return false;
}

CW_BOOL bRenderSelections(
    CW_Instance project, CW_MODULE, CW_BOOL showLayers, CW_BOOL showAllLayers, CW_BOOL, CW_BOOL, std::string&)
{
    const VgView view = stctVgView(project, 0, "bRenderSelections");
    vVgSetImageMatrices(view);
    if (!showLayers)
        return true;
    const CW_Color& selected = view.selectedColour;
    const CW_Color& unselected = view.unselectedColour;
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glLineWidth(1.0f);
    for (const auto& [id, outline] : view.vecOutlines) {
        const bool current = id == view.state.iCurrentLayer;
        if (outline.bHidden || (!showAllLayers && !current) || outline.vecPoints.size() < 2)
            continue;
        const CW_Color& colour = current ? selected : unselected;
        glColor4f(colour.r, colour.g, colour.b, 1.0f);
        glBegin(outline.bClosed ? GL_LINE_LOOP : GL_LINE_STRIP);
        for (const QPointF& point : outline.vecPoints)
            glVertex2d(point.x(), point.y());
        glEnd();
    }
    return true;
}

void vBRD_GLInitialiseFont(const char* face, const char*, bool)
{
    vVgInstallCallbacks();
    g_vgFont = QFont(QString::fromUtf8(face ? face : "Arial"), 10);
}

void vBRD_GLInitialiseTextures(unsigned int width, unsigned int height, unsigned int count)
{
    vVgInstallCallbacks();
    if (width == 0 || height == 0)
        return;
    g_vgDisplayCacheCount = count;
    // The current context sheds what it keeps beyond the new count at once, others when
    // they next draw.
    auto it = g_vgContexts.find(QOpenGLContext::currentContext());
    if (it != g_vgContexts.end()) {
        auto& cached = it->second.cachedFrames;
        while (cached.size() > count) {
            vVgDeleteTexture(cached.back().second);
            cached.pop_back();
        }
    }
}

void vBRD_GLResizeCacheMBytes(unsigned int megabytes)
{
    g_vgDisplayCacheBudget = qint64(megabytes) * 1024 * 1024;
    // The current context sheds what is beyond the budget at once, others when they next draw.
    auto it = g_vgContexts.find(QOpenGLContext::currentContext());
    if (it != g_vgContexts.end() && !it->second.cachedFrames.empty()) {
        auto& cached = it->second.cachedFrames;
        vVgKeepWithinBudget(cached, qint64(cached.front().second.iWidth) * cached.front().second.iHeight * 4);
    }
}

void vBRD_GLCleanup(QObject*)
{
    standin::vStopDecodeAhead();
    QOpenGLContext* context = QOpenGLContext::currentContext();
    auto it = g_vgContexts.find(context);
    if (!context || it == g_vgContexts.end())
        return;
    vVgDeleteTexture(it->second.frame);
    vVgDeleteTexture(it->second.preview);
    vVgDeleteTexture(it->second.scratch);
    for (auto& cached : it->second.cachedFrames)
        vVgDeleteTexture(cached.second);
    g_vgContexts.erase(it);
}

namespace standin::testing {

long long iGetDisplayCacheMBytes()
{
    return g_vgDisplayCacheBudget < 0 ? -1 : g_vgDisplayCacheBudget / (1024 * 1024);
}

RenderTimings stctGetRenderTimings()
{
    QMutexLocker lock(&g_vgTimingMutex);
    return g_vgTimings;
}

void vResetRenderTimings(bool measureDrawing)
{
    QMutexLocker lock(&g_vgTimingMutex);
    g_vgTimings = RenderTimings();
    g_vgMeasureDraw = measureDrawing;
}

unsigned int uiGetDisplayCacheCount()
{
    return g_vgDisplayCacheCount;
}

} // namespace standin::testing

// ---- the tracking pages' overlays ---------------------------------------------------------

namespace {

// A layer as drawn at the current frame, copied under the lock.
struct VgLayerDrawing {
    int iID = 0;
    bool bCurrent = false;
    int iShapeKind = 0;
    std::vector<standin::ShapePoint> vecShape;
    std::vector<QPointF> vecOutline;
    bool bHasSurface = false;
    standin::SurfaceCorners surface {};
    // Centres of the surface over the trace's frames.
    std::vector<QPointF> vecTrace;
};

struct VgOverlay {
    std::vector<VgLayerDrawing> vecLayers;
    std::vector<standin::ShapePoint> vecPending;
    int iSelectedCorner = -1;
    int iSelectedShapePoint = -1;
    CW_Color aColours[5];
    std::string strFault;
};

// The fault a test planted for a drawing call; empty when none.
std::string strVgDrawFault(const CW_ProjectRecord& record, const char* operation)
{
    auto it = record.viewer.mapDrawFaults.find(operation);
    return it == record.viewer.mapDrawFaults.end() ? std::string() : it->second;
}

VgOverlay stctVgOverlay(CW_Instance project, const char* operation, int traceLength)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        throw CW_Exception("There is no open project.", std::string(operation) + ": invalid handle");
    VgOverlay overlay;
    overlay.strFault = strVgDrawFault(*project, operation);
    const unsigned int frame = project->uiCurrentFrame;
    for (const standin::LayerRecord& layer : project->vecLayers) {
        const auto shape = standin::optShapeAt(layer.geometry, frame);
        if (!layer.bVisible || !shape)
            continue;
        VgLayerDrawing drawing;
        drawing.iID = layer.iID;
        drawing.bCurrent = layer.iID == project->viewer.iCurrentLayer;
        drawing.iShapeKind = layer.geometry.iShapeKind;
        drawing.vecShape = *shape;
        drawing.vecOutline = standin::vecShapeOutline(layer.geometry.iShapeKind, *shape);
        if (const auto surface = standin::optSurfaceAt(layer.geometry, frame)) {
            drawing.bHasSurface = true;
            drawing.surface = *surface;
        }
        const unsigned int from = frame > unsigned(std::max(0, traceLength)) ? frame - unsigned(traceLength) : 0;
        for (unsigned int k = from; traceLength > 0 && k <= frame + unsigned(traceLength); ++k) {
            if (!layer.geometry.mapSurfaceKeys.count(k))
                continue;
            const standin::SurfaceCorners& c = layer.geometry.mapSurfaceKeys.at(k);
            drawing.vecTrace.push_back((c[0] + c[1] + c[2] + c[3]) / 4.0);
        }
        overlay.vecLayers.push_back(std::move(drawing));
    }
    overlay.vecPending = project->edit.vecPendingPoints;
    overlay.iSelectedCorner = project->iSelectedCorner;
    overlay.iSelectedShapePoint = project->iSelectedShapePoint;
    std::copy(std::begin(project->aSelectionColours), std::end(project->aSelectionColours), overlay.aColours);
    return overlay;
}

void vVgColour(const CW_Color& c)
{
    glColor4f(c.r, c.g, c.b, 1.0f);
}

// A square point marker of a few screen pixels at any zoom.
void vVgMarker(const QPointF& p, double halfSize)
{
    glBegin(GL_QUADS);
    glVertex2d(p.x() - halfSize, p.y() - halfSize);
    glVertex2d(p.x() + halfSize, p.y() - halfSize);
    glVertex2d(p.x() + halfSize, p.y() + halfSize);
    glVertex2d(p.x() - halfSize, p.y() + halfSize);
    glEnd();
}

} // namespace

CW_BOOL bRenderSelections(CW_Instance project, CW_MODULE, CW_BOOL, CW_BOOL, float, const CW_Color&,
    std::string& errorText, CW_BOOL, float, float, float, CW_BOOL showLayers, CW_BOOL showAllLayers,
    CW_BOOL showSplines, CW_BOOL showTangents, CW_BOOL showAllTangents, CW_BOOL, CW_BOOL, CW_BOOL showSurface, CW_BOOL,
    CW_BOOL, CW_BOOL, CW_BOOL showGrid, int gridX, int gridY, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL,
    unsigned int, CW_BOOL, int traceLength, CW_BOOL manualTrack, CW_BOOL, CW_BOOL, CW_BOOL, CW_BOOL)
{
    const VgView view = stctVgView(project, 0, "bRenderSelections");
    const VgOverlay overlay = stctVgOverlay(project, "bRenderSelections", std::min(traceLength, 1000));
    if (!overlay.strFault.empty()) {
        errorText = overlay.strFault;
        return false;
    }
    vVgSetImageMatrices(view);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glLineWidth(1.0f);
    const double marker = 2.5 / std::max(1e-3, double(view.state.fZoom));
    const CW_Color& pointColour = overlay.aColours[CW_SELECTION_POINT];
    for (const VgLayerDrawing& layer : overlay.vecLayers) {
        if (!showLayers || (!showAllLayers && !layer.bCurrent))
            continue;
        const CW_Color& colour
            = overlay.aColours[layer.bCurrent ? CW_SELECTION_SELECTED_LAYER : CW_SELECTION_UNSELECTED_LAYER];
        vVgColour(colour);
        // A hand-tracked shape is drawn dashed.
        if (manualTrack && layer.bCurrent) {
            glEnable(GL_LINE_STIPPLE);
            glLineStipple(1, 0x0f0f);
        }
        glBegin(GL_LINE_LOOP);
        for (const QPointF& p : layer.vecOutline)
            glVertex2d(p.x(), p.y());
        glEnd();
        glDisable(GL_LINE_STIPPLE);
        if (showSplines) {
            vVgColour(pointColour);
            for (std::size_t i = 0; i < layer.vecShape.size(); ++i) {
                const standin::ShapePoint& sp = layer.vecShape[i];
                const bool selected = layer.bCurrent && int(i) == overlay.iSelectedShapePoint;
                vVgMarker(QPointF(sp.dX, sp.dY), selected ? 2.0 * marker : marker);
            }
        }
        if (layer.iShapeKind == CW_TOOL_ADD_BEZIER_LAYER && showTangents && (layer.bCurrent || showAllTangents)) {
            vVgColour(pointColour);
            glBegin(GL_LINES);
            for (const standin::ShapePoint& sp : layer.vecShape) {
                glVertex2d(sp.dX + sp.dInX, sp.dY + sp.dInY);
                glVertex2d(sp.dX + sp.dOutX, sp.dY + sp.dOutY);
            }
            glEnd();
        }
        if (layer.bHasSurface && (showSurface || showGrid)) {
            vVgColour(overlay.aColours[CW_SELECTION_RENDERED_LAYER]);
            if (showSurface) {
                glBegin(GL_LINE_LOOP);
                for (const QPointF& c : layer.surface)
                    glVertex2d(c.x(), c.y());
                glEnd();
                for (int c = 0; c < 4; ++c)
                    vVgMarker(layer.surface[std::size_t(c)],
                        layer.bCurrent && c == overlay.iSelectedCorner ? 2.0 * marker : marker);
            }
            // Grid lines are straight lines of the plane, so they follow its perspective.
            const std::vector<standin::imaging::Point2> unit {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            std::vector<standin::imaging::Point2> corners;
            for (const QPointF& c : layer.surface)
                corners.push_back({c.x(), c.y()});
            const auto plane = standin::imaging::homFitDlt(unit, corners);
            if (showGrid && plane && gridX > 0 && gridY > 0 && gridX <= 1000 && gridY <= 1000) {
                glBegin(GL_LINES);
                for (int i = 1; i < gridX; ++i) {
                    const auto a = plane->apply({double(i) / gridX, 0.0});
                    const auto b = plane->apply({double(i) / gridX, 1.0});
                    glVertex2d(a.x, a.y);
                    glVertex2d(b.x, b.y);
                }
                for (int j = 1; j < gridY; ++j) {
                    const auto a = plane->apply({0.0, double(j) / gridY});
                    const auto b = plane->apply({1.0, double(j) / gridY});
                    glVertex2d(a.x, a.y);
                    glVertex2d(b.x, b.y);
                }
                glEnd();
            }
        }
        if (layer.bCurrent && layer.vecTrace.size() > 1) {
            vVgColour(overlay.aColours[CW_SELECTION_SWITCHED_OFF_POINT]);
            glBegin(GL_LINE_STRIP);
            for (const QPointF& p : layer.vecTrace)
                glVertex2d(p.x(), p.y());
            glEnd();
        }
    }
    // The shape being drawn: its points joined in order.
    if (!overlay.vecPending.empty()) {
        vVgColour(overlay.aColours[CW_SELECTION_SELECTED_LAYER]);
        glBegin(GL_LINE_STRIP);
        for (const standin::ShapePoint& p : overlay.vecPending)
            glVertex2d(p.dX, p.dY);
        glEnd();
        vVgColour(pointColour);
        for (const standin::ShapePoint& p : overlay.vecPending)
            vVgMarker(QPointF(p.dX, p.dY), marker);
    }
    // Outlines the viewer was given without a layer behind them.
    std::string unused;
    return bRenderSelections(project, CW_MODULE_TRACK, showLayers, showAllLayers, false, false, unused);
}

CW_BOOL bRenderOverlayFrame(CW_Instance project, int mode, unsigned int frame, const Tam_Camera*, const Tam_Matrix33*,
    std::string& errorText)
{
    CW_CLIP_ID clip = 0;
    std::string fault;
    {
        auto& registry = standin::ProjectRegistry::instance();
        QMutexLocker lock(&registry.mutex());
        if (!registry.bIsLive(project))
            throw CW_Exception("There is no open project.", "bRenderOverlayFrame: invalid handle");
        fault = strVgDrawFault(*project, "bRenderOverlayFrame");
        // The frame of the current layer's input clip, else of the clip shown.
        clip = project->viewer.eDisplayedClip;
        if (const standin::LayerRecord* layer = standin::pCurrentLayer(*project); layer && layer->pTracking)
            clip = layer->pTracking->pInputClip->valueAt(float(project->uiCurrentFrame));
    }
    if (!fault.empty()) {
        errorText = fault;
        return false;
    }
    if (mode != 1) {
        errorText = "Only the frame as it is can be drawn.";
        return false;
    }
    // Laid over the current frame at half strength: the frame the user is on stays visible
    // beneath the other one, so a shape tracked here still lines up with what is shown.
    return bVgDrawFrame(project, clip, false, errorText, "bRenderOverlayFrame", int(frame), 0.5f);
}

CW_BOOL bRenderMousePosition(CW_Instance project, int window, CW_CLIP_ID clip, CW_BOOL, int, CW_BOOL,
    unsigned int frame, float x, float y, CW_BOOL showCaption, const std::string& caption, int, int,
    CW_BOOL useMousePosition, float mouseX, float mouseY, std::string& errorText)
{
    VgView view = stctVgView(project, clip, "bRenderMousePosition");
    {
        auto& registry = standin::ProjectRegistry::instance();
        QMutexLocker lock(&registry.mutex());
        if (!registry.bIsLive(project))
            throw CW_Exception("There is no open project.", "bRenderMousePosition: invalid handle");
        const std::string fault = strVgDrawFault(*project, "bRenderMousePosition");
        if (!fault.empty()) {
            errorText = fault;
            return false;
        }
        project->viewer.vecZoomWindowLog.push_back({window, frame, showCaption ? caption : std::string()});
    }
    if (window < 0 || window > 2) {
        errorText = "There is no zoom window " + std::to_string(window) + ".";
        return false;
    }
    const float cx = useMousePosition ? mouseX : x;
    const float cy = useMousePosition ? mouseY : y;
    if (!std::isfinite(cx) || !std::isfinite(cy)) {
        errorText = "The zoom window has no position to show.";
        return false;
    }
    // The window: a square in the view's top edge, one place per index, showing the frame
    // four times larger around the point.
    GLint viewport[4] = {0, 0, 1, 1};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int side = std::max(16, std::min(viewport[2] / 4, viewport[3] / 3));
    const int left = viewport[0] + 8 + window * (side + 8);
    const int bottom = viewport[1] + viewport[3] - 8 - side;
    glEnable(GL_SCISSOR_TEST);
    glScissor(left, bottom, side, side);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    const float zoom = view.state.fZoom * 4.0f;
    {
        auto& registry = standin::ProjectRegistry::instance();
        QMutexLocker lock(&registry.mutex());
        // Drawn through the frame drawing with the window's own view, then the view restored.
        standin::ViewerState saved = project->viewer;
        const double width = view.state.iWindowWidth > 0 ? view.state.iWindowWidth : viewport[2];
        const double height = view.state.iWindowHeight > 0 ? view.state.iWindowHeight : viewport[3];
        const double windowCentreX = (left - viewport[0] + side / 2.0) * width / viewport[2];
        const double windowCentreY = (viewport[3] - (bottom - viewport[1]) - side / 2.0) * height / viewport[3];
        project->viewer.fZoom = zoom;
        project->viewer.fOriginX = float(windowCentreX - cx * zoom);
        project->viewer.fOriginY = float(windowCentreY - cy * zoom);
        std::string frameError;
        const bool drawn = bVgDrawFrame(project, clip, true, frameError, "bRenderMousePosition", int(frame));
        project->viewer.fZoom = saved.fZoom;
        project->viewer.fOriginX = saved.fOriginX;
        project->viewer.fOriginY = saved.fOriginY;
        if (!drawn) {
            glDisable(GL_SCISSOR_TEST);
            errorText = frameError;
            return false;
        }
        if (showCaption && !caption.empty()) {
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
            vVgDrawText(caption.c_str(), cx, float(cy + (side / 2.0 - 10.0) * height / viewport[3] / zoom),
                1.0f / zoom, 1.0f / zoom);
        }
    }
    glDisable(GL_SCISSOR_TEST);
    vVgSetImageMatrices(view);
    return true;
}
