#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "app/ProjectCloseDown.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "clips/RelinkClipDialog.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "tolvane.h"
#include "velmor.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

namespace {
CW_Instance pCurrent()
{
    return ProjectManagerInstance::instance()->getInstance();
}
} // namespace

class TstProjectOpener : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    std::unique_ptr<QTemporaryDir> m_pDir;

    QString qstrFolder(const QString& name) const { return QDir(m_pDir->path()).filePath(name); }
    QString qstrProject(
        const QString& name, unsigned int version = 2018, const std::function<void(CW_Instance)>& set = {})
    {
        const QString first = testenv::qstrWriteSequence(qstrFolder(name), QStringLiteral("shot_"), 3);
        return testenv::qstrWriteProject(qstrFolder(name + QStringLiteral(".pln")), first, version, set);
    }

private slots:
    void initTestCase()
    {
        pGetUserSettings()->setValue(QStringLiteral("FirstRun"), false);
        m_pWindow = new frmMain();
        // Kept hidden: a shown window titled like the program would be found by the
        // end-to-end suite that looks for the real program's window.
        m_pWindow->sltConfigureGUI();
    }

    void init()
    {
        m_pDir = std::make_unique<QTemporaryDir>();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
    }

    void cleanupTestCase()
    {
        delete m_pWindow;
        standin::testing::vReset();
    }

    void currentFormatOpensWithBuiltInClips()
    {
        const QString path = qstrProject(QStringLiteral("a"));
        testenv::DialogDriver driver;
        m_pWindow->sltFileOpenProject(path);
        QVERIFY2(driver.seen.isEmpty(), qPrintable(driver.qslMessages().join('|')));
        CW_Instance project = pCurrent();
        QVERIFY(bIsValidInstance(project));
        QCOMPARE(qstrGetProjectName(project), QFileInfo(path).absoluteFilePath());
        QCOMPARE(pcstctGetBaseClipInfo(project, 1)->uiWidth, 64u);
        QCOMPARE(pcstctGetClipInfo(project, 1)->iLastFileNumber, 3);
        for (const char* name : {"Logo", "Grid8x8", "Grid16x16", "Grid32x32"}) {
            const CW_CLIP_ID id = eGetClipID(project, QString::fromLatin1(name));
            QVERIFY2(id > 1, name);
            QCOMPARE(pcstctGetClipInfo(project, id)->qstrFolder, QStringLiteral("CWK-Resource:Unique?"));
            QVERIFY(pcstctGetBaseClipInfo(project, id)->uiWidth > 0);
        }
        QVERIFY(!bProjectHasChanged(project));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("LastOpenProjectFolder")).toString(), path);
        // The opener's event takes the window out of the no-project state.
        QTRY_COMPARE_WITH_TIMEOUT(m_pWindow->iGetWidgetsState(), 2, 2000);
    }

    void cancelledOpenDialogChangesNothing()
    {
        pGetUserSettings()->setValue(QStringLiteral("LastOpenProjectFolder"), QStringLiteral("/earlier/a.pln"));
        testenv::DialogDriver driver;
        // Through the File menu's action, as a user would.
        m_pWindow->actFileOpenProject->trigger();
        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(driver.seen.first().qstrTitle, QStringLiteral("Choose a project file"));
        QVERIFY(!bIsValidInstance(pCurrent()));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("LastOpenProjectFolder")).toString(),
            QStringLiteral("/earlier/a.pln"));
    }

    void olderFormatsAreRefused_data()
    {
        QTest::addColumn<unsigned int>("version");
        QTest::newRow("2017") << 2017u;
        QTest::newRow("much older") << 1999u;
    }

    void olderFormatsAreRefused()
    {
        QFETCH(unsigned int, version);
        const QString path = qstrProject(QStringLiteral("old"), version);
        testenv::DialogDriver driver;
        m_pWindow->sltFileOpenProject(path);
        QCOMPARE(driver.qslMessages(),
            QStringList {QStringLiteral("Project files from Brindle and Sorrel are not supported")});
        QCOMPARE(driver.seen.first().qstrTitle, QStringLiteral("Plintra"));
        QVERIFY(!bIsValidInstance(pCurrent()));
    }

    void missingMediaLeadToTheRelinkDialog()
    {
        const QString path = qstrProject(QStringLiteral("gone"));
        QVERIFY(QDir(qstrFolder(QStringLiteral("gone"))).removeRecursively());
        testenv::DialogDriver driver;
        m_pWindow->sltFileOpenProject(path);
        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(driver.seen.first().qstrClass, QStringLiteral("RelinkClipDialog"));
        QCOMPARE(driver.seen.first().qstrTitle, QStringLiteral("Relink clip - Media unavailable"));
        QVERIFY(!bIsValidInstance(pCurrent()));
    }

    void relinkingFromDiskReopensTheProject()
    {
        const QString path = qstrProject(QStringLiteral("moved"));
        const QString newFolder = qstrFolder(QStringLiteral("found"));
        QVERIFY(QDir().rename(qstrFolder(QStringLiteral("moved")), newFolder));
        testenv::DialogDriver driver;
        driver.handler = [&](QWidget* dialog) {
            auto* relink = qobject_cast<RelinkClipDialog*>(dialog);
            if (!relink)
                return false;
            relink->folderTextBox->setText(newFolder);
            relink->buttonBox->button(QDialogButtonBox::Ok)->click();
            return true;
        };
        m_pWindow->sltFileOpenProject(path);
        QVERIFY2(driver.qslMessages().isEmpty(), qPrintable(driver.qslMessages().join('|')));
        CW_Instance project = pCurrent();
        QVERIFY(bIsValidInstance(project));
        QCOMPARE(QDir(pcstctGetClipInfo(project, 1)->qstrFolder), QDir(newFolder));
        QCOMPARE(pcstctGetClipInfo(project, 1)->iLastFileNumber, 3);
        QCOMPARE(pGetProjectManager(project)->qstrGetProjectFilePath(), path);
        QVERIFY(pGetProjectManager(project)->bGetPathConfirmed());
        QVERIFY(eGetClipID(project, QStringLiteral("Logo")) != 0);
    }

    void cancelledRelinkGivesNoProjectTheNewPath()
    {
        const QString first = qstrProject(QStringLiteral("first"));
        const QString second = qstrProject(QStringLiteral("second"));
        QVERIFY(QDir(qstrFolder(QStringLiteral("second"))).removeRecursively());
        testenv::DialogDriver driver;
        m_pWindow->sltFileOpenProject(first);
        CW_Instance project = pCurrent();
        QVERIFY(bIsValidInstance(project));
        m_pWindow->sltFileOpenProject(second);
        QCOMPARE(pCurrent(), project);
        QCOMPARE(pGetProjectManager(project)->qstrGetProjectFilePath(), QFileInfo(first).absoluteFilePath());
        QVERIFY(!pGetProjectManager(project)->bGetPathConfirmed());
    }

    void unusableOutputFolderIsReportedAndOffered_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("message");
        QTest::newRow("not writable") << "/proc"
                                      << "Couldn't write to the output directory.";
        QTest::newRow("parent missing") << "/nonexistent-parent/Results"
                                        << "Could not create the output directory.";
    }

    void unusableOutputFolderIsReportedAndOffered()
    {
        QFETCH(QString, folder);
        QFETCH(QString, message);
        const QString path = qstrProject(
            QStringLiteral("out"), 2018, [&](CW_Instance project) { vSetOutputDirectory(project, true, folder); });
        testenv::DialogDriver driver;
        m_pWindow->sltFileOpenProject(path);
        QCOMPARE(driver.seen.size(), 2);
        QVERIFY2(driver.seen.at(0).qstrText.startsWith(message), qPrintable(driver.seen.at(0).qstrText));
        QCOMPARE(driver.seen.at(1).qstrClass, QStringLiteral("frmChangeDefaultOutputDirectory"));
        // The open itself is done.
        QVERIFY(bIsValidInstance(pCurrent()));
    }

    void closingAsksAndCancelKeepsTheProject()
    {
        const QString path = qstrProject(QStringLiteral("close"));
        testenv::DialogDriver driver;
        m_pWindow->sltFileOpenProject(path);
        CW_Instance project = pCurrent();
        QVERIFY(bIsValidInstance(project));
        pGetUserSettings()->setValue(QStringLiteral("AutoRecoverFile"), path);
        // An unchanged one-clip project closes without asking; a changed one asks.
        vSetProjectHasChanged(project, true);

        driver.closeButton = QDialogButtonBox::Cancel;
        QVERIFY(!m_pWindow->sltFileCloseProject());
        QCOMPARE(driver.seen.last().qstrClass, QStringLiteral("frmCloseProject"));
        QCOMPARE(driver.seen.last().qstrTitle, QStringLiteral("close"));
        QCOMPARE(driver.seen.last().qstrText,
                 QStringLiteral("Do you want to save the changes you made in the project \"close\"?"));
        QCOMPARE(pCurrent(), project);
        QVERIFY(bIsValidInstance(project));
        QVERIFY(standin::testing::vecGetCleanUpCalls().empty());

        driver.closeButton = QDialogButtonBox::Discard;
        m_pWindow->actFileCloseProject->trigger();
        QVERIFY(!bIsValidInstance(project));
        QCOMPARE(pCurrent(), nullptr);
        QCOMPARE(m_pWindow->iGetWidgetsState(), 1);
        QVERIFY(!pGetUserSettings()->contains(QStringLiteral("AutoRecoverFile")));
        QCOMPARE(standin::testing::vecGetCleanUpCalls().size(), size_t(1));
        QCOMPARE(standin::testing::vecGetCleanUpCalls().front().iSave, 0);
    }

    void openingOverAProjectClosesItFirst()
    {
        const QString first = qstrProject(QStringLiteral("one"));
        const QString second = qstrProject(QStringLiteral("two"));
        testenv::DialogDriver driver;
        m_pWindow->sltFileOpenProject(first);
        CW_Instance project = pCurrent();

        driver.closeButton = QDialogButtonBox::Cancel;
        m_pWindow->sltFileOpenProject(second);
        QCOMPARE(pCurrent(), project);
        QVERIFY(bIsValidInstance(project));

        driver.closeButton = QDialogButtonBox::Discard;
        m_pWindow->sltFileOpenProject(second);
        // The engine may hand out the closed project's handle again, so names tell them apart.
        QCOMPARE(standin::testing::vecGetCleanUpCalls().size(), size_t(1));
        QVERIFY(bIsValidInstance(pCurrent()));
        QCOMPARE(qstrGetProjectName(pCurrent()), QFileInfo(second).absoluteFilePath());
    }

    void saveInTheCloseDialogWritesTheProject()
    {
        const QString path = qstrProject(QStringLiteral("saved"));
        testenv::DialogDriver driver;
        m_pWindow->sltFileOpenProject(path);
        CW_Instance project = pCurrent();
        vSetOutputDirectory(project, false, QStringLiteral("Renders"));
        driver.closeButton = QDialogButtonBox::Save;
        QVERIFY(m_pWindow->sltFileCloseProject());
        QVERIFY(!bIsValidInstance(pCurrent()));

        m_pWindow->sltFileOpenProject(path);
        QCOMPARE(qstrGetOutputDirectory(pCurrent()), QStringLiteral("Renders"));
    }

    void closeChoicesAreUsedOnce()
    {
        const QString path = qstrProject(QStringLiteral("once"));
        testenv::DialogDriver driver;
        m_pWindow->sltFileOpenProject(path);
        CW_Instance project = pCurrent();
        CW_BaseClipInfo base = *pcstctGetBaseClipInfo(project, 1);
        CW_ClipInfo rendered = *pcstctGetClipInfo(project, 1);
        rendered.bSourceClip = false;
        const CW_CLIP_ID renderedId = eRegisterBaseClip(project, QStringLiteral("render"), base, rendered);
        vSetProjectHasChanged(project, true);

        // A question without closing: the dialog records its choice, nothing is closed.
        QVERIFY(vCheckAutoRecoverClipFolder(false, QString()));
        QCOMPARE(driver.seen.last().qstrClass, QStringLiteral("frmCloseProject"));
        QVERIFY(bIsValidInstance(project));

        // A close without a dialog of its own (as the relink's checkpoint does) must not
        // reuse that choice: nothing is saved or deleted.
        QVERIFY(bDestroyProject(true));
        const auto calls = standin::testing::vecGetCleanUpCalls();
        QCOMPARE(calls.size(), size_t(1));
        QCOMPARE(calls.front().iSave, 0);
        QVERIFY(calls.front().bRetain);
        QVERIFY(calls.front().vecClips.empty());
        Q_UNUSED(renderedId);
    }

    void discardingHandsCachedRendersToTheEngine_data()
    {
        QTest::addColumn<bool>("changed");
        QTest::addColumn<bool>("retained");
        QTest::newRow("unchanged: retain unticked") << false << false;
        QTest::newRow("changed: retain ticked") << true << true;
    }

    void discardingHandsCachedRendersToTheEngine()
    {
        QFETCH(bool, changed);
        QFETCH(bool, retained);
        const QString path = qstrProject(QStringLiteral("renders"));
        testenv::DialogDriver driver;
        m_pWindow->sltFileOpenProject(path);
        CW_Instance project = pCurrent();
        CW_BaseClipInfo base = *pcstctGetBaseClipInfo(project, 1);
        CW_ClipInfo rendered = *pcstctGetClipInfo(project, 1);
        rendered.bSourceClip = false;
        const CW_CLIP_ID renderedId = eRegisterBaseClip(project, QStringLiteral("render"), base, rendered);
        CW_ClipInfo scratch = rendered;
        scratch.bDisposable = true;
        const CW_CLIP_ID scratchId = eRegisterBaseClip(project, QStringLiteral("scratch"), base, scratch);
        vSetProjectHasChanged(project, changed);

        QVERIFY(m_pWindow->sltFileCloseProject());
        const auto calls = standin::testing::vecGetCleanUpCalls();
        QCOMPARE(calls.size(), size_t(1));
        const auto& clips = calls.front().vecClips;
        QCOMPARE(calls.front().bRetain, retained);
        QVERIFY(std::count(clips.begin(), clips.end(), scratchId) == 1);
        QCOMPARE(std::count(clips.begin(), clips.end(), renderedId) == 1, !retained);
        QVERIFY(std::count(clips.begin(), clips.end(), 1u) == 0);
    }

    // Last: it closes the window.
    void quittingAsksAndCancelKeepsTheWindow()
    {
        const QString path = qstrProject(QStringLiteral("quit"));
        testenv::DialogDriver driver;
        m_pWindow->sltFileOpenProject(path);
        QVERIFY(bIsValidInstance(pCurrent()));
        vSetProjectHasChanged(pCurrent(), true);
        driver.closeButton = QDialogButtonBox::Cancel;
        QVERIFY(!m_pWindow->close());
        QVERIFY(bIsValidInstance(pCurrent()));
        driver.closeButton = QDialogButtonBox::Discard;
        QVERIFY(m_pWindow->close());
        QVERIFY(!bIsValidInstance(pCurrent()));
    }
};

PLINTRA_TEST_MAIN(TstProjectOpener)
#include "tst_projectopener.moc"
