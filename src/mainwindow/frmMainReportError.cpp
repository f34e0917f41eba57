// frmMain: the Report Error command.
#include "frmMain.h"

#include "preferences/frmReportError.h"

void frmMain::actReportError_activated()
{
    frmReportError report(this);
    report.exec();
}
