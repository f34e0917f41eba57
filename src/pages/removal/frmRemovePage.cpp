#include "frmRemovePage.h"

#include <QKeyEvent>

frmRemovePage::frmRemovePage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmRemovePage::eGetModule() const
{
    return CW_MODULE_REMOVE;
}

bool frmRemovePage::bSupportsLayerDisplay()
{
    return true;
}

void frmRemovePage::vInitialize()
{
}

void frmRemovePage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmRemovePage::sltRestoreParameters(CW_Instance)
{
}

void frmRemovePage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmRemovePage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmRemovePage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmRemovePage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmRemovePage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
