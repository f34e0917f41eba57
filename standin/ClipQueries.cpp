#include "ProjectModel.h"
#include "testing.h"
#include "velmor.h"

CW_BOOL bGetUseTimeCode(CW_Instance project)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    return registry.bIsLive(project) && project->bUseTimeCode;
}

namespace standin::testing {

void vSetUseTimeCode(CW_Instance project, bool useTimeCode)
{
    auto& registry = ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (registry.bIsLive(project))
        ::vSetUseTimeCode(project, useTimeCode);
}

} // namespace standin::testing
