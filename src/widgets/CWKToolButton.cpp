#include "CWKToolButton.h"

#include "Murn.h"
#include "app/ChoiceTables.h"

CWKToolButton::CWKToolButton(QWidget* parent)
    : Murn::CWKParameterWidget<QToolButton>(parent, false)
{
    vSetHooks(&stctGetParameterWidgetHooks());
}

CWKToolButton::~CWKToolButton() = default;

void CWKToolButton::handleNotification(Vosk::Change& change)
{
    Murn::CWKParameterWidgetCommon::handleNotification(change);
    CWKParameterWidgetHooks* hooks = pGetHooks();
    if (!hooks || !hooks->pfnCurrentFrame)
        return;
    Murn::ParameterWithoutType* parameter = pGetParameter();
    if (!parameter || parameter->eGetValueType() != Murn::ValueType::UnsignedChar)
        return;
    const auto* bytes = static_cast<Murn::NumericParameter<unsigned char>*>(parameter);
    setChecked(bytes->valueAt(float(hooks->pfnCurrentFrame())) == 1);
}
