#include "KeyframeControls.h"

KeyframeControls::KeyframeControls(QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(114, 20);
}

void KeyframeControls::updateGUI()
{
}
