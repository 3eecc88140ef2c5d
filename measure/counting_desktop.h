// The simulated desktop with every platform call marked as below the seam, so that a
// CountingScope tells the utility's allocations from the desktop's. The utility's window
// and dialog procedures are called back above the seam again.
#pragma once

#include <cstdint>
#include <map>

#include "measure/allocation_count.h"
#include "sim/sim_desktop.h"

// Declares an override that runs the desktop's own operation below the seam.
#define RC_BELOW_SEAM(Ret, Name, Params, Args) \
    Ret Name Params override {                 \
        BelowSeamScope scope;                  \
        return SimDesktop::Name Args;          \
    }

class CountingDesktop : public SimDesktop {
  public:
    CountingDesktop() { current_ = this; }
    ~CountingDesktop() override {
        if (current_ == this) current_ = nullptr;
    }

    // clang-format off
    RC_BELOW_SEAM(std::uint32_t, GetTickCount, (), ())
    RC_BELOW_SEAM(void, Sleep, (std::uint32_t ms), (ms))
    RC_BELOW_SEAM(std::uintptr_t, SetTimer, (Hwnd owner, std::uintptr_t id, std::uint32_t ms, TimerProc proc), (owner, id, ms, proc))
    RC_BELOW_SEAM(bool, KillTimer, (Hwnd owner, std::uintptr_t id), (owner, id))
    RC_BELOW_SEAM(Hwnd, GetDesktopWindow, (), ())
    RC_BELOW_SEAM(Hwnd, GetWindow, (Hwnd window, std::uint32_t cmd), (window, cmd))
    RC_BELOW_SEAM(int, GetWindowTextA, (Hwnd window, char* text, int size), (window, text, size))
    RC_BELOW_SEAM(Hwnd, FindWindowA, (const char* cls, const char* title), (cls, title))
    RC_BELOW_SEAM(Hwnd, FindWindowExA, (Hwnd parent, Hwnd after, const char* cls, const char* title), (parent, after, cls, title))
    RC_BELOW_SEAM(bool, IsWindowVisible, (Hwnd window), (window))
    RC_BELOW_SEAM(bool, PostMessageA, (Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam), (window, msg, wParam, lParam))
    RC_BELOW_SEAM(LResult, SendMessageA, (Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam), (window, msg, wParam, lParam))
    RC_BELOW_SEAM(bool, BringWindowToTop, (Hwnd window), (window))
    RC_BELOW_SEAM(bool, SetForegroundWindow, (Hwnd window), (window))
    RC_BELOW_SEAM(Hwnd, SetActiveWindow, (Hwnd window), (window))
    RC_BELOW_SEAM(Hwnd, GetForegroundWindow, (), ())
    RC_BELOW_SEAM(void, keybd_event, (std::uint8_t vk, std::uint8_t scan, std::uint32_t flags, std::uintptr_t extraInfo), (vk, scan, flags, extraInfo))
    RC_BELOW_SEAM(std::intptr_t, ShellExecuteW, (Hwnd owner, const char16_t* verb, const char16_t* file, const char16_t* parameters, const char16_t* directory, int show), (owner, verb, file, parameters, directory, show))
    RC_BELOW_SEAM(std::intptr_t, ShellExecuteA, (Hwnd owner, const char* verb, const char* file, const char* parameters, const char* directory, int show), (owner, verb, file, parameters, directory, show))
    RC_BELOW_SEAM(int, MessageBoxA, (Hwnd owner, const char* text, const char* caption, std::uint32_t type), (owner, text, caption, type))
    RC_BELOW_SEAM(RegStatus, RegOpenKeyA, (HKey root, const char* subKey, HKey* result), (root, subKey, result))
    RC_BELOW_SEAM(RegStatus, RegQueryValueExA, (HKey key, const char* name, std::uint32_t* type, std::uint8_t* data, std::uint32_t* size), (key, name, type, data, size))
    RC_BELOW_SEAM(RegStatus, RegCloseKey, (HKey key), (key))
    RC_BELOW_SEAM(bool, GetCursorPos, (Point* point), (point))
    RC_BELOW_SEAM(bool, SetCursorPos, (int x, int y), (x, y))
    RC_BELOW_SEAM(void, mouse_event, (std::uint32_t flags, std::uint32_t dx, std::uint32_t dy, std::uint32_t data, std::uintptr_t extraInfo), (flags, dx, dy, data, extraInfo))
    RC_BELOW_SEAM(LParam, GetMessageExtraInfo, (), ())
    RC_BELOW_SEAM(int, GetSystemMetrics, (int index), (index))
    RC_BELOW_SEAM(Handle, MonitorFromPoint, (Point point, std::uint32_t flags), (point, flags))
    RC_BELOW_SEAM(bool, GetMonitorInfoA, (Handle monitor, MonitorInfo* info), (monitor, info))
    RC_BELOW_SEAM(bool, EndDialog, (Hwnd dialog, std::intptr_t result), (dialog, result))
    RC_BELOW_SEAM(bool, SetWindowPos, (Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, std::uint32_t flags), (window, insertAfter, x, y, cx, cy, flags))
    RC_BELOW_SEAM(Hwnd, GetDlgItem, (Hwnd dialog, int id), (dialog, id))
    RC_BELOW_SEAM(LResult, SendDlgItemMessageA, (Hwnd dialog, int id, std::uint32_t msg, WParam wParam, LParam lParam), (dialog, id, msg, wParam, lParam))
    RC_BELOW_SEAM(std::uint32_t, GetVersion, (), ())
    RC_BELOW_SEAM(bool, GetVersionExA, (OsVersionInfo* info), (info))
    RC_BELOW_SEAM(Handle, GetCurrentProcess, (), ())
    RC_BELOW_SEAM(bool, OpenProcessToken, (Handle process, std::uint32_t access, Handle* token), (process, access, token))
    RC_BELOW_SEAM(bool, LookupPrivilegeValueA, (const char* machine, const char* name, Luid* luid), (machine, name, luid))
    RC_BELOW_SEAM(bool, AdjustTokenPrivileges, (Handle token, bool disableAll, TokenPrivilegeList* newState, std::uint32_t bufferLength, TokenPrivilegeList* previous, std::uint32_t* returnLength), (token, disableAll, newState, bufferLength, previous, returnLength))
    RC_BELOW_SEAM(std::uint32_t, GetLastError, (), ())
    RC_BELOW_SEAM(bool, ExitWindowsEx, (std::uint32_t flags, std::uint32_t reason), (flags, reason))
    RC_BELOW_SEAM(RegStatus, RegOpenKeyExA, (HKey root, const char* subKey, std::uint32_t options, std::uint32_t access, HKey* result), (root, subKey, options, access, result))
    RC_BELOW_SEAM(RegStatus, RegCreateKeyExA, (HKey root, const char* subKey, std::uint32_t reserved, char* keyClass, std::uint32_t options, std::uint32_t access, void* security, HKey* result, std::uint32_t* disposition), (root, subKey, reserved, keyClass, options, access, security, result, disposition))
    RC_BELOW_SEAM(RegStatus, RegSetValueExA, (HKey key, const char* name, std::uint32_t reserved, std::uint32_t type, const std::uint8_t* data, std::uint32_t size), (key, name, reserved, type, data, size))
    RC_BELOW_SEAM(RegStatus, RegFlushKey, (HKey key), (key))
    RC_BELOW_SEAM(std::uint32_t, GetWindowsDirectoryA, (char* buffer, std::uint32_t size), (buffer, size))
    RC_BELOW_SEAM(std::uint32_t, GetPrivateProfileIntA, (const char* section, const char* key, int defaultValue, const char* file), (section, key, defaultValue, file))
    RC_BELOW_SEAM(HResult, CoInitialize, (void* reserved), (reserved))
    RC_BELOW_SEAM(void, CoUninitialize, (), ())
    RC_BELOW_SEAM(HResult, CoCreateInstance, (const Guid& clsid, ComRef outer, std::uint32_t context, const Guid& iid, ComRef* object), (clsid, outer, context, iid, object))
    RC_BELOW_SEAM(HResult, CreateClassEnumerator, (ComRef devEnum, const Guid& category, ComRef* monikers, std::uint32_t flags), (devEnum, category, monikers, flags))
    RC_BELOW_SEAM(HResult, EnumMonikerReset, (ComRef monikers), (monikers))
    RC_BELOW_SEAM(HResult, EnumMonikerNext, (ComRef monikers, std::uint32_t count, ComRef* moniker, std::uint32_t* fetched), (monikers, count, moniker, fetched))
    RC_BELOW_SEAM(HResult, MonikerBindToStorage, (ComRef moniker, ComRef bindContext, ComRef left, const Guid& iid, ComRef* object), (moniker, bindContext, left, iid, object))
    RC_BELOW_SEAM(HResult, MonikerBindToObject, (ComRef moniker, ComRef bindContext, ComRef left, const Guid& iid, ComRef* object), (moniker, bindContext, left, iid, object))
    RC_BELOW_SEAM(HResult, PropertyBagRead, (ComRef bag, const char16_t* name, Variant* value, ComRef errorLog), (bag, name, value, errorLog))
    RC_BELOW_SEAM(int, WideCharToMultiByte, (std::uint32_t codePage, std::uint32_t flags, BStr wide, int wideCount, char* multi, int multiSize, const char* defaultChar, bool* usedDefault), (codePage, flags, wide, wideCount, multi, multiSize, defaultChar, usedDefault))
    RC_BELOW_SEAM(void, SysFreeString, (BStr text), (text))
    RC_BELOW_SEAM(HResult, QueryInterface, (ComRef object, const Guid& iid, ComRef* result), (object, iid, result))
    RC_BELOW_SEAM(std::uint32_t, Release, (ComRef object), (object))
    RC_BELOW_SEAM(Handle, KsGetObjectHandle, (ComRef ksObject), (ksObject))
    RC_BELOW_SEAM(Handle, CreateEventA, (void* security, bool manualReset, bool initialState, const char* name), (security, manualReset, initialState, name))
    RC_BELOW_SEAM(bool, DeviceIoControl, (Handle device, std::uint32_t controlCode, void* in, std::uint32_t inSize, void* out, std::uint32_t outSize, std::uint32_t* bytesReturned, Overlapped* overlapped), (device, controlCode, in, inSize, out, outSize, bytesReturned, overlapped))
    RC_BELOW_SEAM(bool, GetOverlappedResult, (Handle device, Overlapped* overlapped, std::uint32_t* bytesTransferred, bool wait), (device, overlapped, bytesTransferred, wait))
    RC_BELOW_SEAM(bool, CloseHandle, (Handle object), (object))
    RC_BELOW_SEAM(std::uint32_t, WaitForSingleObject, (Handle object, std::uint32_t ms), (object, ms))
    RC_BELOW_SEAM(bool, CancelIoEx, (Handle file, Overlapped* overlapped), (file, overlapped))
    RC_BELOW_SEAM(bool, CancelIo, (Handle file), (file))
    RC_BELOW_SEAM(Handle, RegisterDeviceNotificationA, (Hwnd recipient, DevBroadcastHandle* filter, std::uint32_t flags), (recipient, filter, flags))
    RC_BELOW_SEAM(bool, UnregisterDeviceNotification, (Handle notification), (notification))
    RC_BELOW_SEAM(Handle, RegisterSuspendResumeNotification, (Hwnd recipient, std::uint32_t flags), (recipient, flags))
    RC_BELOW_SEAM(bool, UnregisterSuspendResumeNotification, (Handle notification), (notification))
    RC_BELOW_SEAM(bool, DeleteFileA, (const char* path), (path))
    RC_BELOW_SEAM(int, LoadStringA, (Handle instance, std::uint32_t id, char* buffer, int size), (instance, id, buffer, size))
    RC_BELOW_SEAM(Handle, LoadIconA, (Handle instance, int resourceId), (instance, resourceId))
    RC_BELOW_SEAM(Handle, LoadCursorA, (Handle instance, int resourceId), (instance, resourceId))
    RC_BELOW_SEAM(Handle, LoadAcceleratorsA, (Handle instance, int resourceId), (instance, resourceId))
    RC_BELOW_SEAM(Hwnd, CreateWindowExA, (std::uint32_t exStyle, const char* cls, const char* title, std::uint32_t style, int x, int y, int width, int height, Hwnd parent, Handle menu, Handle instance, void* param), (exStyle, cls, title, style, x, y, width, height, parent, menu, instance, param))
    RC_BELOW_SEAM(bool, ShowWindow, (Hwnd window, int show), (window, show))
    RC_BELOW_SEAM(bool, UpdateWindow, (Hwnd window), (window))
    RC_BELOW_SEAM(LResult, DefWindowProcA, (Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam), (window, msg, wParam, lParam))
    RC_BELOW_SEAM(int, GetMessageA, (Msg* msg, Hwnd window, std::uint32_t first, std::uint32_t last), (msg, window, first, last))
    RC_BELOW_SEAM(int, TranslateAcceleratorA, (Hwnd window, Handle accelerators, Msg* msg), (window, accelerators, msg))
    RC_BELOW_SEAM(bool, TranslateMessage, (const Msg* msg), (msg))
    RC_BELOW_SEAM(LResult, DispatchMessageA, (const Msg* msg), (msg))
    RC_BELOW_SEAM(void, PostQuitMessage, (int exitCode), (exitCode))
    RC_BELOW_SEAM(std::uint32_t, RegisterWindowMessageA, (const char* name), (name))
    RC_BELOW_SEAM(bool, Shell_NotifyIconA, (std::uint32_t message, NotifyIconData* data), (message, data))
    RC_BELOW_SEAM(Handle, CreatePopupMenu, (), ())
    RC_BELOW_SEAM(bool, AppendMenuA, (Handle menu, std::uint32_t flags, std::uintptr_t id, const char* text), (menu, flags, id, text))
    RC_BELOW_SEAM(bool, DestroyMenu, (Handle menu), (menu))
    RC_BELOW_SEAM(int, TrackPopupMenu, (Handle menu, std::uint32_t flags, int x, int y, int reserved, Hwnd owner, const void* rect), (menu, flags, x, y, reserved, owner, rect))
    RC_BELOW_SEAM(bool, ChangeWindowMessageFilterEx, (Hwnd window, std::uint32_t msg, std::uint32_t action, void* changeInfo), (window, msg, action, changeInfo))
    RC_BELOW_SEAM(bool, ChangeWindowMessageFilter, (std::uint32_t msg, std::uint32_t flag), (msg, flag))
    RC_BELOW_SEAM(bool, WTSRegisterSessionNotification, (Hwnd window, std::uint32_t flags), (window, flags))
    RC_BELOW_SEAM(bool, WTSUnRegisterSessionNotification, (Hwnd window), (window))
    RC_BELOW_SEAM(std::uint32_t, GetCurrentProcessId, (), ())
    RC_BELOW_SEAM(bool, ProcessIdToSessionId, (std::uint32_t processId, std::uint32_t* sessionId), (processId, sessionId))
    RC_BELOW_SEAM(std::uint32_t, WTSGetActiveConsoleSessionId, (), ())
    RC_BELOW_SEAM(bool, InitializeSecurityDescriptor, (SecurityDescriptor* descriptor, std::uint32_t revision), (descriptor, revision))
    RC_BELOW_SEAM(bool, SetSecurityDescriptorDacl, (SecurityDescriptor* descriptor, bool present, void* dacl, bool defaulted), (descriptor, present, dacl, defaulted))
    RC_BELOW_SEAM(Handle, CreateMutexA, (SecurityAttributes* security, bool initialOwner, const char* name), (security, initialOwner, name))
    RC_BELOW_SEAM(Handle, OpenMutexA, (std::uint32_t access, bool inherit, const char* name), (access, inherit, name))
    RC_BELOW_SEAM(std::uint32_t, GetWindowThreadProcessId, (Hwnd window, std::uint32_t* processId), (window, processId))
    RC_BELOW_SEAM(Hwnd, GetAncestor, (Hwnd window, std::uint32_t flags), (window, flags))
    RC_BELOW_SEAM(int, GetClassNameA, (Hwnd window, char* name, int size), (window, name, size))
    RC_BELOW_SEAM(int, GetWindowTextW, (Hwnd window, char16_t* text, int size), (window, text, size))
    RC_BELOW_SEAM(Handle, OpenProcess, (std::uint32_t access, bool inherit, std::uint32_t processId), (access, inherit, processId))
    RC_BELOW_SEAM(bool, QueryFullProcessImageNameA, (Handle process, std::uint32_t flags, char* name, std::uint32_t* size), (process, flags, name, size))
    RC_BELOW_SEAM(std::uint32_t, GetModuleFileNameExA, (Handle process, Handle module, char* name, std::uint32_t size), (process, module, name, size))
    RC_BELOW_SEAM(std::uint32_t, SendInput, (std::uint32_t count, const Input* inputs), (count, inputs))
    RC_BELOW_SEAM(LResult, SendMessageTimeoutA, (Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam, std::uint32_t flags, std::uint32_t timeoutMs, std::uintptr_t* result), (window, msg, wParam, lParam, flags, timeoutMs, result))
    RC_BELOW_SEAM(HResult, SHGetFolderPathA, (Hwnd owner, int folder, Handle token, std::uint32_t flags, char* path), (owner, folder, token, flags, path))
    RC_BELOW_SEAM(Handle, CreateFileA, (const char* path, std::uint32_t access, std::uint32_t share, SecurityAttributes* security, std::uint32_t disposition, std::uint32_t flagsAndAttributes, Handle templateFile), (path, access, share, security, disposition, flagsAndAttributes, templateFile))
    RC_BELOW_SEAM(bool, GetFileAttributesExA, (const char* path, std::uint32_t infoLevel, FileAttributeData* data), (path, infoLevel, data))
    RC_BELOW_SEAM(bool, CreateDirectoryA, (const char* path, SecurityAttributes* security), (path, security))
    RC_BELOW_SEAM(bool, WriteFile, (Handle file, const void* data, std::uint32_t size, std::uint32_t* written, Overlapped* overlapped), (file, data, size, written, overlapped))
    RC_BELOW_SEAM(bool, ReadFile, (Handle file, void* data, std::uint32_t size, std::uint32_t* read, Overlapped* overlapped), (file, data, size, read, overlapped))
    // clang-format on

    std::intptr_t DialogBoxParamA(Handle instance, int templateId, Hwnd owner, DlgProc proc,
                                  LParam initParam) override {
        BelowSeamScope scope;
        pendingDialogProc_ = proc;
        return SimDesktop::DialogBoxParamA(instance, templateId, owner,
                                           proc ? DialogAboveSeam : nullptr, initParam);
    }

    std::uint16_t RegisterClassExA(const WindowClass* windowClass) override {
        BelowSeamScope scope;
        if (!windowClass) return SimDesktop::RegisterClassExA(windowClass);
        WindowClass marked = *windowClass;
        windowProc_ = windowClass->proc;
        if (marked.proc) marked.proc = WindowAboveSeam;
        return SimDesktop::RegisterClassExA(&marked);
    }

  private:
    inline static CountingDesktop* current_ = nullptr;
    WndProc windowProc_ = nullptr;  // the program registers one window class
    DlgProc pendingDialogProc_ = nullptr;
    std::map<Hwnd, DlgProc> dialogProcs_;

    static LResult PLATFORM_CALLBACK WindowAboveSeam(Hwnd window, std::uint32_t msg, WParam wParam,
                                                     LParam lParam) {
        AboveSeamScope scope;
        return current_->windowProc_(window, msg, wParam, lParam);
    }

    // A dialog's procedure is known from WM_INITDIALOG on, which comes before any other
    // message to it.
    static std::intptr_t PLATFORM_CALLBACK DialogAboveSeam(Hwnd dialog, std::uint32_t msg,
                                                           WParam wParam, LParam lParam) {
        DlgProc proc = nullptr;
        {
            BelowSeamScope bookkeeping;
            if (msg == WM_INITDIALOG) current_->dialogProcs_[dialog] = current_->pendingDialogProc_;
            auto found = current_->dialogProcs_.find(dialog);
            if (found != current_->dialogProcs_.end()) proc = found->second;
        }
        if (!proc) return 0;
        AboveSeamScope scope;
        return proc(dialog, msg, wParam, lParam);
    }
};

#undef RC_BELOW_SEAM
