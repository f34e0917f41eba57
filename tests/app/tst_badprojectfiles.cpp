// Project files that are damaged, cut short, of another version or not project files at
// all: each gives one clear message, and the program goes on with no project or the one
// it had.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "app/ClipProbe.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSettings>

namespace {

enum class Expect { Unreadable, Damaged, OldFormat, NewerFormat, Relink };

QByteArray baWithChecksum(QByteArray body)
{
    const int at = body.lastIndexOf("checksum=");
    body.truncate(at);
    return body + "checksum=" + QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex() + '\n';
}

} // namespace

Q_DECLARE_METATYPE(Expect)

class TstBadProjectFiles : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    QTemporaryDir m_dir;
    QString m_qstrGood;
    QString m_qstrPrevious;
    QByteArray m_baGood;

    QString qstrWrite(const QString& name, const QByteArray& bytes)
    {
        const QString path = QDir(m_dir.path()).filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return path;
    }

private slots:
    void initTestCase()
    {
        pGetUserSettings()->setValue(QStringLiteral("FirstRun"), false);
        m_pWindow = new frmMain();
        // Kept hidden: a shown window titled like the program would be found by the
        // end-to-end suite that looks for the real program's window.
        m_pWindow->sltConfigureGUI();
        // The good file carries the built-in clips after the main clip, so a cut can fall
        // after the main clip's section.
        const QString first = testenv::qstrWriteSequence(QDir(m_dir.path()).filePath("media"), "shot_", 3);
        m_qstrGood = testenv::qstrWriteProject(QDir(m_dir.path()).filePath("good.pln"), first, 2018,
            [](CW_Instance project) { vRegisterResourceClips(project); });
        m_qstrPrevious = testenv::qstrWriteProject(QDir(m_dir.path()).filePath("previous.pln"), first);
        QFile file(m_qstrGood);
        QVERIFY(file.open(QIODevice::ReadOnly));
        m_baGood = file.readAll();
        QVERIFY(m_baGood.count("[clip ") == 5);
    }

    void cleanupTestCase()
    {
        delete m_pWindow;
        standin::testing::vReset();
    }

    void badFileGivesOneClearMessage_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Expect>("expect");
        QTest::addColumn<bool>("previousSurvives");

        const QByteArray good = m_baGood;
        const int secondClip = good.indexOf("[clip 2]");
        const int checksum = good.lastIndexOf("checksum=");
        QByteArray random(4096, '\0');
        QRandomGenerator generator(20181);
        for (char& c : random)
            c = char(generator.bounded(256));
        QByteArray brokenValue = good;
        brokenValue.replace(brokenValue.indexOf("colour=", secondClip), 7, "colour=1 ");
        QByteArray unknownSection = good;
        unknownSection.insert(checksum, "[future 1]\nthing=1\n");
        QByteArray altered = good;
        altered.replace(altered.indexOf("count=3"), 7, "count=9");
        QByteArray old = good;
        old.replace("version 2018", "version 2017");
        QByteArray newer = good;
        newer.replace("version 2018", "version 2999");
        QByteArray badVersion = good;
        badVersion.replace("version 2018", "version x018");

        // A file is read whole and checked before the open project is closed for it, so
        // the open project survives every one of these.
        struct Row {
            const char* name;
            QByteArray bytes;
            Expect expect;
        };
        const Row rows[] = {
            {"empty", QByteArray(), Expect::Unreadable},
            {"cut inside the first line", good.left(9), Expect::Unreadable},
            {"cut after the first line", good.left(good.indexOf('\n') + 1), Expect::Unreadable},
            {"cut inside the header", good.left(good.indexOf("product")), Expect::Unreadable},
            {"cut before the main clip", good.left(good.indexOf("[clip 1]")), Expect::Damaged},
            {"cut inside the main clip", good.left(good.indexOf("folder=")), Expect::Damaged},
            {"cut after the main clip", good.left(secondClip), Expect::Damaged},
            {"cut before the checksum", good.left(checksum), Expect::Damaged},
            {"last byte missing", good.left(good.size() - 1), Expect::Damaged},
            {"random bytes", random, Expect::Unreadable},
            {"a picture", QByteArray("\x89PNG\r\n\x1a\n", 8) + random, Expect::Unreadable},
            {"version not a number", badVersion, Expect::Unreadable},
            {"version 2017", old, Expect::OldFormat},
            {"version from the future", newer, Expect::NewerFormat},
            {"valid header, body altered", altered, Expect::Damaged},
            {"valid header, broken value", baWithChecksum(brokenValue), Expect::Damaged},
            {"valid header, unknown section", baWithChecksum(unknownSection), Expect::Damaged},
            // One number that would hang the program or exhaust its memory.
            {"padding of a hundred million digits",
                baWithChecksum(QByteArray(good).replace("digits=4", "digits=100000000")), Expect::Damaged},
            {"padding of the largest int", baWithChecksum(QByteArray(good).replace("digits=4", "digits=2147483647")),
                Expect::Damaged},
            {"a hundred million digits, checksum not matching",
                QByteArray(good).replace("digits=4", "digits=100000000"), Expect::Damaged},
            {"frame count beyond the int range",
                baWithChecksum(QByteArray(good).replace("count=3", "count=4294967295")), Expect::Damaged},
        };
        for (const Row& row : rows) {
            QTest::addRow("%s, no project open", row.name) << row.bytes << row.expect << true;
            QTest::addRow("%s, a project open", row.name) << row.bytes << row.expect << true;
        }
    }

    void badFileGivesOneClearMessage()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Expect, expect);
        QFETCH(bool, previousSurvives);
        const bool previousOpen = QString::fromLatin1(QTest::currentDataTag()).endsWith("a project open");

        standin::testing::vReset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        testenv::DialogDriver driver;
        if (previousOpen) {
            m_pWindow->sltFileOpenProject(m_qstrPrevious);
            QVERIFY(bIsValidInstance(ProjectManagerInstance::instance()->getInstance()));
        }
        const QString path = qstrWrite(QStringLiteral("bad.pln"), bytes);
        QVERIFY(!path.isEmpty());
        driver.seen.clear();

        m_pWindow->sltFileOpenProject(path);

        const QStringList messages = driver.qslMessages();
        QCOMPARE(messages.size(), 1);
        const QString message = messages.first();
        switch (expect) {
        case Expect::Unreadable:
            QCOMPARE(message,
                QStringLiteral("The project %1 cannot be opened: the file cannot be read or is not a "
                               "project file.")
                    .arg(path));
            break;
        case Expect::Damaged:
            QVERIFY2(message.startsWith(QStringLiteral("The project file is damaged and cannot be opened: ")),
                qPrintable(message));
            break;
        case Expect::OldFormat:
            QCOMPARE(message, QStringLiteral("Project files from Brindle and Sorrel are not supported"));
            break;
        case Expect::NewerFormat:
            QCOMPARE(message,
                QStringLiteral("The project was written by a newer version of the program and cannot be "
                               "opened."));
            break;
        case Expect::Relink:
            break;
        }

        CW_Instance current = ProjectManagerInstance::instance()->getInstance();
        if (previousOpen && previousSurvives) {
            QVERIFY(bIsValidInstance(current));
            QCOMPARE(qstrGetProjectName(current), QFileInfo(m_qstrPrevious).absoluteFilePath());
        } else {
            QVERIFY(!bIsValidInstance(current));
        }
        // The program goes on: a good project still opens.
        driver.seen.clear();
        m_pWindow->sltFileOpenProject(m_qstrGood);
        QVERIFY(bIsValidInstance(ProjectManagerInstance::instance()->getInstance()));
        QVERIFY(driver.qslMessages().isEmpty());
    }

    // A file larger than any project could be is refused before it is read, though it
    // begins as a good project: the opener looks for its media first, and the relink dialog
    // it would go to next takes the whole file. Sparse, it takes no room on the disk.
    void fileLargerThanAnyProjectIsRefusedUnread()
    {
        standin::testing::vReset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        testenv::DialogDriver driver;
        m_pWindow->sltFileOpenProject(m_qstrPrevious);
        QVERIFY(bIsValidInstance(ProjectManagerInstance::instance()->getInstance()));
        const QString path = QDir(m_dir.path()).filePath(QStringLiteral("huge.pln"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(m_baGood) == m_baGood.size());
            if (!file.resize(64LL << 30))
                QSKIP(qPrintable("the file system takes no sparse file of 64 GiB: " + file.errorString()));
        }
        driver.seen.clear();
        m_pWindow->sltFileOpenProject(path);
        QFile::remove(path);
        QCOMPARE(driver.qslMessages(),
            QStringList {QStringLiteral("The project %1 cannot be opened: the file cannot be read or is not a "
                                        "project file.")
                             .arg(path)});
        QCOMPARE(qstrGetProjectName(ProjectManagerInstance::instance()->getInstance()),
            QFileInfo(m_qstrPrevious).absoluteFilePath());
    }

    void fileThatIsNoFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << "nothing-here.pln";
        QTest::newRow("a folder") << "media";
    }

    void fileThatIsNoFile()
    {
        QFETCH(QString, name);
        standin::testing::vReset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        testenv::DialogDriver driver;
        const QString path = QDir(m_dir.path()).filePath(name);
        m_pWindow->sltFileOpenProject(path);
        QCOMPARE(driver.qslMessages().size(), 1);
        QVERIFY(driver.qslMessages().first().contains(QStringLiteral("cannot be opened")));
        QVERIFY(!bIsValidInstance(ProjectManagerInstance::instance()->getInstance()));
    }

    void missingMediaOffersTheRelinkDialogAndKeepsThePreviousProject()
    {
        standin::testing::vReset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        const QString first = testenv::qstrWriteSequence(QDir(m_dir.path()).filePath("lost"), "lost_", 2);
        const QString path = testenv::qstrWriteProject(QDir(m_dir.path()).filePath("lost.pln"), first);
        QVERIFY(QDir(QDir(m_dir.path()).filePath("lost")).removeRecursively());
        testenv::DialogDriver driver;
        m_pWindow->sltFileOpenProject(m_qstrPrevious);
        driver.seen.clear();
        m_pWindow->sltFileOpenProject(path);
        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(driver.seen.first().qstrTitle, QStringLiteral("Relink clip - Media unavailable"));
        QCOMPARE(qstrGetProjectName(ProjectManagerInstance::instance()->getInstance()),
            QFileInfo(m_qstrPrevious).absoluteFilePath());
    }
};

PLINTRA_TEST_MAIN(TstBadProjectFiles)
#include "tst_badprojectfiles.moc"
