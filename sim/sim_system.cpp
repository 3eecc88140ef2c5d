// The system: version information, the process token and its shutdown privilege, the
// shutdown request (recorded, never made), the Windows folder and profile files.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "sim/sim_desktop.h"

namespace {

constexpr Handle kCurrentProcess = static_cast<Handle>(-1);  // the pseudo-handle
constexpr Handle kProcessToken = 0x7004;
constexpr std::uint32_t kShutdownPrivilegeLuid = 19;

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string ProfileKey(const std::string& file, const std::string& section,
                       const std::string& key) {
    return Lower(file) + "|" + Lower(section) + "|" + Lower(key);
}

// As the profile functions read an integer: leading digits, 0 for none or a negative.
std::uint32_t ProfileInteger(const std::string& text) {
    long value = 0;
    if (std::sscanf(text.c_str(), "%ld", &value) != 1 || value < 0) return 0;
    return static_cast<std::uint32_t>(value);
}

}  // namespace

// Windows XP for the NT family, Windows 98 for the 95 family.
std::uint32_t SimDesktop::GetVersion() {
    ++calls;
    return win9xFamily ? 0xC0000A04u : 0x0A280105u;
}

bool SimDesktop::GetVersionExA(OsVersionInfo* info) {
    ++calls;
    if (!info || info->size != sizeof(OsVersionInfo)) {
        lastError = 122;  // ERROR_INSUFFICIENT_BUFFER
        return false;
    }
    if (win9xFamily) {
        *info = OsVersionInfo{info->size, 4, 10, 0x040A07CE, VER_PLATFORM_WIN32_WINDOWS, {}};
    } else {
        *info = OsVersionInfo{info->size, 5, 1, 2600, VER_PLATFORM_WIN32_NT, {}};
        std::snprintf(info->csdVersion, sizeof info->csdVersion, "Service Pack 3");
    }
    return true;
}

Handle SimDesktop::GetCurrentProcess() {
    ++calls;
    return kCurrentProcess;
}

bool SimDesktop::OpenProcessToken(Handle process, std::uint32_t, Handle* token) {
    ++calls;
    if (tokenOpenRefused || process != kCurrentProcess || !token) {
        lastError = ERROR_ACCESS_DENIED;
        return false;
    }
    *token = kProcessToken;
    ++openTokens;
    return true;
}

bool SimDesktop::CloseToken(Handle token) {
    if (token != kProcessToken || openTokens == 0) return false;
    --openTokens;
    return true;
}

bool SimDesktop::LookupPrivilegeValueA(const char* system, const char* name, Luid* luid) {
    ++calls;
    if (system != nullptr || !name || !luid || Lower(name) != "seshutdownprivilege") {
        lastError = ERROR_NO_SUCH_PRIVILEGE;
        return false;
    }
    *luid = Luid{kShutdownPrivilegeLuid, 0};
    return true;
}

// A privilege the token does not hold is left out, and the call still succeeds: only
// the last error tells.
bool SimDesktop::AdjustTokenPrivileges(Handle token, bool, TokenPrivilegeList* newState,
                                       std::uint32_t, TokenPrivilegeList*, std::uint32_t*) {
    ++calls;
    if (token != kProcessToken || !newState) {
        lastError = ERROR_INVALID_HANDLE;
        return false;
    }
    bool asksShutdown = newState->privilegeCount == 1 &&
                        newState->luid.lowPart == kShutdownPrivilegeLuid &&
                        newState->luid.highPart == 0;
    if (asksShutdown && !shutdownPrivilegeHeld) {
        lastError = ERROR_NOT_ALL_ASSIGNED;
        return true;
    }
    if (asksShutdown) shutdownPrivilegeEnabled = (newState->attributes & SE_PRIVILEGE_ENABLED) != 0;
    lastError = 0;
    return true;
}

std::uint32_t SimDesktop::GetLastError() {
    ++calls;
    return lastError;
}

// On the NT family only a process with the shutdown privilege enabled may ask.
bool SimDesktop::ExitWindowsEx(std::uint32_t flags, std::uint32_t) {
    ++calls;
    char line[40];
    bool refused = exitWindowsRefused || (!win9xFamily && !shutdownPrivilegeEnabled);
    std::snprintf(line, sizeof line,
                  refused ? "shutdown refused flags=0x%02X" : "shutdown flags=0x%02X", flags);
    Trace(line);
    if (refused) {
        lastError = exitWindowsRefused ? ERROR_ACCESS_DENIED : ERROR_PRIVILEGE_NOT_HELD;
        return false;
    }
    shutdownRequests.push_back(flags);
    return true;
}

// Answers the length without the NUL, or the size needed with it when it does not fit.
std::uint32_t SimDesktop::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
    ++calls;
    auto length = static_cast<std::uint32_t>(windowsDirectory.size());
    if (!buffer || size <= length) return length + 1;
    std::memcpy(buffer, windowsDirectory.c_str(), length + 1);
    return length;
}

void SimDesktop::SetProfileValue(const std::string& file, const std::string& section,
                                 const std::string& key, const std::string& text) {
    profileValues[ProfileKey(file, section, key)] = text;
}

std::uint32_t SimDesktop::GetPrivateProfileIntA(const char* section, const char* key,
                                                int defaultValue, const char* file) {
    ++calls;
    if (!section || !key || !file) return static_cast<std::uint32_t>(defaultValue);
    auto found = profileValues.find(ProfileKey(file, section, key));
    if (found == profileValues.end()) return static_cast<std::uint32_t>(defaultValue);
    return ProfileInteger(found->second);
}
