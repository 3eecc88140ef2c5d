// The five supported TV applications as data: where each is installed, how its window is
// recognised and closed, how it takes its commands, and the lookups every other part makes
// on that table. It depends on nothing else of apps/: the command maps, the action layer
// and the records (tv_app.h) all build on it.
#pragma once

#include <cstdint>

#include "platform/platform.h"

using AppId = std::int32_t;

constexpr int kAppCount = 5;
constexpr AppId kAppOrder[kAppCount] = {1, 2, 6, 7, 9};    // the order of every search
constexpr AppId kCloseOrder[kAppCount] = {2, 1, 7, 6, 9};  // CloseOthers asks in this order

// How a running application is asked to close.
enum class CloseMode : std::uint8_t {
    AltF4,    // brought forward and sent Alt+F4
    Message,  // its command message posted with the close command
};

// The command map that turns a remote key into the application's command: the keystroke
// table, or one application's column of the message table.
enum class KeyMap : std::uint8_t { Keystrokes, VantorTvr, Omnivue, DvbsSuite, OmnivueCenter };

// What keys 20 and 21 do while no application takes the keys and this one is the default.
enum class IdleKeyAction : std::uint8_t {
    SendKey,         // the application becomes the target and gets the key
    TogglePower,     // key 20 only: the Power toggle, after closing applications 1, 7 and 6
    ShutdownDialog,  // key 21 only: the Shut Down confirmation, when no application runs
};

// Everything that tells the applications apart; one row each, in kAppOrder.
struct AppProfile {
    AppId id;
    const char* label;
    const char* registryKey;
    const char* valueName;
    const char* exeName;
    const char* windowClass;       // nullptr: found by its title alone
    const char* windowTitle;       // also the prefix of the looser lookup
    const char* identityTitle;     // the whole title of the exact identity, or nullptr: any
    std::uint32_t commandMessage;  // the message that carries its commands; 0: keystrokes
    KeyMap keyMap;
    bool probesPopups;  // looks for its own open dialogs before posting a command
    CloseMode closeMode;
    WParam closeCommand;    // with CloseMode::Message
    std::uint32_t pauseMs;  // after a close request, and after a toggle that did not close
    IdleKeyAction key20;
    IdleKeyAction key21;
};

// One row per application, in kAppOrder; read through ProfileOf.
extern const AppProfile kAppProfiles[kAppCount];

// The application's place in kAppOrder (and in the per-application arrays), or -1. Inline,
// as every lookup of an application on the key path starts here.
inline int AppSlot(AppId id) {
    for (int slot = 0; slot < kAppCount; ++slot) {
        if (kAppOrder[slot] == id) return slot;
    }
    return -1;
}

// The application's row, or nullptr when the number is none of the five.
inline const AppProfile* ProfileOf(AppId id) {
    int slot = AppSlot(id);
    return slot < 0 ? nullptr : &kAppProfiles[slot];
}

bool IsAppId(std::int32_t value);
const char* AppLabel(AppId id);

// The application's main window by its exact identity, or 0.
Hwnd FindAppWindow(AppId id);

// Where a key's command goes, found before anything is sent: SendKey carries it out,
// RemoteMonitor describes it.
enum class CommandTarget : std::uint8_t {
    None,               // the key has no command in the application's map
    NoWindow,           // the application's window is not open
    HeldByDialog,       // its open dialog holds the command back
    HeldByPictureView,  // its PictureView window holds the command back
    MainWindow,         // to the main window
    MainWindowForward,  // to the main window, brought to the top and the foreground first
    Dialog,             // to the open dialog, brought forward first
};
