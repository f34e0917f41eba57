// A combo box bound to an engine parameter; it never draws the highlight frame.
#pragma once

#include "widgets/CWKParameterWidget.h"

#include <QComboBox>

class CWKComboBox : public Murn::CWKParameterWidget<QComboBox> {
    Q_OBJECT
public:
    explicit CWKComboBox(QWidget* parent = nullptr);
    ~CWKComboBox() override;
};
