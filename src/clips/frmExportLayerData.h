// The layer-data export dialog: layers as a script for reloading, previewed, copied or
// saved through the engine.
#pragma once

#include "ui_frmExportLayerData.h"
#include "velmor.h"

#include <QDialog>
#include <QList>

class frmExportLayerData : public QDialog, public Ui_frmExportLayerData {
    Q_OBJECT
public:
    explicit frmExportLayerData(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

public slots:
    // Refreshes the preview and runs modally.
    void vExec();
    void sltUpdateText();
    void cboxFormat_activated(int index);
    void rbtnExportAll_clicked();
    void rbtnExportSelected_clicked();
    void rbtnExportSelectedForRender_clicked();
    void btnCopyToClipBoard_clicked();
    void accept() override;
    QList<uint> layers();

private:
    void vRefreshRadioButtons();

    int m_iScope = CW_LAYER_SCOPE_SELECTED;
    int m_iFormat = CW_LAYER_DATA_SCRIPT;
};
