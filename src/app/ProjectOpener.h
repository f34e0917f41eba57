// Opens a project file: the file dialog, the header check, the close of the current
// project, the engine's open, the preparation of the opened project, the output-folder
// check, and the relink dialog when the project's media are missing.
#pragma once

#include "cwbase.h"

#include <QObject>
#include <QString>

class ProjectOpener : public QObject {
    Q_OBJECT
public:
    ProjectOpener();

    // A null path asks the user for the file. False when the user cancelled or the file
    // could not be read (the user is told); engine exceptions pass to the caller.
    bool chooseAndOpenProject(const QString& path);
    bool bOpenProject();
    bool bRelinkAndOpenProject();

    // Reads and checks the header; throws CW_BadFile for a file of an older format. False
    // when it cannot be read or records no clip.
    static bool bReadHeader(const QString& path, CW_BaseClipInfo& base, CW_ClipInfo& clip, bool& absoluteOutput,
        QString& outputDirectory, QString& secondText);
    bool bReadHeader(const QString& path, CW_BaseClipInfo& base, CW_ClipInfo& clip);

    // An auto-save of the project file that is newer than it and holds something else; empty
    // when there is none, or when the path is itself an auto-save.
    static QString qstrNewerAutoSave(const QString& path);

private:
    void vReportUnreadable() const;

    QString m_qstrPath;
};
