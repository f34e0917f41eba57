#include "CWKView.h"

#include "CWKScene.h"

#include <QMouseEvent>
#include <QRubberBand>
#include <QScrollBar>
#include <optional>

namespace {

// The last position of a pan drag; one for all views, forgotten by any move that is no pan.
std::optional<QPoint>& optViewPanPosition()
{
    static std::optional<QPoint> s_position;
    return s_position;
}

} // namespace

CWKView::CWKView(QWidget* parent)
    : QGraphicsView(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    setResizeAnchor(QGraphicsView::AnchorUnderMouse);
    setRenderHint(QPainter::Antialiasing);
}

QRect CWKView::rubberBandRect() const
{
    return m_pRubberBand ? m_pRubberBand->geometry() : QRect();
}

void CWKView::mousePressEvent(QMouseEvent* event)
{
    // A drag starts where it is pressed, not where the previous one ended.
    optViewPanPosition().reset();
    QGraphicsView::mousePressEvent(event);
    if (!m_bRubberBandArmed)
        return;
    const QPoint position = event->position().toPoint();
    m_iPressX = position.x();
    m_iPressY = position.y();
    if (!m_pRubberBand)
        m_pRubberBand = new QRubberBand(QRubberBand::Rectangle, this);
    m_pRubberBand->setGeometry(QRect(position, position - QPoint(2, 2)));
    m_pRubberBand->show();
}

void CWKView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint position = event->position().toPoint();
    auto* editorScene = qobject_cast<CWKScene*>(scene());
    std::optional<QPoint>& last = optViewPanPosition();
    if (editorScene && editorScene->iGetToolMode() == CWKScene::PanMode && editorScene->bIsButtonHeld()) {
        viewport()->setCursor(Qt::ClosedHandCursor);
        if (last) {
            const int dx = last->x() - position.x();
            horizontalScrollBar()->setValue(horizontalScrollBar()->value() + (isRightToLeft() ? -dx : dx));
            verticalScrollBar()->setValue(verticalScrollBar()->value() + (last->y() - position.y()));
        }
        last = position;
        event->accept();
    } else {
        last.reset();
        if (m_bRubberBandArmed && m_pRubberBand)
            m_pRubberBand->setGeometry(QRect(QPoint(m_iPressX, m_iPressY), position).normalized());
    }
    QGraphicsView::mouseMoveEvent(event);
}

void CWKView::mouseReleaseEvent(QMouseEvent* event)
{
    QGraphicsView::mouseReleaseEvent(event);
    if (m_bRubberBandArmed) {
        if (m_pRubberBand)
            m_pRubberBand->hide();
        m_bRubberBandArmed = false;
    }
}
