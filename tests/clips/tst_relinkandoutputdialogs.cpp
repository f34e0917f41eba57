// The relink dialog's merge of new media into a clip and its reopen of the project, and
// the output-folder dialog's modes and OK.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "clips/RelinkClipDialog.h"
#include "clips/frmChangeDefaultOutputDirectory.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "tolvane.h"
#include "velmor.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSettings>

class TstRelinkAndOutputDialogs : public QObject {
    Q_OBJECT

private:
    frmMain* m_pWindow = nullptr;
    std::unique_ptr<QTemporaryDir> m_pDir;
    QString qstrPath(const QString& name) const { return QDir(m_pDir->path()).filePath(name); }

    // Relinks a clip description to the media folder by typing the folder.
    void vRelinkTo(RelinkClipDialog& dialog, const QString& folder)
    {
        dialog.folderTextBox->setText(folder);
        dialog.on_clipTextBox_editingFinished();
    }

private slots:
    void initTestCase()
    {
        pGetUserSettings()->setValue(QStringLiteral("FirstRun"), false);
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
    }
    void cleanupTestCase() { delete m_pWindow; }
    void init() { m_pDir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        standin::testing::vReset();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        pGetUserSettings()->remove("AbsoluteOutputDirectory");
        pGetUserSettings()->remove("RelativeOutputDirectory");
    }

    void clipNames_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << ""
                               << "New";
        QTest::newRow("full stop") << "."
                                   << "New";
        QTest::newRow("underscore") << "_"
                                    << "New";
        QTest::newRow("letter") << "a"
                                << "a";
        QTest::newRow("trailing full stop") << "take1."
                                            << "take1";
        QTest::newRow("underscore kept") << "shot_"
                                         << "shot_";
    }

    void clipNames()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, name);
        QCOMPARE(clipNameFromPrefix(prefix), name);
    }

    void mergeScalesSizeAndMargins_data()
    {
        QTest::addColumn<int>("proxy");
        QTest::addColumn<int>("fieldMode");
        QTest::addColumn<int>("oldWidth");
        QTest::addColumn<int>("oldHeight");
        QTest::addColumn<int>("mediaWidth");
        QTest::addColumn<int>("mediaHeight");
        QTest::addColumn<int>("newWidth");
        QTest::addColumn<int>("newHeight");
        QTest::addColumn<int>("newTop");
        QTest::newRow("half-resolution proxy") << 1 << 0 << 960 << 540 << 480 << 270 << 960 << 540 << 20;
        QTest::newRow("interlaced, progressive media") << 0 << 1 << 720 << 243 << 720 << 720 << 720 << 360 << 30;
        QTest::newRow("twice the size") << 0 << 0 << 100 << 50 << 200 << 100 << 200 << 100 << 40;
    }

    void mergeScalesSizeAndMargins()
    {
        QFETCH(int, proxy);
        QFETCH(int, fieldMode);
        QFETCH(int, oldWidth);
        QFETCH(int, oldHeight);
        QFETCH(int, mediaWidth);
        QFETCH(int, mediaHeight);
        QFETCH(int, newWidth);
        QFETCH(int, newHeight);
        QFETCH(int, newTop);
        const QString media = qstrPath("media");
        testenv::qstrWriteSequence(media, "shot_", 2, mediaWidth, mediaHeight);
        CW_BaseClipInfo base;
        base.uiWidth = unsigned(oldWidth);
        base.uiHeight = unsigned(oldHeight);
        base.iFieldMode = fieldMode;
        base.uiBorderTop = 20;
        base.dFrameAspectRatio = 16.0 / 9.0;
        CW_ClipInfo clip;
        clip.qstrFolder = qstrPath("old");
        clip.qstrFileName = "shot_";
        clip.qstrThirdPart = ".png";
        clip.iFirstFileNumber = 1;
        clip.iLastFileNumber = 9;
        clip.iThirdNumber = 4;
        clip.iProxyResolution = proxy;
        RelinkClipDialog dialog(nullptr, QString(), true, {});
        dialog.setClipInfo(base, clip);
        QCOMPARE(dialog.clipTextBox->text(), QStringLiteral("shot_[1...9].png"));
        vRelinkTo(dialog, media);
        QCOMPARE(int(dialog.workingBaseInfo().uiWidth), newWidth);
        QCOMPARE(int(dialog.workingBaseInfo().uiHeight), newHeight);
        QCOMPARE(int(dialog.workingBaseInfo().uiBorderTop), newTop);
        QCOMPARE(dialog.workingClipInfo().iLastFileNumber, 2);
        QCOMPARE(dialog.lastFrameTextBox->maximum(), 2);
        QVERIFY(dialog.buttonBox->button(QDialogButtonBox::Ok)->isEnabled());
    }

    void renderedClipKeepsItsRangeAndSize()
    {
        const QString media = qstrPath("media");
        testenv::qstrWriteSequence(media, "out_", 2, 30, 20);
        CW_BaseClipInfo base;
        base.uiWidth = 60;
        base.uiHeight = 40;
        CW_ClipInfo clip;
        clip.qstrFolder = qstrPath("old");
        clip.qstrFileName = "out_";
        clip.qstrThirdPart = ".png";
        clip.iFirstFileNumber = 1;
        clip.iLastFileNumber = 5;
        clip.iThirdNumber = 4;
        clip.bSourceClip = false;
        RelinkClipDialog dialog(nullptr, QString(), true, {});
        dialog.setClipInfo(base, clip);
        vRelinkTo(dialog, media);
        QCOMPARE(dialog.workingClipInfo().qstrFolder, QDir(media).absolutePath() + "/");
        QCOMPARE(dialog.workingClipInfo().iLastFileNumber, 5);
        QCOMPARE(dialog.workingBaseInfo().uiWidth, 60u);
        QVERIFY(!dialog.firstFrameTextBox->isEnabled());
    }

    void unreadableFolderDisablesOkUntilMediaAreFound()
    {
        const QString media = qstrPath("media");
        testenv::qstrWriteSequence(media, "shot_", 2);
        CW_ClipInfo clip;
        clip.qstrFileName = "shot_";
        clip.qstrThirdPart = ".png";
        clip.iFirstFileNumber = 1;
        clip.iThirdNumber = 4;
        RelinkClipDialog dialog(nullptr, QString(), true, {});
        dialog.setClipInfo(CW_BaseClipInfo(), clip);
        vRelinkTo(dialog, qstrPath("nowhere"));
        QVERIFY(!dialog.buttonBox->button(QDialogButtonBox::Ok)->isEnabled());
        vRelinkTo(dialog, media);
        QVERIFY(dialog.buttonBox->button(QDialogButtonBox::Ok)->isEnabled());
    }

    void relinkingAClipOfTheOpenProjectReopensIt()
    {
        const QString first = testenv::qstrWriteSequence(qstrPath("a"), "shot_", 3);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, "shot");
        standin::testing::vSetProjectFilePath(project, qstrPath("p.pln"));
        ProjectManagerInstance::instance()->setInstance(project);
        QVERIFY(QDir().rename(qstrPath("a"), qstrPath("b")));

        testenv::DialogDriver driver;
        RelinkClipDialog dialog(m_pWindow, QString(), true, {});
        dialog.setClip(1);
        dialog.folderTextBox->setText(qstrPath("b"));
        dialog.buttonBox->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY2(driver.seen.isEmpty(), qPrintable(driver.qslMessages().join('|')));
        CW_Instance reopened = ProjectManagerInstance::instance()->getInstance();
        QVERIFY(bIsValidInstance(reopened));
        QCOMPARE(QDir(pcstctGetClipInfo(reopened, 1)->qstrFolder), QDir(qstrPath("b")));
        QCOMPARE(pGetProjectManager(reopened)->qstrGetProjectFilePath(), qstrPath("p.pln"));
        QVERIFY(bProjectHasChanged(reopened));
        // The project was closed for the reopen without saving or deleting anything.
        const auto calls = standin::testing::vecGetCleanUpCalls();
        QCOMPARE(calls.size(), size_t(1));
        QCOMPARE(calls.front().iSave, 0);
        QVERIFY(calls.front().vecClips.empty());
    }

    void outputDialogRelativeMode()
    {
        pGetUserSettings()->setValue("AbsoluteOutputDirectory", "/offered");
        frmChangeDefaultOutputDirectory dialog;
        dialog.vReset(false, "Results", "/F/", false);
        QVERIFY(dialog.rbtnOutputDirectoryRelativePath->isChecked());
        QCOMPARE(dialog.edtOutputDirectory->text(), QStringLiteral("Results"));
        QCOMPARE(dialog.edtAbsoluteProjectPath->text(), QStringLiteral("/F/Results"));
        QVERIFY(!dialog.btnOutputDirectoryShowFileDialog->isEnabled());
        QVERIFY(dialog.btnOK->isEnabled());

        dialog.rbtnOutputDirectoryAbsolutePath->click();
        QCOMPARE(dialog.edtOutputDirectory->text(), QStringLiteral("/offered"));
        QVERIFY(dialog.btnOutputDirectoryShowFileDialog->isEnabled());
        dialog.edtOutputDirectory->setText("/typed");
        dialog.rbtnOutputDirectoryRelativePath->click();
        QCOMPARE(dialog.edtOutputDirectory->text(), QStringLiteral("Results"));
        dialog.edtOutputDirectory->setText("Other");
        dialog.rbtnOutputDirectoryAbsolutePath->click();
        QCOMPARE(dialog.edtOutputDirectory->text(), QStringLiteral("/typed"));
        dialog.rbtnOutputDirectoryRelativePath->click();
        QCOMPARE(dialog.edtOutputDirectory->text(), QStringLiteral("Other"));
        QCOMPARE(dialog.edtAbsoluteProjectPath->text(), QStringLiteral("/F/Other"));
    }

    void outputDialogAbsoluteModeWithoutSettings()
    {
        frmChangeDefaultOutputDirectory dialog;
        dialog.vReset(true, "/abs", "/F/", false);
        QVERIFY(dialog.rbtnOutputDirectoryAbsolutePath->isChecked());
        QCOMPARE(dialog.edtAbsoluteProjectPath->text(), QStringLiteral("/abs"));
        QVERIFY(dialog.btnOutputDirectoryShowFileDialog->isEnabled());
        dialog.rbtnOutputDirectoryRelativePath->click();
        QCOMPARE(dialog.edtOutputDirectory->text(), QString());
    }

    void outputDialogOkSetsTheFolderAndMovesWhenAsked_data()
    {
        QTest::addColumn<bool>("move");
        QTest::newRow("from the Clip page") << true;
        QTest::newRow("from the opener") << false;
    }

    void outputDialogOkSetsTheFolderAndMovesWhenAsked()
    {
        QFETCH(bool, move);
        const QString first = testenv::qstrWriteSequence(qstrPath("media"), "shot_", 2);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, "shot");
        const QString renderFirst = testenv::qstrWriteSequence(qstrPath("renders"), "out_", 2);
        CW_ClipInfo rendered = *pcstctGetClipInfo(project, 1);
        rendered.qstrFolder = qstrPath("renders") + "/";
        rendered.qstrFileName = "out_";
        rendered.iLastFileNumber = 2;
        rendered.bSourceClip = false;
        eRegisterBaseClip(project, "out", *pcstctGetBaseClipInfo(project, 1), rendered);
        ProjectManagerInstance::instance()->setInstance(project);

        testenv::DialogDriver driver;
        frmChangeDefaultOutputDirectory dialog(m_pWindow);
        dialog.vReset(false, "Results", qstrPath("media").toUtf8().constData(), move);
        dialog.btnOK->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(driver.seen.isEmpty());
        QCOMPARE(qstrGetOutputDirectory(project), QStringLiteral("Results"));
        QVERIFY(!bGetOutputDirectoryAbsolute(project));
        QVERIFY(QFileInfo(qstrPath("media/Results")).isDir());
        QCOMPARE(QFile::exists(qstrPath("media/Results/out_0002.png")), move);
        QCOMPARE(QFile::exists(renderFirst), !move);
        QVERIFY(QFile::exists(first));
    }

    void outputDialogStaysOpenOnAnUnusableFolder()
    {
        CW_Instance project = standin::testing::pCreateProject();
        ProjectManagerInstance::instance()->setInstance(project);
        testenv::DialogDriver driver;
        frmChangeDefaultOutputDirectory dialog;
        dialog.vReset(true, "/nonexistent-parent/x", "", false);
        dialog.btnOK->click();
        QVERIFY(dialog.result() != QDialog::Accepted);
        QCOMPARE(driver.seen.size(), 1);
        QCOMPARE(qstrGetOutputDirectory(project), QString());
    }
};

PLINTRA_TEST_MAIN(TstRelinkAndOutputDialogs)
#include "tst_relinkandoutputdialogs.moc"
