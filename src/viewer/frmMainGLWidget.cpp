// GLEW has to come before any Qt OpenGL header; this file is therefore built outside the
// precompiled Qt header and the unity batches.
#include <GL/glew.h>

#include "frmMainGLWidget.h"

#include "frmMainGLSurface.h"

#include "ViewOptionsManager.h"
#include "app/CWKCustomEvent.h"
#include "app/CWKGUIThreadedProcess.h"
#include "app/ChoiceTables.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ResourceLoading.h"
#include "app/Settings.h"
#include "app/ShellAccessors.h"
#include "brandor.h"
#include "mainwindow/frmMain.h"
#include "preferences/frmPreferences.h"
#include "tamsin.h"
#include "velmor.h"
#include "widgets/CWKControlForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QSettings>
#include <QSurfaceFormat>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <memory>

bool frmMainGLWidget::s_bInvertScrollWheel = false;

namespace {

// Mesa's software renderer takes its "linear" shader path for the frame's textured quad; on
// two cores that path costs about a third more per frame than its general shaders. Set
// before the first context creates the renderer; a value the user set wins, and other
// drivers ignore it.
const bool g_bSoftwareRendererTuned = []() {
    if (!qEnvironmentVariableIsSet("LP_PERF"))
        qputenv("LP_PERF", "no_linear");
    return true;
}();

std::function<bool()> g_fnViewerAutoKey = []() { return true; };
std::function<bool()> g_fnViewerUberKey = []() { return false; };

QSurfaceFormat stctViewerFormat()
{
    QSurfaceFormat format;
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setStencilBufferSize(8);
    format.setAlphaBufferSize(8);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(0);
    // The drawing is fixed-function GL.
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapInterval(1);
    return format;
}

CW_Instance pViewerProject()
{
    return ProjectManagerInstance::instance()->getInstance();
}

// The preferences dialog's controls the viewer reads, found by name; null while there is
// no such dialog.
template <class T> T* pViewerPreferenceControl(const char* name)
{
    if (!g_pMainWindow)
        return nullptr;
    auto* preferences = g_pMainWindow->findChild<QWidget*>(QStringLiteral("frmPreferences"));
    return preferences ? preferences->findChild<T*>(QLatin1String(name)) : nullptr;
}

const BRD_GLCallbacks& stctViewerGL()
{
    return pstctBRD_GetCallbackStruct()->stctGL;
}

struct ViewerCursorSpec {
    const char* name; // null: a shape cursor
    int hotX;
    int hotY;
    Qt::CursorShape shape;
};

// In the order of the cursor indices the cursor choice uses.
const ViewerCursorSpec kViewerCursors[31] = {
    {nullptr, 0, 0, Qt::ArrowCursor},
    {"CursorHand.png", 8, 8, Qt::BitmapCursor},
    {"CursorZoom.png", 7, 6, Qt::BitmapCursor},
    {"CursorRotate.png", 8, 8, Qt::BitmapCursor},
    {"CursorScale.png", 8, 8, Qt::BitmapCursor},
    {"CursorTranslate.png", 8, 8, Qt::BitmapCursor},
    {"CursorMovePoint.png", 12, 12, Qt::BitmapCursor},
    {"CursorMovePointLinkBackward.png", 12, 12, Qt::BitmapCursor},
    {"CursorMovePointLinkForward.png", 12, 12, Qt::BitmapCursor},
    {"CursorMovePointLinkAll.png", 12, 12, Qt::BitmapCursor},
    {"CursorMoveText.png", 4, 11, Qt::BitmapCursor},
    {"CursorMoveTextLinkBackward.png", 12, 12, Qt::BitmapCursor},
    {"CursorMoveTextLinkForward.png", 12, 12, Qt::BitmapCursor},
    {"CursorMoveTextLinkAll.png", 12, 12, Qt::BitmapCursor},
    {"CursorInsertPoint.png", 11, 11, Qt::BitmapCursor},
    {"CursorInsertPointLinkBackward.png", 12, 12, Qt::BitmapCursor},
    {"CursorInsertPointLinkForward.png", 12, 12, Qt::BitmapCursor},
    {"CursorInsertPointLinkAll.png", 12, 12, Qt::BitmapCursor},
    {"CursorSelectContour.png", 10, 0, Qt::BitmapCursor},
    {"CursorCloseSelection.png", 11, 11, Qt::BitmapCursor},
    {"CursorFinishOpenSelection.png", 11, 11, Qt::BitmapCursor},
    {"CursorAddPointSelection.png", 12, 12, Qt::BitmapCursor},
    {"CursorCloseContour.png", 11, 11, Qt::BitmapCursor},
    {"CursorFinishOpenContour.png", 11, 11, Qt::BitmapCursor},
    {"CursorAddPointContour.png", 11, 11, Qt::BitmapCursor},
    {"CursorStartConstraint.png", 0, 0, Qt::BitmapCursor},
    {"CursorMakingConstraint.png", 12, 10, Qt::BitmapCursor},
    {"CursorFinishConstraint.png", 20, 0, Qt::BitmapCursor},
    {"CursorSample.png", 0, 16, Qt::BitmapCursor},
    {nullptr, 0, 0, Qt::CrossCursor},
    {"PointerTool_BreakTangentCursor.png", 20, 0, Qt::BitmapCursor},
};

enum ViewerCursorIndex {
    kCurArrow = 0,
    kCurHand = 1,
    kCurZoom = 2,
    kCurRotate = 3,
    kCurScale = 4,
    kCurTranslate = 5,
    kCurMovePoint = 6,
    kCurMovePointLinkAll = 9,
    kCurMoveText = 10,
    kCurMoveTextLinkAll = 13,
    kCurInsertPoint = 14,
    kCurInsertPointLinkAll = 17,
    kCurSelectContour = 18,
    kCurCloseSelection = 19,
    kCurFinishOpenSelection = 20,
    kCurAddPointSelection = 21,
    kCurCloseContour = 22,
    kCurFinishOpenContour = 23,
    kCurAddPointContour = 24,
    kCurStartConstraint = 25,
    kCurMakingConstraint = 26,
    kCurFinishConstraint = 27,
    kCurSample = 28,
    kCurCross = 29,
    kCurBreakTangent = 30
};

// The main window's action for each engine tool type (6 depends on the insert mode).
const char* pcViewerToolAction(int tool, bool insertMode)
{
    switch (tool) {
    case CW_TOOL_ADD_XSPLINE_LAYER:
        return "actAddXSplineLayerTool";
    case CW_TOOL_ADD_BEZIER_LAYER:
        return "actAddBezierLayerTool";
    case CW_TOOL_ADD_XSPLINE_CONTOUR:
        return "actAddXSplineContourTool";
    case CW_TOOL_ADD_BEZIER_CONTOUR:
        return "actAddBezierContourTool";
    case CW_TOOL_POINTER:
        return insertMode ? "actInsertMode" : "actPointerTool";
    case CW_TOOL_PAN:
        return "actPanTool";
    case CW_TOOL_ZOOM:
        return "actZoomTool";
    case CW_TOOL_ROTATE:
        return "actRotateTool";
    case CW_TOOL_SCALE:
        return "actScaleTool";
    case CW_TOOL_TRANSLATE:
        return "actTranslateTool";
    case CW_TOOL_SOFT_CONSTRAINT:
        return "actSoftConstraintTool";
    default:
        return nullptr;
    }
}

// Leaves the painting flag and draws the engine's or the exception's text.
class ViewerPaintGuard {
public:
    explicit ViewerPaintGuard(bool& painting)
        : m_bPainting(painting)
    {
        m_bPainting = true;
    }
    ~ViewerPaintGuard() { m_bPainting = false; }

private:
    bool& m_bPainting;
};

} // namespace

frmMainGLWidget::frmMainGLWidget(QWidget* parent, frmMain* mainWindow)
    : QWidget(parent)
    , m_pMainWindow(mainWindow)
{
    setFocusPolicy(Qt::StrongFocus);
    m_pSurface = new frmMainGLSurface(this, stctViewerFormat());
    m_pSurface->fnExposed = [this]() { vSurfaceExposed(); };
    m_pSurfaceContainer = QWidget::createWindowContainer(m_pSurface, this);
    m_pSurfaceContainer->setFocusPolicy(Qt::NoFocus);
    m_pSurfaceContainer->setGeometry(rect());
    QSettings* settings = pGetUserSettings();
    if (settings) {
        m_fCanvasRed = settings->value(QStringLiteral("/CanvasColorR"), 0.2).toFloat();
        m_fCanvasGreen = settings->value(QStringLiteral("/CanvasColorG"), 0.2).toFloat();
        m_fCanvasBlue = settings->value(QStringLiteral("/CanvasColorB"), 0.2).toFloat();
    }
    vLoadCursors();
}

frmMainGLWidget::~frmMainGLWidget()
{
    if (m_pComposedWindow)
        m_pComposedWindow->removeEventFilter(this);
    const bool current = m_pSurface->bHasContext() && m_pSurface->bMakeCurrent();
    vBRD_GLCleanup(this);
    if (current)
        m_pSurface->vDoneCurrent();
    vReleaseLogo();
}

void frmMainGLWidget::vLoadCursors()
{
    m_vecCursors.reserve(31);
    for (const ViewerCursorSpec& spec : kViewerCursors) {
        if (!spec.name) {
            m_vecCursors.emplace_back(spec.shape);
            continue;
        }
        const QString name = QString::fromLatin1(spec.name);
        QString maskName = name;
        maskName.chop(4);
        maskName = maskName == QLatin1String("PointerTool_BreakTangentCursor") ? maskName + QStringLiteral("Alpha.png")
                                                                               : maskName + QStringLiteral("Mask.png");
        const QBitmap bitmap = qbmpGetResourceBitmap(name, true);
        const QBitmap mask = qbmpGetResourceBitmap(maskName, true);
        if (bitmap.isNull() || mask.isNull() || bitmap.size() != mask.size())
            m_vecCursors.emplace_back(Qt::ArrowCursor);
        else
            m_vecCursors.emplace_back(bitmap, mask, spec.hotX, spec.hotY);
    }
}

void frmMainGLWidget::vSetInvertScrollWheel(bool invert)
{
    s_bInvertScrollWheel = invert;
}

void frmMainGLWidget::vSetKeyframeSwitchReaders(std::function<bool()> autoKey, std::function<bool()> uberKey)
{
    g_fnViewerAutoKey = autoKey ? std::move(autoKey) : []() { return true; };
    g_fnViewerUberKey = uberKey ? std::move(uberKey) : []() { return false; };
}

void frmMainGLWidget::vSetCanvasColour(float r, float g, float b)
{
    m_fCanvasRed = r;
    m_fCanvasGreen = g;
    m_fCanvasBlue = b;
    if (QSettings* settings = pGetUserSettings()) {
        settings->setValue(QStringLiteral("CanvasColorR"), r);
        settings->setValue(QStringLiteral("CanvasColorG"), g);
        settings->setValue(QStringLiteral("CanvasColorB"), b);
    }
}

// ---- repaints ---------------------------------------------------------------------------

bool frmMainGLWidget::isValid() const
{
    return m_bGLInitialized && m_pSurface->bHasContext();
}

void frmMainGLWidget::makeCurrent()
{
    bBeginGL();
}

void frmMainGLWidget::doneCurrent()
{
    m_pSurface->vDoneCurrent();
}

bool frmMainGLWidget::bBeginGL()
{
    bool created = false;
    if (!m_pSurface->bMakeCurrent(&created))
        return false;
    if (created || !m_bGLInitialized) {
        m_bGLInitialized = true;
        initializeGL();
        resizeGL(width(), height());
    }
    return true;
}

void frmMainGLWidget::vDrawNow()
{
    // A draw asked for from inside a draw (an engine call-back) would swap half a frame.
    if (m_bPainting || !isVisible() || !bBeginGL())
        return;
    vWatchWindow();
    const qreal ratio = devicePixelRatioF();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, int(width() * ratio), int(height() * ratio));
    paintGL();
    const bool shown = m_pSurface->isExposed();
    m_pSurface->vSwapBuffers();
    m_pSurface->vDoneCurrent();
    if (!shown)
        return;
    ++m_uiSwaps;
    emit frameSwapped();
    // What the window has waiting to be repainted (the slider, the time display) goes to the
    // screen now, with this frame, rather than in a composition of its own.
    if (m_pComposedWindow && !m_bInWindowComposition)
        QCoreApplication::sendPostedEvents(m_pComposedWindow, QEvent::UpdateRequest);
}

void frmMainGLWidget::vSurfaceExposed()
{
    if (m_iCompositionHolds > 0) {
        m_bDrawQueued = true;
        return;
    }
    vDrawNow();
}

QImage frmMainGLWidget::grabFramebuffer()
{
    if (!bBeginGL())
        return QImage();
    const qreal ratio = devicePixelRatioF();
    QImage image = m_pSurface->imgDrawOffscreen(
        QSize(int(width() * ratio), int(height() * ratio)), [this]() { paintGL(); });
    m_pSurface->vDoneCurrent();
    image.setDevicePixelRatio(ratio);
    return image;
}

void frmMainGLWidget::glDraw()
{
    vDrawNow();
}

void frmMainGLWidget::vWatchWindow()
{
    QWidget* top = window();
    if (top == this)
        top = nullptr;
    if (top == m_pComposedWindow)
        return;
    if (m_pComposedWindow)
        m_pComposedWindow->removeEventFilter(this);
    m_pComposedWindow = top;
    if (top)
        top->installEventFilter(this);
}

void frmMainGLWidget::vHoldComposition(bool hold)
{
    if (hold) {
        vWatchWindow();
        ++m_iCompositionHolds;
        return;
    }
    if (m_iCompositionHolds == 0 || --m_iCompositionHolds > 0)
        return;
    if (m_bCompositionDeferred && m_pComposedWindow) {
        // The toolkit sends a window one composition request at a time and counts the one
        // held back as still on its way: it goes out again now. The frame waiting to be
        // drawn is drawn when it arrives, or the merged repaint brings it along.
        m_bCompositionDeferred = false;
        QCoreApplication::postEvent(m_pComposedWindow, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
    }
    if (m_bDrawQueued && m_pRepaintTimer && !m_pRepaintTimer->isActive())
        m_pRepaintTimer->start(0);
}

bool frmMainGLWidget::eventFilter(QObject* watched, QEvent* e)
{
    if (watched != m_pComposedWindow || e->type() != QEvent::UpdateRequest)
        return QWidget::eventFilter(watched, e);
    if (m_iCompositionHolds > 0) {
        m_bCompositionDeferred = true;
        return true;
    }
    // A frame waits to be drawn: it goes to the screen with this composition rather than in
    // one of its own a moment later.
    if (m_bDrawQueued && !m_bPainting) {
        if (m_pRepaintTimer)
            m_pRepaintTimer->stop();
        m_bInWindowComposition = true;
        sltUpdateGL();
        m_bInWindowComposition = false;
    }
    return false;
}

bool frmMainGLWidget::event(QEvent* e)
{
    // The native window shows the cursor over the viewer.
    if (e->type() == QEvent::CursorChange && m_pSurface)
        m_pSurface->setCursor(cursor());
    return QWidget::event(e);
}

void frmMainGLWidget::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    m_pSurfaceContainer->setGeometry(rect());
    if (m_bGLInitialized && m_pSurface->bMakeCurrent()) {
        resizeGL(width(), height());
        m_pSurface->vDoneCurrent();
    }
    if (isVisible())
        updateGL();
}

void frmMainGLWidget::updateGL()
{
    if (m_pOverrideImage) {
        glDraw();
        return;
    }
    vWatchWindow();
    if (!m_pRepaintTimer) {
        m_pRepaintTimer = new QTimer(this);
        m_pRepaintTimer->setSingleShot(true);
        connect(m_pRepaintTimer, &QTimer::timeout, this, &frmMainGLWidget::sltUpdateGL);
    }
    if (m_pRepaintTimer->isActive()) {
        QMutexLocker lock(&m_mtxPendingRepaint);
        m_bRepaintPending = true;
        return;
    }
    m_bDrawQueued = true;
    m_pRepaintTimer->start(0);
}

void frmMainGLWidget::sltUpdateGL()
{
    // A frame change holds the screen: its frame is drawn when it ends.
    if (m_iCompositionHolds > 0) {
        m_bDrawQueued = true;
        return;
    }
    m_bDrawQueued = false;
    glDraw();
    bool pending = false;
    {
        QMutexLocker lock(&m_mtxPendingRepaint);
        pending = m_bRepaintPending;
        m_bRepaintPending = false;
    }
    if (pending)
        glDraw();
}

// ---- OpenGL -------------------------------------------------------------------------------

void frmMainGLWidget::initializeGL()
{
    const GLenum result = glewInit();
    // A context without GLX (EGL) reports "no GLX display" while the GL functions work.
    m_bGlewReady = result == GLEW_OK;
#ifdef GLEW_ERROR_NO_GLX_DISPLAY
    if (result == GLEW_ERROR_NO_GLX_DISPLAY)
        m_bGlewReady = true;
#endif
    if (!m_bGlewReady)
        qFatal("%s", qPrintable(tr("Failed to initialise GLEW: error code %1").arg(int(result))));
    glClearColor(m_fCanvasRed, m_fCanvasGreen, m_fCanvasBlue, 1.0f);

    const bool displayCache = frmPreferences::bGetUseDisplayCache();
    bCallReported(this, [&]() { vBRD_GLInitialiseFont("Arial", "", !displayCache); });

    CW_AutoLock(&g_mtxEngine, "initializeGL");
    const CW_Instance project = pViewerProject();
    if (bIsValidInstance(project) && displayCache) {
        bCallReported(this, [&]() {
            CW_CLIP_ID clip = eGetClipIDToDisplay(project);
            const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(project, eGetBaseClipID(project, clip ? clip : 1));
            if (base)
                vBRD_GLInitialiseTextures(base->uiWidth, base->uiHeight, frmPreferences::uiGetDisplayCacheSize());
        });
    }
}

void frmMainGLWidget::resizeGL(int width, int height)
{
    if (!m_bResizedBefore) {
        m_bResizedBefore = true;
        m_iPreviousWidth = width;
        m_iPreviousHeight = height;
    }
    CW_AutoLock(&g_mtxEngine, "resizeGL");
    const CW_Instance project = pViewerProject();
    if (bIsValidInstance(project)) {
        try {
            vResizeWindow(project, width, height);
            // The picture keeps its size relative to the window; a size of nothing has no
            // ratio, so the zoom waits for a real size on both sides.
            if (m_iPreviousWidth > 0 && m_iPreviousHeight > 0 && width > 0 && height > 0) {
                const double ratio = (double(height) / m_iPreviousHeight + double(width) / m_iPreviousWidth) / 2.0;
                vSetZoom(project, float(fGetZoom(project) * ratio));
            }
        } catch (const std::exception& e) {
            qWarning("resizeGL: %s", e.what());
        }
    }
    m_iPreviousWidth = width;
    m_iPreviousHeight = height;
}

void frmMainGLWidget::paintGL()
{
    if (m_bPainting)
        return;
    ViewerPaintGuard guard(m_bPainting);
    // The canvas stays opaque whatever is drawn on it.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(m_fCanvasRed, m_fCanvasGreen, m_fCanvasBlue, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);

    const BRD_GLCallbacks& gl = stctViewerGL();
    if (m_pOverrideImage) {
        if (gl.pfnSetColour && gl.pfnDrawImage) {
            gl.pfnSetColour(1.0f, 1.0f, 1.0f, 1.0f);
            const float scale = m_fOverrideScale;
            gl.pfnDrawImage(m_pOverrideImage, int(std::lround((width() - m_pOverrideImage->iWidth * scale) / 2.0f)),
                int(std::lround((height() - m_pOverrideImage->iHeight * scale) / 2.0f)), scale, scale);
        }
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        return;
    }

    CW_AutoLock(&g_mtxEngine, "sltUpdateGL");
    const CW_Instance project = pViewerProject();
    if (!bIsValidInstance(project)) {
        vDrawLogo();
    } else {
        vReleaseLogo();
        try {
            vPaintFrame(project);
        } catch (...) {
            // A paint has no caller to report to: the failure is drawn where the frame was.
            const QString text = qstrCurrentExceptionMessage();
            try {
                vDrawMessageText(project, text);
            } catch (...) {
                qWarning("paintGL: %s", qPrintable(text));
            }
        }
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void frmMainGLWidget::vPaintFrame(CW_Instance project)
{
    CWKControlForm* page = pGetCurrentControlForm();
    if (!m_bSuppressFrameRender) {
        if (!page || page->bUseRenderCurrentFrame()) {
            std::string error;
            if (!bRenderCurrentFrame(project, false, m_bViewerMode, error))
                vDrawMessageText(project, QString::fromStdString(error));
        } else {
            auto* videoOutput = pViewerPreferenceControl<QCheckBox>("chkbxPreferencesEnableCentaurus");
            if (videoOutput && videoOutput->isEnabled() && !bIsExecutingThreaded()) {
                std::string error;
                if (!bRenderCurrentFrameToVideoIO(project, error)) {
                    vDrawMessageText(project, QString::fromStdString(error));
                } else {
                    const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(project, eGetClipIDToDisplay(project));
                    const bool fields = base
                        && (base->iFieldMode == CW_UPPER_FIELD_FIRST || base->iFieldMode == CW_LOWER_FIELD_FIRST);
                    if (!m_bPlaying && fields && !bRenderCurrentFrameToVideoIO(project, error))
                        vDrawMessageText(project, QString::fromStdString(error));
                }
            }
        }
    }
    if (page)
        page->sltRenderOverlay(m_bPlaying || m_iMouseButton != 0);
    if (m_iPreviewMode != 0 && pGetViewOptionsManager()->showZoomWindows) {
        std::string error;
        if (!bRenderPreviewFrame(project, m_ePreviewClip, false, error))
            vDrawMessageText(project, QString::fromStdString(error));
    }
    if (m_bThumbnailShown && m_bThumbnailVisible && m_iThumbnailFrame >= 0) {
        const QRect box = rectThumbnail();
        std::string error;
        // A frame that cannot be read leaves the thumbnail out rather than covering the view
        // with its message while the mark is dragged.
        bRenderThumbnail(project, unsigned(m_iThumbnailFrame), box.x(), box.y(), box.width(), box.height(), error);
    }
}

QRect frmMainGLWidget::rectThumbnail() const
{
    // A quarter of the viewer's width in the bottom-left corner, 8 pixels in.
    const int boxWidth = std::max(1, width() / 4);
    const int boxHeight = std::max(1, height() / 4);
    return QRect(8, height() - 8 - boxHeight, boxWidth, boxHeight);
}

void frmMainGLWidget::vReleaseLogo()
{
    if (m_pLogoImage) {
        m_pLogoImage->free(m_pLogoImage);
        m_pLogoImage = nullptr;
    }
}

void frmMainGLWidget::vDrawLogo()
{
    if (!m_pLogoImage) {
        QImage logo = qpixGetResourcePixmap(qstrGetLogoFileName(qstrGetProduct())).toImage();
        if (logo.isNull())
            return;
        logo = logo.convertToFormat(QImage::Format_ARGB32);
        Tam_Image* wrapper = tam_image_form_gen(
            logo.width(), logo.height(), int(logo.bytesPerLine()), TAM_RGBA, TAM_UINT8, logo.bits());
        // ARGB32 is B, G, R, A in memory; the I/O library takes R, G, B, A rows bottom up.
        tam_image_swap_RandB_q(wrapper);
        tam_image_flip_q(wrapper);
        m_pLogoImage = wrapper->copy(wrapper);
        wrapper->free(wrapper);
        for (int y = 0; y < m_pLogoImage->iHeight; ++y) {
            unsigned char* row = m_pLogoImage->pucData + size_t(y) * size_t(m_pLogoImage->iStride);
            for (int x = 0; x < m_pLogoImage->iWidth; ++x)
                row[x * 4 + 3] = static_cast<unsigned char>(row[x * 4 + 3] * 0.07 + 0.5);
        }
    }
    const BRD_GLCallbacks& gl = stctViewerGL();
    if (!gl.pfnSetColour || !gl.pfnDrawImage)
        return;
    const float scale = std::min(0.7f * width() / m_pLogoImage->iWidth, 0.7f * height() / m_pLogoImage->iHeight);
    const int left = int(std::lround(width() / 2.0 - m_pLogoImage->iWidth * scale / 2.0));
    const int top = int(std::lround(height() / 2.0 - m_pLogoImage->iHeight * scale / 2.0));
    gl.pfnSetColour(1.0f, 1.0f, 1.0f, 1.0f);
    gl.pfnDrawImage(m_pLogoImage, left, top, scale, scale);
}

void frmMainGLWidget::vDrawMessageText(CW_Instance project, const QString& text)
{
    const BRD_GLCallbacks& gl = stctViewerGL();
    if (!gl.pfnSetColour || !gl.pfnTextHeight || !gl.pfnDrawText || !bIsValidInstance(project))
        return;
    const QStringList lines = text.split(QLatin1Char('\n'));
    const int count = int(lines.size());
    const int lineHeight = 2 * gl.pfnTextHeight("Text");
    CW_CLIP_ID clip = eGetClipIDToDisplay(project);
    const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(project, clip ? clip : 1);
    const bool fields = base && (base->iFieldMode == CW_UPPER_FIELD_FIRST || base->iFieldMode == CW_LOWER_FIELD_FIRST);
    const float fieldFactor = fields ? 2.0f : 1.0f;
    const float aspect = base && base->dPixelAspectRatio > 0.0 ? float(base->dPixelAspectRatio) : 1.0f;
    const float zoom = fGetZoom(project);
    gl.pfnSetColour(1.0f, 1.0f, 0.0f, 1.0f);
    for (int i = 0; i < count; ++i) {
        const int x = width() / 2;
        const int y = height() / 2 + int(lineHeight * (i - count / 2.0 + 0.5));
        float imageX = 0.0f;
        float imageY = 0.0f;
        convertDisplayToImageCoordinates(project, x, y, imageX, imageY);
        const QByteArray line = lines.at(i).toUtf8();
        if (!line.isEmpty())
            gl.pfnDrawText(line.constData(), imageX, imageY, 1.0f / (zoom * aspect), 1.0f / (zoom * fieldFactor));
    }
}

void frmMainGLWidget::vCentreImage(CW_Instance project)
{
    CW_CLIP_ID clip = eGetClipIDToDisplay(project);
    const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(project, clip ? clip : 1);
    if (!base)
        return;
    const bool fields = base->iFieldMode == CW_UPPER_FIELD_FIRST || base->iFieldMode == CW_LOWER_FIELD_FIRST;
    const double w = base->uiWidth;
    const double h = fields ? 2.0 * base->uiHeight : base->uiHeight;
    const double par = base->dPixelAspectRatio > 0.0 ? base->dPixelAspectRatio : 1.0;
    const double z = fGetZoom(project);
    const double ox = fGetOriginOffsetX(project);
    const double oy = fGetOriginOffsetY(project);
    const double dx = (width() / 2.0 - (ox + w * z / 2.0) * par) / par;
    const double dy = height() / 2.0 - (oy + h * z / 2.0);
    vMoveFrame(project, float(dx), float(dy));
}

void frmMainGLWidget::vFitToClip(CW_Instance project)
{
    CW_CLIP_ID clip = eGetClipIDToDisplay(project);
    const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(project, clip ? clip : 1);
    if (!base)
        return;
    const float zoom = fGetFitZoomFactor(*base, width(), height(), int(base->uiWidth), int(base->uiHeight), false);
    if (std::isfinite(zoom) && zoom > 0.0f)
        vSetZoom(project, zoom);
    vCentreImage(project);
}

// ---- input -----------------------------------------------------------------------------

QAction* frmMainGLWidget::pAction(const char* name) const
{
    QObject* window = m_pMainWindow ? static_cast<QObject*>(m_pMainWindow) : static_cast<QObject*>(g_pMainWindow);
    return window ? window->findChild<QAction*>(QLatin1String(name)) : nullptr;
}

bool frmMainGLWidget::bChecked(const char* name) const
{
    QAction* action = pAction(name);
    return action && action->isChecked();
}

bool frmMainGLWidget::bGetInsertMode() const
{
    QObject* window = m_pMainWindow;
    if (!window || window->metaObject()->indexOfMethod("bGetInsertMode()") < 0)
        return false;
    bool insertMode = false;
    QMetaObject::invokeMethod(window, "bGetInsertMode", Qt::DirectConnection, Q_RETURN_ARG(bool, insertMode));
    return insertMode;
}

void frmMainGLWidget::vUpdateMainWindowGUI()
{
    QObject* window = m_pMainWindow;
    if (!window)
        return;
    if (window->metaObject()->indexOfMethod("sltUpdateGUI()") >= 0)
        QMetaObject::invokeMethod(window, "sltUpdateGUI", Qt::DirectConnection);
    else if (window->metaObject()->indexOfMethod("sltUpdateGUI(int)") >= 0)
        QMetaObject::invokeMethod(window, "sltUpdateGUI", Qt::DirectConnection, Q_ARG(int, 5));
}

void frmMainGLWidget::vSendPanKey(QEvent::Type type)
{
    if (!m_pMainWindow)
        return;
    QKeyEvent key(type, Qt::Key_X, Qt::NoModifier, QString(), false, 1);
    QCoreApplication::sendEvent(m_pMainWindow, &key);
}

CW_INPUTDEVICEFLAGS frmMainGLWidget::uiMakeInputFlags(Qt::KeyboardModifiers modifiers, bool projectValid) const
{
    CW_INPUTDEVICEFLAGS flags = 0;
    if (modifiers & Qt::ControlModifier)
        flags |= 0x2;
    if (modifiers & Qt::ShiftModifier)
        flags |= 0x4;
    if (modifiers & Qt::AltModifier)
        flags |= 0x8;
    if (m_iMouseButton == Qt::RightButton)
        flags |= 0x80;
    if ((modifiers & Qt::ShiftModifier) && (modifiers & Qt::ControlModifier))
        flags |= 0x2000;
    if (m_iMouseButton == Qt::LeftButton)
        flags |= 0x20;
    if (m_iMouseButton == Qt::MiddleButton)
        flags |= 0x40;
    if (bGetInsertMode())
        flags |= 0x10;
    if (projectValid) {
        CW_AutoLock(&g_mtxEngine, "mouseMoveEvent");
        switch (eGetPointSelectionMode(pViewerProject())) {
        case 0:
            flags |= 0x700;
            break;
        case 1:
            flags |= 0x100;
            break;
        case 2:
            flags |= 0x200;
            break;
        case 3:
            flags |= 0x300;
            break;
        default:
            break;
        }
    }
    if (g_fnViewerUberKey())
        flags |= 0x1800;
    if (bChecked("actTangentsLockedMode"))
        flags |= 0x8000;
    if (bChecked("actAddBezierLayerTool") || bChecked("actAddBezierContourTool"))
        flags |= 0x10000;
    if (m_bPlaying)
        flags |= 0x20000;
    return flags;
}

void frmMainGLWidget::mousePressEvent(QMouseEvent* e)
{
    setFocus(Qt::OtherFocusReason);
    m_iMouseButton = int(e->button());
    CWKControlForm* page = pGetCurrentControlForm();
    const bool pageTransforms = page && page->bWillHandleTransformationTools();

    CW_AutoLock(&g_mtxEngine, "mousePressEvent");
    const CW_Instance project = pViewerProject();
    const bool valid = bIsValidInstance(project);
    CW_INPUTDEVICEFLAGS flags = uiMakeInputFlags(e->modifiers(), valid);
    if (m_iMouseButton == Qt::MiddleButton) {
        vSendPanKey(QEvent::KeyPress);
        m_bPanKeyDown = true;
        flags |= 0x20;
    }
    if (!valid)
        return;

    bool refused = false;
    bCallReported(this, [&]() {
        const CW_TOOL tool = eGetCurrentToolType(project);
        if (m_bBusy && tool != CW_TOOL_PAN && tool != CW_TOOL_ZOOM) {
            refused = true;
            return;
        }
        const bool engineTool = bChecked("actZoomTool") || bChecked("actPanTool")
            || (!pageTransforms
                && (bChecked("actRotateTool") || bChecked("actScaleTool") || bChecked("actTranslateTool")));
        float x = 0.0f;
        float y = 0.0f;
        const QPoint position = e->position().toPoint();
        if (flags & 0xa0) {
            convertDisplayToImageCoordinates(project, position.x(), position.y(), x, y);
            if (engineTool) {
                bool first = false;
                bool second = false;
                bool third = false;
                if (page)
                    page->sltZoomWindowsActive(project, first, second, third);
                const bool show = !bGetHideOverlays(project) && pGetViewOptionsManager()->showZoomWindows;
                bool unused = false;
                vButtonDown(project, flags, unused, nullptr, g_fnViewerAutoKey(), x, y, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0,
                    0u, 0, 0, 0, 0, 0, 1, second && show, third && show);
            }
        }
        if (!engineTool) {
            if (m_bPlaying
                && (bChecked("actAddXSplineLayerTool") || bChecked("actAddXSplineContourTool")
                    || bChecked("actAddBezierLayerTool") || bChecked("actAddBezierContourTool"))) {
                if (QAction* playStop = pAction("actPlayStop"))
                    playStop->trigger();
            }
            if (page) {
                bool redraw = false;
                bool showMenu = false;
                bool items[27] = {};
                page->mousePress(x, y, flags, redraw, showMenu, items);
                if (showMenu) {
                    CW_AutoLock(&g_mtxEngine, "mousePressEvent");
                    std::unique_ptr<QMenu> menu(pCreateSelectionModeMenu(items));
                    QAction* chosen = menu->exec(e->globalPosition().toPoint());
                    if (chosen) {
                        const QStringList& names = stctGetChoiceTables().qslContextMenuActions;
                        bool handled = false;
                        for (int index = 0; index < 27 && index < names.size(); ++index) {
                            if (chosen->text() == names.at(index) && implementMenuAction(project, index))
                                handled = true;
                        }
                        if (!handled)
                            chosen->trigger();
                        emit layerTableRefreshRequested(project);
                        vUpdateMainWindowGUI();
                    }
                    m_iMouseButton = 0;
                }
            }
        }
    });
    if (refused)
        return;
    m_iLastMouseX = e->position().toPoint().x();
    m_iLastMouseY = e->position().toPoint().y();
    updateGL();
}

void frmMainGLWidget::mouseMoveEvent(QMouseEvent* e)
{
    CW_AutoLock(&g_mtxEngine, "mouseMoveEvent");
    const CW_Instance project = pViewerProject();
    if (!bIsValidInstance(project))
        return;
    bCallReported(this, [&]() {
        const CW_TOOL tool = eGetCurrentToolType(project);
        if (m_bBusy && tool != CW_TOOL_PAN && tool != CW_TOOL_ZOOM)
            return;
        CW_INPUTDEVICEFLAGS flags = uiMakeInputFlags(e->modifiers(), true);
        if (flags & 0x40)
            flags |= 0x20;
        const QPoint position = e->position().toPoint();
        float x = 0.0f;
        float y = 0.0f;
        convertDisplayToImageCoordinates(project, position.x(), position.y(), x, y);
        bool redraw = false;
        CW_CURSOR cursor = 0;
        if (CWKControlForm* page = pGetCurrentControlForm())
            page->mouseMove(x, y, flags, redraw, cursor);
        vSetCursorFor(cursor);
        m_iLastMouseX = position.x();
        m_iLastMouseY = position.y();
        CW_AutoLock(&g_mtxEngine, "mouseMoveEvent");
        if (redraw || bGetSelectionsChanged(project) || bChecked("actZoomTool") || bChecked("actPanTool"))
            updateGL();
    });
}

void frmMainGLWidget::mouseReleaseEvent(QMouseEvent* e)
{
    m_iMouseButton = int(e->button());
    // The main window's temporary pan ends with the button, project or not.
    if (m_iMouseButton == Qt::MiddleButton && m_bPanKeyDown) {
        m_bPanKeyDown = false;
        vSendPanKey(QEvent::KeyRelease);
    }
    CW_AutoLock(&g_mtxEngine, "mouseReleaseEvent");
    const CW_Instance project = pViewerProject();
    if (!bIsValidInstance(project)) {
        m_iMouseButton = 0;
        return;
    }
    bool refused = false;
    bCallReported(this, [&]() {
        const CW_TOOL tool = eGetCurrentToolType(project);
        if (m_bBusy && tool != CW_TOOL_PAN && tool != CW_TOOL_ZOOM) {
            refused = true;
            return;
        }
        CW_INPUTDEVICEFLAGS flags = uiMakeInputFlags(e->modifiers(), true);
        if (flags & 0x40)
            flags |= 0x20;
        const int button = m_iMouseButton;
        m_iMouseButton = 0;
        if (button == Qt::LeftButton || button == Qt::RightButton) {
            const QPoint position = e->position().toPoint();
            float x = 0.0f;
            float y = 0.0f;
            convertDisplayToImageCoordinates(project, position.x(), position.y(), x, y);
            bool redraw = false;
            if (CWKControlForm* page = pGetCurrentControlForm())
                page->mouseRelease(x, y, flags, redraw);
            CW_AutoLock(&g_mtxEngine, "mouseReleaseEvent");
            const char* toolAction = pcViewerToolAction(eGetCurrentToolType(project), bGetInsertMode());
            QAction* action = toolAction ? pAction(toolAction) : nullptr;
            if (action && !action->isChecked())
                action->setChecked(true);
        }
    });
    m_iMouseButton = 0;
    if (refused)
        return;
    vUpdateMainWindowGUI();
    updateGL();
    m_iLastMouseX = e->position().toPoint().x();
    m_iLastMouseY = e->position().toPoint().y();
}

void frmMainGLWidget::wheelEvent(QWheelEvent* e)
{
    e->accept();
    const int delta = e->angleDelta().y();
    if (delta == 0)
        return;
    QObject* window = m_pMainWindow ? static_cast<QObject*>(m_pMainWindow) : static_cast<QObject*>(g_pMainWindow);
    if (!window)
        return;
    const bool next = (delta < 0) != s_bInvertScrollWheel;
    QCoreApplication::postEvent(window, new CWKCustomEvent(next ? 2001 : 2002, 0));
}

void frmMainGLWidget::keyPressEvent(QKeyEvent* e)
{
    e->ignore();
    CW_AutoLock(&g_mtxEngine, "keyPressEvent");
    if (!bIsValidInstance(pViewerProject()) || e->isAutoRepeat())
        return;
    if (CWKControlForm* page = pGetCurrentControlForm())
        QCoreApplication::sendEvent(page, e);
}

void frmMainGLWidget::leaveEvent(QEvent* e)
{
    m_iLastMouseX = 2147483647;
    m_iLastMouseY = 2147483647;
    QWidget::leaveEvent(e);
}

void frmMainGLWidget::tabletEvent(QTabletEvent* e)
{
    e->ignore();
}

void frmMainGLWidget::vSetCursorById(int id)
{
    CW_CURSOR cursor = id;
    vSetCursorFor(cursor);
}

void frmMainGLWidget::vSetCursorFor(CW_CURSOR& id)
{
    const bool uberKey = g_fnViewerUberKey();
    const bool dragging = m_iMouseButton == Qt::LeftButton || m_iMouseButton == Qt::RightButton;
    int index = kCurArrow;
    if (bChecked("actZoomTool")) {
        index = kCurZoom;
    } else if (bChecked("actPanTool")) {
        index = kCurHand;
    } else if (bChecked("actRotateTool")) {
        index = kCurRotate;
    } else if (bChecked("actScaleTool")) {
        index = kCurScale;
    } else if (bChecked("actTranslateTool")) {
        index = kCurTranslate;
    } else if (bChecked("actPointerTool") || bChecked("actInsertMode")) {
        const bool ownCursor = id >= 2 && id <= 18 && id != 6 && !(id >= 10 && id <= 14);
        // A drag keeps the cursor it started with.
        if (dragging && (id == 7 || id == 8 || id == 15 || !ownCursor))
            id = m_eCursorId;
        switch (id) {
        case 2:
            index = kCurHand;
            break;
        case 3:
            index = kCurRotate;
            break;
        case 4:
            index = kCurScale;
            break;
        case 5:
            index = kCurTranslate;
            break;
        case 7:
            index = uberKey ? kCurInsertPointLinkAll : kCurInsertPoint;
            break;
        case 8:
            index = uberKey ? kCurMovePointLinkAll : kCurMovePoint;
            break;
        case 9:
            index = kCurSelectContour;
            break;
        case 15:
            index = uberKey ? kCurMoveTextLinkAll : kCurMoveText;
            break;
        case 16:
            index = kCurSample;
            break;
        case 17:
            index = kCurCross;
            break;
        case 18:
            index = kCurBreakTangent;
            break;
        default:
            index = kCurArrow;
        }
    } else if (bChecked("actAddXSplineLayerTool") || bChecked("actAddBezierLayerTool")) {
        switch (id) {
        case 6:
            index = kCurAddPointSelection;
            break;
        case 7:
            index = uberKey ? kCurInsertPointLinkAll : kCurInsertPoint;
            break;
        case 8:
            index = kCurMovePoint;
            break;
        case 10:
            index = kCurCloseSelection;
            break;
        case 11:
            index = kCurFinishOpenSelection;
            break;
        case 13:
            index = kCurFinishConstraint;
            break;
        case 16:
            index = kCurSample;
            break;
        case 17:
            index = kCurCross;
            break;
        case 18:
            index = kCurBreakTangent;
            break;
        default:
            index = kCurArrow;
        }
    } else if (bChecked("actAddXSplineContourTool") || bChecked("actAddBezierContourTool")) {
        switch (id) {
        case 6:
            index = kCurAddPointContour;
            break;
        case 8:
            index = kCurMovePoint;
            break;
        case 10:
            index = kCurCloseContour;
            break;
        case 11:
            index = kCurFinishOpenContour;
            break;
        case 16:
            index = kCurSample;
            break;
        case 17:
            index = kCurCross;
            break;
        case 18:
            index = kCurBreakTangent;
            break;
        default:
            index = kCurArrow;
        }
    } else if (bChecked("actSoftConstraintTool")) {
        switch (id) {
        case 12:
            index = kCurStartConstraint;
            break;
        case 13:
            index = kCurFinishConstraint;
            break;
        case 14:
            index = kCurMakingConstraint;
            break;
        case 16:
            index = kCurSample;
            break;
        case 17:
            index = kCurCross;
            break;
        default:
            index = kCurArrow;
        }
    }
    if (id != m_eCursorId) {
        setCursor(m_vecCursors.at(size_t(index)));
        m_eCursorId = id;
    }
}
