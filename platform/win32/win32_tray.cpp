// The notification-area icon and its popup menu.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_platform.h"

bool Win32Platform::Shell_NotifyIconA(std::uint32_t message, NotifyIconData* data) {
    return ::Shell_NotifyIconA(message, reinterpret_cast<PNOTIFYICONDATAA>(data)) != FALSE;
}

Handle Win32Platform::CreatePopupMenu() {
    return FromNative(::CreatePopupMenu());
}

bool Win32Platform::AppendMenuA(Handle menu, std::uint32_t flags, std::uintptr_t id,
                                const char* text) {
    return ::AppendMenuA(AsNative<HMENU>(menu), flags, id, text) != FALSE;
}

bool Win32Platform::DestroyMenu(Handle menu) {
    return ::DestroyMenu(AsNative<HMENU>(menu)) != FALSE;
}

int Win32Platform::TrackPopupMenu(Handle menu, std::uint32_t flags, int x, int y, int reserved,
                                  Hwnd owner, const void* rect) {
    return ::TrackPopupMenu(AsNative<HMENU>(menu), flags, x, y, reserved, AsHwnd(owner),
                            static_cast<const RECT*>(rect));
}
