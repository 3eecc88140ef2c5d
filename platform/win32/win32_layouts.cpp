// The Win32 side hands the seam's portable records and out-parameters to Windows by
// reinterpret_cast; these checks make sure that each one has the Windows layout.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include <cstddef>
#include <type_traits>

#include "platform/platform.h"

// Scalars and handles.
static_assert(sizeof(Hwnd) == sizeof(HWND), "Hwnd holds an HWND");
static_assert(sizeof(HKey) == sizeof(HKEY), "HKey holds an HKEY");
static_assert(sizeof(Handle) == sizeof(HANDLE), "Handle holds a HANDLE");
static_assert(sizeof(WParam) == sizeof(WPARAM) && std::is_unsigned<WPARAM>::value,
              "WParam is WPARAM");
static_assert(sizeof(LParam) == sizeof(LPARAM) && std::is_signed<LPARAM>::value,
              "LParam is LPARAM");
static_assert(sizeof(LResult) == sizeof(LRESULT) && std::is_signed<LRESULT>::value,
              "LResult is LRESULT");
static_assert(sizeof(RegStatus) == sizeof(LONG), "RegStatus is LONG");
static_assert(sizeof(std::uint32_t) == sizeof(DWORD), "DWORD is 32 bits");
static_assert(sizeof(std::uint16_t) == sizeof(ATOM), "ATOM is 16 bits");
static_assert(sizeof(std::intptr_t) == sizeof(INT_PTR), "INT_PTR is pointer-sized");

// POINT
static_assert(sizeof(Point) == sizeof(POINT), "Point is POINT");
static_assert(offsetof(Point, x) == offsetof(POINT, x), "Point::x");
static_assert(offsetof(Point, y) == offsetof(POINT, y), "Point::y");

// OSVERSIONINFOA
static_assert(sizeof(OsVersionInfo) == sizeof(OSVERSIONINFOA), "OsVersionInfo is OSVERSIONINFOA");
static_assert(offsetof(OsVersionInfo, size) == offsetof(OSVERSIONINFOA, dwOSVersionInfoSize),
              "OsVersionInfo::size");
static_assert(offsetof(OsVersionInfo, majorVersion) == offsetof(OSVERSIONINFOA, dwMajorVersion),
              "OsVersionInfo::majorVersion");
static_assert(offsetof(OsVersionInfo, minorVersion) == offsetof(OSVERSIONINFOA, dwMinorVersion),
              "OsVersionInfo::minorVersion");
static_assert(offsetof(OsVersionInfo, buildNumber) == offsetof(OSVERSIONINFOA, dwBuildNumber),
              "OsVersionInfo::buildNumber");
static_assert(offsetof(OsVersionInfo, platformId) == offsetof(OSVERSIONINFOA, dwPlatformId),
              "OsVersionInfo::platformId");
static_assert(offsetof(OsVersionInfo, csdVersion) == offsetof(OSVERSIONINFOA, szCSDVersion),
              "OsVersionInfo::csdVersion");

// RECT and MONITORINFO
static_assert(sizeof(ScreenRect) == sizeof(RECT), "ScreenRect is RECT");
static_assert(offsetof(ScreenRect, left) == offsetof(RECT, left), "ScreenRect::left");
static_assert(offsetof(ScreenRect, top) == offsetof(RECT, top), "ScreenRect::top");
static_assert(offsetof(ScreenRect, right) == offsetof(RECT, right), "ScreenRect::right");
static_assert(offsetof(ScreenRect, bottom) == offsetof(RECT, bottom), "ScreenRect::bottom");
static_assert(sizeof(MonitorInfo) == sizeof(MONITORINFO), "MonitorInfo is MONITORINFO");
static_assert(offsetof(MonitorInfo, size) == offsetof(MONITORINFO, cbSize), "MonitorInfo::size");
static_assert(offsetof(MonitorInfo, monitor) == offsetof(MONITORINFO, rcMonitor),
              "MonitorInfo::monitor");
static_assert(offsetof(MonitorInfo, work) == offsetof(MONITORINFO, rcWork), "MonitorInfo::work");
static_assert(offsetof(MonitorInfo, flags) == offsetof(MONITORINFO, dwFlags), "MonitorInfo::flags");

// LUID and TOKEN_PRIVILEGES with its one entry.
static_assert(sizeof(Luid) == sizeof(LUID), "Luid is LUID");
static_assert(offsetof(Luid, lowPart) == offsetof(LUID, LowPart), "Luid::lowPart");
static_assert(offsetof(Luid, highPart) == offsetof(LUID, HighPart), "Luid::highPart");
static_assert(sizeof(TokenPrivilegeList) == sizeof(TOKEN_PRIVILEGES),
              "TokenPrivilegeList is TOKEN_PRIVILEGES");
static_assert(offsetof(TokenPrivilegeList, privilegeCount) ==
                  offsetof(TOKEN_PRIVILEGES, PrivilegeCount),
              "TokenPrivilegeList::privilegeCount");
static_assert(offsetof(TokenPrivilegeList, luid) ==
                  offsetof(TOKEN_PRIVILEGES, Privileges) + offsetof(LUID_AND_ATTRIBUTES, Luid),
              "TokenPrivilegeList::luid");
static_assert(offsetof(TokenPrivilegeList, attributes) ==
                  offsetof(TOKEN_PRIVILEGES, Privileges) +
                      offsetof(LUID_AND_ATTRIBUTES, Attributes),
              "TokenPrivilegeList::attributes");

// MSG
static_assert(sizeof(Msg) == sizeof(MSG), "Msg is MSG");
static_assert(offsetof(Msg, hwnd) == offsetof(MSG, hwnd), "Msg::hwnd");
static_assert(offsetof(Msg, message) == offsetof(MSG, message), "Msg::message");
static_assert(offsetof(Msg, wParam) == offsetof(MSG, wParam), "Msg::wParam");
static_assert(offsetof(Msg, lParam) == offsetof(MSG, lParam), "Msg::lParam");
static_assert(offsetof(Msg, time) == offsetof(MSG, time), "Msg::time");
static_assert(offsetof(Msg, pt) == offsetof(MSG, pt), "Msg::pt");

// NOTIFYICONDATAA in its first form: the shell reads only the first `size` bytes.
static_assert(sizeof(NotifyIconData) == NOTIFYICONDATAA_V1_SIZE,
              "NotifyIconData is the first form of NOTIFYICONDATAA");
static_assert(offsetof(NotifyIconData, size) == offsetof(NOTIFYICONDATAA, cbSize),
              "NotifyIconData::size");
static_assert(offsetof(NotifyIconData, window) == offsetof(NOTIFYICONDATAA, hWnd),
              "NotifyIconData::window");
static_assert(offsetof(NotifyIconData, id) == offsetof(NOTIFYICONDATAA, uID), "NotifyIconData::id");
static_assert(offsetof(NotifyIconData, flags) == offsetof(NOTIFYICONDATAA, uFlags),
              "NotifyIconData::flags");
static_assert(offsetof(NotifyIconData, callbackMessage) ==
                  offsetof(NOTIFYICONDATAA, uCallbackMessage),
              "NotifyIconData::callbackMessage");
static_assert(offsetof(NotifyIconData, icon) == offsetof(NOTIFYICONDATAA, hIcon),
              "NotifyIconData::icon");
static_assert(offsetof(NotifyIconData, tip) == offsetof(NOTIFYICONDATAA, szTip),
              "NotifyIconData::tip");
static_assert(sizeof(NotifyIconData::tip) == 64, "the first form's tip holds 64 characters");

// OVERLAPPED
static_assert(sizeof(Overlapped) == sizeof(OVERLAPPED), "Overlapped is OVERLAPPED");
static_assert(offsetof(Overlapped, internal) == offsetof(OVERLAPPED, Internal),
              "Overlapped::internal");
static_assert(offsetof(Overlapped, internalHigh) == offsetof(OVERLAPPED, InternalHigh),
              "Overlapped::internalHigh");
static_assert(offsetof(Overlapped, offset) == offsetof(OVERLAPPED, Offset), "Overlapped::offset");
static_assert(offsetof(Overlapped, offsetHigh) == offsetof(OVERLAPPED, OffsetHigh),
              "Overlapped::offsetHigh");
static_assert(offsetof(Overlapped, event) == offsetof(OVERLAPPED, hEvent), "Overlapped::event");

// The record sizes the utility relies on are the 32-bit ones.
#if !defined(_WIN64)
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "NOTIFYICONDATAA in its first form is 88 bytes");
static_assert(sizeof(WNDCLASSEXA) == 48, "WNDCLASSEXA is 48 bytes");
#endif

// SECURITY_DESCRIPTOR and SECURITY_ATTRIBUTES
static_assert(sizeof(SecurityDescriptor) >= sizeof(SECURITY_DESCRIPTOR) &&
                  alignof(SecurityDescriptor) >= alignof(SECURITY_DESCRIPTOR),
              "SecurityDescriptor holds a SECURITY_DESCRIPTOR");
static_assert(sizeof(SecurityAttributes) == sizeof(SECURITY_ATTRIBUTES),
              "SecurityAttributes is SECURITY_ATTRIBUTES");
static_assert(offsetof(SecurityAttributes, length) == offsetof(SECURITY_ATTRIBUTES, nLength),
              "SecurityAttributes::length");
static_assert(offsetof(SecurityAttributes, descriptor) ==
                  offsetof(SECURITY_ATTRIBUTES, lpSecurityDescriptor),
              "SecurityAttributes::descriptor");
static_assert(offsetof(SecurityAttributes, inheritHandle) ==
                  offsetof(SECURITY_ATTRIBUTES, bInheritHandle),
              "SecurityAttributes::inheritHandle");

// WIN32_FILE_ATTRIBUTE_DATA, and the keyboard member of INPUT that SendInput's records fill.
static_assert(sizeof(FileAttributeData) == sizeof(WIN32_FILE_ATTRIBUTE_DATA),
              "FileAttributeData is WIN32_FILE_ATTRIBUTE_DATA");
static_assert(offsetof(FileAttributeData, attributes) ==
                  offsetof(WIN32_FILE_ATTRIBUTE_DATA, dwFileAttributes),
              "FileAttributeData::attributes");
static_assert(offsetof(FileAttributeData, lastWriteTime) ==
                  offsetof(WIN32_FILE_ATTRIBUTE_DATA, ftLastWriteTime),
              "FileAttributeData::lastWriteTime");
static_assert(offsetof(FileAttributeData, sizeHigh) ==
                  offsetof(WIN32_FILE_ATTRIBUTE_DATA, nFileSizeHigh),
              "FileAttributeData::sizeHigh");
static_assert(offsetof(FileAttributeData, sizeLow) ==
                  offsetof(WIN32_FILE_ATTRIBUTE_DATA, nFileSizeLow),
              "FileAttributeData::sizeLow");
static_assert(sizeof(FileTime) == sizeof(FILETIME), "FileTime is FILETIME");
static_assert(sizeof(Input) == sizeof(KEYBDINPUT), "Input is KEYBDINPUT");
static_assert(offsetof(Input, scan) == offsetof(KEYBDINPUT, wScan), "Input::scan");
static_assert(offsetof(Input, flags) == offsetof(KEYBDINPUT, dwFlags), "Input::flags");
static_assert(offsetof(Input, extraInfo) == offsetof(KEYBDINPUT, dwExtraInfo), "Input::extraInfo");
