// The user's files: the special folder they live in, opening and creating them, their
// attributes, times and size, and folders. ReadFile, WriteFile and CloseHandle are the
// console's and the devices' calls. SHGetFolderPathA (shell32 from Windows 2000 and ME) and
// GetFileAttributesExA (Windows 98 and NT 4) are looked up when first called.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_late_bound.h"
#include "platform/win32/win32_platform.h"

namespace {

using FolderPathProc = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
using AttributesProc = BOOL(WINAPI*)(LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID);

LateBound folderPathEntry{"shell32.dll", "SHGetFolderPathA", false, nullptr};
LateBound attributesEntry{"kernel32.dll", "GetFileAttributesExA", false, nullptr};

}  // namespace

HResult Win32Platform::SHGetFolderPathA(Hwnd owner, int folder, Handle token, std::uint32_t flags,
                                        char* path) {
    auto call = Find<FolderPathProc>(folderPathEntry);
    if (!call) return HRESULT_FROM_WIN32(ERROR_CALL_NOT_IMPLEMENTED);
    return call(AsHwnd(owner), folder, AsNative<HANDLE>(token), flags, path);
}

Handle Win32Platform::CreateFileA(const char* path, std::uint32_t access, std::uint32_t share,
                                  SecurityAttributes* security, std::uint32_t disposition,
                                  std::uint32_t flagsAndAttributes, Handle templateFile) {
    return FromNative(::CreateFileA(path, access, share,
                                    reinterpret_cast<LPSECURITY_ATTRIBUTES>(security), disposition,
                                    flagsAndAttributes, AsNative<HANDLE>(templateFile)));
}

bool Win32Platform::GetFileAttributesExA(const char* path, std::uint32_t infoLevel,
                                         FileAttributeData* data) {
    auto call = Find<AttributesProc>(attributesEntry);
    return call && call(path, static_cast<GET_FILEEX_INFO_LEVELS>(infoLevel), data) != FALSE;
}

bool Win32Platform::CreateDirectoryA(const char* path, SecurityAttributes* security) {
    return ::CreateDirectoryA(path, reinterpret_cast<LPSECURITY_ATTRIBUTES>(security)) != FALSE;
}
