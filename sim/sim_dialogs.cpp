// Placeholder bodies until the pointer, dialogs, shutdown and settings land.
#include "sim/sim_desktop.h"

bool SimDesktop::GetCursorPos(Point*) {
    return {};
}
bool SimDesktop::SetCursorPos(int, int) {
    return {};
}
void SimDesktop::mouse_event(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                             std::uintptr_t) {}
LParam SimDesktop::GetMessageExtraInfo() {
    return {};
}
int SimDesktop::GetSystemMetrics(int) {
    return {};
}
std::intptr_t SimDesktop::DialogBoxParamA(Handle, int, Hwnd, DlgProc, LParam) {
    return {};
}
bool SimDesktop::EndDialog(Hwnd, std::intptr_t) {
    return {};
}
bool SimDesktop::SetWindowPos(Hwnd, Hwnd, int, int, int, int, std::uint32_t) {
    return {};
}
Hwnd SimDesktop::GetDlgItem(Hwnd, int) {
    return {};
}
LResult SimDesktop::SendDlgItemMessageA(Hwnd, int, std::uint32_t, WParam, LParam) {
    return {};
}
std::uint32_t SimDesktop::GetVersion() {
    return {};
}
bool SimDesktop::GetVersionExA(OsVersionInfo*) {
    return {};
}
Handle SimDesktop::GetCurrentProcess() {
    return {};
}
bool SimDesktop::OpenProcessToken(Handle, std::uint32_t, Handle*) {
    return {};
}
bool SimDesktop::LookupPrivilegeValueA(const char*, const char*, Luid*) {
    return {};
}
bool SimDesktop::AdjustTokenPrivileges(Handle, bool, TokenPrivileges*, std::uint32_t,
                                       TokenPrivileges*, std::uint32_t*) {
    return {};
}
std::uint32_t SimDesktop::GetLastError() {
    return lastError;
}
bool SimDesktop::ExitWindowsEx(std::uint32_t, std::uint32_t) {
    return {};
}
RegStatus SimDesktop::RegOpenKeyExA(HKey, const char*, std::uint32_t, std::uint32_t, HKey*) {
    return {};
}
RegStatus SimDesktop::RegCreateKeyExA(HKey, const char*, std::uint32_t, char*, std::uint32_t,
                                      std::uint32_t, void*, HKey*, std::uint32_t*) {
    return {};
}
RegStatus SimDesktop::RegSetValueExA(HKey, const char*, std::uint32_t, std::uint32_t,
                                     const std::uint8_t*, std::uint32_t) {
    return {};
}
RegStatus SimDesktop::RegFlushKey(HKey) {
    return {};
}
std::uint32_t SimDesktop::GetWindowsDirectoryA(char*, std::uint32_t) {
    return {};
}
std::uint32_t SimDesktop::GetPrivateProfileIntA(const char*, const char*, int, const char*) {
    return {};
}
