#include "DesktopPrograms.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>

namespace {

QString qstrDesktopEnv(const char* name, const QString& fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

QStringList qslDesktopDirs(const char* name, const QString& fallback)
{
    return qstrDesktopEnv(name, fallback).split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

// The folders the XDG base directories name, read from the environment so that the
// lookup follows the session it runs in.
QString qstrDesktopConfigHome()
{
    return qstrDesktopEnv("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"));
}

QString qstrDesktopDataHome()
{
    return qstrDesktopEnv("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
}

QStringList qslDesktopApplicationDirs()
{
    QStringList dirs {qstrDesktopDataHome() + QStringLiteral("/applications")};
    for (const QString& dir : qslDesktopDirs("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share")))
        dirs << dir + QStringLiteral("/applications");
    return dirs;
}

// The values of one key in one [section] of a desktop-style key file.
QString qstrDesktopKeyFileValue(const QString& path, const QString& section, const QString& key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&file);
    bool inSection = false;
    const QString header = QLatin1Char('[') + section + QLatin1Char(']');
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line == header;
            continue;
        }
        if (!inSection)
            continue;
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals > 0 && line.left(equals).trimmed() == key)
            return line.mid(equals + 1).trimmed();
    }
    return QString();
}

QString qstrDesktopEntryExec(const QString& desktopFile)
{
    for (const QString& dir : qslDesktopApplicationDirs()) {
        const QString path = dir + QLatin1Char('/') + desktopFile;
        if (QFileInfo(path).isFile())
            return qstrDesktopKeyFileValue(path, QStringLiteral("Desktop Entry"), QStringLiteral("Exec"));
    }
    return QString();
}

} // namespace

bool bStartDesktopProgram(const QString& program, const QString& argument)
{
    QString executable = program.trimmed();
    QStringList arguments;
    if (executable.isEmpty()) {
        executable = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (executable.isEmpty())
            return false;
    } else if (!QFileInfo(executable).isFile()) {
        // Not a file as it stands: a command line with options, or a quoted path.
        arguments = QProcess::splitCommand(executable);
        if (arguments.isEmpty())
            return false;
        executable = arguments.takeFirst();
    }
    arguments << argument;
    return QProcess::startDetached(executable, arguments);
}

QString qstrGetDesktopOpenCommand(const QString& extension)
{
    const QMimeType type
        = QMimeDatabase().mimeTypeForFile(QStringLiteral("file") + extension, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return QString();

    // The lists in the order the desktop consults them; the first installed entry wins.
    QStringList lists {qstrDesktopConfigHome() + QStringLiteral("/mimeapps.list")};
    for (const QString& dir : qslDesktopDirs("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")))
        lists << dir + QStringLiteral("/mimeapps.list");
    for (const QString& dir : qslDesktopApplicationDirs())
        lists << dir + QStringLiteral("/mimeapps.list") << dir + QStringLiteral("/defaults.list");

    for (const QString& list : lists) {
        const QString entries = qstrDesktopKeyFileValue(list, QStringLiteral("Default Applications"), type.name());
        for (const QString& entry : entries.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString exec = qstrDesktopEntryExec(entry.trimmed());
            if (!exec.isEmpty())
                return exec;
        }
    }
    return QString();
}
