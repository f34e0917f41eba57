// frmMain: the one place where custom events from workers, call-backs, the viewer and the
// pages are carried out on the user-interface thread.
#include "frmMain.h"

#include "app/CWKCustomEvent.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ShellAccessors.h"
#include "velmor.h"
#include "viewer/ViewOptionsManager.h"

#include <exception>

bool frmMain::event(QEvent* e)
{
    if (e->type() < QEvent::Type(1999) || e->type() > QEvent::Type(11000))
        return QMainWindow::event(e);
    auto* custom = dynamic_cast<CWKCustomEvent*>(e);
    if (!custom)
        return QMainWindow::event(e);

    bool projectValid = false;
    CW_CLIP_ID viewedClip = 0;
    ViewOptionsManager* view = pGetViewOptionsManager();
    if (g_mtxEngine.tryLock()) {
        const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        projectValid = bIsValidInstance(project);
        if (projectValid && view->clipToDisplay != 0 && bIsClipRegistered(project, view->clipToDisplay))
            viewedClip = view->clipToDisplay;
        g_mtxEngine.unlock();
    }

    bool handled = false;
    std::exception_ptr failure;
    try {
        // The engine shows the clip the view options name; nothing happens when it does already.
        if (viewedClip != 0)
            view->setClipToDisplay(viewedClip, true);
        const int code = custom->iGetCode();
        if (code < 3000)
            handled = bHandleRunEvent(custom, projectValid);
        else if (code < 4000)
            handled = bHandleModuleOutputEvent(custom, projectValid);
        else if (code < 5000)
            handled = bHandleProjectEvent(custom, projectValid);
        else if (code < 6000)
            handled = bHandleWelcomeEvent(custom);
        else if (code >= 10000)
            handled = bHandleEngineCallbackEvent(custom, projectValid);
    } catch (...) {
        failure = std::current_exception();
    }
    // A worker waiting on this event goes on before any box is shown: whatever waits for
    // the worker meanwhile (a close, a termination signal) must not hang behind the box.
    custom->vReleaseWaiter();
    if (failure)
        bCallReported(this, [&] { std::rethrow_exception(failure); });
    if (handled)
        e->accept();
    return handled;
}

bool frmMain::bHandleModuleOutputEvent(CWKCustomEvent* e, bool projectValid)
{
    const int code = e->iGetCode();
    const char* tag = nullptr;
    switch (code) {
    case 3000: tag = "customEvent10"; break;
    case 3001: tag = "customEvent13"; break;
    case 3002: tag = "customEvent15"; break;
    case 3003: tag = "customEvent8"; break;
    case 3004: tag = "customEvent9"; break;
    case 3005: tag = "customEvent11"; break;
    case 3006: tag = "customEvent12"; break;
    case 3007: tag = "customEvent14"; break;
    case 3008: tag = "customEvent16"; break;
    case 3009: tag = "customEvent17"; break;
    case 3010: tag = "customEvent18"; break;
    case 3012: tag = "customEvent8"; break;
    default: return false;
    }
    if ((code == 3003 || code == 3004 || code == 3012) && !projectValid)
        return true;
    CW_AutoLock(&g_mtxEngine, tag);
    const CW_CLIP_ID output = CW_CLIP_ID(e->uiGetPayload());
    ViewOptionsManager* view = pGetViewOptionsManager();
    // The matte and plain-output events show the clip only when some clip is shown already.
    const bool onlyOverAShownClip = code == 3001 || code == 3007;
    if (view->clipToDisplay != output && (!onlyOverAShownClip || view->clipToDisplay != 0))
        view->setClipToDisplay(output, true);
    if (code == 3001)
        actViewInputAAlpha_Matte_toggled(true);
    else if (code != 3007 && (view->matteViewState != 0 || view->showAlpha))
        actViewInputAAlpha_None_toggled(true);
    return true;
}

bool frmMain::bHandleProjectEvent(CWKCustomEvent* e, bool projectValid)
{
    if (e->iGetCode() == 4000)
        return bHandleProjectOpenedEvent(projectValid);
    return bHandleProjectLifecycleEvent(e);
}
