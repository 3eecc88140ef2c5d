// The power-off request that confirms the Shut Down dialog.
#include "routing/shutdown.h"

namespace {

constexpr std::uint32_t kNtShutdownFlags = EWX_POWEROFF | EWX_FORCE;

// The NT family powers off only for a process whose token has the shutdown privilege
// enabled; each refusal on the way ends the attempt without a word.
bool EnableShutdownPrivilege() {
    Platform& platform = Plat();
    Handle token = 0;
    if (!platform.OpenProcessToken(platform.GetCurrentProcess(),
                                   TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return false;
    }
    TokenPrivilegeList privileges{};
    privileges.privilegeCount = 1;
    bool enabled = false;
    if (platform.LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.luid)) {
        privileges.attributes = SE_PRIVILEGE_ENABLED;
        platform.AdjustTokenPrivileges(token, false, &privileges, 0, nullptr, nullptr);
        // The adjustment also "succeeds" when the privilege was not granted; only the
        // last error tells.
        enabled = platform.GetLastError() == 0;
    }
    platform.CloseHandle(token);
    return enabled;
}

}  // namespace

bool IsWin9xPlatform() {
    OsVersionInfo info{};
    info.size = sizeof info;
    Plat().GetVersionExA(&info);
    return info.platformId == VER_PLATFORM_WIN32_WINDOWS;
}

void ShutDownComputer() {
    Platform& platform = Plat();
    if (IsWin9xPlatform()) {
        platform.ExitWindowsEx(EWX_SHUTDOWN, 0);
        return;
    }
    if (!EnableShutdownPrivilege()) return;
    if (!platform.ExitWindowsEx(kNtShutdownFlags, 0)) {
        platform.MessageBoxA(0, "Can't run ExitWindowsEx.", "Remote Control", MB_OK);
    }
}
