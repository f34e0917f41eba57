// The numeric edits' validator for decimals: repairs text into the range with a fixed
// number of decimals.
#pragma once

#include <QDoubleValidator>

class CWKDoubleValidator : public QDoubleValidator {
    Q_OBJECT
public:
    explicit CWKDoubleValidator(QObject* parent = nullptr);

    void vSetDecimals(int decimals) { m_iDecimals = decimals; }
    int iGetDecimals() const { return m_iDecimals; }
    // Acceptable text stays; anything else becomes its number limited to the range, written
    // with the set decimals.
    void fixup(QString& text) const override;

private:
    int m_iDecimals = 2;
};
