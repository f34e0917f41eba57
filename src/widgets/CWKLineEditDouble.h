// The numeric entry field for decimals.
#pragma once

#include "widgets/CWKNumericLineEdit.h"

class CWKDoubleValidator;

class CWKLineEditDouble : public CWKNumericLineEdit {
    Q_OBJECT
public:
    explicit CWKLineEditDouble(QWidget* parent = nullptr);
    ~CWKLineEditDouble() override;

    // Program-wide switches of every decimal edit.
    static void vSetRotaryDrag(bool rotary);
    static bool bGetRotaryDrag();
    static void vSetInvertScrollWheel(bool invert);
    static bool bGetInvertScrollWheel();

    const CWKDoubleValidator* pGetValidator() const { return m_pValidator; }
    QSize sizeHint() const override;
    // A bound parameter of float or double values shows its value at the current frame.
    void handleNotification(Vosk::Change& change) override;

signals:
    void valueChanged();

public slots:
    void vSetRange(double bottom, double top, int decimals);
    void vReturnPressed();
    void vValidateText(QString& text);

protected:
    double dBottom() const override;
    double dTop() const override;
    bool bRotaryDrag() const override;
    bool bInvertWheel() const override;
    const QCursor* pRotateCursor() const override;
    QString qstrTextAtPosition(double position) const override;
    QString qstrTextAfterWheelStep(int direction) const override;
    void vFixup(QString& text) const override;
    void vEmitValueChanged() override { emit valueChanged(); }

private:
    CWKDoubleValidator* m_pValidator;
};
