#include "frmConcealPage.h"

#include <QKeyEvent>

frmConcealPage::frmConcealPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmConcealPage::eGetModule() const
{
    return CW_MODULE_CONCEAL;
}

bool frmConcealPage::bSupportsLayerDisplay()
{
    return true;
}

void frmConcealPage::vInitialize()
{
}

void frmConcealPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmConcealPage::sltRestoreParameters(CW_Instance)
{
}

void frmConcealPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmConcealPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmConcealPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmConcealPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmConcealPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
