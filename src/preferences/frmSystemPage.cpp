#include "frmSystemPage.h"

#include <QKeyEvent>

frmSystemPage::frmSystemPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmSystemPage::eGetModule() const
{
    return CW_MODULE_SYSTEM;
}

void frmSystemPage::vInitialize()
{
}

void frmSystemPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmSystemPage::sltRestoreParameters(CW_Instance)
{
}

void frmSystemPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmSystemPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmSystemPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmSystemPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmSystemPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
