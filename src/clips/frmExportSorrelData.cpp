#include "frmExportSorrelData.h"

#include "ExportNotice.h"

frmExportSorrelData::frmExportSorrelData(QWidget* parent)
    : QDialog(parent)
{
    vBuildExportNotice(this, QStringLiteral("Export Project..."), tr("Project data"));
}

void frmExportSorrelData::vExec(bool wholeProject)
{
    m_bWholeProject = wholeProject;
    exec();
}
