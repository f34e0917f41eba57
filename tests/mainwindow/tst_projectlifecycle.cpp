// Creating a project from a clip, saving it, auto-saving it and recovering it, through the
// real main window and new-project dialog over real image files.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include "Murn.h"
#include "Vosk.h"
#include "app/CWKCustomEvent.h"
#include "app/CommandLine.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/Settings.h"
#include "brandor.h"
#include "clips/NewProjectDialog.h"
#include "mainwindow/frmMain.h"
#include "standin/testing.h"
#include "velmor.h"
#include "widgets/CWKLineEditInt.h"
#include "widgets/CWKRecentFilesMenu.h"
#include "widgets/MurnSetter.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMutex>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <memory>

namespace {

QByteArray baRead(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

CW_Instance pCurrent()
{
    return ProjectManagerInstance::instance()->getInstance();
}

// Every file directly in a folder, by name.
QMap<QString, QByteArray> mapFolderFiles(const QString& folder)
{
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, baRead(QDir(folder).filePath(name)));
    return files;
}

// Answers by the box: the question whose text holds the key gets that button.
bool bAnswer(QWidget* widget, const QMap<QString, QMessageBox::StandardButton>& answers)
{
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (!box)
        return false;
    for (auto it = answers.begin(); it != answers.end(); ++it) {
        if (box->text().contains(it.key())) {
            box->button(it.value())->click();
            return true;
        }
    }
    return false;
}

} // namespace

// A layer parameter at 1 that a line edit types into, as the parameter panels do.
struct TypedParameter {
    TypedParameter(QWidget* parent, CW_Instance project)
        : pParameter(pGetLayerParameters(project, standin::testing::iAddLayer(project, QStringLiteral("Layer")))
                         ->pAddNumeric<unsigned int>(QStringLiteral("passes"), 1u, 0u, 10u))
        , edit(std::make_unique<CWKLineEditInt>(parent))
    {
        edit->setText(QStringLiteral("1"));
        updater = makeMurnUpdater<unsigned int>(edit.get(), pParameter, false);
    }
    void vType(const char* text)
    {
        edit->setText(QLatin1String(text));
        QMetaObject::invokeMethod(edit.get(), "valueChanged");
    }
    Murn::NumericParameter<unsigned int>* pParameter;
    // Declared before the updater that watches it, so destroyed after it.
    std::unique_ptr<CWKLineEditInt> edit;
    std::shared_ptr<MurnUpdater> updater;
};

class TestProjectLifecycle : public QObject {
    Q_OBJECT
private:
    frmMain* m_pWindow = nullptr;
    std::unique_ptr<QTemporaryDir> m_pDir;

    // Creates a project over a fresh sequence through the dialog's OK; returns its file.
    QString qstrCreateProject(const QString& prefix = QStringLiteral("shot_"))
    {
        const QString clip = testenv::qstrWriteSequence(m_pDir->path(), prefix, 4);
        NewProjectDialog* dialog = m_pWindow->pGetNewProjectDialog();
        dialog->setClipPath(clip);
        dialog->buttonBox->button(QDialogButtonBox::Ok)->click();
        return dialog->qstrGetProjectFilePath();
    }

private slots:
    void initTestCase()
    {
        pGetUserSettings()->setValue(QStringLiteral("FirstRun"), false);
        m_pWindow = new frmMain();
        m_pWindow->sltConfigureGUI();
    }

    void init()
    {
        m_pDir = std::make_unique<QTemporaryDir>();
        ProjectManagerInstance::instance()->setInstance(nullptr);
        standin::testing::vReset();
        pGetUserSettings()->remove(QStringLiteral("AutoRecoverFile"));
        pGetUserSettings()->setValue(QStringLiteral("AutosaveInterval"), 5);
        pGetUserSettings()->setValue(QStringLiteral("AutosaveEnabled"), true);
        // The preferences store "Results" as the relative output folder; these cases keep the
        // project beside its clip.
        pGetUserSettings()->setValue(QStringLiteral("RelativeOutputDirectory"), QString());
        pGetUserSettings()->setValue(QStringLiteral("OutputDirectoryAbsolutePath"), false);
    }

    void cleanup()
    {
        // Leave no project behind for the next case, without any question.
        if (bIsValidInstance(pCurrent())) {
            testenv::DialogDriver driver;
            vSetProjectHasChanged(pCurrent(), false);
            m_pWindow->sltFileCloseProject();
        }
    }

    void cleanupTestCase()
    {
        delete m_pWindow;
        standin::testing::vReset();
    }

    void namesFromTheClipBaseName_data()
    {
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("projectName");
        QTest::addColumn<QString>("clipName");
        QTest::newRow("trailing underscore") << "shot_" << "shot" << "shot";
        QTest::newRow("two characters, full stop") << "a." << "a" << "a";
        QTest::newRow("one underscore") << "_" << "_" << "New";
        QTest::newRow("only a dash") << "-" << "-" << "New";
        QTest::newRow("empty") << "" << "New" << "New";
        QTest::newRow("one letter") << "x" << "x" << "x";
    }

    void namesFromTheClipBaseName()
    {
        QFETCH(QString, baseName);
        QFETCH(QString, projectName);
        QFETCH(QString, clipName);
        QCOMPARE(NewProjectDialog::qstrDefaultProjectName(baseName), projectName);
        QCOMPARE(NewProjectDialog::qstrEngineClipName(baseName), clipName);
    }

    void createsTheProjectFromTheClip()
    {
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        NewProjectDialog* dialog = m_pWindow->pGetNewProjectDialog();
        QCOMPARE(dialog->projectNameTextbox->text(), QStringLiteral("shot"));
        QCOMPARE(file, m_pDir->filePath(QStringLiteral("shot.pln")));
        QVERIFY(bIsValidInstance(pCurrent()));
        QVERIFY(QFile::exists(file));
        QCOMPARE(qstrGetClipName(pCurrent(), 1), QStringLiteral("shot"));
        QCOMPARE(pcstctGetBaseClipInfo(pCurrent(), 1)->uiGetNumImageFilesInClip(), 4u);
        // Event 4001 prepares the window: the project is named in the title, unchanged.
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        QCOMPARE(m_pWindow->iGetWidgetsState(), 2);
        QVERIFY(m_pWindow->bGetAutoSaveEnabled());
        QVERIFY(m_pWindow->pGetAutoSaveTimer()->isActive());
        QVERIFY(driver.seen.isEmpty());
    }

    void interlaceModeFromTheCombos_data()
    {
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QString>("pulldown");
        QTest::addColumn<int>("mode");
        QTest::addColumn<unsigned>("height");
        QTest::newRow("progressive ignores pulldown") << "Off" << "3:2 Pulldown" << 0 << 48u;
        QTest::newRow("upper fields") << "Upper field first" << "Off" << 1 << 24u;
        QTest::newRow("lower fields") << "Lower field first" << "Off" << 2 << 24u;
        QTest::newRow("upper with pulldown") << "Upper field first" << "3:2 Pulldown" << 7 << 48u;
        QTest::newRow("lower with pulldown") << "Lower field first" << "3:2 Pulldown" << 12 << 48u;
    }

    // Gathering twice, as a second OK after a failed creation does, must not halve a field
    // height twice.
    void interlaceModeFromTheCombos()
    {
        QFETCH(QString, fields);
        QFETCH(QString, pulldown);
        QFETCH(int, mode);
        QFETCH(unsigned, height);
        NewProjectDialog dialog(nullptr, 0);
        dialog.setClipPath(testenv::qstrWriteSequence(m_pDir->path(), QStringLiteral("f_"), 2));
        dialog.separateFieldsCombo->setCurrentText(fields);
        dialog.pulldownCombo->setCurrentText(pulldown);
        QCOMPARE(dialog.pulldownCombo->isEnabled(), fields != QLatin1String("Off"));
        for (int pass = 0; pass < 2; ++pass) {
            dialog.vGatherSettings();
            QCOMPARE(dialog.stctGetBaseClipInfo().iFieldMode, mode);
            QCOMPARE(dialog.stctGetBaseClipInfo().uiHeight, height);
        }
    }

    // The overwrite question comes before the open project is closed: No keeps it open
    // and never shows the close-project question.
    void refusedOverwriteKeepsTheOpenProject()
    {
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        CW_Instance first = pCurrent();
        driver.messageButton = QMessageBox::No;
        m_pWindow->pGetNewProjectDialog()->buttonBox->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(pCurrent(), first);
        QVERIFY(bIsValidInstance(first));
        QCOMPARE(driver.seen.size(), 1);
        QVERIFY(driver.seen.first().qstrText.contains(QStringLiteral("already exists. Overwrite?")));
    }

    void saveWritesTheFileAndClearsTheStar()
    {
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        CW_Instance project = pCurrent();
        vSetClipName(project, 1, QStringLiteral("edited"));
        vSetProjectHasChanged(project, true);
        m_pWindow->vUpdateWindowTitle(project, false);
        QVERIFY(m_pWindow->windowTitle().endsWith(QStringLiteral(" *")));
        m_pWindow->sltFileSaveProject();
        QTRY_VERIFY_WITH_TIMEOUT(!m_pWindow->windowTitle().endsWith(QStringLiteral(" *")), 5000);
        QVERIFY(baRead(file).contains("edited"));
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("AutoRecoverFile")).toString(), file);
        QVERIFY(driver.seen.isEmpty());
    }

    void titleFollowsEdits_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::newRow("in point") << "in point";
        QTest::newRow("out point") << "out point";
        QTest::newRow("parameter typed") << "typed";
        QTest::newRow("parameter changed on an engine thread") << "engine thread";
        QTest::newRow("undo of a change made before the save") << "undo";
        QTest::newRow("redo of a change undone before the save") << "redo";
    }

    // Whatever edit the user makes, the title shows it at once; Save takes the " *" away.
    void titleFollowsEdits()
    {
        QFETCH(QString, edit);
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        CW_Instance project = pCurrent();
        TypedParameter typed(m_pWindow, project);
        auto* parameter = typed.pParameter;
        auto type = [&typed](const char* text) { typed.vType(text); };
        // A change made and saved, for undo and redo to move away from what was written.
        type("2");
        if (edit == QLatin1String("redo"))
            m_pWindow->actEditUndo->trigger();
        m_pWindow->sltFileSaveProject();
        // The save is over once its completion is handled; only then comes the edit.
        QTRY_COMPARE_WITH_TIMEOUT(pGetUserSettings()->value(QStringLiteral("AutoRecoverFile")).toString(), file, 5000);
        QVERIFY(m_pWindow->windowTitle().endsWith(file));

        if (edit == QLatin1String("in point") || edit == QLatin1String("out point")) {
            m_pWindow->sldrFrameNumber->setValue(1);
            (edit == QLatin1String("in point") ? m_pWindow->actSetInPoint : m_pWindow->actSetOutPoint)->trigger();
        } else if (edit == QLatin1String("typed")) {
            type("3");
        } else if (edit == QLatin1String("engine thread")) {
            standin::testing::vCallFromOtherThread([&](CW_CallbackStruct& callbacks) {
                Vosk::CompositeCommand command;
                parameter->setStaticValue(4u, &command);
                callbacks.pfnParameterChange(command, 0.0f, true);
            });
        } else if (edit == QLatin1String("undo")) {
            m_pWindow->actEditUndo->trigger();
        } else if (edit == QLatin1String("redo")) {
            m_pWindow->actEditRedo->trigger();
        }
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file + QStringLiteral(" *")), 5000);

        m_pWindow->actFileSave->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        QVERIFY(!bProjectHasChanged(project));
        QVERIFY(driver.seen.isEmpty());
    }

    // Undo and redo back to what was written leave nothing to save; a change outside the
    // undo history keeps the " *" whatever is undone.
    void undoBackToTheSavedStateClearsTheStar()
    {
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        CW_Instance project = pCurrent();
        TypedParameter typed(m_pWindow, project);
        auto* parameter = typed.pParameter;
        const QString clean = m_pWindow->windowTitle();
        const QString changed = clean + QStringLiteral(" *");
        typed.vType("5");
        QCOMPARE(m_pWindow->windowTitle(), changed);
        m_pWindow->actEditUndo->trigger();
        QCOMPARE(parameter->staticValue(), 1u);
        QCOMPARE(m_pWindow->windowTitle(), clean);
        m_pWindow->actEditRedo->trigger();
        QCOMPARE(m_pWindow->windowTitle(), changed);

        m_pWindow->actFileSave->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_pWindow->windowTitle(), clean, 5000);
        m_pWindow->actEditUndo->trigger();
        QCOMPARE(m_pWindow->windowTitle(), changed);
        m_pWindow->actEditRedo->trigger();
        QCOMPARE(m_pWindow->windowTitle(), clean);

        m_pWindow->sldrFrameNumber->setValue(2);
        m_pWindow->actSetInPoint->trigger();
        QCOMPARE(m_pWindow->windowTitle(), changed);
        m_pWindow->actEditUndo->trigger();
        m_pWindow->actEditRedo->trigger();
        QCOMPARE(m_pWindow->windowTitle(), changed);
        QVERIFY(driver.seen.isEmpty());
    }

    void saveAsAppliesTheProductExtension()
    {
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        const QString chosen = m_pDir->filePath(QStringLiteral("renamed"));
        driver.handler = [&](QWidget* widget) {
            auto* fileDialog = qobject_cast<QFileDialog*>(widget);
            if (!fileDialog)
                return false;
            // The name typed in full, as a user would: no wait on the folder model.
            auto* nameEdit = fileDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!nameEdit)
                return false;
            nameEdit->setText(chosen);
            // done() rather than accept(): accept() checks the name against the folder model,
            // which may still be loading, and then leaves the dialog open.
            static_cast<QDialog*>(fileDialog)->done(QDialog::Accepted);
            return true;
        };
        m_pWindow->sltFileSaveProjectAs();
        const QString written = chosen + QStringLiteral(".pln");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(written), 5000);
        QCOMPARE(qstrGetProjectName(pCurrent()), written);
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(written), 5000);

        // Reopening the file restores the project.
        vSetProjectHasChanged(pCurrent(), false);
        QVERIFY(m_pWindow->sltFileCloseProject());
        QVERIFY(!bIsValidInstance(pCurrent()));
        m_pWindow->sltFileOpenProject(written);
        QTRY_VERIFY_WITH_TIMEOUT(bIsValidInstance(pCurrent()), 5000);
        QCOMPARE(qstrGetClipName(pCurrent(), 1), QStringLiteral("shot"));
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(written), 5000);
    }

    // A save into a read-only folder says so, leaves the file and "AutoRecoverFile" as they
    // were, and leaves no "Saving project..." behind.
    void failedSaveReportsAndLosesNothing()
    {
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        const QByteArray before = baRead(file);
        pGetUserSettings()->setValue(QStringLiteral("AutoRecoverFile"), QStringLiteral("/earlier/project.pln"));
        QFile::setPermissions(m_pDir->path(), QFile::ReadOwner | QFile::ExeOwner);
        standin::testing::vSetReadOnlyFolder(m_pDir->path());
        vSetClipName(pCurrent(), 1, QStringLiteral("unsaved"));
        vSetProjectHasChanged(pCurrent(), true);
        m_pWindow->sltFileSaveProject();
        QTRY_COMPARE_WITH_TIMEOUT(driver.seen.size(), 1, 5000);
        QFile::setPermissions(m_pDir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(driver.seen.first().qstrText.contains(QStringLiteral("could not be saved")));
        QCOMPARE(baRead(file), before);
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("AutoRecoverFile")).toString(),
            QStringLiteral("/earlier/project.pln"));
        auto* status = m_pWindow->pGetStatusBar()->findChild<QLabel*>();
        QVERIFY(status);
        QVERIFY(!status->isVisible() || !status->text().contains(QStringLiteral("Saving")));
        QVERIFY(bProjectHasChanged(pCurrent()));
        QCOMPARE(qstrGetClipName(pCurrent(), 1), QStringLiteral("unsaved"));
    }

    // Saves and auto-saves started while a slow write is under way wait for it.
    void writesOfTheProjectNeverOverlap()
    {
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        standin::testing::vSetProjectWriteDelay(300);
        vSetProjectHasChanged(pCurrent(), true);
        m_pWindow->sltFileSaveProject();
        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(4200, 0));
        m_pWindow->sltFileSaveProject();
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_pDir->filePath(QStringLiteral("shot.autosave.pln"))), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!bProjectHasChanged(pCurrent()), 10000);
        QTest::qWait(700);
        QCOMPARE(standin::testing::iGetMostProjectWritesAtOnce(), 1);
        QVERIFY(driver.seen.isEmpty());
    }

    void autoSaveWritesBesideTheProjectAndKeepsABackup_data()
    {
        QTest::addColumn<int>("writeDelayMs");
        QTest::addColumn<bool>("secondWhileFirstIsWritten");
        QTest::newRow("one after the other") << 0 << false;
        QTest::newRow("second falls due while the first is written") << 400 << true;
    }

    // Two auto-saves with an edit between them: the auto-save file holds the second edit, the
    // backup the first, and the project's own file is left alone. The markers are words no
    // project file holds otherwise.
    void autoSaveWritesBesideTheProjectAndKeepsABackup()
    {
        QFETCH(int, writeDelayMs);
        QFETCH(bool, secondWhileFirstIsWritten);
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        const QByteArray projectBefore = baRead(file);
        const QString autoSave = m_pDir->filePath(QStringLiteral("shot.autosave.pln"));
        const QString backup = m_pDir->filePath(QStringLiteral("shot.autosave-backup.pln"));
        auto* status = m_pWindow->pGetStatusBar()->findChild<QLabel*>();
        QVERIFY(status);
        standin::testing::vSetProjectWriteDelay(writeDelayMs);

        vSetClipName(pCurrent(), 1, QStringLiteral("EditAlphaQ7"));
        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(4200, 0));
        if (secondWhileFirstIsWritten) {
            // The first write has taken its copy and is still under way.
            // On a loaded machine the write may be over before this looks; the case then
            // runs as the one above.
            QTRY_VERIFY_WITH_TIMEOUT(standin::testing::iGetProjectWritesUnderWay() == 1 || QFile::exists(autoSave), 5000);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(
                pGetUserSettings()->value(QStringLiteral("AutoRecoverFile")).toString(), autoSave, 5000);
            QVERIFY(baRead(autoSave).contains("EditAlphaQ7"));
        }
        vSetClipName(pCurrent(), 1, QStringLiteral("EditBetaZ9"));
        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(4200, 0));
        QTRY_VERIFY_WITH_TIMEOUT(baRead(autoSave).contains("EditBetaZ9"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(status->isHidden(), 10000);
        QVERIFY(!baRead(autoSave).contains("EditAlphaQ7"));
        QVERIFY2(baRead(backup).contains("EditAlphaQ7"), "the backup does not hold the first auto-save");
        QCOMPARE(baRead(file), projectBefore);
        QCOMPARE(pGetUserSettings()->value(QStringLiteral("AutoRecoverFile")).toString(), autoSave);
        QCOMPARE(standin::testing::iGetMostProjectWritesAtOnce(), 1);
        standin::testing::vSetProjectWriteDelay(0);

        // Switched off, a due save writes nothing.
        m_pWindow->vSetAutosave(false, 60000);
        QFile::remove(autoSave);
        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(4200, 0));
        QTest::qWait(300);
        QVERIFY(!QFile::exists(autoSave));
        m_pWindow->sltAutoSaveSettingsChanged();
        QVERIFY(m_pWindow->bGetAutoSaveEnabled());
        QVERIFY(driver.seen.isEmpty());
    }

    // A crash stops the auto-save at any step of its write; what it leaves on disk is taken
    // on the writing thread at that step. The next start offers the newest complete
    // auto-save: the one before while the new one is not whole in place, else the new one.
    void autoSaveCutShortStillOffersTheNewestCompleteCopy_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("recovered");
        QTest::newRow("before the new copy is written")
            << int(standin::testing::ProjectWriteStep::Started) << "EditAlphaQ7";
        QTest::newRow("new copy written, not yet in place")
            << int(standin::testing::ProjectWriteStep::NewCopyWritten) << "EditAlphaQ7";
        QTest::newRow("new copy in place") << int(standin::testing::ProjectWriteStep::Replaced) << "EditBetaZ9";
    }

    void autoSaveCutShortStillOffersTheNewestCompleteCopy()
    {
        QFETCH(int, step);
        QFETCH(QString, recovered);
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        const QString autoSave = m_pDir->filePath(QStringLiteral("shot.autosave.pln"));
        vSetClipName(pCurrent(), 1, QStringLiteral("EditAlphaQ7"));
        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(4200, 0));
        QTRY_COMPARE_WITH_TIMEOUT(
            pGetUserSettings()->value(QStringLiteral("AutoRecoverFile")).toString(), autoSave, 5000);
        const QString recoverFile = pGetUserSettings()->value(QStringLiteral("AutoRecoverFile")).toString();

        vSetClipName(pCurrent(), 1, QStringLiteral("EditBetaZ9"));
        QMutex mutex;
        QMap<QString, QByteArray> left;
        bool taken = false;
        standin::testing::vSetProjectWriteHook([&](standin::testing::ProjectWriteStep at, const QString& path) {
            QMutexLocker lock(&mutex);
            if (int(at) == step && path == autoSave && !taken) {
                left = mapFolderFiles(m_pDir->path());
                taken = true;
            }
        });
        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(4200, 0));
        QTRY_VERIFY_WITH_TIMEOUT(baRead(autoSave).contains("EditBetaZ9"), 10000);
        auto* status = m_pWindow->pGetStatusBar()->findChild<QLabel*>();
        QTRY_VERIFY_WITH_TIMEOUT(status->isHidden(), 10000);
        standin::testing::vSetProjectWriteHook({});
        QVERIFY(taken);

        // The next start: the project went without a word, the folder holds what the crash
        // left, and the settings what was stored before it.
        vSetProjectHasChanged(pCurrent(), false);
        QVERIFY(m_pWindow->sltFileCloseProject());
        for (const QString& name : QDir(m_pDir->path()).entryList(QDir::Files | QDir::Hidden))
            QVERIFY(QFile::remove(m_pDir->filePath(name)));
        for (auto it = left.begin(); it != left.end(); ++it) {
            QFile restored(m_pDir->filePath(it.key()));
            QVERIFY(restored.open(QIODevice::WriteOnly) && restored.write(it.value()) == it.value().size());
        }
        pGetUserSettings()->setValue(QStringLiteral("AutoRecoverFile"), recoverFile);
        QCOMPARE(eChooseStartupOpen(CommandLine(), recoverFile), StartupOpen::AutoRecover);
        driver.seen.clear();
        driver.handler = [](QWidget* widget) {
            return bAnswer(widget,
                {{QStringLiteral("Would you like to open your last project?"), QMessageBox::Yes},
                    {QStringLiteral("You have recovered"), QMessageBox::No}});
        };
        m_pWindow->sltAutoRecoverProject(recoverFile);
        QTRY_VERIFY_WITH_TIMEOUT(bIsValidInstance(pCurrent()), 5000);
        QCOMPARE(qstrGetClipName(pCurrent(), 1), recovered);
        QTRY_COMPARE_WITH_TIMEOUT(qstrGetProjectName(pCurrent()), file, 5000);
        QVERIFY(bProjectHasChanged(pCurrent()));
    }

    void openingAProjectOffersItsNewerAutoSave_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("newer");
        QTest::newRow("command line") << "command line" << true << true;
        QTest::newRow("File / Open") << "File / Open" << true << true;
        QTest::newRow("recent files") << "recent files" << true << true;
        QTest::newRow("recent files, offer declined") << "recent files" << false << true;
        QTest::newRow("command line, file saved after the auto-save") << "command line" << true << false;
    }

    // The usual way back after a crash is to open the project again, by any road: an
    // auto-save newer than the file is offered first.
    void openingAProjectOffersItsNewerAutoSave()
    {
        QFETCH(QString, road);
        QFETCH(bool, accept);
        QFETCH(bool, newer);
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        const QString autoSave = m_pDir->filePath(QStringLiteral("shot.autosave.pln"));
        vSetClipName(pCurrent(), 1, QStringLiteral("RecoveredEditK3"));
        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(4200, 0));
        QTRY_VERIFY_WITH_TIMEOUT(baRead(autoSave).contains("RecoveredEditK3"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(
            !pGetUserSettings()->value(QStringLiteral("AutoRecoverFile")).toString().isEmpty(), 5000);
        // The program went without saving; the project file is a minute older than its
        // auto-save, or a minute newer.
        vSetProjectHasChanged(pCurrent(), false);
        QVERIFY(m_pWindow->sltFileCloseProject());
        {
            QFile project(file);
            QVERIFY(project.open(QIODevice::ReadWrite));
            const QDateTime written = QFileInfo(autoSave).lastModified();
            QVERIFY(project.setFileTime(written.addSecs(newer ? -60 : 60), QFileDevice::FileModificationTime));
        }
        driver.seen.clear();
        driver.handler = [&](QWidget* widget) {
            if (auto* dialog = qobject_cast<QFileDialog*>(widget)) {
                auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                if (!nameEdit)
                    return false;
                nameEdit->setText(file);
                static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
                return true;
            }
            return bAnswer(widget,
                {{QStringLiteral("autosaved copy that is newer"), accept ? QMessageBox::Yes : QMessageBox::No},
                    {QStringLiteral("You have recovered"), QMessageBox::No}});
        };

        if (road == QLatin1String("command line")) {
            CommandLine commandLine;
            commandLine.qstrProject = file;
            QCOMPARE(eChooseStartupOpen(commandLine, QString()), StartupOpen::Project);
            m_pWindow->sltFileOpenProject(commandLine.qstrProject);
        } else if (road == QLatin1String("File / Open")) {
            m_pWindow->actFileOpenProject->trigger();
        } else {
            QAction* recent = nullptr;
            for (QAction* action : m_pWindow->pGetRecentFilesMenu()->actions()) {
                if (action->isVisible() && action->data().toString() == file)
                    recent = action;
            }
            QVERIFY(recent);
            recent->trigger();
        }
        QTRY_VERIFY_WITH_TIMEOUT(bIsValidInstance(pCurrent()), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().contains(file), 5000);
        QList<testenv::SeenDialog> offers;
        for (const testenv::SeenDialog& seen : driver.seen) {
            if (seen.qstrText.contains(QStringLiteral("autosaved copy that is newer")))
                offers << seen;
        }
        if (!newer) {
            QVERIFY(offers.isEmpty());
            QCOMPARE(qstrGetClipName(pCurrent(), 1), QStringLiteral("shot"));
            return;
        }
        QCOMPARE(offers.size(), 1);
        QVERIFY(offers.first().qstrText.contains(autoSave));
        QCOMPARE(offers.first().qstrTitle, QStringLiteral("Auto recover project -- Plintra"));
        QTRY_COMPARE_WITH_TIMEOUT(qstrGetProjectName(pCurrent()), file, 5000);
        QCOMPARE(qstrGetClipName(pCurrent(), 1), accept ? QStringLiteral("RecoveredEditK3") : QStringLiteral("shot"));
        QCOMPARE(m_pWindow->windowTitle().endsWith(QStringLiteral(" *")), accept);
    }

    void autoSaveSuffixIsStrippedOnlyFromTheFileName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("original");
        QTest::newRow("auto-save") << "/p/shot.autosave.pln" << "/p/shot.pln";
        QTest::newRow("backup") << "/p/shot.autosave-backup.pln" << "/p/shot.pln";
        QTest::newRow("folder named so") << "/p/x.autosave.pln/shot.pln" << "/p/x.autosave.pln/shot.pln";
        QTest::newRow("folder ending so") << "/p/old.autosave/shot.pln" << "/p/old.autosave/shot.pln";
        QTest::newRow("inside the name") << "/p/a.autosave.b.pln" << "/p/a.autosave.b.pln";
        QTest::newRow("only the suffix") << "/p/.autosave.pln" << "/p/.autosave.pln";
        QTest::newRow("plain") << "/p/shot.pln" << "/p/shot.pln";
    }

    void autoSaveSuffixIsStrippedOnlyFromTheFileName()
    {
        QFETCH(QString, path);
        QFETCH(QString, original);
        QCOMPARE(frmMain::qstrStripAutoSaveSuffix(path), original);
    }

    // Opening an auto-save file points the project back at its own file and asks.
    void openingAnAutoSaveRecoversTheProject()
    {
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        vSetClipName(pCurrent(), 1, QStringLiteral("recovered"));
        QCoreApplication::postEvent(m_pWindow, new CWKCustomEvent(4200, 0));
        const QString autoSave = m_pDir->filePath(QStringLiteral("shot.autosave.pln"));
        QTRY_VERIFY_WITH_TIMEOUT(baRead(autoSave).contains("recovered"), 5000);
        vSetProjectHasChanged(pCurrent(), false);
        QVERIFY(m_pWindow->sltFileCloseProject());

        driver.messageButton = QMessageBox::No;
        m_pWindow->sltFileOpenProject(autoSave);
        QTRY_VERIFY_WITH_TIMEOUT(bIsValidInstance(pCurrent()), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!driver.seen.isEmpty(), 5000);
        QVERIFY(driver.seen.last().qstrText.contains(QStringLiteral("You have recovered an autosaved project")));
        QCOMPARE(qstrGetProjectName(pCurrent()), file);
        QCOMPARE(qstrGetClipName(pCurrent(), 1), QStringLiteral("recovered"));
        m_pWindow->sltFileSaveProject();
        QTRY_VERIFY_WITH_TIMEOUT(baRead(file).contains("recovered"), 5000);
    }

    void closeAsksOnlyWhenThereIsSomethingToLose()
    {
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        // The built-in clips every project holds are no change of the user's.
        QVERIFY(pglGetClipList(pCurrent()).size() > 1);
        QVERIFY(m_pWindow->sltFileCloseProject());
        QVERIFY(driver.seen.isEmpty());
        QVERIFY(!bIsValidInstance(pCurrent()));
        QVERIFY(!m_pWindow->windowTitle().contains(QStringLiteral(" - ")));
    }

    void failedSaveAtCloseKeepsTheProjectOpen_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<bool>("neverSaved");
        for (const char* road : {"quit", "File / Close", "File / New"}) {
            QTest::addRow("%s, folder not writable", road) << road << false;
            QTest::addRow("%s, never saved", road) << road << true;
        }
    }

    // Save chosen in the close question, and the save cannot be written: the error is
    // shown, and the program and the project stay, changed, with the edit in it. The folder
    // is made immutable, which binds the superuser too.
    void failedSaveAtCloseKeepsTheProjectOpen()
    {
        QFETCH(QString, road);
        QFETCH(bool, neverSaved);
        testenv::DialogDriver driver;
        driver.closeButton = QDialogButtonBox::Save;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        CW_Instance project = pCurrent();
        TypedParameter typed(m_pWindow, project);
        typed.vType("7");
        emit typed.edit->editingFinished();
        QCOMPARE(typed.pParameter->valueAt(0.0f), 7u);
        vSetPlaybackOutPoint(project, 2);
        const QByteArray before = baRead(file);
        std::unique_ptr<testenv::ImmutableFolder> locked;
        if (neverSaved) {
            standin::testing::vSetProjectFilePath(project, QString());
        } else {
            locked = std::make_unique<testenv::ImmutableFolder>(m_pDir->path());
            if (!locked->bSet())
                QSKIP(qPrintable(locked->qstrWhy()));
        }
        m_pWindow->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_pWindow));
        // File / Close says whether it closed; the window's close and File / New go by it.
        auto close = [&] {
            if (road == QLatin1String("quit"))
                m_pWindow->actFileExit->trigger();
            else if (road == QLatin1String("File / New"))
                m_pWindow->actFileNewProject->trigger();
            else
                return m_pWindow->sltFileCloseProject();
            return !bIsValidInstance(project);
        };
        driver.seen.clear();

        QVERIFY(!close());

        QCOMPARE(driver.seen.size(), 2);
        QCOMPARE(driver.seen.at(0).qstrClass, QStringLiteral("frmCloseProject"));
        QCOMPARE(driver.seen.at(1).qstrClass, QStringLiteral("QMessageBox"));
        QVERIFY2(driver.seen.at(1).qstrText.contains(
                     neverSaved ? QStringLiteral("never been saved") : QStringLiteral("could not be written")),
            qPrintable(driver.seen.at(1).qstrText));
        QVERIFY(m_pWindow->isVisible());
        QCOMPARE(pCurrent(), project);
        QVERIFY(bIsValidInstance(project));
        QVERIFY(bProjectHasChanged(project));
        QCOMPARE(typed.pParameter->valueAt(0.0f), 7u);
        QVERIFY(m_pWindow->windowTitle().endsWith(QStringLiteral(" *")));
        QCOMPARE(m_pWindow->iGetWidgetsState(), 2);
        QVERIFY(m_pWindow->bGetAutoSaveEnabled());
        QCOMPARE(baRead(file), before);

        // Once the folder can be written again, the same close saves the edit and goes.
        locked.reset();
        if (!neverSaved && road != QLatin1String("File / New")) {
            driver.seen.clear();
            QVERIFY(close());
            QVERIFY(baRead(file).contains("\nout_point=2\n"));
            QCOMPARE(driver.seen.size(), 1);
        }
        m_pWindow->hide();
    }

    void autoSaveIsArmedAgainAfterACancelledClose()
    {
        testenv::DialogDriver driver;
        const QString file = qstrCreateProject();
        QTRY_VERIFY_WITH_TIMEOUT(m_pWindow->windowTitle().endsWith(file), 5000);
        vSetProjectHasChanged(pCurrent(), true);
        driver.closeButton = QDialogButtonBox::Cancel;
        QVERIFY(!m_pWindow->sltFileCloseProject());
        QVERIFY(bIsValidInstance(pCurrent()));
        QVERIFY(m_pWindow->bGetAutoSaveEnabled());
        QVERIFY(m_pWindow->pGetAutoSaveTimer()->isActive());

        // Cancelling the close inside File / New keeps the project and its auto-save too.
        m_pWindow->sltFileNewProject();
        QVERIFY(bIsValidInstance(pCurrent()));
        QVERIFY(m_pWindow->bGetAutoSaveEnabled());
        driver.closeButton = QDialogButtonBox::Discard;
    }
};

PLINTRA_TEST_MAIN(TestProjectLifecycle)
#include "tst_projectlifecycle.moc"
