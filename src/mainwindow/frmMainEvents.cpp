// frmMain: the one place where custom events from workers, call-backs, the viewer and the
// pages are carried out on the user-interface thread.
#include "frmMain.h"

#include "app/CWKCustomEvent.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "velmor.h"

#include <QSemaphore>

namespace {

// Codes whose payload is a clip id, never a semaphore, whether handled or not.
bool bCarriesClipId(int code)
{
    return code >= 3000 && code <= 3012;
}

// Releases a poster that still waits on the event's semaphore, also when a handler throws.
class PayloadReleaser {
public:
    explicit PayloadReleaser(CWKCustomEvent* e) : m_pEvent(e) {}
    ~PayloadReleaser()
    {
        if (m_pEvent->uiGetPayload() != 0 && !bCarriesClipId(m_pEvent->iGetCode()))
            static_cast<QSemaphore*>(m_pEvent->pGetPayload())->release(1);
        m_pEvent->vSetPayload(nullptr);
    }

private:
    CWKCustomEvent* m_pEvent;
};

} // namespace

bool frmMain::event(QEvent* e)
{
    if (e->type() < QEvent::Type(1999) || e->type() > QEvent::Type(11000))
        return QMainWindow::event(e);
    auto* custom = dynamic_cast<CWKCustomEvent*>(e);
    if (!custom)
        return QMainWindow::event(e);

    PayloadReleaser releaser(custom);
    bool projectValid = false;
    if (g_mtxEngine.tryLock()) {
        projectValid = bIsValidInstance(ProjectManagerInstance::instance()->getInstance());
        g_mtxEngine.unlock();
    }

    bool handled = false;
    bCallReported(this, [&] {
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
    });
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
