// The dialog that creates a project from a clip, or imports a further clip into it.
#pragma once

#include "cwbase.h"
#include "ui_NewProjectDialog.h"

#include <QDialog>

class NewProjectDialog : public QDialog, public Ui_NewProjectDialog {
    Q_OBJECT
public:
    // Mode 0 creates a project; any other mode imports a clip.
    NewProjectDialog(QWidget* parent, int mode);

    bool bIsImportMode() const { return m_iMode != 0; }
    // Selects the clip in the parent-clip choice, searching from the end; a clip that is
    // not listed clears the selection.
    void vSetCurrentClipID(CW_CLIP_ID clip);
    void vSetClipComboEnabled(bool enabled);

private:
    void vUpdateOkButton();

    int m_iMode;
};
