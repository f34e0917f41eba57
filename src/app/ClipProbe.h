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

class QComboBox;

// The file's suffix with its dot (".dpx"), taken from the file name only; ".png" when the
// file name has none.
QString qstrGetFileSuffix(const QByteArray& pathUtf8);
// (c / d) / (a / b), with a / b halved for a field-based size.
float fComputePixelAspectRatio(unsigned int a, unsigned int b, double c, double d, bool fields);

// Space-separated extension patterns ("*.tif *.TIF ...") the engine may read from or write
// to its image cache; writeMap selects the write map of the definitions.
QString qstrGetReadFileFilter(int fileTypeFlags, bool writeMap);
QString qstrGetWriteFileFilter(int fileTypeFlags, bool writeMap);
// Appends the writable file types to the combo box (the current one first when given).
// Image format 13 with image type 17 asks for any format.
void vFillFileTypeCombo(QComboBox* combo, bool checkWritable, int imageFormat, int imageType, bool tamsinOnly,
                        const QByteArray& currentType, int flags);
void vFillFilmTypeCombo(QComboBox* combo);
CW_FilmType stGetCustomFilmType(unsigned int width, unsigned int height);

// The folder marker of clips whose images come from the program's resources.
extern const char* const kszResourceClipFolder;
// Registers the logo and the three grids on a project that lacks them.
void vRegisterResourceClips(CW_Instance project);
