#include "tamsin.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

int iTamChannels(int format)
{
    switch (format) {
    case TAM_GREY:
        return 1;
    case TAM_RGB:
        return 3;
    default:
        return 4;
    }
}

int iTamTypeSize(int type)
{
    switch (type) {
    case TAM_UINT16:
        return 2;
    case TAM_FLOAT32:
        return 4;
    default:
        return 1;
    }
}

void vTamFree(Tam_Image* image)
{
    if (!image)
        return;
    if (image->bOwnsData)
        delete[] image->pucData;
    delete image;
}

Tam_Image* pTamCopy(const Tam_Image* image)
{
    if (!image)
        return nullptr;
    auto* copy = new Tam_Image(*image);
    const size_t bytes = size_t(image->iStride) * size_t(std::max(0, image->iHeight));
    copy->pucData = new unsigned char[std::max<size_t>(bytes, 1)];
    if (image->pucData && bytes)
        std::memcpy(copy->pucData, image->pucData, bytes);
    copy->bOwnsData = true;
    return copy;
}

} // namespace

int tam_image_min_stride(int width, int format, int type)
{
    return std::max(0, width) * iTamChannels(format) * iTamTypeSize(type);
}

Tam_Image* tam_image_form_gen(int width, int height, int stride, int format, int type, unsigned char* data)
{
    auto* image = new Tam_Image();
    image->iWidth = width;
    image->iHeight = height;
    image->iStride = stride;
    image->iFormat = format;
    image->iType = type;
    image->pucData = data;
    image->bOwnsData = false;
    image->copy = &pTamCopy;
    image->free = &vTamFree;
    return image;
}

void tam_image_swap_RandB_q(Tam_Image* image)
{
    if (!image || !image->pucData || iTamChannels(image->iFormat) < 3 || image->iType != TAM_UINT8)
        return;
    const int channels = iTamChannels(image->iFormat);
    for (int y = 0; y < image->iHeight; ++y) {
        unsigned char* row = image->pucData + size_t(y) * size_t(image->iStride);
        for (int x = 0; x < image->iWidth; ++x)
            std::swap(row[x * channels], row[x * channels + 2]);
    }
}

void tam_image_flip_q(Tam_Image* image)
{
    if (!image || !image->pucData || image->iHeight < 2)
        return;
    const size_t rowBytes = size_t(tam_image_min_stride(image->iWidth, image->iFormat, image->iType));
    std::vector<unsigned char> buffer(rowBytes);
    for (int top = 0, bottom = image->iHeight - 1; top < bottom; ++top, --bottom) {
        unsigned char* a = image->pucData + size_t(top) * size_t(image->iStride);
        unsigned char* b = image->pucData + size_t(bottom) * size_t(image->iStride);
        std::memcpy(buffer.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, buffer.data(), rowBytes);
    }
}
