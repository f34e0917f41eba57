#include "GhostableButton.h"

GhostableButton::GhostableButton(QWidget* parent) : QPushButton(parent)
{
}

GhostableButton::~GhostableButton() = default;

void GhostableButton::setGhosted(bool ghosted)
{
    m_bGhosted = ghosted;
    update();
}

void GhostableButton::paintEvent(QPaintEvent* event)
{
    if (m_bGhosted)
        return;
    QPushButton::paintEvent(event);
}
