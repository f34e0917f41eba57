#include "CWKGroupBox.h"

#include "app/ChoiceTables.h"

CWKGroupBox::CWKGroupBox(QWidget* parent)
    : Murn::CWKParameterWidget<QGroupBox>(parent, true)
{
    vSetHooks(&stctGetParameterWidgetHooks());
}

CWKGroupBox::~CWKGroupBox() = default;
