// The relink dialog's merge of new media into a clip and its reopen of the project, and
// the output-folder dialog's modes and OK.
#include "ClipServerFixtures.h"
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "app/CWKCustomEvent.h"
#include "app/OutputFolders.h"
#include "app/ProgramState.h"
#include "clips/frmQXMLNetGetClipWizard.h"
#include "curves/frmCurveEditor.h"
#include "viewer/frmMainGLWidget.h"

#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "clips/RelinkClipDialog.h"
#include "clips/frmChangeDefaultOutputDirectory.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "tolvane.h"
#include "velmor.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileDialog>
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
        standin::testing::vSetOperationDelay("bMoveAllClipsToNewDirectory", 0);
        qslGetReceivedClipFolders().clear();
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

    // A clip whose folder moved away comes back from the clip server: the wizard receives
    // it, the project reopens on the received frames and the viewer shows them.
    void relinkFromTheClipServer()
    {
        const QString first = testenv::qstrWriteSequence(qstrPath("a"), "shot_", 3);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, "shot");
        ProjectManagerInstance::instance()->setInstance(project);
        QVERIFY(QDir().rename(qstrPath("a"), qstrPath("gone")));
        testenv::ClipServerRoot server(qstrPath("root"));
        server.qstrAddClip("studio", "shot", "shot_", 3, QSize(64, 48));
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));

        // A remembered folder: no hint box comes up inside the handler, which runs on the
        // driver's own timer and so could not answer it.
        pGetUserSettings()->setValue("LastQXMLNetSaveClipFolder", qstrPath("received"));
        testenv::DialogDriver driver;
        driver.handler = [&](QWidget* widget) {
            auto* wizard = qobject_cast<frmQXMLNetGetClipWizard*>(widget);
            if (!wizard)
                return false;
            wizard->cboxServer->setCurrentText("studio");
            wizard->btnConnect->click();
            if (!QTest::qWaitFor([&] { return wizard->tblFiles->rowCount() == 1; }, 15000))
                return false;
            wizard->tblFiles_clicked(wizard->tblFiles->item(0, 0));
            wizard->button(QWizard::NextButton)->click();
            wizard->button(QWizard::NextButton)->click();
            if (QTest::qWaitFor([&] { return wizard->button(QWizard::FinishButton)->isEnabled(); }, 15000))
                wizard->button(QWizard::FinishButton)->click();
            else
                wizard->reject();
            return true;
        };
        RelinkClipDialog dialog(m_pWindow, QString(), true, {});
        dialog.setClip(1);
        QVERIFY(dialog.quantelButton->isEnabled());
        QVERIFY(!dialog.quantelButton->icon().isNull());
        dialog.quantelButton->click();
        QVERIFY(g_pClipServerWizard);
        QCOMPARE(g_pClipServerWizard->result(), int(QDialog::Accepted));
        const QString received = qslGetReceivedClipFolders().value(0);
        QVERIFY(QFileInfo(received).isDir());
        QCOMPARE(QDir(dialog.workingClipInfo().qstrFolder), QDir(received));
        QCOMPARE(dialog.workingClipInfo().qstrThirdPart, QStringLiteral(".tif"));
        QCOMPARE(dialog.clipTextBox->text(), QStringLiteral("shot[1...3].tif"));

        dialog.buttonBox->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        CW_Instance reopened = ProjectManagerInstance::instance()->getInstance();
        QVERIFY(bIsValidInstance(reopened));
        QCOMPARE(QDir(pcstctGetClipInfo(reopened, 1)->qstrFolder), QDir(received));
        // The curve editor's time axis follows the reopened clip.
        QVERIFY(g_pCurveEditor);
        QCOMPARE(g_pCurveEditor->fGetPlayLast(), 2.0f);
        QVERIFY(!g_pCurveEditor->bGetInterlaced());
        QCOMPARE(g_pCurveEditor->fGetFrameRate(), pcstctGetBaseClipInfo(reopened, 1)->fFrameRate);

        QCoreApplication::processEvents();
        frmMainGLWidget* viewer = m_pWindow->pGetGLWidget();
        m_pWindow->vFitViewerToClip(reopened);
        for (unsigned int frame : {0u, 2u}) {
            QVERIFY(bMakeFrameCurrent(reopened, frame));
            viewer->updateGL();
            QCoreApplication::processEvents();
            const QColor centre = viewer->grabFramebuffer().pixelColor(viewer->width() / 2, viewer->height() / 2);
            const QColor expected = testenv::qcolFrame(int(frame));
            QVERIFY2(std::abs(centre.red() - expected.red()) < 8 && std::abs(centre.green() - expected.green()) < 8
                    && std::abs(centre.blue() - expected.blue()) < 8,
                qPrintable(centre.name() + " " + expected.name()));
        }
        delete g_pClipServerWizard.data();
        m_pWindow->hide();
    }

    // The typed folder holds no media of the clip: OK says so and the dialog stays, with the
    // project as it was.
    void okAfterAFolderEditWithoutMediaStays()
    {
        const QString first = testenv::qstrWriteSequence(qstrPath("a"), "shot_", 3);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, "shot");
        ProjectManagerInstance::instance()->setInstance(project);
        QDir().mkpath(qstrPath("empty"));
        testenv::DialogDriver driver;
        RelinkClipDialog dialog(m_pWindow, QString(), true, {});
        dialog.setClip(1);
        dialog.folderTextBox->setText(qstrPath("empty"));
        dialog.buttonBox->button(QDialogButtonBox::Ok)->click();
        QVERIFY(dialog.result() != QDialog::Accepted);
        QCOMPARE(driver.qslMessages().size(), 1);
        QVERIFY(driver.qslMessages().first().contains(qstrPath("empty")));
        QCOMPARE(ProjectManagerInstance::instance()->getInstance(), project);
        QCOMPARE(QDir(pcstctGetClipInfo(project, 1)->qstrFolder), QDir(qstrPath("a")));
        QVERIFY(standin::testing::vecGetCleanUpCalls().empty());
    }

    // The new media went away before OK: the reopen fails and the project comes back from
    // its checkpoint, unsaved layer included.
    void aFailedReopenKeepsTheProject()
    {
        const QString first = testenv::qstrWriteSequence(qstrPath("a"), "shot_", 3);
        testenv::qstrWriteSequence(qstrPath("b"), "shot_", 3);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, "shot");
        standin::testing::iAddLayer(project, "unsaved");
        ProjectManagerInstance::instance()->setInstance(project);
        testenv::DialogDriver driver;
        RelinkClipDialog dialog(m_pWindow, QString(), true, {});
        dialog.setClip(1);
        vRelinkTo(dialog, qstrPath("b"));
        QVERIFY(QDir(qstrPath("b")).removeRecursively());
        dialog.buttonBox->button(QDialogButtonBox::Ok)->click();
        QVERIFY(dialog.result() != QDialog::Accepted);
        QCOMPARE(driver.qslMessages().size(), 1);
        QVERIFY2(driver.qslMessages().first().contains("It was reopened as it was before"),
            qPrintable(driver.qslMessages().first()));
        CW_Instance restored = ProjectManagerInstance::instance()->getInstance();
        QVERIFY(bIsValidInstance(restored));
        QCOMPARE(QDir(pcstctGetClipInfo(restored, 1)->qstrFolder), QDir(qstrPath("a")));
        QCOMPARE(pglGetLayerIDList(restored).size(), size_t(1));
        QCOMPARE(qstrGetLayerName(restored, pglGetLayerIDList(restored).front()), QStringLiteral("unsaved"));
    }

    // Neither the new media nor the old can be read: the checkpoint is the project's only
    // copy, so Cancel does not drop it; once media are there again, OK reopens it.
    void cancelNeverDropsTheOnlyCopy()
    {
        const QString first = testenv::qstrWriteSequence(qstrPath("a"), "shot_", 3);
        testenv::qstrWriteSequence(qstrPath("b"), "shot_", 3);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, "shot");
        standin::testing::iAddLayer(project, "unsaved");
        ProjectManagerInstance::instance()->setInstance(project);
        QVERIFY(QDir().rename(qstrPath("a"), qstrPath("gone")));
        testenv::DialogDriver driver;
        // The dialog under test is shown and driven by the test itself.
        driver.handler = [](QWidget* widget) { return qobject_cast<RelinkClipDialog*>(widget) != nullptr; };
        RelinkClipDialog dialog(m_pWindow, QString(), true, {});
        dialog.setClip(1);
        vRelinkTo(dialog, qstrPath("b"));
        QVERIFY(QDir().rename(qstrPath("b"), qstrPath("away")));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.buttonBox->button(QDialogButtonBox::Ok)->click();
        QVERIFY(!bIsValidInstance(ProjectManagerInstance::instance()->getInstance()));
        QVERIFY(dialog.isVisible());
        dialog.buttonBox->button(QDialogButtonBox::Cancel)->click();
        QVERIFY(dialog.isVisible());
        dialog.reject();
        QVERIFY(dialog.isVisible());
        QCOMPARE(driver.qslMessages().size(), 3);
        QVERIFY(driver.qslMessages().last().contains("This dialog keeps it"));

        // The first OK checked the output folder, which made an empty b.
        QVERIFY(QDir(qstrPath("b")).removeRecursively());
        QVERIFY(QDir().rename(qstrPath("away"), qstrPath("b")));
        dialog.buttonBox->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        CW_Instance reopened = ProjectManagerInstance::instance()->getInstance();
        QVERIFY(bIsValidInstance(reopened));
        QCOMPARE(QDir(pcstctGetClipInfo(reopened, 1)->qstrFolder), QDir(qstrPath("b")));
        QCOMPARE(pglGetLayerIDList(reopened).size(), size_t(1));
    }

    // OK moves the rendered clips into the relinked clip's output folder on a worker, and the
    // project is checkpointed only after the move: the reopened project has them there.
    void okWaitsForTheMoveBeforeTheCheckpoint()
    {
        const QString first = testenv::qstrWriteSequence(qstrPath("a"), "shot_", 3);
        testenv::qstrWriteSequence(qstrPath("b"), "shot_", 3);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, "shot");
        vSetOutputDirectory(project, false, "Results");
        testenv::qstrWriteSequence(qstrPath("a/Results"), "out_", 2);
        CW_ClipInfo rendered = *pcstctGetClipInfo(project, 1);
        rendered.qstrFolder = qstrPath("a/Results") + "/";
        rendered.qstrFileName = "out_";
        rendered.iLastFileNumber = 2;
        rendered.bSourceClip = false;
        const CW_CLIP_ID out = eRegisterBaseClip(project, "out", *pcstctGetBaseClipInfo(project, 1), rendered);
        ProjectManagerInstance::instance()->setInstance(project);
        standin::testing::vSetOperationDelay("bMoveAllClipsToNewDirectory", 400);

        testenv::DialogDriver driver;
        RelinkClipDialog dialog(m_pWindow, QString(), true, {});
        dialog.setClip(1);
        dialog.folderTextBox->setText(qstrPath("b"));
        dialog.buttonBox->button(QDialogButtonBox::Ok)->click();
        standin::testing::vSetOperationDelay("bMoveAllClipsToNewDirectory", 0);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY2(driver.seen.isEmpty(), qPrintable(driver.qslMessages().join('|')));
        CW_Instance reopened = ProjectManagerInstance::instance()->getInstance();
        QVERIFY(bIsValidInstance(reopened));
        QCOMPARE(QDir(pcstctGetClipInfo(reopened, out)->qstrFolder), QDir(qstrPath("b/Results")));
        QVERIFY(QFile::exists(qstrPath("b/Results/out_0002.png")));
        QVERIFY(!QFile::exists(qstrPath("a/Results/out_0002.png")));
    }

    // The engine cannot find a clip's file: the main window asks, and Yes runs the dialog.
    void missingFileOffersTheRelink_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("no") << int(QMessageBox::No);
        QTest::newRow("yes") << int(QMessageBox::Yes);
    }

    void missingFileOffersTheRelink()
    {
        QFETCH(int, answer);
        const QString first = testenv::qstrWriteSequence(qstrPath("a"), "shot_", 3);
        CW_Instance project = standin::testing::pCreateProjectFromClip(first, "shot");
        ProjectManagerInstance::instance()->setInstance(project);
        testenv::DialogDriver driver;
        driver.messageButton = QMessageBox::StandardButton(answer);
        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(10300, 1));
        // Every frame of the clip reports it; one question is asked.
        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(10300, 1));
        QTRY_VERIFY(!driver.seen.isEmpty());
        QTest::qWait(100);
        QCOMPARE(driver.qslMessages(), QStringList {"File not found for clip shot\nWould you like to relink the clip?"});
        QStringList classes;
        for (const testenv::SeenDialog& seen : driver.seen)
            classes << seen.qstrClass;
        QCOMPARE(classes.contains("RelinkClipDialog"), answer == QMessageBox::Yes);
    }

    // In tutorial mode Choose starts in the installation folder's tutorials.
    void chooseStartsInTheTutorialsInTutorialMode()
    {
        pGetUserSettings()->setValue("InstallDir", qstrPath("install/"));
        pGetUserSettings()->setValue("LastRelinkClipFolder", qstrPath("last"));
        QDir().mkpath(qstrPath("install/tutorials"));
        QDir().mkpath(qstrPath("last"));
        QStringList folders;
        testenv::DialogDriver driver;
        driver.handler = [&](QWidget* widget) {
            auto* files = qobject_cast<QFileDialog*>(widget);
            if (!files)
                return false;
            folders << files->directory().absolutePath();
            files->reject();
            return true;
        };
        RelinkClipDialog dialog(m_pWindow, QString(), true, {});
        m_pWindow->vSetTutorialMode(true);
        dialog.chooseClipButton->click();
        m_pWindow->vSetTutorialMode(false);
        dialog.chooseClipButton->click();
        pGetUserSettings()->remove("InstallDir");
        pGetUserSettings()->remove("LastRelinkClipFolder");
        QCOMPARE(folders, (QStringList {qstrPath("install/tutorials"), qstrPath("last")}));
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
