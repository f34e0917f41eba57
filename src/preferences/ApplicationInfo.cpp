#include "ApplicationInfo.h"

#include "Vosk.h"
#include "app/Settings.h"
#include "velmor.h"

#include <QSettings>

std::shared_ptr<ApplicationInfo> pGetApplicationInfo()
{
    static std::shared_ptr<ApplicationInfo> s_pInfo;
    if (!s_pInfo) {
        s_pInfo = std::make_shared<ApplicationInfo>();
        bool ok = false;
        const unsigned int build = qstrGetProductBuildNumber(qstrGetProduct()).toUInt(&ok);
        s_pInfo->uiBuildNumber = ok ? build : 0;
        const int lastRun = pGetUserSettings()->value(QStringLiteral("LastRunBuildNumber"), QStringLiteral("0")).toInt();
        s_pInfo->bIsNewBuild = qint64(lastRun) < qint64(s_pInfo->uiBuildNumber);
    }
    return s_pInfo;
}
