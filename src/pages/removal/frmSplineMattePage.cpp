#include "frmSplineMattePage.h"

#include <QKeyEvent>

frmSplineMattePage::frmSplineMattePage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmSplineMattePage::eGetModule() const
{
    return CW_MODULE_SPLINEMATTE;
}

bool frmSplineMattePage::bSupportsLayerDisplay()
{
    return true;
}

void frmSplineMattePage::vInitialize()
{
}

void frmSplineMattePage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmSplineMattePage::sltRestoreParameters(CW_Instance)
{
}

void frmSplineMattePage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmSplineMattePage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmSplineMattePage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmSplineMattePage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmSplineMattePage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
