// The application object: builds the main window and opens files the desktop hands over.
#pragma once

#include <QApplication>

class frmMain;
class QCloseEvent;

class GUIApplication : public QApplication {
    Q_OBJECT
public:
    GUIApplication(int& argc, char** argv);

    frmMain* pGetMainWindow() const { return m_pMainWindow; }
    bool event(QEvent* e) override;
    virtual void vHandleCloseEvent(QCloseEvent* e);

private:
    frmMain* m_pMainWindow;
};
