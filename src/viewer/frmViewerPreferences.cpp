#include "frmViewerPreferences.h"

#include "app/Settings.h"

#include <QSettings>
#include <algorithm>

namespace {

// A value that is no number, or out of range, gives the default or the nearest bound.
int iReadBounded(const char* key, int fallback, int bottom, int top)
{
    bool read = false;
    const int value = pGetUserSettings()->value(QLatin1String(key), fallback).toInt(&read);
    return read ? std::clamp(value, bottom, top) : fallback;
}

} // namespace

frmViewerPreferences::frmViewerPreferences(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setWindowTitle(tr("Viewer Preferences"));
}

int frmViewerPreferences::iGetViewerTrace()
{
    return iReadBounded("ViewerTrace", 5, 0, 1000);
}

int frmViewerPreferences::iGetViewerGridX()
{
    return iReadBounded("ViewerGridX", 10, 1, 200);
}

int frmViewerPreferences::iGetViewerGridY()
{
    return iReadBounded("ViewerGridY", 10, 1, 200);
}
