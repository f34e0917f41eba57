#include "GUIApplication.h"

#include "ClipProbe.h"
#include "MessageBoxes.h"
#include "ProgramState.h"
#include "Vosk.h"
#include "mainwindow/frmMain.h"
#include "velmor.h"

#include <QFileInfo>
#include <QFileOpenEvent>
#include <QThread>

GUIApplication::GUIApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    m_pMainWindow = new frmMain(nullptr, {});
    m_pMainWindow->setAttribute(Qt::WA_DeleteOnClose);
    g_pUserInterfaceThread = QThread::currentThread();
}

bool GUIApplication::event(QEvent* e)
{
    if (e->type() != QEvent::FileOpen)
        return QApplication::event(e);

    // A hand-over that arrives after the main window has gone has nowhere to go.
    if (!m_pMainWindow)
        return true;
    vCloseSplashScreen(nullptr);
    const QString path = static_cast<QFileOpenEvent*>(e)->file();
    if (QFileInfo(path).fileName().endsWith(qstrGetFileExtension(qstrGetProduct()), Qt::CaseSensitive)) {
        m_pMainWindow->sltFileOpenProject(path);
    } else if (bIsReadableClip(path)) {
        m_pMainWindow->sltFileNewProject(path);
    }
    return true;
}

void GUIApplication::vHandleCloseEvent(QCloseEvent* e)
{
    if (m_pMainWindow)
        m_pMainWindow->closeEvent(e);
}
