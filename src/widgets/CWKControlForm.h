// The base of every module page and of the curve-editor page.
#pragma once

#include "cwbase.h"
#include "velmor/viewer.h"

#include <QDialog>

class CWKControlForm : public QDialog {
    Q_OBJECT
public:
    explicit CWKControlForm(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // The engine module the page works in; the engine's action checks are asked for it.
    virtual CW_MODULE eGetModule() const = 0;
    // What the viewer asks of the current page.
    virtual bool bWillHandleTransformationTools() { return false; }
    virtual bool bUseRenderCurrentFrame() { return true; }

protected:
    // Keys the viewer hands on. A page lives in the main window: Escape and Return must
    // not close it as they would a dialog.
    void keyPressEvent(QKeyEvent* e) override;

public slots:
    // Viewer input in image coordinates. menuItems points to the 27 popup-menu flags.
    virtual void mousePress(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, bool& showMenu,
                            bool* menuItems);
    virtual void mouseMove(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw, CW_CURSOR& cursor);
    virtual void mouseRelease(float x, float y, CW_INPUTDEVICEFLAGS flags, bool& redraw);
    // Draws the page's overlays into the viewer's current OpenGL context.
    virtual void sltRenderOverlay(bool interactive);
    virtual void sltZoomWindowsActive(CW_Instance project, bool& first, bool& second, bool& third);
    // While the project closes: lets go of the engine parameters the page's widgets are
    // bound to. Nothing by default.
    virtual void vReleaseProject() {}
};
