// The console of RemoteMonitor.exe: its standard handles, which may lead to a console, a file
// or a pipe, and the list of the processes that share its console.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_platform.h"

Handle Win32Platform::GetStdHandle(std::uint32_t which) {
    return FromNative(::GetStdHandle(which));
}

bool Win32Platform::WriteFile(Handle file, const void* data, std::uint32_t size,
                              std::uint32_t* written, Overlapped* overlapped) {
    return ::WriteFile(AsNative<HANDLE>(file), data, size, AsDwordOut(written),
                       reinterpret_cast<LPOVERLAPPED>(overlapped)) != FALSE;
}

bool Win32Platform::ReadFile(Handle file, void* data, std::uint32_t size, std::uint32_t* read,
                             Overlapped* overlapped) {
    return ::ReadFile(AsNative<HANDLE>(file), data, size, AsDwordOut(read),
                      reinterpret_cast<LPOVERLAPPED>(overlapped)) != FALSE;
}

std::uint32_t Win32Platform::GetConsoleProcessList(std::uint32_t* processIds, std::uint32_t count) {
    return ::GetConsoleProcessList(AsDwordOut(processIds), count);
}
