#include "frmMainGLSurface.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

namespace {

QWindow* pTopLevel(QWindow* window)
{
    while (window->parent())
        window = window->parent();
    return window;
}

// The modal window that blocks the top-level window, if one does.
QWindow* pBlockingModal(QWindow* top)
{
    QWindow* modal = QGuiApplication::modalWindow();
    if (!modal || modal == top || !modal->isVisible())
        return nullptr;
    if (modal->modality() == Qt::ApplicationModal)
        return modal;
    for (QWindow* parent = modal->transientParent(); parent; parent = parent->transientParent()) {
        if (pTopLevel(parent) == top)
            return modal;
    }
    return nullptr;
}

void vGiveFocus(QWindow* window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !window || !window->isVisible())
        return;
    xcb_set_input_focus(x11->connection(), XCB_INPUT_FOCUS_PARENT, xcb_window_t(window->winId()), XCB_CURRENT_TIME);
    xcb_flush(x11->connection());
}

} // namespace

// The X server lets any mapped window hold the input focus, a child window too, whatever the
// toolkit's flags say: a tool that focuses "a window of this program" or a focus-follows-mouse
// setting can put it on the surface. The toolkit then takes the surface for its focus window
// (and clears the main window's focus widget), and while a modal box is up each key goes to
// the blocked surface and is dropped: the toolkit does hand the focus on to the box, but with
// the time of the last event it saw, older than that focus change, so the server ignores it.
// The focus goes on at once, with the server's current time, to the window that takes keys:
// the modal box when one blocks the main window, else the main window. The main window
// itself, focused under a modal box, hands the focus on the same way.
class frmMainGLSurface::FocusRelay : public QAbstractNativeEventFilter {
public:
    explicit FocusRelay(frmMainGLSurface* surface)
        : m_pSurface(surface)
    {
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override
    {
        if (type != "xcb_generic_event_t" || !m_pSurface->handle())
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        const uint8_t kind = event->response_type & 0x7f;
        if (kind != XCB_FOCUS_IN && kind != XCB_FOCUS_OUT)
            return false;
        // Focus-in and focus-out events share one layout.
        const auto* focus = reinterpret_cast<const xcb_focus_in_event_t*>(event);
        QWindow* top = pTopLevel(m_pSurface);
        if (focus->event == xcb_window_t(m_pSurface->winId())) {
            // The surface never is the toolkit's focus window, so it hears of neither.
            if (kind == XCB_FOCUS_IN && focus->detail != XCB_NOTIFY_DETAIL_POINTER) {
                QWindow* modal = pBlockingModal(top);
                vGiveFocus(modal ? modal : top);
            }
            return true;
        }
        if (kind == XCB_FOCUS_IN && top != m_pSurface && top->handle() && focus->event == xcb_window_t(top->winId())
            && focus->detail != XCB_NOTIFY_DETAIL_POINTER && focus->detail != XCB_NOTIFY_DETAIL_INFERIOR) {
            if (QWindow* modal = pBlockingModal(top))
                vGiveFocus(modal);
        }
        return false;
    }

private:
    frmMainGLSurface* m_pSurface;
};

frmMainGLSurface::frmMainGLSurface(QWidget* inputTarget, const QSurfaceFormat& format)
    : m_pInputTarget(inputTarget)
    , m_pFocusRelay(std::make_unique<FocusRelay>(this))
{
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(format);
    // The keyboard stays with the viewer widget in the main window's focus chain.
    setFlag(Qt::WindowDoesNotAcceptFocus, true);
    QCoreApplication::instance()->installNativeEventFilter(m_pFocusRelay.get());
}

frmMainGLSurface::~frmMainGLSurface()
{
    QCoreApplication::instance()->removeNativeEventFilter(m_pFocusRelay.get());
}

bool frmMainGLSurface::bMakeCurrent(bool* created)
{
    if (created)
        *created = false;
    if (!handle())
        return false;
    if (!m_pContext) {
        auto context = std::make_unique<QOpenGLContext>();
        context->setFormat(requestedFormat());
        if (!context->create()) {
            qWarning("The viewer's OpenGL context cannot be created.");
            return false;
        }
        m_pContext = std::move(context);
        if (created)
            *created = true;
    }
    return m_pContext->makeCurrent(this);
}

void frmMainGLSurface::vDoneCurrent()
{
    if (m_pContext)
        m_pContext->doneCurrent();
}

void frmMainGLSurface::vSwapBuffers()
{
    if (m_pContext && isExposed())
        m_pContext->swapBuffers(this);
}

QImage frmMainGLSurface::imgDrawOffscreen(const QSize& size, const std::function<void()>& draw)
{
    if (!m_pContext || QOpenGLContext::currentContext() != m_pContext.get() || size.isEmpty())
        return QImage();
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::CombinedDepthStencil);
    QOpenGLFramebufferObject buffer(size, format);
    if (!buffer.isValid() || !buffer.bind())
        return QImage();
    m_pContext->functions()->glViewport(0, 0, size.width(), size.height());
    draw();
    QImage image = buffer.toImage();
    buffer.release();
    return image;
}

void frmMainGLSurface::exposeEvent(QExposeEvent* e)
{
    QWindow::exposeEvent(e);
    if (isExposed() && fnExposed)
        fnExposed();
}

bool frmMainGLSurface::event(QEvent* e)
{
    QWidget* target = m_pInputTarget;
    switch (e->type()) {
    case QEvent::MouseMove:
        // A widget hears a move without a button only while it tracks the mouse.
        if (static_cast<QMouseEvent*>(e)->buttons() == Qt::NoButton && target && !target->hasMouseTracking())
            return true;
        Q_FALLTHROUGH();
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Leave:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // The window covers the widget exactly: positions mean the same to both.
        if (target)
            QCoreApplication::sendEvent(target, e);
        return true;
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        e->ignore();
        return true;
    default:
        return QWindow::event(e);
    }
}
