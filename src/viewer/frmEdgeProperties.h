// The Edge Properties panel: edge settings of the current layer.
#pragma once

#include <QWidget>

class frmEdgeProperties : public QWidget {
    Q_OBJECT
public:
    // The main window's dock factory creates the panel through its meta-object.
    Q_INVOKABLE frmEdgeProperties();
};
