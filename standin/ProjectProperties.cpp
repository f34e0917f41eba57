#include "ProjectModel.h"
#include "tolvane.h"

void ProjectProperties::setProjectNotes(const QString& notes)
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(m_pProject))
        throw CW_Exception("The project is no longer open.", "setProjectNotes: invalid handle");
    if (m_pProject->qstrProjectNotes != notes) {
        m_pProject->qstrProjectNotes = notes;
        m_pProject->bChanged = true;
    }
}

QString ProjectProperties::getProjectNotes() const
{
    auto& registry = standin::ProjectRegistry::instance();
    QMutexLocker lock(&registry.mutex());
    if (!registry.bIsLive(m_pProject))
        throw CW_Exception("The project is no longer open.", "getProjectNotes: invalid handle");
    return m_pProject->qstrProjectNotes;
}

namespace {
CW_ProjectRecord& stctPpProject(CW_ProjectRecord* project, const char* operation)
{
    if (!standin::ProjectRegistry::instance().bIsLive(project))
        throw CW_Exception("The project is no longer open.", std::string(operation) + ": invalid handle");
    return *project;
}
} // namespace

void ProjectProperties::setPlaybarFirst(int frame)
{
    QMutexLocker lock(&standin::ProjectRegistry::instance().mutex());
    CW_ProjectRecord& project = stctPpProject(m_pProject, "setPlaybarFirst");
    if (project.iPlaybarFirst != frame) {
        project.iPlaybarFirst = frame;
        project.bChanged = true;
    }
}

void ProjectProperties::setPlaybarLast(int frame)
{
    QMutexLocker lock(&standin::ProjectRegistry::instance().mutex());
    CW_ProjectRecord& project = stctPpProject(m_pProject, "setPlaybarLast");
    if (project.iPlaybarLast != frame) {
        project.iPlaybarLast = frame;
        project.bChanged = true;
    }
}

int ProjectProperties::getPlaybarFirst() const
{
    QMutexLocker lock(&standin::ProjectRegistry::instance().mutex());
    return stctPpProject(m_pProject, "getPlaybarFirst").iPlaybarFirst;
}

int ProjectProperties::getPlaybarLast() const
{
    QMutexLocker lock(&standin::ProjectRegistry::instance().mutex());
    return stctPpProject(m_pProject, "getPlaybarLast").iPlaybarLast;
}
