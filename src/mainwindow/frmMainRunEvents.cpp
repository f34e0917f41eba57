// frmMain: events of worker runs (1999 to 2010) and of engine call-backs (10000 to 11000).
#include "frmMain.h"

#include "app/CWKCustomEvent.h"

bool frmMain::bHandleRunEvent(CWKCustomEvent*, bool)
{
    return false;
}

bool frmMain::bHandleEngineCallbackEvent(CWKCustomEvent*, bool)
{
    return false;
}
