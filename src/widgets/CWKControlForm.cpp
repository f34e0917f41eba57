#include "CWKControlForm.h"

#include <QKeyEvent>

CWKControlForm::CWKControlForm(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
}

void CWKControlForm::mousePress(float, float, CW_INPUTDEVICEFLAGS, bool&, bool&, bool*)
{
}

void CWKControlForm::mouseMove(float, float, CW_INPUTDEVICEFLAGS, bool&, CW_CURSOR&)
{
}

void CWKControlForm::mouseRelease(float, float, CW_INPUTDEVICEFLAGS, bool&)
{
}

void CWKControlForm::sltRenderOverlay(bool)
{
}

void CWKControlForm::sltZoomWindowsActive(CW_Instance, bool&, bool&, bool&)
{
}

void CWKControlForm::keyPressEvent(QKeyEvent* e)
{
    e->ignore();
}
