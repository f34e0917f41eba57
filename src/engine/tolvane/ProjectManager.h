// The project manager of an open project: its file, its in-memory checkpoint and the
// properties kept in its file.
#pragma once

#include "cwbase.h"

#include <QByteArray>
#include <QString>

struct CW_ProjectRecord;

// Settings and texts kept in the project file.
class ProjectProperties {
public:
    explicit ProjectProperties(CW_ProjectRecord* project)
        : m_pProject(project)
    {
    }
    // Rich text (HTML) the user keeps with the project.
    void setProjectNotes(const QString& notes);
    QString getProjectNotes() const;
    // The frames the play bar shows; negative means the whole clip.
    void setPlaybarFirst(int frame);
    void setPlaybarLast(int frame);
    int getPlaybarFirst() const;
    int getPlaybarLast() const;

private:
    CW_ProjectRecord* m_pProject;
};

class TOLV_ProjectManager {
public:
    explicit TOLV_ProjectManager(CW_ProjectRecord* project)
        : m_pProject(project)
    {
    }

    QString qstrGetProjectFilePath() const;
    void vSetProjectFilePath(const QString& path);
    // Kept beside the path: whether the path was given by the user rather than the engine.
    bool bGetPathConfirmed() const;
    void vSetPathConfirmed(bool confirmed);
    // Writes the whole project into the buffer, in the format of a project file.
    void vCheckpointProject(QByteArray& buffer, bool compact);
    ProjectProperties getProjectProperties() const { return ProjectProperties(m_pProject); }

private:
    CW_ProjectRecord* m_pProject;
};

// The project's manager; null for an invalid handle.
TOLV_ProjectManager* pGetProjectManager(CW_Instance project);
