// The numbers by which the main window, its tray icon and menu, and the program's
// resources are known.
#pragma once

#include <cstdint>

#include "shell/resource_ids.h"

// Commands of the main window (WM_COMMAND, low word of wParam). IDM_ABOUT and IDM_SETTING,
// which the accelerators give too, come from the resource numbers.
constexpr std::uint32_t IDM_CLOSE = 31;
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
constexpr std::uint32_t kTitleStringId = IDS_WINDOW_TITLE;
constexpr std::uint32_t kClassNameStringId = IDS_CLASS_NAME;
constexpr int kAcceleratorTableId = IDR_ACCELERATORS;
constexpr int kMainIconId = IDI_REMOTE_CONTROL;
constexpr int kSettingDialogId = IDD_SETTING;
constexpr int kAboutDialogId = IDD_ABOUT;
