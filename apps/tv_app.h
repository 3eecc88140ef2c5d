// The five supported TV applications: where each is installed, how its window is
// recognised and closed, how it takes its commands, and the operations every other part
// uses on one of them.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "receiver/remote_keys.h"

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

// The application's row, or nullptr when the number is none of the five.
const AppProfile* ProfileOf(AppId id);

class TvApp {
  public:
    bool installed = false;
    bool active = false;
    char folder[128] = {};
    char exeName[64] = {};
    char windowClass[64] = {};
    char windowTitle[64] = {};

    // Reads the record from the registry and the application table, as the program's
    // static construction does.
    void Construct(AppId id);

    bool ReadInstallFolder(const char* key, const char* valueName, const char* exeFile);
    Hwnd FindByTitlePrefix() const;
    Hwnd Launch();
    Hwnd BringForward();
};

// The record of an application, or nullptr when the number is none of the five.
TvApp* AppRecord(AppId id);
bool IsAppId(std::int32_t value);
const char* AppLabel(AppId id);

Hwnd FindAppWindow(AppId id);
bool IsRunning(AppId id);
bool IsInstalled(AppId id);
void ClearActive(AppId id);
void RequestClose(AppId id);
void TogglePower(AppId id);
// Asks the applications of `order` other than `id` to close, in that order.
void CloseOthers(AppId id, const AppId* order = kCloseOrder, int count = kAppCount);
void SwitchTo(AppId id);
void SendKey(AppId id, RemoteKey key);

// What the Power toggle would do to the application now: a running one is asked to close,
// another one is started when it is installed.
enum class PowerToggle : std::uint8_t { Close, Start, Nothing };
PowerToggle PowerToggleOf(AppId id);

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

// Posts a message to one of the application's windows. A refusal because the application
// runs as administrator is reported in a box, once per run of it; false when not posted.
bool PostToApp(AppId id, Hwnd target, std::uint32_t msg, WParam wParam, LParam lParam);

// True while the application was started by the Power key and is watched.
bool IsLaunched(AppId id);

void PLATFORM_CALLBACK AppWatchTick(Hwnd owner, std::uint32_t msg, std::uintptr_t id,
                                    std::uint32_t time);
