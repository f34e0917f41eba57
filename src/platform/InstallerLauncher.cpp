#include "InstallerLauncher.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace {

std::function<bool(const QString&)>& fnInstallerLauncherOverride()
{
    static std::function<bool(const QString&)> s_launcher;
    return s_launcher;
}

bool bLaunchInstallerOnDesktop(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    if (info.isExecutable())
        return QProcess::startDetached(info.absoluteFilePath(), {}, info.absolutePath());
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

} // namespace

bool bLaunchInstaller(const QString& path)
{
    if (fnInstallerLauncherOverride())
        return fnInstallerLauncherOverride()(path);
    return bLaunchInstallerOnDesktop(path);
}

void vReplaceInstallerLauncher(std::function<bool(const QString&)> launcher)
{
    fnInstallerLauncherOverride() = std::move(launcher);
}
