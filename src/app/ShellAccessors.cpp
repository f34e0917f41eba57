#include "ShellAccessors.h"

#include "ProgramState.h"
#include "ProjectManagerInstance.h"
#include "velmor.h"

double dGetCurrentFrame()
{
    CW_AutoLock(&g_mtxEngine, "OpenProject");
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (!bIsValidInstance(project))
        return 0.0;
    return double(uiGetFrameNumber(project));
}

void pfnWidgetPressed(void*)
{
    // Handing the pressed widget to the main window's focus tracking comes with the
    // parameter-bound widgets.
}
