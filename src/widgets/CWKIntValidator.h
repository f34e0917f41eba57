// The numeric edits' validator for whole numbers: text outside the range becomes the nearer
// end of it.
#pragma once

#include <QIntValidator>

class CWKIntValidator : public QIntValidator {
    Q_OBJECT
public:
    explicit CWKIntValidator(QObject* parent = nullptr);

    // Acceptable text stays; a number above the range becomes the top, anything else the
    // bottom.
    void fixup(QString& text) const override;
};
