#include "ImageFile.h"

#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QString>
#include <algorithm>
#include <cstring>

namespace standin::imaging {

namespace {

bool bIsDeep(const QImage& image)
{
    switch (image.format()) {
    case QImage::Format_Grayscale16:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
    case QImage::Format_RGBX16FPx4:
    case QImage::Format_RGBA16FPx4:
    case QImage::Format_RGBA16FPx4_Premultiplied:
    case QImage::Format_RGBX32FPx4:
    case QImage::Format_RGBA32FPx4:
    case QImage::Format_RGBA32FPx4_Premultiplied:
        return true;
    default:
        return false;
    }
}

int iChannelsOf(const QImage& image)
{
    if (image.hasAlphaChannel())
        return 4;
    return image.isGrayscale() ? 1 : 3;
}

Result<QImage> qimgRead(const std::string& path)
{
    QImageReader reader(QString::fromUtf8(path.c_str()));
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > 65535 || size.height() > 65535))
        return Failure {"the image is too large: " + path};
    QImage image = reader.read();
    if (image.isNull())
        return Failure {"cannot read " + path + ": " + reader.errorString().toStdString()};
    return image;
}

// Copies rows of a QImage in a format of `channels` channels of T into an image.
template <typename T> Image<T> imgCopyRows(const QImage& source, int channels)
{
    Image<T> out(source.width(), source.height(), channels);
    const std::size_t bytes = std::size_t(source.width()) * std::size_t(channels) * sizeof(T);
    for (int y = 0; y < out.height(); ++y)
        std::memcpy(out.row(y), source.constScanLine(y), bytes);
    return out;
}

Status stWrite(const std::string& path, const QImage& image, int quality)
{
    if (image.isNull())
        return Failure {"there is no image to write to " + path};
    QImageWriter writer(QString::fromUtf8(path.c_str()));
    if (quality >= 0)
        writer.setQuality(std::min(quality, 100));
    if (!writer.write(image))
        return Failure {"cannot write " + path + ": " + writer.errorString().toStdString()};
    return {};
}

bool bHasDeepWriter(const std::string& path)
{
    const QString name = QString::fromUtf8(path.c_str()).toLower();
    return name.endsWith(QLatin1String(".png")) || name.endsWith(QLatin1String(".tif"))
        || name.endsWith(QLatin1String(".tiff"));
}

} // namespace

Image8 imgFromQImage(const QImage& image)
{
    if (image.isNull())
        return {};
    const int channels = iChannelsOf(image);
    const QImage::Format format
        = channels == 1 ? QImage::Format_Grayscale8 : (channels == 3 ? QImage::Format_RGB888 : QImage::Format_RGBA8888);
    return imgCopyRows<std::uint8_t>(image.convertToFormat(format), channels);
}

QImage qimgFromImage(const Image8& image)
{
    if (image.empty())
        return {};
    const int channels = image.channels();
    const QImage::Format format
        = channels == 1 ? QImage::Format_Grayscale8 : (channels == 3 ? QImage::Format_RGB888 : QImage::Format_RGBA8888);
    QImage out(image.width(), image.height(), format);
    if (out.isNull())
        return {};
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* src = image.row(y);
        uchar* dst = out.scanLine(y);
        if (channels == 2) {
            for (int x = 0; x < image.width(); ++x) {
                dst[4 * x] = dst[4 * x + 1] = dst[4 * x + 2] = src[2 * x];
                dst[4 * x + 3] = src[2 * x + 1];
            }
        } else {
            std::memcpy(dst, src, std::size_t(image.width()) * std::size_t(channels));
        }
    }
    return out;
}

Result<Image8> imgReadImage8(const std::string& path)
{
    const Result<QImage> image = qimgRead(path);
    if (!image)
        return Failure {image.error()};
    const Image8 out = imgFromQImage(*image);
    if (out.empty())
        return Failure {"the image is too large: " + path};
    return out;
}

Result<ImageF> imgReadImageF(const std::string& path)
{
    const Result<QImage> read = qimgRead(path);
    if (!read)
        return Failure {read.error()};
    const QImage& image = *read;
    if (!bIsDeep(image)) {
        const Image8 bytes = imgFromQImage(image);
        if (bytes.empty())
            return Failure {"the image is too large: " + path};
        return imgToFloat(bytes);
    }
    const int channels = iChannelsOf(image);
    const QImage deep = image.convertToFormat(channels == 1 ? QImage::Format_Grayscale16 : QImage::Format_RGBA64);
    ImageF out(deep.width(), deep.height(), channels);
    if (out.empty())
        return Failure {"the image is too large: " + path};
    const int stored = channels == 1 ? 1 : 4;
    for (int y = 0; y < out.height(); ++y) {
        const quint16* src = reinterpret_cast<const quint16*>(deep.constScanLine(y));
        float* dst = out.row(y);
        for (int x = 0; x < out.width(); ++x)
            for (int c = 0; c < channels; ++c)
                dst[x * channels + c] = float(src[x * stored + c]) * (1.0f / 65535.0f);
    }
    return out;
}

Status stWriteImage(const std::string& path, const Image8& image, int quality)
{
    if (image.empty())
        return Failure {"there is no image to write to " + path};
    return stWrite(path, qimgFromImage(image), quality);
}

Status stWriteImage(const std::string& path, const ImageF& image, int quality)
{
    if (image.empty())
        return Failure {"there is no image to write to " + path};
    if (!bHasDeepWriter(path))
        return stWrite(path, qimgFromImage(imgToByte(image)), quality);
    const int channels = image.channels();
    QImage out(image.width(), image.height(),
        channels == 1 ? QImage::Format_Grayscale16 : (channels == 3 ? QImage::Format_RGBX64 : QImage::Format_RGBA64));
    if (out.isNull())
        return Failure {"the image is too large to write: " + path};
    const int stored = channels == 1 ? 1 : 4;
    for (int y = 0; y < image.height(); ++y) {
        const float* src = image.row(y);
        quint16* dst = reinterpret_cast<quint16*>(out.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            float values[4] = {0.0f, 0.0f, 0.0f, 1.0f};
            if (channels == 2) {
                values[0] = values[1] = values[2] = src[2 * x];
                values[3] = src[2 * x + 1];
            } else {
                for (int c = 0; c < channels; ++c)
                    values[c] = src[x * channels + c];
            }
            for (int c = 0; c < stored; ++c) {
                const float v = values[c] * 65535.0f + 0.5f;
                dst[x * stored + c] = v >= 65535.0f ? 65535 : (v > 0.0f ? quint16(v) : 0);
            }
        }
    }
    return stWrite(path, out, quality);
}

} // namespace standin::imaging
