// Lookup and enumeration of top-level windows.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_platform.h"

Hwnd Win32Platform::GetDesktopWindow() {
    return FromHwnd(::GetDesktopWindow());
}

Hwnd Win32Platform::GetWindow(Hwnd window, std::uint32_t cmd) {
    return FromHwnd(::GetWindow(AsHwnd(window), cmd));
}

int Win32Platform::GetWindowTextA(Hwnd window, char* text, int size) {
    return ::GetWindowTextA(AsHwnd(window), text, size);
}

Hwnd Win32Platform::FindWindowA(const char* cls, const char* title) {
    return FromHwnd(::FindWindowA(cls, title));
}

Hwnd Win32Platform::FindWindowExA(Hwnd parent, Hwnd after, const char* cls, const char* title) {
    return FromHwnd(::FindWindowExA(AsHwnd(parent), AsHwnd(after), cls, title));
}

bool Win32Platform::IsWindowVisible(Hwnd window) {
    return ::IsWindowVisible(AsHwnd(window)) != FALSE;
}
