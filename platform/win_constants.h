// The Windows constants the logic uses, under their Windows names and values, for code
// that is built without <windows.h>. A translation unit that includes <windows.h> first
// gets the platform's own definitions instead.
#pragma once

#include <cstdint>

#if !defined(_WINDOWS_) && !defined(_WINDOWS_H)

// Messages
constexpr std::uint32_t WM_NULL = 0x0000;
constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_QUIT = 0x0012;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_KEYUP = 0x0101;
constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr std::uint32_t WM_SYSKEYUP = 0x0105;
constexpr std::uint32_t WM_INITDIALOG = 0x0110;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
constexpr std::uint32_t WM_TIMER = 0x0113;
constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
constexpr std::uint32_t WM_DISPLAYCHANGE = 0x007E;
constexpr std::uint32_t WM_USER = 0x0400;
constexpr std::uint32_t SC_CLOSE = 0xF060;

// Virtual keys
constexpr std::uint8_t VK_RETURN = 0x0D;
constexpr std::uint8_t VK_SHIFT = 0x10;
constexpr std::uint8_t VK_CONTROL = 0x11;
constexpr std::uint8_t VK_MENU = 0x12;
constexpr std::uint8_t VK_ESCAPE = 0x1B;
constexpr std::uint8_t VK_LEFT = 0x25;
constexpr std::uint8_t VK_UP = 0x26;
constexpr std::uint8_t VK_RIGHT = 0x27;
constexpr std::uint8_t VK_DOWN = 0x28;
constexpr std::uint8_t VK_NUMPAD0 = 0x60;
constexpr std::uint8_t VK_ADD = 0x6B;
constexpr std::uint8_t VK_SUBTRACT = 0x6D;
constexpr std::uint8_t VK_F4 = 0x73;
constexpr std::uint8_t VK_F8 = 0x77;
constexpr std::uint8_t VK_F9 = 0x78;
constexpr std::uint8_t VK_F10 = 0x79;
constexpr std::uint8_t VK_F11 = 0x7A;

constexpr std::uint32_t KEYEVENTF_EXTENDEDKEY = 0x0001;
constexpr std::uint32_t KEYEVENTF_KEYUP = 0x0002;

// GetWindow
constexpr std::uint32_t GW_HWNDNEXT = 2;
constexpr std::uint32_t GW_CHILD = 5;

// Show commands
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// Message boxes
constexpr std::uint32_t MB_OK = 0x00000000;
constexpr std::uint32_t MB_SETFOREGROUND = 0x00010000;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Registry
// Predefined keys are sign-extended 32-bit values, as in <winreg.h>.
constexpr std::uintptr_t HKEY_CURRENT_USER =
    static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000001u)));
constexpr std::uintptr_t HKEY_LOCAL_MACHINE =
    static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000002u)));
constexpr std::int32_t ERROR_SUCCESS = 0;
constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::int32_t ERROR_MORE_DATA = 234;
constexpr std::uint32_t REG_NONE = 0;
constexpr std::uint32_t REG_SZ = 1;
constexpr std::uint32_t REG_BINARY = 3;
constexpr std::uint32_t REG_DWORD = 4;

#endif
