// A line edit bound to an engine parameter.
#pragma once

#include "widgets/CWKParameterWidget.h"

#include <QLineEdit>

class CWKLineEdit : public Murn::CWKParameterWidget<QLineEdit> {
    Q_OBJECT
public:
    explicit CWKLineEdit(QWidget* parent = nullptr);
    ~CWKLineEdit() override;
};
