#include "CWKCustomEvent.h"

#include <QSemaphore>

CWKCustomEvent::CWKCustomEvent(int code, quintptr value)
    : QEvent(QEvent::Type(code)), m_eKind(value != 0 ? PayloadKind::Value : PayloadKind::None), m_uiValue(value)
{
}

CWKCustomEvent* CWKCustomEvent::pWithWaiter(int code, QSemaphore* semaphore, quintptr value)
{
    auto* event = new CWKCustomEvent(code, value);
    if (semaphore) {
        event->m_eKind = PayloadKind::Semaphore;
        event->m_pWaiter = semaphore;
    }
    return event;
}

CWKCustomEvent::~CWKCustomEvent()
{
    // Dropped undelivered (its receiver gone) or never released by the dispatch: the poster
    // must not wait for ever.
    vReleaseWaiter();
}

void CWKCustomEvent::vReleaseWaiter()
{
    if (m_pWaiter) {
        QSemaphore* waiter = m_pWaiter;
        m_pWaiter = nullptr;
        waiter->release(1);
    }
}
