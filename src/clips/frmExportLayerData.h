// The layer-data export dialog.
#pragma once

#include "velmor.h"

#include <QDialog>

class frmExportLayerData : public QDialog {
    Q_OBJECT
public:
    explicit frmExportLayerData(QWidget* parent = nullptr);

    // Runs modally.
    void vExec();
};
