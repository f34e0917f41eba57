#include "CWKIntValidator.h"

#include <QLocale>

CWKIntValidator::CWKIntValidator(QObject* parent)
    : QIntValidator(parent)
{
    QLocale locale = QLocale::c();
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    setLocale(locale);
}

void CWKIntValidator::fixup(QString& text) const
{
    int position = 0;
    if (validate(text, position) == QValidator::Acceptable)
        return;
    const long long value = text.toLongLong();
    text = QString::number(value > top() ? top() : bottom());
}
