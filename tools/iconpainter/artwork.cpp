// Larger pictures: product artwork, built-in test clips, file-type icons.
#include "paint.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QRadialGradient>

namespace {

struct Product {
    QString id;
    QString name;    // "Plintra"
    QString suffix;  // "4AE", "Pro" or empty
    QColor accent;
};

QImage blank(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QPointF lerp(QPointF a, QPointF b, qreal t)
{
    return a + (b - a) * t;
}

// Tracked plane with a perspective grid; quad given in a 64x64 design space.
void plane(QPainter &p, const QPolygonF &q, const QColor &accent, qreal scale, int cells, bool fill)
{
    if (fill) {
        QColor f = accent;
        f.setAlpha(70);
        p.setPen(Qt::NoPen);
        p.setBrush(f);
        p.drawPolygon(q);
    }
    QColor line = accent.lighter(125);
    line.setAlpha(200);
    p.setPen(pen(line, 1.1 * scale));
    for (int i = 1; i < cells; ++i) {
        const qreal t = qreal(i) / cells;
        p.drawLine(lerp(q[0], q[1], t), lerp(q[3], q[2], t));
        p.drawLine(lerp(q[0], q[3], t), lerp(q[1], q[2], t));
    }
    p.setPen(pen(accent.lighter(140), 2.4 * scale));
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(q);
    for (const QPointF &pt : q) {
        p.setPen(pen(accent.lighter(150), 1.4 * scale));
        p.setBrush(QColor(255, 255, 255));
        p.drawEllipse(pt, 3.3 * scale, 3.3 * scale);
    }
}

void emblem(QPainter &p, QRectF box, const QColor &accent, bool backdrop)
{
    p.save();
    p.translate(box.topLeft());
    const qreal k = box.width() / 64.0;
    p.scale(k, k);
    if (backdrop) {
        QLinearGradient g(0, 0, 0, 64);
        g.setColorAt(0, QColor("#4a4c50"));
        g.setColorAt(1, QColor("#232427"));
        p.setPen(QPen(accent.darker(110), 1.5));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(1.5, 1.5, 61, 61), 12, 12);
    }
    const QPolygonF q = poly({{15, 17}, {50, 11}, {55, 49}, {9, 52}});
    plane(p, q, accent, 1.0, 3, true);
    // Crosshair on the plane's centre: the point being tracked.
    const QPointF c = lerp(lerp(q[0], q[2], 0.5), lerp(q[1], q[3], 0.5), 0.5);
    p.setPen(pen(QColor(255, 255, 255), 1.6));
    p.drawLine(c + QPointF(-5, 0), c + QPointF(-2, 0));
    p.drawLine(c + QPointF(2, 0), c + QPointF(5, 0));
    p.drawLine(c + QPointF(0, -5), c + QPointF(0, -2));
    p.drawLine(c + QPointF(0, 2), c + QPointF(0, 5));
    p.restore();
}

QFont boldFont(qreal px)
{
    QFont f("DejaVu Sans");
    f.setPixelSize(qRound(px));
    f.setBold(true);
    return f;
}

// Largest pixel size at which s fits in width w.
qreal fitSize(const QString &s, qreal w, qreal maxPx)
{
    for (qreal px = maxPx; px > 8; px -= 1) {
        if (QFontMetricsF(boldFont(px)).horizontalAdvance(s) <= w)
            return px;
    }
    return 8;
}

void drawName(QPainter &p, const Product &pr, QPointF baseline, qreal px, const QColor &main, bool shadow)
{
    QPainterPath name;
    name.addText(baseline, boldFont(px), pr.name);
    QPainterPath suffix;
    if (!pr.suffix.isEmpty()) {
        const qreal x = baseline.x() + QFontMetricsF(boldFont(px)).horizontalAdvance(pr.name + " ");
        suffix.addText(QPointF(x, baseline.y()), boldFont(px), pr.suffix);
    }
    if (shadow) {
        p.setPen(pen(QColor(0, 0, 0, 150), 3));
        p.setBrush(Qt::NoBrush);
        p.drawPath(name);
        p.drawPath(suffix);
    }
    p.fillPath(name, main);
    p.fillPath(suffix, pr.accent.lighter(120));
}

QImage logo(const Product &pr)
{
    QImage img = blank(256, 96);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    emblem(p, QRectF(4, 8, 80, 80), pr.accent, true);
    const QString full = pr.suffix.isEmpty() ? pr.name : pr.name + " " + pr.suffix;
    const qreal px = fitSize(full, 160, 40);
    drawName(p, pr, QPointF(92, 50 + px * 0.2), px, QColor("#f2f2f2"), true);
    QFont f("DejaVu Sans");
    f.setPixelSize(12);
    QPainterPath tag;
    tag.addText(QPointF(93, 50 + px * 0.2 + 20), f, "planar tracking");
    p.setPen(pen(QColor(0, 0, 0, 140), 2.5));
    p.drawPath(tag);
    p.fillPath(tag, QColor("#c8c8c8"));
    return img;
}

QImage icon(const Product &pr)
{
    QImage img = blank(64, 64);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    emblem(p, QRectF(0, 0, 64, 64), pr.accent, true);
    return img;
}

QImage splash(const Product &pr)
{
    const int W = 595, H = 317;
    QImage img(W, H, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient dark(0, 0, W, H);
    dark.setColorAt(0, QColor("#34363a"));
    dark.setColorAt(1, QColor("#18191b"));
    p.fillRect(img.rect(), dark);

    // Perspective floor grid receding to the horizon.
    const QPointF vp(430, 40);
    QColor gridC = pr.accent;
    gridC.setAlpha(55);
    p.setPen(QPen(gridC, 1));
    for (int i = -12; i <= 16; ++i)
        p.drawLine(vp, QPointF(430 + i * 70, H + 40));
    for (int j = 1; j < 12; ++j) {
        const qreal t = (j * j) / 121.0;
        const qreal y = vp.y() + (H - vp.y()) * t + 8;
        p.drawLine(QPointF(150, y), QPointF(W, y));
    }

    // Motion path of the tracked plane with keyframe marks.
    QPainterPath path;
    path.moveTo(282, 226);
    path.cubicTo(315, 200, 340, 250, 392, 214);
    QPen dash = pen(QColor(255, 255, 255, 120), 1.5);
    dash.setDashPattern({3, 3});
    p.setPen(dash);
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    for (qreal t : {0.0, 0.5}) {
        const QPointF c = path.pointAtPercent(t);
        fillPoly(p, poly({c + QPointF(0, -5), c + QPointF(5, 0), c + QPointF(0, 5), c + QPointF(-5, 0)}), QColor("#d04040"));
    }

    const QPolygonF q = poly({{370, 160}, {520, 138}, {560, 268}, {388, 292}});
    // Where the plane was a few frames earlier.
    QPolygonF ghost;
    for (const QPointF &pt : q)
        ghost << QPointF(228, 188) + (pt - QPointF(370, 160)) * 0.55;
    QPen gp = pen(QColor(255, 255, 255, 90), 1.2);
    gp.setDashPattern({4, 3});
    p.setPen(gp);
    p.setBrush(Qt::NoBrush);
    p.drawPolygon(ghost);
    plane(p, q, pr.accent, 2.0, 4, true);

    // Light panel on the left where the welcome dialog puts its buttons.
    QPainterPath panel;
    panel.moveTo(0, 0);
    panel.lineTo(192, 0);
    panel.cubicTo(176, 110, 200, 220, 178, H);
    panel.lineTo(0, H);
    panel.closeSubpath();
    QLinearGradient light(0, 0, 0, H);
    light.setColorAt(0, QColor("#f4f4f4"));
    light.setColorAt(1, QColor("#dcdcdc"));
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawPath(panel);
    p.setPen(pen(pr.accent, 4));
    p.setBrush(Qt::NoBrush);
    QPainterPath edge;
    edge.moveTo(192, 0);
    edge.cubicTo(176, 110, 200, 220, 178, H);
    p.drawPath(edge);

    // Product name and line on the right.
    const QString full = pr.suffix.isEmpty() ? pr.name : pr.name + " " + pr.suffix;
    const qreal px = fitSize(full, 330, 54);
    drawName(p, pr, QPointF(238, 82), px, QColor("#ffffff"), true);
    QFont f("DejaVu Sans");
    f.setPixelSize(15);
    p.setFont(f);
    p.setPen(QColor("#b8bcc2"));
    p.drawText(QPointF(240, 108), "Planar tracking and shot repair");
    return img;
}

QImage testGrid(int cells)
{
    const int S = 512;
    QImage img(S, S, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    const int step = S / cells;
    for (int y = 0; y < cells; ++y)
        for (int x = 0; x < cells; ++x)
            p.fillRect(x * step, y * step, step, step, (x + y) % 2 ? QColor("#2c2c2c") : QColor("#3a3a3a"));
    p.setPen(QPen(QColor("#c8c8c8"), 1));
    for (int i = 0; i <= cells; ++i) {
        const int v = qMin(i * step, S - 1);
        p.drawLine(v, 0, v, S - 1);
        p.drawLine(0, v, S - 1, v);
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor("#678db2"), 2));
    p.drawLine(S / 2, 0, S / 2, S);
    p.drawLine(0, S / 2, S, S / 2);
    p.setPen(QPen(QColor("#e0a040"), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(S / 2, S / 2), S / 4, S / 4);
    // Label so the clip can be told apart in the viewer.
    QFont f("DejaVu Sans");
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    const QString label = QString("%1 x %1").arg(cells);
    const QRectF box(10, 10, 110, 34);
    p.fillRect(box, QColor(0, 0, 0, 180));
    p.setPen(QColor("#ffffff"));
    p.drawText(box, Qt::AlignCenter, label);
    return img;
}

QImage clipServer()
{
    QImage img = blank(32, 32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const Scheme s = plainScheme();
    // Network line under the storage.
    p.setPen(pen(s.accent, 2.4));
    p.drawLine(QPointF(16, 24), QPointF(16, 29));
    p.drawLine(QPointF(4, 29.5), QPointF(28, 29.5));
    // Stacked disk cylinder.
    const QRectF body(4, 3, 24, 22);
    const qreal eh = 7;
    p.setPen(Qt::NoPen);
    p.setBrush(s.fg);
    p.drawRect(QRectF(body.left(), body.top() + eh / 2, body.width(), body.height() - eh));
    p.drawEllipse(QRectF(body.left(), body.bottom() - eh, body.width(), eh));
    p.setBrush(s.fg.lighter(112));
    p.drawEllipse(QRectF(body.left(), body.top(), body.width(), eh));
    p.setPen(pen(QColor("#555555"), 1.6));
    p.setBrush(Qt::NoBrush);
    for (qreal y : {10.0, 17.0})
        p.drawArc(QRectF(body.left(), body.top() + y - eh / 2, body.width(), eh), 180 * 16, 180 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(s.accent);
    p.drawEllipse(QPointF(23, 13.5), 1.6, 1.6);
    p.setBrush(QColor("#50c050"));
    p.drawEllipse(QPointF(23, 20.5), 1.6, 1.6);
    return img;
}

QImage pdfIcon()
{
    QImage img = blank(32, 32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath page;
    page.moveTo(5.5, 1.5);
    page.lineTo(19.5, 1.5);
    page.lineTo(27.5, 9.5);
    page.lineTo(27.5, 30.5);
    page.lineTo(5.5, 30.5);
    page.closeSubpath();
    p.setPen(QPen(QColor("#8a8a8a"), 1));
    p.setBrush(QColor("#f2f2f2"));
    p.drawPath(page);
    fillPoly(p, poly({{19.5, 1.5}, {19.5, 9.5}, {27.5, 9.5}}), QColor("#c4c4c4"));
    p.setPen(QPen(QColor("#b0b0b0"), 1));
    for (qreal y : {6.5, 9.5})
        p.drawLine(QPointF(8, y), QPointF(17, y));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#d04040"));
    p.drawRoundedRect(QRectF(2, 14, 24, 11), 1.5, 1.5);
    textCentered(p, "PDF", {14, 19.5}, 9, QColor("#ffffff"));
    return img;
}

} // namespace

void addArtwork(Registry &r)
{
    const Product products[] = {
        {"plintra", "Plintra", "", QColor("#678db2")},
        {"plintra4ae", "Plintra", "4AE", QColor("#9a6bd0")},
        {"plintrapro", "Plintra", "Pro", QColor("#e0a040")},
    };
    for (const Product &pr : products) {
        r.image(pr.id + "Logo.png", [pr] { return logo(pr); });
        r.image(pr.id + "Splash.png", [pr] { return splash(pr); });
        r.image(pr.id + "Icon.png", [pr] { return icon(pr); });
    }
    for (int n : {8, 16, 32})
        r.image(QString("Resources/Grid%1x%1.png").arg(n), [n] { return testGrid(n); });
    r.image("Resources/Quantel.png", [] { return clipServer(); });
    r.image("Resources/PDFIcon.png", [] { return pdfIcon(); });
}
