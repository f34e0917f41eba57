#include "frmClosedCaptionPage.h"

#include <QKeyEvent>

frmClosedCaptionPage::frmClosedCaptionPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmClosedCaptionPage::eGetModule() const
{
    return CW_MODULE_CLOSEDCAPTION;
}

bool frmClosedCaptionPage::bSupportsLayerDisplay()
{
    return true;
}

void frmClosedCaptionPage::vInitialize()
{
}

void frmClosedCaptionPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmClosedCaptionPage::sltRestoreParameters(CW_Instance)
{
}

void frmClosedCaptionPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmClosedCaptionPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmClosedCaptionPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmClosedCaptionPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmClosedCaptionPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
