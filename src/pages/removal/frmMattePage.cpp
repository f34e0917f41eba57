#include "frmMattePage.h"

#include <QKeyEvent>

frmMattePage::frmMattePage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmMattePage::eGetModule() const
{
    return CW_MODULE_MATTE;
}

bool frmMattePage::bSupportsLayerDisplay()
{
    return true;
}

void frmMattePage::vInitialize()
{
}

void frmMattePage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmMattePage::sltRestoreParameters(CW_Instance)
{
}

void frmMattePage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmMattePage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmMattePage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmMattePage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmMattePage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
