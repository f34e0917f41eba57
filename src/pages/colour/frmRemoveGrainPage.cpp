#include "frmRemoveGrainPage.h"

#include <QKeyEvent>

frmRemoveGrainPage::frmRemoveGrainPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmRemoveGrainPage::eGetModule() const
{
    return CW_MODULE_REMOVEGRAIN;
}

void frmRemoveGrainPage::vInitialize()
{
}

void frmRemoveGrainPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmRemoveGrainPage::sltRestoreParameters(CW_Instance)
{
}

void frmRemoveGrainPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmRemoveGrainPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmRemoveGrainPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmRemoveGrainPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmRemoveGrainPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
