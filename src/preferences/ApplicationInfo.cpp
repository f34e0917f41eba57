#include "ApplicationInfo.h"

#include "Vosk.h"
#include "app/Settings.h"
#include "velmor.h"

#include <QSettings>

ApplicationInfo stctReadApplicationInfo()
{
    ApplicationInfo info;
    bool ok = false;
    const unsigned int build = qstrGetProductBuildNumber(qstrGetProduct()).toUInt(&ok);
    info.uiBuildNumber = ok ? build : 0;
    const int lastRun = pGetUserSettings()->value(QStringLiteral("LastRunBuildNumber"), QStringLiteral("0")).toInt();
    info.bIsNewBuild = qint64(lastRun) < qint64(info.uiBuildNumber);
    return info;
}

std::shared_ptr<ApplicationInfo> pGetApplicationInfo()
{
    static std::shared_ptr<ApplicationInfo> s_pInfo;
    if (!s_pInfo)
        s_pInfo = std::make_shared<ApplicationInfo>(stctReadApplicationInfo());
    return s_pInfo;
}
