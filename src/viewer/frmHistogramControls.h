// The Histogram Controls panel.
#pragma once

#include <QWidget>

class frmHistogramControls : public QWidget {
    Q_OBJECT
public:
    // The main window's dock factory creates the panel through its meta-object.
    Q_INVOKABLE frmHistogramControls();
};
