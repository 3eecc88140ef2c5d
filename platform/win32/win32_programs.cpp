// Other programs: which process made a window and what its program file is, the window's
// class, owner and Unicode title, keyboard input for the program in front, and messages
// sent with a time-out. The calls that Windows 95 (GetAncestor, SendInput) or XP
// (QueryFullProcessImageNameA) lack, and psapi's, are looked up when first called.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_late_bound.h"
#include "platform/win32/win32_platform.h"

namespace {

using AncestorProc = HWND(WINAPI*)(HWND, UINT);
using TextWProc = int(WINAPI*)(HWND, LPWSTR, int);
using ImageNameProc = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);
using ModuleNameProc = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using SendInputProc = UINT(WINAPI*)(UINT, LPINPUT, int);

LateBound ancestorEntry{"user32.dll", "GetAncestor", false, nullptr};
LateBound textWEntry{"user32.dll", "GetWindowTextW", false, nullptr};
LateBound imageNameEntry{"kernel32.dll", "QueryFullProcessImageNameA", false, nullptr};
LateBound moduleNameEntry{"psapi.dll", "GetModuleFileNameExA", false, nullptr};
LateBound sendInputEntry{"user32.dll", "SendInput", false, nullptr};

}  // namespace

std::uint32_t Win32Platform::GetWindowThreadProcessId(Hwnd window, std::uint32_t* processId) {
    return ::GetWindowThreadProcessId(AsHwnd(window), AsDwordOut(processId));
}

Hwnd Win32Platform::GetAncestor(Hwnd window, std::uint32_t flags) {
    auto call = Find<AncestorProc>(ancestorEntry);
    return call ? FromHwnd(call(AsHwnd(window), flags)) : 0;
}

int Win32Platform::GetClassNameA(Hwnd window, char* name, int size) {
    return ::GetClassNameA(AsHwnd(window), name, size);
}

// char16_t and WCHAR are both 16-bit UTF-16 units on Windows.
int Win32Platform::GetWindowTextW(Hwnd window, char16_t* text, int size) {
    static_assert(sizeof(char16_t) == sizeof(WCHAR), "char16_t holds a WCHAR");
    auto call = Find<TextWProc>(textWEntry);
    return call ? call(AsHwnd(window), reinterpret_cast<LPWSTR>(text), size) : 0;
}

Handle Win32Platform::OpenProcess(std::uint32_t access, bool inherit, std::uint32_t processId) {
    return FromNative(::OpenProcess(access, static_cast<BOOL>(inherit), processId));
}

bool Win32Platform::QueryFullProcessImageNameA(Handle process, std::uint32_t flags, char* name,
                                               std::uint32_t* size) {
    auto call = Find<ImageNameProc>(imageNameEntry);
    return call && call(AsNative<HANDLE>(process), flags, name, AsDwordOut(size)) != FALSE;
}

std::uint32_t Win32Platform::GetModuleFileNameExA(Handle process, Handle module, char* name,
                                                  std::uint32_t size) {
    auto call = Find<ModuleNameProc>(moduleNameEntry);
    return call ? call(AsNative<HANDLE>(process), AsNative<HMODULE>(module), name, size) : 0;
}

// The records are copied into INPUT, whose keyboard member has the layout of Input; a batch
// larger than the seam allows fails as an invalid argument would.
std::uint32_t Win32Platform::SendInput(std::uint32_t count, const Input* inputs) {
    static_assert(sizeof(Input) == sizeof(KEYBDINPUT), "Input is KEYBDINPUT");
    auto call = Find<SendInputProc>(sendInputEntry);
    if (!call) return 0;
    if (count > kMaxInputBatch) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    INPUT records[kMaxInputBatch] = {};
    for (std::uint32_t i = 0; i < count; ++i) {
        records[i].type = INPUT_KEYBOARD;
        records[i].ki.wVk = inputs[i].vk;
        records[i].ki.wScan = inputs[i].scan;
        records[i].ki.dwFlags = inputs[i].flags;
        records[i].ki.time = inputs[i].time;
        records[i].ki.dwExtraInfo = inputs[i].extraInfo;
    }
    return call(count, records, static_cast<int>(sizeof(INPUT)));
}

LResult Win32Platform::SendMessageTimeoutA(Hwnd window, std::uint32_t msg, WParam wParam,
                                           LParam lParam, std::uint32_t flags,
                                           std::uint32_t timeoutMs, std::uintptr_t* result) {
    static_assert(sizeof(std::uintptr_t) == sizeof(DWORD_PTR), "the result is a DWORD_PTR");
    return ::SendMessageTimeoutA(AsHwnd(window), msg, wParam, lParam, flags, timeoutMs,
                                 reinterpret_cast<PDWORD_PTR>(result));
}
