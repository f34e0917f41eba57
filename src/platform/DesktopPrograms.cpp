#include "DesktopPrograms.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>

#include <memory>

namespace {

// How long the desktop opener's result counts. An opener that runs the document's program
// in the foreground has shown the document by then, and how that program ends later is
// none of the launch's business.
constexpr qint64 kiOpenerWatchMs = 15000;

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

// Starts the opener as a child of the application and reports its failure from the event
// loop; the process object goes when the opener ends, or with the application.
void vStartWatchedOpener(const QString& opener, const QString& argument, const std::function<void()>& openerFailed)
{
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(opener);
    process->setArguments({argument});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    const auto report = [clock, openerFailed] {
        if (openerFailed && !QCoreApplication::closingDown() && clock->elapsed() < kiOpenerWatchMs)
            openerFailed();
    };
    QObject::connect(process, &QProcess::errorOccurred, process, [process, report](QProcess::ProcessError error) {
        // A crash also ends in finished(); only a start that never happened ends here.
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        report();
    });
    QObject::connect(
        process, &QProcess::finished, process, [process, report](int exitCode, QProcess::ExitStatus status) {
            process->deleteLater();
            if (status != QProcess::NormalExit || exitCode != 0)
                report();
        });
    process->start();
}

} // namespace

bool bStartDesktopProgram(const QString& program, const QString& argument, const std::function<void()>& openerFailed)
{
    QString executable = program.trimmed();
    QStringList arguments;
    if (executable.isEmpty()) {
        executable = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (executable.isEmpty())
            return false;
        if (QCoreApplication::instance()) {
            vStartWatchedOpener(executable, argument, openerFailed);
            return true;
        }
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
