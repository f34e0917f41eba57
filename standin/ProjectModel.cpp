#include "ProjectModel.h"

#include "velmor.h"

namespace standin {

ProjectRegistry& ProjectRegistry::instance()
{
    static ProjectRegistry registry;
    return registry;
}

CW_Instance ProjectRegistry::pCreate()
{
    QMutexLocker lock(&m_mutex);
    auto record = std::make_unique<CW_ProjectRecord>();
    CW_Instance handle = record.get();
    m_projects.emplace(handle, std::move(record));
    return handle;
}

bool ProjectRegistry::bIsLive(CW_Instance project) const
{
    QMutexLocker lock(&m_mutex);
    return project && m_projects.count(project) != 0;
}

void ProjectRegistry::vClose(CW_Instance project)
{
    QMutexLocker lock(&m_mutex);
    m_projects.erase(project);
}

void ProjectRegistry::vCloseAll()
{
    QMutexLocker lock(&m_mutex);
    m_projects.clear();
}

} // namespace standin

CW_BOOL bIsValidInstance(CW_Instance project)
{
    return standin::ProjectRegistry::instance().bIsLive(project);
}

void vCloseProject(CW_Instance project)
{
    standin::ProjectRegistry::instance().vClose(project);
}

unsigned int uiGetFrameNumber(CW_Instance project)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        throw CW_Exception("There is no open project.", "uiGetFrameNumber: invalid handle");
    return project->uiCurrentFrame;
}
