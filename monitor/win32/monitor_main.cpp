// RemoteMonitor.exe's entry: the Win32 platform under the portable monitor, and the console's
// control handler, which Windows calls on a thread of its own.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include <cstring>

#include "apps/keys_file.h"
#include "monitor/keys_check.h"
#include "monitor/monitor.h"
#include "platform/win32/win32_instance.h"

namespace {

// Windows allows a handler 5 s on these events before it ends the process anyway.
constexpr DWORD kClosingGraceMs = 4500;

// Ctrl+C and Ctrl+Break end the run before its next poll. When the console closes (or the
// session ends) Windows ends the process as soon as the handler returns, so the handler
// waits while the run finishes its poll and closes the receiver; the process then ends with
// main, and this thread with it.
BOOL WINAPI OnConsoleControl(DWORD event) {
    bool closing =
        event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
    RequestMonitorStop(closing);
    if (closing) Sleep(kClosingGraceMs);
    return TRUE;
}

// A keys file whole, and one byte more than the parser takes so that it can refuse a longer
// file as such.
char keysData[kKeysFileMaxBytes + 1];

bool ReadKeysFile(const char* path, DWORD* size) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    *size = 0;
    bool read = true;
    while (read && *size < sizeof keysData) {
        DWORD got = 0;
        read = ReadFile(file, keysData + *size, sizeof keysData - *size, &got, nullptr) != 0;
        if (got == 0) break;
        *size += got;
    }
    CloseHandle(file);
    return read;
}

}  // namespace

int main(int argc, char** argv) {
    InstallPlatform(&Win32PlatformInstance());
    if (argc == 3 && std::strcmp(argv[1], "--check-keys") == 0) {
        DWORD size = 0;
        bool read = ReadKeysFile(argv[2], &size);
        return CheckKeysFile(argv[2], read ? keysData : nullptr, size);
    }
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    return RunMonitor(argc, argv);
}
