// Resources, the main window's class and window, and the message loop.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_platform.h"

namespace {

WNDCLASSEXA ToNative(const WindowClass& windowClass) {
    WNDCLASSEXA native{};
    native.cbSize = sizeof(WNDCLASSEXA);
    native.style = windowClass.style;
    native.lpfnWndProc = AsNativeProc<WNDPROC>(windowClass.proc);
    native.hInstance = AsNative<HINSTANCE>(windowClass.instance);
    native.hIcon = AsNative<HICON>(windowClass.icon);
    native.hCursor = AsNative<HCURSOR>(windowClass.cursor);
    native.hbrBackground = AsNative<HBRUSH>(windowClass.background);
    native.lpszMenuName = windowClass.menuName;
    native.lpszClassName = windowClass.className;
    native.hIconSm = AsNative<HICON>(windowClass.smallIcon);
    return native;
}

}  // namespace

int Win32Platform::LoadStringA(Handle instance, std::uint32_t id, char* buffer, int size) {
    return ::LoadStringA(AsNative<HINSTANCE>(instance), id, buffer, size);
}

Handle Win32Platform::LoadIconA(Handle instance, int resourceId) {
    return FromNative(::LoadIconA(AsNative<HINSTANCE>(instance), MAKEINTRESOURCEA(resourceId)));
}

Handle Win32Platform::LoadCursorA(Handle instance, int resourceId) {
    return FromNative(::LoadCursorA(AsNative<HINSTANCE>(instance), MAKEINTRESOURCEA(resourceId)));
}

Handle Win32Platform::LoadAcceleratorsA(Handle instance, int resourceId) {
    return FromNative(
        ::LoadAcceleratorsA(AsNative<HINSTANCE>(instance), MAKEINTRESOURCEA(resourceId)));
}

std::uint16_t Win32Platform::RegisterClassExA(const WindowClass* windowClass) {
    const WNDCLASSEXA native = ToNative(*windowClass);
    return ::RegisterClassExA(&native);
}

Hwnd Win32Platform::CreateWindowExA(std::uint32_t exStyle, const char* cls, const char* title,
                                    std::uint32_t style, int x, int y, int width, int height,
                                    Hwnd parent, Handle menu, Handle instance, void* param) {
    return FromHwnd(::CreateWindowExA(exStyle, cls, title, style, x, y, width, height,
                                      AsHwnd(parent), AsNative<HMENU>(menu),
                                      AsNative<HINSTANCE>(instance), param));
}

bool Win32Platform::ShowWindow(Hwnd window, int show) {
    return ::ShowWindow(AsHwnd(window), show) != FALSE;
}

bool Win32Platform::UpdateWindow(Hwnd window) {
    return ::UpdateWindow(AsHwnd(window)) != FALSE;
}

LResult Win32Platform::DefWindowProcA(Hwnd window, std::uint32_t msg, WParam wParam,
                                      LParam lParam) {
    return ::DefWindowProcA(AsHwnd(window), msg, wParam, lParam);
}

int Win32Platform::GetMessageA(Msg* msg, Hwnd window, std::uint32_t first, std::uint32_t last) {
    return ::GetMessageA(reinterpret_cast<LPMSG>(msg), AsHwnd(window), first, last);
}

int Win32Platform::TranslateAcceleratorA(Hwnd window, Handle accelerators, Msg* msg) {
    return ::TranslateAcceleratorA(AsHwnd(window), AsNative<HACCEL>(accelerators),
                                   reinterpret_cast<LPMSG>(msg));
}

bool Win32Platform::TranslateMessage(const Msg* msg) {
    return ::TranslateMessage(reinterpret_cast<const MSG*>(msg)) != FALSE;
}

LResult Win32Platform::DispatchMessageA(const Msg* msg) {
    return ::DispatchMessageA(reinterpret_cast<const MSG*>(msg));
}

void Win32Platform::PostQuitMessage(int exitCode) {
    ::PostQuitMessage(exitCode);
}

std::uint32_t Win32Platform::RegisterWindowMessageA(const char* name) {
    return ::RegisterWindowMessageA(name);
}
