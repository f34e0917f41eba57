#include "frmExportShapeData.h"

#include "ExportNotice.h"

frmExportShapeData::frmExportShapeData(QWidget* parent)
    : QDialog(parent)
{
    vBuildExportNotice(this, QStringLiteral("Export Shape Data..."), tr("Shape data"));
}
