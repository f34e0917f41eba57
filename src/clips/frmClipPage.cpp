#include "frmClipPage.h"

#include <QKeyEvent>

frmClipPage::frmClipPage(QWidget* parent, Qt::WindowFlags flags)
    : CWKControlForm(parent, flags)
{
    ui.setupUi(this);
    vInitialize();
}

CW_MODULE frmClipPage::eGetModule() const
{
    return CW_MODULE_CLIP;
}

void frmClipPage::vConnectViewerPreferences(const std::shared_ptr<frmViewerPreferences>& dialog)
{
    m_pViewerPreferences = dialog;
}

void frmClipPage::vInitialize()
{
}

void frmClipPage::sltSetWidgetsState(CWKGUI_STATE)
{
}

void frmClipPage::sltRestoreParameters(CW_Instance)
{
}

void frmClipPage::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void frmClipPage::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void frmClipPage::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void frmClipPage::keyPressEvent(QKeyEvent* e)
{
    // Keys the page does not use go to the main window, not to the dialog's Escape handling.
    e->ignore();
}

void frmClipPage::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}
