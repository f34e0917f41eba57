#include "frmExportLayerData.h"

#include "ExportNotice.h"

frmExportLayerData::frmExportLayerData(QWidget* parent)
    : QDialog(parent)
{
    vBuildExportNotice(this, QStringLiteral("Export Layer Data..."), tr("Layer data"));
}

void frmExportLayerData::vExec()
{
    exec();
}
