#include "frmExportTrackingData.h"

#include "ExportNotice.h"

frmExportTrackingData::frmExportTrackingData(QWidget* parent)
    : QDialog(parent)
{
    vBuildExportNotice(this, QStringLiteral("Export Tracking Data..."), tr("Tracking data"));
}

void frmExportTrackingData::vExec(CW_TRACKING_OPTION option)
{
    m_eOption = option;
    exec();
}
