#include "frmViewerPreferences.h"

#include "app/Settings.h"

frmViewerPreferences::frmViewerPreferences(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setWindowTitle(tr("Viewer Preferences"));
}

int frmViewerPreferences::iGetViewerTrace()
{
    return iReadSetting(QStringLiteral("ViewerTrace"), 5, 0, 1000);
}

int frmViewerPreferences::iGetViewerGridX()
{
    return iReadSetting(QStringLiteral("ViewerGridX"), 10, 1, 200);
}

int frmViewerPreferences::iGetViewerGridY()
{
    return iReadSetting(QStringLiteral("ViewerGridY"), 10, 1, 200);
}
