// The system: version information, the process token and its shutdown privilege, the
// shutdown request (recorded, never made), the thread's last error, the Windows folder
// and profile files, the files on the disk, and the program's resources (strings 22 and
// 23, icons 50 and 110, accelerator table 23). The operations are SimDesktop's, in
// sim_system.cpp.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

struct SimSystem {
    bool win9xFamily = false;           // GetVersion high bit, GetVersionExA platform 1
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

    // The command of the program's accelerator for this character with Alt, or 0.
    static std::uint32_t AcceleratorCommand(Handle accelerators, WParam character);
};
