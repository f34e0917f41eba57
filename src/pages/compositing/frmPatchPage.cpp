#include "frmPatchPage.h"

#include <QKeyEvent>

frmPatchPage::frmPatchPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmPatchPage::eGetModule() const
{
    return CW_MODULE_PATCH;
}

void frmPatchPage::vInitialize()
{
}

void frmPatchPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmPatchPage::sltRestoreParameters(CW_Instance)
{
}

void frmPatchPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmPatchPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmPatchPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmPatchPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmPatchPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
