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
