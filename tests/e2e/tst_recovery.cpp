// The real program on a clip: the new-project dialog creates the project, auto-save writes
// its copy, the process is killed outright, and the next start offers the copy back.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>

#include <xcb/xcb.h>

#include <csignal>
#include <functional>
#include <cstring>

namespace {

QString qstrWindowTree()
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    xwininfo.waitForFinished(10000);
    return QString::fromLocal8Bit(xwininfo.readAllStandardOutput());
}

// The id of a window whose title contains the text; 0 when none appears in time.
quint32 uiWaitForWindow(const QString& titlePart, int timeoutMs)
{
    const QRegularExpression line(QStringLiteral("^\\s*(0x[0-9a-f]+) \"([^\"]*)\""), QRegularExpression::MultilineOption);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        auto matches = line.globalMatch(qstrWindowTree());
        while (matches.hasNext()) {
            const auto match = matches.next();
            if (match.captured(2).contains(titlePart))
                return match.captured(1).toUInt(nullptr, 16);
        }
        QTest::qWait(200);
    }
    return 0;
}

// Gives a window of the program under test the keyboard focus.
bool bFocusWindow(quint32 window)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (!connection || xcb_connection_has_error(connection))
        return false;
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    xcb_flush(connection);
    xcb_disconnect(connection);
    return true;
}

// Presses and releases one key in a window of the program under test.
bool bSendKey(quint32 window, xcb_keycode_t keycode)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (!connection || xcb_connection_has_error(connection))
        return false;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    for (const uint8_t type : {uint8_t(XCB_KEY_PRESS), uint8_t(XCB_KEY_RELEASE)}) {
        xcb_key_press_event_t event;
        std::memset(&event, 0, sizeof event);
        event.response_type = type;
        event.detail = keycode;
        event.time = XCB_CURRENT_TIME;
        event.root = screen->root;
        event.event = window;
        event.same_screen = 1;
        xcb_send_event(connection, 0, window,
            type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
            reinterpret_cast<const char*>(&event));
    }
    xcb_flush(connection);
    xcb_disconnect(connection);
    return true;
}

// The server's keycode of a key symbol (Return 0xff0d, y 0x79, n 0x6e); 0 when unmapped.
xcb_keycode_t uiKeycode(quint32 keysym)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (!connection || xcb_connection_has_error(connection))
        return 0;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr);
    xcb_keycode_t found = 0;
    if (reply) {
        const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(reply);
        for (int code = 0; code < count && !found; ++code) {
            if (symbols[code * reply->keysyms_per_keycode] == keysym)
                found = xcb_keycode_t(setup->min_keycode + code);
        }
        free(reply);
    }
    xcb_disconnect(connection);
    return found;
}

// Focuses the window and presses the key until the outcome shows, at most timeoutMs. On a
// loaded machine the program can drop a synthetic key while its window focus settles, so one
// press is not enough; a press only repeats while the outcome is still missing.
bool bPressUntil(quint32 window, xcb_keycode_t keycode, const std::function<bool()>& outcome, int timeoutMs)
{
    if (!bFocusWindow(window))
        return false;
    QTest::qWait(300);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (!bSendKey(window, keycode))
            return false;
        for (int i = 0; i < 20; ++i) {
            if (outcome())
                return true;
            QTest::qWait(100);
        }
    }
    return outcome();
}

bool bWindowListed(const QString& titlePart)
{
    return qstrWindowTree().contains(QLatin1Char('"') + titlePart);
}

} // namespace

class TestRecovery : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_home;

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), m_home.filePath(QStringLiteral("system-config")));
        env.insert(QStringLiteral("TMPDIR"), m_home.path());
        env.insert(QStringLiteral("TMP"), m_home.path());
        return env;
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
        if (!enter || !yes || !no)
            QSKIP("the X server maps no Return, y or n key");
        {
            QSettings settings(settingsFile(), QSettings::IniFormat);
            settings.setValue(QStringLiteral("FirstRun"), false);
            settings.setValue(QStringLiteral("update/auto"), false);
            // A little over a second, so the test need not wait minutes.
            settings.setValue(QStringLiteral("AutosaveInterval"), 0.02);
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
        QVERIFY(bPressUntil(dialog, enter, [&] { return QFile::exists(projectFile); }, 60000));
        QVERIFY(uiWaitForWindow(QStringLiteral("Plintra 2.0 - ") + projectFile, 30000));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(autoSave), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(
            QSettings(settingsFile(), QSettings::IniFormat).value(QStringLiteral("AutoRecoverFile")).toString() == autoSave,
            30000);

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
        QVERIFY2(bPressUntil(offer, yes, [] { return bWindowListed(QStringLiteral("Autosave project")); }, 60000),
                 "opening the auto-save gave no warning");
        const quint32 warning = uiWaitForWindow(QStringLiteral("Autosave project"), 30000);
        QVERIFY(warning);
        QVERIFY(bPressUntil(warning, no, [] { return !bWindowListed(QStringLiteral("Autosave project")); }, 60000));
        // The recovered copy stands for the project file it was written for, with changes to save.
        QVERIFY(uiWaitForWindow(QStringLiteral("Plintra 2.0 - ") + projectFile, 30000));

        second.kill();
        QVERIFY(second.waitForFinished(10000));
    }
};

PLINTRA_TEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
