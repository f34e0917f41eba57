// Holds the one open project's handle for the whole program.
#pragma once

#include "cwbase.h"

#include <QObject>

class ProjectManagerInstance : public QObject {
    Q_OBJECT
public:
    static ProjectManagerInstance* instance();
    CW_Instance getInstance() const;
    // Stores the handle and tells everyone who listens, whether or not it changed.
    void setInstance(CW_Instance project);

signals:
    void projectManagerChanged(CW_Instance project);

private:
    ProjectManagerInstance() = default;
    CW_Instance m_pProject = nullptr;
};
