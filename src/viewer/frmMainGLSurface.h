// The native OpenGL window inside the viewer. Its frames reach the screen with a buffer swap
// of their own: a frame change costs the viewer's area, not a composition of the whole main
// window (textures of widgets drawn into the window's buffer) as a widget that renders to a
// texture would. Mouse and wheel input is handed to the viewer widget, which handles it.
#pragma once

#include <QImage>
#include <QPointer>
#include <QSurfaceFormat>
#include <QWindow>
#include <functional>
#include <memory>

class QOpenGLContext;

class frmMainGLSurface : public QWindow {
public:
    frmMainGLSurface(QWidget* inputTarget, const QSurfaceFormat& format);
    ~frmMainGLSurface() override;

    // Makes the context current on the window, creating the context first; false while the
    // window has no native window yet or no context can be made. created tells whether the
    // context was made by this call.
    bool bMakeCurrent(bool* created = nullptr);
    void vDoneCurrent();
    void vSwapBuffers();
    bool bHasContext() const { return m_pContext != nullptr; }
    // Runs the drawing into a buffer of its own of that size and returns what it drew; the
    // window is left as it was. The context must be current.
    QImage imgDrawOffscreen(const QSize& size, const std::function<void()>& draw);

    // Called when the window has become visible on screen.
    std::function<void()> fnExposed;

protected:
    void exposeEvent(QExposeEvent* e) override;
    bool event(QEvent* e) override;

private:
    class FocusRelay;
    QPointer<QWidget> m_pInputTarget;
    std::unique_ptr<QOpenGLContext> m_pContext;
    std::unique_ptr<FocusRelay> m_pFocusRelay;
};
