// A PNG decoder for the frames the viewer shows: straight into 32-bit rows of the toolkit's
// B, G, R, A order, inflating the whole image at once, and, for 16 bits a channel, undoing
// the row filters on the upper bytes alone (the lower ones are not shown).
#pragma once

#include <QByteArray>
#include <QImage>

namespace standin {

// The picture of PNG data as Format_RGB32 (no alpha) or Format_ARGB32: samples of 16 bits
// keep their upper byte. A null image for what it leaves to the toolkit's reader: interlaced
// images, palettes, fewer than 8 bits a sample, transparency chunks, damaged data, or more
// than 2^28 pixels.
QImage imgDecodePng(const QByteArray& data);

} // namespace standin
