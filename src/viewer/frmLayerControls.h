// The Layer Controls panel: the project's layers.
#pragma once

#include <QWidget>

class frmLayerControls : public QWidget {
    Q_OBJECT
public:
    // The main window's dock factory creates the panel through its meta-object.
    Q_INVOKABLE frmLayerControls();
};
