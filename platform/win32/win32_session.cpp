// Sessions and named objects. The session calls came with Windows XP (ProcessIdToSessionId
// with Windows 2000), so the program, which also runs on Windows 9x, finds them when they are
// first called rather than importing them: a missing import would keep it from loading.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_late_bound.h"
#include "platform/win32/win32_platform.h"

namespace {

using RegisterProc = BOOL(WINAPI*)(HWND, DWORD);
using UnRegisterProc = BOOL(WINAPI*)(HWND);
using SessionOfProc = BOOL(WINAPI*)(DWORD, DWORD*);
using ConsoleSessionProc = DWORD(WINAPI*)();

LateBound registerEntry{"wtsapi32.dll", "WTSRegisterSessionNotification", false, nullptr};
LateBound unRegisterEntry{"wtsapi32.dll", "WTSUnRegisterSessionNotification", false, nullptr};
LateBound sessionOfEntry{"kernel32.dll", "ProcessIdToSessionId", false, nullptr};
LateBound consoleSessionEntry{"kernel32.dll", "WTSGetActiveConsoleSessionId", false, nullptr};

}  // namespace

bool Win32Platform::WTSRegisterSessionNotification(Hwnd window, std::uint32_t flags) {
    auto call = Find<RegisterProc>(registerEntry);
    return call && call(AsHwnd(window), flags) != FALSE;
}

bool Win32Platform::WTSUnRegisterSessionNotification(Hwnd window) {
    auto call = Find<UnRegisterProc>(unRegisterEntry);
    return call && call(AsHwnd(window)) != FALSE;
}

std::uint32_t Win32Platform::GetCurrentProcessId() {
    return ::GetCurrentProcessId();
}

bool Win32Platform::ProcessIdToSessionId(std::uint32_t processId, std::uint32_t* sessionId) {
    auto call = Find<SessionOfProc>(sessionOfEntry);
    return call && call(processId, AsDwordOut(sessionId)) != FALSE;
}

std::uint32_t Win32Platform::WTSGetActiveConsoleSessionId() {
    auto call = Find<ConsoleSessionProc>(consoleSessionEntry);
    return call ? call() : 0xFFFFFFFFu;
}

bool Win32Platform::InitializeSecurityDescriptor(SecurityDescriptor* descriptor,
                                                 std::uint32_t revision) {
    return ::InitializeSecurityDescriptor(descriptor, revision) != FALSE;
}

bool Win32Platform::SetSecurityDescriptorDacl(SecurityDescriptor* descriptor, bool present,
                                              void* dacl, bool defaulted) {
    return ::SetSecurityDescriptorDacl(descriptor, static_cast<BOOL>(present),
                                       static_cast<PACL>(dacl),
                                       static_cast<BOOL>(defaulted)) != FALSE;
}

Handle Win32Platform::CreateMutexA(SecurityAttributes* security, bool initialOwner,
                                   const char* name) {
    return FromNative(::CreateMutexA(reinterpret_cast<LPSECURITY_ATTRIBUTES>(security),
                                     static_cast<BOOL>(initialOwner), name));
}

Handle Win32Platform::OpenMutexA(std::uint32_t access, bool inherit, const char* name) {
    return FromNative(::OpenMutexA(access, static_cast<BOOL>(inherit), name));
}
