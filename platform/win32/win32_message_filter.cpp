// The message filter of a program run as administrator. Both functions are missing from
// the user32 of Windows XP and older, and ChangeWindowMessageFilterEx from Vista's, so they
// are looked up when called rather than imported: an import would keep the program from
// starting there at all.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_platform.h"

namespace {

template <class Proc>
Proc User32Function(const char* name) {
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    FARPROC found = user32 ? ::GetProcAddress(user32, name) : nullptr;
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(found));
}

}  // namespace

bool Win32Platform::ChangeWindowMessageFilterEx(Hwnd window, std::uint32_t msg,
                                                std::uint32_t action, void* changeInfo) {
    using Proc = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    Proc change = User32Function<Proc>("ChangeWindowMessageFilterEx");
    if (!change) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return false;
    }
    return change(AsHwnd(window), msg, action, changeInfo) != FALSE;
}

bool Win32Platform::ChangeWindowMessageFilter(std::uint32_t msg, std::uint32_t flag) {
    using Proc = BOOL(WINAPI*)(UINT, DWORD);
    Proc change = User32Function<Proc>("ChangeWindowMessageFilter");
    if (!change) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return false;
    }
    return change(msg, flag) != FALSE;
}
