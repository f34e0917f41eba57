// Output-folder checks, free disk space, and the transfer folders the close-down offers
// to delete.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "app/OutputFolders.h"
#include "app/ProjectCloseDown.h"
#include "app/ProjectManagerInstance.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QDir>
#include <QFile>
#include <unistd.h>

class TstOutputFolders : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_pDir;
    QString qstrPath(const QString& name) const { return QDir(m_pDir->path()).filePath(name); }

private slots:
    void init() { m_pDir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        standin::testing::vReset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        qslGetSentClipFolders().clear();
        qslGetReceivedClipFolders().clear();
    }

    void validation_data()
    {
        QTest::addColumn<QString>("prepare");
        QTest::addColumn<bool>("absolute");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("message");
        QTest::newRow("created fresh") << "" << false << "Results" << true << "";
        QTest::newRow("existing") << "dir:Results" << false << "Results" << true << "";
        QTest::newRow("parent missing") << "" << false << "a/b" << false << "Could not create the output directory.";
        QTest::newRow("a file in the way")
            << "file:Results" << false << "Results" << false << "Could not open the output directory for reading.";
        QTest::newRow("cannot be written")
            << "" << true << "/proc" << false << "Couldn't write to the output directory.";
    }

    void validation()
    {
        QFETCH(QString, prepare);
        QFETCH(bool, absolute);
        QFETCH(QString, directory);
        QFETCH(bool, valid);
        QFETCH(QString, message);
        if (prepare.startsWith("dir:"))
            QVERIFY(QDir().mkpath(qstrPath(prepare.mid(4))));
        if (prepare.startsWith("file:")) {
            QFile file(qstrPath(prepare.mid(5)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        testenv::DialogDriver driver;
        QString result;
        QCOMPARE(bValidateOutputDirectory(nullptr, absolute, directory, m_pDir->path().toUtf8(), result), valid);
        const QString expected = absolute ? directory : m_pDir->path() + "/" + directory;
        QCOMPARE(result, expected);
        if (message.isEmpty()) {
            QVERIFY(driver.seen.isEmpty());
            QVERIFY(QFileInfo(expected).isDir());
            QVERIFY(!QFileInfo::exists(expected + "/WriteTest"));
        } else {
            QCOMPARE(driver.seen.size(), 1);
            QVERIFY2(driver.seen.first().qstrText.startsWith(message), qPrintable(driver.seen.first().qstrText));
            QCOMPARE(driver.seen.first().qstrTitle, QStringLiteral("Plintra"));
        }
    }

    // A folder is only ever tested and made at a full path: an "absolute" folder that is
    // relative, or a folder below no project folder, is refused, not looked for where the
    // program runs nor made at the root of the file system.
    void relativeFolderIsRefused_data()
    {
        QTest::addColumn<bool>("absolute");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QByteArray>("projectFolder");
        QTest::addColumn<bool>("presentWhereTheProgramRuns");
        const QString name = QStringLiteral("plintra-out-%1").arg(QCoreApplication::applicationPid());
        QTest::newRow("absolute, but relative; not there") << true << name << QByteArray("/tmp") << false;
        QTest::newRow("absolute, but relative; there where the program runs")
            << true << name << QByteArray("/tmp") << true;
        QTest::newRow("below no project folder") << false << name << QByteArray() << false;
        QTest::newRow("below a relative project folder") << false << name << QByteArray("project") << true;
    }

    void relativeFolderIsRefused()
    {
        QFETCH(bool, absolute);
        QFETCH(QString, directory);
        QFETCH(QByteArray, projectFolder);
        QFETCH(bool, presentWhereTheProgramRuns);
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_pDir->path()));
        auto restore = qScopeGuard([&] {
            QDir::setCurrent(previous);
            QDir::root().rmdir(directory + QStringLiteral("/WriteTest"));
            QDir::root().rmdir(directory);
        });
        const QString here = QString::fromUtf8(projectFolder.isEmpty() || absolute ? QByteArray() : projectFolder + "/")
            + directory;
        if (presentWhereTheProgramRuns)
            QVERIFY(QDir().mkpath(here));

        testenv::DialogDriver driver;
        QString result;
        QVERIFY(!bValidateOutputDirectory(nullptr, absolute, directory, projectFolder, result));
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY2(driver.seen.first().qstrText.startsWith(QStringLiteral("Could not create the output directory.")),
                 qPrintable(driver.seen.first().qstrText));
        QVERIFY(!QFileInfo::exists(QDir::rootPath() + directory));
        QCOMPARE(QFileInfo::exists(here), presentWhereTheProgramRuns);
        QVERIFY(!QFileInfo::exists(here + QStringLiteral("/WriteTest")));
    }

    void relativeFolderJoinsWithOneSlash()
    {
        testenv::DialogDriver driver;
        QString result;
        QVERIFY(bValidateOutputDirectory(nullptr, false, "Out", (m_pDir->path() + "/").toUtf8(), result));
        QCOMPARE(result, m_pDir->path() + "/Out");
    }

    void permissionsAreReported_data()
    {
        QTest::addColumn<int>("permissions");
        QTest::addColumn<QString>("message");
        QTest::newRow("read-only") << int(QFile::ReadOwner | QFile::ExeOwner) << "Couldn't write";
        QTest::newRow("unreadable") << 0 << "Could not open the output directory for reading.";
    }

    // Permissions do not bind the superuser, so a suite run as one checks the folder as
    // an unprivileged user.
    void permissionsAreReported()
    {
        QFETCH(int, permissions);
        QFETCH(QString, message);
        const QString folder = qstrPath("locked");
        QVERIFY(QDir().mkpath(folder));
        testenv::DialogDriver driver;
        QString result;
        bool valid = true;
        QString why;
        const bool ran = testenv::bRunUnprivileged(
            folder,
            [&] {
                QFile::setPermissions(folder, QFile::Permissions(permissions));
                valid = bValidateOutputDirectory(nullptr, true, folder, QByteArray(), result);
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            },
            why);
        if (!ran)
            QSKIP(qPrintable(why));
        QVERIFY(!valid);
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY2(driver.seen.first().qstrText.startsWith(message), qPrintable(driver.seen.first().qstrText));
    }

    void freeSpaceInMegabytes()
    {
        bool ok = false;
        QVERIFY(qstrGetFreeDiskSpaceMB(m_pDir->path()).toLongLong(&ok) >= 0);
        QVERIFY(ok);
        QCOMPARE(qstrGetFreeDiskSpaceMB(qstrPath("missing")), QStringLiteral("Not Available"));
        QCOMPARE(qstrGetFreeDiskSpaceMB(QString()), QStringLiteral("Not Available"));
    }

    void folderTreeIsRemovedWhole()
    {
        QVERIFY(QDir().mkpath(qstrPath("clip/sub/deeper")));
        QVERIFY(testenv::bWriteImage(qstrPath("clip/sub/a.png"), 4, 4));
        QVERIFY(testenv::bWriteImage(qstrPath("clip/b.png"), 4, 4));
        vRemoveDirectoryTree(QDir(qstrPath("clip")));
        QVERIFY(!QFileInfo::exists(qstrPath("clip")));
        QVERIFY(QFileInfo::exists(m_pDir->path()));
    }

    void closeDownOffersTransferFolders_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("deleted") << true;
        QTest::newRow("kept") << false;
    }

    void closeDownOffersTransferFolders()
    {
        QFETCH(bool, yes);
        const QString first = testenv::qstrWriteSequence(qstrPath("media"), "s_", 2);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, "s");
        standin::testing::vSetProjectFilePath(project, qstrPath("p.pln"));
        ProjectManagerInstance::instance()->setInstance(project);
        for (const char* folder : {"sent/one/inner", "received/keep", "received/other"})
            QVERIFY(QDir().mkpath(qstrPath(folder)));
        qslGetSentClipFolders() = QStringList {qstrPath("sent/one")};
        qslGetReceivedClipFolders() = QStringList {qstrPath("received/keep"), qstrPath("received/other")};

        testenv::DialogDriver driver;
        driver.messageButton = yes ? QMessageBox::Yes : QMessageBox::No;
        QVERIFY(vCheckAutoRecoverClipFolder(true, qstrPath("received/./keep/")));
        QVERIFY(!bIsValidInstance(project));
        QCOMPARE(ProjectManagerInstance::instance()->getInstance(), nullptr);

        const QStringList questions = driver.qslMessages();
        QCOMPARE(questions.size(), 2);
        QCOMPARE(questions.at(0),
            QStringLiteral("A clip was temporarily stored in the folder \n%1\nfor transfer to a "
                           "remote system.\n\nWould you like to delete this clip now?")
                .arg(qstrPath("sent/one")));
        QVERIFY(questions.at(1).contains(qstrPath("received/other")));
        QCOMPARE(QFileInfo::exists(qstrPath("sent/one")), !yes);
        QCOMPARE(QFileInfo::exists(qstrPath("received/other")), !yes);
        QVERIFY(QFileInfo::exists(qstrPath("received/keep")));
        QCOMPARE(qslGetSentClipFolders().isEmpty(), yes);
        QCOMPARE(qslGetReceivedClipFolders().size(), yes ? 1 : 2);
    }

    void refusedCleanUpKeepsTheProject()
    {
        const QString first = testenv::qstrWriteSequence(qstrPath("media"), "s_", 2);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, "s");
        ProjectManagerInstance::instance()->setInstance(project);
        standin::testing::vSetCleanUpRefused(true);
        testenv::DialogDriver driver;
        QVERIFY(!vCheckAutoRecoverClipFolder(true, QString()));
        QVERIFY(bIsValidInstance(project));
        QCOMPARE(ProjectManagerInstance::instance()->getInstance(), project);
    }

    void unchangedProjectIsNotAskedWithoutDestroy()
    {
        const QString first = testenv::qstrWriteSequence(qstrPath("media"), "s_", 2);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, "s");
        ProjectManagerInstance::instance()->setInstance(project);
        testenv::DialogDriver driver;
        QVERIFY(vCheckAutoRecoverClipFolder(false, QString()));
        QVERIFY(driver.seen.isEmpty());
        QVERIFY(bIsValidInstance(project));
    }
};

PLINTRA_TEST_MAIN(TstOutputFolders)
#include "tst_outputfolders.moc"
