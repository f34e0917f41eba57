// A group box bound to an engine parameter.
#pragma once

#include "widgets/CWKParameterWidget.h"

#include <QGroupBox>

class CWKGroupBox : public Murn::CWKParameterWidget<QGroupBox> {
    Q_OBJECT
public:
    explicit CWKGroupBox(QWidget* parent = nullptr);
    ~CWKGroupBox() override;
};
