// The OpenGL viewer in the main window's render area.
#pragma once

#include <QOpenGLWidget>

class frmMain;

class frmMainGLWidget : public QOpenGLWidget {
    Q_OBJECT
public:
    frmMainGLWidget(QWidget* parent, frmMain* mainWindow);

    // The mouse button held down while a press is in progress: 1 left, 2 right, 4 middle,
    // 0 none.
    int iGetHeldMouseButton() const { return m_iHeldMouseButton; }
    void vSetHeldMouseButton(int button) { m_iHeldMouseButton = button; }

    // Draws now, not through the merged repaint.
    void glDraw();
    // Asks for a repaint; requests that come before it happens are merged.
    void updateGL();

public slots:
    void sltUpdateGL();

protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    frmMain* m_pMainWindow;
    int m_iHeldMouseButton = 0;
    bool m_bGlewReady = false;
};
