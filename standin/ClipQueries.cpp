#include "ProjectModel.h"
#include "testing.h"
#include "velmor.h"

std::vector<CW_CLIP_ID> pglGetClipList(CW_Instance project)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    std::vector<CW_CLIP_ID> ids;
    if (registry.bIsLive(project)) {
        for (const auto& clip : project->mapClips)
            ids.push_back(clip.first);
    }
    return ids;
}

const CW_ClipInfo* pcstctGetClipInfo(CW_Instance project, CW_CLIP_ID clip)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project) || project->mapClips.count(clip) == 0)
        return nullptr;
    // A registered clip without a description of its own reads as a plain one.
    return &project->mapClipFiles[clip];
}

QString qstrGetClipName(CW_Instance project, CW_CLIP_ID clip)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return QString();
    auto name = project->mapClipNames.find(clip);
    return name == project->mapClipNames.end() ? QString() : name->second;
}

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
        project->bUseTimeCode = useTimeCode;
}

} // namespace standin::testing
