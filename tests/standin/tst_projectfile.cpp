// The stand-in's project file: what is written comes back whole, writes replace the file
// only when complete, and the header read sees what the opener needs.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "Vosk.h"
#include "app/ClipProbe.h"
#include "brandor.h"
#include "standin/testing.h"
#include "tolvane.h"
#include "velmor.h"

#include <QCryptographicHash>
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

QByteArray baPfRead(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Sets one value of a project file: "[clip 2] width=0" sets width in the first section so
// titled; "[clip 2]>[clip 9]" renames a section; "old>new" replaces text that occurs once.
// False when the file has no such place.
bool bPfEdit(QByteArray& bytes, const QString& edit)
{
    if (!edit.startsWith(QLatin1Char('['))) {
        const QStringList parts = edit.split(QLatin1Char('>'));
        if (parts.size() != 2 || bytes.count(parts[0].toUtf8()) != 1)
            return false;
        bytes.replace(parts[0].toUtf8(), parts[1].toUtf8());
        return true;
    }
    const int close = edit.indexOf(QLatin1Char(']'));
    const QByteArray title = edit.left(close + 1).toUtf8() + '\n';
    const int section = bytes.indexOf(title);
    if (close < 0 || section < 0)
        return false;
    const QByteArray rest = edit.mid(close + 1).toUtf8();
    if (rest.startsWith('>')) {
        bytes.replace(section, title.size(), rest.mid(1) + '\n');
        return true;
    }
    const QByteArray key = '\n' + rest.trimmed().left(rest.trimmed().indexOf('=') + 1);
    int end = bytes.indexOf("\n[", section + 1);
    if (end < 0)
        end = bytes.lastIndexOf("\nchecksum=");
    const int at = bytes.indexOf(key, section + title.size() - 1);
    if (at < 0 || at > end)
        return false;
    const int lineEnd = bytes.indexOf('\n', at + 1);
    bytes.replace(at + 1, lineEnd - at - 1, rest.trimmed());
    return true;
}

// The bytes with the checksum the writer would have given them.
QByteArray baPfSealed(QByteArray body)
{
    const int at = body.lastIndexOf("checksum=");
    body.truncate(at);
    return body + "checksum=" + QCryptographicHash::hash(body, QCryptographicHash::Sha1).toHex() + '\n';
}

// What opening the file says: empty when it opens, else the user text of the refusal.
QString qstrPfOpenMessage(const QString& path)
{
    try {
        CW_Instance project = pPfOpen(path);
        vCloseProject(project);
        return QString();
    } catch (const CW_Exception& error) {
        return QString::fromStdString(error.strUserMessage());
    }
}

// What the header read says: empty when it reads, "unreadable" when false, else the refusal.
QString qstrPfHeaderMessage(const QString& path)
{
    unsigned int version = 0, count = 0;
    QString product, output, second;
    bool absolute = false;
    std::vector<CW_BaseClipInfo> bases;
    std::vector<CW_CLIP_ID> ids;
    std::vector<CW_ClipInfo> clips;
    try {
        if (!bReadProjectFileHeader(nullptr, path.toUtf8().constData(), version, product, count, bases, ids, clips,
                absolute, output, second))
            return QStringLiteral("unreadable");
        return QString();
    } catch (const CW_Exception& error) {
        return QString::fromStdString(error.strUserMessage());
    }
}

bool bPfWrite(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}
} // namespace

class TstProjectFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_qstrFirst;
    QByteArray m_baRich;

    // A project as users save them: files numbered from 1001, an interlaced main clip with
    // offsets and a border, a derived clip and a garbage matte beside the built-in clips, two
    // layers with keyed parameters, in and out points and a play bar.
    QByteArray baRichProject()
    {
        const QString folder = QDir(m_dir.path()).filePath("rich");
        QDir().mkpath(folder);
        for (int number = 1001; number <= 1006; ++number)
            testenv::bWriteImage(QDir(folder).filePath(QStringLiteral("plate.%1.png").arg(number)), 64, 48);
        CW_Instance project = standin::testing::pCreateProjectFromClip(
            QDir(folder).filePath("plate.1001.png"), QStringLiteral("plate"));
        CW_BaseClipInfo base = *pcstctGetBaseClipInfo(project, 1);
        base.iFieldMode = CW_UPPER_FIELD_FIRST;
        base.uiCount = 12;
        base.iFrameOffset = 86400;
        base.iTimecodeOffset = 90000;
        base.uiBorderLeft = 2;
        vSetBaseClipInfo(project, 1, base);
        CW_ClipInfo rendered = *pcstctGetClipInfo(project, 1);
        rendered.bSourceClip = false;
        rendered.qstrFileName = QStringLiteral("track.");
        eRegisterDerivedClip(project, 1, &rendered, QStringLiteral("track"), true);
        standin::testing::vSetClipListing(project, 3, QStringLiteral("matte"), rendered, 2, true);
        vRegisterResourceClips(project);
        const int layer = standin::testing::iAddLayer(project, QStringLiteral("Screen"));
        auto* opacity = pGetLayerParameters(project, layer)->pAddNumeric<float>(QStringLiteral("Opacity"), 0.5f, 0, 1);
        opacity->setValueAt(0.25f, 1003);
        opacity->setValueAt(0.75f, 1009);
        pGetLayerParameters(project, layer)->pAddNumeric<int>(QStringLiteral("Passes"), 3, 1, 8);
        standin::testing::iAddLayer(project, QStringLiteral("Wall"));
        vSetPlaybackInPoint(project, 2);
        vSetPlaybackOutPoint(project, 9);
        pGetProjectManager(project)->getProjectProperties().setPlaybarFirst(1);
        pGetProjectManager(project)->getProjectProperties().setPlaybarLast(10);
        const QString path = QDir(m_dir.path()).filePath("rich.pln");
        standin::testing::vWriteProjectFile(project, path, kuiProjectFileVersion);
        vCloseProject(project);
        return baPfRead(path);
    }

private slots:
    void initTestCase()
    {
        m_qstrFirst = testenv::qstrWriteSequence(QDir(m_dir.path()).filePath("media dir"), "take1.", 4, 40, 30);
        m_baRich = baRichProject();
        QVERIFY(m_baRich.contains("[clip 2]\nname=track\n"));
        QVERIFY(m_baRich.contains("\nparent=1\n"));
        QVERIFY(m_baRich.contains("base_clips=2:1 3:2\n"));
        QVERIFY(m_baRich.contains("[clip 7]\n"));
        QVERIFY(m_baRich.contains("\nfirst_file=1001\n"));
        QVERIFY(m_baRich.contains("\nfield_mode=1\n"));
        QCOMPARE(qstrPfOpenMessage(QDir(m_dir.path()).filePath("rich.pln")), QString());
    }

    // Value-level mutants of a saved project: each number the reader takes in, set to what
    // its meaning forbids. Each is refused with the damaged-file message, by the open and by
    // the header read that comes before anything is closed.
    void impossibleValuesAreRefused_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<QString>("detail");
        const QString range = QStringLiteral("\"%1\" in [%2] is out of range");
        auto row = [](const char* name, const QStringList& edits, const QString& detail) {
            QTest::newRow(name) << edits << detail;
        };
        row("current frame beyond every clip", {"[project] current_frame=4294967295"},
            range.arg("current_frame", "project"));
        row("output flag 2", {"[project] output_absolute=2"}, range.arg("output_absolute", "project"));
        row("play bar start not a number", {"[project] playbar_first=x"},
            "\"playbar_first\" in [project] is not a number");
        row("play bar beyond every clip", {"[project] playbar_last=2147483647"}, range.arg("playbar_last", "project"));
        row("play bar backwards", {"[project] playbar_first=9", "[project] playbar_last=3"},
            "the play bar ends before it begins");
        row("in point not a number", {"[project] in_point=first"}, "\"in_point\" in [project] is not a number");
        row("in point after the out point", {"[project] in_point=10", "[project] out_point=4"},
            "the in point is after the out point");
        row("out point beyond every clip", {"[project] out_point=4294967294"}, range.arg("out_point", "project"));
        row("product that cannot be opened", {"\nproduct plintra\n>\nproduct tarnix\n"},
            "it belongs to a product whose projects this program cannot open");
        row("main clip without width", {"[clip 1] width=0", "[clip 1] borders=0 0 0 0"},
            "the main clip has no picture");
        row("width beyond any picture", {"[clip 1] width=4294967295"}, range.arg("width", "clip 1"));
        row("height beyond any picture", {"[clip 2] height=70000"}, range.arg("height", "clip 2"));
        row("frame rate not a number", {"[clip 1] frame_rate=nan"}, range.arg("frame_rate", "clip 1"));
        row("frame rate infinite", {"[clip 1] frame_rate=inf"}, range.arg("frame_rate", "clip 1"));
        row("frame rate zero", {"[clip 1] frame_rate=0"}, range.arg("frame_rate", "clip 1"));
        row("frame rate negative", {"[clip 2] frame_rate=-25"}, range.arg("frame_rate", "clip 2"));
        row("frame rate of a billion", {"[clip 1] frame_rate=1e9"}, range.arg("frame_rate", "clip 1"));
        row("field mode beyond the pulldown phases", {"[clip 1] field_mode=13"}, "a clip has an unknown field mode");
        row("film aspect number beyond int", {"[clip 1] film_width=4294967295"}, range.arg("film_width", "clip 1"));
        row("frame aspect not a number", {"[clip 1] frame_aspect=nan"}, range.arg("frame_aspect", "clip 1"));
        row("frame aspect negative", {"[clip 1] frame_aspect=-1.5"}, range.arg("frame_aspect", "clip 1"));
        row("pixel aspect zero", {"[clip 1] pixel_aspect=0"}, range.arg("pixel_aspect", "clip 1"));
        row("pixel aspect infinite", {"[clip 2] pixel_aspect=-inf"}, range.arg("pixel_aspect", "clip 2"));
        row("borders wider than the frame", {"[clip 1] borders=40 40 0 0"},
            "the borders of [clip 1] are wider than its frame");
        row("borders that wrap around", {"[clip 1] borders=4294967295 1 0 0"},
            "the borders of [clip 1] are wider than its frame");
        row("clip its own parent", {"[clip 2] parent=2"}, "clip 2 is its own parent");
        row("parent that is no clip", {"[clip 2] parent=99"}, "the parent of clip 2 is no clip of the project");
        row("parents in a loop", {"[clip 1] parent=2"}, "the parent clips of clip 1 go round in a loop");
        row("first index negative", {"[clip 1] first_index=-5"}, range.arg("first_index", "clip 1"));
        row("first index at the end of int", {"[clip 1] first_index=2147483647"}, range.arg("first_index", "clip 1"));
        row("main clip without frames", {"[clip 1] count=0"}, "the main clip has no frames");
        row("frame count beyond int", {"[clip 1] count=4294967295"}, range.arg("count", "clip 1"));
        row("frame offset at the end of int", {"[clip 1] frame_offset=2147483647"},
            range.arg("frame_offset", "clip 1"));
        row("time code offset at the start of int", {"[clip 1] timecode_offset=-2147483648"},
            range.arg("timecode_offset", "clip 1"));
        row("proxy level 7", {"[clip 1] proxy_level=7"}, range.arg("proxy_level", "clip 1"));
        row("image files beyond int", {"[clip 2] image_files=4294967295"}, range.arg("image_files", "clip 2"));
        row("first file negative", {"[clip 2] first_file=-1"}, range.arg("first_file", "clip 2"));
        row("files over the whole int range", {"[clip 2] first_file=0", "[clip 2] last_file=1073741824"},
            "[clip 2] holds more files than a clip can");
        row("last file at the end of int", {"[clip 2] last_file=2147483647"}, range.arg("last_file", "clip 2"));
        row("padding of a hundred million digits", {"[clip 1] digits=100000000"}, range.arg("digits", "clip 1"));
        row("padding of the largest int", {"[clip 2] digits=2147483647"}, range.arg("digits", "clip 2"));
        row("padding of eleven digits", {"[clip 1] digits=11"}, range.arg("digits", "clip 1"));
        row("padding below none", {"[clip 2] digits=-2"}, range.arg("digits", "clip 2"));
        row("movie flag 2", {"[clip 1] movie=2"}, range.arg("movie", "clip 1"));
        row("image format unknown", {"[clip 1] image_format=99"}, range.arg("image_format", "clip 1"));
        row("image type negative", {"[clip 2] image_type=-3"}, range.arg("image_type", "clip 2"));
        row("file format unknown", {"[clip 1] file_format=1000"}, range.arg("file_format", "clip 1"));
        row("colour space beyond int", {"[clip 1] colourspace=4294967295 0"}, range.arg("colourspace", "clip 1"));
        row("colour space unknown", {"[clip 2] colourspace=0 3"}, range.arg("colourspace", "clip 2"));
        row("proxy resolution 5", {"[clip 2] proxy_resolution=5"}, range.arg("proxy_resolution", "clip 2"));
        row("pulldown flag 2", {"[clip 1] pulldown=2"}, range.arg("pulldown", "clip 1"));
        row("source flag 7", {"[clip 2] source=7"}, range.arg("source", "clip 2"));
        row("disposable flag -1", {"[clip 2] disposable=-1"}, range.arg("disposable", "clip 2"));
        row("clip number at the end of unsigned", {"[clip 7]>[clip 4294967295]"}, "a clip has no valid number");
        row("time code flag 2", {"[listing] use_timecode=2"}, range.arg("use_timecode", "listing"));
        row("next layer at the end of int", {"[listing] next_layer=2147483647"},
            "[listing] has no valid next layer number");
        row("clip its own base", {"[listing] base_clips=2:2 3:2"}, "[listing] makes clip 2 its own base clip");
        row("base clip that is no clip", {"[listing] base_clips=2:1 3:9"},
            "the base of clip 3 is no clip of the project");
        row("base clip of no clip", {"[listing] base_clips=2:1 9:1"},
            "[listing] gives a base clip to clip 9, which is no clip of the project");
        row("base clips in a loop", {"[listing] base_clips=2:3 3:2"}, "the base clips of clip 2 go round in a loop");
        row("garbage matte that is no clip", {"[listing] garbage_mattes=9"},
            "[listing] names clip 9 a garbage matte, which is no clip of the project");
        row("layer number at the end of int", {"[layer 2]>[layer 2147483647]"},
            "layer 2147483647 has too high a number");
        row("lower limit above the upper", {"[parameter 1] lower=2"},
            "the lower limit of \"Opacity\" in [parameter 1] is above its upper limit");
        row("value not a number", {"[parameter 1] static=nan"},
            "\"static\" in [parameter 1] is not a valid float value");
        row("value outside the limits", {"[parameter 1] static=5"},
            "the value of \"Opacity\" in [parameter 1] is outside its limits");
        row("key outside the limits", {"[parameter 1] key=1003 7 linear"},
            "a key of \"Opacity\" in [parameter 1] is outside its limits");
        row("key at a time beyond every clip", {"[parameter 1] key=1e30 0.25 linear"},
            "a key of \"Opacity\" in [parameter 1] is out of range");
    }

    void impossibleValuesAreRefused()
    {
        QFETCH(QStringList, edits);
        QFETCH(QString, detail);
        QByteArray bytes = m_baRich;
        for (const QString& edit : edits)
            QVERIFY2(bPfEdit(bytes, edit), qPrintable("no place for " + edit));
        const QString path = QDir(m_dir.path()).filePath("mutant.pln");
        QVERIFY(bPfWrite(path, baPfSealed(bytes)));
        const QString expected = "The project file is damaged and cannot be opened: " + detail + ".";
        QCOMPARE(qstrPfHeaderMessage(path), expected);
        QCOMPARE(qstrPfOpenMessage(path), expected);
    }

    // The values users' projects hold at the edges of their ranges still open.
    void possibleValuesStillOpen_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::newRow("pulldown, upper field first, first phase") << QStringList {"[clip 1] field_mode=3"};
        QTest::newRow("pulldown, lower field first, last phase") << QStringList {"[clip 1] field_mode=12"};
        QTest::newRow("out point at the last frame, whatever it is") << QStringList {"[project] out_point=4294967295"};
        QTest::newRow("play bar over the whole clip")
            << QStringList {"[project] playbar_first=-1", "[project] playbar_last=-1"};
        QTest::newRow("unpadded numbers") << QStringList {"[clip 2] digits=0"};
        QTest::newRow("a single file without a number") << QStringList {"[clip 2] digits=-1"};
        QTest::newRow("ten digits") << QStringList {"[clip 2] digits=10"};
        QTest::newRow("a clip not yet measured") << QStringList {
            "[clip 2] width=0", "[clip 2] height=0", "[clip 2] frame_aspect=0", "[clip 2] borders=0 0 0 0"};
        QTest::newRow("the fastest and slowest rates")
            << QStringList {"[clip 1] frame_rate=1000", "[clip 2] frame_rate=0.001"};
        QTest::newRow("a frame offset before the time code start") << QStringList {"[clip 1] frame_offset=-86400"};
        QTest::newRow("unbounded limits") << QStringList {"[parameter 1] lower=-inf", "[parameter 1] upper=inf"};
        QTest::newRow("a key at each limit")
            << QStringList {"[parameter 1] key=1003 0 constant", "[parameter 1] static=1"};
    }

    void possibleValuesStillOpen()
    {
        QFETCH(QStringList, edits);
        QByteArray bytes = m_baRich;
        for (const QString& edit : edits)
            QVERIFY2(bPfEdit(bytes, edit), qPrintable("no place for " + edit));
        const QString path = QDir(m_dir.path()).filePath("edge.pln");
        QVERIFY(bPfWrite(path, baPfSealed(bytes)));
        QCOMPARE(qstrPfHeaderMessage(path), QString());
        QCOMPARE(qstrPfOpenMessage(path), QString());
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

        // Stopped after the new copy is written and before it takes the file's place, as a
        // crash there would stop it: the file on disk is still the previous one, whole, and
        // the project still counts as changed.
        standin::testing::vSetProjectFilePath(project, path);
        QByteArray atTheCut;
        standin::testing::vSetProjectWriteHook([&](standin::testing::ProjectWriteStep step, const QString& written) {
            if (step != standin::testing::ProjectWriteStep::NewCopyWritten)
                return;
            atTheCut = baPfRead(written);
            throw CW_Exception("stopped between writing and replacing", "test");
        });
        vSetOutputDirectory(project, true, QStringLiteral("/cut/short"));
        QVERIFY_THROWS_EXCEPTION(CW_Exception, bSaveProject(project));
        standin::testing::vSetProjectWriteHook({});
        QCOMPARE(atTheCut, before);
        QCOMPARE(baPfRead(path), before);
        QVERIFY(bProjectHasChanged(project));

        // Saving over the file replaces it completely.
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
