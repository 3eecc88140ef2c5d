// The numbers of the program's resources and of the commands its accelerators give, shared
// by the logic and the resource script: plain preprocessor names that the resource compiler
// understands. The OK and Cancel buttons use the platform's IDOK (1) and IDCANCEL (2).
#pragma once

// Dialogs and their controls
#define IDD_SETTING 20
#define IDD_ABOUT 21
#define IDD_SHUTDOWN 107
#define IDC_APPLIST 11

// Strings: the main window's title and class name
#define IDS_WINDOW_TITLE 22
#define IDS_CLASS_NAME 23

// Icons: the remote (window class, tray, Setting and About) and the Shut Down warning
#define IDI_REMOTE_CONTROL 50
#define IDI_SHUTDOWN_WARNING 110

// Accelerator table of the message loop, and the commands it gives
#define IDR_ACCELERATORS 23
#define IDM_ABOUT 30
#define IDM_SETTING 32
