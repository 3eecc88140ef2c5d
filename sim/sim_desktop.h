// A model of the Windows desktop that the utility runs on. SimDesktop is the platform:
// it holds the world (a clock, scheduled events, the run and the trace) and composes one
// part of the state per area; each area's header describes its model, and the area's
// .cpp holds its platform operations and the scripted user actions on it:
//   windows and message loop  sim_windows.h  (sim_windows.cpp, sim_message_loop.cpp)
//   input and pointer         sim_input.h    (sim_input.cpp)
//   tray and menus            sim_tray.h     (sim_tray.cpp)
//   dialogs and message boxes sim_dialogs.h  (sim_dialogs.cpp)
//   registry                  sim_registry.h (sim_registry.cpp)
//   devices and card          sim_devices.h  (sim_devices.cpp, sim_card.h/.cpp)
//   system                    sim_system.h   (sim_system.cpp)
//   sessions and named objects sim_session.h (sim_session.cpp)
// Everything that reaches the desktop is recorded, both in the receiving window's log and
// as a line of the trace.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sim/sim_console.h"
#include "sim/sim_devices.h"
#include "sim/sim_dialogs.h"
#include "sim/sim_files.h"
#include "sim/sim_input.h"
#include "sim/sim_registry.h"
#include "sim/sim_session.h"
#include "sim/sim_system.h"
#include "sim/sim_tray.h"
#include "sim/sim_windows.h"

class SimDesktop : public Platform {
  public:
    SimDesktop();

    // --- the areas ---
    SimWindows windows;
    SimInput input;
    SimTray tray;
    SimDialogs dialogs;
    SimRegistry registry;
    SimDevices devices;
    SimSystem system;
    SimConsole console;
    SimSessions sessions;
    SimFiles files;

    // --- world: clock, scheduled events and the run (sim_desktop.cpp) ---
    std::uint64_t now = 0;       // ms since the utility started
    std::uint32_t tickBase = 0;  // GetTickCount() at start, to test wrap-around
    std::uint64_t runLimit = 24ull * 3600 * 1000;
    bool stopped = false;
    void At(std::uint64_t time, std::function<void()> action);
    // Runs a modal loop of the thread until `done` holds. False when it ended otherwise: at
    // the quit message, which stays posted for the loop outside it, as every modal loop of
    // Windows does, or at the run limit.
    bool Pump(const std::function<bool()>& done);
    void RunUntil(std::uint64_t time);
    std::uint32_t GetTickCount() override;
    void Sleep(std::uint32_t ms) override;  // world events go on while the thread sleeps

    // --- trace ---
    bool traceEnabled = true;
    std::vector<std::string> trace;
    void Trace(const std::string& effect);
    bool traceDetails = true;  // timers, Z order and box closes: off in remote-sim's default
    void TraceDetail(const std::string& effect);
    // Whether a trace line would be kept; call sites on the poll path test it before they
    // build the line, so that a desktop with tracing off allocates nothing for its trace.
    bool Tracing() const { return traceEnabled && !stopped; }

    // Counts of platform calls, for tests of what an operation costs.
    std::uint64_t calls = 0;

    // --- windows and other programs (sim_windows.cpp) ---
    // Trace lines: foreground [refused] WINDOW, post [refused] WINDOW ..., keydown-post
    // [refused] ..., send [refused] ..., window shown|gone WINDOW, launch ...
    void DestroySimWindow(Hwnd window);  // its program closes it
    // Whether the foreground lock lets a program take the foreground now: the utility, or
    // (byUtility false) a program that the utility started.
    bool MayTakeForeground(bool byUtility) const;

    Hwnd GetDesktopWindow() override;
    Hwnd GetWindow(Hwnd window, std::uint32_t cmd) override;
    int GetWindowTextA(Hwnd window, char* text, int size) override;
    Hwnd FindWindowA(const char* cls, const char* title) override;
    Hwnd FindWindowExA(Hwnd parent, Hwnd after, const char* cls, const char* title) override;
    bool IsWindowVisible(Hwnd window) override;
    bool PostMessageA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) override;
    LResult SendMessageA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) override;
    bool BringWindowToTop(Hwnd window) override;
    bool SetForegroundWindow(Hwnd window) override;
    Hwnd SetActiveWindow(Hwnd window) override;
    Hwnd GetForegroundWindow() override;
    bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                      std::uint32_t flags) override;
    std::intptr_t ShellExecuteW(Hwnd owner, const char16_t* verb, const char16_t* file,
                                const char16_t* parameters, const char16_t* directory,
                                int show) override;
    std::intptr_t ShellExecuteA(Hwnd owner, const char* verb, const char* file,
                                const char* parameters, const char* directory, int show) override;

    // --- the utility's windows and the message loop (sim_message_loop.cpp) ---
    // The utility's windows are created from registered classes and run their window
    // procedure: WM_CREATE inside CreateWindowExA, posted messages and timer ticks through
    // GetMessageA/DispatchMessageA, WM_CLOSE in DefWindowProcA destroys the window.
    // Trace lines: create|destroy WINDOW, quit N, timer set|kill.
    std::uintptr_t SetTimer(Hwnd owner, std::uintptr_t id, std::uint32_t ms,
                            TimerProc proc) override;
    bool KillTimer(Hwnd owner, std::uintptr_t id) override;
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
    // The message filter of User Interface Privilege Isolation (Vista and later; the Ex form
    // Windows 7 and later): what a window of the utility, or the whole utility, lets through
    // from a lower integrity level. Where the system lacks a function the call fails with
    // ERROR_CALL_NOT_IMPLEMENTED, as the Win32 side reports a function that user32 does not have.
    bool ChangeWindowMessageFilterEx(Hwnd window, std::uint32_t msg, std::uint32_t action,
                                     void* changeInfo) override;
    bool ChangeWindowMessageFilter(std::uint32_t msg, std::uint32_t flag) override;

    // --- input and pointer (sim_input.cpp) ---
    // Trace lines: keybd vk=N flags=N [blocked], mouse flags=N x=N y=N [blocked], cursor X Y,
    // user input [WINDOW].
    // The user's own keyboard or mouse input: a click on `window`, which the system brings
    // to the front as the foreground window, or with 0 input to the window in front. It
    // restarts the foreground lock's time-out, and the program that receives it owns the
    // last input event.
    void UserInput(Hwnd window);
    // Notes an input event at this moment, received by the utility or by another program
    // (the scripted user actions and the injected input call it).
    void NoteInput(bool toUtility);
    void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                     std::uintptr_t extraInfo) override;
    bool GetCursorPos(Point* point) override;
    bool SetCursorPos(int x, int y) override;
    void mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy, std::uint32_t data,
                     std::uintptr_t extraInfo) override;
    LParam GetMessageExtraInfo() override;
    int GetSystemMetrics(int index) override;
    Handle MonitorFromPoint(Point point, std::uint32_t flags) override;
    bool GetMonitorInfoA(Handle monitor, MonitorInfo* info) override;

    // --- tray and menus (sim_tray.cpp) ---
    // Trace lines: tray add|modify ID tip="TIP", tray delete ID, tray mouse ID msg=N,
    // taskbar restarted, menu "ITEM" "-" "CHECKED"* ..., menu choose "ITEM", menu dismissed,
    // menu stays open.
    // The user's mouse over a tray icon: the shell posts the icon's callback message with
    // the id in wParam and the mouse message in lParam. A button press outside an open
    // popup menu closes that menu first. False when no icon has that id.
    bool TrayNotify(std::uint32_t id, std::uint32_t mouseMessage);
    // Explorer restarts: every icon is gone and "TaskbarCreated" is broadcast; an elevated
    // utility's window gets it only through its message filter, otherwise the trace says
    // blocked "TaskbarCreated" WINDOW.
    void RestartTaskbar();
    // Clicks the item with this label in the open menu (the innermost, if menus nest);
    // false when there is none.
    bool ChooseMenuItem(const std::string& label);
    // Clicks outside the open menu: it closes only while its owner is the foreground
    // window, as on Windows. True when it closed.
    bool ClickOutsideMenu();

    bool Shell_NotifyIconA(std::uint32_t message, NotifyIconData* data) override;
    Handle CreatePopupMenu() override;
    bool AppendMenuA(Handle menu, std::uint32_t flags, std::uintptr_t id,
                     const char* text) override;
    bool DestroyMenu(Handle menu) override;
    int TrackPopupMenu(Handle menu, std::uint32_t flags, int x, int y, int reserved, Hwnd owner,
                       const void* rect) override;

    // --- dialogs and message boxes (sim_dialogs.cpp) ---
    void CloseTopMessageBox();
    int OpenDialogCount() const;
    Hwnd TopDialog() const;  // the most recently opened dialog still open, or 0
    // Scripted user actions on the top dialog; false when there is none, or no such control
    // or entry. Each waits in the thread's queue for a message loop: a click on a button
    // then sends WM_COMMAND with its id, the close box IDCANCEL; keys (Tab, Enter, Escape)
    // go to the focus control and the dialog's loop handles them as IsDialogMessage does.
    // Trace lines: user button|select|closebox|key ..., dialog open|close ..., msgbox ...
    bool PressDialogButton(int controlId);
    bool SelectListEntry(const std::string& label);
    bool CloseDialogBox();
    bool TypeDialogKey(std::uint8_t vk);

    int MessageBoxA(Hwnd owner, const char* text, const char* caption, std::uint32_t type) override;
    std::intptr_t DialogBoxParamA(Handle instance, int templateId, Hwnd owner, DlgProc proc,
                                  LParam initParam) override;
    bool EndDialog(Hwnd dialog, std::intptr_t result) override;
    Hwnd GetDlgItem(Hwnd dialog, int id) override;
    LResult SendDlgItemMessageA(Hwnd dialog, int id, std::uint32_t msg, WParam wParam,
                                LParam lParam) override;

    // --- registry (sim_registry.cpp) ---
    // Writes the install value of an application and makes its program launchable.
    void InstallApp(int appId, const std::string& folder, bool commonKey = false);

    RegStatus RegOpenKeyA(HKey root, const char* subKey, HKey* result) override;
    RegStatus RegQueryValueExA(HKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* size) override;
    RegStatus RegCloseKey(HKey key) override;
    RegStatus RegOpenKeyExA(HKey root, const char* subKey, std::uint32_t options,
                            std::uint32_t access, HKey* result) override;
    RegStatus RegCreateKeyExA(HKey root, const char* subKey, std::uint32_t reserved, char* keyClass,
                              std::uint32_t options, std::uint32_t access, void* security,
                              HKey* result, std::uint32_t* disposition) override;
    RegStatus RegSetValueExA(HKey key, const char* name, std::uint32_t reserved, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size) override;
    RegStatus RegFlushKey(HKey key) override;

    // --- devices and card (sim_devices.cpp) ---
    // The remote control: every card present sees the key held from `at` for `forMs`.
    void PressRemote(std::uint64_t at, int rawCode, std::uint32_t forMs);
    // The first listed device of that name goes away; requests on its handles fail with
    // `error`. False when none is listed. Trace line: unplug "NAME".
    bool UnplugDevice(const std::string& friendlyName, std::uint32_t error);
    // The first device of that name that went away comes back as a new device object; with
    // none, a new card of that name is plugged in. Trace line: plug "NAME".
    void PlugDevice(const std::string& friendlyName);
    // WM_DEVICECHANGE with this event to every top-level window of the utility. Trace
    // line: device change N. With discovery traced (from the first device or power event
    // on): device search, filter bound "NAME", filter released "NAME".
    void BroadcastDeviceChange(std::uint32_t event);

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

    // --- device removal, handle events and requests that hang (sim_device_events.cpp) ---
    // Trace lines: update-driver|disable "NAME", ... vetoed, ... done, driver started "NAME",
    // request cancelled.
    // The system asks to remove the first listed device of that name: a driver update
    // (the device comes back driverInstallMs later as a new device object) or "Disable
    // device". Every window registered for a handle of the device gets
    // DBT_DEVICEQUERYREMOVE; once all have answered, a handle still open (or another
    // program's, `heldElsewhere`) or a refusal vetoes it, and the registrations hear
    // DBT_DEVICEQUERYREMOVEFAILED; otherwise DBT_DEVICEREMOVECOMPLETE, and the device goes.
    // False when none is listed, while another removal is undecided, and while the PC
    // goes to sleep or sleeps.
    bool RequestRemoval(const std::string& friendlyName, bool update, bool heldElsewhere);
    // The next request with that command on any card hangs.
    void HangNextRequest(std::uint32_t command);
    std::uint32_t WaitForSingleObject(Handle object, std::uint32_t ms) override;
    bool CancelIoEx(Handle file, Overlapped* overlapped) override;
    bool CancelIo(Handle file) override;
    Handle RegisterDeviceNotificationA(Hwnd recipient, DevBroadcastHandle* filter,
                                       std::uint32_t flags) override;
    bool UnregisterDeviceNotification(Handle notification) override;

    // --- console (sim_console.cpp) ---
    void TypeConsoleLine(const std::string& line);
    Handle GetStdHandle(std::uint32_t which) override;
    bool WriteFile(Handle file, const void* data, std::uint32_t size, std::uint32_t* written,
                   Overlapped* overlapped) override;
    bool ReadFile(Handle file, void* data, std::uint32_t size, std::uint32_t* read,
                  Overlapped* overlapped) override;
    std::uint32_t GetConsoleProcessList(std::uint32_t* processIds, std::uint32_t count) override;

    // --- system (sim_system.cpp) ---
    // Trace lines: shutdown [refused] flags=N, delete "PATH" done|not found, and the power
    // events: power suspend, power sleep, power wake, power resume N.
    // The user puts the PC to sleep: PBT_APMSUSPEND now, and the sleep itself
    // system.sleepDelayMs later, unless a wake comes first.
    void Suspend();
    // The PC wakes: the devices are made anew, and PBT_APMRESUMEAUTOMATIC follows
    // system.resumeBroadcastDelayMs later; with the user present, PBT_APMRESUMESUSPEND as
    // long again after it.
    void Resume(bool userPresent);
    // PBT_APMSUSPEND, and then neither the sleep nor a resume event: a suspend that was
    // called off, or whose resume event got lost. Trace line: power suspend aborted.
    void SuspendAborted();
    Handle RegisterSuspendResumeNotification(Hwnd recipient, std::uint32_t flags) override;
    bool UnregisterSuspendResumeNotification(Handle notification) override;
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
    std::uint32_t GetWindowsDirectoryA(char* buffer, std::uint32_t size) override;
    std::uint32_t GetPrivateProfileIntA(const char* section, const char* key, int defaultValue,
                                        const char* file) override;
    bool DeleteFileA(const char* path) override;
    int LoadStringA(Handle instance, std::uint32_t id, char* buffer, int size) override;
    Handle LoadIconA(Handle instance, int resourceId) override;
    Handle LoadCursorA(Handle instance, int resourceId) override;
    Handle LoadAcceleratorsA(Handle instance, int resourceId) override;

    // --- sessions and named objects (sim_session.cpp) ---
    // Trace lines: session lock|unlock|switch-user|switch-back|remote-connect for the
    // scenario's events, session change N for each WM_WTSSESSION_CHANGE sent, and
    // user ACTION unseen for a user action on a session that is not in front.
    void LockSession();
    void UnlockSession();
    void SwitchUser();
    void SwitchBack();
    void RemoteConnect();
    // True, and traced, when the user cannot reach the session's windows now: the session is
    // not in front, or the PC sleeps.
    bool UserCannotReach(const char* action);
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

    // --- other programs: processes, their windows, commands (sim_programs.cpp) ---
    // Trace lines: appcommand [refused|hung] WINDOW cmd=N device=key|mouse|oem keys=N,
    // send-timeout [refused|hung] WINDOW msg=N ..., timed out WINDOW after N ms.
    std::uint32_t GetWindowThreadProcessId(Hwnd window, std::uint32_t* processId) override;
    Hwnd GetAncestor(Hwnd window, std::uint32_t flags) override;
    int GetClassNameA(Hwnd window, char* name, int size) override;
    int GetWindowTextW(Hwnd window, char16_t* text, int size) override;
    Handle OpenProcess(std::uint32_t access, bool inherit, std::uint32_t processId) override;
    bool QueryFullProcessImageNameA(Handle process, std::uint32_t flags, char* name,
                                    std::uint32_t* size) override;
    std::uint32_t GetModuleFileNameExA(Handle process, Handle module, char* name,
                                       std::uint32_t size) override;
    LResult SendMessageTimeoutA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam,
                                std::uint32_t flags, std::uint32_t timeoutMs,
                                std::uintptr_t* result) override;
    // Trace lines: input vk=N scan=N flags=N [blocked], system media vk=N (sim_input.cpp).
    std::uint32_t SendInput(std::uint32_t count, const Input* inputs) override;

    // --- the user's files (sim_files.cpp) ---
    // Trace lines: file create|open "PATH" ..., file write "PATH" N bytes, directory create
    // "PATH", and the user's own: file saved|deleted "PATH", file save refused "PATH".
    // The user saves the file with this text now (or deletes it, `gone`), as an editor does.
    void UserSavesFile(const std::string& path, const std::string& text, bool gone);
    HResult SHGetFolderPathA(Hwnd owner, int folder, Handle token, std::uint32_t flags,
                             char* path) override;
    Handle CreateFileA(const char* path, std::uint32_t access, std::uint32_t share,
                       SecurityAttributes* security, std::uint32_t disposition,
                       std::uint32_t flagsAndAttributes, Handle templateFile) override;
    bool GetFileAttributesExA(const char* path, std::uint32_t infoLevel,
                              FileAttributeData* data) override;
    bool CreateDirectoryA(const char* path, SecurityAttributes* security) override;

  private:
    std::multimap<std::uint64_t, std::function<void()>> events_;

    // Sessions (sim_session.cpp).
    void NotifySession(std::uint32_t event);
    void TraceSessionEvent(const char* what);
    void LockSessionQuietly();

    // The run (sim_desktop.cpp).
    void RunWorldUntil(std::uint64_t time);
    std::uint64_t NextActivity() const;
    void AdvanceClock();

    // Devices that come back as new device objects, at wake (sim_devices.cpp).
    void RecreateDevices();
    void CompletePending(SimPendingRequest& request);
    // A wait without a limit on a request that never completes: the thread is stuck, and
    // the world runs on to the end of the run (sim_device_events.cpp).
    void BlockOnHungRequest();
    // The removal's query answered by a window's procedure; the removal decided when all
    // answered (sim_device_events.cpp).
    void AnswerQueryRemove(LResult answer);
    void FinishRemoval();
    // WM_POWERBROADCAST to the windows that hear it: every top-level window of the utility,
    // or with Modern Standby only the registered ones (sim_system.cpp).
    void BroadcastPower(WParam event);
    // The PC asleep: the world goes on and the thread runs nothing until the wake
    // (sim_system.cpp).
    void FallAsleep();
    // A message that the system sends to every top-level window of the utility, which its
    // thread takes with its next message (sim_system.cpp).
    void BroadcastToTopLevel(std::uint32_t msg, WParam wParam, LParam lParam);

    // The registry (sim_registry.cpp): a handle on an existing key with the rights asked
    // for, under the account's rights and virtualization.
    RegStatus OpenRegistryKey(HKey root, const std::string& path, std::uint32_t access,
                              HKey* result);

    // Windows and other programs (sim_windows.cpp).
    void Deliver(SimWindow& window, std::uint32_t msg, WParam wParam, LParam lParam, bool injected);
    void ReactAsApp(SimWindow& window, const SimReceived& received);
    void SwitchForeground(Hwnd window);
    void ShowLaunchedApp(int appId);
    // Other programs that the shell can start (sim_programs.cpp): a `program` line's file, which
    // starts another copy of it, and Notepad, which every Windows has and which opens the
    // file in `parameters`.
    bool LaunchableProgram(const std::string& path, const std::string& parameters,
                           SimProgramSpec* spec) const;
    void ShowLaunchedProgram(const SimProgramSpec& spec);

    // Input (sim_input.cpp).
    bool InjectedInputBlocked() const;
    void TypeKey(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags);
    // An injected key as keybd_event and SendInput make it: AltGr's left Ctrl, the key.
    void InjectKey(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags);
    // A file handle's read and write (sim_files.cpp), for ReadFile and WriteFile.
    bool ReadUserFile(Handle file, void* data, std::uint32_t size, std::uint32_t* read);
    bool WriteUserFile(Handle file, const void* data, std::uint32_t size, std::uint32_t* written);

    // Dialogs (sim_dialogs.cpp): the user's input when a loop dispatches it.
    bool DispatchDialogInput(const Msg& msg);
    void DialogKey(SimDialogRecord& dialog, WParam vk);

    // The message loop (sim_message_loop.cpp).
    bool DispatchQueued();
    bool DispatchDueTimer();
    // Takes the next due timer tick as a WM_TIMER message, keeping the timer's phase.
    bool TakeDueTimer(Msg* msg);
    void Dispatch(const Msg& msg);
    void DestroyUtilityWindow(Hwnd window);
    void PostToQueue(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam);
};

// Installs a fresh desktop as the platform and returns it.
SimDesktop& InstallFreshSimDesktop();
