#include "TestEnvironment.h"

#include "app/ProjectManagerInstance.h"
#include "standin/testing.h"
#include "velmor.h"
#include "widgets/CWKClipComboBox.h"
#include "widgets/CWKSelectionComboBox.h"

#include <QSignalSpy>

namespace {
struct TstClip {
    CW_CLIP_ID eId;
    const char* pszName;
    CW_CLIP_ID eBase;
    bool bDerived;
    bool bExcluded;
    bool bSecondMark;
    bool bGarbageMatte;
    int iResolution;
    CW_CLIP_ID eParent;
};

// Clip 1 and its renders, a second source clip (5) with one render, and odd ones out.
const TstClip kTstClips[] = {
    {1, "Main", 0, false, false, false, false, 0, 0},
    {2, "Main_Render", 1, true, false, false, false, 0, 0},
    {3, "Main_Half", 1, true, false, false, false, 1, 0},
    {4, "Main_Matte", 1, true, false, false, true, 0, 0},
    {5, "Plate", 0, false, false, false, false, 0, 0},
    {6, "Plate_Render", 5, true, false, true, false, 0, 0},
    {7, "Hidden", 1, true, true, false, false, 0, 0},
    {8, "Orphan", 1, true, false, false, false, 0, 99},
    {9, "Child", 1, true, false, false, false, 0, 2},
};

CW_Instance pTstProjectWithClips()
{
    const CW_Instance project = standin::testing::pCreateProject();
    for (const TstClip& clip : kTstClips) {
        CW_BaseClipInfo base;
        base.uiCount = 10;
        base.eParentClip = clip.eParent;
        base.aucDisplayColour[0] = static_cast<unsigned char>(20 * clip.eId);
        standin::testing::vRegisterClip(project, clip.eId, base);
        CW_ClipInfo info;
        info.bDerived = clip.bDerived;
        info.bExcludedFromLists = clip.bExcluded;
        info.bSecondListingMark = clip.bSecondMark;
        info.iProxyResolution = clip.iResolution;
        standin::testing::vSetClipListing(
            project, clip.eId, QString::fromLatin1(clip.pszName), info, clip.eBase, clip.bGarbageMatte);
    }
    ProjectManagerInstance::instance()->setInstance(project);
    return project;
}
} // namespace

class TstClipCombos : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
    }

    void importAndNoneWithoutAProject_data()
    {
        QTest::addColumn<bool>("withNone");
        QTest::addColumn<bool>("withImport");
        QTest::addColumn<std::vector<int>>("ids");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("both") << true << true << std::vector<int> {-1, 0} << QStringList {"Import", "None"};
        QTest::newRow("none only") << true << false << std::vector<int> {0} << QStringList {"None"};
        QTest::newRow("neither") << false << false << std::vector<int> {} << QStringList {};
    }

    void importAndNoneWithoutAProject()
    {
        QFETCH(bool, withNone);
        QFETCH(bool, withImport);
        QFETCH(std::vector<int>, ids);
        QFETCH(QStringList, texts);
        CWKClipComboBox combo;
        combo.vConfigure(0, false, false, withNone, false, withImport, false, 3);
        QCOMPARE(combo.vecGetClipIDs(), ids);
        QStringList shown;
        for (int i = 0; i < combo.count(); ++i)
            shown << combo.itemText(i);
        QCOMPARE(shown, texts);
        QCOMPARE(combo.eGetCurrentClipID(), ids.empty() ? 0 : ids.front());
    }

    void filtersChooseTheListedClips_data()
    {
        QTest::addColumn<int>("family");
        QTest::addColumn<bool>("excludeDerived");
        QTest::addColumn<bool>("excludeSecondMark");
        QTest::addColumn<bool>("onlyDerived");
        QTest::addColumn<bool>("excludeGarbageMattes");
        QTest::addColumn<int>("resolution");
        QTest::addColumn<std::vector<int>>("ids");
        QTest::newRow("everything listable")
            << 0 << false << false << false << false << 3 << std::vector<int> {0, 1, 2, 3, 4, 5, 6, 9};
        QTest::newRow("clip 1's family") << 1 << false << false << false << false << 3
                                         << std::vector<int> {0, 1, 2, 3, 4, 9};
        QTest::newRow("sources of clip 5's family")
            << 6 << true << false << false << false << 3 << std::vector<int> {0, 5};
        QTest::newRow("derived only, no mattes")
            << 0 << false << false << true << true << 3 << std::vector<int> {0, 2, 3, 6, 9};
        QTest::newRow("second mark left out") << 5 << false << true << false << false << 3 << std::vector<int> {0, 5};
        QTest::newRow("half resolution") << 0 << false << false << false << false << 1 << std::vector<int> {0, 3};
    }

    void filtersChooseTheListedClips()
    {
        QFETCH(int, family);
        QFETCH(bool, excludeDerived);
        QFETCH(bool, excludeSecondMark);
        QFETCH(bool, onlyDerived);
        QFETCH(bool, excludeGarbageMattes);
        QFETCH(int, resolution);
        QFETCH(std::vector<int>, ids);
        pTstProjectWithClips();
        CWKClipComboBox combo;
        combo.vConfigure(
            family, excludeDerived, excludeSecondMark, true, onlyDerived, false, excludeGarbageMattes, resolution);
        QCOMPARE(combo.vecGetClipIDs(), ids);
        QCOMPARE(combo.itemText(1), QString::fromLatin1(kTstClips[ids[1] - 1].pszName));
    }

    void iconsShowTheClipAndItsParent()
    {
        pTstProjectWithClips();
        CWKClipComboBox combo;
        combo.vConfigure(0, false, false, true, false, false, false, 3);
        auto pixmapOf = [&combo](int id) {
            const auto& ids = combo.vecGetClipIDs();
            const int index = int(std::find(ids.begin(), ids.end(), id) - ids.begin());
            return combo.itemIcon(index).pixmap(QSize(10, 10)).toImage();
        };
        const QImage source = pixmapOf(1);
        QCOMPARE(source.size(), QSize(10, 10));
        QCOMPARE(qRed(source.pixel(0, 0)), 20);
        const QImage child = pixmapOf(9);
        QCOMPARE(child.size(), QSize(6, 6));
        QCOMPARE(qRed(child.pixel(0, 0)), 180);
        QCOMPARE(qRed(child.pixel(3, 3)), 40); // its parent, clip 2
    }

    void theChosenClipSurvivesRefills()
    {
        const CW_Instance project = pTstProjectWithClips();
        CWKClipComboBox combo;
        combo.vConfigure(1, false, false, true, false, true, false, 3);
        combo.vSetCurrentClipID(3);
        QCOMPARE(combo.eGetCurrentClipID(), 3);

        // Reconfiguring keeps a clip still listed, else falls back to the first entry.
        combo.vConfigure(1, false, false, true, false, true, false, 3);
        QCOMPARE(combo.eGetCurrentClipID(), 3);
        combo.vConfigure(1, false, false, true, false, true, false, 0);
        QCOMPARE(combo.eGetCurrentClipID(), -1);

        // A clip added or removed elsewhere in the project keeps the choice while it is listed.
        combo.vConfigure(1, false, false, true, false, true, false, 3);
        combo.vSetCurrentClipID(2);
        QSignalSpy indexes(&combo, &QComboBox::currentIndexChanged);
        standin::testing::vSetClipListing(project, 10, QStringLiteral("New_Render"), CW_ClipInfo(), 1);
        QCOMPARE(combo.eGetCurrentClipID(), 2);
        QCOMPARE(std::count(combo.vecGetClipIDs().begin(), combo.vecGetClipIDs().end(), 10), 1);
        // Each refill starts by emptying the combo: configured several times, it still refilled once.
        int refills = 0;
        for (const QList<QVariant>& arguments : indexes)
            refills += arguments.at(0).toInt() == -1 ? 1 : 0;
        QCOMPARE(refills, 1);
        standin::testing::vUnregisterClip(project, 2);
        QCOMPARE(combo.eGetCurrentClipID(), -1);
    }

    void clipChangesFromAWorkerRefillOnTheUserInterfaceThread()
    {
        const CW_Instance project = pTstProjectWithClips();
        CWKClipComboBox combo;
        combo.vConfigure(0, false, false, true, false, false, false, 3);
        combo.vSetCurrentClipID(5);
        std::thread worker(
            [project] { standin::testing::vSetClipListing(project, 11, QStringLiteral("Late"), CW_ClipInfo()); });
        worker.join();
        QTRY_VERIFY_WITH_TIMEOUT(combo.vecGetClipIDs().back() == 11, 5000);
        QCOMPARE(combo.eGetCurrentClipID(), 5);
    }

    void settingAnUnlistedClipLeavesNothingChosen()
    {
        pTstProjectWithClips();
        CWKClipComboBox combo;
        combo.vConfigure(0, false, false, true, false, false, false, 3);
        combo.vSetCurrentClipID(7);
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(combo.eGetCurrentClipID(), 0);
    }

    void layerComboListsLayersAndKeepsTheChoice()
    {
        const CW_Instance project = standin::testing::pCreateProject();
        CWKSelectionComboBox combo;
        combo.fillWithLayers(project, true);
        QCOMPARE(combo.count(), 0);
        QCOMPARE(combo.currentId(), -1);

        const int first = standin::testing::iAddLayer(project, QStringLiteral("Roto"));
        const int second = standin::testing::iAddLayer(project, QStringLiteral("Track"));
        combo.fillWithLayers(project, true);
        QCOMPARE(combo.count(), 3);
        QCOMPARE(combo.itemText(0), QStringLiteral("None"));
        QCOMPARE(combo.itemText(2), QStringLiteral("Track"));
        QCOMPARE(combo.currentId(), -1);

        combo.setCurrentId(second);
        standin::testing::iAddLayer(project, QStringLiteral("Paint"));
        combo.fillWithLayers(project, false);
        QCOMPARE(combo.count(), 3);
        QCOMPARE(combo.currentId(), second);

        combo.setCurrentId(12345);
        QCOMPARE(combo.currentId(), second);

        standin::testing::vRemoveLayer(project, second);
        combo.fillWithLayers(project, false);
        QCOMPARE(combo.currentId(), first);

        combo.fillWithLayers(nullptr, true);
        QCOMPARE(combo.count(), 0);
        QCOMPARE(combo.currentId(), -1);
    }
};

PLINTRA_TEST_MAIN(TstClipCombos)
#include "tst_clipcombos.moc"
