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
    // Each record gets memory of its own that is never handed out again, so a handle kept
    // after its project closed can never come back to life as another project's.
    m_vecStorage.emplace_back(new RecordStorage);
    CW_Instance handle = new (m_vecStorage.back()->bytes) CW_ProjectRecord();
    m_projects.insert(handle);
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
    if (m_projects.erase(project) != 0)
        project->~CW_ProjectRecord();
}

void ProjectRegistry::vCloseAll()
{
    QMutexLocker lock(&m_mutex);
    while (!m_projects.empty())
        vClose(*m_projects.begin());
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
