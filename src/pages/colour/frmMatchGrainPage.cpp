#include "frmMatchGrainPage.h"

#include <QKeyEvent>

frmMatchGrainPage::frmMatchGrainPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmMatchGrainPage::eGetModule() const
{
    return CW_MODULE_MATCHGRAIN;
}

void frmMatchGrainPage::vInitialize()
{
}

void frmMatchGrainPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmMatchGrainPage::sltRestoreParameters(CW_Instance)
{
}

void frmMatchGrainPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmMatchGrainPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmMatchGrainPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmMatchGrainPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmMatchGrainPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
