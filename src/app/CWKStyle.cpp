#include "CWKStyle.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPainter>
#include <QStyleOption>
#include <QStyleFactory>
#include <algorithm>

CWKStyle::CWKStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), m_fBrightness(0.4f)
{
}

CWKStyle::~CWKStyle() = default;

void CWKStyle::polish(QPalette& palette)
{
    palette = standardPalette();
}

void CWKStyle::polish(QApplication* application)
{
    QProxyStyle::polish(application);
    QApplication::setPalette(standardPalette());
}

QPalette CWKStyle::standardPalette() const
{
    struct Row {
        QPalette::ColorRole role;
        QRgb active;
        QRgb inactive;
        QRgb disabled;
    };
    static const Row kRows[] = {
        {QPalette::WindowText, 0xffffff, 0xefefef, 0x565656}, {QPalette::Button, 0x646565, 0x646565, 0x646565},
        {QPalette::Light, 0x444546, 0x444546, 0x444546},      {QPalette::Midlight, 0x444546, 0x444546, 0x444546},
        {QPalette::Dark, 0x555555, 0x555555, 0x555555},       {QPalette::Mid, 0xc7c7c7, 0xc7c7c7, 0xc7c7c7},
        {QPalette::Text, 0xffffff, 0xefefef, 0x565656},       {QPalette::BrightText, 0x444546, 0x444546, 0x444546},
        {QPalette::ButtonText, 0xffffff, 0xefefef, 0x565656}, {QPalette::Base, 0x444546, 0x444546, 0x393939},
        {QPalette::Window, 0x393939, 0x393939, 0x393939},     {QPalette::Shadow, 0x000000, 0x000000, 0x000000},
        {QPalette::Highlight, 0x678db2, 0x678db2, 0x567594},  {QPalette::HighlightedText, 0x444546, 0x444546, 0x444546},
        {QPalette::Link, 0x0000ee, 0x0000ee, 0x0000ee},       {QPalette::LinkVisited, 0x52188b, 0x52188b, 0x52188b},
    };
    QPalette palette;
    for (const Row& row : kRows) {
        palette.setBrush(QPalette::Active, row.role, QColor(row.active));
        palette.setBrush(QPalette::Inactive, row.role, QColor(row.inactive));
        palette.setBrush(QPalette::Disabled, row.role, QColor(row.disabled));
    }
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setBrush(group, QPalette::AlternateBase, palette.color(group, QPalette::Base).lighter(110));
    return palette;
}

void CWKStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const
{
    // Status-bar items sit flat on the bar.
    if (element == PE_FrameStatusBarItem)
        return;
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void CWKStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                           const QWidget* widget) const
{
    if (element == CE_HeaderSection) {
        painter->save();
        painter->setPen(Qt::NoPen);
        painter->setBrush(option->palette.color(QPalette::Window));
        painter->drawRect(option->rect);
        painter->restore();
        return;
    }
    if (element == CE_TabBarTab) {
        const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
        if (!tab)
            return;
        QStyleOptionTab shaded(*tab);
        QPalette& palette = shaded.palette;
        if (shaded.state & State_Selected) {
            palette.setColor(QPalette::Button, palette.color(QPalette::Window));
        } else {
            QColor label = palette.color(QPalette::WindowText);
            palette.setColor(QPalette::WindowText, qcolShiftValue(label, m_fBrightness > 0.6f ? 15 : -15));
            QColor face = palette.color(QPalette::Window);
            qcolShiftValue(face, -30);
            palette.setColor(QPalette::Button, face);
            // Fusion fills a tab of a frameless bar from Window rather than Button.
            palette.setColor(QPalette::Window, face);
        }
        QProxyStyle::drawControl(CE_TabBarTab, &shaded, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void CWKStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                  const QWidget* widget) const
{
    if (control == CC_ToolButton) {
        if (qstyleoption_cast<const QStyleOptionToolButton*>(option))
            QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

int CWKStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                        QStyleHintReturn* returnData) const
{
    if (hint == SH_UnderlineShortcut)
        return 1;
    if (hint == SH_DialogButtonLayout)
        return QDialogButtonBox::MacLayout;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

QPixmap CWKStyle::generatedIconPixmap(QIcon::Mode mode, const QPixmap& pixmap, const QStyleOption* option) const
{
    // The base style greys a picture around the window colour, which leaves the light
    // pictures of this dark look as bright as ever.
    if (mode != QIcon::Disabled || pixmap.isNull())
        return QProxyStyle::generatedIconPixmap(mode, pixmap, option);
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = std::min(110 + qGray(line[x]) / 4, 255);
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) * 40 / 100);
        }
    }
    QPixmap dimmed = QPixmap::fromImage(image);
    dimmed.setDevicePixelRatio(pixmap.devicePixelRatio());
    return dimmed;
}

void CWKStyle::setBrightness(float x)
{
    const double step = double(0.1f);
    m_fBrightness = float(x <= 0.5f ? double(x) - step : double(x) + step);
}

float CWKStyle::brightness() const
{
    return m_fBrightness;
}

QColor& qcolShiftValue(QColor& colour, int delta)
{
    const int value = std::clamp(colour.value() + delta, 0, 255);
    colour.setHsv(colour.hue(), colour.saturation(), value, 255);
    return colour;
}
