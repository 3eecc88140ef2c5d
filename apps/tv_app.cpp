#include "apps/tv_app.h"

#include <cstring>

#include "apps/keystroke_map.h"
#include "apps/message_maps.h"
#include "apps/window_search.h"
#include "shell/session_watch.h"
#include "shell/static_objects.h"
#include "shell/text.h"
#include "shell/timer_slot.h"

namespace {

constexpr std::uint32_t kMessage2000 = WM_USER + 2000;
constexpr std::uint32_t kMessage3000 = WM_USER + 3000;
constexpr std::uint32_t kPauseMs = 2000;
constexpr const char* kCommonKey = "Software\\Zarvin Multimedia\\TV Duo\\DTVR";

using Close = CloseMode;
using Idle = IdleKeyAction;

// clang-format off
constexpr AppProfile kProfiles[kAppCount] = {
    // id, label, registry key, value name, program file,
    // window class, window title, identity title,
    // command message, key map, popup probe,
    // close mode, close command, pause, key 20, key 21
    {1, "Lumacast", "SOFTWARE\\Tolvane\\Lumacast", "InstallPath", "Lumacast.exe",
     nullptr, "Lumacast", "Lumacast",
     0, KeyMap::Keystrokes, false,
     Close::AltF4, 0, 0, Idle::SendKey, Idle::SendKey},
    {2, "VantorTVR", "Software\\Marovex\\TV Suite\\TVR", "AppPath", "marovexTV.EXE",
     "VANTOR_TVR", "FormMainWindow", nullptr,
     kMessage2000, KeyMap::VantorTvr, false,
     Close::Message, 1, 0, Idle::TogglePower, Idle::ShutdownDialog},
    {6, "Omnivue", "Software\\Zarvin Multimedia\\TV Suite\\DTVR", "AppPath", "MainPanel.exe",
     "ZarvinMainPanel_Class", "TVR", "TVR",
     kMessage3000, KeyMap::Omnivue, false,
     Close::Message, 1, kPauseMs, Idle::SendKey, Idle::ShutdownDialog},
    {7, "DVBS SUITE", "SOFTWARE\\Marovex\\DVB Suite\\DVBS", "AppPath", "DVBS.EXE",
     "ZARVIN_DVBS", "DVBS", nullptr,
     kMessage2000, KeyMap::DvbsSuite, false,
     Close::Message, 1, 0, Idle::SendKey, Idle::ShutdownDialog},
    {9, "OmnivueCenter", "Software\\Zarvin Multimedia\\TV Hub\\DTVR", "AppPath", "Hubdeck.exe",
     "ZarvinMainPanel_Class", "Omnivue Center", "Omnivue Center",
     kMessage3000, KeyMap::OmnivueCenter, true,
     Close::Message, 25, kPauseMs, Idle::SendKey, Idle::SendKey},
};
// clang-format on

constexpr bool ProfilesFollowOrder() {
    for (int slot = 0; slot < kAppCount; ++slot) {
        if (kProfiles[slot].id != kAppOrder[slot]) return false;
    }
    return true;
}
static_assert(ProfilesFollowOrder(), "the profile table has one row per application, in order");

// True while the box of a failed launch waits for the user: its modal loop keeps the key
// poll running, and a held Power key would otherwise retry the launch and stack another
// box on every repeat.
bool launchFailureBoxOpen = false;
bool elevationBoxOpen = false;  // the same for the box about an elevated application

constexpr char kElevatedText[] =
    " runs as administrator, so the remote cannot reach it. Start it without administrator "
    "rights, or start Remote Control as administrator.";

int SlotOf(AppId id) {
    for (int slot = 0; slot < kAppCount; ++slot) {
        if (kAppOrder[slot] == id) return slot;
    }
    return -1;
}

// Only the two Zarvin keys fall back to the key that both of their suites share.
bool HasCommonKeyRetry(const char* key) {
    return std::strcmp(key, "Software\\Zarvin Multimedia\\TV Hub\\DTVR") == 0 ||
           std::strcmp(key, "Software\\Zarvin Multimedia\\TV Suite\\DTVR") == 0;
}

void CopyText(char* target, std::size_t size, const char* text) {
    CopyTruncated(target, size, text);
}

// The left Alt: an extended VK_MENU is the right Alt, which on layouts with AltGr (German,
// French, Polish, ...) becomes Ctrl+Alt, and F4 then arrives as an ordinary key that closes
// nothing.
void PressAltF4() {
    Platform& platform = Plat();
    platform.keybd_event(VK_MENU, 0, 0, 0);
    platform.keybd_event(VK_F4, 0, KEYEVENTF_EXTENDEDKEY, 0);
    platform.keybd_event(VK_F4, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    platform.keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
}

// Alt+F4 closes whichever program has the keyboard, so it is injected only when the
// switch to the application was granted (the call's answer: the window itself becomes
// active only when its thread handles the switch); otherwise its window is asked to close
// directly.
void CloseByAltF4(AppId id, Hwnd window) {
    Platform& platform = Plat();
    bool inFront = platform.SetForegroundWindow(window);
    platform.SetActiveWindow(window);
    if (inFront) {
        PressAltF4();
    } else {
        PostToApp(id, window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
}

}  // namespace

void TvApp::Construct(AppId id) {
    const AppProfile& profile = *ProfileOf(id);
    *this = TvApp{};
    if (!ReadInstallFolder(profile.registryKey, profile.valueName, profile.exeName) &&
        HasCommonKeyRetry(profile.registryKey)) {
        ReadInstallFolder(kCommonKey, profile.valueName, profile.exeName);
    }
    CopyText(windowClass, sizeof windowClass, profile.windowClass);
    CopyText(windowTitle, sizeof windowTitle, profile.windowTitle);
}

bool TvApp::ReadInstallFolder(const char* key, const char* valueName, const char* exeFile) {
    installed = false;
    Platform& platform = Plat();
    HKey opened = 0;
    if (platform.RegOpenKeyA(HKEY_LOCAL_MACHINE, key, &opened) != ERROR_SUCCESS) return false;
    std::uint32_t size = sizeof folder;
    RegStatus status = platform.RegQueryValueExA(opened, valueName, nullptr,
                                                 reinterpret_cast<std::uint8_t*>(folder), &size);
    platform.RegCloseKey(opened);
    if (status != ERROR_SUCCESS || size > sizeof folder) return false;
    // A value stored without its terminator ends where its data ends; one that fills the
    // whole buffer without a terminator is too long.
    if (std::memchr(folder, '\0', size) == nullptr) {
        if (size == sizeof folder) return false;
        folder[size] = '\0';
    }
    CopyText(exeName, sizeof exeName, exeFile);
    installed = true;
    active = false;
    return true;
}

Hwnd TvApp::FindByTitlePrefix() const {
    return FindWindowByTitlePrefix(windowTitle);
}

Hwnd TvApp::Launch() {
    Platform& platform = Plat();
    auto lookUp = [&] {
        return windowClass[0] != '\0' ? platform.FindWindowA(windowClass, nullptr)
                                      : FindByTitlePrefix();
    };
    if (Hwnd found = lookUp()) return found;
    if (!installed || launchFailureBoxOpen) return 0;
    char path[256];
    JoinFolderFile(path, sizeof path, folder, exeName);
    if (platform.ShellExecuteA(0, "open", path, "remote", nullptr, SW_SHOW) > 32) {
        active = true;
    } else {
        launchFailureBoxOpen = true;
        platform.MessageBoxA(0, "Can't run Tolvane Recastor II.", "Remote Control", MB_OK);
        launchFailureBoxOpen = false;
    }
    return lookUp();
}

Hwnd TvApp::BringForward() {
    if (!installed) return 0;
    Hwnd found = FindByTitlePrefix();
    if (found == 0) found = Launch();
    if (found == 0) return 0;
    Platform& platform = Plat();
    platform.SetForegroundWindow(found);
    platform.SetActiveWindow(found);
    return found;
}

const AppProfile* ProfileOf(AppId id) {
    int slot = SlotOf(id);
    return slot < 0 ? nullptr : &kProfiles[slot];
}

TvApp* AppRecord(AppId id) {
    int slot = SlotOf(id);
    return slot < 0 ? nullptr : &logic.apps[slot];
}

bool IsAppId(std::int32_t value) {
    return SlotOf(value) >= 0;
}

const char* AppLabel(AppId id) {
    const AppProfile* profile = ProfileOf(id);
    return profile ? profile->label : "";
}

Hwnd FindAppWindow(AppId id) {
    const AppProfile* profile = ProfileOf(id);
    if (!profile) return 0;
    return Plat().FindWindowExA(0, 0, profile->windowClass, profile->identityTitle);
}

bool IsRunning(AppId id) {
    return FindAppWindow(id) != 0;
}

bool IsInstalled(AppId id) {
    const TvApp* record = AppRecord(id);
    return record && record->installed;
}

void ClearActive(AppId id) {
    if (TvApp* record = AppRecord(id)) record->active = false;
}

void RequestClose(AppId id) {
    TvApp* record = AppRecord(id);
    if (!record) return;
    const AppProfile& profile = *ProfileOf(id);
    Hwnd window = FindAppWindow(id);
    if (window == 0) return;
    if (profile.closeMode == CloseMode::AltF4) {
        CloseByAltF4(id, window);
    } else {
        PostToApp(id, window, profile.commandMessage, profile.closeCommand, 0);
    }
    if (profile.pauseMs != 0) Plat().Sleep(profile.pauseMs);
    record->active = false;
}

void TogglePower(AppId id) {
    TvApp* record = AppRecord(id);
    if (!record) return;
    if (PowerToggleOf(id) == PowerToggle::Close) {
        RequestClose(id);
        return;
    }
    record->BringForward();
    const AppProfile& profile = *ProfileOf(id);
    if (profile.pauseMs != 0) Plat().Sleep(profile.pauseMs);
    ArmAppWatch();
    if (record->active) logic.launched[SlotOf(id)] = true;
}

PowerToggle PowerToggleOf(AppId id) {
    if (IsRunning(id)) return PowerToggle::Close;
    return IsInstalled(id) ? PowerToggle::Start : PowerToggle::Nothing;
}

// A box of one close (an application that runs as administrator) may wait while the
// session goes away; the closes left are then not made where nobody sees them.
void CloseOthers(AppId id, const AppId* order, int count) {
    for (int slot = 0; slot < count && !SessionPaused(); ++slot) {
        if (order[slot] != id) RequestClose(order[slot]);
    }
}

void SwitchTo(AppId id) {
    TvApp* record = AppRecord(id);
    if (!record) return;
    CloseOthers(id);
    record->BringForward();
}

void SendKey(AppId id, RemoteKey key) {
    const AppProfile* profile = ProfileOf(id);
    if (!profile) return;
    if (profile->keyMap == KeyMap::Keystrokes) {
        SendKeystrokeCommand(id, key);
    } else {
        SendMessageCommand(id, key);
    }
}

// A program that runs at a higher integrity level than the utility refuses its messages
// (ERROR_ACCESS_DENIED) and its injected input: the remote cannot reach that application
// at all. The user is told once for each run of it, which its main window stands for.
bool PostToApp(AppId id, Hwnd target, std::uint32_t msg, WParam wParam, LParam lParam) {
    Platform& platform = Plat();
    if (platform.PostMessageA(target, msg, wParam, lParam)) return true;
    if (platform.GetLastError() != static_cast<std::uint32_t>(ERROR_ACCESS_DENIED)) return false;
    int slot = SlotOf(id);
    if (slot < 0 || elevationBoxOpen) return false;
    Hwnd run = FindAppWindow(id);
    if (run == logic.elevationReported[slot]) return false;
    logic.elevationReported[slot] = run;
    char text[192];
    std::size_t length = CopyTruncated(text, sizeof text, AppLabel(id));
    CopyTruncated(text + length, sizeof text - length, kElevatedText);
    elevationBoxOpen = true;
    platform.MessageBoxA(0, text, "Remote Control", MB_OK | MB_SETFOREGROUND);
    elevationBoxOpen = false;
    return false;
}

bool IsLaunched(AppId id) {
    int slot = SlotOf(id);
    return slot >= 0 && logic.launched[slot];
}

void PLATFORM_CALLBACK AppWatchTick(Hwnd, std::uint32_t, std::uintptr_t, std::uint32_t) {
    for (int slot = 0; slot < kAppCount; ++slot) {
        if (!logic.launched[slot]) continue;
        AppId id = kAppOrder[slot];
        if (FindAppWindow(id) != 0) return;
        ClearActive(id);
        DisarmAppWatch();
        logic.launched[slot] = false;
        return;
    }
    Plat().Sleep(kPauseMs);
    DisarmAppWatch();
}
