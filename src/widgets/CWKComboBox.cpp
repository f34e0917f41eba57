#include "CWKComboBox.h"

#include "app/ChoiceTables.h"

CWKComboBox::CWKComboBox(QWidget* parent)
    : Murn::CWKParameterWidget<QComboBox>(parent, false)
{
    vSetHooks(&stctGetParameterWidgetHooks());
}

CWKComboBox::~CWKComboBox() = default;
