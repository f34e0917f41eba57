// The viewer preferences dialog, and the viewer settings the overlays read.
#pragma once

#include <QDialog>

class frmViewerPreferences : public QDialog {
    Q_OBJECT
public:
    explicit frmViewerPreferences(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // "ViewerTrace": frames of trace either side of the current one, 0 to 1000 (default 5).
    static int iGetViewerTrace();
    // "ViewerGridX", "ViewerGridY": grid divisions of a surface, 1 to 200 (default 10).
    static int iGetViewerGridX();
    static int iGetViewerGridY();
};
