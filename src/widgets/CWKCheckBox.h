// A check box bound to an engine parameter.
#pragma once

#include "widgets/CWKParameterWidget.h"

#include <QCheckBox>

class CWKCheckBox : public Murn::CWKParameterWidget<QCheckBox> {
    Q_OBJECT
public:
    explicit CWKCheckBox(QWidget* parent = nullptr);
    ~CWKCheckBox() override;
};
