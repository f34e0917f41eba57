// Decoded frames that the stand-in keeps for display, shared by every project.
#pragma once

#include <QImage>
#include <QString>

namespace standin {

// The image of a file, decoded as 32-bit BGRA rows, from the cache or read now. A null
// image when the file cannot be read.
QImage imgGetDecodedFrame(const QString& path);
// Drops every cached frame (the files may have changed).
void vForgetDecodedFrames();

} // namespace standin
