// The one user-scope settings object through which every read and write goes, and the
// installation folder found through it.
#pragma once

#include <QString>

class QSettings;

// Creates the settings object; the organisation and application names must be set first.
void vCreateSettings();
// Deletes it; no settings access may follow.
void vDeleteSettings();
QSettings* pGetUserSettings();

// "InstallDir" as the installer wrote it; when it is absent, the folder above the
// executable's own, which is where a build or an unpacked installation keeps its resources.
QString qstrGetInstallDir();
// A path under the installation folder, joined so that "InstallDir" may or may not end
// in a separator.
QString qstrGetInstallPath(const QString& relativePath);
