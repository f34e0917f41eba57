#include "CWKLineEditInt.h"

#include "CWKIntValidator.h"
#include "Murn.h"
#include "app/ChoiceTables.h"

#include <algorithm>
#include <cmath>

namespace {
bool s_bIntRotaryDrag = true;
bool s_bIntInvertWheel = false;
const char* const kszIntCursorHolder = "CWKLineEditInt rotate cursor";
} // namespace

CWKLineEditInt::CWKLineEditInt(QWidget* parent)
    : CWKNumericLineEdit(parent)
    , m_pValidator(new CWKIntValidator(this))
{
    setValidator(m_pValidator);
    connect(this, &QLineEdit::returnPressed, this, &CWKLineEditInt::vReturnPressed);
    pLoadRotateCursor(kszIntCursorHolder);
    vSetHooks(&stctGetParameterWidgetHooks());
}

CWKLineEditInt::~CWKLineEditInt() = default;

void CWKLineEditInt::vSetRotaryDrag(bool rotary)
{
    s_bIntRotaryDrag = rotary;
}

bool CWKLineEditInt::bGetRotaryDrag()
{
    return s_bIntRotaryDrag;
}

void CWKLineEditInt::vSetInvertScrollWheel(bool invert)
{
    s_bIntInvertWheel = invert;
}

bool CWKLineEditInt::bGetInvertScrollWheel()
{
    return s_bIntInvertWheel;
}

QSize CWKLineEditInt::sizeHint() const
{
    const QSize minimum = minimumSizeHint();
    return QSize(minimum.width() * 3, minimum.height());
}

void CWKLineEditInt::handleNotification(Vosk::Change& change)
{
    Murn::CWKParameterWidgetCommon::handleNotification(change);
    CWKParameterWidgetHooks* hooks = pGetHooks();
    Murn::ParameterWithoutType* parameter = pGetParameter();
    if (!hooks || !hooks->pfnCurrentFrame || !parameter)
        return;
    const Murn::ValueType type = parameter->eGetValueType();
    if (type != Murn::ValueType::Int && type != Murn::ValueType::UnsignedInt)
        return;
    const double value
        = static_cast<Murn::NumericParameterWithoutType*>(parameter)->dGetValueAt(float(hooks->pfnCurrentFrame()));
    setText(QString::number(static_cast<long long>(value)));
}

void CWKLineEditInt::vSetRange(int bottom, int top)
{
    m_pValidator->setRange(bottom, top);
    update();
}

void CWKLineEditInt::vReturnPressed()
{
    QString current = text();
    vCommit(current);
}

void CWKLineEditInt::vValidateText(QString& text)
{
    vCommit(text);
}

double CWKLineEditInt::dBottom() const
{
    return m_pValidator->bottom();
}

double CWKLineEditInt::dTop() const
{
    return m_pValidator->top();
}

bool CWKLineEditInt::bRotaryDrag() const
{
    return s_bIntRotaryDrag;
}

bool CWKLineEditInt::bInvertWheel() const
{
    return s_bIntInvertWheel;
}

const QCursor* CWKLineEditInt::pRotateCursor() const
{
    return pLoadRotateCursor(kszIntCursorHolder);
}

QString CWKLineEditInt::qstrTextAtPosition(double position) const
{
    const long long bottom = m_pValidator->bottom();
    const long long top = m_pValidator->top();
    const long long value = std::clamp(bottom + static_cast<long long>((top - bottom) * position), bottom, top);
    return QString::number(value);
}

QString CWKLineEditInt::qstrTextAfterWheelStep(int direction) const
{
    const long long bottom = m_pValidator->bottom();
    const long long top = std::max<long long>(bottom, m_pValidator->top());
    return QString::number(
        std::clamp(static_cast<long long>(std::llround(text().toDouble())) + direction, bottom, top));
}

void CWKLineEditInt::vFixup(QString& text) const
{
    m_pValidator->fixup(text);
}
