// The system: version information, the process token and its shutdown privilege, the
// shutdown request (recorded, never made), the thread's last error, the Windows folder
// and profile files, the files on the disk, the program's resources (strings 22 and 23,
// icons 50 and 110, accelerator table 23), and sleep. The operations are SimDesktop's, in
// sim_system.cpp.
//
// Sleep, as Windows does it: WM_POWERBROADCAST with PBT_APMSUSPEND goes to every top-level
// window, and the PC sleeps a little later (Windows gives a program about 2 s to handle
// the event). Asleep, the thread runs nothing and the clock goes on (GetTickCount counts
// the time asleep); a timer that fell due comes once at the wake, as after any block, and
// before the resume events, which come a little after the wake: PBT_APMRESUMEAUTOMATIC
// always, then PBT_APMRESUMESUSPEND when the user woke the PC. Devices are made anew at
// the wake (sim_devices.h).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

struct SimSystem {
    bool win9xFamily = false;  // GetVersion high bit, GetVersionExA platform 1
    // The release of the NT family, major << 8 | minor: 0x0501 XP, 0x0600 Vista, 0x0601
    // Windows 7 and later. It decides which calls user32 has and whether there are integrity
    // levels and registry virtualization (Vista and later).
    std::uint32_t ntVersion = 0x0601;
    bool NtAtLeast(std::uint32_t version) const { return !win9xFamily && ntVersion >= version; }
    bool tokenOpenRefused = false;      // OpenProcessToken fails
    bool shutdownPrivilegeHeld = true;  // false: the adjustment leaves ERROR_NOT_ALL_ASSIGNED
    bool exitWindowsRefused = false;    // ExitWindowsEx fails
    bool shutdownPrivilegeEnabled = false;
    int openTokens = 0;  // process tokens opened and not yet closed
    bool CloseToken(Handle token);
    std::uint32_t lastError = 0;                  // GetLastError
    std::vector<std::uint32_t> shutdownRequests;  // flags of every accepted ExitWindowsEx

    std::string windowsDirectory = "C:\\WINDOWS";
    void SetProfileValue(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& text);
    std::map<std::string, std::string> profileValues;  // "file|section|key", lower case
    std::vector<std::string> files;                    // paths on the disk; compared ignoring case

    std::uint32_t sleepDelayMs = 1000;           // from the suspend event to the sleep
    std::uint32_t resumeBroadcastDelayMs = 100;  // from the wake to the first resume event
    bool sleepPending = false;                   // suspended, not yet asleep
    bool asleep = false;
    // S0 low-power idle (Modern Standby): the power broadcasts reach only the windows
    // registered with RegisterSuspendResumeNotification.
    bool modernStandby = false;
    std::map<Handle, Hwnd> powerRegistrations;
    Handle nextPowerRegistration = 0;
    // CancelIoEx and RegisterSuspendResumeNotification exist: not on the 95 family (nor on
    // XP and 7 respectively, which the scenarios do not tell apart).
    bool NewerCallsPresent() const { return !win9xFamily; }

    // The command of the program's accelerator for this character with Alt, or 0.
    static std::uint32_t AcceleratorCommand(Handle accelerators, WParam character);
};
