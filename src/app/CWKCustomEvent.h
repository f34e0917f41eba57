// The event that workers, call-backs, pages and the viewer post to the main window.
#pragma once

#include <QEvent>

class CWKCustomEvent : public QEvent {
public:
    // The code is the event type itself (1999 and up). The payload is not owned.
    CWKCustomEvent(int code, quintptr payload = 0);
    ~CWKCustomEvent() override;

    int iGetCode() const { return int(type()); }
    void vSetPayload(void* payload) { m_payload = quintptr(payload); }
    void* pGetPayload() const { return reinterpret_cast<void*>(m_payload); }
    quintptr uiGetPayload() const { return m_payload; }

private:
    quintptr m_payload;
};
