// Files the desktop hands over, before and after the main window has gone, and the splash
// screen that waits for the window while a message box comes first.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "app/GUIApplication.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "velmor.h"

#include <QDir>
#include <QFileOpenEvent>
#include <QSettings>
#include <QSplashScreen>

class TstDesktopHandOver : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { pGetUserSettings()->setValue(QStringLiteral("FirstRun"), false); }

    void splashWaitingForAWindowClosesBeforeAMessageBox()
    {
        g_pSplashScreen = new QSplashScreen(QPixmap(40, 20));
        g_pSplashScreen->show();
        QPointer<QSplashScreen> splash = g_pSplashScreen;
        QWidget window;
        vCloseSplashScreen(&window);
        QVERIFY(splash && splash->isVisible());

        bool splashVisibleDuringBox = true;
        testenv::DialogDriver driver;
        driver.handler = [&](QWidget*) {
            splashVisibleDuringBox = splash && splash->isVisible();
            return false;
        };
        vShowWarning(nullptr, QStringLiteral("Something went wrong"));
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY(!splashVisibleDuringBox);
        QTRY_VERIFY_WITH_TIMEOUT(splash.isNull(), 2000);
        // The window's first show finds nothing left to close.
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    void projectFileHandedOverOpens()
    {
        auto* app = static_cast<GUIApplication*>(qApp);
        const QString first = testenv::qstrWriteSequence(QDir(m_dir.path()).filePath("media"), "s_", 2);
        const QString project = testenv::qstrWriteProject(QDir(m_dir.path()).filePath("p.pln"), first);
        testenv::DialogDriver driver;
        QFileOpenEvent open(project);
        QVERIFY(app->event(&open));
        QVERIFY(driver.seen.isEmpty());
        QCOMPARE(qstrGetProjectName(ProjectManagerInstance::instance()->getInstance()), QFileInfo(project).absoluteFilePath());
    }

    void clipInAFolderNamedLikeAProjectIsAClip()
    {
        auto* app = static_cast<GUIApplication*>(qApp);
        const QString clip = testenv::qstrWriteSequence(QDir(m_dir.path()).filePath("old.pln.d"), "c_", 2);
        testenv::DialogDriver driver;
        QFileOpenEvent open(clip);
        QVERIFY(app->event(&open));
        // Not taken for a project file: nothing asks to close the open project.
        for (const auto& seen : driver.seen)
            QVERIFY(seen.qstrClass != QLatin1String("frmCloseProject"));
        // It goes to the new-project dialog as a clip.
        QVERIFY(!driver.seen.isEmpty());
        QCOMPARE(driver.seen.first().qstrClass, QStringLiteral("NewProjectDialog"));
    }

    void fileHandedOverAfterTheWindowClosedGoesNowhere()
    {
        auto* app = static_cast<GUIApplication*>(qApp);
        QPointer<frmMain> window = app->pGetMainWindow();
        QVERIFY(window);
        ProjectManagerInstance::instance()->setInstance(nullptr);
        window->close();
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), 2000);
        QCOMPARE(app->pGetMainWindow(), nullptr);

        testenv::DialogDriver driver;
        QFileOpenEvent open(QDir(m_dir.path()).filePath("p.pln"));
        QVERIFY(app->event(&open));
        QVERIFY(driver.seen.isEmpty());
    }
};

int main(int argc, char** argv)
{
    testenv::vPrepare();
    GUIApplication app(argc, argv);
    g_pApplication = &app;
    QApplication::setQuitOnLastWindowClosed(false);
    TstDesktopHandOver tc;
    QTEST_SET_MAIN_SOURCE_PATH
    const int result = QTest::qExec(&tc, argc, argv);
    standin::testing::vReset();
    g_pApplication = nullptr;
    return result;
}

#include "tst_desktophandover.moc"
