#include "Image.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace standin::imaging {

Rect Rect::intersected(const Rect& other) const
{
    const int left = std::max(x, other.x);
    const int top = std::max(y, other.y);
    const int right = std::min(x + width, other.x + other.width);
    const int bottom = std::min(y + height, other.y + other.height);
    if (right <= left || bottom <= top)
        return {};
    return {left, top, right - left, bottom - top};
}

namespace {
bool bValidLayout(int width, int height, int channels)
{
    if (width <= 0 || height <= 0 || channels < 1 || channels > 4)
        return false;
    return std::size_t(width) * std::size_t(height) * std::size_t(channels) <= Image<float>::kMaxValues;
}
} // namespace

template <typename T> Image<T>::Image(int width, int height, int channels)
{
    if (!bValidLayout(width, height, channels))
        return;
    const std::size_t count = std::size_t(width) * std::size_t(height) * std::size_t(channels);
    m_pStorage = std::shared_ptr<T[]>(new T[count]());
    m_pData = m_pStorage.get();
    m_iWidth = width;
    m_iHeight = height;
    m_iChannels = channels;
    m_stride = std::ptrdiff_t(width) * channels;
}

template <typename T> Image<T> Image<T>::wrap(T* data, int width, int height, int channels, std::ptrdiff_t stride)
{
    Image image;
    if (!data || !bValidLayout(width, height, channels) || stride < std::ptrdiff_t(width) * channels)
        return image;
    image.m_pData = data;
    image.m_iWidth = width;
    image.m_iHeight = height;
    image.m_iChannels = channels;
    image.m_stride = stride;
    return image;
}

template <typename T> Image<T> Image<T>::view(const Rect& area) const
{
    const Rect inside = area.intersected(rect());
    Image part;
    if (empty() || inside.empty())
        return part;
    part = *this;
    part.m_pData = row(inside.y) + std::ptrdiff_t(inside.x) * m_iChannels;
    part.m_iWidth = inside.width;
    part.m_iHeight = inside.height;
    return part;
}

template <typename T> Image<T> Image<T>::clone() const
{
    if (empty())
        return {};
    Image copy(m_iWidth, m_iHeight, m_iChannels);
    const std::size_t rowBytes = std::size_t(m_iWidth) * m_iChannels * sizeof(T);
    for (int y = 0; y < m_iHeight; ++y)
        std::memcpy(copy.row(y), row(y), rowBytes);
    return copy;
}

template <typename T> void Image<T>::fill(T value) const
{
    for (int y = 0; y < m_iHeight; ++y)
        std::fill(row(y), row(y) + std::ptrdiff_t(m_iWidth) * m_iChannels, value);
}

template class Image<std::uint8_t>;
template class Image<float>;

ImageF imgToFloat(const Image8& image)
{
    ImageF out(image.width(), image.height(), image.channels());
    const int values = image.width() * image.channels();
    for (int y = 0; y < out.height(); ++y) {
        const std::uint8_t* src = image.row(y);
        float* dst = out.row(y);
        for (int i = 0; i < values; ++i)
            dst[i] = float(src[i]) * (1.0f / 255.0f);
    }
    return out;
}

Image8 imgToByte(const ImageF& image)
{
    Image8 out(image.width(), image.height(), image.channels());
    const int values = image.width() * image.channels();
    for (int y = 0; y < out.height(); ++y) {
        const float* src = image.row(y);
        std::uint8_t* dst = out.row(y);
        for (int i = 0; i < values; ++i) {
            // NaN becomes 0.
            const float v = src[i] * 255.0f + 0.5f;
            dst[i] = v >= 255.0f ? 255 : (v > 0.0f ? std::uint8_t(v) : 0);
        }
    }
    return out;
}

} // namespace standin::imaging
