#include "CWKCheckBox.h"

#include "app/ChoiceTables.h"

CWKCheckBox::CWKCheckBox(QWidget* parent)
    : Murn::CWKParameterWidget<QCheckBox>(parent, true)
{
    vSetHooks(&stctGetParameterWidgetHooks());
}

CWKCheckBox::~CWKCheckBox() = default;
