#include "TestEnvironment.h"

#include "app/ChoiceTables.h"
#include "app/ResourceLoading.h"
#include "app/Settings.h"
#include "preferences/ApplicationInfo.h"
#include "preferences/frmPreferences.h"

#include "Vosk.h"
#include "platform/DefaultFolders.h"

#include <QDir>
#include <QFile>
#include <QRect>
#include <QSettings>
#include <QTemporaryDir>
#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>

namespace {
void vCompareColour(const CW_Color& colour, int red, int green, int blue)
{
    QCOMPARE(colour.r, red / 255.0f);
    QCOMPARE(colour.g, green / 255.0f);
    QCOMPARE(colour.b, blue / 255.0f);
}
} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init() { testenv::vResetSettings(); }

    void gettersGiveDefaultsOnEmptySettings()
    {
        QCOMPARE(frmPreferences::dGetDefaultXSplineWeight(), 0.25);
        QCOMPARE(frmPreferences::dGetDefaultBezierLength(), 0.2);
        QCOMPARE(frmPreferences::iGetNumberOfLayouts(), 3);
        QCOMPARE(frmPreferences::iGetMaximumHistorySize(), 100);
        QCOMPARE(frmPreferences::qstrGetResultClipFileExtension(), QStringLiteral(".TIF"));
        QCOMPARE(frmPreferences::uiGetForceAllocThreshold(), 0u);

        CW_Color colours[5];
        frmPreferences::vGetOverlayColours(colours);
        vCompareColour(colours[0], 0, 0, 255);     // point
        vCompareColour(colours[1], 255, 0, 0);     // selected layer
        vCompareColour(colours[2], 0, 255, 0);     // unselected layer
        vCompareColour(colours[3], 165, 82, 255);  // rendered layer
        vCompareColour(colours[4], 255, 165, 82);  // switched-off point
        QVERIFY(pGetUserSettings()->allKeys().isEmpty()); // getters never write
    }

    void gettersReadStoredValues_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("negative threshold reads 0") << "ForceAllocThreshold" << QVariant(-5) << QVariant(0u);
        QTest::newRow("threshold") << "ForceAllocThreshold" << QVariant(64) << QVariant(64u);
        QTest::newRow("text that is no number") << "MaximumHistorySize" << QVariant("many") << QVariant(100);
        QTest::newRow("layouts beyond ten") << "NumberOfLayouts" << QVariant(25) << QVariant(3);
        QTest::newRow("layouts") << "NumberOfLayouts" << QVariant(7) << QVariant(7);
        QTest::newRow("result format") << "ResultClipFileFormat" << QVariant("png") << QVariant(".png");
        QTest::newRow("result format with a separator")
            << "ResultClipFileFormat" << QVariant("png/../x") << QVariant(".TIF");
    }

    void gettersReadStoredValues()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, expected);
        pGetUserSettings()->setValue(key, stored);
        QVariant actual;
        if (key == QLatin1String("ForceAllocThreshold"))
            actual = frmPreferences::uiGetForceAllocThreshold();
        else if (key == QLatin1String("MaximumHistorySize"))
            actual = frmPreferences::iGetMaximumHistorySize();
        else if (key == QLatin1String("NumberOfLayouts"))
            actual = frmPreferences::iGetNumberOfLayouts();
        else
            actual = frmPreferences::qstrGetResultClipFileExtension();
        QCOMPARE(actual, expected);
    }

    // Whatever the settings file holds, a getter gives a value its control could hold: a
    // bad one gives the default, leaves the store alone and is logged once.
    void gettersGiveTheDefaultForBadValues_data()
    {
        QTest::addColumn<QString>("getter");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("expected");
        // Logged as unusable.
        QTest::addColumn<bool>("bad");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        const QString folder = qstrGetDefaultCacheFolder();
        const QString hugePath = QStringLiteral("/") + QString(kiMaximumSettingText, QLatin1Char('d'));
        QTest::newRow("frame rate 99") << "frame rate" << "FrameRate" << QVariant(99) << QVariant(3) << true;
        QTest::newRow("frame rate as a fraction") << "frame rate" << "FrameRate" << QVariant(4.5) << QVariant(3)
            << true;
        QTest::newRow("frame rate 9, the last") << "frame rate" << "FrameRate" << QVariant(9) << QVariant(9) << false;
        QTest::newRow("history -1") << "history" << "MaximumHistorySize" << QVariant(-1) << QVariant(100) << true;
        QTest::newRow("history 4294967295") << "history" << "MaximumHistorySize" << QVariant(4294967295u)
                                            << QVariant(100) << true;
        QTest::newRow("history 2000 as text") << "history" << "MaximumHistorySize" << QVariant("2000")
                                              << QVariant(2000) << false;
        QTest::newRow("interval 0") << "autosave interval" << "AutosaveInterval" << QVariant(0) << QVariant(5) << true;
        QTest::newRow("interval NaN") << "autosave interval" << "AutosaveInterval" << QVariant(nan) << QVariant(5)
            << true;
        QTest::newRow("interval as a switch") << "autosave interval" << "AutosaveInterval" << QVariant(true)
                                              << QVariant(5) << true;
        QTest::newRow("weight NaN") << "x-spline weight" << "DefaultXSplineWeight" << QVariant(nan)
                                    << QVariant(0.25) << true;
        QTest::newRow("weight inf") << "x-spline weight" << "DefaultXSplineWeight" << QVariant(inf)
                                    << QVariant(0.25) << true;
        QTest::newRow("weight 1.5") << "x-spline weight" << "DefaultXSplineWeight" << QVariant(1.5)
                                    << QVariant(0.25) << true;
        QTest::newRow("weight 0.75 as text") << "x-spline weight" << "DefaultXSplineWeight" << QVariant("0.75")
                                             << QVariant(0.75) << false;
        QTest::newRow("brightness 7") << "brightness" << "UIBrightness" << QVariant(7.0) << QVariant(1.0) << true;
        QTest::newRow("cache folder as a list") << "cache folder" << "FileCacheFolder"
                                                << QVariant(QStringList{"/a", "/b"}) << QVariant(folder) << true;
        QTest::newRow("cache folder as bytes") << "cache folder" << "FileCacheFolder" << QVariant(QByteArray("/a"))
                                               << QVariant(folder) << true;
        QTest::newRow("cache folder empty") << "cache folder" << "FileCacheFolder" << QVariant(QString())
                                            << QVariant(folder) << true;
        QTest::newRow("cache folder relative") << "cache folder" << "FileCacheFolder" << QVariant("cache")
                                               << QVariant(folder) << true;
        QTest::newRow("cache folder too long") << "cache folder" << "FileCacheFolder" << QVariant(hugePath)
                                               << QVariant(folder) << true;
        QTest::newRow("cache folder with a line break") << "cache folder" << "FileCacheFolder"
                                                        << QVariant("/tmp/a\nb") << QVariant(folder) << true;
        QTest::newRow("cache folder") << "cache folder" << "FileCacheFolder" << QVariant("/var/tmp/cache")
                                      << QVariant("/var/tmp/cache") << false;
        QTest::newRow("absolute output relative") << "absolute output" << "AbsoluteOutputDirectory"
                                                  << QVariant("out") << QVariant(folder) << true;
        QTest::newRow("relative output absolute") << "relative output" << "RelativeOutputDirectory"
                                                  << QVariant("/etc/out") << QVariant("Results") << true;
        QTest::newRow("relative output empty: the project folder")
            << "relative output" << "RelativeOutputDirectory" << QVariant(QString()) << QVariant(QString()) << false;
        QTest::newRow("log file empty") << "log file" << "ErrorLogFile" << QVariant(QString())
                                        << QVariant(QDir::homePath() + "/.corvane_log.txt") << true;
        QTest::newRow("display cache switch as a word") << "display cache" << "UseDisplayCache"
                                                        << QVariant("banana") << QVariant(256u) << true;
        QTest::newRow("display cache switch 2") << "display cache" << "UseDisplayCache" << QVariant(2)
                                                << QVariant(256u) << true;
        QTest::newRow("display cache off as text") << "display cache" << "UseDisplayCache" << QVariant("false")
                                                   << QVariant(0u) << false;
        QTest::newRow("display cache size huge") << "display cache" << "MaxDisplayCacheSize" << QVariant(1e12)
                                                 << QVariant(256u) << true;
        QTest::newRow("point red 300") << "point red" << "PointColourRed" << QVariant(300) << QVariant(0) << true;
        QTest::newRow("threshold 101") << "threshold" << "ForceAllocThreshold" << QVariant(101) << QVariant(0u) << true;
        QTest::newRow("custom PAR 0") << "custom PAR" << "DefaultCustomPAR" << QVariant(0.0) << QVariant(1.0) << true;
        QTest::newRow("custom PAR 2.5 as text") << "custom PAR" << "DefaultCustomPAR" << QVariant("2.5")
                                                << QVariant(2.5) << false;
    }

    void gettersGiveTheDefaultForBadValues()
    {
        QFETCH(QString, getter);
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, expected);
        QFETCH(bool, bad);
        const QMap<QString, std::function<QVariant()>> getters = {
            {"frame rate", [] { return QVariant(frmPreferences::iGetDefaultFrameRateIndex()); }},
            {"history", [] { return QVariant(frmPreferences::iGetMaximumHistorySize()); }},
            {"autosave interval", [] { return QVariant(frmPreferences::iGetAutosaveIntervalMinutes()); }},
            {"x-spline weight", [] { return QVariant(frmPreferences::dGetDefaultXSplineWeight()); }},
            {"brightness", [] { return QVariant(frmPreferences::dGetUIBrightness()); }},
            {"cache folder", [] { return QVariant(frmPreferences::qstrGetFileCacheFolder()); }},
            {"absolute output", [] { return QVariant(frmPreferences::qstrGetAbsoluteOutputDirectory()); }},
            {"relative output", [] { return QVariant(frmPreferences::qstrGetRelativeOutputDirectory()); }},
            {"log file", [] { return QVariant(frmPreferences::qstrGetErrorLogFile()); }},
            {"display cache", [] { return QVariant(frmPreferences::uiGetDisplayCacheSize()); }},
            {"point red", [] { return QVariant(qRound(frmPreferences::stctGetPointColour().r * 255)); }},
            {"threshold", [] { return QVariant(frmPreferences::uiGetForceAllocThreshold()); }},
            {"custom PAR", [] { return QVariant(frmPreferences::dGetDefaultCustomPAR()); }},
        };
        QVERIFY(getters.contains(getter));
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("getters.log"));
        Vosk::Logger::instance()->startLogging(log.toStdString(), "Plintra", true);
        pGetUserSettings()->setValue(key, stored);
        QCOMPARE(getters[getter](), expected);
        QCOMPARE(getters[getter](), expected);
        Vosk::Logger::instance()->Stop();
        // Getters may run on any thread: they never write.
        const QVariant after = pGetUserSettings()->value(key);
        QCOMPARE(after.typeId(), stored.typeId());
        QCOMPARE(after.toString(), stored.toString());
        QCOMPARE(after.toStringList(), stored.toStringList());
        QFile file(log);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const int logged = int(file.readAll().count("Setting \"" + key.toUtf8() + "\" held an unusable value"));
        QCOMPARE(logged, bad ? 1 : 0);
    }

    // Even with the widest range a reader allows, what is no number of that kind is refused.
    void readersRefuseWhatIsNoNumber_data()
    {
        QTest::addColumn<bool>("real");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<double>("expected");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("real NaN") << true << QVariant(nan) << 7.0;
        QTest::newRow("real infinity") << true << QVariant(-inf) << 7.0;
        QTest::newRow("real infinity as text") << true << QVariant("inf") << 7.0;
        QTest::newRow("real beyond a double as text") << true << QVariant("1e400") << 7.0;
        QTest::newRow("real -2.5") << true << QVariant(-2.5) << -2.5;
        QTest::newRow("integer of 2^64 - 1") << false << QVariant(std::numeric_limits<qulonglong>::max()) << 7.0;
        QTest::newRow("integer beyond an int") << false << QVariant(qlonglong(1) << 40) << 7.0;
        QTest::newRow("integer of twenty digits as text") << false << QVariant("99999999999999999999") << 7.0;
        QTest::newRow("integer 1e300") << false << QVariant(1e300) << 7.0;
        QTest::newRow("integer NaN") << false << QVariant(nan) << 7.0;
        QTest::newRow("integer -3.0") << false << QVariant(-3.0) << -3.0;
        QTest::newRow("integer with a sign as text") << false << QVariant(" -12 ") << -12.0;
    }

    void readersRefuseWhatIsNoNumber()
    {
        QFETCH(bool, real);
        QFETCH(QVariant, stored);
        QFETCH(double, expected);
        const QString key = QStringLiteral("AnyNumber");
        pGetUserSettings()->setValue(key, stored);
        const double value = real
            ? dReadSetting(key, 7.0, std::numeric_limits<double>::lowest(), std::numeric_limits<double>::max())
            : iReadSetting(key, 7, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        QCOMPARE(value, expected);
    }

    void storedColourIsScaled()
    {
        pGetUserSettings()->setValue(QStringLiteral("PointColourRed"), 51);
        pGetUserSettings()->setValue(QStringLiteral("PointColourGreen"), 102);
        vCompareColour(frmPreferences::stctGetPointColour(), 51, 102, 255);
    }

    void newBuildDetection_data()
    {
        QTest::addColumn<QVariant>("lastRun");
        QTest::addColumn<bool>("isNew");
        QTest::newRow("never ran") << QVariant() << true;
        QTest::newRow("older build") << QVariant(4000) << true;
        QTest::newRow("same build") << QVariant(4127) << false;
        QTest::newRow("newer build ran before") << QVariant(5000) << false;
    }

    void newBuildDetection()
    {
        QFETCH(QVariant, lastRun);
        QFETCH(bool, isNew);
        if (lastRun.isValid())
            pGetUserSettings()->setValue(QStringLiteral("LastRunBuildNumber"), lastRun);
        const ApplicationInfo info = stctReadApplicationInfo();
        QCOMPARE(info.uiBuildNumber, 4127u);
        QCOMPARE(info.bIsNewBuild, isNew);
    }

    void applicationInfoIsKeptForTheRun()
    {
        const bool first = pGetApplicationInfo()->bIsNewBuild;
        pGetUserSettings()->setValue(QStringLiteral("LastRunBuildNumber"), first ? 4127 : 0);
        QCOMPARE(pGetApplicationInfo()->bIsNewBuild, first);
        QCOMPARE(pGetApplicationInfo().get(), pGetApplicationInfo().get());
    }

    void nearestFrameRate_data()
    {
        QTest::addColumn<float>("rate");
        QTest::addColumn<float>("nearest");
        QTest::addColumn<int>("index");
        QTest::newRow("29 gives 29.97") << 29.0f << 29.97f << 5;
        QTest::newRow("27 gives 25") << 27.0f << 25.0f << 4;
        QTest::newRow("between 23.976 and 25") << 24.488f << 24.0f << 3;
        QTest::newRow("tie keeps the earlier entry") << 12.5f << 10.0f << 0;
        QTest::newRow("exact") << 59.94f << 59.94f << 8;
        QTest::newRow("above the table") << 120.0f << 60.0f << 9;
    }

    void nearestFrameRate()
    {
        QFETCH(float, rate);
        QFETCH(float, nearest);
        QFETCH(int, index);
        if (stctGetChoiceTables().vecfFrameRates.empty()) {
            int untouched = -7;
            QCOMPARE(fGetNearestFrameRate(25.0f, &untouched), FLT_MAX);
            QCOMPARE(untouched, -7);
            vInitChoiceTables();
        }
        int found = -1;
        QCOMPARE(fGetNearestFrameRate(rate, &found), nearest);
        QCOMPARE(found, index);
        QCOMPARE(fGetNearestFrameRate(rate, nullptr), nearest);
    }

    void choiceTablesHoldTheirEntries()
    {
        if (stctGetChoiceTables().vecfFrameRates.empty())
            vInitChoiceTables();
        const ChoiceTables& tables = stctGetChoiceTables();
        QCOMPARE(tables.qslLensModels.size(), 5);
        QCOMPARE(tables.qslLensModels.at(3), QStringLiteral("1-Parameter Inv"));
        QCOMPARE(tables.qslFrameRates.size(), int(tables.vecfFrameRates.size()));
        QCOMPARE(tables.qslFrameRates.at(2), QStringLiteral("23.976"));
        QCOMPARE(tables.qslCombineModes, QStringList({"Add", "Subtract"}));
        QCOMPARE(tables.qslContextMenuActions.size(), 27);
        QCOMPARE(tables.qlContextMenuGroups.size(), 27);
        QCOMPARE(tables.qslContextMenuActions.at(18), QStringLiteral("Hide Layer"));
        QCOMPARE(tables.qlContextMenuGroups.at(18), 2);
        QCOMPARE(tables.qlContextMenuGroups.at(26), 4);
        QVERIFY(stctGetParameterWidgetHooks().pfnCurrentFrame);
        QCOMPARE(stctGetParameterWidgetHooks().pfnCurrentFrame(), 0.0); // no project
    }

    void installDirWithOrWithoutSeparator_data()
    {
        QTest::addColumn<bool>("trailingSeparator");
        QTest::newRow("without") << false;
        QTest::newRow("with") << true;
    }

    void installDirWithOrWithoutSeparator()
    {
        QFETCH(bool, trailingSeparator);
        QTemporaryDir install;
        QDir(install.path()).mkpath(QStringLiteral("resources/stylesheets"));
        QFile sheet(install.filePath(QStringLiteral("resources/stylesheets/probe.css")));
        QVERIFY(sheet.open(QIODevice::WriteOnly));
        sheet.write("QLabel#probe { color: red; }");
        sheet.close();

        // Found through the machine-wide fallback, where the installer writes it.
        testenv::vSetSystemSetting(QStringLiteral("InstallDir"),
                                   install.path() + (trailingSeparator ? QStringLiteral("/") : QString()));
        QCOMPARE(qstrGetInstallPath(QStringLiteral("resources/stylesheets/probe.css")),
                 QFileInfo(sheet).absoluteFilePath());
        QCOMPARE(qstrGetInstallPath(QStringLiteral("bin/lang")), install.path() + QStringLiteral("/bin/lang"));

        qApp->setStyleSheet(QString());
        vLoadStyleSheet(QStringLiteral("probe.css"));
        QVERIFY(qApp->styleSheet().contains(QStringLiteral("QLabel#probe")));
        qApp->setStyleSheet(QString());
        testenv::vSetSystemSetting(QStringLiteral("InstallDir"), QVariant());
    }
};

PLINTRA_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
