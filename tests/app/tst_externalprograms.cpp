#include "TestEnvironment.h"

#include "app/ExternalPrograms.h"
#include "app/Settings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>

namespace {

const QString kqstrLaunchTail
    = QStringLiteral(". Please make sure this external program is installed in the location specified in preferences.");

void vWriteTextFile(const QString& path, const QString& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

// A program that writes its arguments, one a line, into a file beside it.
QString qstrWriteRecordingProgram(const QString& folder)
{
    const QString program = folder + QStringLiteral("/recorder");
    vWriteTextFile(program, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"%1/args.txt\"\n").arg(folder));
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    return program;
}

QString qstrReadRecordedArguments(const QString& folder)
{
    QFile file(folder + QStringLiteral("/args.txt"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestExternalPrograms : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // No desktop opener can be found: nothing outside the test is ever started.
        QVERIFY(m_emptyBin.isValid());
        qputenv("PATH", QFile::encodeName(m_emptyBin.path()));
    }

    void init() { testenv::vResetSettings(); }

    void failedLaunchSaysSo_data()
    {
        QTest::addColumn<bool>("browser");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("label");
        const QString missing = QStringLiteral("/nonexistent/folder/program");
        QTest::newRow("browser missing") << true << missing << "Web Browser";
        QTest::newRow("reader missing") << false << missing << "PDF Reader";
        QTest::newRow("browser unset, no desktop opener") << true << QString() << "Web Browser";
        QTest::newRow("reader unset, no desktop opener") << false << QString() << "PDF Reader";
        QTest::newRow("reader not executable") << false << "@text"
                                               << "PDF Reader";
        QTest::newRow("browser is a folder") << true << "@folder"
                                             << "Web Browser";
    }

    void failedLaunchSaysSo()
    {
        QFETCH(bool, browser);
        QFETCH(QString, program);
        QFETCH(QString, label);
        QTemporaryDir dir;
        if (program == QLatin1String("@text")) {
            program = dir.filePath(QStringLiteral("reader.txt"));
            vWriteTextFile(program, QStringLiteral("not a program"));
        } else if (program == QLatin1String("@folder")) {
            program = dir.path();
        }
        pGetUserSettings()->setValue(browser ? QStringLiteral("WebBrowser") : QStringLiteral("PDFReader"), program);

        testenv::ModalAnswerer answerer;
        if (browser)
            vOpenInWebBrowser(QStringLiteral("https://docs.example.com/"));
        else
            vOpenInPdfReader(dir.filePath(QStringLiteral("guide.pdf")));
        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes().first().qstrTitle, QStringLiteral("Plintra"));
        QCOMPARE(answerer.boxes().first().qstrText, QStringLiteral("Failed to launch ") + label + kqstrLaunchTail);
        QCOMPARE(answerer.boxes().first().qstrClass, QStringLiteral("QMessageBox"));
    }

    void desktopOpenerFailureIsReported_data()
    {
        QTest::addColumn<bool>("browser");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("label");
        // Each opener records its arguments first, so a start is told from a start that never was.
        const QString record = QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"@folder/args.txt\"\n");
        QTest::newRow("reader: opener hands over") << false << record + "exit 0\n" << QString();
        QTest::newRow("reader: no program for the file") << false << record + "exit 3\n"
                                                         << "PDF Reader";
        QTest::newRow("browser: opener fails") << true << record + "exit 1\n"
                                               << "Web Browser";
        QTest::newRow("reader: opener crashes") << false << record + "kill -SEGV $$\n"
                                                << "PDF Reader";
        QTest::newRow("browser: opener never starts") << true << "#!/nonexistent/interpreter\n"
                                                      << "Web Browser";
    }

    void desktopOpenerFailureIsReported()
    {
        QFETCH(bool, browser);
        QFETCH(QString, script);
        QFETCH(QString, label);
        // No program in the preferences: the desktop's opener, found on the search path.
        QTemporaryDir bin;
        const QString opener = bin.filePath(QStringLiteral("xdg-open"));
        vWriteTextFile(opener, QString(script).replace(QLatin1String("@folder"), bin.path()));
        QFile::setPermissions(opener, QFile::permissions(opener) | QFileDevice::ExeOwner);
        qputenv("PATH", QFile::encodeName(bin.path()));
        const QString document
            = browser ? QStringLiteral("https://docs.example.com/a b") : QStringLiteral("/tmp/My Docs/Quick Start.pdf");

        testenv::ModalAnswerer answerer;
        if (browser)
            vOpenInWebBrowser(document);
        else
            vOpenInPdfReader(document);
        if (script.contains(QLatin1String("args.txt")))
            QTRY_COMPARE_WITH_TIMEOUT(qstrReadRecordedArguments(bin.path()), document + QLatin1Char('\n'), 10000);
        // The launch returns at once; the opener's end is seen from the event loop, which
        // lets the opener go once it has been dealt with.
        QTRY_VERIFY_WITH_TIMEOUT(qApp->findChildren<QProcess*>().isEmpty(), 10000);
        qputenv("PATH", QFile::encodeName(m_emptyBin.path()));
        if (label.isEmpty()) {
            QVERIFY(answerer.boxes().isEmpty());
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(answerer.boxes().size(), 1, 10000);
        QCOMPARE(answerer.boxes().first().qstrTitle, QStringLiteral("Plintra"));
        QCOMPARE(answerer.boxes().first().qstrText, QStringLiteral("Failed to launch ") + label + kqstrLaunchTail);
    }

    void configuredProgramGetsTheDocument_data()
    {
        QTest::addColumn<bool>("browser");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("document");
        QTest::newRow("reader, path with spaces") << false << QString() << "/tmp/My Docs/Quick Start.pdf";
        QTest::newRow("browser, address") << true << QString() << "https://docs.example.com/a?b=c&d";
        QTest::newRow("browser with an option") << true << " --new-window"
                                                << "file:/tmp/log.txt";
    }

    void configuredProgramGetsTheDocument()
    {
        QFETCH(bool, browser);
        QFETCH(QString, options);
        QFETCH(QString, document);
        QTemporaryDir dir;
        const QString program = qstrWriteRecordingProgram(dir.path());
        pGetUserSettings()->setValue(
            browser ? QStringLiteral("WebBrowser") : QStringLiteral("PDFReader"), program + options);

        testenv::ModalAnswerer answerer;
        if (browser)
            vOpenInWebBrowser(document);
        else
            vOpenInPdfReader(document);
        const QString expected
            = (options.isEmpty() ? QString() : options.trimmed() + QLatin1Char('\n')) + document + QLatin1Char('\n');
        QTRY_COMPARE_WITH_TIMEOUT(qstrReadRecordedArguments(dir.path()), expected, 10000);
        QVERIFY(answerer.boxes().isEmpty());
    }

    void programFromOpenCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("program");
        QTest::newRow("quoted placeholder") << "\"C:\\Program Files\\Reader\\reader.exe\" /n \"%1\""
                                            << "\"C:\\Program Files\\Reader\\reader.exe\" /n";
        QTest::newRow("bare placeholder") << "viewer.exe -view %1 "
                                          << "viewer.exe -view";
        QTest::newRow("placeholder twice") << "app \"%1\" --other \"%1\""
                                           << "app \"%1\" --other";
        QTest::newRow("no placeholder") << "  browser --private  "
                                        << "browser --private";
        QTest::newRow("control characters") << "\tread\x01\x02"
                                               "er\t -x %1\r\n"
                                            << "reader -x";
        QTest::newRow("desktop file code") << "firefox %u"
                                           << "firefox";
        QTest::newRow("quoted desktop code") << "\"/opt/My Reader/reader\" --fresh \"%F\""
                                             << "\"/opt/My Reader/reader\" --fresh";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("only control characters") << "\x01\x02\t"
                                                 << "";
    }

    void programFromOpenCommand()
    {
        QFETCH(QString, command);
        QFETCH(QString, program);
        QCOMPARE(qstrGetProgramFromOpenCommand(command), program);
    }

    void nonPrintableRunsAreRemovedWhole()
    {
        QCOMPARE(qstrRemoveNonPrintable(QStringLiteral("a\x01\x02\x03"
                                                       "b\tc\n")),
            QStringLiteral("abc"));
        QCOMPARE(qstrRemoveNonPrintable(QStringLiteral("\x7f\x7f")), QString());
        QCOMPARE(qstrRemoveNonPrintable(QStringLiteral("ä ö")), QStringLiteral("ä ö"));
    }

    void associatedProgramFollowsTheDesktopDefaults()
    {
        QTemporaryDir xdg;
        const QString configHome = xdg.filePath(QStringLiteral("config"));
        const QString dataHome = xdg.filePath(QStringLiteral("data"));
        const QString system = xdg.filePath(QStringLiteral("system"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(xdg.filePath(QStringLiteral("etc"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
        // The system folders stay listed after it: the file types are known from there.
        qputenv("XDG_DATA_DIRS", QFile::encodeName(system + QStringLiteral(":/usr/local/share:/usr/share")));

        vWriteTextFile(system + QStringLiteral("/applications/mimeapps.list"),
            QStringLiteral("[Default Applications]\napplication/pdf=sysreader.desktop\ntext/html=web.desktop;\n"));
        vWriteTextFile(system + QStringLiteral("/applications/sysreader.desktop"),
            QStringLiteral("[Desktop Entry]\nName=Reader\nExec=sysreader %f\n"));
        vWriteTextFile(system + QStringLiteral("/applications/web.desktop"),
            QStringLiteral(
                "[Desktop Entry]\nExec=web --new-tab %u\n[Desktop Action private]\nExec=web --private %u\n"));
        QCOMPARE(qstrGetAssociatedProgram(QStringLiteral(".pdf")), QStringLiteral("sysreader"));
        QCOMPARE(qstrGetAssociatedProgram(QStringLiteral(".html")), QStringLiteral("web --new-tab"));

        // The user's own choice wins; an entry that is not installed is passed over.
        vWriteTextFile(configHome + QStringLiteral("/mimeapps.list"),
            QStringLiteral("[Added Associations]\napplication/pdf=other.desktop\n"
                           "[Default Applications]\napplication/pdf=gone.desktop;mine.desktop;\n"));
        vWriteTextFile(dataHome + QStringLiteral("/applications/mine.desktop"),
            QStringLiteral("[Desktop Entry]\nExec=\"/opt/My Reader/reader\" \"%F\"\n"));
        QCOMPARE(qstrGetAssociatedProgram(QStringLiteral(".pdf")), QStringLiteral("\"/opt/My Reader/reader\""));
        QCOMPARE(qstrGetAssociatedProgram(QStringLiteral(".nosuchextension")), QString());

        for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"})
            qunsetenv(name);
    }

    void associatedProgramCanBeLaunched()
    {
        // What the association gives (a quoted path with options) starts as the program.
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("My Reader"));
        QDir().mkpath(folder);
        const QString program = qstrWriteRecordingProgram(folder);
        testenv::ModalAnswerer answerer;
        vLaunchExternalProgram(
            qstrGetProgramFromOpenCommand(QLatin1Char('"') + program + QStringLiteral("\" --fresh \"%1\"")),
            QStringLiteral("doc.pdf"), QStringLiteral("X"));
        QTRY_COMPARE_WITH_TIMEOUT(qstrReadRecordedArguments(folder), QStringLiteral("--fresh\ndoc.pdf\n"), 10000);
        QVERIFY(answerer.boxes().isEmpty());
    }

private:
    QTemporaryDir m_emptyBin;
};

PLINTRA_TEST_MAIN(TestExternalPrograms)
#include "tst_externalprograms.moc"
