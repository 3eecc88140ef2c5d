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

// Power and device-change broadcasts to top-level windows
constexpr std::uint32_t WM_POWERBROADCAST = 0x0218;
constexpr std::uint32_t PBT_APMSUSPEND = 0x0004;
constexpr std::uint32_t PBT_APMRESUMESUSPEND = 0x0007;
constexpr std::uint32_t PBT_APMRESUMEAUTOMATIC = 0x0012;
constexpr std::uint32_t WM_DEVICECHANGE = 0x0219;
constexpr std::uint32_t DBT_DEVNODES_CHANGED = 0x0007;
constexpr std::uint32_t DBT_DEVICEARRIVAL = 0x8000;
// Events of a handle registered with RegisterDeviceNotification
constexpr std::uint32_t DBT_DEVICEQUERYREMOVE = 0x8001;
constexpr std::uint32_t DBT_DEVICEQUERYREMOVEFAILED = 0x8002;
constexpr std::uint32_t DBT_DEVICEREMOVEPENDING = 0x8003;
constexpr std::uint32_t DBT_DEVICEREMOVECOMPLETE = 0x8004;
constexpr std::uint32_t DBT_DEVTYP_HANDLE = 0x0006;
constexpr std::uint32_t DEVICE_NOTIFY_WINDOW_HANDLE = 0x0000;
constexpr std::uint32_t BROADCAST_QUERY_DENY = 0x424D5144;

// Session changes, to a window registered for them
constexpr std::uint32_t WM_WTSSESSION_CHANGE = 0x02B1;
constexpr std::uint32_t WTS_CONSOLE_CONNECT = 0x1;
constexpr std::uint32_t WTS_CONSOLE_DISCONNECT = 0x2;
constexpr std::uint32_t WTS_REMOTE_CONNECT = 0x3;
constexpr std::uint32_t WTS_REMOTE_DISCONNECT = 0x4;
constexpr std::uint32_t WTS_SESSION_LOCK = 0x7;
constexpr std::uint32_t WTS_SESSION_UNLOCK = 0x8;

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

// Pointer, dialogs, shutdown and settings
#if !defined(_WINDOWS_) && !defined(_WINDOWS_H)

// System metrics
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;
constexpr int SM_SWAPBUTTON = 23;

// MonitorFromPoint, GetMonitorInfoA
constexpr std::uint32_t MONITOR_DEFAULTTONULL = 0;
constexpr std::uint32_t MONITOR_DEFAULTTONEAREST = 2;
constexpr std::uint32_t MONITORINFOF_PRIMARY = 1;

// mouse_event
constexpr std::uint32_t MOUSEEVENTF_MOVE = 0x0001;
constexpr std::uint32_t MOUSEEVENTF_LEFTDOWN = 0x0002;
constexpr std::uint32_t MOUSEEVENTF_LEFTUP = 0x0004;
constexpr std::uint32_t MOUSEEVENTF_RIGHTDOWN = 0x0008;
constexpr std::uint32_t MOUSEEVENTF_RIGHTUP = 0x0010;
constexpr std::uint32_t MOUSEEVENTF_ABSOLUTE = 0x8000;

// SetWindowPos
constexpr std::uintptr_t HWND_TOP = 0;
constexpr std::uintptr_t HWND_TOPMOST = static_cast<std::uintptr_t>(-1);
constexpr std::uintptr_t HWND_NOTOPMOST = static_cast<std::uintptr_t>(-2);
constexpr std::uint32_t SWP_NOSIZE = 0x0001;
constexpr std::uint32_t SWP_NOMOVE = 0x0002;
constexpr std::uint32_t SWP_NOZORDER = 0x0004;

// Dialog controls: buttons and combo boxes
constexpr std::uint32_t BN_CLICKED = 0;
constexpr std::uint32_t CBN_SELCHANGE = 1;
constexpr std::uint32_t CB_ADDSTRING = 0x0143;
constexpr std::uint32_t CB_GETCOUNT = 0x0146;
constexpr std::uint32_t CB_GETCURSEL = 0x0147;
constexpr std::uint32_t CB_GETLBTEXT = 0x0148;
constexpr std::uint32_t CB_GETLBTEXTLEN = 0x0149;
constexpr std::uint32_t CB_RESETCONTENT = 0x014B;
constexpr std::uint32_t CB_SETCURSEL = 0x014E;
constexpr int CB_OKAY = 0;
constexpr int CB_ERR = -1;

// Version, token privileges and shutdown
constexpr std::uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;
constexpr std::uint32_t TOKEN_ADJUST_PRIVILEGES = 0x0020;
constexpr std::uint32_t TOKEN_QUERY = 0x0008;
constexpr std::uint32_t SE_PRIVILEGE_ENABLED = 0x00000002;
constexpr std::uint32_t EWX_SHUTDOWN = 0x00000001;
constexpr std::uint32_t EWX_FORCE = 0x00000004;
constexpr std::uint32_t EWX_POWEROFF = 0x00000008;
constexpr std::int32_t ERROR_ACCESS_DENIED = 5;
constexpr std::int32_t ERROR_INVALID_HANDLE = 6;
// What a call that this Windows lacks fails with.
constexpr std::uint32_t ERROR_CALL_NOT_IMPLEMENTED = 120;
constexpr std::int32_t ERROR_NOT_ALL_ASSIGNED = 1300;
constexpr std::int32_t ERROR_NO_SUCH_PRIVILEGE = 1313;
constexpr std::int32_t ERROR_PRIVILEGE_NOT_HELD = 1314;

// The message filter of a program run as administrator
constexpr std::uint32_t MSGFLT_ALLOW = 1;  // ChangeWindowMessageFilterEx
constexpr std::uint32_t MSGFLT_ADD = 1;    // ChangeWindowMessageFilter

// Named kernel objects
constexpr std::uint32_t SYNCHRONIZE = 0x00100000;
constexpr std::uint32_t SECURITY_DESCRIPTOR_REVISION = 1;
constexpr std::int32_t ERROR_ALREADY_EXISTS = 183;

// Registry keys opened for writing
constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;
constexpr std::uint32_t KEY_READ = 0x20019;
constexpr std::uint32_t KEY_WRITE = 0x20006;
constexpr std::uint32_t REG_OPTION_NON_VOLATILE = 0;
constexpr std::uint32_t REG_CREATED_NEW_KEY = 1;
constexpr std::uint32_t REG_OPENED_EXISTING_KEY = 2;

// Standard handles of a console program
constexpr std::uint32_t STD_INPUT_HANDLE = 0xFFFFFFF6;
constexpr std::uint32_t STD_OUTPUT_HANDLE = 0xFFFFFFF5;
constexpr std::uint32_t STD_ERROR_HANDLE = 0xFFFFFFF4;

#endif

// Other programs: their processes and windows, input and commands for them
#if !defined(_WINDOWS_) && !defined(_WINDOWS_H)

constexpr std::uint32_t GA_PARENT = 1;
constexpr std::uint32_t GA_ROOT = 2;
constexpr std::uint32_t GA_ROOTOWNER = 3;
constexpr std::uint32_t PROCESS_QUERY_INFORMATION = 0x0400;
constexpr std::uint32_t PROCESS_VM_READ = 0x0010;
constexpr std::uint32_t PROCESS_QUERY_LIMITED_INFORMATION = 0x1000;
constexpr std::uint32_t PROCESS_NAME_NATIVE = 0x00000001;
constexpr std::uint32_t KEYEVENTF_UNICODE = 0x0004;
constexpr std::uint32_t KEYEVENTF_SCANCODE = 0x0008;
constexpr std::uint8_t VK_PACKET = 0xE7;
constexpr std::uint8_t VK_VOLUME_MUTE = 0xAD;
constexpr std::uint8_t VK_VOLUME_DOWN = 0xAE;
constexpr std::uint8_t VK_VOLUME_UP = 0xAF;
constexpr std::uint8_t VK_MEDIA_NEXT_TRACK = 0xB0;
constexpr std::uint8_t VK_MEDIA_PREV_TRACK = 0xB1;
constexpr std::uint8_t VK_MEDIA_STOP = 0xB2;
constexpr std::uint8_t VK_MEDIA_PLAY_PAUSE = 0xB3;
constexpr std::uint32_t WM_APPCOMMAND = 0x0319;
constexpr std::uint32_t SMTO_NORMAL = 0x0000;
constexpr std::uint32_t SMTO_ABORTIFHUNG = 0x0002;
constexpr std::int32_t ERROR_TIMEOUT = 1460;
constexpr std::int32_t ERROR_INVALID_WINDOW_HANDLE = 1400;

// The user's files
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_FLAG_CREATE = 0x8000;
constexpr std::uint32_t GENERIC_READ = 0x80000000u;
constexpr std::uint32_t GENERIC_WRITE = 0x40000000u;
constexpr std::uint32_t FILE_SHARE_READ = 0x00000001;
constexpr std::uint32_t FILE_SHARE_WRITE = 0x00000002;
constexpr std::uint32_t CREATE_NEW = 1;
constexpr std::uint32_t CREATE_ALWAYS = 2;
constexpr std::uint32_t OPEN_EXISTING = 3;
constexpr std::uint32_t OPEN_ALWAYS = 4;
constexpr std::uint32_t TRUNCATE_EXISTING = 5;
constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
constexpr std::uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x00000020;
constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x00000080;
constexpr std::uintptr_t INVALID_HANDLE_VALUE = static_cast<std::uintptr_t>(-1);
constexpr std::int32_t ERROR_PATH_NOT_FOUND = 3;
constexpr std::int32_t ERROR_FILE_EXISTS = 80;
constexpr std::int32_t ERROR_SHARING_VIOLATION = 32;

#endif
