#include "frmLensPage.h"

#include <QKeyEvent>

frmLensPage::frmLensPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmLensPage::eGetModule() const
{
    return CW_MODULE_LENS;
}

void frmLensPage::vInitialize()
{
}

void frmLensPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmLensPage::sltRestoreParameters(CW_Instance)
{
}

void frmLensPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmLensPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmLensPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmLensPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmLensPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
