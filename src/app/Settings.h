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

// Checked reads. The settings file is the user's to edit, so a stored value may be of the
// wrong type, out of range, not finite, empty where something is needed, or huge: such a
// value is never used. The default is, and the log says so (once per key and value). An
// absent key gives the default silently. Readers on any thread leave the store alone; the
// preferences' restore, on the user-interface thread, writes the default back in its place.
enum class SettingRepair { Keep, WriteDefault };
// Paths and other texts longer than this are refused.
constexpr int kiMaximumSettingText = 4096;
bool bReadSetting(const QString& key, bool fallback, SettingRepair repair = SettingRepair::Keep);
int iReadSetting(
    const QString& key, int fallback, int minimum, int maximum, SettingRepair repair = SettingRepair::Keep);
double dReadSetting(
    const QString& key, double fallback, double minimum, double maximum, SettingRepair repair = SettingRepair::Keep);
// What a text setting must be besides short text without control characters.
enum class SettingText {
    Any,
    NotEmpty,
    AbsolutePath,
    // A path below some folder; empty is that folder itself.
    RelativePath,
    // Letters and digits only, at most 16 (a file extension).
    Word,
};
QString qstrReadSetting(
    const QString& key, const QString& fallback, SettingText kind, SettingRepair repair = SettingRepair::Keep);
