#include "frmMainGLSurface.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QWidget>

frmMainGLSurface::frmMainGLSurface(QWidget* inputTarget, const QSurfaceFormat& format)
    : m_pInputTarget(inputTarget)
{
    setSurfaceType(QSurface::OpenGLSurface);
    setFormat(format);
    // The keyboard stays with the viewer widget in the main window's focus chain.
    setFlag(Qt::WindowDoesNotAcceptFocus, true);
}

frmMainGLSurface::~frmMainGLSurface() = default;

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
