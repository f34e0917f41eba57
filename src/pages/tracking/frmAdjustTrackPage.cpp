#include "frmAdjustTrackPage.h"

#include <QKeyEvent>

frmAdjustTrackPage::frmAdjustTrackPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmAdjustTrackPage::eGetModule() const
{
    return CW_MODULE_ADJUSTTRACK;
}

bool frmAdjustTrackPage::bSupportsLayerDisplay()
{
    return true;
}

void frmAdjustTrackPage::vInitialize()
{
}

void frmAdjustTrackPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmAdjustTrackPage::sltRestoreParameters(CW_Instance)
{
}

void frmAdjustTrackPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmAdjustTrackPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmAdjustTrackPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmAdjustTrackPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmAdjustTrackPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
