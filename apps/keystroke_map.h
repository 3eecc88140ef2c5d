// Commands of an application that is driven by its keyboard shortcuts (application 1).
#pragma once

#include <cstdint>

#include "apps/action.h"
#include "apps/app_profiles.h"
#include "receiver/remote_keys.h"

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

// The row's keystroke as an Action for the main window, brought to the foreground first: a
// posted WM_KEYDOWN, or a chord typed the built-in way. Kind None for a key without one.
Action KeystrokeAction(const KeystrokeRow& row);

// The key's row of the keystroke table, or nullptr outside 0 to 31. Read-only, for the
// key-map reference as much as for the key's Action.
const KeystrokeRow* KeystrokeRowOf(RemoteKey key);
