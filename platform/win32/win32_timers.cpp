// Time and window timers.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_platform.h"

std::uint32_t Win32Platform::GetTickCount() {
    return ::GetTickCount();
}

void Win32Platform::Sleep(std::uint32_t ms) {
    ::Sleep(ms);
}

std::uintptr_t Win32Platform::SetTimer(Hwnd owner, std::uintptr_t id, std::uint32_t ms,
                                       TimerProc proc) {
    return ::SetTimer(AsHwnd(owner), id, ms, AsNativeProc<TIMERPROC>(proc));
}

bool Win32Platform::KillTimer(Hwnd owner, std::uintptr_t id) {
    return ::KillTimer(AsHwnd(owner), id) != FALSE;
}
