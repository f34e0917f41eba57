#include "frmWarperPage.h"

#include <QKeyEvent>

frmWarperPage::frmWarperPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmWarperPage::eGetModule() const
{
    return CW_MODULE_WARPER;
}

bool frmWarperPage::bSupportsLayerDisplay()
{
    return true;
}

void frmWarperPage::vInitialize()
{
}

void frmWarperPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmWarperPage::sltRestoreParameters(CW_Instance)
{
}

void frmWarperPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmWarperPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmWarperPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmWarperPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmWarperPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
