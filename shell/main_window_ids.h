// The numbers by which the main window, its tray icon and menu, and the program's
// resources are known.
#pragma once

#include <cstdint>

// Commands of the main window (WM_COMMAND, low word of wParam).
constexpr std::uint32_t IDM_ABOUT = 30;
constexpr std::uint32_t IDM_CLOSE = 31;
constexpr std::uint32_t IDM_SETTING = 32;
constexpr std::uint32_t IDM_APP1 = 1101;
constexpr std::uint32_t IDM_APP2 = 1102;
constexpr std::uint32_t IDM_APP6 = 1106;
constexpr std::uint32_t IDM_APP7 = 1107;
constexpr std::uint32_t IDM_APP9 = 1109;
constexpr std::uint32_t IDM_EXIT = 1201;
// The application commands are this base plus the AppId.
constexpr std::uint32_t kAppCommandBase = 1100;

// The tray icon's callback message; below WM_USER on purpose, as the shell accepts any.
constexpr std::uint32_t WM_TRAYNOTIFY = 1001;
constexpr std::uint32_t kTrayIconId = 10;

// Resources
constexpr std::uint32_t kTitleStringId = 22;
constexpr std::uint32_t kClassNameStringId = 23;
constexpr int kAcceleratorTableId = 23;
constexpr int kMainIconId = 50;
constexpr int kSettingDialogId = 20;
constexpr int kAboutDialogId = 21;
