// The Win32 side of the seam: each operation is its one Windows API call.
// Include <windows.h> before this header.
#pragma once

#include "platform/platform.h"

class Win32Platform final : public Platform {
  public:
    // --- time and timers ---
    std::uint32_t GetTickCount() override;
    void Sleep(std::uint32_t ms) override;
    std::uintptr_t SetTimer(Hwnd owner, std::uintptr_t id, std::uint32_t ms,
                            TimerProc proc) override;
    bool KillTimer(Hwnd owner, std::uintptr_t id) override;

    // --- top-level windows ---
    Hwnd GetDesktopWindow() override;
    Hwnd GetWindow(Hwnd window, std::uint32_t cmd) override;
    int GetWindowTextA(Hwnd window, char* text, int size) override;
    Hwnd FindWindowA(const char* cls, const char* title) override;
    Hwnd FindWindowExA(Hwnd parent, Hwnd after, const char* cls, const char* title) override;
    bool IsWindowVisible(Hwnd window) override;

    // --- messages, focus, input ---
    bool PostMessageA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) override;
    LResult SendMessageA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) override;
    bool BringWindowToTop(Hwnd window) override;
    bool SetForegroundWindow(Hwnd window) override;
    Hwnd SetActiveWindow(Hwnd window) override;
    Hwnd GetForegroundWindow() override;
    void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                     std::uintptr_t extraInfo) override;

    // --- shell and message boxes ---
    std::intptr_t ShellExecuteW(Hwnd owner, const char16_t* verb, const char16_t* file,
                                const char16_t* parameters, const char16_t* directory,
                                int show) override;
    std::intptr_t ShellExecuteA(Hwnd owner, const char* verb, const char* file,
                                const char* parameters, const char* directory, int show) override;
    int MessageBoxA(Hwnd owner, const char* text, const char* caption, std::uint32_t type) override;

    // --- registry ---
    RegStatus RegOpenKeyA(HKey root, const char* subKey, HKey* result) override;
    RegStatus RegQueryValueExA(HKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* size) override;
    RegStatus RegCloseKey(HKey key) override;

    // --- pointer, dialogs, shutdown, settings ---
    bool GetCursorPos(Point* point) override;
    bool SetCursorPos(int x, int y) override;
    void mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy, std::uint32_t data,
                     std::uintptr_t extraInfo) override;
    LParam GetMessageExtraInfo() override;
    int GetSystemMetrics(int index) override;
    Handle MonitorFromPoint(Point point, std::uint32_t flags) override;
    bool GetMonitorInfoA(Handle monitor, MonitorInfo* info) override;
    std::intptr_t DialogBoxParamA(Handle instance, int templateId, Hwnd owner, DlgProc proc,
                                  LParam initParam) override;
    bool EndDialog(Hwnd dialog, std::intptr_t result) override;
    bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                      std::uint32_t flags) override;
    Hwnd GetDlgItem(Hwnd dialog, int id) override;
    LResult SendDlgItemMessageA(Hwnd dialog, int id, std::uint32_t msg, WParam wParam,
                                LParam lParam) override;
    std::uint32_t GetVersion() override;
    bool GetVersionExA(OsVersionInfo* info) override;
    Handle GetCurrentProcess() override;
    bool OpenProcessToken(Handle process, std::uint32_t access, Handle* token) override;
    bool LookupPrivilegeValueA(const char* system, const char* name, Luid* luid) override;
    bool AdjustTokenPrivileges(Handle token, bool disableAll, TokenPrivilegeList* newState,
                               std::uint32_t bufferLength, TokenPrivilegeList* previous,
                               std::uint32_t* returnLength) override;
    std::uint32_t GetLastError() override;
    bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
    RegStatus RegOpenKeyExA(HKey root, const char* subKey, std::uint32_t options,
                            std::uint32_t access, HKey* result) override;
    RegStatus RegCreateKeyExA(HKey root, const char* subKey, std::uint32_t reserved, char* keyClass,
                              std::uint32_t options, std::uint32_t access, void* security,
                              HKey* result, std::uint32_t* disposition) override;
    RegStatus RegSetValueExA(HKey key, const char* name, std::uint32_t reserved, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) override;
    RegStatus RegFlushKey(HKey key) override;
    std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) override;
    std::uint32_t GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                        const char* file) override;

    // --- receiver ---
    HResult CoInitialize(void* reserved) override;
    void CoUninitialize() override;
    HResult CoCreateInstance(const Guid& clsid, ComRef outer, std::uint32_t context,
                             const Guid& iid, ComRef* object) override;
    HResult CreateClassEnumerator(ComRef devEnum, const Guid& category, ComRef* monikers,
                                  std::uint32_t flags) override;
    HResult EnumMonikerReset(ComRef monikers) override;
    HResult EnumMonikerNext(ComRef monikers, std::uint32_t count, ComRef* moniker,
                            std::uint32_t* fetched) override;
    HResult MonikerBindToStorage(ComRef moniker, ComRef bindContext, ComRef left, const Guid& iid,
                                 ComRef* object) override;
    HResult MonikerBindToObject(ComRef moniker, ComRef bindContext, ComRef left, const Guid& iid,
                                ComRef* object) override;
    HResult PropertyBagRead(ComRef bag, const char16_t* name, Variant* value,
                            ComRef errorLog) override;
    int WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags, BStr wide, int wideCount,
                            char* multi, int multiSize, const char* defaultChar,
                            bool* usedDefault) override;
    void SysFreeString(BStr text) override;
    HResult QueryInterface(ComRef object, const Guid& iid, ComRef* result) override;
    std::uint32_t Release(ComRef object) override;
    Handle KsGetObjectHandle(ComRef ksObject) override;
    Handle CreateEventA(void* security, bool manualReset, bool initialState,
                        const char* name) override;
    bool DeviceIoControl(Handle device, std::uint32_t controlCode, void* in, std::uint32_t inSize,
                         void* out, std::uint32_t outSize, std::uint32_t* bytesReturned,
                         Overlapped* overlapped) override;
    bool GetOverlappedResult(Handle device, Overlapped* overlapped, std::uint32_t* bytesTransferred,
                             bool wait) override;
    bool CloseHandle(Handle object) override;
    std::uint32_t WaitForSingleObject(Handle object, std::uint32_t ms) override;
    bool CancelIoEx(Handle file, Overlapped* overlapped) override;
    bool CancelIo(Handle file) override;
    Handle RegisterDeviceNotificationA(Hwnd recipient, DevBroadcastHandle* filter,
                                       std::uint32_t flags) override;
    bool UnregisterDeviceNotification(Handle notification) override;
    Handle RegisterSuspendResumeNotification(Hwnd recipient, std::uint32_t flags) override;
    bool UnregisterSuspendResumeNotification(Handle notification) override;

    // --- main window and tray ---
    bool DeleteFileA(const char* path) override;
    int LoadStringA(Handle instance, std::uint32_t id, char* buffer, int size) override;
    Handle LoadIconA(Handle instance, int resourceId) override;
    Handle LoadCursorA(Handle instance, int resourceId) override;
    Handle LoadAcceleratorsA(Handle instance, int resourceId) override;
    std::uint16_t RegisterClassExA(const WindowClass* windowClass) override;
    Hwnd CreateWindowExA(std::uint32_t exStyle, const char* cls, const char* title,
                         std::uint32_t style, int x, int y, int width, int height, Hwnd parent,
                         Handle menu, Handle instance, void* param) override;
    bool ShowWindow(Hwnd window, int show) override;
    bool UpdateWindow(Hwnd window) override;
    LResult DefWindowProcA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) override;
    int GetMessageA(Msg* msg, Hwnd window, std::uint32_t first, std::uint32_t last) override;
    int TranslateAcceleratorA(Hwnd window, Handle accelerators, Msg* msg) override;
    bool TranslateMessage(const Msg* msg) override;
    LResult DispatchMessageA(const Msg* msg) override;
    void PostQuitMessage(int exitCode) override;
    std::uint32_t RegisterWindowMessageA(const char* name) override;
    bool Shell_NotifyIconA(std::uint32_t message, NotifyIconData* data) override;
    Handle CreatePopupMenu() override;
    bool AppendMenuA(Handle menu, std::uint32_t flags, std::uintptr_t id,
                     const char* text) override;
    bool DestroyMenu(Handle menu) override;
    int TrackPopupMenu(Handle menu, std::uint32_t flags, int x, int y, int reserved, Hwnd owner,
                       const void* rect) override;

    // --- the message filter of a program run as administrator ---
    bool ChangeWindowMessageFilterEx(Hwnd window, std::uint32_t msg, std::uint32_t action,
                                     void* changeInfo) override;
    bool ChangeWindowMessageFilter(std::uint32_t msg, std::uint32_t flag) override;

    // --- console (RemoteMonitor) ---
    Handle GetStdHandle(std::uint32_t which) override;
    bool WriteFile(Handle file, const void* data, std::uint32_t size, std::uint32_t* written,
                   Overlapped* overlapped) override;
    bool ReadFile(Handle file, void* data, std::uint32_t size, std::uint32_t* read,
                  Overlapped* overlapped) override;
    std::uint32_t GetConsoleProcessList(std::uint32_t* processIds, std::uint32_t count) override;

    // --- sessions and named objects ---
    bool WTSRegisterSessionNotification(Hwnd window, std::uint32_t flags) override;
    bool WTSUnRegisterSessionNotification(Hwnd window) override;
    std::uint32_t GetCurrentProcessId() override;
    bool ProcessIdToSessionId(std::uint32_t processId, std::uint32_t* sessionId) override;
    std::uint32_t WTSGetActiveConsoleSessionId() override;
    bool InitializeSecurityDescriptor(SecurityDescriptor* descriptor,
                                      std::uint32_t revision) override;
    bool SetSecurityDescriptorDacl(SecurityDescriptor* descriptor, bool present, void* dacl,
                                   bool defaulted) override;
    Handle CreateMutexA(SecurityAttributes* security, bool initialOwner, const char* name) override;
    Handle OpenMutexA(std::uint32_t access, bool inherit, const char* name) override;
    // --- other programs: their processes and windows, input and commands for them ---
    std::uint32_t GetWindowThreadProcessId(Hwnd window, std::uint32_t* processId) override;
    Hwnd GetAncestor(Hwnd window, std::uint32_t flags) override;
    int GetClassNameA(Hwnd window, char* name, int size) override;
    int GetWindowTextW(Hwnd window, char16_t* text, int size) override;
    Handle OpenProcess(std::uint32_t access, bool inherit, std::uint32_t processId) override;
    bool QueryFullProcessImageNameA(Handle process, std::uint32_t flags, char* name,
                                    std::uint32_t* size) override;
    std::uint32_t GetModuleFileNameExA(Handle process, Handle module, char* name,
                                       std::uint32_t size) override;
    std::uint32_t SendInput(std::uint32_t count, const Input* inputs) override;
    LResult SendMessageTimeoutA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam,
                                std::uint32_t flags, std::uint32_t timeoutMs,
                                std::uintptr_t* result) override;

    // --- the user's files ---
    HResult SHGetFolderPathA(Hwnd owner, int folder, Handle token, std::uint32_t flags,
                             char* path) override;
    Handle CreateFileA(const char* path, std::uint32_t access, std::uint32_t share,
                       SecurityAttributes* security, std::uint32_t disposition,
                       std::uint32_t flagsAndAttributes, Handle templateFile) override;
    bool GetFileAttributesExA(const char* path, std::uint32_t infoLevel,
                              FileAttributeData* data) override;
    bool CreateDirectoryA(const char* path, SecurityAttributes* security) override;
};
