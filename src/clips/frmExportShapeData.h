// The shape-data export dialog: the shapes of the chosen layers in a chosen format, to
// files or to the clipboard, with the engine's warning for the format shown beforehand.
#pragma once

#include "ui_frmExportShapeData.h"
#include "velmor.h"

#include <QDialog>

class frmExportShapeData : public QDialog, public Ui_frmExportShapeData {
    Q_OBJECT
public:
    explicit frmExportShapeData(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

public slots:
    void btnCopyToClipBoard_clicked();
    void accept() override;
    void buttonHelp_clicked();

private slots:
    void formatChanged(int index);

private:
    CW_ShapeExportMode eExportMode() const;
    CW_FileMap mapExport(const QString& fileName);

    CW_ShapeDataFormat m_format = CW_ShapeDataFormat::MASK_PATH_TEXT();
};
