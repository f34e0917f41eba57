#include "CWKTableItemUInt.h"

CWKTableItemUInt::CWKTableItemUInt(const QString& text)
    : QTableWidgetItem(text)
{
}

bool CWKTableItemUInt::operator<(const QTableWidgetItem& other) const
{
    bool leftOk = false;
    bool rightOk = false;
    const unsigned int left = text().toUInt(&leftOk);
    const unsigned int right = other.text().toUInt(&rightOk);
    if (leftOk && rightOk)
        return left < right;
    if (leftOk != rightOk)
        return leftOk;
    return text() < other.text();
}
