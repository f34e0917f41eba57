#include "CWKLineEdit.h"

#include "app/ChoiceTables.h"

CWKLineEdit::CWKLineEdit(QWidget* parent)
    : Murn::CWKParameterWidget<QLineEdit>(parent, true)
{
    vSetHooks(&stctGetParameterWidgetHooks());
}

CWKLineEdit::~CWKLineEdit() = default;
