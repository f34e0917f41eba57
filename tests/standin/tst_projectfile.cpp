// The stand-in's project file: what is written comes back whole, writes replace the file
// only when complete, and the header read sees what the opener needs.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "Vosk.h"
#include "brandor.h"
#include "standin/testing.h"
#include "tolvane.h"
#include "velmor.h"

#include <QDir>
#include <QFile>
#include <QXmlErrorHandler>
#include <thread>

namespace {
class PfQuietHandler : public QXmlErrorHandler {
public:
    bool warning(const QXmlParseException&) override { return true; }
    bool error(const QXmlParseException&) override { return false; }
    bool fatalError(const QXmlParseException&) override { return false; }
    QString errorString() const override { return {}; }
};

CW_Instance pPfOpen(const QString& path)
{
    PfQuietHandler handler;
    CW_Color colours[5];
    ManagerSuite managers;
    return pOpenProject(pstctBRD_GetCallbackStruct(), nullptr, nullptr, QString(), nullptr, nullptr, QString(), false,
        path.toUtf8().constData(), 10, "", handler, nullptr, colours, managers, false);
}
} // namespace

class TstProjectFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_qstrFirst;

private slots:
    void initTestCase()
    {
        m_qstrFirst = testenv::qstrWriteSequence(QDir(m_dir.path()).filePath("media dir"), "take1.", 4, 40, 30);
    }

    void cleanup() { standin::testing::vReset(); }

    void sequenceBecomesTheMainClip()
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("take1"));
        const CW_ClipInfo* clip = pcstctGetClipInfo(project, 1);
        QCOMPARE(clip->qstrFileName, QStringLiteral("take1."));
        QCOMPARE(clip->qstrThirdPart, QStringLiteral(".png"));
        QCOMPARE(clip->iFirstFileNumber, 1);
        QCOMPARE(clip->iLastFileNumber, 4);
        QCOMPARE(clip->iThirdNumber, 4);
        QCOMPARE(pcstctGetBaseClipInfo(project, 1)->uiCount, 4u);
        QCOMPARE(pcstctGetBaseClipInfo(project, 1)->uiWidth, 40u);
    }

    void everythingWrittenComesBack()
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("take1"));
        CW_BaseClipInfo base = *pcstctGetBaseClipInfo(project, 1);
        base.iFieldMode = CW_LOWER_FIELD_FIRST;
        base.dPixelAspectRatio = 1.0925;
        base.uiBorderTop = 7;
        base.aucDisplayColour[1] = 12;
        vSetBaseClipInfo(project, 1, base);
        CW_ClipInfo rendered = *pcstctGetClipInfo(project, 1);
        rendered.bSourceClip = false;
        rendered.qstrHeaderInfo = QStringLiteral("two\nlines with a \\ backslash and ünïcode");
        const CW_CLIP_ID second = eRegisterBaseClip(project, QStringLiteral("render = 2"), base, rendered);
        vSetOutputDirectory(project, true, QStringLiteral("/renders/out"));
        const QString notes = QStringLiteral("<p>Shot 12:\nkeep the <b>left</b> edge</p>\r\n\\ ünïcode");
        pGetProjectManager(project)->getProjectProperties().setProjectNotes(notes);
        vSetPlaybackInPoint(project, 1);
        vSetPlaybackOutPoint(project, 2);
        const QString path = QDir(m_dir.path()).filePath("round.pln");
        standin::testing::vWriteProjectFile(project, path, kuiProjectFileVersion);

        CW_Instance reopened = pPfOpen(path);
        QVERIFY(bIsValidInstance(reopened));
        QCOMPARE(pglGetClipList(reopened), pglGetClipList(project));
        QCOMPARE(qstrGetClipName(reopened, second), QStringLiteral("render = 2"));
        const CW_BaseClipInfo& back = *pcstctGetBaseClipInfo(reopened, 1);
        QCOMPARE(back.iFieldMode, int(CW_LOWER_FIELD_FIRST));
        QCOMPARE(back.dPixelAspectRatio, 1.0925);
        QCOMPARE(back.uiBorderTop, 7u);
        QCOMPARE(int(back.aucDisplayColour[1]), 12);
        QCOMPARE(back.uiGetNumImageFilesInClip(), 4u);
        QCOMPARE(pcstctGetClipInfo(reopened, second)->qstrHeaderInfo, rendered.qstrHeaderInfo);
        QVERIFY(!pcstctGetClipInfo(reopened, second)->bSourceClip);
        QVERIFY(bGetOutputDirectoryAbsolute(reopened));
        QCOMPARE(qstrGetOutputDirectory(reopened), QStringLiteral("/renders/out"));
        QCOMPARE(pGetProjectManager(reopened)->getProjectProperties().getProjectNotes(), notes);
        QCOMPARE(qstrGetProjectName(reopened), QFileInfo(path).absoluteFilePath());
        QCOMPARE(uiGetPlaybackInPoint(reopened), 1u);
        QCOMPARE(uiGetPlaybackOutPoint(reopened), 2u);
        QVERIFY(!bProjectHasChanged(reopened));
    }

    void headerReadGivesTheMainClipFirst()
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("take1"));
        vSetOutputDirectory(project, false, QStringLiteral("Results"));
        const QString path = QDir(m_dir.path()).filePath("header.pln");
        standin::testing::vWriteProjectFile(project, path, 2017);
        unsigned int version = 0, count = 0;
        QString product, output, second;
        bool absolute = true;
        std::vector<CW_BaseClipInfo> bases;
        std::vector<CW_CLIP_ID> ids;
        std::vector<CW_ClipInfo> clips;
        QVERIFY(bReadProjectFileHeader(
            nullptr, path.toUtf8().constData(), version, product, count, bases, ids, clips, absolute, output, second));
        QCOMPARE(version, 2017u);
        QCOMPARE(product, QStringLiteral("plintra"));
        QCOMPARE(ids, std::vector<CW_CLIP_ID> {1});
        QCOMPARE(clips.front().iLastFileNumber, 4);
        QVERIFY(!absolute);
        QCOMPARE(output, QStringLiteral("Results"));
        QVERIFY(bClipExists(nullptr, path.toUtf8().constData()));
    }

    void failedWriteLeavesThePreviousFileWhole()
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("take1"));
        const QString folder = QDir(m_dir.path()).filePath("atomic");
        QVERIFY(QDir().mkpath(folder));
        const QString path = QDir(folder).filePath("a.pln");
        standin::testing::vWriteProjectFile(project, path, kuiProjectFileVersion);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();

        // A file in the way of the temporary file's folder: the save cannot complete.
        const QString blocked = QDir(folder).filePath("blocked");
        QVERIFY(QDir().mkpath(blocked + "/a.pln"));
        standin::testing::vSetProjectFilePath(project, blocked + "/a.pln");
        vSetProjectHasChanged(project, true);
        QVERIFY_THROWS_EXCEPTION(CW_Exception, bSaveProject(project));
        QVERIFY(bProjectHasChanged(project));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);

        // Saving over the file replaces it completely.
        standin::testing::vSetProjectFilePath(project, path);
        vSetOutputDirectory(project, true, QStringLiteral("/elsewhere"));
        QVERIFY(bSaveProject(project));
        QVERIFY(!bProjectHasChanged(project));
        QCOMPARE(qstrGetOutputDirectory(pPfOpen(path)), QStringLiteral("/elsewhere"));
        QVERIFY(QDir(folder).entryList(QDir::Files) == QStringList {"a.pln"});
    }

    // Each step is an operation and whether the project then counts as changed (+) or not (-).
    void changedFollowsTheHistoryAndTheWrites_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("undo and redo across the written state")
            << QStringList {"change+", "save-", "change+", "undo-", "redo+", "undo-", "undo+", "redo-"};
        QTest::newRow("a change outside the history stays until written")
            << QStringList {"change+", "save-", "in point+", "change+", "undo+", "save-", "undo+"};
        QTest::newRow("a new change leaves the written state behind")
            << QStringList {"change+", "save-", "undo+", "change+", "undo+", "redo+"};
        QTest::newRow("steps trimmed off the history are not undone")
            << QStringList {"history 1-", "change+", "save-", "change+", "undo-", "redo+", "change+", "undo+"};
        QTest::newRow("declared unchanged where the history stands")
            << QStringList {"change+", "unchanged-", "undo+", "redo-", "changed+", "undo+", "redo+"};
    }

    void changedFollowsTheHistoryAndTheWrites()
    {
        QFETCH(QStringList, steps);
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("take1"));
        standin::testing::vSetProjectFilePath(project, QDir(m_dir.path()).filePath("history.pln"));
        const int layer = standin::testing::iAddLayer(project, QStringLiteral("Layer"));
        auto* parameter = pGetLayerParameters(project, layer)->pAddNumeric<unsigned int>("passes", 0u, 0u, 100u);
        QVERIFY(!bProjectHasChanged(project));
        unsigned int value = 0;
        bool reRender = false;
        for (QString step : steps) {
            const bool changed = step.endsWith('+');
            step.chop(1);
            if (step == "change") {
                Vosk::CompositeCommand command;
                parameter->setStaticValue(++value, &command);
                QVERIFY(bMakeParameterChange(project, command, nullptr, 0.0f, true));
            } else if (step == "undo") {
                QVERIFY(bUndo(project, reRender));
            } else if (step == "redo") {
                QVERIFY(bRedo(project, reRender));
            } else if (step == "save") {
                QVERIFY(bSaveProject(project));
            } else if (step == "in point") {
                vSetPlaybackInPoint(project, 1);
            } else if (step == "history 1") {
                vSetMaximumHistorySize(project, 1);
            } else if (step == "unchanged" || step == "changed") {
                vSetProjectHasChanged(project, step == "changed");
            } else {
                QFAIL(qPrintable("unknown step " + step));
            }
            QVERIFY2(bool(bProjectHasChanged(project)) == changed, qPrintable("after " + step));
        }
    }

    void changeDuringAWriteKeepsTheProjectChanged_data()
    {
        QTest::addColumn<bool>("inHistory");
        QTest::newRow("kept in the history") << true;
        QTest::newRow("outside the history") << false;
    }

    // The file holds the copy taken when the write began; a change made meanwhile is not in
    // it and must not count as written.
    void changeDuringAWriteKeepsTheProjectChanged()
    {
        QFETCH(bool, inHistory);
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("take1"));
        const QString path = QDir(m_dir.path()).filePath("during.pln");
        standin::testing::vSetProjectFilePath(project, path);
        const int layer = standin::testing::iAddLayer(project, QStringLiteral("Layer"));
        auto* parameter = pGetLayerParameters(project, layer)->pAddNumeric<unsigned int>("passes", 0u, 0u, 100u);
        vSetPlaybackOutPoint(project, 2);
        standin::testing::vSetProjectWriteDelay(400);
        std::thread writer([project] { bSaveProject(project); });
        QTRY_COMPARE_WITH_TIMEOUT(standin::testing::iGetProjectWritesUnderWay(), 1, 5000);
        if (inHistory) {
            Vosk::CompositeCommand command;
            parameter->setStaticValue(7u, &command);
            QVERIFY(bMakeParameterChange(project, command, nullptr, 0.0f, true));
        } else {
            vSetPlaybackInPoint(project, 1);
        }
        // Written or not yet, the project is changed all the while.
        QVERIFY(bProjectHasChanged(project));
        writer.join();
        standin::testing::vSetProjectWriteDelay(0);
        QVERIFY(bProjectHasChanged(project));
        QCOMPARE(uiGetPlaybackOutPoint(pPfOpen(path)), 2u);
        QVERIFY(bSaveProject(project));
        QVERIFY(!bProjectHasChanged(project));
    }

    void projectWithoutFileNameIsNotSaved()
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("take1"));
        QVERIFY(!bSaveProject(project));
    }

    void checkpointReopensWithTheRelinkedClip()
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("take1"));
        const CW_BaseClipInfo base = *pcstctGetBaseClipInfo(project, 1);
        const CW_ClipInfo initial = *pcstctGetClipInfo(project, 1);
        QByteArray buffer;
        pGetProjectManager(project)->vCheckpointProject(buffer, false);
        vCloseProject(project);

        const QString moved = testenv::qstrWriteSequence(QDir(m_dir.path()).filePath("moved"), "take1.", 2, 40, 30);
        CW_ClipInfo relinked = initial;
        relinked.qstrFolder = QFileInfo(moved).absolutePath() + "/";
        relinked.iLastFileNumber = 2;
        PfQuietHandler handler;
        CW_Color colours[5];
        CW_Instance reopened = pOpenProjectFromBuffer(pstctBRD_GetCallbackStruct(), base, relinked, "take1", base,
            initial, QString(), false, 10, buffer, "", handler, nullptr, colours);
        QCOMPARE(pcstctGetClipInfo(reopened, 1)->qstrFolder, relinked.qstrFolder);
        QCOMPARE(pcstctGetClipInfo(reopened, 1)->iLastFileNumber, 2);
        QVERIFY(bProjectHasChanged(reopened));

        // Media that cannot be read leave no project behind.
        relinked.qstrFolder = QDir(m_dir.path()).filePath("nowhere");
        QVERIFY_THROWS_EXCEPTION(CW_Exception,
            pOpenProjectFromBuffer(pstctBRD_GetCallbackStruct(), base, relinked, "take1", base, initial, QString(),
                false, 10, buffer, "", handler, nullptr, colours));
        QCOMPARE(pglGetClipList(reopened).size(), size_t(1));
    }

    void renderedClipsMoveSourceClipsStay()
    {
        CW_Instance project = standin::testing::pCreateProjectFromClip(m_qstrFirst, QStringLiteral("take1"));
        const QString renders = QDir(m_dir.path()).filePath("renders");
        const QString firstRender = testenv::qstrWriteSequence(renders, "out_", 2);
        CW_ClipInfo rendered = *pcstctGetClipInfo(project, 1);
        rendered.qstrFolder = renders + "/";
        rendered.qstrFileName = "out_";
        rendered.iLastFileNumber = 2;
        rendered.bSourceClip = false;
        const CW_CLIP_ID id = eRegisterBaseClip(project, "out", *pcstctGetBaseClipInfo(project, 1), rendered);
        const QString target = QDir(m_dir.path()).filePath("target");
        QVERIFY(bMoveAllClipsToNewDirectory(project, target.toUtf8().constData()));
        QVERIFY(QFile::exists(QDir(target).filePath("out_0002.png")));
        QVERIFY(!QFile::exists(firstRender));
        QCOMPARE(QDir(pcstctGetClipInfo(project, id)->qstrFolder), QDir(target));
        QVERIFY(QFile::exists(m_qstrFirst));
    }

    void loadableProjectsAreProductIdentities()
    {
        // What the open dialog's filter reads: product identities, each with its own extension.
        const QStringList identities = qstrGetLoadableProjects("plintrapro").split(' ');
        QCOMPARE(identities, (QStringList {"plintrapro", "plintra", "plintra4ae"}));
        for (const QString& identity : identities)
            QVERIFY(qstrGetFileExtension(identity).startsWith('.'));
    }
};

PLINTRA_TEST_MAIN(TstProjectFile)
#include "tst_projectfile.moc"
