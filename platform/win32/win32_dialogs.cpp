// Modal dialogs and their controls.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_platform.h"

std::intptr_t Win32Platform::DialogBoxParamA(Handle instance, int templateId, Hwnd owner,
                                             DlgProc proc, LParam initParam) {
    return ::DialogBoxParamA(AsNative<HINSTANCE>(instance), MAKEINTRESOURCEA(templateId),
                             AsHwnd(owner), AsNativeProc<DLGPROC>(proc), initParam);
}

bool Win32Platform::EndDialog(Hwnd dialog, std::intptr_t result) {
    return ::EndDialog(AsHwnd(dialog), result) != FALSE;
}

bool Win32Platform::SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                                 std::uint32_t flags) {
    return ::SetWindowPos(AsHwnd(window), AsHwnd(insertAfter), x, y, cx, cy, flags) != FALSE;
}

Hwnd Win32Platform::GetDlgItem(Hwnd dialog, int id) {
    return FromHwnd(::GetDlgItem(AsHwnd(dialog), id));
}

LResult Win32Platform::SendDlgItemMessageA(Hwnd dialog, int id, std::uint32_t msg, WParam wParam,
                                           LParam lParam) {
    return ::SendDlgItemMessageA(AsHwnd(dialog), id, msg, wParam, lParam);
}
