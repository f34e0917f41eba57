// The project manager of an open project: its file and its in-memory checkpoint.
#pragma once

#include <QByteArray>
#include <QString>

struct CW_ProjectRecord;

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

private:
    CW_ProjectRecord* m_pProject;
};
