// The validator of the time-code edits: its pattern follows the project (time code or frame
// numbers, fields or frames) and its correction repairs, clamps and re-formats the text by
// the rule every frame field follows (CWKFrameTextRule).
#pragma once

#include "cwbase.h"

#include <QRegularExpressionValidator>

class CWKTimeCodeValidator : public QRegularExpressionValidator {
    Q_OBJECT
public:
    explicit CWKTimeCodeValidator(QObject* parent = nullptr);

    // Chooses the pattern for the project; a null project keeps the present one.
    void vUpdateRegExp(CW_Instance project);
    // Turns any text into a valid frame of the project's main clip; without a valid
    // project the text stays as typed.
    void fixup(QString& text) const override;
};
