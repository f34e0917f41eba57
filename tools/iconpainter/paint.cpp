#include "paint.h"

#include <QFont>
#include <QtMath>

#include <cmath>

Scheme plainScheme()
{
    Scheme s;
    s.fg = QColor("#dedede");
    s.fg2 = QColor("#9c9c9c");
    s.accent = QColor("#7aa3cc");
    s.warm = QColor("#e0a040");
    s.red = QColor("#d04040");
    s.green = QColor("#50b050");
    s.blue = QColor("#4a7ee0");
    return s;
}

Scheme activeScheme()
{
    // Drawn over the blue backdrop, so everything is lifted towards white.
    Scheme s;
    s.fg = QColor("#ffffff");
    s.fg2 = QColor("#dbe8f5");
    s.accent = QColor("#d6ebff");
    s.warm = QColor("#ffc466");
    s.red = QColor("#ff5e5e");
    s.green = QColor("#74e074");
    s.blue = QColor("#8cb4ff");
    return s;
}

Scheme monoScheme()
{
    Scheme s;
    s.fg = s.fg2 = s.accent = s.warm = s.red = s.green = s.blue = QColor(Qt::black);
    s.mono = true;
    return s;
}

// --- rendering of variants ---------------------------------------------------

static QImage newImage(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

static QImage renderGlyph(int size, const Glyph &g, const Scheme &s)
{
    QImage img = newImage(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    g(p, s);
    p.end();
    return img;
}

static QImage disabledOf(const QImage &plain)
{
    QImage img = plain.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = line[x];
            const int grey = qBound(0, 110 + qGray(c) / 4, 255);
            line[x] = qRgba(grey, grey, grey, qAlpha(c) * 40 / 100);
        }
    }
    return img;
}

static QImage activeOf(int size, const Glyph &g)
{
    QImage img = newImage(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal r = size >= 24 ? 4 : 3;
    p.setPen(QPen(QColor(150, 190, 230, 220), 1));
    p.setBrush(QColor(103, 141, 178, 150));
    p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), r, r);
    p.drawImage(0, 0, renderGlyph(size, g, activeScheme()));
    p.end();
    return img;
}

void Registry::icon(const QString &dir, const QString &name, int size, const Glyph &g, const QString &variants)
{
    const QString base = dir.isEmpty() ? name : dir + "/" + name;
    items.push_back({base + ".png", [=] { return renderGlyph(size, g, plainScheme()); }});
    if (variants.contains('A'))
        items.push_back({base + "Active.png", [=] { return activeOf(size, g); }});
    if (variants.contains('D'))
        items.push_back({base + "Disabled.png", [=] { return disabledOf(renderGlyph(size, g, plainScheme())); }});
}

void Registry::image(const QString &path, const std::function<QImage()> &render)
{
    items.push_back({path, render});
}

// Thresholded glyph pixels of a cursor drawing.
static std::vector<bool> cursorBits(const Glyph &g)
{
    const QImage img = renderGlyph(32, g, monoScheme()).convertToFormat(QImage::Format_ARGB32);
    std::vector<bool> bits(32 * 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            bits[y * 32 + x] = qAlpha(img.pixel(x, y)) >= 110;
    return bits;
}

void Registry::cursor(const QString &name, const Glyph &g, const QString &maskName)
{
    const QString bitmapPath = "Resources/" + name + ".png";
    const QString maskPath = "Resources/" + (maskName.isEmpty() ? name + "Mask" : maskName) + ".png";
    items.push_back({bitmapPath, [=] {
        const auto bits = cursorBits(g);
        QImage img(32, 32, QImage::Format_ARGB32);
        for (int i = 0; i < 32 * 32; ++i)
            img.setPixel(i % 32, i / 32, bits[i] ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
        return img;
    }});
    items.push_back({maskPath, [=] {
        // Black marks the opaque part: a QBitmap made from it has 1-bits there, as a cursor
        // mask needs. It covers a one-pixel rim, drawn white, that keeps the glyph readable.
        const auto bits = cursorBits(g);
        QImage img(32, 32, QImage::Format_ARGB32);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                bool on = false;
                for (int dy = -1; dy <= 1 && !on; ++dy)
                    for (int dx = -1; dx <= 1 && !on; ++dx) {
                        const int xx = x + dx, yy = y + dy;
                        on = xx >= 0 && yy >= 0 && xx < 32 && yy < 32 && bits[yy * 32 + xx];
                    }
                img.setPixel(x, y, on ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            }
        return img;
    }});
}

// --- helpers -------------------------------------------------------------------

QPen pen(const QColor &c, qreal w)
{
    QPen p(c, w);
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    return p;
}

QPolygonF poly(std::initializer_list<QPointF> pts)
{
    QPolygonF pg;
    for (const QPointF &pt : pts)
        pg << pt;
    return pg;
}

void fillPoly(QPainter &p, const QPolygonF &pg, const QColor &c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(pg);
}

void strokePath(QPainter &p, const QPainterPath &path, const QColor &c, qreal w)
{
    p.setPen(pen(c, w));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

Cut::Cut(QPainter &p) : m_p(p), m_old(p.compositionMode())
{
    p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
}

Cut::~Cut()
{
    m_p.setCompositionMode(m_old);
}

void arrowHead(QPainter &p, QPointF tip, QPointF dir, qreal len, qreal half, const QColor &c)
{
    const qreal n = std::hypot(dir.x(), dir.y());
    const QPointF d = dir / n;
    const QPointF nrm(-d.y(), d.x());
    const QPointF base = tip - d * len;
    fillPoly(p, poly({tip, base + nrm * half, base - nrm * half}), c);
}

void arrowLine(QPainter &p, QPointF a, QPointF b, qreal w, const QColor &c, qreal len, qreal half, bool both)
{
    const QPointF v = b - a;
    const QPointF d = v / std::hypot(v.x(), v.y());
    const QPointF from = both ? a + d * (len * 0.8) : a;
    const QPointF to = b - d * (len * 0.8);
    p.setPen(pen(c, w));
    p.drawLine(from, to);
    p.setPen(QPen(c, w, Qt::SolidLine, Qt::FlatCap));
    arrowHead(p, b, d, len, half, c);
    if (both)
        arrowHead(p, a, -d, len, half, c);
}

QPointF onArc(QPointF c, qreal r, qreal deg)
{
    const qreal a = qDegreesToRadians(deg);
    return c + QPointF(r * std::cos(a), -r * std::sin(a));
}

void arcArrow(QPainter &p, QPointF c, qreal r, qreal startDeg, qreal spanDeg, qreal w, const QColor &col,
              qreal len, qreal half, bool headEnd, bool headStart)
{
    const qreal sign = spanDeg < 0 ? -1 : 1;
    const qreal headDeg = qRadiansToDegrees(len / r);
    qreal s = startDeg, span = spanDeg;
    if (headStart) {
        s += sign * headDeg * 0.7;
        span -= sign * headDeg * 0.7;
    }
    if (headEnd)
        span -= sign * headDeg * 0.7;
    QPainterPath path;
    const QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
    path.arcMoveTo(box, s);
    path.arcTo(box, s, span);
    p.setPen(QPen(col, w, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    if (headEnd) {
        const qreal e = startDeg + spanDeg;
        const QPointF tip = onArc(c, r, e);
        arrowHead(p, tip, tip - onArc(c, r, e - sign * headDeg), len, half, col);
    }
    if (headStart) {
        const QPointF tip = onArc(c, r, startDeg);
        arrowHead(p, tip, tip - onArc(c, r, startDeg + sign * headDeg), len, half, col);
    }
}

void diamond(QPainter &p, QPointF c, qreal r, const QColor &fill)
{
    fillPoly(p, poly({c + QPointF(0, -r), c + QPointF(r, 0), c + QPointF(0, r), c + QPointF(-r, 0)}), fill);
}

void diamondOutline(QPainter &p, QPointF c, qreal r, const QColor &col, qreal w)
{
    p.setPen(pen(col, w));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(poly({c + QPointF(0, -r), c + QPointF(r, 0), c + QPointF(0, r), c + QPointF(-r, 0)}));
}

QPainterPath textPath(const QString &s, QPointF centre, int px, bool bold)
{
    QFont f("DejaVu Sans");
    f.setPixelSize(px);
    f.setBold(bold);
    QPainterPath path;
    path.addText(0, 0, f, s);
    path.translate(centre - path.boundingRect().center());
    return path;
}

void textCentered(QPainter &p, const QString &s, QPointF centre, int px, const QColor &c, bool bold)
{
    p.fillPath(textPath(s, centre, px, bold), c);
}

// --- shared glyph parts --------------------------------------------------------

void padlock(QPainter &p, QRectF body, bool closed, const QColor &c, qreal shackleW)
{
    const qreal sw = body.width() * 0.62;
    const qreal sh = body.height() * 0.85;
    qreal sx = body.center().x() - sw / 2;
    qreal lift = 0;
    if (!closed) {
        sx += body.width() * 0.42;
        lift = body.height() * 0.25;
    }
    const qreal top = body.top() - sh + shackleW / 2 - lift;
    QPainterPath sp;
    const qreal legBottom = body.top() + 0.5;
    sp.moveTo(sx, closed ? legBottom : body.top() - lift + 0.5);
    sp.lineTo(sx, top + sw / 2);
    sp.arcTo(QRectF(sx, top, sw, sw), 180, -180);
    sp.lineTo(sx + sw, legBottom);
    p.setPen(QPen(c, shackleW, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(sp);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(body, body.width() * 0.12, body.width() * 0.12);
    Cut cut(p);
    p.setBrush(Qt::black);
    const QPointF k(body.center().x(), body.top() + body.height() * 0.42);
    const qreal kr = qMax(0.9, body.width() * 0.1);
    p.drawEllipse(k, kr, kr);
    p.drawRect(QRectF(k.x() - kr * 0.55, k.y(), kr * 1.1, body.height() * 0.32));
}

void eye(QPainter &p, QRectF box, bool open, const QColor &c, const QColor &iris, qreal w)
{
    const QPointF l(box.left(), box.center().y());
    const QPointF r(box.right(), box.center().y());
    const qreal h = box.height();
    if (open) {
        QPainterPath almond;
        almond.moveTo(l);
        almond.quadTo(QPointF(box.center().x(), box.center().y() - h), r);
        almond.quadTo(QPointF(box.center().x(), box.center().y() + h), l);
        strokePath(p, almond, c, w);
        const qreal ir = h * 0.34;
        p.setPen(Qt::NoPen);
        p.setBrush(iris);
        p.drawEllipse(box.center(), ir, ir);
        Cut cut(p);
        p.setBrush(Qt::black);
        p.drawEllipse(box.center(), ir * 0.4, ir * 0.4);
    } else {
        QPainterPath lid;
        lid.moveTo(l);
        lid.quadTo(QPointF(box.center().x(), box.center().y() + h * 0.7), r);
        strokePath(p, lid, c, w);
        p.setPen(pen(c, w * 0.85));
        const qreal yb = box.center().y() + h * 0.35;
        const qreal cx = box.center().x();
        const qreal dx = box.width() * 0.26;
        p.drawLine(QPointF(cx, yb), QPointF(cx, yb + h * 0.32));
        p.drawLine(QPointF(cx - dx, yb - h * 0.08), QPointF(cx - dx * 1.35, yb + h * 0.24));
        p.drawLine(QPointF(cx + dx, yb - h * 0.08), QPointF(cx + dx * 1.35, yb + h * 0.24));
    }
}

void gear(QPainter &p, QPointF c, qreal rOut, qreal rIn, int teeth, qreal hole, const QColor &col)
{
    QPainterPath path;
    const int n = teeth * 4;
    for (int i = 0; i < n; ++i) {
        const qreal a = 360.0 * i / n + 360.0 / n / 2;
        const qreal r = (i % 4 == 0 || i % 4 == 1) ? rOut : rIn;
        const QPointF pt = onArc(c, r, a);
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    p.setPen(pen(col, 0.6));
    p.setBrush(col);
    p.drawPath(path);
    Cut cut(p);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(c, hole, hole);
}

void magnifier(QPainter &p, QPointF c, qreal r, qreal w, qreal handleLen, qreal handleW, const QColor &col)
{
    p.setPen(pen(col, w));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, r, r);
    const QPointF d(M_SQRT1_2, M_SQRT1_2);
    const QPointF a = c + d * (r + w / 2);
    p.setPen(pen(col, handleW));
    p.drawLine(a + d * (handleW / 2), a + d * handleLen);
}

QPainterPath handPath()
{
    // Back of an open hand, fingers up, thumb to the left.
    QPainterPath h;
    auto finger = [&](qreal x, qreal top, qreal w) {
        QPainterPath f;
        f.addRoundedRect(QRectF(x, top, w, 13 - top), w / 2, w / 2);
        h = h.united(f);
    };
    finger(4.6, 3.2, 3.0);
    finger(7.8, 1.4, 3.0);
    finger(11.0, 2.2, 3.0);
    finger(14.2, 4.6, 2.8);
    QPainterPath palm;
    palm.moveTo(4.6, 9);
    palm.lineTo(17.0, 9);
    palm.lineTo(17.0, 13);
    palm.cubicTo(17.0, 16.5, 15.0, 19.0, 12.5, 19.0);
    palm.lineTo(9.0, 19.0);
    palm.cubicTo(7.0, 19.0, 5.8, 17.5, 4.8, 16.0);
    palm.closeSubpath();
    h = h.united(palm);
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(-1.2, -1.5, 8.5, 3.0), 1.5, 1.5);
    QTransform t;
    t.translate(6.0, 15.6);
    t.rotate(-128);
    h = h.united(t.map(thumb));
    return h.simplified();
}

void hand(QPainter &p, QRectF box, const QColor &c)
{
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 20.0, box.height() / 20.0);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(handPath());
    {
        Cut cut(p);
        p.setPen(QPen(Qt::black, 1.0, Qt::SolidLine, Qt::FlatCap));
        for (qreal x : {7.7, 10.9, 14.1})
            p.drawLine(QPointF(x, 0), QPointF(x, 10.5));
    }
    p.restore();
}

QPolygonF pointerPolygon()
{
    return poly({{0, 0}, {0, 14.5}, {3.6, 11.2}, {6.2, 16.6}, {8.4, 15.6}, {5.9, 10.4}, {10.6, 10.4}});
}

void pointer(QPainter &p, QPointF tip, qreal scale, const QColor &c, bool mirrored)
{
    p.save();
    p.translate(tip);
    p.scale(mirrored ? -scale : scale, scale);
    fillPoly(p, pointerPolygon(), c);
    p.restore();
}

void fourWay(QPainter &p, QPointF c, qreal r, qreal w, qreal head, const QColor &col)
{
    arrowLine(p, c + QPointF(-r, 0), c + QPointF(r, 0), w, col, head, head * 0.8, true);
    arrowLine(p, c + QPointF(0, -r), c + QPointF(0, r), w, col, head, head * 0.8, true);
}

void penNib(QPainter &p, QPointF tip, qreal scale, const QColor &c)
{
    // Nib pointing down-left with its tip at `tip`.
    p.save();
    p.translate(tip);
    p.rotate(45);
    p.scale(scale, scale);
    QPainterPath nib;
    nib.moveTo(0, 0);
    nib.cubicTo(-1.5, -2.5, -3.2, -4.5, -3.2, -7.2);
    nib.lineTo(-3.2, -8.6);
    nib.lineTo(3.2, -8.6);
    nib.lineTo(3.2, -7.2);
    nib.cubicTo(3.2, -4.5, 1.5, -2.5, 0, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(nib);
    p.drawRoundedRect(QRectF(-3.4, -13.2, 6.8, 3.6), 0.8, 0.8);
    {
        Cut cut(p);
        p.setPen(QPen(Qt::black, 0.9, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(0, -0.5), QPointF(0, -4.8));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(0, -5.4), 1.1, 1.1);
    }
    p.restore();
}

void sheet(QPainter &p, QPointF c, qreal w, qreal h, const QColor &col)
{
    fillPoly(p, poly({c + QPointF(0, -h / 2), c + QPointF(w / 2, 0), c + QPointF(0, h / 2), c + QPointF(-w / 2, 0)}), col);
}

void cutCircle(QPainter &p, QPointF c, qreal r)
{
    Cut cut(p);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(c, r, r);
}

void badgePlus(QPainter &p, QPointF c, qreal r, qreal w, const QColor &col)
{
    cutCircle(p, c, r + w);
    p.setPen(QPen(col, w, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(c + QPointF(-r, 0), c + QPointF(r, 0));
    p.drawLine(c + QPointF(0, -r), c + QPointF(0, r));
}

void badgeMinus(QPainter &p, QPointF c, qreal r, qreal w, const QColor &col)
{
    cutCircle(p, c, r + w * 0.8);
    p.setPen(QPen(col, w, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(c + QPointF(-r, 0), c + QPointF(r, 0));
}

void badgeCross(QPainter &p, QPointF c, qreal r, qreal w, const QColor &col)
{
    cutCircle(p, c, r * 1.2 + w);
    p.setPen(QPen(col, w, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
    p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
}

void trackQuad(QPainter &p, const QPolygonF &q, const QColor &line, const QColor &dots, qreal w, qreal dotR)
{
    p.setPen(pen(line, w));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(q);
    p.setPen(Qt::NoPen);
    p.setBrush(dots);
    for (const QPointF &pt : q)
        p.drawEllipse(pt, dotR, dotR);
}

void spring(QPainter &p, QPointF a, QPointF b, int coils, qreal amp, qreal w, const QColor &c)
{
    const QPointF v = b - a;
    const qreal len = std::hypot(v.x(), v.y());
    const QPointF d = v / len;
    const QPointF n(-d.y(), d.x());
    QPainterPath path;
    const qreal lead = len * 0.18;
    path.moveTo(a);
    path.lineTo(a + d * lead);
    const int steps = coils * 2;
    for (int i = 0; i < steps; ++i) {
        const qreal t = lead + (len - 2 * lead) * (i + 0.5) / steps;
        path.lineTo(a + d * t + n * (i % 2 ? -amp : amp));
    }
    path.lineTo(b - d * lead);
    path.lineTo(b);
    p.setPen(pen(c, w));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}
