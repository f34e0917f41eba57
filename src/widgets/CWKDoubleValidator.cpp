#include "CWKDoubleValidator.h"

#include <QLocale>
#include <algorithm>

CWKDoubleValidator::CWKDoubleValidator(QObject* parent)
    : QDoubleValidator(0.0, 100.0, 2, parent)
{
    // A decimal point and no exponent whatever the user's locale, so that what the
    // validator accepts is what the edits convert.
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    setLocale(locale);
    setNotation(QDoubleValidator::StandardNotation);
}

void CWKDoubleValidator::fixup(QString& text) const
{
    int position = 0;
    if (validate(text, position) == QValidator::Acceptable)
        return;
    const double value = std::clamp(text.toDouble(), std::min(bottom(), top()), std::max(bottom(), top()));
    text.setNum(value, 'f', m_iDecimals);
}
