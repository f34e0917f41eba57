// Drives the program under test through the X server as a user would: finds its windows
// by title, gives them the focus, presses keys and clicks, and reads their titles.
#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include "XcbKeys.h"

#include <xcb/xcb.h>

#include <cstring>
#include <functional>

namespace xdriver {

// The program's environment with the home, settings and temporary folders all under one
// folder of the test's, so that it never touches the user's own.
inline QProcessEnvironment envOwnHome(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), home + QStringLiteral("/system-config"));
    env.insert(QStringLiteral("TMPDIR"), home);
    env.insert(QStringLiteral("TMP"), home);
    return env;
}

inline QString qstrWindowTree()
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    xwininfo.waitForFinished(10000);
    return QString::fromLocal8Bit(xwininfo.readAllStandardOutput());
}

// The id of a window whose title contains the text; 0 when none appears in time.
inline quint32 uiWaitForWindow(const QString& titlePart, int timeoutMs)
{
    const QRegularExpression line(
        QStringLiteral("^\\s*(0x[0-9a-f]+) \"([^\"]*)\""), QRegularExpression::MultilineOption);
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
inline bool bFocusWindow(quint32 window, bool afresh)
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
inline bool bSendKey(quint32 window, xcb_keycode_t keycode, uint16_t modifiers = 0)
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
inline xcb_keycode_t uiKeycode(quint32 keysym)
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
inline bool bWindowViewable(quint32 window)
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
inline bool bPressUntil(quint32 window, xcb_keycode_t keycode, const std::function<bool()>& outcome, int timeoutMs,
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
inline QString qstrWindowTitle(quint32 window)
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
inline bool bWaitForTitle(quint32 window, const QString& expected, int timeoutMs, QString& seen)
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

inline bool bWindowListed(const QString& titlePart)
{
    return qstrWindowTree().contains(QLatin1Char('"') + titlePart);
}

inline QByteArray baRead(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Presses and releases the left button at a point of the window (window pixels).
inline bool bClick(quint32 window, int x, int y)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (!connection || xcb_connection_has_error(connection))
        return false;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    for (const uint8_t type : {uint8_t(XCB_BUTTON_PRESS), uint8_t(XCB_BUTTON_RELEASE)}) {
        xcb_button_press_event_t event;
        std::memset(&event, 0, sizeof event);
        event.response_type = type;
        event.detail = 1;
        event.time = XCB_CURRENT_TIME;
        event.root = screen->root;
        event.event = window;
        event.event_x = int16_t(x);
        event.event_y = int16_t(y);
        event.same_screen = 1;
        event.state = type == XCB_BUTTON_RELEASE ? XCB_BUTTON_MASK_1 : 0;
        xcb_send_event(connection, 0, window,
            type == XCB_BUTTON_PRESS ? XCB_EVENT_MASK_BUTTON_PRESS : XCB_EVENT_MASK_BUTTON_RELEASE,
            reinterpret_cast<const char*>(&event));
    }
    xcb_flush(connection);
    xcb_disconnect(connection);
    return true;
}

constexpr uint16_t kuiShift = 1;
constexpr uint16_t kuiControl = 4;

} // namespace xdriver
