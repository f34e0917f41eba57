// The program's dark look: Fusion with a fixed dark palette and a brightness that shades
// the unselected tabs.
#pragma once

#include <QColor>
#include <QProxyStyle>

class CWKStyle : public QProxyStyle {
    Q_OBJECT
    Q_PROPERTY(float brightness READ brightness WRITE setBrightness)
public:
    CWKStyle();
    ~CWKStyle() override;

    void polish(QPalette& palette) override;
    void polish(QApplication* application) override;
    using QProxyStyle::polish;
    QPalette standardPalette() const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    // A disabled picture without a drawn one of its own looks like the drawn ones: a faint grey.
    QPixmap generatedIconPixmap(QIcon::Mode mode, const QPixmap& pixmap, const QStyleOption* option) const override;

    // Stored as x - 0.1 up to 0.5 and x + 0.1 above, and read back as stored.
    virtual void setBrightness(float x);
    virtual float brightness() const;

private:
    float m_fBrightness;
};

// Adds delta to the colour's HSV value, clamped to 0..255.
QColor& qcolShiftValue(QColor& colour, int delta);
