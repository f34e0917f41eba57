// The tracking-data export dialog.
#pragma once

#include "velmor.h"

#include <QDialog>

class frmExportTrackingData : public QDialog {
    Q_OBJECT
public:
    explicit frmExportTrackingData(QWidget* parent = nullptr);

    // Tracking data or offset tracking data; runs modally.
    void vExec(CW_TRACKING_OPTION option);
    CW_TRACKING_OPTION eGetOption() const { return m_eOption; }

private:
    CW_TRACKING_OPTION m_eOption = CW_TRACKING_DATA;
};
