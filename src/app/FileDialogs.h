// File dialogs that offer the I/O library's file types and remember the chosen filter,
// and the names of project files.
#pragma once

#include "cwbase.h"

#include <QString>
#include <QStringList>

class QWidget;

// File-type flags: 1 images, 2 movies, 4 and 8 further kinds; 15 everything.
QStringList qslGetFileTypeFilters(int fileTypeFlags, bool write);
QString qstrGetFileTypeFilter(int fileTypeFlags, bool write);

// Empty when cancelled; a name without an extension gets the default one of the types.
QString qstrGetSaveFileName(const QString& startFolder, QWidget* parent, int fileTypeFlags);
// A chosen file that probes as a clip, with both descriptions filled; empty otherwise.
QString qstrGetOpenFileName(CW_BaseClipInfo& base, CW_ClipInfo& clip, const QString& startFolder, QWidget* parent);
// The chosen image files, sorted.
QStringList qslGetOpenFileNames(CW_ClipInfo& clip, const QString& startFolder, QWidget* parent);

// The open-dialog filter of the projects the running product can load.
QString qstrGetProjectFileFilter();
// Gives the file name the running product's project extension, replacing another
// product's extension at its end.
void vApplyProjectFileExtension(QString& fileName);
