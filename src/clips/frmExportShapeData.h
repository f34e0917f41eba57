// The shape-data export dialog.
#pragma once

#include "velmor.h"

#include <QDialog>

class frmExportShapeData : public QDialog {
    Q_OBJECT
public:
    explicit frmExportShapeData(QWidget* parent = nullptr);
};
