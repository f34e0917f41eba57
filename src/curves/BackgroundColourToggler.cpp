#include "BackgroundColourToggler.h"

#include <QAbstractButton>

namespace {
QString qstrTogglerSheet(const QColor& colour)
{
    if (!colour.isValid())
        return QString();
    return QStringLiteral("\nQAbstractButton { background-color: %1; }").arg(colour.name(QColor::HexArgb));
}
} // namespace

BackgroundColourToggler::BackgroundColourToggler(QAbstractButton* button, const QColor& checkedColour,
                                                 const QColor& uncheckedColour)
    : QObject(nullptr), m_pButton(button)
{
    if (checkedColour.isValid())
        m_palChecked.setBrush(QPalette::All, QPalette::Button, QBrush(checkedColour, Qt::SolidPattern));
    m_qstrCheckedSheet = qstrTogglerSheet(checkedColour);
    m_qstrUncheckedSheet = qstrTogglerSheet(uncheckedColour);
    if (!button)
        return;
    m_qstrOwnSheet = button->styleSheet();
    m_palUnchecked = button->palette();
    if (uncheckedColour.isValid())
        m_palUnchecked.setBrush(QPalette::All, QPalette::Button, QBrush(uncheckedColour, Qt::SolidPattern));
    onToggle(button->isChecked());
    connect(button, &QAbstractButton::toggled, this, &BackgroundColourToggler::onToggle);
}

BackgroundColourToggler::~BackgroundColourToggler() = default;

void BackgroundColourToggler::onToggle(bool checked)
{
    if (!m_pButton)
        return;
    m_pButton->setStyleSheet(m_qstrOwnSheet + (checked ? m_qstrCheckedSheet : m_qstrUncheckedSheet));
    m_pButton->setPalette(checked ? m_palChecked : m_palUnchecked);
}
