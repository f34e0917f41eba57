// Mouse cursors. Each pointing tip sits on the hot spot the viewer registers
// for the cursor, so keep the two in step when moving anything here.
#include "paint.h"

namespace {

// Crosshair centred on pixel (hx, hy).
void cross(QPainter &p, int hx, int hy, int arm = 6, int gap = 2)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(hx - gap - arm, hy, arm, 1));
    p.drawRect(QRectF(hx + gap + 1, hy, arm, 1));
    p.drawRect(QRectF(hx, hy - gap - arm, 1, arm));
    p.drawRect(QRectF(hx, hy + gap + 1, 1, arm));
    p.drawRect(QRectF(hx, hy, 1, 1));
}

// Arrow pointer whose tip pixel is (hx, hy).
void pointerAt(QPainter &p, int hx, int hy, bool mirrored)
{
    const qreal x = mirrored ? hx + 1 : hx;
    pointer(p, QPointF(x, hy), 1.05, Qt::black, mirrored);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(hx, hy, 1, 2));
}

enum class Link { Backward, Forward, All };

void linkBadge(QPainter &p, Link l, QPointF c = {24.5, 27.5})
{
    const QPointF a = c + QPointF(-6, 0), b = c + QPointF(6, 0);
    if (l == Link::Backward)
        arrowLine(p, b, a, 1.6, Qt::black, 4, 3);
    else if (l == Link::Forward)
        arrowLine(p, a, b, 1.6, Qt::black, 4, 3);
    else
        arrowLine(p, a, b, 1.6, Qt::black, 4, 3, true);
}

void pointOnSegment(QPainter &p, QPointF c)
{
    p.setPen(pen(Qt::black, 1.3));
    p.drawLine(c + QPointF(-6, 3), c + QPointF(6, -3));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(c.x() - 2.5, c.y() - 2.5, 5, 5));
}

void plus(QPainter &p, QPointF c, qreal arm)
{
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(c + QPointF(-arm, 0), c + QPointF(arm, 0));
    p.drawLine(c + QPointF(0, -arm), c + QPointF(0, arm));
}

// Crisp one-pixel dots: antialiased dashes break up once thresholded to 1 bit.
QPen dotted(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    QPen d(Qt::black, 1, Qt::SolidLine, Qt::FlatCap);
    d.setDashPattern({2, 2});
    return d;
}

void openCurve(QPainter &p, const QPen &pn, QPointF o)
{
    QPainterPath c;
    c.moveTo(o + QPointF(0, 8));
    c.cubicTo(o + QPointF(2, -1), o + QPointF(8, 10), o + QPointF(11, 0));
    p.setPen(pn);
    p.setBrush(Qt::NoBrush);
    p.drawPath(c);
}

void springBadge(QPainter &p, QPointF a, QPointF b, bool bothEnds)
{
    spring(p, a, b, 3, 2.2, 1.3, Qt::black);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(a, 2.3, 2.3);
    if (bothEnds) {
        p.drawEllipse(b, 2.3, 2.3);
    } else {
        p.setPen(pen(Qt::black, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(b, 2.0, 2.0);
    }
}

// White glyph with a black rim, for cursors shown straight from the picture.
QImage outlined(const Glyph &g)
{
    QImage layer(32, 32, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        g(p, plainScheme());
    }
    QImage rim(32, 32, QImage::Format_ARGB32_Premultiplied);
    rim.fill(Qt::transparent);
    {
        QPainter p(&rim);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                p.drawImage(dx, dy, layer);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(rim.rect(), QColor(20, 20, 20));
    }
    QImage out(32, 32, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.drawImage(0, 0, rim);
    p.drawImage(0, 0, layer);
    return out;
}

} // namespace

void addCursors(Registry &r)
{
    r.cursor("CursorHand", [](QPainter &p, const Scheme &) { hand(p, QRectF(-0.6, -0.6, 18, 18), Qt::black); });
    r.cursor("CursorZoom", [](QPainter &p, const Scheme &) {
        magnifier(p, {7.5, 6.5}, 5.5, 1.6, 7, 3, Qt::black);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRect(QRectF(5, 6, 5, 1));
        p.drawRect(QRectF(7, 4, 1, 5));
    });
    r.cursor("CursorRotate", [](QPainter &p, const Scheme &) {
        arcArrow(p, {8.5, 8.5}, 6.5, 110, -300, 1.6, Qt::black, 4.5, 3.5);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRect(QRectF(8, 8, 1, 1));
    });
    r.cursor("CursorScale", [](QPainter &p, const Scheme &) {
        arrowLine(p, {1.5, 15.5}, {15.5, 1.5}, 1.6, Qt::black, 5, 3.5, true);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(3.5, 3.5, 10, 10));
    });
    r.cursor("CursorTranslate", [](QPainter &p, const Scheme &) { fourWay(p, {8.5, 8.5}, 8, 1.6, 4.5, Qt::black); });

    const auto movePoint = [](bool text) {
        return [text](QPainter &p, const Scheme &) {
            fourWay(p, {12.5, 12.5}, 9, 1.6, 4.5, Qt::black);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            p.drawRect(QRectF(10, 10, 5, 5));
            {
                Cut cut(p);
                p.drawRect(QRectF(11, 11, 3, 3));
            }
            p.drawRect(QRectF(12, 12, 1, 1));
            if (text)
                textCentered(p, "T", {25, 6}, 11, Qt::black);
        };
    };
    r.cursor("CursorMovePoint", movePoint(false));
    const Link links[] = {Link::Backward, Link::Forward, Link::All};
    const char *linkNames[] = {"LinkBackward", "LinkForward", "LinkAll"};
    for (int i = 0; i < 3; ++i) {
        const Link l = links[i];
        const Glyph mp = movePoint(false);
        const Glyph mt = movePoint(true);
        r.cursor(QString("CursorMovePoint") + linkNames[i], [=](QPainter &p, const Scheme &s) {
            mp(p, s);
            linkBadge(p, l);
        });
        r.cursor(QString("CursorMoveText") + linkNames[i], [=](QPainter &p, const Scheme &s) {
            mt(p, s);
            linkBadge(p, l);
        });
        r.cursor(QString("CursorInsertPoint") + linkNames[i], [=](QPainter &p, const Scheme &) {
            cross(p, 12, 12);
            pointOnSegment(p, {24, 6});
            linkBadge(p, l);
        });
    }
    r.cursor("CursorMoveText", [](QPainter &p, const Scheme &) {
        cross(p, 4, 11, 3, 1);
        textCentered(p, "T", {14.5, 11}, 16, Qt::black);
        arrowLine(p, {9, 22.5}, {21, 22.5}, 1.4, Qt::black, 3.5, 2.8, true);
    });
    r.cursor("CursorInsertPoint", [](QPainter &p, const Scheme &) {
        cross(p, 11, 11);
        pointOnSegment(p, {24, 24});
    });
    r.cursor("CursorSelectContour", [](QPainter &p, const Scheme &) {
        pointerAt(p, 10, 0, false);
        p.setPen(pen(Qt::black, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(23, 25), 6.5, 4.5);
    });
    r.cursor("CursorCloseSelection", [](QPainter &p, const Scheme &) {
        cross(p, 11, 11);
        p.setPen(dotted(p));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(24, 24), 5.5, 5.5);
    });
    r.cursor("CursorFinishOpenSelection", [](QPainter &p, const Scheme &) {
        cross(p, 11, 11);
        openCurve(p, dotted(p), {19, 19});
    });
    r.cursor("CursorAddPointSelection", [](QPainter &p, const Scheme &) {
        cross(p, 12, 12);
        p.setPen(dotted(p));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(18.5, 18.5, 11, 11));
        plus(p, {24, 24}, 3);
    });
    r.cursor("CursorCloseContour", [](QPainter &p, const Scheme &) {
        cross(p, 11, 11);
        p.setPen(pen(Qt::black, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(24, 24), 5.5, 5.5);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRect(QRectF(22, 16.5, 4, 4));
    });
    r.cursor("CursorFinishOpenContour", [](QPainter &p, const Scheme &) {
        cross(p, 11, 11);
        openCurve(p, pen(Qt::black, 1.5), {19, 19});
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRect(QRectF(28, 17, 4, 4));
    });
    r.cursor("CursorAddPointContour", [](QPainter &p, const Scheme &) {
        cross(p, 11, 11);
        plus(p, {24.5, 24.5}, 4.5);
    });
    r.cursor("CursorStartConstraint", [](QPainter &p, const Scheme &) {
        pointerAt(p, 0, 0, false);
        springBadge(p, {14, 28}, {28, 16}, false);
    });
    r.cursor("CursorMakingConstraint", [](QPainter &p, const Scheme &) {
        cross(p, 12, 10);
        springBadge(p, {27, 27}, {16.5, 15.5}, false);
    });
    r.cursor("CursorFinishConstraint", [](QPainter &p, const Scheme &) {
        pointerAt(p, 20, 0, true);
        springBadge(p, {4, 28}, {18, 22}, true);
    });
    r.cursor("CursorSample", [](QPainter &p, const Scheme &) {
        // Eyedropper with its tip at the left edge.
        p.save();
        p.translate(0.4, 18.4);
        p.rotate(-45);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(poly({{0, 0}, {2.5, -1.4}, {11, -1.4}, {11, 1.4}, {2.5, 1.4}}));
        p.drawRect(QRectF(10.5, -3.2, 2.5, 6.4));
        p.drawRoundedRect(QRectF(12.5, -2.4, 8.5, 4.8), 2.2, 2.2);
        {
            Cut cut(p);
            p.drawRect(QRectF(3.5, -0.4, 6.5, 0.8));
        }
        p.restore();
    });
    r.cursor("PointerTool_BreakTangentCursor", [](QPainter &p, const Scheme &) {
        pointerAt(p, 20, 0, true);
        const QPointF a(10, 26);
        p.setPen(pen(Qt::black, 1.3));
        p.drawLine(a, QPointF(3, 18));
        p.drawLine(a, QPointF(18, 22));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRect(QRectF(a.x() - 2, a.y() - 2, 4, 4));
        p.drawEllipse(QPointF(3, 18), 2, 2);
        p.drawEllipse(QPointF(18, 22), 2, 2);
    }, "PointerTool_BreakTangentCursorAlpha");

    r.image("Resources/CursorRotateValue.png", [] {
        return outlined([](QPainter &p, const Scheme &s) {
            arcArrow(p, {16, 16}, 10, 25, 130, 2.6, QColor("#ffffff"), 6.5, 4.5);
            arcArrow(p, {16, 16}, 10, 205, 130, 2.6, QColor("#ffffff"), 6.5, 4.5);
            p.setPen(Qt::NoPen);
            p.setBrush(s.warm);
            p.drawEllipse(QPointF(16, 16), 2.2, 2.2);
        });
    });
    r.image("Resources/UpDownArrows.png", [] {
        return outlined([](QPainter &p, const Scheme &) {
            arrowLine(p, {16, 4}, {16, 28}, 2.6, QColor("#ffffff"), 8, 6, true);
            p.setPen(QPen(QColor("#ffffff"), 2, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(QPointF(12, 16), QPointF(20, 16));
        });
    });
}
