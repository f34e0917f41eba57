#include "CWKCustomEvent.h"

CWKCustomEvent::CWKCustomEvent(int code, quintptr payload) : QEvent(QEvent::Type(code)), m_payload(payload)
{
}

CWKCustomEvent::~CWKCustomEvent() = default;
