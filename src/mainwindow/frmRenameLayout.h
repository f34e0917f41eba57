// Renames one of the main window's layouts; the name is stored with the window settings.
#pragma once

#include "ui_frmRenameLayout.h"

#include <QDialog>

class frmRenameLayout : public QDialog, public Ui_frmRenameLayout {
    Q_OBJECT
public:
    frmRenameLayout(int index, QWidget* parent = nullptr);

public slots:
    // Stores the field's text as the layout's name.
    void accept() override;

private:
    // A blank name would leave the layout's menu entry empty: OK waits for a name.
    void vUpdateOkButton();

    int m_iIndex;
};
