#include "EngineCallbacks.h"

#include "CWKCustomEvent.h"
#include "CWKGUIThreadedProcess.h"
#include "ProgramState.h"
#include "ProjectManagerInstance.h"
#include "Vosk.h"
#include "velmor.h"
#include "brandor.h"
#include "curves/frmCurveEditor.h"
#include "mainwindow/frmMain.h"
#include "viewer/frmMainGLWidget.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QStringList>
#include <QThread>

namespace {

bool bCbPost(int code, quintptr payload)
{
    return bPostToMainWindow(new CWKCustomEvent(code, payload));
}

QString qstrCbText(const char* text)
{
    return QString::fromLatin1(text ? text : "");
}

void vCbPostMessage(int code, const char* translationContext, const char* text)
{
    bPostToMainWindow(CWKCustomEvent::pWithOwned(
        code, std::make_unique<QStringList>(QStringList{qstrCbText(translationContext), qstrCbText(text)})));
}

// A message box may take the mouse release; the viewer must not stay in a drag. Off the
// user-interface thread the main window does this when it handles the message event.
void vCbReleaseViewerMouse()
{
    if (bIsUserInterfaceThread() && g_pMainWindow && g_pMainWindow->pGetGLWidget())
        g_pMainWindow->pGetGLWidget()->vSetHeldMouseButton(0);
}

void vCbCriticalMessage(void*, const char* translationContext, const char* text)
{
    vCbPostMessage(10000, translationContext, text);
    vCbReleaseViewerMouse();
}

void vCbWarningMessage(void*, const char* translationContext, const char* text)
{
    vCbPostMessage(10200, translationContext, text);
}

void vCbInformationMessage(void*, const char* translationContext, const char* text)
{
    vCbPostMessage(10100, translationContext, text);
    vCbReleaseViewerMouse();
}

int iCbMissingClip(void*, CW_CLIP_ID clip)
{
    bCbPost(10300, quintptr(clip));
    return 1;
}

void vCbParameterFocus()
{
    bCbPost(10400, 0);
}

void vCbCurveEditorActivate(void*, int a, int b)
{
    if (bIsUserInterfaceThread()) {
        if (g_pCurveEditor)
            g_pCurveEditor->vSetActive(a, b);
        return;
    }
    bPostToMainWindow(CWKCustomEvent::pWithOwned(10500, std::make_unique<CWKActivationRecord>(CWKActivationRecord{a, b})));
}

void vCbCurveEditorSynchronous(void*, int a)
{
    if (bIsUserInterfaceThread()) {
        if (g_pCurveEditor)
            g_pCurveEditor->vUndo(a);
        return;
    }
    QSemaphore semaphore(1);
    semaphore.acquire();
    // Handled or dropped (the main window gone), the event lets this thread go.
    bPostToMainWindow(CWKCustomEvent::pWithWaiter(10600, &semaphore, quintptr(qintptr(a))));
    semaphore.acquire();
}

void vCbParameterRemoved(Murn::ParameterWithoutType* parameter)
{
    if (bIsUserInterfaceThread()) {
        if (g_pCurveEditor)
            g_pCurveEditor->vRemoveParameter(parameter);
        return;
    }
    bCbPost(11000, quintptr(parameter));
}

void vCbParameterSelected(Murn::ParameterWithoutType* parameter)
{
    if (bIsUserInterfaceThread()) {
        if (g_pCurveEditor)
            g_pCurveEditor->vSetSelectedParameter(parameter);
        return;
    }
    bCbPost(10900, quintptr(parameter));
}

void vCbParameterChange(Vosk::CompositeCommand& command, float value, bool undoable)
{
    if (bIsUserInterfaceThread()) {
        if (undoable) {
            CW_AutoLock(&g_mtxEngine, "customEvent2");
            bMakeParameterChange(ProjectManagerInstance::instance()->getInstance(), command, nullptr, value, true);
        } else {
            command.do_it(nullptr);
        }
        return;
    }
    // The engine's command may be gone when the event is handled: the event carries a copy.
    if (undoable)
        bPostToMainWindow(CWKCustomEvent::pWithOwned(
            10800, std::make_unique<CWKParameterChangeRecord>(CWKParameterChangeRecord {command, value})));
    else
        bPostToMainWindow(CWKCustomEvent::pWithOwned(10700, std::make_unique<Vosk::CompositeCommand>(command)));
}

void vCbProgressChanged()
{
    if (bIsUserInterfaceThread()) {
        vRefreshProgressDisplay();
        QCoreApplication::processEvents();
    } else {
        bCbPost(2008, 0);
    }
}

void vCbProgressText(void*, const char* text)
{
    vSetProgressText(qstrCbText(text) + QStringLiteral(" (Esc to cancel)"));
    vCbProgressChanged();
}

void vCbProgressValue(void*, int value)
{
    vSetProgressValue(value);
    vCbProgressChanged();
}

void vCbProgressStart()
{
    vSetProgressValue(0);
    vCbProgressChanged();
}

void vCbProgressEnd()
{
    vSetProgressValue(0);
    vSetProgressText(QString());
    vCbProgressChanged();
}

int iCbStopQuery()
{
    return bIsStopRequested() ? 1 : 0;
}

} // namespace

bool bIsUserInterfaceThread()
{
    QThread* userInterfaceThread = g_pUserInterfaceThread;
    if (!userInterfaceThread && QCoreApplication::instance())
        userInterfaceThread = QCoreApplication::instance()->thread();
    return QThread::currentThread() == userInterfaceThread;
}

CW_CallbackStruct* vInitMessageCallbacks(CW_CallbackStruct* callbacks)
{
    callbacks->pfnCriticalMessage = &vCbCriticalMessage;
    callbacks->pfnWarningMessage = &vCbWarningMessage;
    callbacks->pfnInformationMessage = &vCbInformationMessage;
    callbacks->pMainWindow = g_pMainWindow;
    callbacks->pfnMissingClip = &iCbMissingClip;
    return callbacks;
}

CW_CallbackStruct* vInitEventCallbacks(CW_CallbackStruct* callbacks)
{
    callbacks->pfnParameterFocus = &vCbParameterFocus;
    callbacks->pMainWindow = g_pMainWindow;
    return callbacks;
}

CW_CallbackStruct* vInitDisplayCallbacks(CW_CallbackStruct* callbacks)
{
    callbacks->pfnCurveEditorActivate = &vCbCurveEditorActivate;
    callbacks->pfnCurveEditorSynchronous = &vCbCurveEditorSynchronous;
    callbacks->pfnParameterRemoved = &vCbParameterRemoved;
    callbacks->pfnParameterSelected = &vCbParameterSelected;
    callbacks->pMainWindow = g_pMainWindow;
    return callbacks;
}

CW_CallbackStruct* vInitProgressCallbacks(CW_CallbackStruct* callbacks)
{
    callbacks->pfnProgressText = &vCbProgressText;
    callbacks->pfnProgressValue = &vCbProgressValue;
    callbacks->pfnProgressStart = &vCbProgressStart;
    callbacks->pfnProgressEnd = &vCbProgressEnd;
    callbacks->pfnStopQuery = &iCbStopQuery;
    return callbacks;
}

CW_CallbackStruct* vInitCommandCallback(CW_CallbackStruct* callbacks)
{
    callbacks->pfnParameterChange = &vCbParameterChange;
    return callbacks;
}
