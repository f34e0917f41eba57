// Paints every picture the program loads from its resources and writes images.qrc.
// Usage: iconpainter <src/resources dir> [--sheet contact-sheet.png]
#include "paint.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// Kept in step with the names the program asks for; a mismatch means a picture was lost or added.
constexpr int kResourcesCount = 242;
constexpr int kCurveEditorCount = 16;
constexpr int kProductCount = 9;

[[noreturn]] void fail(const QString &msg)
{
    std::fprintf(stderr, "iconpainter: %s\n", qPrintable(msg));
    std::exit(1);
}

bool isBlank(const QImage &img)
{
    // A picture must have visible pixels of more than one colour.
    QRgb first = 0;
    bool seen = false;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (qAlpha(c) == 0)
                continue;
            if (!seen) {
                first = c;
                seen = true;
            } else if (c != first) {
                return false;
            }
        }
    return true;
}

struct Rendered {
    QString path;
    QImage image;
};

void writeSheet(const std::vector<Rendered> &all, const QString &file)
{
    const int width = 1500, pad = 10, label = 14;
    struct Cell { int x, y, w, h; QImage thumb; QString name; };
    std::vector<Cell> cells;
    int x = pad, y = pad, rowH = 0;
    for (const Rendered &r : all) {
        QImage t;
        const QSize s = r.image.size();
        if (s.width() <= 32 && s.height() <= 32)
            t = r.image.scaled(s * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        else if (s.width() <= 64 && s.height() <= 64)
            t = r.image.scaled(s * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        else
            t = r.image.scaled(QSize(300, 200), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const int w = std::max(t.width(), 118);
        const int h = t.height() + label + 4;
        if (x + w > width) {
            x = pad;
            y += rowH + pad;
            rowH = 0;
        }
        cells.push_back({x, y, w, h, t, QFileInfo(r.path).completeBaseName()});
        x += w + pad;
        rowH = std::max(rowH, h);
    }
    const int height = y + rowH + pad;
    QImage sheet(width, height, QImage::Format_RGB32);
    sheet.fill(QColor("#393939"));
    QPainter p(&sheet);
    QFont f("DejaVu Sans");
    f.setPixelSize(10);
    p.setFont(f);
    for (const Cell &c : cells) {
        p.drawImage(c.x + (c.w - c.thumb.width()) / 2, c.y, c.thumb);
        p.setPen(QColor("#ffffff"));
        p.drawText(QRect(c.x - 4, c.y + c.thumb.height() + 2, c.w + 8, label), Qt::AlignHCenter | Qt::AlignTop, c.name);
    }
    p.end();
    if (!sheet.save(file))
        fail("cannot write " + file);
    // Pages of the same sheet, small enough to look at without downscaling.
    const int pageH = 800;
    const QFileInfo fi(file);
    for (int i = 0; i * pageH < height; ++i) {
        const QString page = fi.dir().filePath(fi.completeBaseName() + QString("-%1.png").arg(i + 1));
        sheet.copy(0, i * pageH, width, std::min(pageH, height - i * pageH)).save(page);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2)
        fail("usage: iconpainter <resources dir> [--sheet file.png]");
    const QDir out(args.at(1));
    QString sheetFile;
    const int sheetAt = args.indexOf("--sheet");
    if (sheetAt > 0 && sheetAt + 1 < args.size())
        sheetFile = args.at(sheetAt + 1);

    Registry reg;
    addIcons(reg);
    addCursors(reg);
    addArtwork(reg);

    int resources = 0, curveEditor = 0, products = 0;
    QHash<QString, QString> seenPath;
    for (const Item &it : reg.items) {
        if (seenPath.contains(it.path))
            fail("painted twice: " + it.path);
        seenPath.insert(it.path, it.path);
        if (it.path.startsWith("Resources/"))
            ++resources;
        else if (it.path.startsWith("images/"))
            ++curveEditor;
        else
            ++products;
    }
    if (resources != kResourcesCount || curveEditor != kCurveEditorCount || products != kProductCount)
        fail(QString("expected %1 + %2 + %3 pictures, have %4 + %5 + %6")
                 .arg(kResourcesCount).arg(kCurveEditorCount).arg(kProductCount)
                 .arg(resources).arg(curveEditor).arg(products));

    std::vector<Rendered> all;
    QHash<QByteArray, QString> byContent;
    for (const Item &it : reg.items) {
        const QImage img = it.render().convertToFormat(QImage::Format_ARGB32);
        if (img.isNull() || isBlank(img))
            fail("blank picture: " + it.path);
        QCryptographicHash h(QCryptographicHash::Sha1);
        h.addData(QByteArray::number(img.width()) + "x" + QByteArray::number(img.height()));
        for (int y = 0; y < img.height(); ++y)
            h.addData(QByteArrayView(reinterpret_cast<const char *>(img.constScanLine(y)), img.width() * 4));
        const QByteArray key = h.result();
        if (byContent.contains(key))
            fail("identical pictures: " + it.path + " and " + byContent.value(key));
        byContent.insert(key, it.path);

        const QString file = out.filePath(it.path);
        QDir().mkpath(QFileInfo(file).absolutePath());
        if (!img.save(file, "PNG"))
            fail("cannot write " + file);
        all.push_back({it.path, img});
    }

    QStringList paths;
    for (const Rendered &r : all)
        paths << r.path;
    std::sort(paths.begin(), paths.end());
    QFile qrc(out.filePath("images.qrc"));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        fail("cannot write images.qrc");
    QTextStream ts(&qrc);
    ts << "<RCC>\n    <qresource prefix=\"/\">\n";
    for (const QString &path : paths)
        ts << "        <file>" << path << "</file>\n";
    ts << "    </qresource>\n</RCC>\n";
    qrc.close();

    if (!sheetFile.isEmpty())
        writeSheet(all, sheetFile);

    std::printf("iconpainter: wrote %d pictures (%d + %d + %d)\n", int(all.size()), resources, curveEditor, products);
    return 0;
}
