// The real program on a clip: the new-project dialog creates the project, the user moves the
// out point, auto-save writes its copy, the process is killed outright, and the next start
// offers the copy back with the edit in it.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"
#include "XcbDriver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>

#include <xcb/xcb.h>

#include <csignal>
#include <functional>

using namespace xdriver;

class TestRecovery : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_home;

    QProcessEnvironment environment() const
    {
        return envOwnHome(m_home.path());
    }

    QString settingsFile() const
    {
        return m_home.filePath(QStringLiteral("config/Corvane Works Ltd/Plintra.conf"));
    }

private slots:
    void killedProgramOffersItsAutoSaveAtTheNextStart()
    {
        QVERIFY(m_home.isValid());
        const xcb_keycode_t enter = uiKeycode(0xff0d);
        const xcb_keycode_t yes = uiKeycode(0x79);
        const xcb_keycode_t no = uiKeycode(0x6e);
        const xcb_keycode_t o = uiKeycode(0x6f);
        const xcb_keycode_t s = uiKeycode(0x73);
        if (!enter || !yes || !no || !o || !s)
            QSKIP("the X server maps no Return, y, n, o or s key");
        {
            QSettings settings(settingsFile(), QSettings::IniFormat);
            settings.setValue(QStringLiteral("FirstRun"), false);
            settings.setValue(QStringLiteral("update/auto"), false);
            // The shortest interval the preferences accept: the edit reaches the auto-save
            // within a minute of the project's creation.
            settings.setValue(QStringLiteral("AutosaveInterval"), 1);
            // The project beside its clip rather than in a "Results" folder.
            settings.setValue(QStringLiteral("RelativeOutputDirectory"), QString());
        }
        const QString clipFolder = m_home.filePath(QStringLiteral("plates"));
        QDir().mkpath(clipFolder);
        const QString clip = testenv::qstrWriteSequence(clipFolder, QStringLiteral("shot_"), 3);
        const QString projectFile = clipFolder + QStringLiteral("/shot.pln");
        const QString autoSave = clipFolder + QStringLiteral("/shot.autosave.pln");

        QProcess first;
        first.setProcessEnvironment(environment());
        first.setProcessChannelMode(QProcess::ForwardedChannels);
        first.start(QStringLiteral(PLINTRA_BINARY), {clip});
        QVERIFY(first.waitForStarted(10000));
        const quint32 dialog = uiWaitForWindow(QStringLiteral("New Project"), 60000);
        QVERIFY2(dialog, "the clip did not open the new-project dialog");
        const auto created = [&] { return QFile::exists(projectFile); };
        QVERIFY2(
            bPressUntil(dialog, enter, created, 90000), "Return in the new-project dialog created no project file");
        const QString title = QStringLiteral("Plintra 2.0 - ") + projectFile;
        const QString changedTitle = title + QStringLiteral(" *");
        const quint32 window = uiWaitForWindow(title, 30000);
        QVERIFY(window);
        QString seen;
        QVERIFY2(bWaitForTitle(window, title, 30000, seen),
            qPrintable(QStringLiteral("a new project is not saved-looking: ") + seen));
        // The edit: Shift+O puts the out point on the current frame, the first; the clip's
        // last frame was the out point, and the project file says so. The " *" shows that the
        // key landed, so a later press never falls on a control it no longer belongs to.
        const QByteArray editedOut = "\nout_point=0\n";
        QVERIFY(!baRead(projectFile).contains(editedOut));
        const auto edited = [&] { return qstrWindowTitle(window) == changedTitle; };
        QVERIFY2(bPressUntil(window, o, edited, 90000, kuiShift, true),
            qPrintable(QStringLiteral("Shift+O set no out point; the title is ") + qstrWindowTitle(window)));
        QTRY_VERIFY2_WITH_TIMEOUT(baRead(autoSave).contains(editedOut),
            qPrintable(
                QStringLiteral("the out point never reached the auto-save:\n") + QString::fromUtf8(baRead(autoSave))),
            120000);
        QTRY_VERIFY_WITH_TIMEOUT(
            QSettings(settingsFile(), QSettings::IniFormat).value(QStringLiteral("AutoRecoverFile")).toString() == autoSave,
            30000);
        QVERIFY2(!baRead(projectFile).contains(editedOut), "auto-save wrote into the project file");

        ::kill(pid_t(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitStatus(), QProcess::CrashExit);

        QProcess second;
        second.setProcessEnvironment(environment());
        second.setProcessChannelMode(QProcess::ForwardedChannels);
        second.start(QStringLiteral(PLINTRA_BINARY), {});
        QVERIFY(second.waitForStarted(10000));
        const quint32 offer = uiWaitForWindow(QStringLiteral("Auto recover project"), 60000);
        QVERIFY2(offer, "no recovery offer at the next start");
        const auto warned = [] { return bWindowListed(QStringLiteral("Autosave project")); };
        QVERIFY2(bPressUntil(offer, yes, warned, 90000), "opening the auto-save gave no warning");
        const quint32 warning = uiWaitForWindow(QStringLiteral("Autosave project"), 30000);
        QVERIFY(warning);
        const auto answered = [&] { return !warned(); };
        QVERIFY2(bPressUntil(warning, no, answered, 90000), "the recovery warning did not close on No");
        // The recovered copy stands for the project file it was written for, with changes to
        // save; saving it puts the edit into that file, and the " *" goes once it is written.
        const quint32 recovered = uiWaitForWindow(title, 30000);
        QVERIFY(recovered);
        QVERIFY2(bWaitForTitle(recovered, changedTitle, 30000, seen),
            qPrintable(QStringLiteral("the recovered project does not show its unsaved changes: ") + seen));
        const auto saved = [&] { return qstrWindowTitle(recovered) == title; };
        QVERIFY2(bPressUntil(recovered, s, saved, 90000, kuiControl, true),
            qPrintable(QStringLiteral("Ctrl+S did not save the recovered project; the title is ")
                + qstrWindowTitle(recovered)));
        QVERIFY2(baRead(projectFile).contains(editedOut),
            qPrintable(QStringLiteral("the saved project lost the edit:\n") + QString::fromUtf8(baRead(projectFile))));

        second.kill();
        QVERIFY(second.waitForFinished(10000));
    }
};

PLINTRA_TEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
