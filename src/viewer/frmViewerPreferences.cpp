#include "frmViewerPreferences.h"

frmViewerPreferences::frmViewerPreferences(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setWindowTitle(tr("Viewer Preferences"));
}
