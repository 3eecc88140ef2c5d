// Commands of an application that is driven by its keyboard shortcuts (application 1).
#pragma once

#include <cstdint>

#include "apps/tv_app.h"

enum class Stroke : std::uint8_t {
    None,       // the key has no command
    Posted,     // one WM_KEYDOWN posted to the main window
    Ctrl,       // Ctrl+letter injected
    CtrlShift,  // Ctrl+Shift+letter injected
};

struct KeystrokeRow {
    RemoteKey key;
    Stroke stroke;
    std::uint8_t vk;  // letters are their own virtual-key codes
};

// The key's keystroke as it would be sent now: to the main window, or not at all.
struct KeystrokeSend {
    CommandTarget target = CommandTarget::None;
    Hwnd window = 0;
    KeystrokeRow row = {};
};
KeystrokeSend ResolveKeystroke(AppId id, RemoteKey key);
void SendKeystrokeCommand(AppId id, RemoteKey key);

// The key's row of the keystroke table, or nullptr outside 0 to 31. Read-only, for the
// key-map reference as much as for SendKeystrokeCommand.
const KeystrokeRow* KeystrokeRowOf(RemoteKey key);
