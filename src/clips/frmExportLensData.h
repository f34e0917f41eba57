// The lens-data export dialog.
#pragma once

#include "velmor.h"

#include <QDialog>

class frmExportLensData : public QDialog {
    Q_OBJECT
public:
    explicit frmExportLensData(QWidget* parent = nullptr);
};
