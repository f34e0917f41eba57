#include "frmStabilizePage.h"

#include <QKeyEvent>

frmStabilizePage::frmStabilizePage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmStabilizePage::eGetModule() const
{
    return CW_MODULE_STABILIZE;
}

bool frmStabilizePage::bSupportsLayerDisplay()
{
    return true;
}

void frmStabilizePage::vInitialize()
{
}

void frmStabilizePage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmStabilizePage::sltRestoreParameters(CW_Instance)
{
}

void frmStabilizePage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmStabilizePage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmStabilizePage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmStabilizePage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmStabilizePage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
