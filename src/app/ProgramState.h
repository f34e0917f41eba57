// Program-wide state that start-up creates and the rest of the program reads.
#pragma once

#include <QMutex>
#include <QRecursiveMutex>

class QEvent;
class QThread;
class QSplashScreen;
class GUIApplication;
class CWKStyle;
class frmSoftwareUpdate;
class frmSplash;
class frmMain;
class frmCurveEditor;

// The engine mutex: entry points pass it to CW_AutoLock; only the main window's event
// dispatch and panel refresh hold it, with tryLock. Re-entrant, because engine calls nest
// on one thread: a checkpoint inside a held section must not wait for itself.
extern QRecursiveMutex g_mtxEngine;

// The thread that constructed GUIApplication; engine call-backs compare against it.
extern QThread* g_pUserInterfaceThread;
extern GUIApplication* g_pApplication;
extern QSplashScreen* g_pSplashScreen;
// Null when the command line asked for the toolkit's own style.
extern CWKStyle* g_pStyle;
// Created only when start-up opens nothing.
extern frmSoftwareUpdate* g_pSoftwareUpdate;
// The welcome dialog; the main window creates it and it lives as long as the main window.
extern frmSplash* g_pWelcomeDialog;
// The main window from its initialisation to its destruction, for the user-interface
// thread. Other threads reach it only through bPostToMainWindow.
extern frmMain* g_pMainWindow;
// Sets (or, with null, withdraws) the window that events are posted to; user-interface
// thread. Once withdrawn, nothing more reaches the window.
void vSetMainWindow(frmMain* window);
// Posts to the main window while it exists, from any thread; otherwise the event is
// deleted (which lets a waiting poster go) and false is returned.
bool bPostToMainWindow(QEvent* event);
// The curve-editor page while it exists.
extern frmCurveEditor* g_pCurveEditor;

// Command-line results read later: the new-project dialog's default frame rate (0 when not
// given) and the request to cache the original clip whatever the preference says.
extern float g_fCommandLineFrameRate;
extern bool g_bCommandLineOverwrite;

class frmPreferences;
class frmProjectNotes;
class QFrame;
// The preferences dialog the main window's configuration makes; null before it.
extern frmPreferences* g_pPreferences;
// The frame inside the Parameters dock that holds the page tabs.
extern QFrame* g_pParametersFrame;
// The project-notes dock; one for the whole run.
extern frmProjectNotes* g_pProjectNotes;
