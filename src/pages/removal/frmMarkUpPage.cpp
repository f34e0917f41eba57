#include "frmMarkUpPage.h"

#include <QKeyEvent>

frmMarkUpPage::frmMarkUpPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmMarkUpPage::eGetModule() const
{
    return CW_MODULE_MARKUP;
}

bool frmMarkUpPage::bSupportsLayerDisplay()
{
    return true;
}

void frmMarkUpPage::vInitialize()
{
}

void frmMarkUpPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmMarkUpPage::sltRestoreParameters(CW_Instance)
{
}

void frmMarkUpPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmMarkUpPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmMarkUpPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmMarkUpPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmMarkUpPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
