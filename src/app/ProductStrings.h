// Texts and colours derived from the product identity.
#pragma once

#include <QColor>
#include <QString>

// "<display name> <version>", computed once and again when forced or empty.
QString qstrGetApplicationTitle(bool force = false);
QString qstrGetProductNameAndVersion(const QString& product);
QString qstrGetLongProductTitle();
// "Track" for products whose render function is tracking, else "Render".
QString qstrGetRenderActionText(const QString& product);
bool bIsAlternateProduct(const QString& product);
QColor qcolGetProductColour(const QString& product);
// The display name of the running product: the title of every message box.
QString qstrGetProductDisplayName();
