#pragma once
// Keys sent through the X server, so that they reach whichever window the server routes
// them to, as a real keyboard's would.

#include <QtGlobal>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace testenv {

// The server's keycode of a key symbol (Return 0xff0d, y 0x79, n 0x6e, o 0x6f); 0 when unmapped.
inline xcb_keycode_t uiXcbKeycode(xcb_connection_t* connection, quint32 keysym)
{
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
        std::free(reply);
    }
    return found;
}

// Presses and releases the key in the window. modifiers: the X state mask (shift 1).
inline void vSendXcbKey(xcb_connection_t* connection, xcb_window_t window, xcb_keycode_t keycode, uint16_t modifiers)
{
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
        event.state = modifiers;
        xcb_send_event(connection, 0, window,
            type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
            reinterpret_cast<const char*>(&event));
    }
    xcb_flush(connection);
}

} // namespace testenv
