#include "apps/tv_app.h"

#include <cstring>

#include "apps/actions.h"
#include "apps/window_search.h"
#include "shell/session_watch.h"
#include "shell/static_objects.h"
#include "shell/text.h"
#include "shell/timer_slot.h"

namespace {

constexpr std::uint32_t kPauseMs = 2000;
constexpr const char* kCommonKey = "Software\\Zarvin Multimedia\\TV Duo\\DTVR";

// True while the box of a failed launch waits for the user: its modal loop keeps the key
// poll running, and a held Power key would otherwise retry the launch and stack another
// box on every repeat.
bool launchFailureBoxOpen = false;

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

TvApp* AppRecord(AppId id) {
    int slot = AppSlot(id);
    return slot < 0 ? nullptr : &logic.apps[slot];
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
    if (record->active) logic.launched[AppSlot(id)] = true;
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

bool IsLaunched(AppId id) {
    int slot = AppSlot(id);
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
