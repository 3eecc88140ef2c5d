// The seam between the utility's logic and the desktop it runs on.
//
// Each operation is one Windows API call, named after it, with the same arguments and
// results in portable types. The logic above makes every decision; the Win32 side
// (platform/win32) forwards each operation to its one call, and the simulated desktop
// (sim/) models what Windows would do.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win_constants.h"

#if defined(_WIN32)
#define PLATFORM_CALLBACK __stdcall
#else
#define PLATFORM_CALLBACK
#endif

using Hwnd = std::uintptr_t;     // HWND; 0 is null
using HKey = std::uintptr_t;     // HKEY
using Handle = std::uintptr_t;   // HANDLE, HINSTANCE, HICON, HMENU, HACCEL, HCURSOR
using WParam = std::uintptr_t;   // WPARAM
using LParam = std::intptr_t;    // LPARAM
using LResult = std::intptr_t;   // LRESULT
using RegStatus = std::int32_t;  // LONG result of the registry functions

using TimerProc = void(PLATFORM_CALLBACK*)(Hwnd, std::uint32_t msg, std::uintptr_t id,
                                           std::uint32_t time);
using WndProc = LResult(PLATFORM_CALLBACK*)(Hwnd, std::uint32_t msg, WParam, LParam);
using DlgProc = std::intptr_t(PLATFORM_CALLBACK*)(Hwnd, std::uint32_t msg, WParam, LParam);

struct Point {
    std::int32_t x;
    std::int32_t y;
};

// OSVERSIONINFOA, 148 bytes.
struct OsVersionInfo {
    std::uint32_t size;
    std::uint32_t majorVersion;
    std::uint32_t minorVersion;
    std::uint32_t buildNumber;
    std::uint32_t platformId;
    char csdVersion[128];
};
static_assert(sizeof(OsVersionInfo) == 148, "OSVERSIONINFOA is 148 bytes");

// LUID and a one-entry TOKEN_PRIVILEGES.
struct Luid {
    std::uint32_t lowPart;
    std::int32_t highPart;
};
struct TokenPrivilegeList {
    std::uint32_t privilegeCount;
    Luid luid;
    std::uint32_t attributes;
};
static_assert(sizeof(TokenPrivilegeList) == 16, "TOKEN_PRIVILEGES with one entry is 16 bytes");

// RECT: right and bottom lie just outside.
struct ScreenRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// MONITORINFO, 40 bytes.
struct MonitorInfo {
    std::uint32_t size;
    ScreenRect monitor;
    ScreenRect work;  // the monitor less the taskbar and docked bars
    std::uint32_t flags;
};
static_assert(sizeof(MonitorInfo) == 40, "MONITORINFO is 40 bytes");

// MSG
struct Msg {
    Hwnd hwnd;
    std::uint32_t message;
    WParam wParam;
    LParam lParam;
    std::uint32_t time;
    Point pt;
};

// WNDCLASSEXA without its size field, which the Win32 side fills in itself.
struct WindowClass {
    std::uint32_t style;
    WndProc proc;
    Handle instance;
    Handle icon;
    Handle cursor;
    Handle background;
    const char* menuName;
    const char* className;
    Handle smallIcon;
};

// NOTIFYICONDATAA in its first form: 88 bytes on 32-bit Windows.
struct NotifyIconData {
    std::uint32_t size;
    Hwnd window;
    std::uint32_t id;
    std::uint32_t flags;
    std::uint32_t callbackMessage;
    Handle icon;
    char tip[64];
};

// OVERLAPPED
struct Overlapped {
    std::uintptr_t internal;
    std::uintptr_t internalHigh;
    std::uint32_t offset;
    std::uint32_t offsetHigh;
    Handle event;
};

// DEV_BROADCAST_HANDLE: the filter of a notification registration on an open handle, and
// what WM_DEVICECHANGE's lParam points at for an event of that handle. 28 bytes on 32-bit
// Windows up to the event's GUID, which the utility leaves zero.
struct DevBroadcastHandle {
    std::uint32_t size;
    std::uint32_t deviceType;
    std::uint32_t reserved;
    Handle handle;
    Handle notification;  // HDEVNOTIFY
    std::uint8_t eventGuid[16];
    std::int32_t nameOffset;
    std::uint8_t data[1];
};

// SECURITY_DESCRIPTOR in its absolute form, opaque, in a buffer as large as its 64-bit layout;
// and SECURITY_ATTRIBUTES.
struct SecurityDescriptor {
    alignas(8) std::uint8_t bytes[40];
};
struct SecurityAttributes {
    std::uint32_t length;
    SecurityDescriptor* descriptor;
    std::int32_t inheritHandle;
};

// COM as the receiver's device discovery uses it, in portable form.
using HResult = std::int32_t;   // HRESULT
using ComRef = std::uintptr_t;  // an interface pointer, owned by whoever holds it; 0 is null
using BStr = std::uintptr_t;    // a BSTR, a wide string from the platform; 0 is null

// GUID, in its standard 16-byte layout.
struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};
static_assert(sizeof(Guid) == 16, "GUID is 16 bytes");

// The part of a VARIANT that a property bag's text property uses.
struct Variant {
    std::uint16_t vt;
    BStr bstrVal;
};

// The keyboard part of INPUT (KEYBDINPUT), one record per key event; the Win32 side builds
// the INPUT records from them. `flags` are KEYEVENTF_*: with KEYEVENTF_SCANCODE the system
// takes the key from `scan` and ignores `vk`; with KEYEVENTF_UNICODE `scan` is a UTF-16 unit.
struct Input {
    std::uint16_t vk;
    std::uint16_t scan;
    std::uint32_t flags;
    std::uint32_t time;
    std::uintptr_t extraInfo;
};
constexpr std::uint32_t kMaxInputBatch = 64;  // records in one SendInput call, at most

// FILETIME, and WIN32_FILE_ATTRIBUTE_DATA in its Windows layout (36 bytes).
struct FileTime {
    std::uint32_t low;
    std::uint32_t high;
};
struct FileAttributeData {
    std::uint32_t attributes;
    FileTime creationTime;
    FileTime lastAccessTime;
    FileTime lastWriteTime;
    std::uint32_t sizeHigh;
    std::uint32_t sizeLow;
    // 100-ns intervals since 1601, and bytes.
    std::uint64_t LastWrite() const {
        return static_cast<std::uint64_t>(lastWriteTime.high) << 32 | lastWriteTime.low;
    }
    std::uint64_t Size() const { return static_cast<std::uint64_t>(sizeHigh) << 32 | sizeLow; }
};
static_assert(sizeof(FileAttributeData) == 36, "WIN32_FILE_ATTRIBUTE_DATA is 36 bytes");
// GetFileExInfoStandard, an enumerator of <windows.h> that no portable name may shadow.
constexpr std::uint32_t kFileInfoStandard = 0;

class Platform {
  public:
    virtual ~Platform() = default;

    // --- time and timers ---
    virtual std::uint32_t GetTickCount() = 0;
    virtual void Sleep(std::uint32_t ms) = 0;
    virtual std::uintptr_t SetTimer(Hwnd owner, std::uintptr_t id, std::uint32_t ms,
                                    TimerProc proc) = 0;
    virtual bool KillTimer(Hwnd owner, std::uintptr_t id) = 0;

    // --- top-level windows ---
    virtual Hwnd GetDesktopWindow() = 0;
    virtual Hwnd GetWindow(Hwnd window, std::uint32_t cmd) = 0;
    virtual int GetWindowTextA(Hwnd window, char* text, int size) = 0;
    virtual Hwnd FindWindowA(const char* cls, const char* title) = 0;
    virtual Hwnd FindWindowExA(Hwnd parent, Hwnd after, const char* cls, const char* title) = 0;
    virtual bool IsWindowVisible(Hwnd window) = 0;

    // --- messages, focus, input ---
    virtual bool PostMessageA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) = 0;
    virtual LResult SendMessageA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) = 0;
    virtual bool BringWindowToTop(Hwnd window) = 0;
    virtual bool SetForegroundWindow(Hwnd window) = 0;
    virtual Hwnd SetActiveWindow(Hwnd window) = 0;
    virtual Hwnd GetForegroundWindow() = 0;
    virtual void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                             std::uintptr_t extraInfo) = 0;

    // --- shell and message boxes ---
    virtual std::intptr_t ShellExecuteA(Hwnd owner, const char* verb, const char* file,
                                        const char* parameters, const char* directory,
                                        int show) = 0;
    // The same for a path or parameters beyond the ANSI code page (NT; Windows 9x has only
    // the A form).
    virtual std::intptr_t ShellExecuteW(Hwnd owner, const char16_t* verb, const char16_t* file,
                                        const char16_t* parameters, const char16_t* directory,
                                        int show) = 0;
    virtual int MessageBoxA(Hwnd owner, const char* text, const char* caption,
                            std::uint32_t type) = 0;

    // --- registry ---
    virtual RegStatus RegOpenKeyA(HKey root, const char* subKey, HKey* result) = 0;
    virtual RegStatus RegQueryValueExA(HKey key, const char* name, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* size) = 0;
    virtual RegStatus RegCloseKey(HKey key) = 0;

    // --- pointer, dialogs, shutdown, settings ---
    virtual bool GetCursorPos(Point* point) = 0;
    virtual bool SetCursorPos(int x, int y) = 0;
    virtual void mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy,
                             std::uint32_t data, std::uintptr_t extraInfo) = 0;
    virtual LParam GetMessageExtraInfo() = 0;
    virtual int GetSystemMetrics(int index) = 0;
    // An HMONITOR is a Handle; Windows 95 and NT 4 have neither call and answer 0 and false.
    virtual Handle MonitorFromPoint(Point point, std::uint32_t flags) = 0;
    virtual bool GetMonitorInfoA(Handle monitor, MonitorInfo* info) = 0;

    virtual std::intptr_t DialogBoxParamA(Handle instance, int templateId, Hwnd owner, DlgProc proc,
                                          LParam initParam) = 0;
    virtual bool EndDialog(Hwnd dialog, std::intptr_t result) = 0;
    virtual bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                              std::uint32_t flags) = 0;
    virtual Hwnd GetDlgItem(Hwnd dialog, int id) = 0;
    virtual LResult SendDlgItemMessageA(Hwnd dialog, int id, std::uint32_t msg, WParam wParam,
                                        LParam lParam) = 0;

    virtual std::uint32_t GetVersion() = 0;
    virtual bool GetVersionExA(OsVersionInfo* info) = 0;
    virtual Handle GetCurrentProcess() = 0;
    virtual bool OpenProcessToken(Handle process, std::uint32_t access, Handle* token) = 0;
    virtual bool LookupPrivilegeValueA(const char* system, const char* name, Luid* luid) = 0;
    virtual bool AdjustTokenPrivileges(Handle token, bool disableAll, TokenPrivilegeList* newState,
                                       std::uint32_t bufferLength, TokenPrivilegeList* previous,
                                       std::uint32_t* returnLength) = 0;
    virtual std::uint32_t GetLastError() = 0;
    virtual bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;

    virtual RegStatus RegOpenKeyExA(HKey root, const char* subKey, std::uint32_t options,
                                    std::uint32_t access, HKey* result) = 0;
    virtual RegStatus RegCreateKeyExA(HKey root, const char* subKey, std::uint32_t reserved,
                                      char* keyClass, std::uint32_t options, std::uint32_t access,
                                      void* security, HKey* result, std::uint32_t* disposition) = 0;
    virtual RegStatus RegSetValueExA(HKey key, const char* name, std::uint32_t reserved,
                                     std::uint32_t type, const std::uint8_t* data,
                                     std::uint32_t size) = 0;
    virtual RegStatus RegFlushKey(HKey key) = 0;
    virtual std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) = 0;
    virtual std::uint32_t GetPrivateProfileIntA(const char* section, const char* key,
                                                int defaultValue, const char* file) = 0;

    // --- receiver ---
    virtual HResult CoInitialize(void* reserved) = 0;
    virtual void CoUninitialize() = 0;
    virtual HResult CoCreateInstance(const Guid& clsid, ComRef outer, std::uint32_t context,
                                     const Guid& iid, ComRef* object) = 0;
    // ICreateDevEnum::CreateClassEnumerator
    virtual HResult CreateClassEnumerator(ComRef devEnum, const Guid& category, ComRef* monikers,
                                          std::uint32_t flags) = 0;
    // IEnumMoniker::Reset and ::Next
    virtual HResult EnumMonikerReset(ComRef monikers) = 0;
    virtual HResult EnumMonikerNext(ComRef monikers, std::uint32_t count, ComRef* moniker,
                                    std::uint32_t* fetched) = 0;
    // IMoniker::BindToStorage and ::BindToObject
    virtual HResult MonikerBindToStorage(ComRef moniker, ComRef bindContext, ComRef left,
                                         const Guid& iid, ComRef* object) = 0;
    virtual HResult MonikerBindToObject(ComRef moniker, ComRef bindContext, ComRef left,
                                        const Guid& iid, ComRef* object) = 0;
    // IPropertyBag::Read
    virtual HResult PropertyBagRead(ComRef bag, const char16_t* name, Variant* value,
                                    ComRef errorLog) = 0;
    virtual int WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags, BStr wide,
                                    int wideCount, char* multi, int multiSize,
                                    const char* defaultChar, bool* usedDefault) = 0;
    virtual void SysFreeString(BStr text) = 0;
    // IUnknown::QueryInterface and ::Release
    virtual HResult QueryInterface(ComRef object, const Guid& iid, ComRef* result) = 0;
    virtual std::uint32_t Release(ComRef object) = 0;
    // IKsObject::KsGetObjectHandle
    virtual Handle KsGetObjectHandle(ComRef ksObject) = 0;
    virtual Handle CreateEventA(void* security, bool manualReset, bool initialState,
                                const char* name) = 0;
    virtual bool DeviceIoControl(Handle device, std::uint32_t controlCode, void* in,
                                 std::uint32_t inSize, void* out, std::uint32_t outSize,
                                 std::uint32_t* bytesReturned, Overlapped* overlapped) = 0;
    virtual bool GetOverlappedResult(Handle device, Overlapped* overlapped,
                                     std::uint32_t* bytesTransferred, bool wait) = 0;
    virtual bool CloseHandle(Handle object) = 0;
    // A bounded wait on an event; WAIT_OBJECT_0 or WAIT_TIMEOUT.
    virtual std::uint32_t WaitForSingleObject(Handle object, std::uint32_t ms) = 0;
    // CancelIoEx exists from Windows Vista on and CancelIo from Windows 98 and NT 4 on: the
    // Win32 side looks both up when first called, and a missing one fails with
    // ERROR_CALL_NOT_IMPLEMENTED.
    virtual bool CancelIoEx(Handle file, Overlapped* overlapped) = 0;
    virtual bool CancelIo(Handle file) = 0;
    // Notifications on an open handle (WM_DEVICECHANGE with DBT_DEVTYP_HANDLE events); the
    // pair is looked up as well, since Windows 95 and NT 4 lack it. 0 when it fails.
    virtual Handle RegisterDeviceNotificationA(Hwnd recipient, DevBroadcastHandle* filter,
                                               std::uint32_t flags) = 0;
    virtual bool UnregisterDeviceNotification(Handle notification) = 0;
    // Suspend and resume events for a window (Windows 8 and later, looked up); 0 when it
    // fails or is missing.
    virtual Handle RegisterSuspendResumeNotification(Hwnd recipient, std::uint32_t flags) = 0;
    virtual bool UnregisterSuspendResumeNotification(Handle notification) = 0;

    // --- main window and tray ---
    virtual bool DeleteFileA(const char* path) = 0;
    virtual int LoadStringA(Handle instance, std::uint32_t id, char* buffer, int size) = 0;
    virtual Handle LoadIconA(Handle instance, int resourceId) = 0;
    virtual Handle LoadCursorA(Handle instance, int resourceId) = 0;
    virtual Handle LoadAcceleratorsA(Handle instance, int resourceId) = 0;
    virtual std::uint16_t RegisterClassExA(const WindowClass* windowClass) = 0;
    virtual Hwnd CreateWindowExA(std::uint32_t exStyle, const char* cls, const char* title,
                                 std::uint32_t style, int x, int y, int width, int height,
                                 Hwnd parent, Handle menu, Handle instance, void* param) = 0;
    virtual bool ShowWindow(Hwnd window, int show) = 0;
    virtual bool UpdateWindow(Hwnd window) = 0;
    virtual LResult DefWindowProcA(Hwnd window, std::uint32_t msg, WParam wParam,
                                   LParam lParam) = 0;
    virtual int GetMessageA(Msg* msg, Hwnd window, std::uint32_t first, std::uint32_t last) = 0;
    virtual int TranslateAcceleratorA(Hwnd window, Handle accelerators, Msg* msg) = 0;
    virtual bool TranslateMessage(const Msg* msg) = 0;
    virtual LResult DispatchMessageA(const Msg* msg) = 0;
    virtual void PostQuitMessage(int exitCode) = 0;
    virtual std::uint32_t RegisterWindowMessageA(const char* name) = 0;
    virtual bool Shell_NotifyIconA(std::uint32_t message, NotifyIconData* data) = 0;
    virtual Handle CreatePopupMenu() = 0;
    virtual bool AppendMenuA(Handle menu, std::uint32_t flags, std::uintptr_t id,
                             const char* text) = 0;
    virtual bool DestroyMenu(Handle menu) = 0;
    virtual int TrackPopupMenu(Handle menu, std::uint32_t flags, int x, int y, int reserved,
                               Hwnd owner, const void* rect) = 0;

    // --- the message filter of a program run as administrator ---
    // ChangeWindowMessageFilterEx (Windows 7 and later) and ChangeWindowMessageFilter
    // (Windows Vista), looked up in user32 when called: where the system lacks the function
    // the call fails with GetLastError ERROR_CALL_NOT_IMPLEMENTED.
    virtual bool ChangeWindowMessageFilterEx(Hwnd window, std::uint32_t msg, std::uint32_t action,
                                             void* changeInfo) = 0;
    virtual bool ChangeWindowMessageFilter(std::uint32_t msg, std::uint32_t flag) = 0;

    // --- console (RemoteMonitor) ---
    virtual Handle GetStdHandle(std::uint32_t which) = 0;
    virtual bool WriteFile(Handle file, const void* data, std::uint32_t size,
                           std::uint32_t* written, Overlapped* overlapped) = 0;
    virtual bool ReadFile(Handle file, void* data, std::uint32_t size, std::uint32_t* read,
                          Overlapped* overlapped) = 0;
    virtual std::uint32_t GetConsoleProcessList(std::uint32_t* processIds, std::uint32_t count) = 0;

    // --- sessions and named objects ---
    // The session calls are missing on Windows 9x; the Win32 side looks them up when first
    // called and fails with ERROR_CALL_NOT_IMPLEMENTED where they are not there.
    virtual bool WTSRegisterSessionNotification(Hwnd window, std::uint32_t flags) = 0;
    virtual bool WTSUnRegisterSessionNotification(Hwnd window) = 0;
    virtual std::uint32_t GetCurrentProcessId() = 0;
    virtual bool ProcessIdToSessionId(std::uint32_t processId, std::uint32_t* sessionId) = 0;
    // 0xFFFFFFFF when no session is attached to the console, or the call is missing.
    virtual std::uint32_t WTSGetActiveConsoleSessionId() = 0;
    virtual bool InitializeSecurityDescriptor(SecurityDescriptor* descriptor,
                                              std::uint32_t revision) = 0;
    virtual bool SetSecurityDescriptorDacl(SecurityDescriptor* descriptor, bool present, void* dacl,
                                           bool defaulted) = 0;
    virtual Handle CreateMutexA(SecurityAttributes* security, bool initialOwner,
                                const char* name) = 0;
    virtual Handle OpenMutexA(std::uint32_t access, bool inherit, const char* name) = 0;
    // --- other programs: their processes and windows, input and commands for them ---
    // The thread that made the window, and its process in `processId` (if not null); 0 for a
    // window that is not there.
    virtual std::uint32_t GetWindowThreadProcessId(Hwnd window, std::uint32_t* processId) = 0;
    // GA_ROOTOWNER: the top of the window's chain of owners. Windows 98 and 2000 and later:
    // looked up, 0 with ERROR_CALL_NOT_IMPLEMENTED where it is missing.
    virtual Hwnd GetAncestor(Hwnd window, std::uint32_t flags) = 0;
    virtual int GetClassNameA(Hwnd window, char* name, int size) = 0;
    // The title in UTF-16; the A form converts it to the ANSI code page.
    virtual int GetWindowTextW(Hwnd window, char16_t* text, int size) = 0;
    // 0 when refused. PROCESS_QUERY_LIMITED_INFORMATION (Vista and later) opens an elevated
    // program's process too; PROCESS_QUERY_INFORMATION (all NT) does not.
    virtual Handle OpenProcess(std::uint32_t access, bool inherit, std::uint32_t processId) = 0;
    // The process's program file (Vista and later, looked up). `size` holds the buffer's size
    // in characters and gets the length written, without the terminating zero.
    virtual bool QueryFullProcessImageNameA(Handle process, std::uint32_t flags, char* name,
                                            std::uint32_t* size) = 0;
    // The same before Vista, from psapi.dll (looked up; NT 4 and later): the process's first
    // module with `module` 0; needs PROCESS_QUERY_INFORMATION | PROCESS_VM_READ. The length
    // copied, 0 on failure.
    virtual std::uint32_t GetModuleFileNameExA(Handle process, Handle module, char* name,
                                               std::uint32_t size) = 0;
    // Keyboard input, at most kMaxInputBatch records: the number of events inserted (all or,
    // when refused, 0). Windows 98 and NT 4 SP3 and later: looked up.
    virtual std::uint32_t SendInput(std::uint32_t count, const Input* inputs) = 0;
    // Nonzero when the window's procedure answered (its answer in `result`); 0 on failure
    // or time-out (GetLastError ERROR_TIMEOUT).
    virtual LResult SendMessageTimeoutA(Hwnd window, std::uint32_t msg, WParam wParam,
                                        LParam lParam, std::uint32_t flags, std::uint32_t timeoutMs,
                                        std::uintptr_t* result) = 0;

    // --- the user's files ---
    // A special folder's path into a MAX_PATH buffer (shell32, Windows 2000 and ME and later:
    // looked up; missing, it answers HRESULT_FROM_WIN32(ERROR_CALL_NOT_IMPLEMENTED)).
    virtual HResult SHGetFolderPathA(Hwnd owner, int folder, Handle token, std::uint32_t flags,
                                     char* path) = 0;
    // INVALID_HANDLE_VALUE when it fails. ReadFile, WriteFile and CloseHandle take the handle.
    virtual Handle CreateFileA(const char* path, std::uint32_t access, std::uint32_t share,
                               SecurityAttributes* security, std::uint32_t disposition,
                               std::uint32_t flagsAndAttributes, Handle templateFile) = 0;
    // kFileInfoStandard: attributes, times and size in one call (Windows 98 and NT 4 and
    // later: looked up).
    virtual bool GetFileAttributesExA(const char* path, std::uint32_t infoLevel,
                                      FileAttributeData* data) = 0;
    virtual bool CreateDirectoryA(const char* path, SecurityAttributes* security) = 0;
};

// The platform the logic runs on. The Windows program installs its Win32 platform at
// start; tests and remote-sim install a fresh simulated desktop for every run.
Platform& Plat();
void InstallPlatform(Platform* platform);
