#include "monitor/monitor.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "apps/tv_app.h"
#include "monitor/key_report.h"
#include "monitor/keys_check.h"
#include "receiver/capture_device.h"
#include "receiver/platform_ids.h"
#include "receiver/receiver_commands.h"
#include "routing/key_router.h"
#include "routing/user_keys.h"
#include "shell/session_watch.h"
#include "shell/settings.h"
#include "shell/startup_cleanup.h"
#include "shell/static_objects.h"

namespace {

constexpr std::uint32_t kPollMs = 65;  // the utility's logic.KeyPollTimer
constexpr std::uint32_t kMaxSeconds = 7 * 24 * 3600;
constexpr int kMaxListed = 32;

enum StopRequest : int { kNoStop, kInterrupted, kConsoleClosing };
std::atomic<int> stopRequest{kNoStop};

void Write(Handle to, const char* text) {
    std::uint32_t written = 0;
    Plat().WriteFile(to, text, static_cast<std::uint32_t>(std::strlen(text)), &written, nullptr);
}

bool ParseSeconds(const char* text, std::uint32_t* seconds) {
    std::uint32_t value = 0;
    for (const char* digit = text; *digit != '\0'; ++digit) {
        if (*digit < '0' || *digit > '9' || value > kMaxSeconds) return false;
        value = value * 10 + static_cast<std::uint32_t>(*digit - '0');
    }
    if (text[0] == '\0' || value == 0 || value > kMaxSeconds) return false;
    *seconds = value;
    return true;
}

// --- the device list -------------------------------------------------------------------------

struct DeviceList {
    int count = 0;
    char names[kMaxListed][kFriendlyNameSize] = {};
    int used = -1;       // the device the utility opens: the first of the best-placed board
    int usedOrder = -1;  // that board's place in the search order
};

DeviceList devices;

bool ListDevice(ComRef&, const char* name, void* context) {
    auto* list = static_cast<DeviceList*>(context);
    int index = list->count++;
    if (index < kMaxListed) std::snprintf(list->names[index], kFriendlyNameSize, "%s", name);
    RemoteLayout layout = Translated;
    int order = name[0] != '\0' ? ListedBoardOrder(name, &layout) : -1;
    if (order >= 0 && (list->usedOrder < 0 || order < list->usedOrder)) {
        list->usedOrder = order;
        list->used = index;
    }
    return false;
}

void PrintDevices() {
    Say("Video-input devices, in enumeration order:");
    if (devices.count == 0) Say("  (none)");
    for (int i = 0; i < devices.count && i < kMaxListed; ++i) {
        const char* name = devices.names[i];
        RemoteLayout layout = Translated;
        bool listed = name[0] != '\0' && ListedBoardOrder(name, &layout) >= 0;
        const char* shown = name[0] != '\0' ? name : "(no readable name)";
        if (listed) {
            Say("  %2d  %-36s %s", i + 1, shown,
                i == devices.used ? "supported, used" : "supported");
        } else {
            Say("  %2d  %s", i + 1, shown);
        }
    }
    if (devices.count > kMaxListed) Say("  ... and %d more", devices.count - kMaxListed);
}

void PrintNoBoard() {
    Say("No supported TV card was found: Remote Control would read no remote key.");
    Say("Supported boards (the device name as Device Manager shows it):");
    for (int order = 0; const char* name = ListedBoardName(order); ++order)
        Say("      %s", name);
}

void PrintBoard() {
    const char* name = devices.used >= 0 && devices.used < kMaxListed
                           ? devices.names[devices.used]
                           : ListedBoardName(devices.usedOrder);
    Say("Remote Control would use device %d, %s: %s, %s numbering.", devices.used + 1,
        name ? name : "?", logic.receiverChannel.boardKind == BoardKind::I2c ? "I2C" : "GPIO",
        logic.receiverChannel.remoteLayout == Direct ? "Direct" : "Translated");
    if (logic.receiverChannel.deviceHandle == 0) {
        Say("Its driver gave no device handle: no key can be read from it.");
    }
}

void PrintSettings() {
    if (IsAppId(logic.DefaultTVAPP)) {
        Say("Default TV application (Power): %s%s.", AppLabel(logic.DefaultTVAPP),
            IsInstalled(logic.DefaultTVAPP) ? "" : ", not installed");
    } else {
        Say("Default TV application (Power): %d, none of the supported ones.", logic.DefaultTVAPP);
    }
    if (logic.AlwaysRemoteOff) {
        Say("AlwaysRemoteOff is 1: Remote Control ends at start and reads no key.");
    }
}

// --- the user's keys.ini -------------------------------------------------------------------

const char* Plural(int count) {
    return count == 1 ? "" : "s";
}

// Nothing while there is no file, as the utility then behaves as it always has.
void PrintUserKeys(bool changed) {
    const UserKeys& keys = userKeys;
    const KeysTable& table = keys.table;
    if (keys.fileTime == 0) {
        if (changed) Say("Your keys: %s is gone; the built-in keys apply.", keys.path);
        return;
    }
    const char* what = changed ? "Your keys changed" : "Your keys";
    if (table.problemTotal == 0) {
        Say("%s: %s: %d profile%s with %d key line%s.", what, keys.path, table.profileCount,
            Plural(table.profileCount), table.bindingCount, Plural(table.bindingCount));
        return;
    }
    Say("%s: %s: %d problem%s (RemoteMonitor --check-keys lists them); what applies: %d "
        "profile%s with %d key line%s.",
        what, keys.path, table.problemTotal, Plural(table.problemTotal), table.profileCount,
        Plural(table.profileCount), table.bindingCount, Plural(table.bindingCount));
}

bool HasProgramProfiles() {
    const KeysTable& table = userKeys.table;
    for (int i = 0; i < table.profileCount; ++i) {
        if (table.profiles[i].kind == ProfileKind::Program) return true;
    }
    return false;
}

// The window in front and its profile, said again whenever either changed since the last
// key event that said them.
struct SaidInFront {
    bool said = false;
    Hwnd window = 0;
    const KeyProfile* profile = nullptr;
};
SaidInFront saidInFront;

void SayWindowInFront() {
    if (!HasProgramProfiles()) return;
    FrontWindow front = WindowInFront();
    const KeyProfile* profile = ProgramProfile(front);
    if (saidInFront.said && front.window == saidInFront.window && profile == saidInFront.profile)
        return;
    saidInFront = SaidInFront{true, front.window, profile};
    char line[400];
    DescribeWindowInFront(front, profile, line, sizeof line);
    Say("%s", line);
}

// --- polling ---------------------------------------------------------------------------------

int eventCount = 0;

// One poll with the utility's own requests and rules: key down, code, key, repeat state.
void Poll(std::uint32_t start) {
    if (!IsRemoteKeyDown()) return;
    std::int32_t rawCode = ReadRemoteCode();
    RemoteKey key = NormaliseRemoteCode(rawCode, logic.receiverChannel.remoteLayout);
    std::uint32_t now = Plat().GetTickCount();
    bool repeat = ClassifyKeyEvent(key, now);
    // The utility reads a changed file again at the first key event after the change.
    if (UserKeysChanged()) {
        ReadUserKeys();
        PrintUserKeys(true);
        saidInFront = SaidInFront{};
    }
    if (!logic.shutdownDialogOpen) SayWindowInFront();
    char wouldDo[200];
    DescribeWouldDo(key, repeat, wouldDo, sizeof wouldDo);
    char line[320];
    FormatEventLine(KeyEvent{now - start, rawCode, key, repeat, logic.routerState.repeatCount},
                    wouldDo, line, sizeof line);
    Say("%s", line);
    ++eventCount;
}

// Polls at a steady 65 ms; polls that fell due while one was held up (a failure box of the
// receiver waiting for the user) are skipped, as the utility's timer coalesces them.
void PollUntilStopped(std::uint32_t seconds) {
    Platform& platform = Plat();
    std::uint32_t start = platform.GetTickCount();
    std::uint32_t limit = seconds * 1000;
    std::uint32_t due = start + kPollMs;
    while (stopRequest.load() == kNoStop) {
        std::uint32_t now = platform.GetTickCount();
        std::uint32_t elapsed = now - start;
        if (limit != 0 && elapsed >= limit) break;
        auto wait = static_cast<std::int32_t>(due - now);
        if (wait > 0) {
            std::uint32_t sleep = static_cast<std::uint32_t>(wait);
            if (limit != 0 && limit - elapsed < sleep) sleep = limit - elapsed;
            platform.Sleep(sleep);
            continue;
        }
        Poll(start);
        due += kPollMs * ((now - due) / kPollMs + 1);
    }
    std::uint32_t ran = platform.GetTickCount() - start;
    Say("Stopped after %u.%u s: %d key event%s.", ran / 1000, ran % 1000 / 100, eventCount,
        eventCount == 1 ? "" : "s");
}

// Started from its shortcut, the program has the console to itself, and the console would
// close with it before the user has read anything.
void WaitForEnterIfOwnConsole() {
    Platform& platform = Plat();
    std::uint32_t processes[2] = {};
    if (stopRequest.load() == kConsoleClosing ||
        platform.GetConsoleProcessList(processes, 2) != 1) {
        return;
    }
    Say("Press Enter to close this window.");
    char typed[64];
    std::uint32_t read = 0;
    platform.ReadFile(platform.GetStdHandle(STD_INPUT_HANDLE), typed, sizeof typed, &read, nullptr);
}

int Monitor(std::uint32_t seconds) {
    bool here = FindRunningInstance() != 0;
    if (here || AnyCopyRunning()) {
        Write(Plat().GetStdHandle(STD_ERROR_HANDLE),
              here ? "Remote Control is running: two programs polling one card would mix up "
                     "their requests.\r\nExit Remote Control from its tray menu first (right-click "
                     "the remote icon, Exit), then start RemoteMonitor again.\r\n"
                   : "Remote Control is running for another user: two programs polling one card "
                     "would mix up their requests.\r\nAsk them to exit it from its tray menu, or "
                     "restart Windows, then start RemoteMonitor again.\r\n");
        return kMonitorRefused;
    }
    Say("RemoteMonitor: what the remote sends, and what Remote Control would do with it.");
    Say("");
    bool opened = OpenReceiver() != 0;
    WalkCaptureDevices(CLSID_VideoInputDeviceCategory, ListDevice, &devices);
    PrintDevices();
    if (!opened) {
        PrintNoBoard();
        CloseReceiver();
        return kMonitorNoBoard;
    }
    PrintBoard();
    PrintSettings();
    ReadUserKeys();
    PrintUserKeys(false);
    if (seconds != 0) {
        Say("Polling every %u ms for %u s; press keys on the remote. Ctrl+C ends sooner.", kPollMs,
            seconds);
    } else {
        Say("Polling every %u ms; press keys on the remote. Ctrl+C ends.", kPollMs);
    }
    Say("");
    char heading[120];
    FormatEventHeading(heading, sizeof heading);
    Say("%s", heading);
    PollUntilStopped(seconds);
    CloseReceiver();
    return kMonitorDone;
}

}  // namespace

void Say(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line - 2, format, args);
    va_end(args);
    std::strcat(line, "\r\n");
    Write(Plat().GetStdHandle(STD_OUTPUT_HANDLE), line);
}

void RequestMonitorStop(bool consoleClosing) {
    stopRequest.store(consoleClosing ? kConsoleClosing : kInterrupted);
}

int RunMonitor(int argc, const char* const* argv) {
    ConstructStaticObjects();
    stopRequest.store(kNoStop);
    devices = DeviceList{};
    eventCount = 0;
    saidInFront = SaidInFront{};
    const char* option = argc > 1 ? argv[1] : "";
    if (argc <= 3 && std::strcmp(option, "--check-keys") == 0)
        return CheckKeys(argc == 3 ? argv[2] : nullptr);
    if (argc == 2 && std::strcmp(option, "--edit-keys") == 0) {
        int status = EditKeys();
        if (status != kCheckKeysClean) WaitForEnterIfOwnConsole();
        return status;
    }
    std::uint32_t seconds = 0;
    bool usage = !(argc <= 1 || (argc == 3 && std::strcmp(option, "--seconds") == 0 &&
                                 ParseSeconds(argv[2], &seconds)));
    if (usage) {
        Write(Plat().GetStdHandle(STD_ERROR_HANDLE),
              "usage: RemoteMonitor [--seconds N | --check-keys [FILE] | --edit-keys]\r\n");
        return kMonitorUsage;
    }
    PeekSettings();
    CheckCountry();
    int status = Monitor(seconds);
    WaitForEnterIfOwnConsole();
    return status;
}
