// The whole start-up and shutdown of the program, run once per case in a child process of
// this suite: what it opens, whether it checks for updates or asks for the welcome dialog,
// the style it installs, the translations it finds, and the order of the work at quit.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "app/CWKCustomEvent.h"
#include "app/CWKStyle.h"
#include "app/ProgramState.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "mainwindow/frmMain.h"
#include "preferences/WebServicesTesting.h"
#include "standin/testing.h"

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

namespace {

const char* const kpszTranslationBases[] = {"tolv_es", "gui_es", "velmor_es", "brandor_es"};
const char* const kpszContext = "StartupWiring";

// ---- The child: one run of the program, observed from inside.

struct ChildRecord {
    QStringList lstEvents;
    int iUpdateConnections = 0;
    QStringList lstModals;
    QString qstrStyle;
    bool bCwkStyle = false;
    bool bStylePointerSet = false;
    double dBrightness = -1.0;
    QStringList lstTranslations;
    int iResourceReleases = 0;
    bool bDockStateStoredBeforeResources = false;
};
ChildRecord g_record;

class StartupObserver : public QObject {
public:
    StartupObserver() : QObject(QCoreApplication::instance())
    {
        QCoreApplication::instance()->installEventFilter(this);
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                ++g_record.iUpdateConnections;
                socket->close();
                socket->deleteLater();
            }
        });
        webservicetesting::vSetUpdateHost(QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()));
        connect(&m_timer, &QTimer::timeout, this, [this] { vPoll(); });
        m_timer.start(50);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const int type = int(event->type());
        if (type >= 5002 && type <= 5004 && qobject_cast<frmMain*>(watched)) {
            // First-run advice, welcome and update offer would each open a window.
            g_record.lstEvents << QString::number(type);
            return true;
        }
        return false;
    }

private:
    void vPoll()
    {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            m_settled.invalidate();
            QString text;
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                text = box->text();
                QAbstractButton* button = box->button(QMessageBox::No);
                if (!button)
                    button = box->button(QMessageBox::Ok);
                if (button)
                    button->click();
                else
                    box->reject();
            } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            }
            g_record.lstModals << QStringLiteral("%1|%2|%3").arg(
                QString::fromLatin1(modal->metaObject()->className()), modal->windowTitle(), text);
            return;
        }
        // Start-up is over once only the main event loop runs.
        if (QThread::currentThread()->loopLevel() != 1 || !g_pMainWindow || !g_pMainWindow->isVisible())
            return;
        if (!m_settled.isValid()) {
            m_settled.start();
            vRecordLook();
            return;
        }
        // An update check connects at once; without one, give it time to show that it does not.
        if (m_settled.elapsed() < (g_record.iUpdateConnections > 0 ? 1000 : 4000) || m_bClosing)
            return;
        m_bClosing = true;
        for (const QString& key : pGetUserSettings()->allKeys()) {
            if (key.startsWith(QLatin1String("DockState")))
                pGetUserSettings()->remove(key);
        }
        standin::testing::vOnResourcesDestroyed([] {
            // Released once, and before anything of the window is stored.
            g_record.iResourceReleases += 1;
            for (const QString& key : pGetUserSettings()->allKeys())
                g_record.bDockStateStoredBeforeResources |= key.startsWith(QLatin1String("DockState"));
        });
        g_pMainWindow->close();
    }

    void vRecordLook()
    {
        QStyle* style = QApplication::style();
        g_record.qstrStyle = QString::fromLatin1(style->metaObject()->className());
        g_record.bCwkStyle = qobject_cast<CWKStyle*>(style) != nullptr;
        g_record.bStylePointerSet = g_pStyle != nullptr;
        if (g_record.bCwkStyle)
            g_record.dBrightness = double(static_cast<CWKStyle*>(style)->brightness());
        for (const char* base : kpszTranslationBases)
            g_record.lstTranslations << QCoreApplication::translate(kpszContext, base);
    }

    QTcpServer m_server;
    QTimer m_timer;
    QElapsedTimer m_settled;
    bool m_bClosing = false;
};

void vObserveStartup()
{
    new StartupObserver;
}

// argv: self --startup-child <settings folder> <result file> <program arguments...>
int iRunChild(int argc, char** argv)
{
    const QString settingsFolder = QString::fromLocal8Bit(argv[2]);
    const QString resultFile = QString::fromLocal8Bit(argv[3]);
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder);
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, settingsFolder + QStringLiteral("/system"));

    // The product identity comes from the executable's name.
    QByteArray program = QFile::encodeName(settingsFolder + QStringLiteral("/bin/plintra"));
    std::vector<char*> arguments {program.data()};
    for (int i = 4; i < argc; ++i)
        arguments.push_back(argv[i]);
    int count = int(arguments.size());
    arguments.push_back(nullptr);
    qAddPreRoutine(&vObserveStartup);
    const int result = iRunApplication(count, arguments.data());

    QSettings out(resultFile, QSettings::IniFormat);
    out.setValue(QStringLiteral("exit"), result);
    out.setValue(QStringLiteral("events"), g_record.lstEvents.join(QLatin1Char(' ')));
    out.setValue(QStringLiteral("updateConnections"), g_record.iUpdateConnections);
    out.setValue(QStringLiteral("modals"), g_record.lstModals);
    out.setValue(QStringLiteral("style"), g_record.qstrStyle);
    out.setValue(QStringLiteral("cwkStyle"), g_record.bCwkStyle);
    out.setValue(QStringLiteral("stylePointer"), g_record.bStylePointerSet);
    out.setValue(QStringLiteral("brightness"), g_record.dBrightness);
    out.setValue(QStringLiteral("translations"), g_record.lstTranslations);
    out.setValue(QStringLiteral("resourceReleases"), g_record.iResourceReleases);
    out.setValue(QStringLiteral("dockStateStoredBeforeResources"), g_record.bDockStateStoredBeforeResources);
    out.sync();
    return out.status() == QSettings::NoError ? 0 : 3;
}

// ---- The suite.

QString qstrTsFile(const QString& base, const QString& translation)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
                          "<TS version=\"2.1\" language=\"en_GB\"><context><name>%1</name>"
                          "<message><source>%2</source><translation>%3</translation></message>"
                          "</context></TS>\n")
        .arg(QLatin1String(kpszContext), base, translation);
}

bool bWriteTranslation(const QString& folder, const QString& fileStem, const QString& base, const QString& translation)
{
    const QString ts = folder + QLatin1Char('/') + fileStem + QStringLiteral(".ts");
    QFile file(ts);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(qstrTsFile(base, translation).toUtf8());
    file.close();
    QProcess lrelease;
    lrelease.start(QStringLiteral(PLINTRA_LRELEASE),
        {QStringLiteral("-silent"), ts, QStringLiteral("-qm"), folder + QLatin1Char('/') + fileStem + QStringLiteral(".qm")});
    return lrelease.waitForFinished(60000) && lrelease.exitCode() == 0 && QFile::remove(ts);
}

} // namespace

class TestStartupWiring : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_qstrInstall;
    QString m_qstrClip;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_qstrInstall = m_dir.filePath(QStringLiteral("install"));
        const QString lang = m_qstrInstall + QStringLiteral("/bin/lang");
        QVERIFY(QDir().mkpath(lang));
        for (const char* base : kpszTranslationBases) {
            const QString name = QLatin1String(base);
            // The locale follows the base name directly; a file named with a separator
            // between them is another file, and is not what start-up asks for.
            QVERIFY(bWriteTranslation(lang, name + QStringLiteral("en_GB"), name, QStringLiteral("joined ") + name));
            QVERIFY(bWriteTranslation(lang, name + QStringLiteral("_en_GB"), name, QStringLiteral("separated ") + name));
        }
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("plates"))));
        m_qstrClip = testenv::qstrWriteSequence(m_dir.filePath(QStringLiteral("plates")), QStringLiteral("plate_"), 2);
        QVERIFY(!m_qstrClip.isEmpty());
    }

    void startUpAndShutdown_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("firstRun");
        QTest::addColumn<bool>("autoUpdate");
        QTest::addColumn<bool>("pendingUpdate");
        // "" none, "present" an auto-save file that exists, "gone" one that does not.
        QTest::addColumn<QString>("autoRecover");
        // Below 0: none stored.
        QTest::addColumn<double>("storedBrightness");
        QTest::addColumn<int>("updateChecks");
        QTest::addColumn<QString>("events");
        // What start-up opened, as the first modal window it showed: class|title|text.
        QTest::addColumn<QString>("opened");
        QTest::addColumn<bool>("cwkStyle");
        QTest::addColumn<double>("styleBrightness");

        const QStringList none;
        const QString recoverOffer = QStringLiteral("QMessageBox|Auto recover project -- Plintra|Would you like to open your last project?");
        QTest::newRow("first run") << none << true << true << false << "" << -1.0 << 1 << "5002" << "" << true << 1.1;
        QTest::newRow("first run, no automatic update") << none << true << false << false << "" << -1.0 << 0 << "5002" << "" << true << 1.1;
        QTest::newRow("pending update") << none << false << true << true << "" << -1.0 << 0 << "5004" << "" << true << 1.1;
        QTest::newRow("pending update, no automatic update") << none << false << false << true << "" << -1.0 << 0 << "5003" << "" << true << 1.1;
        QTest::newRow("later run") << none << false << true << false << "" << -1.0 << 1 << "5003" << "" << true << 1.1;
        QTest::newRow("project named") << QStringList {"{project}"} << false << true << false << "" << -1.0 << 0 << ""
                                       << "QMessageBox|Plintra|" << true << 1.1;
        QTest::newRow("clip named") << QStringList {"{clip}"} << false << true << false << "" << -1.0 << 0 << ""
                                    << "NewProjectDialog|" << true << 1.1;
        QTest::newRow("project before clip and recovery") << QStringList {"{clip}", "{project}"} << false << true << false
                                                          << "present" << -1.0 << 0 << "" << "QMessageBox|Plintra|" << true << 1.1;
        QTest::newRow("recovery file") << none << false << true << false << "present" << -1.0 << 0 << "" << recoverOffer
                                       << true << 1.1;
        QTest::newRow("recovery file gone") << none << false << true << false << "gone" << -1.0 << 1 << "5003" << "" << true << 1.1;
        QTest::newRow("no program style") << QStringList {"--no-cwk-style"} << false << false << false << "" << 0.8 << 0
                                          << "5003" << "" << false << -1.0;
        QTest::newRow("stored brightness, dark") << none << false << false << false << "" << 0.3 << 0 << "5003" << "" << true << 0.2;
        QTest::newRow("stored brightness, light") << none << false << false << false << "" << 0.8 << 0 << "5003" << "" << true << 0.9;
    }

    void startUpAndShutdown()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, firstRun);
        QFETCH(bool, autoUpdate);
        QFETCH(bool, pendingUpdate);
        QFETCH(QString, autoRecover);
        QFETCH(double, storedBrightness);
        QFETCH(int, updateChecks);
        QFETCH(QString, events);
        QFETCH(QString, opened);
        QFETCH(bool, cwkStyle);
        QFETCH(double, styleBrightness);

        QTemporaryDir run(m_dir.filePath(QStringLiteral("run-XXXXXX")));
        QVERIFY(run.isValid());
        const QString settingsFile = run.filePath(QStringLiteral("Corvane Works Ltd/Plintra.conf"));
        const QString project = run.filePath(QStringLiteral("shot.pln"));
        const QString autoSave = run.filePath(QStringLiteral("shot.autosave.pln"));
        if (autoRecover == QLatin1String("present")) {
            QFile file(autoSave);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        {
            QSettings settings(settingsFile, QSettings::IniFormat);
            settings.setValue(QStringLiteral("InstallDir"), m_qstrInstall);
            settings.setValue(QStringLiteral("FirstRun"), firstRun);
            settings.setValue(QStringLiteral("update/auto"), autoUpdate);
            settings.setValue(QStringLiteral("ShowSplash"), true);
            if (pendingUpdate)
                settings.setValue(QStringLiteral("update/version"), QStringLiteral("9.9.9"));
            if (!autoRecover.isEmpty())
                settings.setValue(QStringLiteral("AutoRecoverFile"), autoSave);
            if (storedBrightness >= 0.0)
                settings.setValue(QStringLiteral("UIBrightness"), storedBrightness);
        }
        QStringList childArguments {QStringLiteral("--startup-child"), run.path(), run.filePath(QStringLiteral("result.ini")),
            QStringLiteral("-platform"), QStringLiteral("xcb")};
        for (QString argument : arguments)
            childArguments << argument.replace(QStringLiteral("{project}"), project).replace(QStringLiteral("{clip}"), m_qstrClip);

        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        // Under the sanitizer build the leak check at each child's exit once crashed inside the
        // sanitizer's own tracer; this suite's process still checks the same code for leaks.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (environment.contains(QStringLiteral("ASAN_OPTIONS")))
            environment.insert(QStringLiteral("ASAN_OPTIONS"),
                environment.value(QStringLiteral("ASAN_OPTIONS")).replace(QStringLiteral("detect_leaks=1"), QStringLiteral("detect_leaks=0")));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), childArguments);
        QVERIFY(child.waitForStarted(30000));
        if (!child.waitForFinished(120000)) {
            child.kill();
            child.waitForFinished(10000);
            QFAIL("the program did not end");
        }
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);

        QSettings result(run.filePath(QStringLiteral("result.ini")), QSettings::IniFormat);
        QCOMPARE(result.value(QStringLiteral("exit")).toInt(), 0);
        QCOMPARE(result.value(QStringLiteral("events")).toString(), events);
        QCOMPARE(result.value(QStringLiteral("updateConnections")).toInt(), updateChecks);
        const QStringList modals = result.value(QStringLiteral("modals")).toStringList();
        if (opened.isEmpty()) {
            QVERIFY2(modals.isEmpty(), qPrintable(modals.join(QLatin1Char('\n'))));
        } else {
            QVERIFY2(!modals.isEmpty() && modals.first().startsWith(opened), qPrintable(modals.join(QLatin1Char('\n'))));
            if (opened.startsWith(QLatin1String("QMessageBox|Plintra|")))
                QVERIFY2(modals.first().contains(project), qPrintable(modals.first()));
        }

        QCOMPARE(result.value(QStringLiteral("cwkStyle")).toBool(), cwkStyle);
        QCOMPARE(result.value(QStringLiteral("stylePointer")).toBool(), cwkStyle);
        if (cwkStyle)
            QVERIFY(qAbs(result.value(QStringLiteral("brightness")).toDouble() - styleBrightness) < 1e-6);
        else
            QVERIFY(!result.value(QStringLiteral("style")).toString().isEmpty());

        QStringList expectedTranslations;
        for (const char* base : kpszTranslationBases)
            expectedTranslations << QStringLiteral("joined ") + QLatin1String(base);
        QCOMPARE(result.value(QStringLiteral("translations")).toStringList(), expectedTranslations);

        // At quit the I/O library lets go of its resources before the window stores its
        // layout, and the settings are written after both.
        QCOMPARE(result.value(QStringLiteral("resourceReleases")).toInt(), 1);
        QVERIFY(!result.value(QStringLiteral("dockStateStoredBeforeResources")).toBool());
        QSettings written(settingsFile, QSettings::IniFormat);
        bool dockStateStored = false;
        for (const QString& key : written.allKeys())
            dockStateStored |= key.startsWith(QLatin1String("DockState"));
        QVERIFY(dockStateStored);
        QVERIFY(written.contains(QStringLiteral("LastRunBuildNumber")));
    }
};

int main(int argc, char** argv)
{
    if (argc >= 4 && qstrcmp(argv[1], "--startup-child") == 0)
        return iRunChild(argc, argv);
    testenv::vPrepare();
    QApplication app(argc, argv);
    TestStartupWiring tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_startupwiring.moc"
