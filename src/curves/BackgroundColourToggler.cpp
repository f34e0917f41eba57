#include "BackgroundColourToggler.h"

#include <QAbstractButton>

BackgroundColourToggler::BackgroundColourToggler(QAbstractButton* button, const QColor& checkedColour,
                                                 const QColor& uncheckedColour)
    : QObject(nullptr), m_pButton(button)
{
    if (checkedColour.isValid())
        m_palChecked.setBrush(QPalette::All, QPalette::Button, QBrush(checkedColour, Qt::SolidPattern));
    if (!button)
        return;
    m_palUnchecked = button->palette();
    if (uncheckedColour.isValid())
        m_palUnchecked.setBrush(QPalette::All, QPalette::Button, QBrush(uncheckedColour, Qt::SolidPattern));
    onToggle(button->isChecked());
    connect(button, &QAbstractButton::toggled, this, &BackgroundColourToggler::onToggle);
}

BackgroundColourToggler::~BackgroundColourToggler() = default;

void BackgroundColourToggler::onToggle(bool checked)
{
    if (m_pButton)
        m_pButton->setPalette(checked ? m_palChecked : m_palUnchecked);
}
