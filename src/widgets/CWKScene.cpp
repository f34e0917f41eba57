#include "CWKScene.h"

#include "CWKView.h"

#include <QGraphicsItem>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>
#include <QGraphicsView>
#include <QKeyEvent>
#include <cmath>

namespace {

// Zoom stops at these many scene units per pixel.
constexpr double kdSceneMinUnitsPerPixel = 0.002;
constexpr double kdSceneMaxUnitsPerPixel = 4000.0;
// A rubber-band press that moved less than this (Manhattan length, pixels) is a click.
constexpr double kdSceneClickDistance = 5.0;

double dSceneDragZoomFactor(double offset)
{
    const double d = offset / 50.0;
    return d >= 0 ? 1.0 + 0.1 * d : 1.0 / (1.0 - 0.1 * d);
}

double dSceneLimitedFactor(double factor, double unitsPerPixel)
{
    if (unitsPerPixel < kdSceneMinUnitsPerPixel && factor > 1.0)
        return 1.0;
    if (unitsPerPixel > kdSceneMaxUnitsPerPixel && factor < 1.0)
        return 1.0;
    return factor;
}

} // namespace

CWKScene::CWKScene(QObject* parent)
    : QGraphicsScene(parent)
{
    setItemIndexMethod(QGraphicsScene::NoIndex);
}

void CWKScene::setZoomMode(bool on)
{
    m_iToolMode = on ? ZoomMode : EditMode;
}

void CWKScene::setTranslateMode(bool on)
{
    m_iToolMode = on ? MoveMode : EditMode;
}

void CWKScene::setPanMode(bool on)
{
    m_iToolMode = on ? PanMode : EditMode;
    setViewCursor(on ? Qt::OpenHandCursor : Qt::ArrowCursor);
}

QGraphicsView* CWKScene::view() const
{
    const QList<QGraphicsView*> all = views();
    return all.isEmpty() ? nullptr : all.first();
}

QTransform CWKScene::viewMatrix() const
{
    QGraphicsView* first = view();
    return first ? first->transform() : QTransform();
}

QTransform CWKScene::inverseViewMatrix() const
{
    return viewMatrix().inverted();
}

double CWKScene::horizontalScale() const
{
    return viewMatrix().m11();
}

double CWKScene::verticalScale() const
{
    return viewMatrix().m22();
}

double CWKScene::horizontalUnitsPerPixel() const
{
    return 1.0 / viewMatrix().m11();
}

double CWKScene::verticalUnitsPerPixel() const
{
    return 1.0 / viewMatrix().m22();
}

QRectF CWKScene::visibleSceneRect(QGraphicsView* shown) const
{
    if (!shown)
        shown = view();
    if (!shown)
        return QRectF(0, 0, 0, 0);
    const QTransform matrix = viewMatrix();
    const QPointF topLeft = shown->mapToScene(QPoint(0, 0));
    return QRectF(
        topLeft.x(), topLeft.y(), shown->width() * (1.0 / matrix.m11()), shown->height() * (1.0 / matrix.m22()));
}

void CWKScene::setViewCursor(const QCursor& cursor)
{
    m_bCursorChanged = cursor.shape() != Qt::ArrowCursor;
    if (QGraphicsView* first = view())
        first->viewport()->setCursor(cursor);
}

void CWKScene::zoomBy(double sx, double sy)
{
    QGraphicsView* first = view();
    if (!first)
        return;
    const QTransform matrix = first->transform();
    sx = dSceneLimitedFactor(sx, 1.0 / matrix.m11());
    sy = dSceneLimitedFactor(sy, 1.0 / matrix.m22());
    first->setTransform(QTransform(matrix).scale(sx, sy));
}

bool CWKScene::bHitTest(const QPointF&)
{
    return false;
}

void CWKScene::vPanMiddlePress(Qt::KeyboardModifiers)
{
}

void CWKScene::vPanRightPress(Qt::KeyboardModifiers)
{
}

void CWKScene::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    m_bButtonHeld = true;
    m_dLastScreenX = m_dPressScreenX = event->screenPos().x();
    m_dLastScreenY = m_dPressScreenY = event->screenPos().y();
    const QPointF point = event->scenePos();
    // Buttons are compared as a whole: two held together match none of these.
    const Qt::MouseButtons buttons = event->buttons();

    switch (m_iToolMode) {
    case PanMode:
        if (buttons == Qt::RightButton)
            vPanRightPress(event->modifiers());
        else if (buttons == Qt::MiddleButton)
            vPanMiddlePress(event->modifiers());
        break;
    case ZoomMode:
        if (buttons == Qt::LeftButton)
            zoomBy(1.1, 1.1);
        else if (buttons == Qt::RightButton)
            zoomBy(0.9, 0.9);
        break;
    case EditMode:
        if (buttons == Qt::LeftButton) {
            if (bHitTest(point)) {
                vHandlePress(point);
            } else {
                QGraphicsItem* hit = nullptr;
                const QList<QGraphicsItem*> candidates = items(QRectF(point, QSizeF(1, 1)));
                for (QGraphicsItem* item : candidates) {
                    if (item->contains(item->mapFromScene(point))) {
                        hit = item;
                        break;
                    }
                }
                vLeftPress(hit, point, event->modifiers());
            }
        } else if (buttons == Qt::RightButton) {
            vRightPress(itemAt(point, QTransform()), point);
        } else if (buttons == Qt::MiddleButton) {
            m_bMiddlePan = true;
            m_iToolMode = PanMode;
            setViewCursor(Qt::OpenHandCursor);
        }
        break;
    default:
        break;
    }
    QGraphicsScene::mousePressEvent(event);
}

void CWKScene::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    QGraphicsScene::mouseMoveEvent(event);
    const QPointF point = event->scenePos();
    const Qt::MouseButtons buttons = event->buttons();

    if (m_iToolMode == ZoomMode && m_bButtonHeld) {
        const double fx = dSceneDragZoomFactor(event->screenPos().x() - m_dLastScreenX);
        const double fy = dSceneDragZoomFactor(event->screenPos().y() - m_dLastScreenY);
        m_dLastScreenX = event->screenPos().x();
        m_dLastScreenY = event->screenPos().y();
        if (buttons == Qt::LeftButton)
            zoomBy(fx, fy);
        else if (buttons == Qt::RightButton)
            zoomBy(1.0 / fx, 1.0 / fy);
        else if (buttons == Qt::MiddleButton)
            fx > fy ? zoomBy(fx, 1.0) : zoomBy(1.0, fy);
        return;
    }
    if (m_iToolMode != EditMode)
        return;

    if (buttons == Qt::NoButton) {
        if (bHitTest(point))
            setViewCursor(Qt::SizeHorCursor);
        else if (m_bCursorChanged)
            setViewCursor(Qt::ArrowCursor);
    } else if (buttons == Qt::LeftButton) {
        auto* editorView = qobject_cast<CWKView*>(view());
        if (editorView && editorView->bRubberBandArmed()) {
            const QRectF band = editorView->mapToScene(editorView->rubberBandRect()).boundingRect();
            vRubberBandSelect(items(band, Qt::IntersectsItemShape), band);
        } else if (selectedItems().isEmpty() && bHitTest(event->lastScenePos())) {
            vHandleDrag(point);
        }
    } else if (m_bCursorChanged) {
        setViewCursor(Qt::ArrowCursor);
    }
}

void CWKScene::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    m_bButtonHeld = false;
    QGraphicsScene::mouseReleaseEvent(event);
    auto* editorView = qobject_cast<CWKView*>(view());
    if (editorView && editorView->bRubberBandArmed()) {
        const double dx = event->screenPos().x() - m_dPressScreenX;
        const double dy = event->screenPos().y() - m_dPressScreenY;
        // Each axis counts on its own: a diagonal drag's offsets must not cancel out.
        if (std::abs(dx) + std::abs(dy) < kdSceneClickDistance) {
            vClickRelease();
        } else {
            const QRectF band = editorView->mapToScene(editorView->rubberBandRect()).boundingRect();
            if (items(band, Qt::IntersectsItemShape).isEmpty())
                vClickRelease();
        }
    } else if (m_bMiddlePan) {
        m_iToolMode = EditMode;
        setViewCursor(Qt::ArrowCursor);
        m_bMiddlePan = false;
    }
}

void CWKScene::wheelEvent(QGraphicsSceneWheelEvent* event)
{
    // A sideways wheel or a touch pad's horizontal swipe has no vertical movement: no zoom.
    if (event->orientation() == Qt::Vertical && event->delta() != 0) {
        const double factor = event->delta() > 0 ? 1.1 : 0.9;
        zoomBy(factor, factor);
        event->accept();
    }
    QGraphicsScene::wheelEvent(event);
}

void CWKScene::vTakeKeyMode(int mode, const QCursor& cursor)
{
    m_iSavedMode = m_iToolMode;
    m_iToolMode = mode;
    setViewCursor(cursor);
    m_bKeyMode = true;
}

void CWKScene::keyPressEvent(QKeyEvent* event)
{
    bool accepted = true;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomBy(1.1, 1.1);
        break;
    case Qt::Key_Minus:
        zoomBy(0.9, 0.9);
        break;
    case Qt::Key_Slash: {
        const QTransform matrix = viewMatrix();
        zoomBy(1.0 / matrix.m11(), 1.0 / matrix.m22());
        break;
    }
    case Qt::Key_Q:
        if (!event->isAutoRepeat())
            vTakeKeyMode(MoveMode, Qt::ArrowCursor);
        accepted = false;
        break;
    case Qt::Key_X:
        if (!event->isAutoRepeat())
            vTakeKeyMode(PanMode, Qt::OpenHandCursor);
        accepted = false;
        break;
    case Qt::Key_Z:
        if (!event->isAutoRepeat())
            vTakeKeyMode(ZoomMode, Qt::ArrowCursor);
        accepted = false;
        break;
    default:
        accepted = false;
        break;
    }
    if (accepted)
        event->accept();
    QGraphicsScene::keyPressEvent(event);
    if (accepted)
        event->accept();
}

void CWKScene::keyReleaseEvent(QKeyEvent* event)
{
    if (event->isAutoRepeat() || m_iToolMode == EditMode || !m_bKeyMode)
        return;
    m_iToolMode = m_iSavedMode;
    setViewCursor(m_iToolMode == PanMode ? Qt::OpenHandCursor : Qt::ArrowCursor);
    event->accept();
    m_bKeyMode = false;
}
