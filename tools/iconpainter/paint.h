#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QString>

#include <functional>
#include <initializer_list>
#include <vector>

// Colours a glyph is drawn with; the plain and active looks only differ here.
struct Scheme {
    QColor fg;      // main glyph colour
    QColor fg2;     // secondary parts (sheets behind, contours)
    QColor accent;  // highlight blue
    QColor warm;    // orange accent
    QColor red;     // keyframes, record, delete
    QColor green;
    QColor blue;
    bool mono = false;  // cursor bitmaps: everything black
};

Scheme plainScheme();
Scheme activeScheme();
Scheme monoScheme();

using Glyph = std::function<void(QPainter &, const Scheme &)>;

// One output file.
struct Item {
    QString path;  // relative to the resource root
    std::function<QImage()> render;
};

class Registry {
public:
    // Adds name.png plus a variant for each letter: A = Active, D = Disabled.
    void icon(const QString &dir, const QString &name, int size, const Glyph &g, const QString &variants = QString());
    void image(const QString &path, const std::function<QImage()> &render);
    // Black-and-white cursor bitmap plus its dilated mask.
    void cursor(const QString &name, const Glyph &g, const QString &maskName = QString());

    std::vector<Item> items;
};

void addIcons(Registry &r);
void addCursors(Registry &r);
void addArtwork(Registry &r);

// --- drawing helpers -------------------------------------------------------

QPen pen(const QColor &c, qreal w);
QPolygonF poly(std::initializer_list<QPointF> pts);
void fillPoly(QPainter &p, const QPolygonF &pg, const QColor &c);
void strokePath(QPainter &p, const QPainterPath &path, const QColor &c, qreal w);

// Switches the painter to erase mode for the scope, so later shapes cut holes.
class Cut {
public:
    explicit Cut(QPainter &p);
    ~Cut();
private:
    QPainter &m_p;
    QPainter::CompositionMode m_old;
};

void arrowHead(QPainter &p, QPointF tip, QPointF dir, qreal len, qreal half, const QColor &c);
void arrowLine(QPainter &p, QPointF a, QPointF b, qreal w, const QColor &c, qreal len, qreal half, bool both = false);
QPointF onArc(QPointF c, qreal r, qreal deg);
void arcArrow(QPainter &p, QPointF c, qreal r, qreal startDeg, qreal spanDeg, qreal w, const QColor &col,
              qreal len, qreal half, bool headEnd = true, bool headStart = false);
void diamond(QPainter &p, QPointF c, qreal r, const QColor &fill);
void diamondOutline(QPainter &p, QPointF c, qreal r, const QColor &c2, qreal w);
void textCentered(QPainter &p, const QString &s, QPointF centre, int px, const QColor &c, bool bold = true);
QPainterPath textPath(const QString &s, QPointF centre, int px, bool bold = true);

// Shared glyph parts.
void padlock(QPainter &p, QRectF body, bool closed, const QColor &c, qreal shackleW);
void eye(QPainter &p, QRectF box, bool open, const QColor &c, const QColor &iris, qreal w);
void gear(QPainter &p, QPointF c, qreal rOut, qreal rIn, int teeth, qreal hole, const QColor &col);
void magnifier(QPainter &p, QPointF c, qreal r, qreal w, qreal handleLen, qreal handleW, const QColor &col);
QPainterPath handPath();  // open hand in a 20x20 box
void hand(QPainter &p, QRectF box, const QColor &c);
QPolygonF pointerPolygon();  // classic arrow pointer, tip at origin, ~10x16
void pointer(QPainter &p, QPointF tip, qreal scale, const QColor &c, bool mirrored = false);
void fourWay(QPainter &p, QPointF c, qreal r, qreal w, qreal head, const QColor &col);
void penNib(QPainter &p, QPointF tip, qreal scale, const QColor &c);
void sheet(QPainter &p, QPointF c, qreal w, qreal h, const QColor &col);
void badgePlus(QPainter &p, QPointF c, qreal r, qreal w, const QColor &col);
void badgeMinus(QPainter &p, QPointF c, qreal r, qreal w, const QColor &col);
void badgeCross(QPainter &p, QPointF c, qreal r, qreal w, const QColor &col);
void cutCircle(QPainter &p, QPointF c, qreal r);
void trackQuad(QPainter &p, const QPolygonF &q, const QColor &line, const QColor &dots, qreal w, qreal dotR);
void spring(QPainter &p, QPointF a, QPointF b, int coils, qreal amp, qreal w, const QColor &c);
