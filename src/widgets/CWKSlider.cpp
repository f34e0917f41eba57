#include "CWKSlider.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {
// Index: 0 ticks, 1 row strips and base of blends, 2 secondary range, 3 mark rows,
// 4 alpha of the tinted row 0, 5 row handles, 6 primary range, 7 current frame, 8 markers.
QColor qcolSliderColour(int index, bool enabled)
{
    switch (index) {
    case 0:
        return enabled ? QColor(220, 220, 70) : QColor(80, 80, 80);
    case 1:
        return QColor(Qt::gray);
    case 2:
        return enabled ? QColor(155, 0, 0, 204) : QColor(Qt::darkGray);
    case 3:
        return enabled ? QColor(123, 174, 255) : QColor(Qt::darkGray);
    case 4:
        return enabled ? QColor(128, 128, 128, 102) : QColor(Qt::darkGray);
    case 5:
        return QColor(0, 32, 255);
    case 6:
        return enabled ? QColor(Qt::red) : QColor(Qt::darkGray);
    case 7:
        return enabled ? QColor(Qt::white) : QColor(Qt::darkGray);
    default:
        return enabled ? QColor(Qt::green) : QColor(Qt::darkGray);
    }
}

// top over bottom with the given alpha, made opaque.
QColor qcolSliderCompose(double alpha, double red, double green, double blue, const QColor& bottom)
{
    auto channel = [alpha](double top, double under) {
        return qBound(0, qRound(255.0 * (alpha * top + (1.0 - alpha) * under)), 255);
    };
    return QColor(channel(red, bottom.redF()), channel(green, bottom.greenF()), channel(blue, bottom.blueF()));
}

QColor qcolSliderCompose(const QColor& top, const QColor& bottom)
{
    return qcolSliderCompose(top.alphaF(), top.redF(), top.greenF(), top.blueF(), bottom);
}

// Left, top, right, bottom, all inclusive.
void vSliderFill(QPainter& painter, int left, int top, int right, int bottom, const QColor& colour)
{
    if (right < left || bottom < top)
        return;
    painter.fillRect(QRect(QPoint(left, top), QPoint(right, bottom)), colour);
}
} // namespace

CWKSlider::CWKSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    // Every geometry query assumes left to right.
    setLayoutDirection(Qt::LeftToRight);
    initFrameMarks(false);
    // Hovering over a range end changes the cursor.
    setMouseTracking(true);
}

CWKSlider::~CWKSlider() = default;

void CWKSlider::initFrameMarks(bool fieldTicks)
{
    connect(this, &QAbstractSlider::rangeChanged, this, &CWKSlider::sltRangeChanged, Qt::UniqueConnection);
    const int min = minimum();
    const int max = maximum();
    m_bMarkerSourceTimes = false;
    m_vecFrameValues.clear();
    m_vecFrameValues.shrink_to_fit();
    for (auto& row : m_arrMarkRows)
        row.assign(static_cast<size_t>(std::max(0, max) + 1), 0);
    m_iPrimaryStart = min;
    m_iPrimaryEnd = max;
    m_iSecondaryStart = min;
    m_iSecondaryEnd = max;
    m_bSecondaryShown = false;
    m_arrRowLinked = {false, false};
    m_arrRowHalfWidth = {0, 0};
    m_arrRowHandles = {false, false};
    m_arrRowFirst = {min, min};
    m_arrRowLast = {max, max};
    m_iDragMode = DragNone;
    m_iDragId = 0;
    m_iFullLength = max - min + 1;
    m_bFieldTicks = fieldTicks;
    // Owners set a new range with signals blocked, so the step is brought up to date here.
    sltRangeChanged(min, max);
    update();
}

void CWKSlider::setFrameRange(int min, int max)
{
    setRange(min, std::max(min, max));
    update();
}

void CWKSlider::clampRange()
{
    int start = std::min(m_iPrimaryStart, m_iPrimaryEnd);
    int end = std::max(m_iPrimaryStart, m_iPrimaryEnd);
    if (start == end) {
        // One frame is widened to two so that the handle has room to move; a clip of one
        // frame has no second frame to take, and stays as it is.
        if (end + 1 >= m_iFullLength) {
            if (end > 0)
                start = end - 1;
        } else {
            end = end + 1;
        }
    }
    setRange(start, end);
    update();
}

void CWKSlider::vEnsureMarkRows()
{
    const size_t needed = static_cast<size_t>(std::max(0, maximum()) + 1);
    for (auto& row : m_arrMarkRows) {
        if (row.size() < needed)
            row.resize(needed, 0);
    }
}

void CWKSlider::setFrameMarks(const char* flags, int row, unsigned count)
{
    // Nothing to copy leaves the row as it was; owners clear a row by passing zeros.
    if (!bRowIndex(row) || !flags || count == 0)
        return;
    vEnsureMarkRows();
    auto& marks = m_arrMarkRows[row];
    int first = -1;
    int last = -1;
    // Entries beyond the count keep their marks.
    const qint64 top = std::min<qint64>(maximum(), qint64(count) - 1);
    for (qint64 i = 0; i <= top; ++i) {
        marks[i] = flags[i];
        if (flags[i]) {
            last = int(i);
            if (first < 0)
                first = int(i);
        }
    }
    m_arrRowFirst[row] = first < 0 ? 0 : first;
    m_arrRowLast[row] = last < 0 ? maximum() : last;
    update();
}

void CWKSlider::setFrameValues(const int* values, unsigned count)
{
    if (!values)
        count = 0;
    const qint64 top = std::min<qint64>(maximum(), qint64(count) - 1);
    if (top >= 0 && m_vecFrameValues.size() < size_t(top + 1))
        m_vecFrameValues.resize(size_t(top + 1), 0);
    for (qint64 i = std::max(0, minimum()); i <= top; ++i)
        m_vecFrameValues[i] = values[i];
    m_bMarkerSourceTimes = false;
    update();
}

void CWKSlider::setMarkerTimes(QVector<float> times)
{
    m_vecMarkerTimes = std::move(times);
    m_bMarkerSourceTimes = true;
    update();
}

void CWKSlider::setRowAttributes(bool linked, int halfWidth, int row)
{
    if (!bRowIndex(row))
        return;
    m_arrRowLinked[row] = linked;
    m_arrRowHalfWidth[row] = std::max(0, halfWidth);
    update();
}

void CWKSlider::setRowAttribute(bool handles, int row)
{
    if (!bRowIndex(row))
        return;
    m_arrRowHandles[row] = handles;
    update();
}

void CWKSlider::setExtraMarker(bool shown, float red1, float green1, float blue1, float red2, float green2,
                               float blue2)
{
    m_bSecondaryShown = shown;
    if (shown) {
        m_arrSecondaryColour1 = {red1, green1, blue1};
        m_arrSecondaryColour2 = {red2, green2, blue2};
    }
    update();
}

void CWKSlider::setPrimaryStart(int frame)
{
    m_iPrimaryStart = frame;
    update();
}

void CWKSlider::setPrimaryEnd(int frame)
{
    m_iPrimaryEnd = frame;
    update();
}

void CWKSlider::setPrimaryRange(int start, int end)
{
    m_iPrimaryStart = start;
    m_iPrimaryEnd = end;
    update();
}

void CWKSlider::setSecondaryRange(int start, int end)
{
    m_iSecondaryStart = start;
    m_iSecondaryEnd = end;
    update();
}

int CWKSlider::rowFirst(int row) const
{
    return bRowIndex(row) ? m_arrRowFirst[row] : 0;
}

int CWKSlider::rowLast(int row) const
{
    return bRowIndex(row) ? m_arrRowLast[row] : 0;
}

void CWKSlider::setRowRange(int row, int first, int last)
{
    if (!bRowIndex(row))
        return;
    m_arrRowFirst[row] = first;
    m_arrRowLast[row] = last;
    update();
}

bool CWKSlider::rowMarked(int row, int frame) const
{
    if (!bRowIndex(row) || frame < 0 || size_t(frame) >= m_arrMarkRows[row].size())
        return false;
    return m_arrMarkRows[row][frame] != 0;
}

void CWKSlider::vStyleOption(QStyleOptionSlider& option) const
{
    initStyleOption(&option);
    option.direction = Qt::LeftToRight;
    option.upsideDown = false;
}

CWKSlider::Geometry CWKSlider::geoSlider() const
{
    QStyleOptionSlider option;
    vStyleOption(option);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    Geometry geo;
    geo.rctHandle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    geo.iGrooveLeft = groove.x();
    geo.iSpan = groove.width() - geo.rctHandle.width();
    geo.iHalf = style()->pixelMetric(QStyle::PM_SliderLength, &option, this) / 2 + 1;
    return geo;
}

int CWKSlider::iColumn(const Geometry& geo, int frame) const
{
    return geo.iGrooveLeft + QStyle::sliderPositionFromValue(minimum(), maximum(), frame, geo.iSpan) + geo.iHalf;
}

int CWKSlider::iFrameColumn(int frame) const
{
    return iColumn(geoSlider(), frame);
}

int CWKSlider::iFrameAtColumn(int x) const
{
    const Geometry geo = geoSlider();
    return QStyle::sliderValueFromPosition(minimum(), maximum(), x - geo.iGrooveLeft - geo.iHalf, geo.iSpan);
}

void CWKSlider::sltRangeChanged(int min, int max)
{
    m_iTickStep = 1;
    if (max <= min)
        return;
    const Geometry geo = geoSlider();
    const int pixels = iColumn(geo, max) - iColumn(geo, min);
    if (pixels <= 0)
        return;
    // Ticks at least 4 pixels apart.
    double framesPerPixel = double(max - min) / pixels;
    while (framesPerPixel > 0.25 && m_iTickStep < INT_MAX / 2) {
        m_iTickStep *= 2;
        framesPerPixel /= 2;
    }
}

void CWKSlider::resizeEvent(QResizeEvent* event)
{
    QSlider::resizeEvent(event);
    sltRangeChanged(minimum(), maximum());
}

int CWKSlider::iHitTest(const QPoint& point, int& id, bool& start) const
{
    const Geometry geo = geoSlider();
    auto distance = [&](int frame) { return std::abs(point.x() - iColumn(geo, frame)); };

    struct Candidate {
        int iId;
        int iStart;
        int iEnd;
        bool bActive;
        int iStartMode;
    };
    const Candidate candidates[] = {
        {kiPrimaryRangeId, m_iPrimaryStart, m_iPrimaryEnd, true, DragPrimaryStart},
        {kiSecondaryRangeId, m_iSecondaryStart, m_iSecondaryEnd, m_bSecondaryShown, DragSecondaryStart},
        {0, m_arrRowFirst[0], m_arrRowLast[0], m_arrRowHandles[0], DragRowStart},
        {1, m_arrRowFirst[1], m_arrRowLast[1], m_arrRowHandles[1], DragRowStart},
    };

    const int current = distance(value());
    int best = current;
    for (const Candidate& candidate : candidates) {
        if (candidate.bActive)
            best = std::min({best, distance(candidate.iStart), distance(candidate.iEnd)});
    }
    if (best >= 10)
        return DragNone;
    if (best == current)
        return geo.rctHandle.contains(point) ? DragHandle : DragNone;
    for (const Candidate& candidate : candidates) {
        if (!candidate.bActive)
            continue;
        if (best == distance(candidate.iStart)) {
            id = candidate.iId;
            // Two ends stacked on frame 0: only the end can move, so the end is taken.
            start = !(candidate.iStart == candidate.iEnd && candidate.iStart == 0);
            return start ? candidate.iStartMode : candidate.iStartMode + 1;
        }
        if (best == distance(candidate.iEnd)) {
            id = candidate.iId;
            start = false;
            return candidate.iStartMode + 1;
        }
    }
    return DragNone;
}

int* CWKSlider::pHeldEnd(int id, bool start)
{
    if (id == kiPrimaryRangeId)
        return start ? &m_iPrimaryStart : &m_iPrimaryEnd;
    if (id == kiSecondaryRangeId)
        return start ? &m_iSecondaryStart : &m_iSecondaryEnd;
    if (bRowIndex(id))
        return start ? &m_arrRowFirst[id] : &m_arrRowLast[id];
    return nullptr;
}

void CWKSlider::mousePressEvent(QMouseEvent* event)
{
    // Another button during a left drag belongs to that drag.
    if (m_iDragMode != DragNone && event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QSlider::mousePressEvent(event);
        return;
    }
    int id = 0;
    bool start = false;
    m_iDragMode = iHitTest(event->position().toPoint(), id, start);
    if (m_iDragMode == DragHandle) {
        m_bTrackingBeforeDrag = hasTracking();
        QSlider::mousePressEvent(event);
        return;
    }
    if (m_iDragMode == DragNone) {
        // A click on empty track jumps the current frame.
        setValue(iFrameAtColumn(event->position().toPoint().x()));
        event->accept();
        return;
    }
    m_iDragId = id;
    m_bDragStart = start;
    event->accept();
    emit startDragging(id, start);
    if (const int* held = pHeldEnd(id, start))
        emit valueChanged(id, start, *held);
}

void CWKSlider::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (m_iDragMode == DragNone) {
        int id = 0;
        bool start = false;
        if (iHitTest(point, id, start) != DragNone) {
            setCursor(Qt::SizeHorCursor);
            event->accept();
            return;
        }
        setCursor(Qt::ArrowCursor);
        QSlider::mouseMoveEvent(event);
        return;
    }
    if (m_iDragMode == DragHandle) {
        const int frame = iFrameAtColumn(point.x());
        if (frame == sliderPosition())
            return;
        // A stale queued move still moves the handle, but only the latest one reports a frame.
        const int cursorFrame = iFrameAtColumn(mapFromGlobal(QCursor::pos()).x());
        setTracking(cursorFrame == frame);
        QSlider::mouseMoveEvent(event);
        return;
    }
    event->accept();
    vDragEnd(point.x());
}

void CWKSlider::vDragEnd(int x)
{
    int* held = pHeldEnd(m_iDragId, m_bDragStart);
    int* other = pHeldEnd(m_iDragId, !m_bDragStart);
    if (!held || !other)
        return;
    const bool linked = bRowIndex(m_iDragId) && m_arrRowLinked[m_iDragId];
    const int current = value();
    const int halfWidth = bRowIndex(m_iDragId) ? m_arrRowHalfWidth[m_iDragId] : 0;
    int frame = iFrameAtColumn(x);
    // A linked row mirrors around the current frame, so neither end may cross it.
    if (m_bDragStart) {
        int lower = minimum();
        if (linked && current > halfWidth)
            lower = current - halfWidth;
        int upper = *other;
        if (linked)
            upper = std::min(upper, current);
        frame = std::max(std::min(frame, upper), lower);
    } else {
        int lower = *other;
        if (linked)
            lower = std::max(lower, current);
        const int upper = linked ? current + halfWidth : maximum();
        frame = std::min(std::max(frame, lower), upper);
    }
    if (frame == *held)
        return;
    if (linked)
        *other = std::max(0, 2 * current - frame);
    *held = frame;
    // Every change is reported: the owner must end up with the end the user sees.
    emit valueChanged(m_iDragId, m_bDragStart, frame);
    update();
}

void CWKSlider::mouseReleaseEvent(QMouseEvent* event)
{
    // Another button let go during a left drag does not end the drag.
    if (m_iDragMode != DragNone && event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    switch (m_iDragMode) {
    case DragNone:
        QSlider::mouseReleaseEvent(event);
        break;
    case DragHandle:
        QSlider::mouseReleaseEvent(event);
        setTracking(m_bTrackingBeforeDrag);
        break;
    default:
        event->accept();
        emit endDragging(m_iDragId, m_bDragStart);
        break;
    }
    m_iDragMode = DragNone;
    setCursor(Qt::ArrowCursor);
}

void CWKSlider::leaveEvent(QEvent* event)
{
    setCursor(Qt::ArrowCursor);
    QSlider::leaveEvent(event);
}

void CWKSlider::vPaintMarkRow(QPainter& painter, const Geometry& geo, int row, int height)
{
    const bool enabled = isEnabled();
    const auto& marks = m_arrMarkRows[row];
    qint64 low = std::max(minimum(), 0);
    qint64 high = std::min<qint64>(maximum(), qint64(marks.size()) - 1);
    QColor colour = qcolSliderColour(3, enabled);
    if (row == 0 && enabled && m_bSecondaryShown) {
        low = std::max<qint64>(low, m_iSecondaryStart);
        high = std::min<qint64>(high, m_iSecondaryEnd);
        colour = qcolSliderCompose(qcolSliderColour(4, true).alphaF(), m_arrSecondaryColour1[0],
                                   m_arrSecondaryColour1[1], m_arrSecondaryColour1[2], qcolSliderColour(1, true));
    }
    if (low > high)
        return;
    const int halfStep = (iColumn(geo, minimum() + 1) - iColumn(geo, minimum())) / 2 + 1;
    const int top = row == 0 ? 1 : height - 3;
    const int bottom = row == 0 ? 4 : height;
    for (qint64 i = low; i <= high; ++i) {
        if (!marks[i])
            continue;
        const bool runStart = i == low || !marks[i - 1];
        const bool runEnd = i == high || !marks[i + 1];
        const int x = iColumn(geo, int(i));
        if (runStart)
            vSliderFill(painter, x, top, x + halfStep, bottom, colour);
        else
            vSliderFill(painter, x - halfStep, top, runEnd ? x : x + halfStep, bottom, colour);
    }
}

void CWKSlider::vPaintMarkers(QPainter& painter, const Geometry& geo, int height)
{
    const int min = minimum();
    const int max = maximum();
    const bool fineSteps = qAbs(qint64(min)) * 100 < INT_MAX && qAbs(qint64(max)) * 100 < INT_MAX;
    auto column = [&](double t) {
        int position = 0;
        if (fineSteps)
            position = QStyle::sliderPositionFromValue(100 * min, 100 * max, qRound(100.0 * t), geo.iSpan);
        else if (max > min)
            position = qRound(geo.iSpan * (t - min) / (double(max) - min));
        return geo.iGrooveLeft + position + geo.iHalf;
    };
    const int centreY = (height + 1) / 2;
    auto diamond = [&](int x) {
        const QPointF corners[] = {QPointF(x - 3, centreY), QPointF(x, centreY + 3), QPointF(x + 3, centreY),
                                   QPointF(x, centreY - 3)};
        painter.drawPolygon(corners, 4);
    };
    const QColor colour = qcolSliderColour(8, isEnabled());
    painter.setPen(colour);
    painter.setBrush(colour);
    if (m_bMarkerSourceTimes && !m_vecMarkerTimes.isEmpty()) {
        for (float t : m_vecMarkerTimes) {
            // Keys outside the shown range would pile up at its edges.
            if (t < min || t > max)
                continue;
            diamond(column(t));
        }
        return;
    }
    const qint64 high = std::min<qint64>(max, qint64(m_vecFrameValues.size()) - 1);
    for (qint64 i = std::max(min, 0); i <= high; ++i) {
        if (m_vecFrameValues[i] != 0)
            diamond(column(double(i)));
    }
}

void CWKSlider::paintEvent(QPaintEvent* event)
{
    QSlider::paintEvent(event);

    QPainter painter(this);
    const bool enabled = isEnabled();
    const Geometry geo = geoSlider();
    const int height = this->height() - 1;
    const int min = minimum();
    const int max = maximum();
    auto x = [&](int frame) { return iColumn(geo, frame); };

    const QColor tickColour = qcolSliderColour(0, enabled);
    for (qint64 v = min; v <= max; v += m_iTickStep) {
        int h = 8;
        if (m_bFieldTicks)
            h = (v % 2 == 0) ? 9 : 6;
        vSliderFill(painter, x(int(v)), height - h + 1, x(int(v)), height - 1, tickColour);
    }

    const QColor stripColour = qcolSliderColour(1, enabled);
    vSliderFill(painter, x(min), 1, x(max) - 1, 4, stripColour);
    vSliderFill(painter, x(min), height - 1, x(max) - 1, height, stripColour);

    if (m_bSecondaryShown) {
        const QColor colour = enabled ? qcolSliderCompose(qcolSliderColour(2, true), stripColour) : stripColour;
        const int start = std::clamp(m_iSecondaryStart, min, max);
        const int end = std::clamp(m_iSecondaryEnd, min, max);
        vSliderFill(painter, x(start), 1, x(end) - 1, 4, colour);
        if (start == m_iSecondaryStart)
            vSliderFill(painter, x(start) - 1, 6, x(start), 9, colour);
        if (end == m_iSecondaryEnd)
            vSliderFill(painter, x(end) - 1, 6, x(end), 9, colour);
    }

    vPaintMarkRow(painter, geo, 0, height);
    vPaintMarkRow(painter, geo, 1, height);

    const int handleCentre = geo.rctHandle.center().x();
    if (enabled) {
        const QColor colour = qcolSliderColour(5, true);
        painter.setPen(colour);
        for (int row = 0; row < 2; ++row) {
            if (!m_arrRowHandles[row])
                continue;
            // Row 1 lies along the bottom edge, so its handles and bracket point upwards.
            const int top = row == 0 ? 0 : height - 3;
            vSliderFill(painter, x(m_arrRowFirst[row]) - 1, top, x(m_arrRowFirst[row]), top + 3, colour);
            vSliderFill(painter, x(m_arrRowLast[row]) - 1, top, x(m_arrRowLast[row]), top + 3, colour);
            const int mid = x(m_arrRowFirst[row]) + (x(m_arrRowLast[row]) - x(m_arrRowFirst[row])) / 2;
            const int y0 = row == 0 ? 6 : height - 6;
            const int y1 = row == 0 ? y0 + 5 : y0 - 5;
            painter.drawLine(mid, y0, mid, y1);
            painter.drawLine(mid, y1, handleCentre, y1);
        }
    }

    const QColor primaryColour = qcolSliderColour(6, enabled);
    if (m_iPrimaryStart >= min && m_iPrimaryStart <= max) {
        const int px = x(m_iPrimaryStart);
        vSliderFill(painter, px, 1, px, height - 1, primaryColour);
        vSliderFill(painter, px, 1, px + 4, 4, primaryColour);
        vSliderFill(painter, px, height - 1, px + 3, height - 1, primaryColour);
    }
    if (m_iPrimaryEnd >= min && m_iPrimaryEnd <= max) {
        const int px = x(m_iPrimaryEnd);
        vSliderFill(painter, px, 1, px, height - 1, primaryColour);
        vSliderFill(painter, px - 5, 1, px - 1, 4, primaryColour);
        vSliderFill(painter, px - 4, height - 1, px - 1, height - 1, primaryColour);
    }

    const QColor currentColour = qcolSliderColour(7, enabled);
    const QPainter::RenderHints hints = painter.renderHints();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(currentColour);
    painter.setBrush(currentColour);
    const double c = handleCentre;
    const QPointF trapezoid[] = {QPointF(c - 3.5, 1), QPointF(c + 6.5, 1), QPointF(c + 2.5, 5), QPointF(c + 0.5, 5)};
    painter.drawPolygon(trapezoid, 4);
    painter.setRenderHints(hints, true);
    painter.setRenderHints(~hints, false);
    vSliderFill(painter, handleCentre + 1, 1, handleCentre + 1, height - 1, currentColour);

    painter.setRenderHint(QPainter::Antialiasing, true);
    vPaintMarkers(painter, geo, height);
}
