// The stand-in's model of open projects. Handles are looked up in a registry, so a closed
// or unknown handle is simply invalid.
#pragma once

#include "cwbase.h"

#include <QMutex>
#include <QString>
#include <map>
#include <memory>

struct CW_ProjectRecord {
    QString qstrFilePath;
    bool bChanged = false;
    unsigned int uiCurrentFrame = 0;
};

namespace standin {

class ProjectRegistry {
public:
    static ProjectRegistry& instance();

    CW_Instance pCreate();
    bool bIsLive(CW_Instance project) const;
    void vClose(CW_Instance project);
    void vCloseAll();

    // The one lock that guards every project record against the user-interface thread
    // and a worker calling at the same time.
    QRecursiveMutex& mutex() { return m_mutex; }

private:
    mutable QRecursiveMutex m_mutex;
    std::map<CW_Instance, std::unique_ptr<CW_ProjectRecord>> m_projects;
};

} // namespace standin
