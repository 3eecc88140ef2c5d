// Conversions between the seam's portable types and the Windows types. Each is a plain
// reinterpretation of the same bits; win32_layouts.cpp checks that sizes and layouts agree.
// Include platform/win32/windows_api.h before this header.
#pragma once

#include "platform/platform.h"

inline HWND AsHwnd(Hwnd window) {
    return reinterpret_cast<HWND>(window);
}
inline Hwnd FromHwnd(HWND window) {
    return reinterpret_cast<Hwnd>(window);
}

inline HKEY AsHkey(HKey key) {
    return reinterpret_cast<HKEY>(key);
}
inline PHKEY AsHkeyOut(HKey* key) {
    return reinterpret_cast<PHKEY>(key);
}

// char16_t and WCHAR are both 16-bit UTF-16 units on Windows.
inline const wchar_t* AsWide(const char16_t* text) {
    static_assert(sizeof(char16_t) == sizeof(wchar_t), "char16_t holds a WCHAR");
    return reinterpret_cast<const wchar_t*>(text);
}

// HANDLE, HINSTANCE, HICON, HMENU, HACCEL, HCURSOR, HBRUSH.
template <class NativeHandle>
NativeHandle AsNative(Handle handle) {
    return reinterpret_cast<NativeHandle>(handle);
}
template <class NativeHandle>
Handle FromNative(NativeHandle handle) {
    return reinterpret_cast<Handle>(handle);
}

// DWORD is unsigned long and std::uint32_t unsigned int: both 32 bits on Windows.
inline LPDWORD AsDwordOut(std::uint32_t* value) {
    return reinterpret_cast<LPDWORD>(value);
}

// The seam's callbacks are declared __stdcall with the same argument sizes as their Windows
// types, so the cast is exact; going through void(*)() tells the compiler it is deliberate.
template <class NativeProc, class PortableProc>
NativeProc AsNativeProc(PortableProc proc) {
    return reinterpret_cast<NativeProc>(reinterpret_cast<void (*)()>(proc));
}
