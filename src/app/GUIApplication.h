// The application object: builds the main window and opens files the desktop hands over.
#pragma once

#include <QApplication>
#include <QPointer>

class frmMain;
class QCloseEvent;

class GUIApplication : public QApplication {
    Q_OBJECT
public:
    GUIApplication(int& argc, char** argv);

    // Null once the main window has been closed and deleted.
    frmMain* pGetMainWindow() const { return m_pMainWindow; }
    bool event(QEvent* e) override;
    virtual void vHandleCloseEvent(QCloseEvent* e);

private:
    // The window deletes itself on close; the guard forgets it then.
    QPointer<frmMain> m_pMainWindow;
};
