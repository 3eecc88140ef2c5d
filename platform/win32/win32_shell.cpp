// Launching programs and message boxes.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_platform.h"

std::intptr_t Win32Platform::ShellExecuteA(Hwnd owner, const char* verb, const char* file,
                                           const char* parameters, const char* directory,
                                           int show) {
    return reinterpret_cast<std::intptr_t>(
        ::ShellExecuteA(AsHwnd(owner), verb, file, parameters, directory, show));
}

std::intptr_t Win32Platform::ShellExecuteW(Hwnd owner, const char16_t* verb, const char16_t* file,
                                           const char16_t* parameters, const char16_t* directory,
                                           int show) {
    return reinterpret_cast<std::intptr_t>(::ShellExecuteW(
        AsHwnd(owner), AsWide(verb), AsWide(file), AsWide(parameters), AsWide(directory), show));
}

int Win32Platform::MessageBoxA(Hwnd owner, const char* text, const char* caption,
                               std::uint32_t type) {
    return ::MessageBoxA(AsHwnd(owner), text, caption, type);
}
