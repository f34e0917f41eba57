#include "ProgramState.h"

QMutex g_mtxEngine;
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
