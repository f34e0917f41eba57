// The tracking-data export dialog: the current layer's track in a chosen format, to files
// or to the clipboard.
#pragma once

#include "ui_frmExportTrackingData.h"
#include "velmor.h"

#include <QDialog>
#include <optional>

class frmExportTrackingData : public QDialog, public Ui_frmExportTrackingData {
    Q_OBJECT
public:
    explicit frmExportTrackingData(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    CW_TRACKING_OPTION eGetOption() const { return m_eOption; }
    const CW_TrackingDataFormat& stctGetFormat() const { return m_format; }

    // Set by the Stabilize page before vExec: inverted data against its reference frame.
    bool m_bInvertData = false;
    std::optional<unsigned int> m_optReferenceFrame;

public slots:
    // Stores the option and runs modally.
    void vExec(CW_TRACKING_OPTION option);
    void vSetInvertData(bool invert);
    void formatChanged(int index);
    void iedtReferenceFrame_valueChanged();
    void btnCopyToClipBoard_clicked();
    void accept() override;
    void buttonHelp_clicked();

private:
    CW_FileMap mapExport(const QString& fileName);
    unsigned int uiReferenceOrCurrentFrame();

    CW_TRACKING_OPTION m_eOption = CW_NO_TRACKING_EXPORT;
    CW_TrackingDataFormat m_format = CW_TrackingDataFormat::CORNER_PIN_TEXT();
};
