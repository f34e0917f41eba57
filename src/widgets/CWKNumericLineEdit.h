// What the two numeric line edits share: a value kept inside a range, a thin bar showing
// where it lies, changing it by a rotary or linear mouse drag or with the wheel, and one
// value announcement per edit.
#pragma once

#include "widgets/CWKParameterWidget.h"

#include <QLineEdit>

class QCursor;

class CWKNumericLineEdit : public Murn::CWKParameterWidget<QLineEdit> {
public:
    // Where the shown value lies in the range, 0 to 1; 0 for a range without width.
    double dGetNormalisedPosition() const;
    bool bIsDragging() const { return m_bDragging; }
    bool bHasPendingChange() const { return m_bPendingChange; }
    void vSetShowBar(bool show);
    bool bGetShowBar() const { return m_bShowBar; }
    // Announce every drag and wheel step at once instead of once when the edit ends.
    void vSetEmitWhileDragging(bool emitWhileDragging) { m_bEmitWhileDragging = emitWhileDragging; }
    bool bGetEmitWhileDragging() const { return m_bEmitWhileDragging; }

protected:
    explicit CWKNumericLineEdit(QWidget* parent);

    virtual double dBottom() const = 0;
    virtual double dTop() const = 0;
    virtual bool bRotaryDrag() const = 0;
    virtual bool bInvertWheel() const = 0;
    virtual const QCursor* pRotateCursor() const = 0;
    // The text for a normalised position reached by a drag.
    virtual QString qstrTextAtPosition(double position) const = 0;
    // The text one wheel step up (+1) or down (-1) from the present value.
    virtual QString qstrTextAfterWheelStep(int direction) const = 0;
    virtual void vFixup(QString& text) const = 0;
    virtual void vEmitValueChanged() = 0;

    // Repairs the text and announces it when a change is owed.
    void vCommit(QString& text);
    // The class's rotate cursor, made from the resource image on first success.
    static const QCursor* pLoadRotateCursor(const char* holderName);

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool bHasRange() const { return dTop() > dBottom(); }
    bool bInDragZone(double x) const;
    void vApplyStep(const QString& text);

    bool m_bDragging = false;
    bool m_bShowBar = true;
    bool m_bPendingChange = false;
    bool m_bEmitWhileDragging = false;
    double m_dStartPosition = 0.0;
    double m_dReferenceAngle = 1000000.0;
    double m_dPosition = 0.0;
    int m_iPressX = 0;
    int m_iPressY = 0;
};
