// Version queries, process privileges and shutdown, files and the profile.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_platform.h"

std::uint32_t Win32Platform::GetVersion() {
    return ::GetVersion();
}

bool Win32Platform::GetVersionExA(OsVersionInfo* info) {
    return ::GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(info)) != FALSE;
}

Handle Win32Platform::GetCurrentProcess() {
    return FromNative(::GetCurrentProcess());
}

bool Win32Platform::OpenProcessToken(Handle process, std::uint32_t access, Handle* token) {
    return ::OpenProcessToken(AsNative<HANDLE>(process), access,
                              reinterpret_cast<PHANDLE>(token)) != FALSE;
}

bool Win32Platform::LookupPrivilegeValueA(const char* system, const char* name, Luid* luid) {
    return ::LookupPrivilegeValueA(system, name, reinterpret_cast<PLUID>(luid)) != FALSE;
}

bool Win32Platform::AdjustTokenPrivileges(Handle token, bool disableAll,
                                          TokenPrivilegeList* newState, std::uint32_t bufferLength,
                                          TokenPrivilegeList* previous,
                                          std::uint32_t* returnLength) {
    return ::AdjustTokenPrivileges(AsNative<HANDLE>(token), static_cast<BOOL>(disableAll),
                                   reinterpret_cast<PTOKEN_PRIVILEGES>(newState), bufferLength,
                                   reinterpret_cast<PTOKEN_PRIVILEGES>(previous),
                                   AsDwordOut(returnLength)) != FALSE;
}

std::uint32_t Win32Platform::GetLastError() {
    return ::GetLastError();
}

bool Win32Platform::ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
    return ::ExitWindowsEx(flags, reason) != FALSE;
}

std::uint32_t Win32Platform::GetWindowsDirectoryA(char* buffer, std::uint32_t size) {
    return ::GetWindowsDirectoryA(buffer, size);
}

std::uint32_t Win32Platform::GetPrivateProfileIntA(const char* section, const char* key,
                                                   int defaultValue, const char* file) {
    return ::GetPrivateProfileIntA(section, key, defaultValue, file);
}

bool Win32Platform::DeleteFileA(const char* path) {
    return ::DeleteFileA(path) != FALSE;
}
