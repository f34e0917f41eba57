// File-type lists, file dialogs and project-file names, clip descriptions helpers, the
// built-in clips, the XML error handler and the error log.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "Vosk.h"
#include "app/ClipProbe.h"
#include "app/FileDialogs.h"
#include "app/LogMessage.h"
#include "app/Settings.h"
#include "app/XmlErrorHandler.h"
#include "brandor.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>

using standin::testing::SubsystemSpec;

namespace {
using FfPairs = std::vector<std::pair<std::string, std::string>>;
SubsystemSpec stctFfSpec(const char* name, unsigned int flags, const FfPairs& read, const FfPairs& write,
    bool hasRead = true, bool hasWrite = true, const char* extension = "")
{
    return SubsystemSpec {name, flags, read, write, hasRead, hasWrite, extension};
}

QStringList qslFfItems(const QComboBox& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}
} // namespace

class TstFileFormats : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void cleanup()
    {
        standin::testing::vReset();
        vSetProduct(QStringLiteral("plintra"));
    }

    void suffixComesFromTheFileName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("plain") << "/shots/a_0001.dpx"
                               << ".dpx";
        QTest::newRow("no dot at all") << "/shots/frame"
                                       << ".png";
        QTest::newRow("dot only in a folder") << "/shots/v1.2/frame"
                                              << ".png";
        QTest::newRow("two dots") << "/s/a.b.tif"
                                  << ".tif";
    }

    void suffixComesFromTheFileName()
    {
        QFETCH(QString, path);
        QFETCH(QString, suffix);
        QCOMPARE(qstrGetFileSuffix(path.toUtf8()), suffix);
    }

    void pixelAspectRatioHalvesTheSizeForFields()
    {
        QCOMPARE(fComputePixelAspectRatio(720, 576, 4.0, 3.0, false), float((4.0 / 3.0) / (720.0 / 576.0)));
        QCOMPARE(fComputePixelAspectRatio(720, 288, 4.0, 3.0, true),
            2.0f * fComputePixelAspectRatio(720, 288, 4.0, 3.0, false));
    }

    void projectExtensionOnlyAtTheEnd_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("result");
        QTest::newRow("none yet") << "plintra"
                                  << "/p/shot"
                                  << "/p/shot.pln";
        QTest::newRow("own") << "plintra"
                             << "/p/shot.pln"
                             << "/p/shot.pln";
        QTest::newRow("other product") << "plintrapro"
                                       << "/p/shot.pln"
                                       << "/p/shot.plp";
        QTest::newRow("upper case") << "plintra"
                                    << "/p/SHOT.PLA"
                                    << "/p/SHOT.pln";
        QTest::newRow("in a folder name") << "plintra"
                                          << "/p/old.pln.d/shot"
                                          << "/p/old.pln.d/shot.pln";
        QTest::newRow("inside the file name") << "plintra"
                                              << "/p/a.pla.b"
                                              << "/p/a.pla.b.pln";
    }

    void projectExtensionOnlyAtTheEnd()
    {
        QFETCH(QString, product);
        QFETCH(QString, name);
        QFETCH(QString, result);
        vSetProduct(product);
        vApplyProjectFileExtension(name);
        QCOMPARE(name, result);
    }

    void projectFilterListsLoadableProducts()
    {
        vSetProduct(QStringLiteral("plintra4ae"));
        QCOMPARE(qstrGetProjectFileFilter(),
            QStringLiteral("All supported projects ( *.pla *.pln);;Plintra 4AE projects (*.pla);;Plintra projects "
                           "(*.pln);;All Files (*.* *)"));
    }

    void filtersListEachPatternOnce()
    {
        standin::testing::vSetSubsystemDefinitions(
            {stctFfSpec("Tamsin", 1, {{"png", "*.png"}, {"tiff", "*.tif;*.tiff"}}, {}, true, false, ".tif"),
                stctFfSpec("Other", 1, {{"tiff", "*.tif;*.tiff"}}, {}, true, false, ".tif"),
                stctFfSpec("Movies", 2, {{"mov", "*.mov"}}, {}, true, false, ".mov")});
        QCOMPARE(qslGetFileTypeFilters(1, false),
            (QStringList {"Images (*.tif *.tiff *.png )", "TIFF files (*.tif *.tiff)", "PNG files (*.png)",
                "All Files (*.* *)"}));
        QCOMPARE(
            qslGetFileTypeFilters(3, false).first(), QStringLiteral("Images and Movies (*.mov *.tif *.tiff *.png )"));
        QCOMPARE(qstrGetFileTypeFilter(8, true), QStringLiteral(");;All Files (*.* *)"));
    }

    void cacheListsTakeOnlyTheNumericalSubsystem()
    {
        standin::testing::vSetSubsystemDefinitions(
            {stctFfSpec("Tamsin", 1, {{"png", "*.png"}, {"tiff", "*.tif"}}, {{"png", "*.png"}, {"tiff", "*.tif"}}),
                stctFfSpec("Other", 1, {{"bmp", "*.bmp"}}, {{"bmp", "*.bmp"}})});
        QCOMPARE(qstrGetReadFileFilter(1, false), QStringLiteral("*.png *.PNG *.tif *.TIF"));
        // Compressed formats are never written to the cache.
        QCOMPARE(qstrGetWriteFileFilter(1, true), QStringLiteral("*.tif *.TIF"));
    }

    void fileTypeCombo_data()
    {
        QTest::addColumn<bool>("tamsinOnly");
        QTest::addColumn<QString>("current");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("all types") << false << "" << QStringList {".png", ".tif", ".tiff", ".bmp"};
        QTest::newRow("current first, its like suppressed") << false << "TIF" << QStringList {"TIF", ".png", ".bmp"};
        QTest::newRow("numerical subsystem only") << true << "" << QStringList {".png", ".tif", ".tiff"};
    }

    void fileTypeCombo()
    {
        QFETCH(bool, tamsinOnly);
        QFETCH(QString, current);
        QFETCH(QStringList, items);
        vBRD_InitialiseCallbacks(false);
        standin::testing::vSetSubsystemDefinitions(
            {stctFfSpec("Tamsin", 1, {}, {{"a", "*.png"}, {"b", "*.tif;*.tiff"}}),
                stctFfSpec("Other", 1, {}, {{"c", "*.bmp"}, {"d", "*.png"}}),
                stctFfSpec("Movies", 2, {}, {{"e", "*.mov"}})});
        QComboBox combo;
        vFillFileTypeCombo(&combo, false, 13, 17, tamsinOnly, current.toUtf8(), 0);
        QCOMPARE(qslFfItems(combo), items);
    }

    void fileTypeComboWithoutTheSubsystemHoldsTheCurrentTypeOnly()
    {
        standin::testing::vSetSubsystemDefinitions({stctFfSpec("Other", 1, {}, {{"c", "*.bmp"}})});
        QComboBox combo;
        vFillFileTypeCombo(&combo, false, 13, 17, true, "tif", 0);
        QCOMPARE(qslFfItems(combo), QStringList {"tif"});
    }

    void filmTypesAndCustomSize()
    {
        QComboBox combo;
        vFillFilmTypeCombo(&combo);
        QVERIFY(qslFfItems(combo).contains("Custom"));
        QCOMPARE(combo.count(), int(CW_FilmTypeFactory::getAllNames().size()));
        const CW_FilmType type = stGetCustomFilmType(123, 45);
        QCOMPARE(type.strName, std::string("Custom"));
        QCOMPARE(type.uiWidth, 123u);
        QCOMPARE(type.uiHeight, 45u);
    }

    void builtInClipsAreRegisteredOnce()
    {
        CW_Instance project = standin::testing::pCreateProject();
        eRegisterBaseClip(project, "main", CW_BaseClipInfo(), CW_ClipInfo());
        eRegisterBaseClip(project, "Grid16x16", CW_BaseClipInfo(), CW_ClipInfo());
        vRegisterResourceClips(project);
        QCOMPARE(pglGetClipList(project).size(), size_t(5));
        QCOMPARE(pcstctGetClipInfo(project, eGetClipID(project, "Grid16x16"))->qstrFolder, QString());
        const CW_CLIP_ID logo = eGetClipID(project, "Logo");
        QCOMPARE(pcstctGetClipInfo(project, logo)->qstrFileName, QStringLiteral("plintraLogo.png"));
        QCOMPARE(pcstctGetBaseClipInfo(project, logo)->fFrameRate, 10.0f);
        const CW_CLIP_ID grid = eGetClipID(project, "Grid32x32");
        QCOMPARE(pcstctGetClipInfo(project, grid)->qstrFileName, QStringLiteral("/Resources/Grid32x32.png"));
        QCOMPARE(pcstctGetBaseClipInfo(project, grid)->filmType.strName, std::string("Custom"));
        vRegisterResourceClips(project);
        QCOMPARE(pglGetClipList(project).size(), size_t(5));
        vRegisterResourceClips(nullptr);
    }

    void probeReadsASequenceAndClosesIt()
    {
        const QString first = testenv::qstrWriteSequence(QDir(m_dir.path()).filePath("v1.2"), "f_", 3, 20, 10);
        CW_BaseClipInfo base;
        CW_ClipInfo clip;
        QVERIFY(bGetClipImageInfo(first, base, clip, nullptr));
        vCloseMovie(first);
        QCOMPARE(pGetImageIORouter()->iOpenMovieCount(), 0);
        QCOMPARE(base.uiWidth, 20u);
        QCOMPARE(clip.iLastFileNumber, 3);
        QCOMPARE(base.uiGetNumImageFilesInClip(), 3u);
        QVERIFY(!bIsReadableClip(QDir(m_dir.path()).filePath("none.png")));
    }

    void saveDialogAddsTheDefaultExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("result");
        QTest::newRow("no extension") << "shot"
                                      << "shot.tif";
        QTest::newRow("another extension") << "shot.mov"
                                           << "shot.mov";
        QTest::newRow("bare dot") << "shot."
                                  << "shot..tif";
    }

    void saveDialogAddsTheDefaultExtension()
    {
        QFETCH(QString, typed);
        QFETCH(QString, result);
        testenv::DialogDriver driver;
        driver.handler = [&](QWidget* dialog) {
            auto* files = qobject_cast<QFileDialog*>(dialog);
            if (!files)
                return false;
            files->findChild<QLineEdit*>("fileNameEdit")->setText(typed);
            static_cast<QDialog*>(files)->accept();
            return true;
        };
        const QString name = qstrGetSaveFileName(m_dir.path(), nullptr, 1);
        QCOMPARE(QFileInfo(name).fileName(), result);
        QVERIFY(!pGetUserSettings()->value("SaveFileFilter").toString().isEmpty());
    }

    void cancelledSaveDialogStillStoresTheFilter()
    {
        pGetUserSettings()->remove("SaveFileFilter");
        testenv::DialogDriver driver;
        QVERIFY(qstrGetSaveFileName(m_dir.path(), nullptr, 1).isEmpty());
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY(pGetUserSettings()->contains("SaveFileFilter"));
    }

    void xmlReportsShowEachAndKeepTheLast()
    {
        XmlErrorHandler handler;
        testenv::DialogDriver driver;
        QVERIFY(handler.errorString().isEmpty());
        QVERIFY(handler.warning(QXmlParseException("first warning", 1, 2)));
        QVERIFY(handler.warning(QXmlParseException("second warning", 3, 4)));
        QVERIFY(!handler.fatalError(QXmlParseException("fatal", 5, 6)));
        QVERIFY(!handler.error(QXmlParseException("error", 7, 8)));
        QCOMPARE(driver.qslMessages(), (QStringList {"first warning", "second warning", "fatal", "error"}));
        for (const auto& seen : driver.seen)
            QCOMPARE(seen.qstrTitle, QStringLiteral("Corvane"));
        QCOMPARE(handler.errorString(), QStringLiteral("error"));
    }

    void logLineEndsAtAZeroCharacter()
    {
        const QString file = QDir(m_dir.path()).filePath("log.txt");
        Vosk::Logger::instance()->Start(file.toStdString(), "Plintra");
        vLogMessage(QStringLiteral("before") + QChar(0) + QStringLiteral("after"));
        Vosk::Logger::instance()->Stop();
        QFile log(file);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray text = log.readAll();
        QVERIFY(text.contains("before"));
        QVERIFY(!text.contains("after"));
    }
};

PLINTRA_TEST_MAIN(TstFileFormats)
#include "tst_fileformats.moc"
