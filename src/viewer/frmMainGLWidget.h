// The OpenGL viewer in the main window's render area: the engine draws the current frame
// into it, the current page its overlays; mouse, wheel and keys go to the page.
#pragma once

#include "cwbase.h"
#include "velmor/viewer.h"

#include <QCursor>
#include <QEvent>
#include <QImage>
#include <QMutex>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <vector>

class frmMain;
class frmMainGLSurface;
class QAction;
class QOpenGLContext;
class QTimer;
struct Tam_Image;

// The widget holds a native OpenGL window that covers it (see frmMainGLSurface): the engine
// draws into that window's context, and its frames go to the screen by themselves.
class frmMainGLWidget : public QWidget {
    Q_OBJECT
public:
    frmMainGLWidget(QWidget* parent, frmMain* mainWindow);
    ~frmMainGLWidget() override;

    // The OpenGL context, made once the window is on screen; current between makeCurrent
    // and doneCurrent.
    bool isValid() const;
    void makeCurrent();
    void doneCurrent();
    // What a repaint draws now, read back (the screen is left alone); null without a context.
    QImage grabFramebuffer();
    // Frames that reached the screen.
    unsigned int uiGetSwapCount() const { return m_uiSwaps; }

    // The mouse button of the press in progress: 1 left, 2 right, 4 middle, 0 none.
    int iGetHeldMouseButton() const { return m_iMouseButton; }
    void vSetHeldMouseButton(int button) { m_iMouseButton = button; }

    // Draws now and swaps to the screen, not through the merged repaint.
    void glDraw();
    // While held, neither the window the viewer sits in nor the merged repaint puts anything
    // on screen: a frame change holds it from its start to its end, so that the repaints it
    // lets through reach the screen together with its new frame, in one composition.
    void vHoldComposition(bool hold);
    // Holds nest: the window composes again when the last one ends.
    bool bIsCompositionHeld() const { return m_iCompositionHolds > 0; }

    // Stored in the settings; takes effect at the next repaint.
    void vSetCanvasColour(float r, float g, float b);
    void vSetImageA(void* image) { m_pImageA = image; }
    void* pGetImageA() const { return m_pImageA; }
    // While set, every repaint shows this image instead of the project's frame.
    void vSetImageB(Tam_Image* image) { m_pOverrideImage = image; }
    Tam_Image* pGetImageB() const { return m_pOverrideImage; }
    // The scale the override image is drawn at, centred in the widget.
    void vSetImageBScale(float scale) { m_fOverrideScale = scale > 0.0f ? scale : 1.0f; }
    float fGetImageBScale() const { return m_fOverrideScale; }
    void vSetBusy(bool busy) { m_bBusy = busy; }
    void vSetSuppressFrameRender(bool suppress) { m_bSuppressFrameRender = suppress; }
    void vSetViewerMode(bool mode) { m_bViewerMode = mode; }
    void vSetPreviewMode(bool preview) { m_iPreviewMode = preview ? 1 : 0; }
    void vSetPreviewClip(CW_CLIP_ID clip) { m_ePreviewClip = clip; }
    void vSetPlaying(bool playing) { m_bPlaying = playing; }
    // The slider's thumbnail: a small picture of one frame while a slider mark is dragged.
    void vSetThumbnailShown(bool shown) { m_bThumbnailShown = shown; }
    void vSetThumbnailVisible(bool visible) { m_bThumbnailVisible = visible; }
    void vSetThumbnailFrame(int frame) { m_iThumbnailFrame = frame; }
    bool bIsThumbnailShown() const { return m_bThumbnailShown; }
    bool bIsThumbnailVisible() const { return m_bThumbnailVisible; }
    int iGetThumbnailFrame() const { return m_iThumbnailFrame; }
    // Where the thumbnail is drawn, in widget pixels.
    QRect rectThumbnail() const;
    // The last mouse position over the viewer; x is the largest int when unknown.
    int iGetLastMouseX() const { return m_iLastMouseX; }
    int iGetLastMouseY() const { return m_iLastMouseY; }
    // Drawing in progress (paint or immediate draw): playback skips the tick.
    bool bIsPainting() const { return m_bPainting; }
    bool bIsPlaying() const { return m_bPlaying; }

    // Moves the displayed clip's centre to the widget's centre.
    void vCentreImage(CW_Instance project);
    // Zooms the displayed clip to fit the widget and centres it.
    void vFitToClip(CW_Instance project);
    // Yellow text over the image, centred, one line per '\n', the same size at any zoom.
    void vDrawMessageText(CW_Instance project, const QString& text);

    // Picks the cursor for the page's cursor id and the checked tool; during a drag some
    // ids are replaced by the one applied last (written back).
    void vSetCursorFor(CW_CURSOR& id);
    void vSetCursorById(int id);
    CW_CURSOR eGetCursorId() const { return m_eCursorId; }
    static void vSetInvertScrollWheel(bool invert);
    // Where the viewer reads the keyframe manager's auto-key and uber-key switches.
    static void vSetKeyframeSwitchReaders(std::function<bool()> autoKey, std::function<bool()> uberKey);

signals:
    // A popup-menu item was chosen: the layer table must be brought up to date.
    void layerTableRefreshRequested(CW_Instance project);
    // A frame was drawn and swapped to the screen.
    void frameSwapped();

public slots:
    // Asks for a repaint; requests made while one is queued are merged.
    virtual void updateGL();
    // Repaints now, and once more when a request came while the merged one was queued.
    void sltUpdateGL();

protected:
    virtual void initializeGL();
    virtual void resizeGL(int width, int height);
    virtual void paintGL();
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void tabletEvent(QTabletEvent* e) override;

private:
    CW_INPUTDEVICEFLAGS uiMakeInputFlags(Qt::KeyboardModifiers modifiers, bool projectValid) const;
    QAction* pAction(const char* name) const;
    bool bChecked(const char* name) const;
    bool bGetInsertMode() const;
    void vUpdateMainWindowGUI();
    void vSendPanKey(QEvent::Type type);
    void vPaintFrame(CW_Instance project);
    void vDrawLogo();
    void vReleaseLogo();
    void vLoadCursors();
    void vWatchWindow();
    // Makes the context current, setting it up the first time; false when there is none.
    bool bBeginGL();
    // Draws the frame and swaps it to the screen, with the window's waiting repaints.
    void vDrawNow();
    void vSurfaceExposed();

    frmMain* m_pMainWindow;
    float m_fCanvasRed = 0.2f;
    float m_fCanvasGreen = 0.2f;
    float m_fCanvasBlue = 0.2f;
    std::vector<QCursor> m_vecCursors;
    void* m_pImageA = nullptr;
    Tam_Image* m_pOverrideImage = nullptr;
    float m_fOverrideScale = 1.0f;
    bool m_bBusy = false;
    bool m_bSuppressFrameRender = false;
    bool m_bViewerMode = false;
    int m_iPreviewMode = 0;
    CW_CLIP_ID m_ePreviewClip = 0;
    bool m_bPlaying = false;
    bool m_bThumbnailShown = false;
    bool m_bThumbnailVisible = false;
    int m_iThumbnailFrame = 0;
    int m_iMouseButton = 0;
    CW_CURSOR m_eCursorId = 0;
    int m_iLastMouseX = 2147483647;
    int m_iLastMouseY = 2147483647;
    bool m_bPainting = false;
    Tam_Image* m_pLogoImage = nullptr;

    // Merged repaints.
    QTimer* m_pRepaintTimer = nullptr;
    QMutex m_mtxPendingRepaint;
    bool m_bRepaintPending = false;
    // The size before the last resize; 0 until the first one.
    int m_iPreviousWidth = 0;
    int m_iPreviousHeight = 0;
    bool m_bResizedBefore = false;
    // A middle press sent the main window the temporary-pan key; its release must follow.
    bool m_bPanKeyDown = false;
    bool m_bGlewReady = false;
    frmMainGLSurface* m_pSurface = nullptr;
    QWidget* m_pSurfaceContainer = nullptr;
    bool m_bGLInitialized = false;
    // A merged repaint was asked for and has not been drawn yet.
    bool m_bDrawQueued = false;
    // Inside the window's composition: its waiting repaints are being done already.
    bool m_bInWindowComposition = false;
    unsigned int m_uiSwaps = 0;
    // The window whose compositions the viewer watches, a composition held back, and
    // whether one came while held.
    QPointer<QWidget> m_pComposedWindow;
    int m_iCompositionHolds = 0;
    bool m_bCompositionDeferred = false;

    static bool s_bInvertScrollWheel;
};
