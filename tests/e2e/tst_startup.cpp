// Starts the real program under the test's X server and checks what a user and the next
// run see: the window and its title, and the settings written at exit.
#include "TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QThread>

#include <csignal>

namespace {

QString qstrWindowTree()
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    xwininfo.waitForFinished(10000);
    return QString::fromLocal8Bit(xwininfo.readAllStandardOutput());
}

bool bWaitForWindow(const QString& title, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (qstrWindowTree().contains(QLatin1Char('"') + title + QLatin1Char('"')))
            return true;
        QTest::qWait(200);
    }
    return false;
}

// Whether the process has installed a handler for the signal (its caught-signals mask).
bool bCatchesSignal(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_home;

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), m_home.filePath(QStringLiteral("system-config")));
        env.insert(QStringLiteral("TMPDIR"), m_home.path());
        return env;
    }

    QString settingsFile() const
    {
        return m_home.filePath(QStringLiteral("config/Corvane Works Ltd/Plintra.conf"));
    }

private slots:
    void windowComesUpAndExitRecordsTheBuild()
    {
        QVERIFY(m_home.isValid());
        QProcess program;
        program.setProcessEnvironment(environment());
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral(PLINTRA_BINARY), {});
        QVERIFY(program.waitForStarted(10000));

        QVERIFY2(bWaitForWindow(QStringLiteral("Plintra 2.0"), 60000), "no window titled with name and version");
        QVERIFY(!QFile::exists(settingsFile()) ||
                !QSettings(settingsFile(), QSettings::IniFormat).contains(QStringLiteral("LastRunBuildNumber")));

        // The desktop asks it to end; it closes as if the user had closed the window.
        program.terminate();
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);

        QSettings written(settingsFile(), QSettings::IniFormat);
        QCOMPARE(written.value(QStringLiteral("LastRunBuildNumber")).toString(), QStringLiteral("4127"));
    }

    // Asked to end while start-up is still building the window, it finishes starting and
    // then ends as a normal close would, instead of working on a window already gone.
    void endingRequestedDuringStartUpEndsCleanly()
    {
        QFile::remove(settingsFile());
        QProcess program;
        program.setProcessEnvironment(environment());
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral(PLINTRA_BINARY), {});
        QVERIFY(program.waitForStarted(10000));

        QElapsedTimer clock;
        clock.start();
        while (!bCatchesSignal(program.processId(), SIGTERM) && clock.elapsed() < 30000)
            QThread::usleep(200);
        QVERIFY2(bCatchesSignal(program.processId(), SIGTERM), "the program never caught the ending signal");
        program.terminate();

        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QSettings written(settingsFile(), QSettings::IniFormat);
        QCOMPARE(written.value(QStringLiteral("LastRunBuildNumber")).toString(), QStringLiteral("4127"));
    }
};

PLINTRA_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
