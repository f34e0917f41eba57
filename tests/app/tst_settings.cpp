#include "TestEnvironment.h"

#include "app/ChoiceTables.h"
#include "app/ResourceLoading.h"
#include "app/Settings.h"
#include "preferences/ApplicationInfo.h"
#include "preferences/frmPreferences.h"

#include <QDir>
#include <QSettings>
#include <cfloat>

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
