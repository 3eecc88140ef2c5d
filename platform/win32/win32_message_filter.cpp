// The message filter of a program run as administrator. Both functions are missing from
// the user32 of Windows XP and older, and ChangeWindowMessageFilterEx from Vista's, so they
// are looked up when called rather than imported: an import would keep the program from
// starting there at all.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_late_bound.h"
#include "platform/win32/win32_platform.h"

namespace {

LateBound filterExEntry{"user32.dll", "ChangeWindowMessageFilterEx", false, nullptr};
LateBound filterEntry{"user32.dll", "ChangeWindowMessageFilter", false, nullptr};

}  // namespace

bool Win32Platform::ChangeWindowMessageFilterEx(Hwnd window, std::uint32_t msg,
                                                std::uint32_t action, void* changeInfo) {
    auto change = Find<BOOL(WINAPI*)(HWND, UINT, DWORD, void*)>(filterExEntry);
    return change && change(AsHwnd(window), msg, action, changeInfo) != FALSE;
}

bool Win32Platform::ChangeWindowMessageFilter(std::uint32_t msg, std::uint32_t flag) {
    auto change = Find<BOOL(WINAPI*)(UINT, DWORD)>(filterEntry);
    return change && change(msg, flag) != FALSE;
}
