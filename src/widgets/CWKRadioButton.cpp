#include "CWKRadioButton.h"

#include "app/ChoiceTables.h"

CWKRadioButton::CWKRadioButton(QWidget* parent)
    : Murn::CWKParameterWidget<QRadioButton>(parent, true)
{
    vSetHooks(&stctGetParameterWidgetHooks());
}

CWKRadioButton::~CWKRadioButton() = default;
