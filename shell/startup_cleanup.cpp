#include "shell/startup_cleanup.h"

#include <cstring>

#include "apps/window_search.h"
#include "platform/platform.h"

namespace {

constexpr std::uint32_t kPathSize = 128;
constexpr char kShortcutTail[] = "\\Start Menu\\Programs\\StartUp\\Trelane Cinevox Manager.lnk";
constexpr WParam kMfcAppExit = 57665;  // ID_APP_EXIT of the manager's framework

void PostCloseAndDestroy(Hwnd window) {
    Plat().PostMessageA(window, WM_CLOSE, 0, 0);
    Plat().PostMessageA(window, WM_DESTROY, 0, 0);
}

}  // namespace

// A directory that cannot be read, or whose shortcut path would not fit the buffer, means
// no deletion: a cut path could name some other file.
void DeleteMediaManagerShortcut() {
    char path[kPathSize];
    std::uint32_t length = Plat().GetWindowsDirectoryA(path, kPathSize);
    if (length == 0 || length >= kPathSize) return;
    if (length + sizeof kShortcutTail > kPathSize) return;
    std::memcpy(path + length, kShortcutTail, sizeof kShortcutTail);
    Plat().DeleteFileA(path);
}

void CloseCompetingPrograms() {
    if (Hwnd manager = FindWindowByTitlePrefix("Trelane Cinevox Manager")) {
        Plat().PostMessageA(manager, WM_COMMAND, kMfcAppExit, 0);
        PostCloseAndDestroy(manager);
    }
    if (Hwnd olderUtility = FindWindowByTitlePrefix("Tuner Remote Control")) {
        PostCloseAndDestroy(olderUtility);
    }
    if (Hwnd runningInstance = FindRunningInstance()) {
        PostCloseAndDestroy(runningInstance);
    }
}

Hwnd FindRunningInstance() {
    return Plat().FindWindowA("Remote Control", nullptr);
}
