// The numeric entry field for whole numbers.
#pragma once

#include "widgets/CWKNumericLineEdit.h"

class CWKIntValidator;

class CWKLineEditInt : public CWKNumericLineEdit {
    Q_OBJECT
public:
    explicit CWKLineEditInt(QWidget* parent = nullptr);
    ~CWKLineEditInt() override;

    // Program-wide switches of every decimal edit.
    static void vSetRotaryDrag(bool rotary);
    static bool bGetRotaryDrag();
    static void vSetInvertScrollWheel(bool invert);
    static bool bGetInvertScrollWheel();

    const CWKIntValidator* pGetValidator() const { return m_pValidator; }
    QSize sizeHint() const override;
    // A bound parameter of int or unsigned int values shows its value at the current frame.
    void handleNotification(Vosk::Change& change) override;

signals:
    void valueChanged();

public slots:
    void vSetRange(int bottom, int top);
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
    CWKIntValidator* m_pValidator;
};
