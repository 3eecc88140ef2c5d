// Commands of application 1, which is driven by its keyboard shortcuts.
#pragma once

#include <cstdint>

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

void SendKeystrokeCommand(RemoteKey key);

// The key's row of the keystroke table, or nullptr outside 0 to 31. Read-only, for the
// key-map reference as much as for SendKeystrokeCommand.
const KeystrokeRow* KeystrokeRowOf(RemoteKey key);
