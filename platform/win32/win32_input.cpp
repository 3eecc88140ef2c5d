// Messages to other windows, foreground and activation, synthesized keyboard and pointer input.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_late_bound.h"
#include "platform/win32/win32_platform.h"

bool Win32Platform::PostMessageA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) {
    return ::PostMessageA(AsHwnd(window), msg, wParam, lParam) != FALSE;
}

LResult Win32Platform::SendMessageA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) {
    return ::SendMessageA(AsHwnd(window), msg, wParam, lParam);
}

bool Win32Platform::BringWindowToTop(Hwnd window) {
    return ::BringWindowToTop(AsHwnd(window)) != FALSE;
}

bool Win32Platform::SetForegroundWindow(Hwnd window) {
    return ::SetForegroundWindow(AsHwnd(window)) != FALSE;
}

Hwnd Win32Platform::SetActiveWindow(Hwnd window) {
    return FromHwnd(::SetActiveWindow(AsHwnd(window)));
}

Hwnd Win32Platform::GetForegroundWindow() {
    return FromHwnd(::GetForegroundWindow());
}

void Win32Platform::keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                                std::uintptr_t extraInfo) {
    ::keybd_event(vk, scan, flags, extraInfo);
}

bool Win32Platform::GetCursorPos(Point* point) {
    return ::GetCursorPos(reinterpret_cast<LPPOINT>(point)) != FALSE;
}

bool Win32Platform::SetCursorPos(int x, int y) {
    return ::SetCursorPos(x, y) != FALSE;
}

void Win32Platform::mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy,
                                std::uint32_t data, std::uintptr_t extraInfo) {
    ::mouse_event(flags, dx, dy, data, extraInfo);
}

LParam Win32Platform::GetMessageExtraInfo() {
    return ::GetMessageExtraInfo();
}

int Win32Platform::GetSystemMetrics(int index) {
    return ::GetSystemMetrics(index);
}

// The monitor calls came with Windows 98 and 2000; they are looked up when first used, so
// that the program still starts where they are missing, and answers as if no monitor were
// there.
namespace {

LateBound monitorFromPointEntry{"user32.dll", "MonitorFromPoint", false, nullptr};
LateBound getMonitorInfoEntry{"user32.dll", "GetMonitorInfoA", false, nullptr};

}  // namespace

Handle Win32Platform::MonitorFromPoint(Point point, std::uint32_t flags) {
    auto monitorFromPoint = Find<HMONITOR(WINAPI*)(POINT, DWORD)>(monitorFromPointEntry);
    if (!monitorFromPoint) return 0;
    return reinterpret_cast<Handle>(monitorFromPoint(POINT{point.x, point.y}, flags));
}

bool Win32Platform::GetMonitorInfoA(Handle monitor, MonitorInfo* info) {
    auto getMonitorInfo = Find<BOOL(WINAPI*)(HMONITOR, LPMONITORINFO)>(getMonitorInfoEntry);
    if (!getMonitorInfo) return false;
    return getMonitorInfo(reinterpret_cast<HMONITOR>(monitor),
                          reinterpret_cast<LPMONITORINFO>(info)) != FALSE;
}
