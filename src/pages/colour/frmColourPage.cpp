#include "frmColourPage.h"

#include <QKeyEvent>

frmColourPage::frmColourPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmColourPage::eGetModule() const
{
    return CW_MODULE_COLOUR;
}

void frmColourPage::vInitialize()
{
}

void frmColourPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmColourPage::sltRestoreParameters(CW_Instance)
{
}

void frmColourPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmColourPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmColourPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmColourPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmColourPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
