// The event that workers, call-backs, pages and the viewer post to the main window.
#pragma once

#include <QEvent>
#include <memory>
#include <typeinfo>

class QSemaphore;

// The event knows what its payload is, so a plain value is never mistaken for a semaphore
// and a heap payload is freed however the event ends: handled, thrown from or dropped.
class CWKCustomEvent : public QEvent {
public:
    enum class PayloadKind { None, Value, Semaphore, Owned };

    // The code is the event type itself (1999 and up). A value payload (a clip id, a run
    // number, a pointer the receiver does not own) is only carried.
    explicit CWKCustomEvent(int code, quintptr value = 0);
    // The poster waits on the semaphore until the event has been handled, or dropped; the
    // value travels with it.
    static CWKCustomEvent* pWithWaiter(int code, QSemaphore* semaphore, quintptr value = 0);
    // The event owns the payload until a handler takes it.
    template <typename T>
    static CWKCustomEvent* pWithOwned(int code, std::unique_ptr<T> payload);

    ~CWKCustomEvent() override;

    int iGetCode() const { return int(type()); }
    PayloadKind eGetPayloadKind() const { return m_eKind; }
    // The value of a value payload or the one that travels with a semaphore; 0 otherwise.
    quintptr uiGetPayload() const { return m_eKind == PayloadKind::Owned ? 0 : m_uiValue; }
    void* pGetPayload() const { return reinterpret_cast<void*>(uiGetPayload()); }

    bool bHasWaiter() const { return m_pWaiter != nullptr; }
    // Lets the waiting poster go; once only, so a handler may call it before showing a box.
    void vReleaseWaiter();

    // Takes the owned payload when it is a T; null when there is none or it is of another type.
    template <typename T>
    std::unique_ptr<T> pTakeOwned()
    {
        if (m_eKind != PayloadKind::Owned || !m_pOwned || *m_pOwnedType != typeid(T))
            return nullptr;
        return std::unique_ptr<T>(static_cast<T*>(m_pOwned.release()));
    }

private:
    using OwnedPointer = std::unique_ptr<void, void (*)(void*)>;

    PayloadKind m_eKind;
    quintptr m_uiValue = 0;
    QSemaphore* m_pWaiter = nullptr;
    OwnedPointer m_pOwned{nullptr, nullptr};
    const std::type_info* m_pOwnedType = nullptr;
};

template <typename T>
CWKCustomEvent* CWKCustomEvent::pWithOwned(int code, std::unique_ptr<T> payload)
{
    auto* event = new CWKCustomEvent(code);
    if (payload) {
        event->m_eKind = PayloadKind::Owned;
        event->m_pOwned = OwnedPointer(payload.release(), [](void* p) { delete static_cast<T*>(p); });
        event->m_pOwnedType = &typeid(T);
    }
    return event;
}
