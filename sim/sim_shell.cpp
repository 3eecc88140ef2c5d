// Placeholder bodies until the main window and tray land.
#include "sim/sim_desktop.h"

bool SimDesktop::DeleteFileA(const char*) {
    return {};
}
int SimDesktop::LoadStringA(Handle, std::uint32_t, char*, int) {
    return {};
}
Handle SimDesktop::LoadIconA(Handle, int) {
    return {};
}
Handle SimDesktop::LoadCursorA(Handle, int) {
    return {};
}
Handle SimDesktop::LoadAcceleratorsA(Handle, int) {
    return {};
}
std::uint16_t SimDesktop::RegisterClassExA(const WindowClass*) {
    return {};
}
Hwnd SimDesktop::CreateWindowExA(std::uint32_t, const char*, const char*, std::uint32_t, int, int,
                                 int, int, Hwnd, Handle, Handle, void*) {
    return {};
}
bool SimDesktop::ShowWindow(Hwnd, int) {
    return {};
}
bool SimDesktop::UpdateWindow(Hwnd) {
    return {};
}
LResult SimDesktop::DefWindowProcA(Hwnd, std::uint32_t, WParam, LParam) {
    return {};
}
int SimDesktop::GetMessageA(Msg*, Hwnd, std::uint32_t, std::uint32_t) {
    return {};
}
int SimDesktop::TranslateAcceleratorA(Hwnd, Handle, Msg*) {
    return {};
}
bool SimDesktop::TranslateMessage(const Msg*) {
    return {};
}
LResult SimDesktop::DispatchMessageA(const Msg*) {
    return {};
}
void SimDesktop::PostQuitMessage(int) {}
std::uint32_t SimDesktop::RegisterWindowMessageA(const char*) {
    return {};
}
bool SimDesktop::Shell_NotifyIconA(std::uint32_t, NotifyIconData*) {
    return {};
}
Handle SimDesktop::CreatePopupMenu() {
    return {};
}
bool SimDesktop::AppendMenuA(Handle, std::uint32_t, std::uintptr_t, const char*) {
    return {};
}
bool SimDesktop::DestroyMenu(Handle) {
    return {};
}
int SimDesktop::TrackPopupMenu(Handle, std::uint32_t, int, int, int, Hwnd, const void*) {
    return {};
}
