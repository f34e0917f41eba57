// The welcome dialog shown after start-up.
#pragma once

#include "ui_frmSplash.h"

#include <QDialog>

class QApplication;

class frmSplash : public QDialog, public Ui::frmSplash {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~frmSplash() override;

public slots:
    void init();
    void chkbxShowNextTime_toggled(bool on);
    void btnStart_clicked();
    void btnGuide_clicked();
};

// Asks the main window for the welcome dialog (event 5003) when "ShowSplash" is set.
void vPostWelcomeEvent(QApplication* application);
