#include "apps/tv_app.h"

#include <cstdio>
#include <cstring>

#include "apps/keystroke_map.h"
#include "apps/message_maps.h"
#include "apps/window_search.h"
#include "shell/timer_slot.h"

TvApp lumacastApp;
TvApp vantorTvrApp;
TvApp omnivueApp;
TvApp dvbsSuiteApp;
OmnivueCenterApp omnivueCenterApp;

namespace {

constexpr std::uint32_t kMessage2000 = WM_USER + 2000;  // applications 2 and 7
constexpr std::uint32_t kMessage3000 = WM_USER + 3000;  // applications 6 and 9
constexpr std::uint32_t kPauseMs = 2000;
constexpr const char* kCommonKey = "Software\\Zarvin Multimedia\\TV Duo\\DTVR";

struct AppProfile {
    AppId id;
    const char* label;
    const char* registryKey;
    const char* valueName;
    const char* exeName;
    const char* windowClass;  // nullptr for application 1
    const char* windowTitle;
    const char* identityTitle;   // the whole title of the exact identity, or nullptr: any
    std::uint32_t closeMessage;  // 0: closed by Alt+F4
    WParam closeWParam;
    std::uint32_t pauseMs;  // after a close request, and after a toggle that did not close
};

constexpr AppProfile kProfiles[kAppCount] = {
    {1, "Lumacast", "SOFTWARE\\Tolvane\\Lumacast", "InstallPath", "Lumacast.exe", nullptr,
     "Lumacast", "Lumacast", 0, 0, 0},
    {2, "VantorTVR", "Software\\Marovex\\TV Suite\\TVR", "AppPath", "marovexTV.EXE", "VANTOR_TVR",
     "FormMainWindow", nullptr, kMessage2000, 1, 0},
    {6, "Omnivue", "Software\\Zarvin Multimedia\\TV Suite\\DTVR", "AppPath", "MainPanel.exe",
     "ZarvinMainPanel_Class", "TVR", "TVR", kMessage3000, 1, kPauseMs},
    {7, "DVBS SUITE", "SOFTWARE\\Marovex\\DVB Suite\\DVBS", "AppPath", "DVBS.EXE", "ZARVIN_DVBS",
     "DVBS", nullptr, kMessage2000, 1, 0},
    {9, "OmnivueCenter", "Software\\Zarvin Multimedia\\TV Hub\\DTVR", "AppPath", "Hubdeck.exe",
     "ZarvinMainPanel_Class", "Omnivue Center", "Omnivue Center", kMessage3000, 25, kPauseMs},
};

std::int32_t launched[kAppCount] = {};

// True while the box of a failed launch waits for the user: its modal loop keeps the key
// poll running, and a held Power key would otherwise retry the launch and stack another
// box on every repeat.
bool launchFailureBoxOpen = false;

int SlotOf(AppId id) {
    for (int slot = 0; slot < kAppCount; ++slot) {
        if (kAppOrder[slot] == id) return slot;
    }
    return -1;
}

const AppProfile* ProfileOf(AppId id) {
    int slot = SlotOf(id);
    return slot < 0 ? nullptr : &kProfiles[slot];
}

// Only the two Zarvin keys fall back to the key that both of their suites share.
bool HasCommonKeyRetry(const char* key) {
    return std::strcmp(key, "Software\\Zarvin Multimedia\\TV Hub\\DTVR") == 0 ||
           std::strcmp(key, "Software\\Zarvin Multimedia\\TV Suite\\DTVR") == 0;
}

void CopyText(char* target, std::size_t size, const char* text) {
    std::snprintf(target, size, "%s", text ? text : "");
}

void PressAltF4() {
    Platform& platform = Plat();
    platform.keybd_event(VK_MENU, 0, KEYEVENTF_EXTENDEDKEY, 0);
    platform.keybd_event(VK_F4, 0, KEYEVENTF_EXTENDEDKEY, 0);
    platform.keybd_event(VK_F4, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
    platform.keybd_event(VK_MENU, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
}

// Alt+F4 closes whichever window has the focus, so it is injected only when application
// 1 really is in front; otherwise its window is asked to close directly.
void CloseLumacast(Hwnd window) {
    Platform& platform = Plat();
    platform.SetForegroundWindow(window);
    platform.SetActiveWindow(window);
    if (platform.GetForegroundWindow() == window) {
        PressAltF4();
    } else {
        platform.PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
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

std::int32_t TvApp::ReadInstallFolder(const char* key, const char* valueName, const char* exeFile) {
    installed = 0;
    Platform& platform = Plat();
    HKey opened = 0;
    if (platform.RegOpenKeyA(HKEY_LOCAL_MACHINE, key, &opened) != ERROR_SUCCESS) return 0;
    std::uint32_t size = sizeof folder;
    RegStatus status = platform.RegQueryValueExA(opened, valueName, nullptr,
                                                 reinterpret_cast<std::uint8_t*>(folder), &size);
    platform.RegCloseKey(opened);
    if (status != ERROR_SUCCESS || size > sizeof folder) return 0;
    // A value stored without its terminator ends where its data ends; one that fills the
    // whole buffer without a terminator is too long.
    if (std::memchr(folder, '\0', size) == nullptr) {
        if (size == sizeof folder) return 0;
        folder[size] = '\0';
    }
    CopyText(exeName, sizeof exeName, exeFile);
    installed = 1;
    active = 0;
    return 1;
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
    if (installed == 0 || launchFailureBoxOpen) return 0;
    char path[256];
    std::snprintf(path, sizeof path, "%s\\%s", folder, exeName);
    if (platform.ShellExecuteA(0, "open", path, "remote", nullptr, SW_SHOW) > 32) {
        active = 1;
    } else {
        launchFailureBoxOpen = true;
        platform.MessageBoxA(0, "Can't run Tolvane Recastor II.", "Remote Control", MB_OK);
        launchFailureBoxOpen = false;
    }
    return lookUp();
}

Hwnd TvApp::BringForward() {
    if (installed != 1) return 0;
    Hwnd found = FindByTitlePrefix();
    if (found == 0) found = Launch();
    if (found == 0) return 0;
    Platform& platform = Plat();
    platform.SetForegroundWindow(found);
    platform.SetActiveWindow(found);
    return found;
}

TvApp* AppRecord(AppId id) {
    switch (id) {
        case 1:
            return &lumacastApp;
        case 2:
            return &vantorTvrApp;
        case 6:
            return &omnivueApp;
        case 7:
            return &dvbsSuiteApp;
        case 9:
            return &omnivueCenterApp;
        default:
            return nullptr;
    }
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

std::int32_t IsRunning(AppId id) {
    return FindAppWindow(id) != 0 ? 1 : 0;
}

std::int32_t IsInstalled(AppId id) {
    const TvApp* record = AppRecord(id);
    return record ? record->installed : 0;
}

void ClearActive(AppId id) {
    if (TvApp* record = AppRecord(id)) record->active = 0;
}

void RequestClose(AppId id) {
    TvApp* record = AppRecord(id);
    if (!record) return;
    const AppProfile& profile = *ProfileOf(id);
    Hwnd window = FindAppWindow(id);
    if (id == 1) record->window = window;
    if (window == 0) return;
    if (profile.closeMessage == 0) {
        CloseLumacast(window);
    } else {
        Plat().PostMessageA(window, profile.closeMessage, profile.closeWParam, 0);
        if (profile.pauseMs != 0) Plat().Sleep(profile.pauseMs);
    }
    record->active = 0;
}

void TogglePower(AppId id) {
    TvApp* record = AppRecord(id);
    if (!record) return;
    if (FindAppWindow(id) != 0) {
        RequestClose(id);
        return;
    }
    record->BringForward();
    const AppProfile& profile = *ProfileOf(id);
    if (profile.pauseMs != 0) Plat().Sleep(profile.pauseMs);
    ArmAppWatch();
    if (record->active != 0) launched[SlotOf(id)] = 1;
}

void CloseOthers(AppId id) {
    for (AppId other : kCloseOrder) {
        if (other != id) RequestClose(other);
    }
}

void SwitchTo(AppId id) {
    TvApp* record = AppRecord(id);
    if (!record) return;
    CloseOthers(id);
    record->BringForward();
}

void SendKey(AppId id, RemoteKey key) {
    if (id == 1) {
        SendKeystrokeCommand(key);
    } else if (IsAppId(id)) {
        SendMessageCommand(id, key);
    }
}

std::int32_t IsLaunched(AppId id) {
    int slot = SlotOf(id);
    return slot < 0 ? 0 : launched[slot];
}

void ClearLaunchedFlags() {
    for (auto& flag : launched)
        flag = 0;
}

void PLATFORM_CALLBACK AppWatchTick(Hwnd, std::uint32_t, std::uintptr_t, std::uint32_t) {
    for (int slot = 0; slot < kAppCount; ++slot) {
        if (launched[slot] == 0) continue;
        AppId id = kAppOrder[slot];
        if (FindAppWindow(id) != 0) return;
        ClearActive(id);
        DisarmAppWatch();
        launched[slot] = 0;
        return;
    }
    Plat().Sleep(kPauseMs);
    DisarmAppWatch();
}
