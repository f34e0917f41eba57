// Image files for the imaging core, through Qt's image readers and writers (PNG 8 and 16-bit,
// TIFF, JPEG and whatever else the installed plug-ins read). The only part of the core that
// uses Qt.
#pragma once

#include "Image.h"
#include "Result.h"

#include <string>

class QImage;

namespace standin::imaging {

// The file's pixels as 8-bit values: one channel for grey files, three for colour, four when
// the file has alpha (never premultiplied). Deeper files are rounded to 8 bits.
Result<Image8> imgReadImage8(const std::string& path);
// The same as 0..1 values; 16-bit files keep their precision.
Result<ImageF> imgReadImageF(const std::string& path);

// Writes in the format the file name's extension names. quality (0..100, -1 for the
// writer's default) serves lossy formats. A grey-alpha image is written as RGBA.
Status stWriteImage(const std::string& path, const Image8& image, int quality = -1);
// Written with 16 bits a channel where the format has them (PNG, TIFF), else 8; values
// outside 0..1 are clamped.
Status stWriteImage(const std::string& path, const ImageF& image, int quality = -1);

// Conversions for the stand-in's own frames: a copy either way.
Image8 imgFromQImage(const QImage& image);
QImage qimgFromImage(const Image8& image);

} // namespace standin::imaging
