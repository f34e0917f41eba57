// Base of the zoomable, pannable item editors: tool modes, zoom by keys, wheel and drag,
// and the hooks through which a derived editor receives presses, drags and selections.
#pragma once

#include <QGraphicsScene>
#include <QList>
#include <QTransform>

class QGraphicsItem;
class QGraphicsView;

class CWKScene : public QGraphicsScene {
    Q_OBJECT
public:
    // 0 edit (the hooks get the mouse), 1 item move, 2 pan, 3 zoom.
    enum ToolMode { EditMode = 0, MoveMode = 1, PanMode = 2, ZoomMode = 3 };

    explicit CWKScene(QObject* parent = nullptr);

    void setZoomMode(bool on);
    void setTranslateMode(bool on);
    void setPanMode(bool on);
    int iGetToolMode() const { return m_iToolMode; }
    bool bIsButtonHeld() const { return m_bButtonHeld; }

    // The scene works through its first view; without one scales are 1.
    QGraphicsView* view() const;
    QTransform inverseViewMatrix() const;
    double horizontalScale() const;
    double verticalScale() const;
    double horizontalUnitsPerPixel() const;
    double verticalUnitsPerPixel() const;
    // The part of the scene a view shows (the first view when none is given).
    QRectF visibleSceneRect(QGraphicsView* view = nullptr) const;
    void setViewCursor(const QCursor& cursor);

    // Scales each axis of the first view; an axis at its zoom limit keeps its scale.
    void zoomBy(double sx, double sy);

protected:
    // Is there a grabbable handle at the scene point.
    virtual bool bHitTest(const QPointF& point);
    virtual void vRubberBandSelect(const QList<QGraphicsItem*>& items, const QRectF& band) = 0;
    virtual void vLeftPress(QGraphicsItem* item, const QPointF& point, Qt::KeyboardModifiers modifiers) = 0;
    virtual void vRightPress(QGraphicsItem* item, const QPointF& point) = 0;
    // A press that armed the rubber band ended without selecting anything.
    virtual void vClickRelease() = 0;
    virtual void vHandlePress(const QPointF& point) = 0;
    virtual void vHandleDrag(const QPointF& point) = 0;
    virtual void vPanMiddlePress(Qt::KeyboardModifiers modifiers);
    virtual void vPanRightPress(Qt::KeyboardModifiers modifiers);

    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void wheelEvent(QGraphicsSceneWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QTransform viewMatrix() const;
    void vTakeKeyMode(int mode, const QCursor& cursor);

    int m_iToolMode = EditMode;
    int m_iSavedMode = EditMode;
    bool m_bButtonHeld = false;
    bool m_bKeyMode = false;
    bool m_bMiddlePan = false;
    bool m_bCursorChanged = false;
    double m_dLastScreenX = 0.0;
    double m_dLastScreenY = 0.0;
    double m_dPressScreenX = 0.0;
    double m_dPressScreenY = 0.0;
};
