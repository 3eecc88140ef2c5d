// The Windows constants of the main window, the tray icon and the popup menu, under
// their Windows names and values, for code built without <windows.h>.
#pragma once

#include <cstdint>

#if !defined(_WINDOWS_) && !defined(_WINDOWS_H)

constexpr std::uint32_t WM_SYSCHAR = 0x0106;

// Window class and window styles
constexpr std::uint32_t CS_VREDRAW = 0x0001;
constexpr std::uint32_t CS_HREDRAW = 0x0002;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
constexpr int COLOR_WINDOW = 5;

// Shell_NotifyIconA
constexpr std::uint32_t NIM_ADD = 0;
constexpr std::uint32_t NIM_MODIFY = 1;
constexpr std::uint32_t NIM_DELETE = 2;
constexpr std::uint32_t NIF_MESSAGE = 0x0001;
constexpr std::uint32_t NIF_ICON = 0x0002;
constexpr std::uint32_t NIF_TIP = 0x0004;

// Menus
constexpr std::uint32_t MF_STRING = 0x0000;
constexpr std::uint32_t MF_CHECKED = 0x0008;
constexpr std::uint32_t MF_SEPARATOR = 0x0800;
constexpr std::uint32_t TPM_RETURNCMD = 0x0100;

#endif

// IDC_ARROW as the resource number that the seam's LoadCursorA takes; <windows.h> defines
// IDC_ARROW itself as a resource-name pointer.
constexpr int kArrowCursorId = 32512;
