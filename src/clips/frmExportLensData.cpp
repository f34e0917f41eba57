#include "frmExportLensData.h"

#include "ExportNotice.h"

frmExportLensData::frmExportLensData(QWidget* parent)
    : QDialog(parent)
{
    vBuildExportNotice(this, QStringLiteral("Export Lens Data..."), tr("Lens data"));
}
