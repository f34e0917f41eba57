#include "frmTrackPage.h"

#include <QKeyEvent>

frmTrackPage::frmTrackPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmTrackPage::eGetModule() const
{
    return CW_MODULE_TRACK;
}

bool frmTrackPage::bSupportsLayerDisplay()
{
    return true;
}

void frmTrackPage::vInitialize()
{
}

void frmTrackPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmTrackPage::sltRestoreParameters(CW_Instance)
{
}

void frmTrackPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmTrackPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmTrackPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmTrackPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmTrackPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
