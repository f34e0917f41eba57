// The viewer preferences dialog.
#pragma once

#include <QDialog>

class frmViewerPreferences : public QDialog {
    Q_OBJECT
public:
    explicit frmViewerPreferences(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
};
