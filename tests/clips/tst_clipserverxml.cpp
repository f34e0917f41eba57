// The clip-server documents: the listing and progress readers, the wizard's handling of bad
// listings and progress streams, and the two clip-server programs run by themselves.
#include "ClipServerFixtures.h"
#include "TestEnvironment.h"

#include "app/OutputFolders.h"
#include "app/Settings.h"
#include "clips/XMLDirParser.h"
#include "clips/XMLGetParser.h"
#include "clips/frmQXMLNetGetClipWizard.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>

namespace {

struct ProgramRun {
    int iExitCode = -1;
    QProcess::ExitStatus eStatus = QProcess::CrashExit;
    QByteArray baOut;
    QByteArray baErr;
};

ProgramRun stctRun(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(PLINTRA_STAGE_DIR "/bin/") + program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.iExitCode = process.exitCode();
    run.eStatus = process.exitStatus();
    run.baOut = process.readAllStandardOutput();
    run.baErr = process.readAllStandardError();
    return run;
}

QString qstrStatusOf(const QByteArray& progress, QString* fileName = nullptr)
{
    XMLGetParser parser;
    parser.vAddData("<XMLGETDOC>" + progress);
    if (fileName)
        *fileName = parser.qstrGetFileName();
    return parser.qstrGetStatus();
}

} // namespace

class TstClipServerXml : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_pDir;
    QString qstrPath(const QString& name) const { return QDir(m_pDir->path()).filePath(name); }

private slots:
    void init() { m_pDir = std::make_unique<QTemporaryDir>(); }
    void cleanup() { qslGetReceivedClipFolders().clear(); }

    void listingReader_data()
    {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("two clips, blank lines") << QByteArray(
            "<COMPLETE><CLIPS>\n\"a\"\t1\t2\t3\t4\t5\t6\n\n\n\"b\"\t1\t2\t3\t4\t5\t6\n</CLIPS></COMPLETE>")
                                                << QStringList {"\"a\"\t1\t2\t3\t4\t5\t6", "\"b\"\t1\t2\t3\t4\t5\t6"};
        QTest::newRow("empty clips") << QByteArray("<COMPLETE><CLIPS></CLIPS></COMPLETE>") << QStringList();
        QTest::newRow("clips not closed before an error")
            << QByteArray("<COMPLETE><CLIPS>\n\"a\"\t1\n</WRONG></COMPLETE>") << QStringList();
        QTest::newRow("error after the clips")
            << QByteArray("<COMPLETE><CLIPS>\n\"a\"\t1\n</CLIPS><X></Y></COMPLETE>") << QStringList {"\"a\"\t1"};
        QTest::newRow("second clips element replaces the first")
            << QByteArray("<COMPLETE><CLIPS>\"a\"</CLIPS><CLIPS>\"b\"</CLIPS></COMPLETE>") << QStringList {"\"b\""};
    }

    void listingReader()
    {
        QFETCH(QByteArray, document);
        QFETCH(QStringList, lines);
        XMLDirParser parser;
        parser.vRead(document);
        QCOMPARE(parser.qslGetClipLines(), lines);
    }

    void listingFormats()
    {
        XMLDirParser parser;
        parser.vRead("<COMPLETE><IO_FORMATS>\nRead - tif  dpx png\nWrite - tif dpx\n</IO_FORMATS></COMPLETE>");
        QCOMPARE(parser.qslGetReadFormats(), (QStringList {"tif", "dpx", "png"}));
        QCOMPARE(parser.qslGetWriteFormats(), (QStringList {"tif", "dpx"}));
    }

    void clipLineFields_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("seven fields, double tab")
            << "\"Tom & Jerry\"\t00:00:00:10\t\t720x576 \t 00:00:00:00\t25\tV\tProgressive"
            << QStringList {"Tom & Jerry", "00:00:00:10", "720x576", "00:00:00:00", "25", "V", "Progressive"};
        QTest::newRow("fewer fields are empty cells") << "\"a\"\t1\t2" << QStringList {"a", "1", "2", "", "", "", ""};
        QTest::newRow("fields after the seventh ignored")
            << "\"a\"\t1\t2\t3\t4\t5\t6\t7\t8" << QStringList {"a", "1", "2", "3", "4", "5", "6"};
        QTest::newRow("no closing quote gives an empty name")
            << "\"abc\t1" << QStringList {"", "1", "", "", "", "", ""};
        QTest::newRow("quotes inside the name go") << "\"a\"b\"\tx" << QStringList {"a", "x", "", "", "", "", ""};
        QTest::newRow("empty line") << "" << QStringList {"", "", "", "", "", "", ""};
    }

    void clipLineFields()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, cells);
        QCOMPARE(qslSplitClipLine(line), cells);
    }

    void progressStatus_data()
    {
        QTest::addColumn<QByteArray>("progress");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("file, numbers, no progress element")
            << QByteArray("<FILENAME>f1</FILENAME><FRAMENUM>3</FRAMENUM><TOTALNUM>10</TOTALNUM>") << "Transferring f1"
            << "f1";
        QTest::newRow("progress before the numbers")
            << QByteArray("<FILENAME>f1</FILENAME><PROGRESS>5</PROGRESS>") << "Transferring f1 (1 of 1)"
            << "f1";
        QTest::newRow("progress") << QByteArray("<FILENAME>f</FILENAME><FRAMENUM>3</FRAMENUM><TOTALNUM>10</TOTALNUM>"
                                                "<PROGRESS>30</PROGRESS>")
                                  << "Transferring f (3 of 10)"
                                  << "f";
        QTest::newRow("complete") << QByteArray("<TOTALNUM>10</TOTALNUM><COMPLETE>10</COMPLETE>")
                                  << "Transfer of 10 files completed."
                                  << "";
        QTest::newRow("error after complete") << QByteArray("<COMPLETE/><ERROR>disk full</ERROR>") << "ERROR: disk full"
                                              << "";
        QTest::newRow("complete after error")
            << QByteArray("<ERROR>x</ERROR><COMPLETE/>") << "Transfer of 1 files completed."
            << "";
        QTest::newRow("text outside elements")
            << QByteArray("noise<FILENAME>f</FILENAME>more noise<PROGRESS/>") << "Transferring f (1 of 1)"
            << "f";
        QTest::newRow("elements after an error do not count")
            << QByteArray("<FILENAME>a</FILENAME><PROGRESS/></OOPS><FILENAME>b</FILENAME><COMPLETE/>")
            << "Transferring a (1 of 1)"
            << "a";
        QTest::newRow("entities resolved")
            << QByteArray("<FILENAME>/x/Tom &amp; Jerry0001.tif</FILENAME>") << "Transferring /x/Tom & Jerry0001.tif"
            << "/x/Tom & Jerry0001.tif";
        QTest::newRow("an element cut off") << QByteArray("<FILENAME>a</FILENAME><FILENAME>bcd") << "Transferring a"
                                            << "a";
    }

    void progressStatus()
    {
        QFETCH(QByteArray, progress);
        QFETCH(QString, status);
        QFETCH(QString, fileName);
        QString read;
        QCOMPARE(qstrStatusOf(progress, &read), status);
        QCOMPARE(read, fileName);
    }

    // Progress arrives in pieces cut anywhere, even inside a UTF-8 character; what the reader
    // shows after the last piece is what it shows for the whole text.
    void progressCutAnywhere()
    {
        const QByteArray stream
            = QStringLiteral("<FILENAME>/d/Cl\u00e9 & \u00e9t\u00e9_0001.tif</FILENAME>").toUtf8().replace("&", "&amp;")
            + "<FRAMENUM>1</FRAMENUM><TOTALNUM>2</TOTALNUM><PROGRESS>50</PROGRESS>"
              "<FILENAME>/d/b</FILENAME><FRAMENUM>2</FRAMENUM><PROGRESS>100</PROGRESS><COMPLETE>2</COMPLETE>";
        QString wholeName;
        const QString whole = qstrStatusOf(stream, &wholeName);
        QCOMPARE(whole, QStringLiteral("Transfer of 2 files completed."));
        for (int cut = 0; cut <= stream.size(); ++cut) {
            XMLGetParser parser;
            parser.vAddData("<XMLGETDOC>");
            parser.vAddData(stream.left(cut));
            // The status after the first piece is the status of that piece read whole.
            QString partName;
            QCOMPARE(parser.qstrGetStatus(), qstrStatusOf(stream.left(cut), &partName));
            QCOMPARE(parser.qstrGetFileName(), partName);
            parser.vAddData(stream.mid(cut));
            QCOMPARE(parser.qstrGetStatus(), whole);
            QCOMPARE(parser.qstrGetFileName(), wholeName);
        }
        XMLGetParser bytewise;
        bytewise.vAddData("<XMLGETDOC>");
        for (char c : stream)
            bytewise.vAddData(QByteArray(1, c));
        QCOMPARE(bytewise.qstrGetStatus(), whole);
        QCOMPARE(bytewise.qstrGetFileName(), QStringLiteral("/d/b"));
    }

    // Listings the wizard cannot use leave the table empty and say so in its output view;
    // usable ones fill the table. None of them brings the wizard down.
    void badListings_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("message");
        const QByteArray good = "<COMPLETE>\n<CLIPS>\n\"a & b\"\t1\t2x3\t4\t5\t6\t7\n\"c\"\t1\n</CLIPS>\n</COMPLETE>\n";
        QTest::newRow("good, one line short") << good << 0 << 2 << QString();
        QTest::newRow("no closing tag") << QByteArray("<COMPLETE><CLIPS>\n\"a\"\t1\n</CLIPS>") << 0 << 0
                                        << "<COMPLETE><CLIPS>";
        QTest::newRow("empty output") << QByteArray() << 0 << 0 << "-so";
        QTest::newRow("malformed before the clips")
            << QByteArray("<COMPLETE><<CLIPS>\n\"a\"\t1\n</CLIPS></COMPLETE>") << 0 << 0 << "could not be read";
        QTest::newRow("extra fields and wrong counts")
            << QByteArray("<COMPLETE><CLIPS>\n\"a\"\t1\t2\t3\t4\t5\t6\t7\t8\t9\n\"b\"\n\t\t\n</CLIPS></COMPLETE>") << 0
            << 3 << QString();
        QTest::newRow("rate not a number")
            << QByteArray("<COMPLETE><CLIPS>\n\"a\"\t1\t2\t3\tfast\t5\t6\n</CLIPS></COMPLETE>") << 0 << 1 << QString();
        QTest::newRow("entity references")
            << QByteArray("<COMPLETE><CLIPS>\n\"&lt;x&gt;\"\t1\n</CLIPS></COMPLETE>") << 0 << 1 << QString();
        static const char kGarbage[] = "\x00\x01\xff\xfe<COMPL\x00"
                                       "ETE></COMPLETE>";
        QTest::newRow("binary garbage") << QByteArray(kGarbage, sizeof(kGarbage) - 1) << 0 << 0 << "could not be read";
        QTest::newRow("very long line") << ("<COMPLETE><CLIPS>\n\"" + QByteArray(1000000, 'x')
            + "\"\t1\n</CLIPS></COMPLETE>")
                                        << 0 << 1 << QString();
        QTest::newRow("text after the closing tag is dropped")
            << (good + "<CLIPS>\n\"z\"\n</CLIPS></COMPLETE>") << 0 << 2 << QString();
        QTest::newRow("non-zero exit") << good << 3 << 0 << "exit code 3";
        QTest::newRow("longer than a listing may be")
            << QByteArray(frmQXMLNetGetClipWizard::kiMaximumListingBytes + 1, 'x') << 0 << 0 << "longer than";
    }

    void badListings()
    {
        QFETCH(QByteArray, output);
        QFETCH(int, exitCode);
        QFETCH(int, rows);
        QFETCH(QString, message);
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        // Output comes in pieces of any size.
        const qsizetype piece = qMax<qsizetype>(1, output.size() / 7 + 3);
        for (qsizetype at = 0; at < output.size(); at += piece)
            wizard.vTakeListingOutput(output.mid(at, piece));
        wizard.vFinishListing(exitCode, QProcess::NormalExit, "the server said no");
        QCOMPARE(wizard.tblFiles->rowCount(), rows);
        if (!message.isEmpty()) {
            QVERIFY2(wizard.tedtXMLOutput->toPlainText().contains(message),
                qPrintable(wizard.tedtXMLOutput->toPlainText().left(300)));
            // The view that is folded away at the start opens to show it.
            QVERIFY(wizard.qsplSplitter->sizes().value(1) > 1);
        }
        if (rows > 0)
            QCOMPARE(wizard.cboxDestFormat->currentText(), QStringLiteral("tif"));
    }

    void progressCorpus_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<bool>("finish");
        const QByteArray good = "<FILENAME>f</FILENAME><FRAMENUM>1</FRAMENUM><TOTALNUM>1</TOTALNUM><PROGRESS/>"
                                "<COMPLETE/>";
        QTest::newRow("good") << good << 0 << "DONE!" << true;
        QTest::newRow("good but failed") << good << 1 << "Transfer failed: the program ended with exit code 1."
                                         << false;
        QTest::newRow("malformed") << QByteArray("<FILENAME>f</FILE><<>>") << 0 << "DONE!" << true;
        static const char kGarbage[] = "\x00\xff\x01<\x7f>&&&;\x00";
        QTest::newRow("garbage") << QByteArray(kGarbage, sizeof(kGarbage) - 1) << 2
                                 << "Transfer failed: the program ended with exit code 2." << false;
        QTest::newRow("very long line") << ("<FILENAME>" + QByteArray(3000000, 'y') + "</FILENAME>") << 0 << "DONE!"
                                        << true;
        QTest::newRow("cut inside an element") << QByteArray("<FILENAME>f</FILENAME><FRAME") << 0 << "DONE!" << true;
        QTest::newRow("nothing") << QByteArray() << 0 << "DONE!" << true;
    }

    void progressCorpus()
    {
        QFETCH(QByteArray, output);
        QFETCH(int, exitCode);
        QFETCH(QString, lastLine);
        QFETCH(bool, finish);
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        wizard.vBeginProgress(QStringLiteral("XMLGet.exe clip "), qstrPath("dest"));
        const qsizetype piece = qMax<qsizetype>(1, output.size() / 5 + 1);
        for (qsizetype at = 0; at < output.size(); at += piece)
            wizard.vTakeTransferOutput(output.mid(at, piece));
        wizard.pgTransfer->vSetComplete(false);
        wizard.vFinishTransfer(exitCode, QProcess::NormalExit, QByteArray());
        QCOMPARE(wizard.tedtTransferInfo->toPlainText().split('\n').last(), lastLine);
        QCOMPARE(wizard.pgTransfer->isComplete(), finish);
    }

    // The file handed back as the received clip is one the transfer put in its own folder.
    void transferredFileMustLieInTheDestination_data()
    {
        QTest::addColumn<QString>("reported");
        QTest::addColumn<bool>("used");
        QTest::newRow("inside") << "DEST/shot_0001.tif" << true;
        QTest::newRow("relative inside") << "shot_0001.tif" << true;
        QTest::newRow("outside") << "/etc/passwd" << false;
        QTest::newRow("climbing out") << "DEST/../elsewhere/shot_0001.tif" << false;
        QTest::newRow("a sibling with the same start") << "DEST-other/shot_0001.tif" << false;
        QTest::newRow("the folder itself") << "DEST" << false;
    }

    void transferredFileMustLieInTheDestination()
    {
        QFETCH(QString, reported);
        QFETCH(bool, used);
        const QString destination = qstrPath("dest");
        reported.replace(QStringLiteral("DEST"), destination);
        frmQXMLNetGetClipWizard wizard(nullptr, nullptr, false, {});
        wizard.vBeginProgress(QStringLiteral("XMLGet.exe "), destination);
        wizard.vTakeTransferOutput("<FILENAME>" + reported.toHtmlEscaped().toUtf8() + "</FILENAME>");
        wizard.vFinishTransfer(0, QProcess::NormalExit, QByteArray());
        QCOMPARE(wizard.qstrGetNameOfOneFileTransferred(),
            used ? QDir::cleanPath(QDir(destination).absoluteFilePath(reported)) : QString());
    }

    void listingProgramListsClips()
    {
        testenv::ClipServerRoot server(qstrPath("root"));
        server.qstrAddClip("studio", "Tom & Jerry", "tj_", 10, QSize(720, 576));
        server.qstrAddClip("studio", "plate", "p", 3, QSize(16, 8));
        // Not a clip: no numbered images.
        QDir().mkpath(qstrPath("root/studio/empty"));
        const ProgramRun all = stctRun("XMLDir.exe", {"*", "-so", "studio"});
        QCOMPARE(all.iExitCode, 0);
        XMLDirParser parser;
        parser.vRead(QString::fromLatin1(all.baOut).replace(QRegularExpression("&(?!amp;)"), "&amp;").toUtf8());
        const QStringList lines = parser.qslGetClipLines();
        QCOMPARE(lines.size(), 2);
        QCOMPARE(qslSplitClipLine(lines[0]),
            (QStringList {"plate", "00:00:00:03", "16x8", "00:00:00:00", "25", "V", "Progressive"}));
        QCOMPARE(qslSplitClipLine(lines[1]).value(0), QStringLiteral("Tom & Jerry"));
        QCOMPARE(qslSplitClipLine(lines[1]).value(2), QStringLiteral("720x576"));
        QVERIFY(all.baOut.contains("\"Tom & Jerry\""));

        const ProgramRun masked = stctRun("XMLDir.exe", {"TOM*", "-so", "studio"});
        QVERIFY(masked.baOut.contains("Tom & Jerry"));
        QVERIFY(!masked.baOut.contains("plate"));
    }

    void listingProgramFailures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("rootSet");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown server") << QStringList {"*", "-so", "nowhere"} << true << "no clip server named";
        QTest::newRow("server name climbing out") << QStringList {"*", "-so", "../root"} << true << "not a clip server";
        QTest::newRow("the root's parent") << QStringList {"*", "-so", ".."} << true << "not a clip server";
        QTest::newRow("no root") << QStringList {"*", "-so", "studio"} << false << "PLINTRA_CLIP_SERVER_ROOT";
        QTest::newRow("no server") << QStringList {"*"} << true << "Usage";
    }

    void listingProgramFailures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, rootSet);
        QFETCH(QString, error);
        testenv::ClipServerRoot server(qstrPath("root"));
        server.qstrAddClip("studio", "plate", "p", 2);
        if (!rootSet)
            qunsetenv("PLINTRA_CLIP_SERVER_ROOT");
        const ProgramRun run = stctRun("XMLDir.exe", arguments);
        QCOMPARE(run.eStatus, QProcess::NormalExit);
        QVERIFY(run.iExitCode != 0);
        QVERIFY2(QString::fromLocal8Bit(run.baErr).contains(error), run.baErr.constData());
        QVERIFY(!run.baOut.contains("</COMPLETE>"));
    }

    // The frames arrive with their pixels, named after -fn with their own numbers, and the
    // progress names each file in order.
    void transferProgramCopiesFrames_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("firstFrame");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("width");
        QTest::newRow("converted to tif") << QStringList {"-fo", "tif"} << "tif" << 0 << 10 << 72;
        QTest::newRow("copied as they are") << QStringList() << "png" << 0 << 10 << 72;
        QTest::newRow("start and length")
            << QStringList {"-ts", "00:00:00:03", "-tl", "00:00:00:04", "-fo", "tif"} << "tif" << 3 << 4 << 72;
        QTest::newRow("length beyond the end")
            << QStringList {"-ts", "00:00:00:08", "-tl", "00:00:01:00"} << "png" << 8 << 2 << 72;
        QTest::newRow("scaled") << QStringList {"-dx", "36", "-fo", "png"} << "png" << 0 << 10 << 36;
    }

    void transferProgramCopiesFrames()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, suffix);
        QFETCH(int, firstFrame);
        QFETCH(int, frames);
        QFETCH(int, width);
        testenv::ClipServerRoot server(qstrPath("root"));
        server.qstrAddClip("studio", "Tom & Jerry", "tj_", 10, QSize(72, 57), 1001);
        QDir().mkpath(qstrPath("dest"));
        const ProgramRun run = stctRun("XMLGet.exe",
            QStringList {"Tom & Jerry", "-fd", qstrPath("dest"), "-fn", "got_"} + options
                + QStringList {"-so", "studio"});
        QCOMPARE(run.iExitCode, 0);
        QCOMPARE(QDir(qstrPath("dest")).entryList(QDir::Files).size(), frames);
        for (int k = 0; k < frames; ++k) {
            const QString file = qstrPath("dest/got_%1.%2").arg(1001 + firstFrame + k).arg(suffix);
            QVERIFY2(QFileInfo::exists(file), qPrintable(file));
            QCOMPARE(QImageReader(file).size().width(), width);
            QVERIFY2(testenv::bImageIsColour(file, testenv::qcolFrame(firstFrame + k)), qPrintable(file));
        }
        QString fileName;
        const QString status = qstrStatusOf(run.baOut + "</XMLGETDOC>", &fileName);
        QCOMPARE(status, QStringLiteral("Transfer of %1 files completed.").arg(frames));
        QCOMPARE(fileName, qstrPath("dest/got_%1.%2").arg(1001 + firstFrame + frames - 1).arg(suffix));
        // After the third frame the progress read so far names it.
        const int third = int(run.baOut.indexOf("<FRAMENUM>3</FRAMENUM>"));
        if (frames >= 3) {
            const int end = int(run.baOut.indexOf("</PROGRESS>", third)) + 11;
            QCOMPARE(qstrStatusOf(run.baOut.left(end)),
                QStringLiteral("Transferring %1 (3 of %2)")
                    .arg(qstrPath("dest/got_%1.%2").arg(1001 + firstFrame + 2).arg(suffix))
                    .arg(frames));
        }
    }

    void transferProgramRefuses_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("error");
        QTest::newRow("name with a separator") << QStringList {"-fn", "sub/x"} << "may not hold a folder";
        QTest::newRow("name climbing out") << QStringList {"-fn", "..x"} << "may not hold a folder";
        QTest::newRow("backslash") << QStringList {"-fn", "a\\b"} << "may not hold a folder";
        QTest::newRow("dpx") << QStringList {"-fo", "dpx"} << "cannot deliver dpx";
        QTest::newRow("width too small") << QStringList {"-dx", "1"} << "between 2 and 10000";
        QTest::newRow("start beyond the clip") << QStringList {"-ts", "00:00:01:00"} << "no frame at";
        QTest::newRow("frames beyond the rate") << QStringList {"-ts", "00:00:00:25"} << "not a time code";
        QTest::newRow("unknown clip") << QStringList {"-so", "studio"} << "";
    }

    void transferProgramRefuses()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, error);
        testenv::ClipServerRoot server(qstrPath("root"));
        server.qstrAddClip("studio", "plate", "p", 3);
        QDir().mkpath(qstrPath("dest/inner"));
        const QString clip = error.isEmpty() ? QStringLiteral("../studio/plate") : QStringLiteral("plate");
        const ProgramRun run = stctRun(
            "XMLGet.exe", QStringList {clip, "-fd", qstrPath("dest/inner")} + options + QStringList {"-so", "studio"});
        QCOMPARE(run.eStatus, QProcess::NormalExit);
        QVERIFY(run.iExitCode != 0);
        const QString status = qstrStatusOf(run.baOut);
        QVERIFY2(status.startsWith(QStringLiteral("ERROR: ")) && status.contains(error), run.baOut.constData());
        // Nothing was written, inside the folder or beside it.
        QCOMPARE(QDir(qstrPath("dest/inner")).entryList(QDir::Files).size(), 0);
        QCOMPARE(QDir(qstrPath("dest")).entryList(QDir::Files).size(), 0);
    }

    void transferProgramStopsAtABadFrame()
    {
        testenv::ClipServerRoot server(qstrPath("root"));
        const QString clip = server.qstrAddClip("studio", "plate", "p", 4);
        QFile broken(QDir(clip).filePath("p0003.png"));
        QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
        broken.write("not an image");
        broken.close();
        QDir().mkpath(qstrPath("dest"));
        const ProgramRun run = stctRun("XMLGet.exe", {"plate", "-fd", qstrPath("dest"), "-fo", "tif", "-so", "studio"});
        QCOMPARE(run.iExitCode, 1);
        QVERIFY(qstrStatusOf(run.baOut).startsWith(QStringLiteral("ERROR: Unable to read")));
        QCOMPARE(QDir(qstrPath("dest")).entryList(QDir::Files), (QStringList {"p0001.tif", "p0002.tif"}));

        // A file that is there already is not overwritten.
        const ProgramRun again = stctRun(
            "XMLGet.exe", {"plate", "-fd", qstrPath("dest"), "-fo", "tif", "-tl", "00:00:00:01", "-so", "studio"});
        QCOMPARE(again.iExitCode, 1);
        QVERIFY(qstrStatusOf(again.baOut).contains(QStringLiteral("exists already")));
        QVERIFY(testenv::bImageIsColour(qstrPath("dest/p0001.tif"), testenv::qcolFrame(0)));
    }
};

PLINTRA_TEST_MAIN(TstClipServerXml)
#include "tst_clipserverxml.moc"
