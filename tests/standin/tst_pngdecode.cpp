#include "TestEnvironment.h"

#include "standin/PngDecode.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <cmath>

namespace {

// A picture that makes the encoder use every row filter: gradients, a disc, and a grain
// that differs in every sample (so the lower byte of 16-bit samples matters too).
QImage imgPdPicture(QImage::Format format, int width, int height)
{
    QImage image(width, height, format);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        QLinearGradient gradient(0, 0, width, height);
        gradient.setColorAt(0.0, QColor(250, 20, 90, 255));
        gradient.setColorAt(1.0, QColor(10, 200, 240, 60));
        painter.fillRect(image.rect(), gradient);
        painter.setBrush(QColor(255, 255, 255, 200));
        painter.drawEllipse(QPoint(width / 3, height / 2), height / 3, height / 3);
    }
    quint32 seed = 22695477u;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            QColor c = image.pixelColor(x, y);
            const int grain = int(seed >> 27) - 16;
            c.setRgba64(QRgba64::fromRgba64(quint16(std::clamp(int(c.rgba64().red()) + grain * 37, 0, 65535)),
                quint16(std::clamp(int(c.rgba64().green()) - grain * 53, 0, 65535)), c.rgba64().blue(),
                c.rgba64().alpha()));
            image.setPixelColor(x, y, c);
        }
    }
    return image;
}

QByteArray baPdPng(const QImage& image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.write(image);
    return data;
}

// The toolkit's own reading of the data, in the decoder's format.
QImage imgPdReference(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    const QImage image = reader.read();
    return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

void vPdAppendChunk(QByteArray& png, const char* type, const QByteArray& body)
{
    const quint32 length = quint32(body.size());
    const char size[4] = {char(length >> 24), char(length >> 16), char(length >> 8), char(length)};
    png.append(size, 4);
    png.append(type, 4);
    png.append(body);
    // The decoder does not read the checksum.
    png.append(QByteArray(4, '\0'));
}

// A PNG of the given samples (rows of channels x bytes a sample, big-endian), every row put
// through the one filter, written the way the format describes.
QByteArray baPdEncode(const std::vector<QByteArray>& rows, int width, int colourType, int depth, int filter)
{
    const int channels = colourType == 0 ? 1 : colourType == 2 ? 3 : colourType == 4 ? 2 : 4;
    const int bpp = channels * depth / 8;
    QByteArray raw;
    QByteArray above(rows.front().size(), '\0');
    for (const QByteArray& row : rows) {
        raw.append(char(filter));
        for (int i = 0; i < row.size(); ++i) {
            const int x = quint8(row[i]);
            const int a = i >= bpp ? quint8(row[i - bpp]) : 0;
            const int b = quint8(above[i]);
            const int c = i >= bpp ? quint8(above[i - bpp]) : 0;
            int predicted = 0;
            if (filter == 1)
                predicted = a;
            else if (filter == 2)
                predicted = b;
            else if (filter == 3)
                predicted = (a + b) / 2;
            else if (filter == 4) {
                const int p = a + b - c;
                const int pa = std::abs(p - a);
                const int pb = std::abs(p - b);
                const int pc = std::abs(p - c);
                predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            }
            raw.append(char((x - predicted) & 0xff));
        }
        above = row;
    }
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    const quint32 w = quint32(width);
    const quint32 h = quint32(rows.size());
    const char header[13] = {char(w >> 24), char(w >> 16), char(w >> 8), char(w), char(h >> 24), char(h >> 16),
        char(h >> 8), char(h), char(depth), char(colourType), 0, 0, 0};
    vPdAppendChunk(png, "IHDR", QByteArray(header, 13));
    // The toolkit's compression is a zlib stream behind a four-byte length.
    vPdAppendChunk(png, "IDAT", qCompress(raw).mid(4));
    vPdAppendChunk(png, "IEND", QByteArray());
    return png;
}

} // namespace

class TstPngDecode : public QObject {
    Q_OBJECT

private slots:
    void decodesAsTheToolkitReads_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("alpha");
        QTest::addColumn<int>("tolerance");
        // 16-bit samples keep their upper byte where the toolkit rounds: one level apart.
        QTest::newRow("8-bit RGB") << int(QImage::Format_RGB32) << false << 0;
        QTest::newRow("8-bit RGBA") << int(QImage::Format_ARGB32) << true << 0;
        QTest::newRow("8-bit grey") << int(QImage::Format_Grayscale8) << false << 0;
        QTest::newRow("16-bit RGB") << int(QImage::Format_RGBX64) << false << 1;
        QTest::newRow("16-bit RGBA") << int(QImage::Format_RGBA64) << true << 1;
        QTest::newRow("16-bit grey") << int(QImage::Format_Grayscale16) << false << 1;
    }

    void decodesAsTheToolkitReads()
    {
        QFETCH(int, format);
        QFETCH(bool, alpha);
        QFETCH(int, tolerance);
        // An odd width: rows that are not a multiple of anything.
        const QByteArray data = baPdPng(imgPdPicture(QImage::Format(format), 173, 61));
        const QImage reference = imgPdReference(data);
        const QImage decoded = standin::imgDecodePng(data);
        QVERIFY(!decoded.isNull());
        QCOMPARE(decoded.size(), reference.size());
        QCOMPARE(decoded.format(), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        int worst = 0;
        for (int y = 0; y < reference.height(); ++y) {
            const auto* a = reinterpret_cast<const quint32*>(decoded.constScanLine(y));
            const auto* b = reinterpret_cast<const quint32*>(reference.constScanLine(y));
            for (int x = 0; x < reference.width(); ++x)
                for (int shift = 0; shift < 32; shift += 8)
                    worst = std::max(worst, std::abs(int((a[x] >> shift) & 0xff) - int((b[x] >> shift) & 0xff)));
        }
        QVERIFY2(worst <= tolerance, qPrintable(QStringLiteral("differs by %1").arg(worst)));
    }

    void everyFilterOnEverySampleLayout_data()
    {
        QTest::addColumn<int>("colourType");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("filter");
        const char* filters[5] = {"none", "sub", "up", "average", "paeth"};
        for (const auto& [colourType, name] : {std::pair<int, const char*>(0, "grey"), {2, "RGB"}, {4, "grey and alpha"},
                 {6, "RGBA"}})
            for (int depth : {8, 16})
                for (int filter = 0; filter < 5; ++filter)
                    QTest::addRow("%s %d-bit, %s", name, depth, filters[filter]) << colourType << depth << filter;
    }

    void everyFilterOnEverySampleLayout()
    {
        QFETCH(int, colourType);
        QFETCH(int, depth);
        QFETCH(int, filter);
        const int channels = colourType == 0 ? 1 : colourType == 2 ? 3 : colourType == 4 ? 2 : 4;
        const int sampleBytes = depth / 8;
        const int width = 13;
        const int height = 7;
        // Every byte its own value, so a byte taken from the wrong place shows.
        std::vector<QByteArray> rows;
        quint32 seed = 7u + quint32(colourType * 100 + depth * 10 + filter);
        for (int y = 0; y < height; ++y) {
            QByteArray row;
            for (int i = 0; i < width * channels * sampleBytes; ++i) {
                seed = seed * 1103515245u + 12345u;
                row.append(char(seed >> 16));
            }
            rows.push_back(row);
        }
        const QImage decoded = standin::imgDecodePng(baPdEncode(rows, width, colourType, depth, filter));
        QVERIFY(!decoded.isNull());
        QCOMPARE(decoded.size(), QSize(width, height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                // The upper byte of each sample.
                auto sample = [&](int channel) {
                    return int(quint8(rows[size_t(y)][(x * channels + channel) * sampleBytes]));
                };
                const bool grey = channels <= 2;
                const int r = sample(0);
                const int g = grey ? r : sample(1);
                const int b = grey ? r : sample(2);
                const int a = channels == 2 ? sample(1) : channels == 4 ? sample(3) : 255;
                const QRgb got = reinterpret_cast<const QRgb*>(decoded.constScanLine(y))[x];
                QVERIFY2(got == qRgba(r, g, b, a),
                    qPrintable(QStringLiteral("%1,%2: %3 for %4").arg(x).arg(y).arg(got, 8, 16).arg(qRgba(r, g, b, a), 8, 16)));
            }
        }
    }

    void leavesWhatItDoesNotHandleToTheToolkit_data()
    {
        QTest::addColumn<QByteArray>("data");
        const QByteArray rgb = baPdPng(imgPdPicture(QImage::Format_RGB32, 40, 30));
        QTest::newRow("palette") << baPdPng(imgPdPicture(QImage::Format_RGB32, 40, 30).convertToFormat(QImage::Format_Indexed8));
        QTest::newRow("one bit a pixel") << baPdPng(imgPdPicture(QImage::Format_RGB32, 40, 30).convertToFormat(QImage::Format_Mono));
        QTest::newRow("cut short") << rgb.left(rgb.size() / 2);
        QByteArray damaged = rgb;
        // A byte of the compressed picture changed.
        const int idat = int(damaged.indexOf("IDAT"));
        QVERIFY(idat > 0);
        damaged[idat + 30] = char(damaged.at(idat + 30) ^ 0x5a);
        QTest::newRow("damaged picture") << damaged;
        QByteArray huge = rgb;
        // The header claims 60000 x 60000 pixels over the same few bytes.
        const int ihdr = int(huge.indexOf("IHDR"));
        const char size[8] = {0, 0, char(0xea), 0x60, 0, 0, char(0xea), 0x60};
        huge.replace(ihdr + 4, 8, QByteArray(size, 8));
        QTest::newRow("claims a huge picture") << huge;
        QTest::newRow("not a PNG") << QByteArray("GIF89a and so on, long enough to be looked at");
        QTest::newRow("nothing") << QByteArray();
    }

    void leavesWhatItDoesNotHandleToTheToolkit()
    {
        QFETCH(QByteArray, data);
        QVERIFY(standin::imgDecodePng(data).isNull());
    }
};

PLINTRA_TEST_MAIN(TstPngDecode)
#include "tst_pngdecode.moc"
