// RemoteMonitor.exe's entry: the Win32 platform under the portable monitor, and the console's
// control handler, which Windows calls on a thread of its own.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
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

}  // namespace

int main(int argc, char** argv) {
    InstallPlatform(&Win32PlatformInstance());
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    return RunMonitor(argc, argv);
}
