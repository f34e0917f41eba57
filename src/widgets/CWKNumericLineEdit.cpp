#include "CWKNumericLineEdit.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {
// Keeps a rotate cursor for the application's lifetime, so that it goes before the
// application does.
class CWKRotateCursorHolder : public QObject {
public:
    CWKRotateCursorHolder(const QCursor& cursor, QObject* parent)
        : QObject(parent)
        , m_cursor(cursor)
    {
    }
    const QCursor* pCursor() const { return &m_cursor; }

private:
    QCursor m_cursor;
};

constexpr double kdNumericNoAngle = 1000000.0;
constexpr double kdNumericPi = 3.14159265358979323846;
} // namespace

CWKNumericLineEdit::CWKNumericLineEdit(QWidget* parent)
    : Murn::CWKParameterWidget<QLineEdit>(parent, true)
{
    setMouseTracking(true);
}

const QCursor* CWKNumericLineEdit::pLoadRotateCursor(const char* holderName)
{
    if (!qApp)
        return nullptr;
    const QString name = QString::fromLatin1(holderName);
    for (QObject* child : qApp->children()) {
        if (child->objectName() == name)
            return static_cast<CWKRotateCursorHolder*>(child)->pCursor();
    }
    const QPixmap image(QStringLiteral(":/Resources/CursorRotateValue.png"));
    if (image.isNull())
        return nullptr;
    auto* holder = new CWKRotateCursorHolder(QCursor(image, image.width() / 2, image.height() / 2), qApp);
    holder->setObjectName(name);
    return holder->pCursor();
}

double CWKNumericLineEdit::dGetNormalisedPosition() const
{
    // An empty range has no position: no bar and no drag.
    if (!bHasRange())
        return 0.0;
    return (text().toDouble() - dBottom()) / (dTop() - dBottom());
}

void CWKNumericLineEdit::vSetShowBar(bool show)
{
    m_bShowBar = show;
    update();
}

bool CWKNumericLineEdit::bInDragZone(double x) const
{
    if (isReadOnly() || !bHasRange())
        return false;
    if (bRotaryDrag())
        return true;
    return width() > 0 && std::fabs(x / width() - dGetNormalisedPosition()) < 0.1;
}

void CWKNumericLineEdit::vCommit(QString& text)
{
    if (!m_bPendingChange)
        return;
    vFixup(text);
    setText(text);
    if (m_bShowBar)
        update();
    m_bPendingChange = false;
    vEmitValueChanged();
}

void CWKNumericLineEdit::vApplyStep(const QString& text)
{
    setText(text);
    if (m_bShowBar)
        update();
    if (m_bEmitWhileDragging)
        vEmitValueChanged();
    else
        m_bPendingChange = true;
}

void CWKNumericLineEdit::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::OtherFocusReason);
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton && bInDragZone(point.x())) {
        m_dStartPosition = dGetNormalisedPosition();
        m_bDragging = true;
        m_dReferenceAngle = kdNumericNoAngle;
        m_iPressX = point.x();
        m_iPressY = point.y();
        m_bPendingChange = false;
        return;
    }
    if (!bRotaryDrag()) {
        m_iPressX = point.x();
        m_iPressY = point.y();
    }
    Murn::CWKParameterWidget<QLineEdit>::mousePressEvent(event);
}

void CWKNumericLineEdit::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF point = event->position();
    if (!m_bDragging) {
        if (bInDragZone(point.x())) {
            const QCursor* rotate = pRotateCursor();
            if (bRotaryDrag() && rotate)
                setCursor(*rotate);
            else
                setCursor(Qt::SizeHorCursor);
            return;
        }
        setCursor(Qt::IBeamCursor);
        QLineEdit::mouseMoveEvent(event);
        return;
    }
    if (!(event->buttons() & Qt::LeftButton)) {
        m_bDragging = false;
        return;
    }
    const double dx = point.x() - m_iPressX;
    const double dy = point.y() - m_iPressY;
    if (m_dReferenceAngle > 500000.0) {
        // A dead zone around the press point: the first move beyond it only fixes the angle.
        if (std::hypot(dx, dy) > 20.0) {
            m_dReferenceAngle = std::atan2(dy, dx);
            m_dPosition = std::clamp(dGetNormalisedPosition(), 0.0, 1.0);
        }
        return;
    }
    double position = 0.0;
    if (bRotaryDrag()) {
        const double angle = std::atan2(dy, dx);
        double step = angle - m_dReferenceAngle;
        while (step > kdNumericPi)
            step -= 2.0 * kdNumericPi;
        while (step < -kdNumericPi)
            step += 2.0 * kdNumericPi;
        m_dReferenceAngle += step;
        // A full turn moves a fifth of the range.
        m_dPosition = std::clamp(m_dPosition + step / (10.0 * kdNumericPi), 0.0, 1.0);
        position = m_dPosition;
    } else {
        const double relative = width() > 0 ? point.x() / width() : 0.0;
        position = std::clamp(m_dStartPosition + (relative - m_dStartPosition) * 0.3, 0.0, 1.0);
    }
    vApplyStep(qstrTextAtPosition(position));
}

void CWKNumericLineEdit::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_bDragging) {
        if (!bRotaryDrag() && event->position().toPoint() == QPoint(m_iPressX, m_iPressY))
            selectAll();
        QLineEdit::mouseReleaseEvent(event);
        return;
    }
    m_bDragging = false;
    setCursor(Qt::ArrowCursor);
    if (m_bPendingChange) {
        m_bPendingChange = false;
        vEmitValueChanged();
    } else if (bRotaryDrag()) {
        // A click without a drag selects the value for typing.
        selectAll();
    }
}

void CWKNumericLineEdit::wheelEvent(QWheelEvent* event)
{
    event->accept();
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;
    int direction = delta < 0 ? 1 : -1;
    if (bInvertWheel())
        direction = -direction;
    vApplyStep(qstrTextAfterWheelStep(direction));
}

void CWKNumericLineEdit::keyPressEvent(QKeyEvent* event)
{
    QLineEdit::keyPressEvent(event);
    // Return and Enter commit (through returnPressed); they leave nothing owed.
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        m_bPendingChange = true;
}

void CWKNumericLineEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    m_bPendingChange = false;
}

void CWKNumericLineEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    QString current = text();
    vCommit(current);
}

void CWKNumericLineEdit::leaveEvent(QEvent* event)
{
    setCursor(Qt::ArrowCursor);
    QLineEdit::leaveEvent(event);
}

void CWKNumericLineEdit::paintEvent(QPaintEvent* event)
{
    Murn::CWKParameterWidget<QLineEdit>::paintEvent(event);
    if (!m_bShowBar || !isEnabled() || isReadOnly() || !bHasRange())
        return;
    const QRect contents = contentsRect();
    const int span = contents.right() - contents.left();
    const double position = std::clamp(dGetNormalisedPosition(), 0.0, 1.0);
    const int right = contents.left() + int(position * span) - 1;
    if (right < contents.left())
        return;
    QPainter painter(this);
    painter.fillRect(QRect(QPoint(contents.left(), contents.bottom() - 2), QPoint(right, contents.bottom() - 1)),
        palette().color(QPalette::Highlight));
}
