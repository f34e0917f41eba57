#include "ProjectModel.h"
#include "tolvane.h"

TOLV_ProjectManager* pGetProjectManager(CW_Instance project)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(project))
        return nullptr;
    if (!project->pProjectManager)
        project->pProjectManager = std::make_shared<TOLV_ProjectManager>(project);
    return project->pProjectManager.get();
}

void ProjectProperties::setProjectNotes(const QString& notes)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(m_project))
        throw CW_Exception("The project is no longer open.", "setProjectNotes: invalid handle");
    if (m_project->qstrProjectNotes != notes) {
        m_project->qstrProjectNotes = notes;
        m_project->bChanged = true;
    }
}

QString ProjectProperties::getProjectNotes() const
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(m_project))
        throw CW_Exception("The project is no longer open.", "getProjectNotes: invalid handle");
    return m_project->qstrProjectNotes;
}
