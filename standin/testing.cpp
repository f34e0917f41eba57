#include "testing.h"

#include "ProjectModel.h"

namespace standin::testing {

CW_Instance pCreateProject()
{
    return ProjectRegistry::instance().pCreate();
}

void vReset()
{
    ProjectRegistry::instance().vCloseAll();
    vResetImageIO();
    vResetFrameSteps();
    vResetProjectFiles();
    vSetSubsystemDefinitions({});
    vResetProgramSettings();
}

} // namespace standin::testing
