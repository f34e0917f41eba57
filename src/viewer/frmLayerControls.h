// The Layer Controls panel: the project's layers.
#pragma once

#include "cwbase.h"

#include <QWidget>

class QListWidget;

class frmLayerControls : public QWidget {
    Q_OBJECT
public:
    // The main window's dock factory creates the panel through its meta-object.
    Q_INVOKABLE frmLayerControls();

    QListWidget* pGetLayerTable() const { return m_pLayerTable; }

public slots:
    // Lists the project's layers by name; no project empties the table.
    void vUpdateLayerTable(CW_Instance project);

private:
    QListWidget* m_pLayerTable;
};
