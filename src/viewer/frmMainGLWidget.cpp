// GLEW has to come before any Qt OpenGL header; this file is therefore built outside the
// precompiled Qt header and the unity batches.
#include <GL/glew.h>

#include "frmMainGLWidget.h"

#include <QMouseEvent>
#include <QSurfaceFormat>

namespace {
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
    return format;
}

int iViewerButtonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}
} // namespace

frmMainGLWidget::frmMainGLWidget(QWidget* parent, frmMain* mainWindow)
    : QOpenGLWidget(parent), m_pMainWindow(mainWindow)
{
    setFormat(stctViewerFormat());
    setFocusPolicy(Qt::StrongFocus);
}

void frmMainGLWidget::glDraw()
{
    repaint();
}

void frmMainGLWidget::updateGL()
{
    update();
}

void frmMainGLWidget::sltUpdateGL()
{
    update();
}

void frmMainGLWidget::initializeGL()
{
    glewExperimental = GL_TRUE;
    m_bGlewReady = glewInit() == GLEW_OK;
}

void frmMainGLWidget::paintGL()
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void frmMainGLWidget::mousePressEvent(QMouseEvent* e)
{
    m_iHeldMouseButton = iViewerButtonCode(e->button());
    QOpenGLWidget::mousePressEvent(e);
}

void frmMainGLWidget::mouseReleaseEvent(QMouseEvent* e)
{
    m_iHeldMouseButton = 0;
    QOpenGLWidget::mouseReleaseEvent(e);
}
