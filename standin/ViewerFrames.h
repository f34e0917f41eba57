// Decoded frames that the stand-in keeps for display, shared by every project.
#pragma once

#include "cwbase.h"

#include <QImage>
#include <QString>

namespace standin {

// The file of a clip's frame; empty for a frame of a sparse clip that has no image.
QString qstrViewerFramePath(const CW_ClipInfo& files, unsigned int frame);
// The image of a file, decoded as 32-bit BGRA rows, from the cache or read now (or waited
// for, when a worker is decoding it). A null image when the file cannot be read.
QImage imgGetDecodedFrame(const QString& path);
// Drops every cached frame and what is waiting to be decoded (the files may have changed).
void vForgetDecodedFrames();
// Has the frames after the shown one decoded on worker threads, in the direction of the
// last step, as many as the cache can hold besides the shown one. Replaces what was asked
// before and is not started yet.
void vDecodeAhead(const CW_ClipInfo& files, int frameCount, unsigned int frame, const QImage& shown);
// Drops the waiting work and joins the workers (they finish the frame in hand). Call it
// from the thread that draws; the next vDecodeAhead starts them again.
void vStopDecodeAhead();
// Adds to the render timings: time spent getting a frame, and whether it was decoded on
// the drawing thread or ahead.
void vRecordFrameRead(qint64 nanoseconds, bool decoded, bool ahead = false);

} // namespace standin
