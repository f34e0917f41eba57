// Tool-bar, transport, panel and curve-editor icons.
#include "paint.h"

#include <QtMath>

#include <cmath>

namespace {

const QString R = "Resources";
const QString I = "images";

// Draws g mirrored left-right inside a square of the given size.
Glyph mirrored(const Glyph &g, int size)
{
    return [=](QPainter &p, const Scheme &s) {
        p.save();
        p.translate(size, 0);
        p.scale(-1, 1);
        g(p, s);
        p.restore();
    };
}

void triRight(QPainter &p, qreal x0, qreal y0, qreal x1, qreal y1, const QColor &c)
{
    fillPoly(p, poly({{x0, y0}, {x1, (y0 + y1) / 2}, {x0, y1}}), c);
}

void triLeft(QPainter &p, qreal x0, qreal y0, qreal x1, qreal y1, const QColor &c)
{
    fillPoly(p, poly({{x1, y0}, {x0, (y0 + y1) / 2}, {x1, y1}}), c);
}

void bar(QPainter &p, qreal x, qreal y0, qreal y1, qreal w, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRect(QRectF(x, y0, w, y1 - y0));
}

// Red dot that marks the render buttons.
void renderMark(QPainter &p, const Scheme &s, QPointF c = {18, 18})
{
    cutCircle(p, c, 5.2);
    p.setPen(Qt::NoPen);
    p.setBrush(s.red);
    p.drawEllipse(c, 3.8, 3.8);
}

// Small tracked plane that marks the track buttons.
void trackMark(QPainter &p, const Scheme &s)
{
    const QPolygonF q = poly({{13.5, 14.5}, {21.5, 13.0}, {22.0, 21.5}, {12.5, 21.0}});
    {
        Cut cut(p);
        p.setPen(pen(Qt::black, 4.5));
        p.setBrush(Qt::black);
        p.drawPolygon(q);
    }
    trackQuad(p, q, s.accent, s.fg, 1.3, 1.5);
}

// Film frame outline used by the "this frame" buttons.
void frameBox(QPainter &p, QRectF r, const QColor &c)
{
    p.setPen(pen(c, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    for (qreal x = r.left() + 2.5; x < r.right() - 1.5; x += 3.5) {
        p.drawRect(QRectF(x, r.top() + 1.8, 1.6, 1.4));
        p.drawRect(QRectF(x, r.bottom() - 3.2, 1.6, 1.4));
    }
}

void undoArrow(QPainter &p, QPointF c, qreal r, qreal w, const QColor &col, qreal head)
{
    arcArrow(p, c, r, -30, 205, w, col, head, head * 0.85);
}

QPainterPath blob(QPointF c, qreal rx, qreal ry)
{
    QPainterPath path;
    path.moveTo(c + QPointF(-rx, 0));
    path.cubicTo(c + QPointF(-rx, -ry * 1.1), c + QPointF(rx * 0.2, -ry * 1.3), c + QPointF(rx, -ry * 0.4));
    path.cubicTo(c + QPointF(rx * 1.3, ry * 0.4), c + QPointF(rx * 0.4, ry * 1.2), c + QPointF(-rx * 0.3, ry));
    path.cubicTo(c + QPointF(-rx * 0.9, ry * 0.9), c + QPointF(-rx, ry * 0.5), c + QPointF(-rx, 0));
    return path;
}

void dot(QPainter &p, QPointF c, qreal r, const QColor &col)
{
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawEllipse(c, r, r);
}

void square(QPainter &p, QPointF c, qreal r, const QColor &col)
{
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r));
}

void monitor(QPainter &p, QRectF r, const QColor &c)
{
    p.setPen(pen(c, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setPen(pen(c, 1.6));
    const qreal cx = r.center().x();
    p.drawLine(QPointF(cx, r.bottom() + 0.8), QPointF(cx, r.bottom() + 2.8));
    p.drawLine(QPointF(cx - 4, r.bottom() + 3.2), QPointF(cx + 4, r.bottom() + 3.2));
}

void stackedSheets(QPainter &p, const Scheme &s, int n, qreal top, qreal step)
{
    for (int i = n - 1; i >= 0; --i) {
        const QPointF c(12, top + i * step);
        if (i < n - 1) {
            Cut cut(p);
            p.setPen(pen(Qt::black, 3.2));
            p.setBrush(Qt::black);
            const qreal w = 19, h = 9;
            p.drawPolygon(poly({c + QPointF(0, -h / 2), c + QPointF(w / 2, 0), c + QPointF(0, h / 2), c + QPointF(-w / 2, 0)}));
        }
        sheet(p, c, 19, 9, i == 0 ? s.fg : s.fg2);
    }
}

// Two nested contours of a feathered shape, with points on either.
void pointMode(QPainter &p, const Scheme &s, bool inner, bool edge, bool hollow)
{
    const QPointF c(12, 12);
    p.setPen(pen(s.fg2, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 9.5, 8.0);
    p.drawEllipse(c, 4.5, 3.8);
    auto mark = [&](QPointF pt, bool on, qreal r) {
        if (hollow) {
            p.setPen(pen(s.fg, 1.1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(pt.x() - r, pt.y() - r, 2 * r, 2 * r));
        } else if (on) {
            square(p, pt, r, s.accent);
        }
    };
    for (int i = 0; i < 4; ++i) {
        const qreal a = qDegreesToRadians(45.0 + 90 * i);
        mark(c + QPointF(9.5 * std::cos(a), 8.0 * std::sin(a)), edge, 2.1);
    }
    for (const QPointF &d : {QPointF(-4.5, 0), QPointF(4.5, 0)})
        mark(c + d, inner, 1.8);
}

// Curve with points that the spline tools draw, ending at the pen tip.
void xsplineCurve(QPainter &p, const Scheme &s, QPointF shift)
{
    QPainterPath c;
    c.moveTo(QPointF(2.5, 19.5) + shift);
    c.cubicTo(QPointF(4.5, 11) + shift, QPointF(9, 21) + shift, QPointF(12.5, 12.5) + shift);
    strokePath(p, c, s.fg2, 1.5);
    dot(p, QPointF(2.5, 19.5) + shift, 1.9, s.accent);
    dot(p, c.pointAtPercent(0.52), 1.9, s.accent);
}

void bezierCurve(QPainter &p, const Scheme &s, QPointF shift)
{
    QPainterPath c;
    c.moveTo(QPointF(2.5, 21) + shift);
    c.quadTo(QPointF(4, 12) + shift, QPointF(12.5, 12.5) + shift);
    strokePath(p, c, s.fg2, 1.5);
    const QPointF a = QPointF(4.2, 15.2) + shift;
    p.setPen(pen(s.accent, 1.0));
    p.drawLine(a + QPointF(-2.2, 4.0), a + QPointF(2.2, -4.0));
    square(p, a, 1.7, s.fg);
    dot(p, a + QPointF(-2.2, 4.0), 1.5, s.accent);
    dot(p, a + QPointF(2.2, -4.0), 1.5, s.accent);
}

void layerUnder(QPainter &p, const Scheme &s)
{
    QColor c = s.fg2;
    c.setAlphaF(0.55);
    fillPoly(p, poly({{1.5, 17.5}, {10, 13.5}, {18.5, 17.5}, {10, 21.5}}), c);
}

void pencilOn(QPainter &p, const Scheme &s, QPointF tip)
{
    {
        Cut cut(p);
        p.setPen(QPen(Qt::black, 4.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(tip + QPointF(1.2, -1.2), tip + QPointF(10, -10));
    }
    penNib(p, tip, 1.02, s.fg);
}

void hollowSquareBadge(QPainter &p, const Scheme &s, QPointF c)
{
    cutCircle(p, c, 5);
    p.setPen(pen(s.fg, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(c.x() - 3, c.y() - 3, 6, 6));
}

// Perspective grid, the tracked surface.
void surfaceGrid(QPainter &p, const QPolygonF &q, int n, const QColor &line, qreal w)
{
    auto lerp = [](QPointF a, QPointF b, qreal t) { return a + (b - a) * t; };
    p.setPen(pen(line, w * 0.7));
    for (int i = 1; i < n; ++i) {
        const qreal t = qreal(i) / n;
        p.drawLine(lerp(q[0], q[1], t), lerp(q[3], q[2], t));
        p.drawLine(lerp(q[0], q[3], t), lerp(q[1], q[2], t));
    }
    p.setPen(pen(line, w));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(q);
}

void corner(QPainter &p, const Scheme &s, int which)
{
    const QPolygonF q = poly({{3.5, 3.5}, {12.8, 2.8}, {13.4, 13.2}, {2.6, 12.6}});
    p.setPen(pen(s.fg2, 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(q);
    for (int i = 0; i < 4; ++i)
        if (i != which)
            dot(p, q[i], 1.2, s.fg2);
    dot(p, q[which], 2.9, s.fg);
    dot(p, q[which], 2.0, s.accent);
}

} // namespace

void addIcons(Registry &r)
{
    // --- transport -----------------------------------------------------------
    const Glyph playFwd = [](QPainter &p, const Scheme &s) { triRight(p, 7, 4.5, 19.5, 19.5, s.fg); };
    r.icon(R, "Play_Forwards", 24, playFwd, "A");
    r.icon(R, "Play_Backwards", 24, mirrored(playFwd, 24), "A");
    r.icon(R, "Play_Stop", 24, [](QPainter &p, const Scheme &s) {
        p.setPen(Qt::NoPen);
        p.setBrush(s.fg);
        p.drawRoundedRect(QRectF(6, 6, 12, 12), 1.5, 1.5);
    }, "D");

    const Glyph gotoStart = [](QPainter &p, const Scheme &s) {
        bar(p, 3.5, 6, 18, 2.2, s.fg);
        triLeft(p, 6, 6, 13, 18, s.fg);
        triLeft(p, 13, 6, 20.5, 18, s.fg);
    };
    r.icon(R, "Goto_Start", 24, gotoStart, "A");
    r.icon(R, "Goto_End", 24, mirrored(gotoStart, 24), "A");
    const Glyph gotoPrev = [](QPainter &p, const Scheme &s) {
        triLeft(p, 5, 5.5, 15, 18.5, s.fg);
        bar(p, 16.5, 5.5, 18.5, 2.4, s.fg);
    };
    r.icon(R, "Goto_Previous", 24, gotoPrev, "A");
    const Glyph gotoNext = [](QPainter &p, const Scheme &s) {
        bar(p, 5.1, 5.5, 18.5, 2.4, s.fg);
        triRight(p, 9, 5.5, 19, 18.5, s.fg);
    };
    r.icon(R, "Goto_Next", 24, gotoNext, "A");
    const Glyph gotoPrevKey = [](QPainter &p, const Scheme &s) {
        triLeft(p, 2.5, 6, 11, 18, s.fg);
        diamond(p, {17, 12}, 6, s.red);
    };
    r.icon(R, "Goto_PreviousKeyframe", 24, gotoPrevKey, "A");
    const Glyph gotoNextKey = [](QPainter &p, const Scheme &s) {
        diamond(p, {7, 12}, 6, s.red);
        triRight(p, 13, 6, 21.5, 18, s.fg);
    };
    r.icon(R, "Goto_NextKeyframe", 24, gotoNextKey, "A");

    r.icon(R, "Play_Loop", 24, [](QPainter &p, const Scheme &s) {
        QPainterPath path;
        path.moveTo(10, 6.5);
        path.lineTo(8, 6.5);
        path.arcTo(QRectF(2.5, 6.5, 11, 11), 90, 180);
        path.lineTo(16, 17.5);
        path.arcTo(QRectF(10.5, 6.5, 11, 11), -90, 180);
        path.lineTo(16.5, 6.5);
        p.setPen(QPen(s.fg, 2, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        arrowHead(p, {11.5, 6.5}, {-1, 0}, 5, 4, s.fg);
    });
    r.icon(R, "Play_PingPong", 24, [](QPainter &p, const Scheme &s) {
        arrowLine(p, {3, 8.5}, {21, 8.5}, 2, s.fg, 6, 4);
        arrowLine(p, {21, 15.5}, {3, 15.5}, 2, s.fg, 6, 4);
    }, "A");
    r.icon(R, "Play_UniDirection", 24, [](QPainter &p, const Scheme &s) {
        bar(p, 3, 6, 18, 2, s.fg);
        arrowLine(p, {6.5, 12}, {21, 12}, 2.2, s.fg, 7, 5);
    }, "A");

    // Render: transport arrows with a red output dot.
    r.icon(R, "Render_Forwards", 24, [](QPainter &p, const Scheme &s) {
        triRight(p, 4, 3, 16, 16, s.fg);
        renderMark(p, s);
    });
    r.icon(R, "Render_Backwards", 24, [](QPainter &p, const Scheme &s) {
        triLeft(p, 4, 3, 16, 16, s.fg);
        renderMark(p, s);
    });
    r.icon(R, "Render_Next", 24, [](QPainter &p, const Scheme &s) {
        bar(p, 3, 3, 16, 2.2, s.fg);
        triRight(p, 6.5, 3, 15, 16, s.fg);
        renderMark(p, s);
    });
    r.icon(R, "Render_Previous", 24, [](QPainter &p, const Scheme &s) {
        triLeft(p, 3, 3, 11.5, 16, s.fg);
        bar(p, 13, 3, 16, 2.2, s.fg);
        renderMark(p, s);
    });
    r.icon(R, "Render_This", 24, [](QPainter &p, const Scheme &s) {
        frameBox(p, QRectF(2.75, 4.75, 18.5, 14.5), s.fg);
        dot(p, {12, 12}, 3.6, s.red);
    }, "A");

    // Track: transport arrows with a small tracked plane.
    r.icon(R, "Track_Forwards", 24, [](QPainter &p, const Scheme &s) {
        triRight(p, 3, 3, 15, 16, s.fg);
        trackMark(p, s);
    }, "A");
    r.icon(R, "Track_Backwards", 24, [](QPainter &p, const Scheme &s) {
        triLeft(p, 3, 3, 15, 16, s.fg);
        trackMark(p, s);
    }, "A");
    r.icon(R, "Track_Next", 24, [](QPainter &p, const Scheme &s) {
        bar(p, 3, 3, 16, 2.2, s.fg);
        triRight(p, 6.5, 3, 15, 16, s.fg);
        trackMark(p, s);
    }, "A");
    r.icon(R, "Track_Previous", 24, [](QPainter &p, const Scheme &s) {
        triLeft(p, 3, 3, 11.5, 16, s.fg);
        bar(p, 13, 3, 16, 2.2, s.fg);
        trackMark(p, s);
    }, "A");
    r.icon(R, "Track_This", 24, [](QPainter &p, const Scheme &s) {
        frameBox(p, QRectF(2.75, 4.75, 18.5, 14.5), s.fg);
        trackQuad(p, poly({{8, 9}, {16.5, 8.2}, {17, 15.5}, {7.2, 15}}), s.accent, s.fg, 1.3, 1.4);
    }, "A");

    // --- in/out points and timeline zoom ---------------------------------------
    const Glyph setIn = [](QPainter &p, const Scheme &s) {
        p.setPen(QPen(s.warm, 2.4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(poly({{19.5, 4.5}, {15, 4.5}, {15, 19.5}, {19.5, 19.5}}));
        arrowLine(p, {2.5, 12}, {12.5, 12}, 2, s.fg, 5.5, 4);
    };
    r.icon(R, "SetInPoint", 24, setIn, "A");
    r.icon(R, "SetOutPoint", 24, mirrored(setIn, 24), "A");
    const Glyph resetIn = [](QPainter &p, const Scheme &s) {
        p.setPen(QPen(s.warm, 2.4, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(poly({{8, 4.5}, {3.5, 4.5}, {3.5, 19.5}, {8, 19.5}}));
        arcArrow(p, {15.5, 12.5}, 5.2, 60, 280, 1.8, s.fg, 4.5, 3.5);
    };
    r.icon(R, "ResetInPoint", 24, resetIn, "A");
    r.icon(R, "ResetOutPoint", 24, mirrored(resetIn, 24), "A");
    r.icon(R, "ZoomToFullRange", 24, [](QPainter &p, const Scheme &s) {
        p.setPen(pen(s.fg2, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2.5, 15.5, 19, 5));
        p.setPen(pen(s.fg, 1.6));
        p.drawLine(QPointF(2.5, 5), QPointF(2.5, 13));
        p.drawLine(QPointF(21.5, 5), QPointF(21.5, 13));
        arrowLine(p, {4, 9}, {20, 9}, 1.8, s.fg, 4.5, 3.5, true);
    }, "A");
    r.icon(R, "ZoomToInOutPoints", 24, [](QPainter &p, const Scheme &s) {
        p.setPen(pen(s.fg2, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(1.5, 18.5), QPointF(22.5, 18.5));
        p.setPen(QPen(s.warm, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawPolyline(poly({{8, 4}, {5, 4}, {5, 21}, {8, 21}}));
        p.drawPolyline(poly({{16, 4}, {19, 4}, {19, 21}, {16, 21}}));
        arrowLine(p, {7, 11}, {17, 11}, 1.7, s.fg, 4, 3.2, true);
    }, "A");
    r.icon(R, "ZoomWindow", 24, [](QPainter &p, const Scheme &s) {
        QPen d = pen(s.fg2, 1.3);
        d.setDashPattern({2, 1.6});
        d.setCapStyle(Qt::FlatCap);
        p.setPen(d);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2.5, 3.5, 14, 11));
        magnifier(p, {13.5, 13.5}, 4.5, 1.8, 6, 3, s.fg);
    }, "A");

    // --- keyframes -----------------------------------------------------------------
    r.icon(R, "AddKeyframe", 24, [](QPainter &p, const Scheme &s) {
        diamond(p, {10.5, 11}, 8.5, s.red);
        badgePlus(p, {18, 18}, 3.8, 2.0, s.fg);
    }, "AD");
    r.icon(R, "RemoveKeyframe", 24, [](QPainter &p, const Scheme &s) {
        diamond(p, {10.5, 11}, 8.5, s.red);
        badgeMinus(p, {18, 18}, 3.8, 2.2, s.fg);
    }, "AD");
    r.icon(R, "RemoveAllKeyframes", 24, [](QPainter &p, const Scheme &s) {
        diamond(p, {5, 9}, 4, s.red);
        diamond(p, {12, 9}, 4, s.red);
        diamond(p, {19, 9}, 4, s.red);
        badgeCross(p, {17, 18}, 3.2, 2.0, s.fg);
    }, "AD");
    r.icon(R, "AutoKeyframe", 24, [](QPainter &p, const Scheme &s) {
        diamond(p, {9.5, 10}, 7.5, s.red);
        cutCircle(p, {17.5, 17}, 6.2);
        textCentered(p, "A", {17.5, 17}, 11, s.fg);
    }, "A");
    r.icon(R, "Uber", 24, [](QPainter &p, const Scheme &s) {
        p.setPen(pen(s.fg2, 1.3));
        for (qreal x : {4.5, 12.0, 19.5})
            p.drawLine(QPointF(12, 8), QPointF(x, 18));
        diamond(p, {12, 7}, 5.5, s.red);
        for (qreal x : {4.5, 12.0, 19.5})
            diamond(p, {x, 18.5}, 3.5, s.warm);
    }, "A");

    // --- undo --------------------------------------------------------------------------
    const Glyph undo = [](QPainter &p, const Scheme &s) { undoArrow(p, {12.5, 13.5}, 7.5, 2.3, s.fg, 6.5); };
    r.icon(R, "Undo", 24, undo, "AD");
    r.icon(R, "Redo", 24, mirrored(undo, 24), "AD");
    r.icon(R, "UndoAll", 24, [](QPainter &p, const Scheme &s) {
        undoArrow(p, {12.5, 10}, 5.5, 1.9, s.fg, 5);
        p.setPen(pen(s.warm, 1.2));
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 3; ++i)
            p.drawRect(QRectF(2.6 + i * 6.7, 16.6, 5.4, 4.8));
    });
    r.icon(R, "UndoThis", 24, [](QPainter &p, const Scheme &s) {
        undoArrow(p, {12.5, 10}, 5.5, 1.9, s.fg, 5);
        p.setPen(pen(s.warm, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(8.7, 15.7, 6.6, 5.8));
    });

    // --- tools -----------------------------------------------------------------------------
    r.icon(R, "ToolPointer", 24, [](QPainter &p, const Scheme &s) { pointer(p, {7, 3}, 1.08, s.fg); }, "A");
    r.icon(R, "ToolPointerInsert", 24, [](QPainter &p, const Scheme &s) {
        pointer(p, {5, 2.5}, 1.08, s.fg);
        badgePlus(p, {17.5, 17.5}, 3.8, 2.0, s.accent);
    }, "AD");
    r.icon(R, "ToolHand", 24, [](QPainter &p, const Scheme &s) { hand(p, QRectF(2, 2, 20, 20), s.fg); }, "A");
    r.icon(R, "ToolZoom", 24, [](QPainter &p, const Scheme &s) {
        magnifier(p, {10, 10}, 6.5, 2, 7.5, 3.4, s.fg);
        p.setPen(QPen(s.fg, 1.6, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(7, 10), QPointF(13, 10));
        p.drawLine(QPointF(10, 7), QPointF(10, 13));
    }, "A");
    r.icon(R, "ToolRotate", 24, [](QPainter &p, const Scheme &s) {
        arcArrow(p, {12, 12}, 8, 110, -300, 2.2, s.fg, 6, 4.3);
        dot(p, {12, 12}, 2, s.accent);
    }, "A");
    r.icon(R, "ToolScale", 24, [](QPainter &p, const Scheme &s) {
        QPen d = pen(s.fg2, 1.3);
        d.setDashPattern({2, 1.5});
        d.setCapStyle(Qt::FlatCap);
        p.setPen(d);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3.5, 3.5, 17, 17));
        p.setPen(Qt::NoPen);
        p.setBrush(s.fg);
        p.drawRect(QRectF(3, 13, 8, 8));
        arrowLine(p, {11.5, 12.5}, {20, 4}, 1.9, s.fg, 5.5, 3.8);
    }, "A");
    r.icon(R, "ToolTranslate", 24, [](QPainter &p, const Scheme &s) { fourWay(p, {12, 12}, 10, 2, 5.5, s.fg); }, "A");
    r.icon(R, "ToolAddXSpline", 24, [](QPainter &p, const Scheme &s) {
        xsplineCurve(p, s, {-0.5, 1});
        pencilOn(p, s, {12, 13.5});
    }, "A");
    r.icon(R, "ToolAddBezierSpline", 24, [](QPainter &p, const Scheme &s) {
        bezierCurve(p, s, {-0.5, 1});
        pencilOn(p, s, {12, 13.5});
    }, "A");
    r.icon(R, "ToolAddXSplineLayer", 24, [](QPainter &p, const Scheme &s) {
        layerUnder(p, s);
        xsplineCurve(p, s, {-0.5, -1});
        pencilOn(p, s, {12, 11.5});
    }, "A");
    r.icon(R, "ToolAddBezierLayer", 24, [](QPainter &p, const Scheme &s) {
        layerUnder(p, s);
        bezierCurve(p, s, {-0.5, -1});
        pencilOn(p, s, {12, 11.5});
    }, "A");
    r.icon(R, "ToolConstraint", 24, [](QPainter &p, const Scheme &s) {
        spring(p, {4.5, 19.5}, {19.5, 4.5}, 4, 2.8, 1.5, s.fg);
        dot(p, {4.5, 19.5}, 2.8, s.accent);
        dot(p, {19.5, 4.5}, 2.8, s.accent);
    }, "A");
    r.icon(R, "ToolPointModeBoth", 24, [](QPainter &p, const Scheme &s) { pointMode(p, s, true, true, false); }, "A");
    r.icon(R, "ToolPointModeInner", 24, [](QPainter &p, const Scheme &s) { pointMode(p, s, true, false, false); }, "A");
    r.icon(R, "ToolPointModeEdge", 24, [](QPainter &p, const Scheme &s) { pointMode(p, s, false, true, false); }, "A");
    r.icon(R, "ToolPointModeAny", 24, [](QPainter &p, const Scheme &s) { pointMode(p, s, true, true, true); });

    r.icon(R, "Tangents_Splines", 24, [](QPainter &p, const Scheme &s) {
        QPainterPath c;
        c.moveTo(2, 20);
        c.quadTo(12, 0, 22, 20);
        strokePath(p, c, s.fg2, 1.5);
        p.setPen(pen(s.accent, 1.2));
        p.drawLine(QPointF(4, 10), QPointF(20, 10));
        dot(p, {4, 10}, 2.1, s.accent);
        dot(p, {20, 10}, 2.1, s.accent);
        square(p, {12, 10}, 2.4, s.fg);
    }, "A");
    r.icon(R, "TangentsLocked", 24, [](QPainter &p, const Scheme &s) {
        p.setPen(pen(s.accent, 1.2));
        p.drawLine(QPointF(3.5, 6.5), QPointF(20.5, 6.5));
        dot(p, {3.5, 6.5}, 2.1, s.accent);
        dot(p, {20.5, 6.5}, 2.1, s.accent);
        square(p, {12, 6.5}, 2.4, s.fg);
        padlock(p, QRectF(7.5, 14.5, 9, 7), true, s.warm, 1.7);
    }, "A");

    // --- locks -----------------------------------------------------------------------------
    const auto twoLocks = [](bool closed) {
        return [closed](QPainter &p, const Scheme &s) {
            padlock(p, QRectF(2.5, 8.5, 10, 8), closed, s.fg2, 1.8);
            {
                Cut cut(p);
                p.setPen(Qt::NoPen);
                p.setBrush(Qt::black);
                p.drawRoundedRect(QRectF(8.5, 11, 14, 12), 2, 2);
            }
            padlock(p, QRectF(10, 13, 11, 8.5), closed, s.fg, 2);
        };
    };
    r.icon(R, "LockAll", 24, twoLocks(true), "AD");
    r.icon(R, "UnlockAll", 24, twoLocks(false), "AD");
    r.icon(R, "LockUnselected", 24, [](QPainter &p, const Scheme &s) {
        padlock(p, QRectF(3, 10, 12, 10), true, s.fg, 2.1);
        hollowSquareBadge(p, s, {18.5, 17.5});
    }, "AD");
    r.icon(R, "UnlockUnselected", 24, [](QPainter &p, const Scheme &s) {
        padlock(p, QRectF(3, 10, 12, 10), false, s.fg, 2.1);
        hollowSquareBadge(p, s, {18.5, 17.5});
    }, "AD");

    // --- layers and shapes -----------------------------------------------------------------
    r.icon(R, "Layers", 24, [](QPainter &p, const Scheme &s) { stackedSheets(p, s, 3, 6.5, 5.5); }, "A");
    r.icon(R, "DeleteLayer", 24, [](QPainter &p, const Scheme &s) {
        sheet(p, {11, 11}, 20, 10, s.fg);
        badgeCross(p, {18, 17.5}, 3.3, 2.2, s.red);
    }, "AD");
    r.icon(R, "DuplicateLayer", 24, [](QPainter &p, const Scheme &s) {
        stackedSheets(p, s, 2, 7, 6);
        badgePlus(p, {18.5, 18}, 3.6, 2.0, s.accent);
    }, "AD");
    r.icon(R, "DeleteSpline", 24, [](QPainter &p, const Scheme &s) {
        QPainterPath c;
        c.moveTo(2.5, 16);
        c.cubicTo(5, 2, 14, 4, 19, 9);
        strokePath(p, c, s.fg, 1.8);
        square(p, {2.5, 16}, 2, s.accent);
        square(p, c.pointAtPercent(0.5), 2, s.accent);
        square(p, {19, 9}, 2, s.accent);
        badgeCross(p, {16.5, 18}, 3.3, 2.2, s.red);
    }, "AD");
    r.icon(R, "MenuFinishClosedContour", 16, [](QPainter &p, const Scheme &s) {
        const QPainterPath c = blob({8, 8}, 6.2, 5.8);
        strokePath(p, c, s.fg, 1.4);
        for (qreal t : {0.0, 0.33, 0.66})
            square(p, c.pointAtPercent(t), 1.5, s.accent);
    });
    r.icon(R, "MenuFinishOpenContour", 16, [](QPainter &p, const Scheme &s) {
        QPainterPath c;
        c.moveTo(2, 13);
        c.cubicTo(3, 2, 11, 14, 14, 3);
        strokePath(p, c, s.fg, 1.4);
        square(p, {2, 13}, 1.5, s.accent);
        square(p, c.pointAtPercent(0.5), 1.5, s.accent);
        square(p, {14, 3}, 1.5, s.accent);
    });

    // --- files -----------------------------------------------------------------------------
    r.icon(R, "FileNew", 24, [](QPainter &p, const Scheme &s) {
        QPainterPath page;
        page.moveTo(4.5, 2.5);
        page.lineTo(13.5, 2.5);
        page.lineTo(19.5, 8.5);
        page.lineTo(19.5, 21.5);
        page.lineTo(4.5, 21.5);
        page.closeSubpath();
        p.setPen(pen(s.fg, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawPath(page);
        p.drawPolyline(poly({{13.5, 2.5}, {13.5, 8.5}, {19.5, 8.5}}));
        // Sparkle says "new".
        badgePlus(p, {17.5, 17.5}, 3.6, 2.0, s.warm);
    }, "A");
    r.icon(R, "FileOpen", 24, [](QPainter &p, const Scheme &s) {
        QColor back = s.warm.darker(135);
        fillPoly(p, poly({{2, 5}, {9, 5}, {11, 7.5}, {20, 7.5}, {20, 19.5}, {2, 19.5}}), back);
        fillPoly(p, poly({{6, 11}, {23, 11}, {19.5, 19.5}, {2, 19.5}}), s.warm);
    }, "A");
    r.icon(R, "FileSave", 24, [](QPainter &p, const Scheme &s) {
        QPainterPath body;
        body.moveTo(3, 3);
        body.lineTo(18, 3);
        body.lineTo(21, 6);
        body.lineTo(21, 21);
        body.lineTo(3, 21);
        body.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(s.accent);
        p.drawPath(body);
        p.setBrush(s.fg);
        p.drawRect(QRectF(7, 3, 9, 6));
        p.drawRect(QRectF(6, 13, 12, 8));
        Cut cut(p);
        p.setBrush(Qt::black);
        p.drawRect(QRectF(12.5, 4, 2, 4));
    }, "AD");

    // --- view and panels ----------------------------------------------------------------
    r.icon(R, "Colorize", 24, [](QPainter &p, const Scheme &s) {
        QPainterPath drop;
        drop.moveTo(12, 2.5);
        drop.cubicTo(14, 7, 19, 10, 19, 14.5);
        drop.arcTo(QRectF(5, 7.5, 14, 14), 0, -180);
        drop.cubicTo(5, 10, 10, 7, 12, 2.5);
        QLinearGradient g(5, 8, 19, 21);
        g.setColorAt(0, s.red);
        g.setColorAt(0.5, s.warm);
        g.setColorAt(1, s.accent);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(drop);
        // Highlight so it reads as a liquid drop.
        p.setPen(pen(QColor(255, 255, 255, 200), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(8, 11, 7.5, 7.5), 180 * 16, 70 * 16);
    }, "AD");
    r.icon(R, "Surface", 24, [](QPainter &p, const Scheme &s) {
        const QPolygonF q = poly({{6.5, 5}, {18.5, 3.5}, {22, 19.5}, {2, 20.5}});
        surfaceGrid(p, q, 3, s.accent, 1.5);
        for (const QPointF &pt : q)
            dot(p, pt, 1.8, s.fg);
    }, "A");
    r.icon(R, "Grid", 24, [](QPainter &p, const Scheme &s) {
        p.setPen(pen(s.fg, 1.0));
        for (qreal v : {9.5, 14.5}) {
            p.drawLine(QPointF(v, 4.5), QPointF(v, 19.5));
            p.drawLine(QPointF(4.5, v), QPointF(19.5, v));
        }
        p.setPen(QPen(s.fg, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3.75, 3.75, 16.5, 16.5));
    }, "A");
    const auto layout = [](bool current) {
        return [current](QPainter &p, const Scheme &s) {
            if (current) {
                p.setPen(Qt::NoPen);
                p.setBrush(s.accent);
                p.drawRect(QRectF(3.5, 7.5, 7, 12.5));
            }
            p.setPen(QPen(s.fg, 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(2.75, 3.75, 18.5, 17));
            p.setPen(QPen(s.fg, 1.2));
            p.drawLine(QPointF(2.75, 7), QPointF(21.25, 7));
            p.drawLine(QPointF(11, 7), QPointF(11, 20.5));
            p.drawLine(QPointF(11, 13.8), QPointF(21, 13.8));
        };
    };
    r.icon(R, "Layout", 24, layout(false));
    r.icon(R, "CurrentLayout", 24, layout(true));
    r.icon(R, "View_Brightness", 24, [](QPainter &p, const Scheme &s) {
        dot(p, {12, 12}, 4.5, s.warm);
        p.setPen(QPen(s.fg, 1.8, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 8; ++i) {
            const qreal a = i * 45;
            p.drawLine(onArc({12, 12}, 7, a), onArc({12, 12}, 9.8, a));
        }
    }, "A");
    r.icon(R, "ViewerPreferences", 24, [](QPainter &p, const Scheme &s) {
        monitor(p, QRectF(2.25, 3.25, 17, 12), s.fg);
        cutCircle(p, {17.5, 16.5}, 6.8);
        gear(p, {17.5, 16.5}, 5.4, 3.9, 7, 1.7, s.warm);
    });
    r.icon(R, "Preview", 24, [](QPainter &p, const Scheme &s) {
        monitor(p, QRectF(2.25, 3.25, 19.5, 14), s.fg);
        eye(p, QRectF(6, 7.2, 12, 6), true, s.fg, s.accent, 1.3);
    });
    r.icon(R, "Process_Stop", 24, [](QPainter &p, const Scheme &s) {
        QPolygonF oct;
        for (int i = 0; i < 8; ++i)
            oct << onArc({12, 12}, 10, 22.5 + 45 * i);
        fillPoly(p, oct, s.red);
        p.setPen(pen(QColor(255, 255, 255, 235), 1.0));
        p.setBrush(Qt::NoBrush);
        QPolygonF in;
        for (int i = 0; i < 8; ++i)
            in << onArc({12, 12}, 8.6, 22.5 + 45 * i);
        p.drawPolygon(in);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255));
        p.drawRect(QRectF(6.5, 10.5, 11, 3));
    });
    r.icon(R, "alpha", 24, [](QPainter &p, const Scheme &s) {
        const QRectF box(3, 3, 18, 18);
        p.setPen(Qt::NoPen);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                p.setBrush((x + y) % 2 ? s.fg2.darker(150) : s.fg);
                p.drawRect(QRectF(box.left() + x * 4.5, box.top() + y * 4.5, 4.5, 4.5));
            }
        const QPainterPath a = textPath(QStringLiteral("A"), {12, 12.5}, 16);
        p.setPen(pen(QColor(30, 30, 30), 2.4));
        p.setBrush(Qt::NoBrush);
        p.drawPath(a);
        p.fillPath(a, s.accent);
    });
    r.icon(R, "rgb", 24, [](QPainter &p, const Scheme &s) {
        p.setCompositionMode(QPainter::CompositionMode_Plus);
        dot(p, {12, 8}, 6, s.red);
        dot(p, {8, 15}, 6, s.green);
        dot(p, {16, 15}, 6, s.blue);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }, "A");
    r.icon(R, "overlays", 24, [](QPainter &p, const Scheme &s) {
        p.setPen(QPen(s.fg2, 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2.5, 4.5, 19, 15));
        fillPoly(p, poly({{3, 19}, {9, 11}, {13, 16}, {16, 13}, {21, 19}}), s.fg2);
        dot(p, {16.5, 8.5}, 1.8, s.fg2);
        const QPainterPath c = blob({11.5, 12}, 7, 5.5);
        strokePath(p, c, s.warm, 1.6);
        for (qreal t : {0.0, 0.33, 0.66})
            square(p, c.pointAtPercent(t), 1.6, s.fg);
    });

    // --- small panel toggles --------------------------------------------------------------
    r.icon(R, "Visible", 16, [](QPainter &p, const Scheme &s) {
        eye(p, QRectF(0.8, 4.5, 14.4, 7), true, s.fg, s.accent, 1.5);
    }, "AD");
    r.icon(R, "Lock", 16, [](QPainter &p, const Scheme &s) {
        padlock(p, QRectF(3, 7, 10, 7.5), true, s.fg, 1.7);
    });
    r.icon(R, "LayerTableView_ON", 16, [](QPainter &p, const Scheme &s) {
        eye(p, QRectF(1.5, 5, 13, 6), true, s.fg, s.warm, 1.3);
    });
    r.icon(R, "LayerTableView_OFF", 16, [](QPainter &p, const Scheme &) {
        eye(p, QRectF(1.5, 4.5, 13, 5), false, QColor(130, 130, 130), QColor(130, 130, 130), 1.3);
    });
    r.icon(R, "LayerTableLock_ON", 16, [](QPainter &p, const Scheme &s) {
        padlock(p, QRectF(3.5, 7.5, 9, 7), true, s.warm, 1.6);
    });
    r.icon(R, "LayerTableLock_OFF", 16, [](QPainter &p, const Scheme &) {
        padlock(p, QRectF(2.5, 7.5, 9, 7), false, QColor(130, 130, 130), 1.6);
    });
    r.icon(R, "LayerTableProcess_ON", 16, [](QPainter &p, const Scheme &s) {
        gear(p, {8, 8}, 7, 5.2, 8, 2.2, s.accent);
    });
    r.icon(R, "LayerTableProcess_OFF", 16, [](QPainter &p, const Scheme &) {
        QColor c(130, 130, 130);
        p.setPen(pen(c, 1.1));
        p.setBrush(Qt::NoBrush);
        QPainterPath path;
        const int n = 32;
        for (int i = 0; i < n; ++i) {
            const qreal a = 360.0 * i / n + 360.0 / n / 2;
            const QPointF pt = onArc({8, 8}, (i % 4 < 2) ? 6.6 : 5.0, a);
            if (i == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
        path.closeSubpath();
        p.drawPath(path);
        p.drawEllipse(QPointF(8, 8), 2, 2);
    });
    r.icon(R, "Selected", 16, [](QPainter &p, const Scheme &s) {
        p.setPen(QPen(s.fg, 1));
        p.setBrush(s.accent);
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
    });
    r.icon(R, "Unselected", 16, [](QPainter &p, const Scheme &s) {
        p.setPen(QPen(s.fg2, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
    });
    r.icon(R, "Dot", 16, [](QPainter &p, const Scheme &s) { dot(p, {8, 8}, 2.6, s.fg); });
    r.icon(R, "UpperLeftCorner", 16, [](QPainter &p, const Scheme &s) { corner(p, s, 0); });
    r.icon(R, "UpperRightCorner", 16, [](QPainter &p, const Scheme &s) { corner(p, s, 1); });
    r.icon(R, "LowerRightCorner", 16, [](QPainter &p, const Scheme &s) { corner(p, s, 2); });
    r.icon(R, "LowerLeftCorner", 16, [](QPainter &p, const Scheme &s) { corner(p, s, 3); });

    // --- curve editor ---------------------------------------------------------------------
    r.icon(I, "CurveHasKeyframes", 16, [](QPainter &p, const Scheme &s) {
        diamond(p, {8, 8}, 5.5, s.red);
        diamondOutline(p, {8, 8}, 5.5, s.fg, 0.9);
    });
    r.icon(I, "CurveHasNoKeyframes", 16, [](QPainter &p, const Scheme &s) {
        diamondOutline(p, {8, 8}, 5, s.fg2, 1.1);
    });
    r.icon(I, "CurveVisible", 16, [](QPainter &p, const Scheme &s) {
        eye(p, QRectF(1.5, 5, 13, 6), true, s.fg2, s.fg, 1.2);
    });
    r.icon(I, "CurveInvisible", 16, [](QPainter &p, const Scheme &s) {
        eye(p, QRectF(1.5, 4.5, 13, 5), false, s.fg2.darker(120), s.fg2, 1.2);
    });
    r.icon(I, "CurveLocked", 16, [](QPainter &p, const Scheme &s) {
        padlock(p, QRectF(4, 7.5, 8, 6.5), true, s.fg2, 1.5);
    });
    r.icon(I, "CurveUnlocked", 16, [](QPainter &p, const Scheme &s) {
        padlock(p, QRectF(3, 7.5, 8, 6.5), false, s.fg2.darker(115), 1.5);
    });
    const auto frameCorners = [](QPainter &p, const QColor &c) {
        p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(poly({{2.5, 7}, {2.5, 2.5}, {7, 2.5}}));
        p.drawPolyline(poly({{17, 2.5}, {21.5, 2.5}, {21.5, 7}}));
        p.drawPolyline(poly({{21.5, 17}, {21.5, 21.5}, {17, 21.5}}));
        p.drawPolyline(poly({{7, 21.5}, {2.5, 21.5}, {2.5, 17}}));
    };
    r.icon(I, "FrameAll", 24, [frameCorners](QPainter &p, const Scheme &s) {
        frameCorners(p, s.fg);
        QPainterPath c;
        c.moveTo(5, 17);
        c.cubicTo(9, 2, 14, 20, 19, 7);
        strokePath(p, c, s.accent, 1.4);
        for (qreal t : {0.0, 0.5, 1.0})
            square(p, c.pointAtPercent(t), 1.6, s.fg);
    });
    r.icon(I, "FrameSelected", 24, [frameCorners](QPainter &p, const Scheme &s) {
        frameCorners(p, s.fg);
        QPainterPath c;
        c.moveTo(5, 17);
        c.cubicTo(9, 2, 14, 20, 19, 7);
        QColor faint = s.fg2;
        faint.setAlphaF(0.6);
        strokePath(p, c, faint, 1.2);
        square(p, c.pointAtPercent(0.5), 2.6, s.warm);
    });

    const auto nodeImage = [&r](const QString &name, int size, QColor fill, QColor border, bool round) {
        r.image(I + "/" + name + ".png", [=] {
            QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::transparent);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(border, 1));
            p.setBrush(fill);
            const QRectF box(1.5, 1.5, size - 3, size - 3);
            if (round)
                p.drawEllipse(box);
            else
                p.drawRect(box);
            return img;
        });
    };
    nodeImage("NodeInactive", 9, QColor("#8a8a8a"), QColor("#202020"), false);
    nodeImage("NodeActive", 9, QColor("#f0f0f0"), QColor("#678db2"), false);
    nodeImage("NodeSelected", 9, QColor("#e0a040"), QColor("#fff0d0"), false);
    nodeImage("TangentHandleInactive", 9, Qt::transparent, QColor("#9c9c9c"), true);
    nodeImage("TangentHandleActive", 9, QColor("#678db2"), QColor("#f0f0f0"), true);
    nodeImage("TangentHandleSelected", 9, QColor("#e0a040"), QColor("#ffffff"), true);
    const auto playhead = [&r](const QString &name, bool pointsDown) {
        r.image(I + "/" + name + ".png", [=] {
            QImage img(11, 8, QImage::Format_ARGB32_Premultiplied);
            img.fill(Qt::transparent);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            const QPolygonF t = pointsDown ? poly({{0, 0}, {11, 0}, {5.5, 8}}) : poly({{0, 8}, {11, 8}, {5.5, 0}});
            fillPoly(p, t, QColor("#d04040"));
            return img;
        });
    };
    playhead("PlayheadTop", true);
    playhead("PlayheadBottom", false);
}
