// The project and layer manager library.
#pragma once

#include "cwbase.h"

class TOLV_ProjectManager;

// Settings and texts kept in the project file.
class ProjectProperties {
public:
    explicit ProjectProperties(CW_Instance project)
        : m_project(project)
    {
    }
    // Rich text (HTML) the user keeps with the project.
    void setProjectNotes(const QString& notes);
    QString getProjectNotes() const;

private:
    CW_Instance m_project;
};

class TOLV_ProjectManager {
public:
    explicit TOLV_ProjectManager(CW_Instance project)
        : m_properties(project)
    {
    }
    ProjectProperties& projectProperties() { return m_properties; }

private:
    ProjectProperties m_properties;
};

// The project's manager; null for an invalid handle.
TOLV_ProjectManager* pGetProjectManager(CW_Instance project);
