// The export of project data for the sibling product.
#pragma once

#include "velmor.h"

#include <QDialog>

class frmExportSorrelData : public QDialog {
    Q_OBJECT
public:
    explicit frmExportSorrelData(QWidget* parent = nullptr);

    // Runs modally; the flag is kept for the export.
    void vExec(bool wholeProject);
    bool bGetWholeProject() const { return m_bWholeProject; }

private:
    bool m_bWholeProject = false;
};
