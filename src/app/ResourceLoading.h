// Pictures compiled into the program, and the style sheets and fonts of the installation.
#pragma once

#include <QBitmap>
#include <QIcon>
#include <QPixmap>
#include <QString>

QString qstrGetLogoFileName(const QString& product);
QString qstrGetSplashFileName(const QString& product);
QString qstrGetIconFileName(const QString& product);

// ":" + name; a missing resource gives a null pixmap.
QPixmap qpixGetResourcePixmap(const QString& name);
// An icon from ":/Resources/<name>" with its Disabled, Active and Selected pictures.
QIcon qicnGetResourceIconSet(const QString& fileName);
// The picture's shape filled with the product colour.
QPixmap qpixGetResourcePixmapWithAlpha(const QString& fileName);
// A one-bit bitmap for cursors; convert forces the monochrome conversion.
QBitmap qbmpGetResourceBitmap(const QString& fileName, bool convert);
QBitmap qpixGetResourcePixmapMasked(const QString& fileName);

// Appends a style sheet of the installation to the application's style sheet.
void vLoadStyleSheet(const QString& fileName);
// Registers every TrueType font of the installation's font folder.
void vLoadApplicationFonts();
