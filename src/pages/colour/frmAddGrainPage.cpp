#include "frmAddGrainPage.h"

#include <QKeyEvent>

frmAddGrainPage::frmAddGrainPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmAddGrainPage::eGetModule() const
{
    return CW_MODULE_ADDGRAIN;
}

void frmAddGrainPage::vInitialize()
{
}

void frmAddGrainPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmAddGrainPage::sltRestoreParameters(CW_Instance)
{
}

void frmAddGrainPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmAddGrainPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmAddGrainPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmAddGrainPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmAddGrainPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
