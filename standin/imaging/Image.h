// Image buffers of the imaging core: 8-bit or float values, 1 to 4 interleaved channels
// (grey, grey and alpha, RGB, RGBA), rows a stride apart. Copies share the pixels, as views
// and crops do; clone() makes an independent copy. Pixel centres sit at integer coordinates,
// the top-left pixel's at (0, 0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace standin::imaging {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool empty() const { return width <= 0 || height <= 0; }
    bool contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    Rect intersected(const Rect& other) const;
    // Grown by the margin on every side (shrunk when it is negative).
    Rect adjusted(int margin) const { return {x - margin, y - margin, width + 2 * margin, height + 2 * margin}; }
    bool operator==(const Rect& o) const { return x == o.x && y == o.y && width == o.width && height == o.height; }
};

template <typename T> class Image {
public:
    using value_type = T;
    // The largest number of values one image may hold (about 1 GB of floats).
    static constexpr std::size_t kMaxValues = std::size_t(1) << 28;

    Image() = default;
    // Zero-filled; an empty image when a size is not positive, the channels are not 1 to 4 or
    // the image would be too large.
    Image(int width, int height, int channels);
    // Pixels the caller owns and keeps alive as long as the image or its copies live.
    // Empty when the layout is not valid (the stride counts values, at least width x channels).
    static Image wrap(T* data, int width, int height, int channels, std::ptrdiff_t stride);

    int width() const { return m_iWidth; }
    int height() const { return m_iHeight; }
    int channels() const { return m_iChannels; }
    // Values from the start of one row to the start of the next.
    std::ptrdiff_t stride() const { return m_stride; }
    bool empty() const { return m_pData == nullptr; }
    Rect rect() const { return {0, 0, m_iWidth, m_iHeight}; }

    // Pixels are reachable through every copy, so these are not const-restricted (as with pointers).
    T* data() const { return m_pData; }
    T* row(int y) const { return m_pData + std::ptrdiff_t(y) * m_stride; }
    T& at(int x, int y, int channel = 0) const { return row(y)[std::ptrdiff_t(x) * m_iChannels + channel]; }

    // The part of the image inside the rectangle (clipped to the image), sharing its pixels.
    Image view(const Rect& area) const;
    // An independent copy with rows one after another.
    Image clone() const;
    void fill(T value) const;
    bool sameSize(const Image& other) const { return m_iWidth == other.m_iWidth && m_iHeight == other.m_iHeight; }

private:
    std::shared_ptr<T[]> m_pStorage;
    T* m_pData = nullptr;
    int m_iWidth = 0;
    int m_iHeight = 0;
    int m_iChannels = 0;
    std::ptrdiff_t m_stride = 0;
};

using Image8 = Image<std::uint8_t>;
using ImageF = Image<float>;

extern template class Image<std::uint8_t>;
extern template class Image<float>;

// 8-bit values to 0..1 and back (rounded, clamped).
ImageF imgToFloat(const Image8& image);
Image8 imgToByte(const ImageF& image);

} // namespace standin::imaging
