#include "CWKLineEditDouble.h"

#include "CWKDoubleValidator.h"
#include "Murn.h"
#include "app/ChoiceTables.h"

#include <algorithm>

namespace {
bool s_bDoubleRotaryDrag = true;
bool s_bDoubleInvertWheel = false;
const char* const kszDoubleCursorHolder = "CWKLineEditDouble rotate cursor";
} // namespace

CWKLineEditDouble::CWKLineEditDouble(QWidget* parent)
    : CWKNumericLineEdit(parent)
    , m_pValidator(new CWKDoubleValidator(this))
{
    setValidator(m_pValidator);
    connect(this, &QLineEdit::returnPressed, this, &CWKLineEditDouble::vReturnPressed);
    pLoadRotateCursor(kszDoubleCursorHolder);
    vSetHooks(&stctGetParameterWidgetHooks());
}

CWKLineEditDouble::~CWKLineEditDouble() = default;

void CWKLineEditDouble::vSetRotaryDrag(bool rotary)
{
    s_bDoubleRotaryDrag = rotary;
}

bool CWKLineEditDouble::bGetRotaryDrag()
{
    return s_bDoubleRotaryDrag;
}

void CWKLineEditDouble::vSetInvertScrollWheel(bool invert)
{
    s_bDoubleInvertWheel = invert;
}

bool CWKLineEditDouble::bGetInvertScrollWheel()
{
    return s_bDoubleInvertWheel;
}

QSize CWKLineEditDouble::sizeHint() const
{
    const QSize minimum = minimumSizeHint();
    return QSize(int(minimum.width() * 2.5), minimum.height());
}

void CWKLineEditDouble::handleNotification(Vosk::Change& change)
{
    Murn::CWKParameterWidgetCommon::handleNotification(change);
    CWKParameterWidgetHooks* hooks = pGetHooks();
    Murn::ParameterWithoutType* parameter = pGetParameter();
    if (!hooks || !hooks->pfnCurrentFrame || !parameter)
        return;
    const Murn::ValueType type = parameter->eGetValueType();
    if (type != Murn::ValueType::Float && type != Murn::ValueType::Double)
        return;
    const double value
        = static_cast<Murn::NumericParameterWithoutType*>(parameter)->dGetValueAt(float(hooks->pfnCurrentFrame()));
    setText(QString::number(value, 'g', 6));
}

void CWKLineEditDouble::vSetRange(double bottom, double top, int decimals)
{
    m_pValidator->setRange(bottom, top, decimals);
    m_pValidator->vSetDecimals(decimals);
    update();
}

void CWKLineEditDouble::vReturnPressed()
{
    QString current = text();
    vCommit(current);
}

void CWKLineEditDouble::vValidateText(QString& text)
{
    vCommit(text);
}

double CWKLineEditDouble::dBottom() const
{
    return m_pValidator->bottom();
}

double CWKLineEditDouble::dTop() const
{
    return m_pValidator->top();
}

bool CWKLineEditDouble::bRotaryDrag() const
{
    return s_bDoubleRotaryDrag;
}

bool CWKLineEditDouble::bInvertWheel() const
{
    return s_bDoubleInvertWheel;
}

const QCursor* CWKLineEditDouble::pRotateCursor() const
{
    return pLoadRotateCursor(kszDoubleCursorHolder);
}

QString CWKLineEditDouble::qstrTextAtPosition(double position) const
{
    const double value = std::clamp(dBottom() + (dTop() - dBottom()) * position, dBottom(), dTop());
    QString text = QString::number(value, 'g', 6);
    m_pValidator->fixup(text);
    return text;
}

QString CWKLineEditDouble::qstrTextAfterWheelStep(int direction) const
{
    const double range = dTop() - dBottom();
    const double step = range <= 1.0 ? 0.01 : (range <= 10.0 ? 0.1 : 1.0);
    const double value = std::clamp(text().toDouble() + direction * step, dBottom(), std::max(dBottom(), dTop()));
    return QString::number(value, 'g', 6);
}

void CWKLineEditDouble::vFixup(QString& text) const
{
    m_pValidator->fixup(text);
}
