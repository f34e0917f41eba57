// Starts a downloaded installer. On Linux an executable file runs itself; anything else
// goes to the desktop's handler for its type.
#pragma once

#include <QString>
#include <functional>

// True only when the installer (or its handler) was started.
bool bLaunchInstaller(const QString& path);
// Used in place of the platform's way from now on; an empty function restores it.
void vReplaceInstallerLauncher(std::function<bool(const QString&)> launcher);
