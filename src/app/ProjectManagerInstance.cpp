#include "ProjectManagerInstance.h"

ProjectManagerInstance* ProjectManagerInstance::instance()
{
    static ProjectManagerInstance* s_pInstance = new ProjectManagerInstance();
    return s_pInstance;
}

CW_Instance ProjectManagerInstance::getInstance() const
{
    return m_pProject;
}

void ProjectManagerInstance::setInstance(CW_Instance project)
{
    m_pProject = project;
    emit projectManagerChanged(project);
}
