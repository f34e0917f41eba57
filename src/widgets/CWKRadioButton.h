// A radio button bound to an engine parameter.
#pragma once

#include "widgets/CWKParameterWidget.h"

#include <QRadioButton>

class CWKRadioButton : public Murn::CWKParameterWidget<QRadioButton> {
    Q_OBJECT
public:
    explicit CWKRadioButton(QWidget* parent = nullptr);
    ~CWKRadioButton() override;
};
