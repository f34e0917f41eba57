// frmMain: first-run advice, the welcome dialog and a pending software update (5001 to 5004).
#include "frmMain.h"

#include "app/CWKCustomEvent.h"

bool frmMain::bHandleWelcomeEvent(CWKCustomEvent*)
{
    return false;
}
