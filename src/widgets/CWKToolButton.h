// A tool button bound to an engine parameter; a parameter of unsigned 8-bit values checks it
// while its value at the current frame is 1.
#pragma once

#include "widgets/CWKParameterWidget.h"

#include <QToolButton>

class CWKToolButton : public Murn::CWKParameterWidget<QToolButton> {
    Q_OBJECT
public:
    explicit CWKToolButton(QWidget* parent = nullptr);
    ~CWKToolButton() override;

    void handleNotification(Vosk::Change& change) override;
};
