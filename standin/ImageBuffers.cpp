#include "ImageBuffers.h"

#include "brandor.h"
#include "tamsin.h"

#include <QImage>
#include <QImageReader>
#include <cstring>

namespace {

int iIbChannels(int format)
{
    return format == TAM_RGBA ? 4 : format == TAM_RGB ? 3 : 1;
}

int iIbTypeSize(int type)
{
    return type == TAM_FLOAT32 ? 4 : type == TAM_UINT16 ? 2 : 1;
}

Tam_Image* pIbAllocate(unsigned int width, unsigned int height, int format, int type)
{
    if (width == 0 || height == 0 || (format != TAM_GREY && format != TAM_RGB && format != TAM_RGBA)
        || (type != TAM_UINT8 && type != TAM_UINT16 && type != TAM_FLOAT32))
        return nullptr;
    const int stride = tam_image_min_stride(int(width), format, type);
    auto* data = new unsigned char[size_t(stride) * height]();
    Tam_Image* image = tam_image_form_gen(int(width), int(height), stride, format, type, data);
    image->bOwnsData = true;
    return image;
}

void vIbFree(Tam_Image* image)
{
    if (image && image->free)
        image->free(image);
}

// One channel value of a pixel in the buffer's type, from 16-bit.
void vIbStore(unsigned char* at, int type, quint16 value)
{
    if (type == TAM_UINT8) {
        *at = static_cast<unsigned char>(value >> 8);
    } else if (type == TAM_UINT16) {
        std::memcpy(at, &value, sizeof value);
    } else {
        const float f = value / 65535.0f;
        std::memcpy(at, &f, sizeof f);
    }
}

bool bIbRead(const char* pathUtf8, Tam_Image* image, const CW_ColourspaceParameters&)
{
    if (!pathUtf8 || !image || !image->pucData || image->iWidth <= 0 || image->iHeight <= 0)
        return false;
    QImageReader reader(QString::fromUtf8(pathUtf8));
    QImage frame = reader.read();
    if (frame.isNull())
        return false;
    frame = frame.scaled(image->iWidth, image->iHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_RGBA64);
    const int channels = iIbChannels(image->iFormat);
    const int size = iIbTypeSize(image->iType);
    for (int y = 0; y < image->iHeight; ++y) {
        // Rows bottom up.
        const auto* source = reinterpret_cast<const QRgba64*>(frame.constScanLine(image->iHeight - 1 - y));
        unsigned char* row = image->pucData + size_t(y) * size_t(image->iStride);
        for (int x = 0; x < image->iWidth; ++x) {
            const QRgba64 pixel = source[x];
            const quint16 values[4] = {pixel.red(), pixel.green(), pixel.blue(), pixel.alpha()};
            if (channels == 1) {
                vIbStore(row + size_t(x) * size, image->iType, quint16((values[0] + values[1] + values[2]) / 3));
                continue;
            }
            for (int c = 0; c < channels; ++c)
                vIbStore(row + (size_t(x) * channels + c) * size, image->iType, values[c]);
        }
    }
    return true;
}

} // namespace

namespace standin {

void vInstallImageBufferCallbacks(CW_CallbackStruct& callbacks)
{
    callbacks.pfnAllocateImage = &pIbAllocate;
    callbacks.pfnFreeImage = &vIbFree;
    callbacks.pfnReadImage = &bIbRead;
}

} // namespace standin
