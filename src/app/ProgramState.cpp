#include "ProgramState.h"

#include "mainwindow/frmMain.h"

#include <QCoreApplication>
#include <QEvent>

QRecursiveMutex g_mtxEngine;
QThread* g_pUserInterfaceThread = nullptr;
GUIApplication* g_pApplication = nullptr;
QSplashScreen* g_pSplashScreen = nullptr;
CWKStyle* g_pStyle = nullptr;
frmSoftwareUpdate* g_pSoftwareUpdate = nullptr;
frmSplash* g_pWelcomeDialog = nullptr;
frmMain* g_pMainWindow = nullptr;
frmCurveEditor* g_pCurveEditor = nullptr;
float g_fCommandLineFrameRate = 0.0f;
bool g_bCommandLineOverwrite = false;

frmPreferences* g_pPreferences = nullptr;
QFrame* g_pParametersFrame = nullptr;
frmProjectNotes* g_pProjectNotes = nullptr;

namespace {
// Held across the check and the post, so the window cannot go in between.
QMutex g_mtxMainWindowPost;
frmMain* g_pMainWindowForPosts = nullptr;
} // namespace

void vSetMainWindow(frmMain* window)
{
    QMutexLocker lock(&g_mtxMainWindowPost);
    g_pMainWindowForPosts = window;
    g_pMainWindow = window;
}

bool bPostToMainWindow(QEvent* event)
{
    QMutexLocker lock(&g_mtxMainWindowPost);
    if (!g_pMainWindowForPosts) {
        lock.unlock();
        delete event;
        return false;
    }
    QCoreApplication::postEvent(g_pMainWindowForPosts, event);
    return true;
}
