// Asking the image I/O library whether a file is a clip, and what it holds.
#pragma once

#include "cwbase.h"

#include <QString>

// True when the I/O library accepts the file as a clip; fills both descriptions. Never
// shows a message. The caller closes the file with vCloseMovie.
bool bGetClipImageInfo(const QString& path, CW_BaseClipInfo& base, CW_ClipInfo& clip, void* passThrough);
void vCloseMovie(const QString& path);
// Probes the file with fresh descriptions and closes it again.
bool bIsReadableClip(const QString& path);
