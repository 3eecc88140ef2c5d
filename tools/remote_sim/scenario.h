// A scenario: the desktop a run starts on and the timeline of what the user and the
// world do during it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ScenarioWindow {
    std::string cls;
    std::string title;
    bool visible = true;
    // A `program` line: a running program with this window. Titles and classes are UTF-8.
    bool program = false;
    std::string image;  // the program file, "vlc.exe" or a full path
    bool elevated = false;
    bool hung = false;
    std::string ownedCls;  // a window that this one owns, in front of it
    std::string ownedTitle;
};

// A file on the disk at start: its path and bytes.
struct ScenarioFile {
    std::string path;
    std::string text;
};

struct ScenarioInstall {
    int appId;
    std::string folder;
    bool commonKey;
};

// A rectangle in virtual-screen pixels: right and bottom lie just outside.
struct ScenarioRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A monitor beside the primary one, which is the screen.
struct ScenarioMonitor {
    ScenarioRect area;
    ScenarioRect work;
};

struct ScenarioSetting {
    std::string name;
    std::int64_t value;
};

// One timed step; which fields count depends on the kind.
struct ScenarioEvent {
    enum Kind {
        PressKey,  // number = key, duration
        PressRaw,  // number = raw code, duration
        MessageBoxOk,
        TrayButton,    // text = "left", "right" or "move"
        MenuChoose,    // text = item label, or empty to dismiss the menu
        DialogSelect,  // text = list entry
        DialogButton,  // number = control id
        CloseApp,      // number = application
        StartApp,      // number = application
        Display,       // number = width, number2 = height
        FailCommand,   // text = command name; always = fail every time
        Census,        // what the utility holds: events, COM references, timers, windows
        UserInput,     // number = application, or text = window title, or neither
        DialogKey,     // number = virtual-key code
        // Devices and power
        Unplug,        // text = device name, number = the error its requests fail with
        Plug,          // text = device name
        Suspend,       //
        Resume,        // always = the user woke the PC (both resume events)
        DeviceChange,  // number = the event
        UpdateDriver,  // text = device name; always = another program holds it open
        Disable,       // text = device name; always = another program holds it open
        SuspendAborted,
        Hang,  // text = command name
        // The shell
        ExplorerRestart,  // the taskbar is re-created
        // Sessions
        Session,  // text = lock, unlock, switch-user, switch-back or remote-connect
        // The user's files
        FileSave,  // text = path, content = the bytes; always = the file is deleted instead
    };
    std::uint64_t at = 0;
    int line = 0;
    Kind kind = PressKey;
    std::int64_t number = 0;
    std::int64_t number2 = 0;
    std::uint32_t duration = 0;
    std::string text;
    bool always = false;
    std::string content;
};

struct Scenario {
    std::string file;
    int screenWidth = 1024;
    int screenHeight = 768;
    std::vector<std::string> devices;
    std::vector<ScenarioInstall> installs;
    std::vector<ScenarioSetting> settings;
    bool hasCountry = false;
    std::int64_t country = 0;
    std::vector<int> running;
    std::vector<ScenarioWindow> windows;
    std::vector<ScenarioFile> files;
    bool swapButtons = false;
    bool hasCursor = false;
    int cursorX = 0;
    int cursorY = 0;
    bool windows9x = false;
    std::uint32_t ntVersion = 0x0601;  // the NT release: 0x0501 XP, 0x0600 Vista, 0x0601 7+
    bool shutdownPrivilege = true;
    bool foregroundLock = true;
    std::uint32_t foregroundLockTimeoutMs = 200000;
    std::vector<int> elevated;
    bool utilityElevated = false;
    bool registryReadOnly = false;
    bool registryVirtualization = true;
    bool remoteSession = false;  // the utility starts in a Remote Desktop session
    std::vector<std::pair<std::string, bool>> otherSessionObjects;  // held elsewhere; open to all
    std::uint32_t tickBase = 0;
    bool altGrLayout = false;
    bool hasPrimaryMonitor = false;
    std::vector<ScenarioMonitor> otherMonitors;
    bool modernStandby = false;
    bool deviceNotifications = true;
    std::vector<ScenarioEvent> events;
    std::uint64_t runMs = 10000;
};

// Parses a scenario's text. On a fault it fills `error` with "FILE:LINE: error: what"
// and returns false.
bool ParseScenario(const std::string& file, const std::string& text, Scenario* scenario,
                   std::string* error);

// The language, as `remote-sim --help` prints it.
const char* ScenarioLanguageHelp();
