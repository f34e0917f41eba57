#include "PngDecode.h"

#include <libdeflate.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr unsigned char kPdSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr quint64 kPdMostPixels = quint64(1) << 28;

quint32 uiPdBigEndian(const unsigned char* p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

struct PdDecompressorFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

libdeflate_decompressor* pPdDecompressor()
{
    thread_local std::unique_ptr<libdeflate_decompressor, PdDecompressorFree> decompressor(
        libdeflate_alloc_decompressor());
    return decompressor.get();
}

int iPdPaeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Undoes the row's filter in place on the bytes that are shown: every byte of an 8-bit
// image, the upper byte of each 16-bit sample (Step 2). A filter works byte lane by byte
// lane (each byte looks only at the same byte of the pixel before and of the row above),
// so the lower bytes can be left as they are. Bpp is the pixel's size in bytes.
template <int Bpp, int Step>
bool bPdUnfilter(int filter, unsigned char* row, const unsigned char* above, size_t stride)
{
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (size_t i = Bpp; i < stride; i += Step)
            row[i] = static_cast<unsigned char>(row[i] + row[i - Bpp]);
        return true;
    case 2:
        for (size_t i = 0; i < stride; i += Step)
            row[i] = static_cast<unsigned char>(row[i] + above[i]);
        return true;
    case 3:
        for (size_t i = 0; i < size_t(Bpp); i += Step)
            row[i] = static_cast<unsigned char>(row[i] + (above[i] >> 1));
        for (size_t i = Bpp; i < stride; i += Step)
            row[i] = static_cast<unsigned char>(row[i] + ((int(row[i - Bpp]) + int(above[i])) >> 1));
        return true;
    case 4:
        for (size_t i = 0; i < size_t(Bpp); i += Step)
            row[i] = static_cast<unsigned char>(row[i] + above[i]);
        for (size_t i = Bpp; i < stride; i += Step)
            row[i] = static_cast<unsigned char>(row[i] + iPdPaeth(row[i - Bpp], above[i], above[i - Bpp]));
        return true;
    default:
        return false;
    }
}

// Writes the row's pixels as 32-bit B, G, R, A words.
template <int Channels, int Step>
void vPdConvert(const unsigned char* row, quint32* out, int width)
{
    constexpr int Bpp = Channels * Step;
    for (int x = 0; x < width; ++x) {
        const unsigned char* p = row + size_t(x) * Bpp;
        quint32 r;
        quint32 g;
        quint32 b;
        quint32 a = 255;
        if (Channels <= 2) {
            r = g = b = p[0];
            if (Channels == 2)
                a = p[Step];
        } else {
            r = p[0];
            g = p[Step];
            b = p[2 * Step];
            if (Channels == 4)
                a = p[3 * Step];
        }
        out[x] = (a << 24) | (r << 16) | (g << 8) | b;
    }
}

template <int Channels, int Step>
bool bPdDecodeRows(unsigned char* raw, size_t stride, QImage& image)
{
    constexpr int Bpp = Channels * Step;
    std::vector<unsigned char> zeros(stride, 0);
    const unsigned char* above = zeros.data();
    for (int y = 0; y < image.height(); ++y) {
        unsigned char* line = raw + size_t(y) * (stride + 1);
        unsigned char* row = line + 1;
        if (!bPdUnfilter<Bpp, Step>(line[0], row, above, stride))
            return false;
        vPdConvert<Channels, Step>(row, reinterpret_cast<quint32*>(image.scanLine(y)), image.width());
        above = row;
    }
    return true;
}

} // namespace

namespace standin {

QImage imgDecodePng(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.constData());
    const size_t size = size_t(data.size());
    if (size < 8 + 25 || std::memcmp(bytes, kPdSignature, 8) != 0)
        return QImage();

    quint32 width = 0;
    quint32 height = 0;
    int depth = 0;
    int colourType = -1;
    QByteArray compressed;
    bool header = false;
    bool ended = false;
    for (size_t at = 8; at + 12 <= size;) {
        const quint32 length = uiPdBigEndian(bytes + at);
        if (length > size - at - 12)
            return QImage();
        const unsigned char* type = bytes + at + 4;
        const unsigned char* body = bytes + at + 8;
        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (length != 13 || header)
                return QImage();
            width = uiPdBigEndian(body);
            height = uiPdBigEndian(body + 4);
            depth = body[8];
            colourType = body[9];
            // Compression and filter method 0, no interlacing.
            if (body[10] != 0 || body[11] != 0 || body[12] != 0)
                return QImage();
            header = true;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            if (!header)
                return QImage();
            compressed.append(reinterpret_cast<const char*>(body), int(length));
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            ended = true;
            break;
        } else if (std::memcmp(type, "tRNS", 4) == 0 || std::memcmp(type, "PLTE", 4) == 0) {
            // Transparent colours and palettes go the toolkit's way.
            return QImage();
        }
        at += size_t(length) + 12;
    }
    if (!header || !ended || compressed.isEmpty() || width == 0 || height == 0
        || quint64(width) * quint64(height) > kPdMostPixels || (depth != 8 && depth != 16))
        return QImage();
    int channels = 0;
    switch (colourType) {
    case 0:
        channels = 1;
        break;
    case 2:
        channels = 3;
        break;
    case 4:
        channels = 2;
        break;
    case 6:
        channels = 4;
        break;
    default:
        return QImage();
    }

    const int step = depth / 8;
    const size_t stride = size_t(width) * size_t(channels * step);
    const size_t expected = (stride + 1) * size_t(height);
    // Deflate shrinks data by 1032 at most: a header claiming more than that is damaged,
    // and no memory is taken for it.
    if (expected / 1032 > size_t(compressed.size()))
        return QImage();
    std::vector<unsigned char> raw;
    try {
        raw.resize(expected);
    } catch (const std::bad_alloc&) {
        return QImage();
    }
    size_t produced = 0;
    libdeflate_decompressor* decompressor = pPdDecompressor();
    if (!decompressor
        || libdeflate_zlib_decompress(decompressor, compressed.constData(), size_t(compressed.size()), raw.data(),
               expected, &produced)
            != LIBDEFLATE_SUCCESS
        || produced != expected)
        return QImage();

    const bool alpha = channels == 2 || channels == 4;
    QImage image(int(width), int(height), alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return QImage();
    bool ok = false;
    switch (channels * 10 + step) {
    case 11:
        ok = bPdDecodeRows<1, 1>(raw.data(), stride, image);
        break;
    case 12:
        ok = bPdDecodeRows<1, 2>(raw.data(), stride, image);
        break;
    case 21:
        ok = bPdDecodeRows<2, 1>(raw.data(), stride, image);
        break;
    case 22:
        ok = bPdDecodeRows<2, 2>(raw.data(), stride, image);
        break;
    case 31:
        ok = bPdDecodeRows<3, 1>(raw.data(), stride, image);
        break;
    case 32:
        ok = bPdDecodeRows<3, 2>(raw.data(), stride, image);
        break;
    case 41:
        ok = bPdDecodeRows<4, 1>(raw.data(), stride, image);
        break;
    case 42:
        ok = bPdDecodeRows<4, 2>(raw.data(), stride, image);
        break;
    default:
        break;
    }
    return ok ? image : QImage();
}

} // namespace standin
