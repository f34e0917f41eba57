// The main window.
#pragma once

#include "cwbase.h"
#include "ui_frmMain.h"

#include <QMainWindow>
#include <memory>

class CWKCustomEvent;
class QTabWidget;
class frmMainGLWidget;
class ProjectOpener;

class frmMain : public QMainWindow, public Ui_frmMain {
    Q_OBJECT
public:
    frmMain(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~frmMain() override;

    // The widget state every panel is enabled from: 1 no project, 2 idle, 3 run, 4 playing.
    int iGetWidgetsState() const { return m_iWidgetsState; }
    void vUpdateWindowTitle(CW_Instance project, bool force);
    // Null until the configuration has made them.
    frmMainGLWidget* pGetGLWidget() const { return m_pGLWidget; }
    QTabWidget* pGetModuleTabWidget() const { return m_pModuleTabWidget; }
    void vSetModuleTabWidget(QTabWidget* tabs) { m_pModuleTabWidget = tabs; }

    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;

public slots:
    void init();
    void sltConfigureGUI();
    void sltSetWidgetsState(int state);
    // Stores the widget state (5 keeps the current one).
    void sltUpdateGUI(int state);
    void sltFileOpenProject(const QString& path);
    void sltFileNewProject(const QString& clipPath);
    void sltAutoRecoverProject(const QString& path);
    void sltStoreSettings();
    // Advice on the first run; ticks the welcome dialog's "Show Next Time".
    void sltFirstRun();
    // Opens the quick start guide.
    void actHelp_activated();
    // Runs the error report dialog.
    void actReportError_activated();

    // Opening and closing projects.
public slots:
    // File / Open: the opener asks for the file.
    void sltFileOpenProject();
    // Opens a named project; the second text is not used.
    void sltFileOpenProject(const QString& path, const QString& unused);
    // File / Close: asks through the close-project dialog; false when the user cancelled
    // or the engine refused.
    bool sltFileCloseProject();

private:
    void vOpenWithNewOpener(const QString& path);
    // Event 4000: a project was opened and prepared.
    bool bHandleProjectOpenedEvent(bool projectValid);
    std::shared_ptr<ProjectOpener> m_pOpener;

private:
    // Custom-event handlers by code range; each returns whether it handled the code. The
    // project-valid flag was taken under a tryLock of the engine mutex.
    bool bHandleRunEvent(CWKCustomEvent* e, bool projectValid);
    bool bHandleModuleOutputEvent(CWKCustomEvent* e, bool projectValid);
    bool bHandleProjectEvent(CWKCustomEvent* e, bool projectValid);
    bool bHandleWelcomeEvent(CWKCustomEvent* e);
    bool bHandleEngineCallbackEvent(CWKCustomEvent* e, bool projectValid);

    int m_iWidgetsState = 0;
    frmMainGLWidget* m_pGLWidget = nullptr;
    QTabWidget* m_pModuleTabWidget = nullptr;
};
