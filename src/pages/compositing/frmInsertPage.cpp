#include "frmInsertPage.h"

#include <QKeyEvent>

frmInsertPage::frmInsertPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmInsertPage::eGetModule() const
{
    return CW_MODULE_INSERT;
}

bool frmInsertPage::bSupportsLayerDisplay()
{
    return true;
}

void frmInsertPage::vInitialize()
{
}

void frmInsertPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmInsertPage::sltRestoreParameters(CW_Instance)
{
}

void frmInsertPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmInsertPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmInsertPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmInsertPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmInsertPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
