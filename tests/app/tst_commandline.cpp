#include "TestEnvironment.h"

#include "app/ClipProbe.h"
#include "app/CommandLine.h"
#include "app/Startup.h"
#include "brandor.h"

#include <QDir>
#include <QFile>

class TestCommandLine : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (int frame = 1; frame <= 5; ++frame)
            QVERIFY(testenv::bWriteImage(path(QStringLiteral("shot.%1.png").arg(frame, 4, 10, QLatin1Char('0'))), 64, 48));
        QVERIFY(testenv::bWriteImage(path(QStringLiteral("plate.png")), 32, 16));
        QFile notes(path(QStringLiteral("notes.txt")));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.write("not an image\n");
    }

    void parses_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<bool>("rateGiven");
        QTest::addColumn<float>("rate");

        const QString shot = QStringLiteral("@shot.0002.png");
        QTest::newRow("project by extension") << QStringList{"/p/a.pln"} << "/p/a.pln" << "" << false << false << 0.0f;
        QTest::newRow("extension in any case") << QStringList{"/p/A.PLN"} << "/p/A.PLN" << "" << false << false << 0.0f;
        QTest::newRow("extension anywhere") << QStringList{"/p/a.pln.bak"} << "/p/a.pln.bak" << "" << false << false
                                            << 0.0f;
        QTest::newRow("last project wins") << QStringList{"/p/a.pln", "/p/b.pln"} << "/p/b.pln" << "" << false << false
                                           << 0.0f;
        QTest::newRow("other product's project is no project")
            << QStringList{"/p/a.plp"} << "" << "" << false << false << 0.0f;
        QTest::newRow("a readable clip") << QStringList{shot} << "" << shot << false << false << 0.0f;
        QTest::newRow("project and clip both kept") << QStringList{shot, "/p/a.pln"} << "/p/a.pln" << shot << false
                                                    << false << 0.0f;
        QTest::newRow("-o consumes its argument") << QStringList{"-o", shot} << "" << "" << false << false << 0.0f;
        QTest::newRow("-o last is probed and ignored") << QStringList{shot, "-o"} << "" << shot << false << false << 0.0f;
        QTest::newRow("overwrite flag") << QStringList{"--overwrite-original"} << "" << "" << true << false << 0.0f;
        QTest::newRow("frame rate") << QStringList{"--frame-rate", "23.976"} << "" << "" << false << true << 23.976f;
        QTest::newRow("bad frame rate changes nothing and is consumed")
            << QStringList{"--frame-rate", shot} << "" << "" << false << false << 0.0f;
        QTest::newRow("missing frame rate") << QStringList{"--frame-rate"} << "" << "" << false << false << 0.0f;
        QTest::newRow("unreadable clip ignored") << QStringList{"@notes.txt", "@missing.png"} << "" << "" << false
                                                 << false << 0.0f;
        QTest::newRow("style option is no clip") << QStringList{"--no-cwk-style"} << "" << "" << false << false << 0.0f;
    }

    void parses()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, project);
        QFETCH(QString, clip);
        QFETCH(bool, overwrite);
        QFETCH(bool, rateGiven);
        QFETCH(float, rate);
        // "@name" stands for a file in the fixture folder.
        const auto resolve = [this](QString text) {
            return text.startsWith(QLatin1Char('@')) ? path(text.mid(1)) : text;
        };
        for (QString& argument : arguments)
            argument = resolve(argument);

        testenv::ModalAnswerer answerer;
        const CommandLine result = stctParseCommandLine(arguments, QStringLiteral(".pln"));
        QCOMPARE(result.qstrProject, resolve(project));
        QCOMPARE(result.qstrClip, resolve(clip));
        QCOMPARE(result.bOverwriteOriginal, overwrite);
        QCOMPARE(result.bFrameRateGiven, rateGiven);
        QCOMPARE(result.fFrameRate, rate);
        QVERIFY2(answerer.boxes().isEmpty(), "the command line never shows a message");
        QCOMPARE(pGetImageIORouter()->iOpenMovieCount(), 0);
    }

    void startupPreference_data()
    {
        QTest::addColumn<QString>("project");
        QTest::addColumn<QString>("clip");
        QTest::addColumn<bool>("recoveryExists");
        QTest::addColumn<int>("expected");
        QTest::newRow("project beats clip") << "/p/a.pln" << "/c/shot.png" << true << int(StartupOpen::Project);
        QTest::newRow("clip beats recovery") << "" << "/c/shot.png" << true << int(StartupOpen::Clip);
        QTest::newRow("recovery when it exists") << "" << "" << true << int(StartupOpen::AutoRecover);
        QTest::newRow("missing recovery file") << "" << "" << false << int(StartupOpen::Nothing);
    }

    void startupPreference()
    {
        QFETCH(QString, project);
        QFETCH(QString, clip);
        QFETCH(bool, recoveryExists);
        QFETCH(int, expected);
        CommandLine commandLine;
        commandLine.qstrProject = project;
        commandLine.qstrClip = clip;
        const QString recovery = recoveryExists ? path(QStringLiteral("plate.png")) : path(QStringLiteral("gone.pln"));
        QCOMPARE(int(eChooseStartupOpen(commandLine, recovery)), expected);
        QCOMPARE(int(eChooseStartupOpen(commandLine, QString())), expected == int(StartupOpen::AutoRecover)
                                                                    ? int(StartupOpen::Nothing)
                                                                    : expected);
    }

    void probeReadsSequenceFromFiles()
    {
        CW_BaseClipInfo base;
        CW_ClipInfo clip;
        const QString file = path(QStringLiteral("shot.0003.png"));
        QVERIFY(bGetClipImageInfo(file, base, clip, nullptr));
        vCloseMovie(file);
        QCOMPARE(base.uiWidth, 64u);
        QCOMPARE(base.uiHeight, 48u);
        QCOMPARE(clip.iFirstFileNumber, 1);
        QCOMPARE(clip.iLastFileNumber, 5);
        QCOMPARE(clip.iThirdNumber, 4);
        QCOMPARE(clip.qstrFileName, QStringLiteral("shot."));
        QCOMPARE(clip.qstrThirdPart, QStringLiteral(".png"));
        QCOMPARE(base.uiGetNumImageFilesInClip(), 5u);
        QCOMPARE(base.fFrameRate, 25.0f); // stills carry no rate: the description's own stays

        CW_BaseClipInfo single;
        CW_ClipInfo singleClip;
        QVERIFY(bGetClipImageInfo(path(QStringLiteral("plate.png")), single, singleClip, nullptr));
        vCloseMovie(path(QStringLiteral("plate.png")));
        QCOMPARE(single.uiWidth, 32u);
        QCOMPARE(single.uiGetNumImageFilesInClip(), 1u);
        QCOMPARE(pGetImageIORouter()->iOpenMovieCount(), 0);
    }

    void productFromExecutable_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("product");
        QTest::newRow("plain") << "/opt/bin/plintra" << "plintra";
        QTest::newRow("stops at the first dot") << "C:/bin/plintra.pro.exe" << "plintra";
        QTest::newRow("other product") << "./plintra4ae" << "plintra4ae";
    }

    void productFromExecutable()
    {
        QFETCH(QString, executable);
        QFETCH(QString, product);
        QCOMPARE(qstrProductFromExecutable(executable), product);
    }

    // "-o" keeps its path (bounded) for the render dialog's first folder.
    void outputPathIsKept()
    {
        QCOMPARE(stctParseCommandLine({"-o", "/renders/shot"}, ".pln").qstrOutputPath, QStringLiteral("/renders/shot"));
        QVERIFY(stctParseCommandLine({"/renders/shot", "-o"}, ".pln").qstrOutputPath.isEmpty());
        QCOMPARE(stctParseCommandLine({"-o", QString(5000, QLatin1Char('a'))}, ".pln").qstrOutputPath.size(), 4096);
    }
};

PLINTRA_TEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
