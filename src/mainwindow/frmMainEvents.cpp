// frmMain: the one place where custom events from workers, call-backs, the viewer and the
// pages are carried out on the user-interface thread.
#include "frmMain.h"

#include "app/CWKCustomEvent.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "velmor.h"

#include <exception>

bool frmMain::event(QEvent* e)
{
    if (e->type() < QEvent::Type(1999) || e->type() > QEvent::Type(11000))
        return QMainWindow::event(e);
    auto* custom = dynamic_cast<CWKCustomEvent*>(e);
    if (!custom)
        return QMainWindow::event(e);

    bool projectValid = false;
    if (g_mtxEngine.tryLock()) {
        projectValid = bIsValidInstance(ProjectManagerInstance::instance()->getInstance());
        g_mtxEngine.unlock();
    }

    bool handled = false;
    std::exception_ptr failure;
    try {
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

bool frmMain::bHandleModuleOutputEvent(CWKCustomEvent*, bool)
{
    return false;
}

bool frmMain::bHandleProjectEvent(CWKCustomEvent* e, bool projectValid)
{
    if (e->iGetCode() == 4000)
        return bHandleProjectOpenedEvent(projectValid);
    return false;
}
