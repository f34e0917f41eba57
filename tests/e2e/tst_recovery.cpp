// The real program on a clip: the new-project dialog creates the project, the user moves the
// out point, auto-save writes its copy, the process is killed outright, and the next start
// offers the copy back with the edit in it.
#include "ProjectFixtures.h"
#include "TestEnvironment.h"
#include "XcbKeys.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>

#include <xcb/xcb.h>

#include <csignal>
#include <functional>

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

// Gives a window of the program under test the keyboard focus. With afresh, the focus is
// taken away first, so that the window is told it gains the focus even when the server
// already gave it the focus: the main window is made active by that alone after a modal box
// closed, and only an active window takes its shortcuts. A modal box takes its keys without.
bool bFocusWindow(quint32 window, bool afresh)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (!connection || xcb_connection_has_error(connection))
        return false;
    if (afresh)
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_NONE, XCB_CURRENT_TIME);
    xcb_set_input_focus(connection, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    xcb_flush(connection);
    xcb_disconnect(connection);
    return true;
}

// Presses and releases one key in a window of the program under test, with the modifiers
// of the X state mask held (shift 1, control 4).
bool bSendKey(quint32 window, xcb_keycode_t keycode, uint16_t modifiers = 0)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool connected = connection && !xcb_connection_has_error(connection);
    if (connected)
        testenv::vSendXcbKey(connection, window, keycode, modifiers);
    if (connection)
        xcb_disconnect(connection);
    return connected;
}

// The server's keycode of a key symbol (Return 0xff0d, y 0x79, n 0x6e, o 0x6f, s 0x73); 0 when
// unmapped.
xcb_keycode_t uiKeycode(quint32 keysym)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const xcb_keycode_t found
        = connection && !xcb_connection_has_error(connection) ? testenv::uiXcbKeycode(connection, keysym) : 0;
    if (connection)
        xcb_disconnect(connection);
    return found;
}

// Whether the window is mapped and shown: the window tree lists a window as soon as it
// exists, before the program shows it and can take keys in it.
bool bWindowViewable(quint32 window)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (!connection || xcb_connection_has_error(connection)) {
        if (connection)
            xcb_disconnect(connection);
        return false;
    }
    xcb_get_window_attributes_reply_t* reply
        = xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr);
    const bool viewable = reply && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    free(reply);
    xcb_disconnect(connection);
    return viewable;
}

// Focuses the window and presses the key until the outcome shows, at most timeoutMs. On a
// loaded machine the program can drop a synthetic key while its window focus settles, so one
// press is not enough: while the outcome is still missing after a patient wait, the key is
// pressed again after focusing the window afresh: the program sends a key to the window it
// last saw take the focus, which can still be the one a box blocks. The wait keeps a key that did
// land from being pressed again where it means something else.
bool bPressUntil(quint32 window, xcb_keycode_t keycode, const std::function<bool()>& outcome, int timeoutMs,
    uint16_t modifiers = 0, bool mainWindow = false)
{
    QElapsedTimer clock;
    clock.start();
    while (!bWindowViewable(window) && clock.elapsed() < timeoutMs)
        QTest::qWait(100);
    for (int press = 1; clock.elapsed() < timeoutMs; ++press) {
        if (press > 1)
            qInfo("key %u pressed again (press %d): its outcome did not show", unsigned(keycode), press);
        if (!bFocusWindow(window, mainWindow || press > 1))
            return false;
        QTest::qWait(300);
        if (!bSendKey(window, keycode, modifiers))
            return false;
        for (int i = 0; i < 50; ++i) {
            if (outcome())
                return true;
            QTest::qWait(100);
        }
    }
    return outcome();
}

// The title of a top-level window as a window manager draws it: _NET_WM_NAME, else WM_NAME.
QString qstrWindowTitle(quint32 window)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (!connection || xcb_connection_has_error(connection)) {
        if (connection)
            xcb_disconnect(connection);
        return QString();
    }
    auto atom = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return found;
    };
    auto property = [connection, window](xcb_atom_t name, xcb_atom_t type) {
        QByteArray value;
        xcb_get_property_reply_t* reply
            = xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, name, type, 0, 4096), nullptr);
        if (reply && reply->type != XCB_ATOM_NONE)
            value = QByteArray(
                static_cast<const char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
        free(reply);
        return value;
    };
    QByteArray title = property(atom("_NET_WM_NAME"), atom("UTF8_STRING"));
    if (title.isEmpty())
        title = property(XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY);
    xcb_disconnect(connection);
    return QString::fromUtf8(title);
}

// Waits until the window's title is the expected one; the last title seen goes to seen.
bool bWaitForTitle(quint32 window, const QString& expected, int timeoutMs, QString& seen)
{
    QElapsedTimer clock;
    clock.start();
    do {
        seen = qstrWindowTitle(window);
        if (seen == expected)
            return true;
        QTest::qWait(100);
    } while (clock.elapsed() < timeoutMs);
    return false;
}

bool bWindowListed(const QString& titlePart)
{
    return qstrWindowTree().contains(QLatin1Char('"') + titlePart);
}

QByteArray baRead(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

constexpr uint16_t kuiShift = 1;
constexpr uint16_t kuiControl = 4;

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
