// Starts the real program under the test's X server and checks what a user and the next
// run see: the window and its title, and the settings written at exit.
#include "TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>

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
};

PLINTRA_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
