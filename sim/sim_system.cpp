// The system: version information, the process token and its shutdown privilege, the
// shutdown request (recorded, never made), the Windows folder and profile files, the
// files on the disk and the program's resources.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "sim/sim_desktop.h"
#include "sim/sim_text.h"

namespace {

constexpr Handle kCurrentProcess = static_cast<Handle>(-1);  // the pseudo-handle
constexpr Handle kProcessToken = 0x7004;
constexpr std::uint32_t kShutdownPrivilegeLuid = 19;

constexpr Handle kIconBase = 0x50000;
constexpr Handle kCursorBase = 0x60000;
constexpr Handle kAcceleratorBase = 0x70000;

// The program's resources, as its resource script lays them down.
struct StringResource {
    std::uint32_t id;
    const char* text;
};
constexpr StringResource kStrings[] = {{22, "Remote Control"}, {23, "Remote Control"}};
constexpr int kIcons[] = {50, 110};
constexpr int kAcceleratorTable = 23;
struct Accelerator {
    WParam character;  // with Alt, as a character code (FALT without FVIRTKEY)
    std::uint32_t command;
};
constexpr Accelerator kAccelerators[] = {{'/', 30}, {'?', 32}};

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

struct SimNtRelease {
    std::uint32_t version;  // major << 8 | minor
    std::uint32_t build;
    const char* servicePack;
};

// The last service pack of each release the model knows.
SimNtRelease NtRelease(std::uint32_t version) {
    if (version >= 0x0601) return {0x0601, 7601, "Service Pack 1"};
    if (version >= 0x0600) return {0x0600, 6002, "Service Pack 2"};
    return {0x0501, 2600, "Service Pack 3"};
}

}  // namespace

// Windows 98 for the 95 family; for the NT family the release of system.ntVersion.
std::uint32_t SimDesktop::GetVersion() {
    ++calls;
    if (system.win9xFamily) return 0xC0000A04u;
    SimNtRelease release = NtRelease(system.ntVersion);
    return release.build << 16 | (release.version & 0xFF) << 8 | release.version >> 8;
}

bool SimDesktop::GetVersionExA(OsVersionInfo* info) {
    ++calls;
    if (!info || info->size != sizeof(OsVersionInfo)) {
        system.lastError = 122;  // ERROR_INSUFFICIENT_BUFFER
        return false;
    }
    if (system.win9xFamily) {
        *info = OsVersionInfo{info->size, 4, 10, 0x040A07CE, VER_PLATFORM_WIN32_WINDOWS, {}};
    } else {
        SimNtRelease release = NtRelease(system.ntVersion);
        *info = OsVersionInfo{info->size,    release.version >> 8,  release.version & 0xFF,
                              release.build, VER_PLATFORM_WIN32_NT, {}};
        std::snprintf(info->csdVersion, sizeof info->csdVersion, "%s", release.servicePack);
    }
    return true;
}

Handle SimDesktop::GetCurrentProcess() {
    ++calls;
    return kCurrentProcess;
}

bool SimDesktop::OpenProcessToken(Handle process, std::uint32_t, Handle* token) {
    ++calls;
    if (system.tokenOpenRefused || process != kCurrentProcess || !token) {
        system.lastError = ERROR_ACCESS_DENIED;
        return false;
    }
    *token = kProcessToken;
    ++system.openTokens;
    return true;
}

bool SimSystem::CloseToken(Handle token) {
    if (token != kProcessToken || openTokens == 0) return false;
    --openTokens;
    return true;
}

bool SimDesktop::LookupPrivilegeValueA(const char* machine, const char* name, Luid* luid) {
    ++calls;
    if (machine != nullptr || !name || !luid || Lower(name) != "seshutdownprivilege") {
        system.lastError = ERROR_NO_SUCH_PRIVILEGE;
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
        system.lastError = ERROR_INVALID_HANDLE;
        return false;
    }
    bool asksShutdown = newState->privilegeCount == 1 &&
                        newState->luid.lowPart == kShutdownPrivilegeLuid &&
                        newState->luid.highPart == 0;
    if (asksShutdown && !system.shutdownPrivilegeHeld) {
        system.lastError = ERROR_NOT_ALL_ASSIGNED;
        return true;
    }
    if (asksShutdown)
        system.shutdownPrivilegeEnabled = (newState->attributes & SE_PRIVILEGE_ENABLED) != 0;
    system.lastError = 0;
    return true;
}

std::uint32_t SimDesktop::GetLastError() {
    ++calls;
    return system.lastError;
}

// On the NT family only a process with the shutdown privilege enabled may ask.
bool SimDesktop::ExitWindowsEx(std::uint32_t flags, std::uint32_t) {
    ++calls;
    char line[40];
    bool refused =
        system.exitWindowsRefused || (!system.win9xFamily && !system.shutdownPrivilegeEnabled);
    std::snprintf(line, sizeof line,
                  refused ? "shutdown refused flags=0x%02X" : "shutdown flags=0x%02X", flags);
    Trace(line);
    if (refused) {
        system.lastError =
            system.exitWindowsRefused ? ERROR_ACCESS_DENIED : ERROR_PRIVILEGE_NOT_HELD;
        return false;
    }
    system.shutdownRequests.push_back(flags);
    return true;
}

// Answers the length without the NUL, or the size needed with it when it does not fit.
std::uint32_t SimDesktop::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
    ++calls;
    auto length = static_cast<std::uint32_t>(system.windowsDirectory.size());
    if (!buffer || size <= length) return length + 1;
    std::memcpy(buffer, system.windowsDirectory.c_str(), length + 1);
    return length;
}

void SimSystem::SetProfileValue(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& text) {
    profileValues[ProfileKey(file, section, key)] = text;
}

std::uint32_t SimDesktop::GetPrivateProfileIntA(const char* section, const char* key,
                                                int defaultValue, const char* file) {
    ++calls;
    if (!section || !key || !file) return static_cast<std::uint32_t>(defaultValue);
    auto found = system.profileValues.find(ProfileKey(file, section, key));
    if (found == system.profileValues.end()) return static_cast<std::uint32_t>(defaultValue);
    return ProfileInteger(found->second);
}

// --- the files on the disk ---

bool SimDesktop::DeleteFileA(const char* path) {
    ++calls;
    std::string target = OrEmpty(path);
    auto& listed = system.files;
    auto file = std::find_if(listed.begin(), listed.end(), [&](const std::string& present) {
        return Lower(present) == Lower(target);
    });
    bool found = file != listed.end();
    if (found) listed.erase(file);
    std::string key = SimFiles::Key(target);
    for (const auto& [handle, open] : files.open) {
        if (!found && open.key == key) {  // no handle shares the delete
            Trace("delete \"" + target + "\" in use");
            system.lastError = ERROR_SHARING_VIOLATION;
            return false;
        }
    }
    if (!found) found = files.files.erase(key) != 0;
    Trace("delete \"" + target + "\"" + (found ? " done" : " not found"));
    if (!found) system.lastError = ERROR_FILE_NOT_FOUND;
    return found;
}

// --- the program's resources ---

int SimDesktop::LoadStringA(Handle, std::uint32_t id, char* buffer, int size) {
    ++calls;
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    for (const auto& resource : kStrings) {
        if (resource.id != id) continue;
        std::size_t count =
            std::min(std::strlen(resource.text), static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, resource.text, count);
        buffer[count] = '\0';
        return static_cast<int>(count);
    }
    return 0;
}

// With instance 0 the system's own icons, otherwise the program's.
Handle SimDesktop::LoadIconA(Handle instance, int resourceId) {
    ++calls;
    bool known = instance == 0 ||
                 std::find(std::begin(kIcons), std::end(kIcons), resourceId) != std::end(kIcons);
    return known ? kIconBase + static_cast<Handle>(resourceId) : 0;
}

Handle SimDesktop::LoadCursorA(Handle instance, int resourceId) {
    ++calls;
    return instance == 0 ? kCursorBase + static_cast<Handle>(resourceId) : 0;
}

Handle SimDesktop::LoadAcceleratorsA(Handle, int resourceId) {
    ++calls;
    return resourceId == kAcceleratorTable ? kAcceleratorBase + kAcceleratorTable : 0;
}

// Table 23 has Alt+/ and Alt+?; TranslateAcceleratorA (sim_message_loop.cpp) applies it.
std::uint32_t SimSystem::AcceleratorCommand(Handle accelerators, WParam character) {
    if (accelerators != kAcceleratorBase + kAcceleratorTable) return 0;
    for (const auto& accelerator : kAccelerators) {
        if (character == accelerator.character) return accelerator.command;
    }
    return 0;
}

// --- sleep ---

void SimDesktop::BroadcastToTopLevel(std::uint32_t msg, WParam wParam, LParam lParam) {
    for (Hwnd handle : windows.zOrder_) {
        const SimWindow* window = windows.Find(handle);
        if (window->alive && window->utility && (window->proc || window->dlgProc))
            PostToQueue(handle, msg, wParam, lParam);
    }
}

void SimDesktop::Suspend() {
    if (system.sleepPending || system.asleep) return;
    devices.traceDiscovery = true;
    Trace("power suspend");
    BroadcastPower(PBT_APMSUSPEND);
    system.sleepPending = true;
    At(now + system.sleepDelayMs, [this] { FallAsleep(); });
}

// Runs the world from inside the event that began the sleep, so that whatever the thread
// was doing stays where it was until the wake.
void SimDesktop::FallAsleep() {
    if (!system.sleepPending) return;  // woken before it slept
    system.sleepPending = false;
    system.asleep = true;
    Trace("power sleep");
    while (system.asleep && !stopped) {
        if (events_.empty() || events_.begin()->first > runLimit) {
            RunWorldUntil(runLimit);
            stopped = true;
        } else {
            RunWorldUntil(events_.begin()->first);
        }
    }
}

void SimDesktop::Resume(bool userPresent) {
    bool slept = system.asleep;
    if (!slept && !system.sleepPending) return;
    system.asleep = false;
    system.sleepPending = false;
    Trace("power wake");
    if (slept) RecreateDevices();
    std::uint64_t at = now + system.resumeBroadcastDelayMs;
    At(at, [this] {
        Trace("power resume " + std::to_string(PBT_APMRESUMEAUTOMATIC));
        BroadcastPower(PBT_APMRESUMEAUTOMATIC);
    });
    if (!userPresent) return;
    At(at + system.resumeBroadcastDelayMs, [this] {
        Trace("power resume " + std::to_string(PBT_APMRESUMESUSPEND));
        BroadcastPower(PBT_APMRESUMESUSPEND);
    });
}

// On a machine that sleeps the classic way every top-level window hears the broadcast, a
// registered one once; with S0 low-power idle only the registered windows hear it.
void SimDesktop::BroadcastPower(WParam event) {
    if (!system.modernStandby) {
        BroadcastToTopLevel(WM_POWERBROADCAST, event, 0);
        return;
    }
    for (const auto& registration : system.powerRegistrations) {
        const SimWindow* window = windows.Find(registration.second);
        if (window && window->alive && window->utility)
            PostToQueue(registration.second, WM_POWERBROADCAST, event, 0);
    }
}

void SimDesktop::SuspendAborted() {
    if (system.sleepPending || system.asleep) return;
    devices.traceDiscovery = true;
    Trace("power suspend aborted");
    BroadcastPower(PBT_APMSUSPEND);
}

Handle SimDesktop::RegisterSuspendResumeNotification(Hwnd recipient, std::uint32_t flags) {
    ++calls;
    if (!system.NewerCallsPresent()) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return 0;
    }
    const SimWindow* window = windows.Find(recipient);
    if (!window || !window->alive || flags != DEVICE_NOTIFY_WINDOW_HANDLE) {
        system.lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    system.nextPowerRegistration += 4;
    Handle registration = 0x9000 + system.nextPowerRegistration;
    system.powerRegistrations[registration] = recipient;
    return registration;
}

bool SimDesktop::UnregisterSuspendResumeNotification(Handle notification) {
    ++calls;
    if (system.powerRegistrations.erase(notification) == 0) {
        ++devices.com.misuse;
        system.lastError = ERROR_INVALID_HANDLE;
        return false;
    }
    return true;
}
