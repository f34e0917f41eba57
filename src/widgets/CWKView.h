// The view of a CWKScene: panning by dragging and the rubber band of area selections.
#pragma once

#include <QGraphicsView>

class QRubberBand;

class CWKView : public QGraphicsView {
    Q_OBJECT
public:
    explicit CWKView(QWidget* parent = nullptr);

    // The next press starts a rubber band; the scene arms it when a press hits nothing.
    void vArmRubberBand() { m_bRubberBandArmed = true; }
    bool bRubberBandArmed() const { return m_bRubberBandArmed; }
    // In view pixels; empty when no band was made.
    QRect rubberBandRect() const;

    double horizontalScale() const { return transform().m11(); }
    double verticalScale() const { return transform().m22(); }
    double horizontalUnitsPerPixel() const { return 1.0 / transform().m11(); }
    double verticalUnitsPerPixel() const { return 1.0 / transform().m22(); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_bRubberBandArmed = false;
    int m_iPressX = 0;
    int m_iPressY = 0;
    QRubberBand* m_pRubberBand = nullptr;
};
