// The question before a project closes: save, discard or cancel, and whether the cached
// renders survive. It records the answer for the close-down; it closes nothing itself.
#pragma once

#include "cwbase.h"
#include "ui_frmCloseProject.h"

#include <QDialog>
#include <vector>

class frmCloseProject : public QDialog, public Ui_frmCloseProject {
    Q_OBJECT
public:
    explicit frmCloseProject(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // Sorts the project's clips and fills the texts from the current project.
    void vInitSelectClips();

public slots:
    void btnSave_clicked();
    void btnDSave_clicked();
    void btnCancel_clicked();

private:
    void vRecord(int save);

    std::vector<CW_CLIP_ID> m_vecAlwaysDelete;
    std::vector<CW_CLIP_ID> m_vecCachedRenders;
};
