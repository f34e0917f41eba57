#include "TestEnvironment.h"

#include "app/Settings.h"
#include "widgets/CWKRecentFilesMenu.h"

#include <QAction>
#include <QSettings>
#include <QSignalSpy>

namespace {
QStringList qslVisibleTexts(const QMenu& menu)
{
    QStringList texts;
    const auto actions = menu.actions();
    for (QAction* action : actions) {
        if (action->isVisible())
            texts << action->text();
    }
    return texts;
}

QStringList qslStored()
{
    return pGetUserSettings()->value(QStringLiteral("RecentFiles")).toStringList();
}

QStringList qslPaths(int count)
{
    QStringList paths;
    for (int i = 1; i <= count; ++i)
        paths << QStringLiteral("/projects/shot%1.cwp").arg(i);
    return paths;
}
} // namespace

class TestRecentFilesMenu : public QObject {
    Q_OBJECT
private slots:
    void init() { testenv::vResetSettings(); }

    void addedFilesComeFirstWithoutDuplicatesAndPersist()
    {
        pGetUserSettings()->setValue(QStringLiteral("RecentFilesToDisplay"), 4);
        CWKRecentFilesMenu menu(QStringLiteral("Recent"));
        QVERIFY(!menu.isEnabled());

        for (const char* name : {"/a.cwp", "/b.cwp", "/c.cwp", "/a.cwp", "/d.cwp", "/e.cwp"}) {
            QString path = QString::fromLatin1(name);
            menu.sltAddFile(path);
        }
        const QStringList expected{"/e.cwp", "/d.cwp", "/a.cwp", "/c.cwp"};
        QCOMPARE(menu.files(), expected);
        QCOMPARE(qslStored(), expected);
        QCOMPARE(qslVisibleTexts(menu),
                 (QStringList{"&1 /e.cwp", "&2 /d.cwp", "&3 /a.cwp", "&4 /c.cwp"}));
        QVERIFY(menu.isEnabled());

        // A path spelled differently is cleaned first, so it still counts as the same file.
        QString messy = QStringLiteral("/x/../c.cwp");
        menu.sltAddFile(messy);
        QCOMPARE(messy, QStringLiteral("/c.cwp"));
        QCOMPARE(menu.files(), (QStringList{"/c.cwp", "/e.cwp", "/d.cwp", "/a.cwp"}));

        QString empty;
        menu.sltAddFile(empty);
        QCOMPARE(menu.files().size(), 4);
        QVERIFY(!menu.files().contains(QString()));

        // A fresh menu reads back what was written.
        CWKRecentFilesMenu again(QStringLiteral("Recent"));
        QCOMPARE(again.files(), menu.files());
    }

    void storedCountBoundsTheMenu_data()
    {
        QTest::addColumn<QVariant>("storedCount");
        QTest::addColumn<int>("storedFiles");
        QTest::addColumn<int>("expectedCount");

        QTest::newRow("absent: ten") << QVariant() << 12 << 10;
        QTest::newRow("four of six") << QVariant(4) << 6 << 4;
        QTest::newRow("more room than files") << QVariant(8) << 3 << 8;
        QTest::newRow("negative is none") << QVariant(-3) << 3 << 0;
        QTest::newRow("absurd is bounded") << QVariant(1000000) << 3 << CWKRecentFilesMenu::kiMaxFilesToDisplay;
    }

    void storedCountBoundsTheMenu()
    {
        QFETCH(QVariant, storedCount);
        QFETCH(int, storedFiles);
        QFETCH(int, expectedCount);

        if (storedCount.isValid())
            pGetUserSettings()->setValue(QStringLiteral("RecentFilesToDisplay"), storedCount);
        pGetUserSettings()->setValue(QStringLiteral("RecentFiles"), qslPaths(storedFiles));

        CWKRecentFilesMenu menu(QStringLiteral("Recent"));
        const int shown = qMin(storedFiles, expectedCount);
        QCOMPARE(menu.numFilesToDisplay(), expectedCount);
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("RecentFilesToDisplay")).toInt(), expectedCount);
        QCOMPARE(qslVisibleTexts(menu).size(), shown);
        QCOMPARE(menu.actions().size(), expectedCount);
        QCOMPARE(qslStored(), qslPaths(storedFiles).mid(0, shown));
    }

    void loweringTheCountHidesWithoutDeleting()
    {
        pGetUserSettings()->setValue(QStringLiteral("RecentFilesToDisplay"), 6);
        pGetUserSettings()->setValue(QStringLiteral("RecentFiles"), qslPaths(6));
        CWKRecentFilesMenu menu(QStringLiteral("Recent"));
        const QList<QAction*> before = menu.actions();
        QCOMPARE(before.size(), 6);

        menu.setNumFilesToDisplay(3);
        QCOMPARE(menu.actions(), before);
        QCOMPARE(qslVisibleTexts(menu).size(), 3);
        QCOMPARE(qslStored(), qslPaths(3));
        QCOMPARE(menu.property("numFilesToDisplay").toInt(), 3);

        menu.setNumFilesToDisplay(5);
        QCOMPARE(menu.actions(), before);
        QCOMPARE(qslVisibleTexts(menu).size(), 3);
    }

    void triggeringAnEntryReportsItsFullPath()
    {
        CWKRecentFilesMenu menu(QStringLiteral("Recent"));
        QString plain = QStringLiteral("/shots/plain.cwp");
        QString ampersand = QStringLiteral("/shots/Cut & Grade.cwp");
        menu.sltAddFile(plain);
        menu.sltAddFile(ampersand);
        QSignalSpy spy(&menu, &CWKRecentFilesMenu::fileSelected);

        const auto actions = menu.actions();
        // The '&' of the path is not taken as an accelerator.
        QCOMPARE(actions.at(0)->text(), QStringLiteral("&1 /shots/Cut && Grade.cwp"));
        actions.at(0)->trigger();
        actions.at(1)->trigger();
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toString(), ampersand);
        QCOMPARE(spy.at(1).at(0).toString(), plain);
    }
};

PLINTRA_TEST_MAIN(TestRecentFilesMenu)
#include "tst_recentfilesmenu.moc"
