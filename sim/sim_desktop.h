// A model of the Windows desktop that the utility runs on: a clock, window timers
// dispatched by a message loop, top-level windows with Z order, foreground and focus,
// the registry, message boxes with their own modal loops, and the TV applications as
// programs that open a window some time after a launch and close it on their close
// command. Everything that reaches the desktop is recorded, both in the receiving
// window's log and as a line of the trace.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sim/sim_card.h"

// What a window of another program received.
struct SimReceived {
    std::uint64_t time;
    std::uint32_t msg;  // a posted or sent message, or WM_KEYDOWN/WM_KEYUP for injected keys
    WParam wParam;
    LParam lParam;
    bool injected;  // true for keybd_event input that reached the window as its focus
};

struct SimWindow {
    Hwnd handle = 0;
    std::string cls;
    std::string title;
    bool visible = true;
    bool alive = true;
    int appId = 0;              // the TV application whose main window this is, or 0
    bool utility = false;       // a window of the utility itself
    WndProc proc = nullptr;     // the utility's window procedure, if any
    DlgProc dlgProc = nullptr;  // the utility's dialog procedure, if any
    std::vector<SimReceived> received;
    bool altDown = false;  // the model of a program's keyboard state, for Alt+F4
};

struct SimTimer {
    Hwnd owner;
    std::uintptr_t id;
    std::uint32_t intervalMs;
    TimerProc proc;
    std::uint64_t nextDue;
};

struct SimRegValue {
    std::uint32_t type;
    std::vector<std::uint8_t> data;
};

struct SimMessageBox {
    std::string text;
    std::string caption;
    std::uint32_t type;
    bool closed = false;
};

// Identity and behaviour of a supported TV application as the desktop sees it.
struct SimAppIdentity {
    int appId;
    const char* cls;  // nullptr: any class (a made-up one is used when the window is created)
    const char* title;
};
const SimAppIdentity* SimAppIdentityOf(int appId);

class SimDesktop : public Platform {
  public:
    SimDesktop();

    // --- world: clock, scheduled events and the run ---
    std::uint64_t now = 0;       // ms since the utility started
    std::uint32_t tickBase = 0;  // GetTickCount() at start, to test wrap-around
    std::uint64_t runLimit = 24ull * 3600 * 1000;
    bool stopped = false;
    void At(std::uint64_t time, std::function<void()> action);
    // Runs the thread's message loop until `done` holds or the run limit is reached.
    void Pump(const std::function<bool()>& done);
    void RunUntil(std::uint64_t time);
    const std::vector<SimTimer>& Timers() const;

    // --- trace ---
    bool traceEnabled = true;
    std::vector<std::string> trace;
    void Trace(const std::string& effect);
    bool traceDetails = true;  // timers, Z order and box closes: off in remote-sim's default
    void TraceDetail(const std::string& effect);
    std::string Describe(Hwnd window) const;  // app=N, or window="CLASS"/"TITLE"

    // --- windows ---
    Hwnd CreateSimWindow(const std::string& cls, const std::string& title, bool visible,
                         int appId = 0);
    Hwnd StartApp(int appId);  // the application's main window, created on top
    void DestroySimWindow(Hwnd window);
    SimWindow* Find(Hwnd window);
    const SimWindow* Find(Hwnd window) const;
    Hwnd AppWindow(int appId) const;  // the live main window of an application, or 0
    std::vector<SimReceived> ReceivedBy(Hwnd window) const;
    bool foregroundLocked = false;  // SetForegroundWindow refused for other programs' windows
    std::uint32_t launchDelayMs = 1000;
    std::uint32_t closeDelayMs = 300;

    // --- registry ---
    void SetRegValue(HKey root, const std::string& key, const std::string& name, std::uint32_t type,
                     const std::vector<std::uint8_t>& data);
    void SetRegString(HKey root, const std::string& key, const std::string& name,
                      const std::string& text);
    void SetRegDword(HKey root, const std::string& key, const std::string& name,
                     std::uint32_t value);
    const SimRegValue* GetRegValue(HKey root, const std::string& key,
                                   const std::string& name) const;
    bool RegKeyExists(HKey root, const std::string& key) const;
    // Writes the install value of an application and makes its program launchable.
    void InstallApp(int appId, const std::string& folder, bool commonKey = false);
    void AddProgram(const std::string& path, int appId);

    // --- message boxes ---
    bool autoCloseMessageBoxes = true;        // unit tests; remote-sim closes them by script
    std::vector<SimMessageBox> messageBoxes;  // every box ever shown, in order
    int OpenMessageBoxCount() const;
    void CloseTopMessageBox();

    // --- the remote control: every card present sees what it sends ---
    int heldRawCode = -1;
    void PressRemote(std::uint64_t at, int rawCode, std::uint32_t forMs);

    // Platform
    std::uint32_t GetTickCount() override;
    void Sleep(std::uint32_t ms) override;
    std::uintptr_t SetTimer(Hwnd owner, std::uintptr_t id, std::uint32_t ms,
                            TimerProc proc) override;
    bool KillTimer(Hwnd owner, std::uintptr_t id) override;
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
    void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                     std::uintptr_t extraInfo) override;
    std::intptr_t ShellExecuteA(Hwnd owner, const char* verb, const char* file,
                                const char* parameters, const char* directory, int show) override;
    int MessageBoxA(Hwnd owner, const char* text, const char* caption, std::uint32_t type) override;
    RegStatus RegOpenKeyA(HKey root, const char* subKey, HKey* result) override;
    RegStatus RegQueryValueExA(HKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                               std::uint32_t* size) override;
    RegStatus RegCloseKey(HKey key) override;

    // --- pointer, dialogs, shutdown, settings ---
    // The pointer and the screen. The pointer stays on the screen; the full-screen client
    // area is the screen less the caption of a maximised window.
    struct MouseEvent {
        std::uint64_t time;
        std::uint32_t flags;
        std::int32_t x;  // the coordinate arguments as given
        std::int32_t y;
        std::uint32_t data;
        std::uintptr_t extraInfo;
        Point pointer;  // where the pointer was, which is where a button event happens
    };
    Point cursor{512, 384};
    int screenWidth = 1024;  // SM_CXSCREEN, SM_CYSCREEN
    int screenHeight = 768;
    int fullScreenWidth = 1024;  // SM_CXFULLSCREEN, SM_CYFULLSCREEN
    int fullScreenHeight = 749;
    bool buttonsSwapped = false;  // SM_SWAPBUTTON
    LParam messageExtraInfo = 0;  // what GetMessageExtraInfo answers
    bool leftButtonDown = false;  // the physical buttons as the injected events left them
    bool rightButtonDown = false;
    std::vector<MouseEvent> mouseEvents;  // every injected event, in order

    // Window placement from SetWindowPos, and dialogs' template positions.
    struct WindowPlacement {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        bool topmost = false;
        bool moved = false;  // SetWindowPos has moved it
    };
    std::map<Hwnd, WindowPlacement> placements;
    const WindowPlacement* PlacementOf(Hwnd window) const;

    // Modal dialogs from the program's templates 20, 21 and 107. Each runs its own loop,
    // which dispatches timer ticks, until its procedure calls EndDialog.
    struct DialogRecord {
        int templateId = 0;
        Hwnd window = 0;
        Hwnd owner = 0;
        bool ended = false;
        std::intptr_t result = 0;
        std::vector<Hwnd> controls;     // child windows, one per control of the template
        std::vector<std::string> list;  // the entries of its combo box, if it has one
        int selection = -1;             // the combo box's selected entry, or -1
    };
    std::vector<DialogRecord> dialogs;      // every dialog ever opened, in order
    bool failDialogCreation = false;        // DialogBoxParamA makes no dialog ...
    std::intptr_t failedDialogResult = -1;  // ... and answers this (-1, or 0 as for a bad owner)
    int OpenDialogCount() const;
    Hwnd TopDialog() const;  // the most recently opened dialog still open, or 0
    const DialogRecord* DialogOf(Hwnd window) const;
    // Scripted user actions on the top dialog; false when there is none, or no such control
    // or entry. A click on a button sends WM_COMMAND with its id; the close box and the
    // Escape key send IDCANCEL, the Enter key the default button's IDOK.
    bool PressDialogButton(int controlId);
    bool SelectListEntry(const std::string& label);
    bool CloseDialogBox();
    bool TypeDialogKey(std::uint8_t vk);

    // Version, the process token and the shutdown request, which is recorded, never made.
    bool win9xFamily = false;           // GetVersion high bit, GetVersionExA platform 1
    bool tokenOpenRefused = false;      // OpenProcessToken fails
    bool shutdownPrivilegeHeld = true;  // false: the adjustment leaves ERROR_NOT_ALL_ASSIGNED
    bool exitWindowsRefused = false;    // ExitWindowsEx fails
    bool shutdownPrivilegeEnabled = false;
    int openTokens = 0;  // process tokens opened and not yet closed
    bool CloseToken(Handle token);
    std::uint32_t lastError = 0;                  // GetLastError
    std::vector<std::uint32_t> shutdownRequests;  // flags of every accepted ExitWindowsEx

    // Registry writing, the Windows folder and the profile files.
    bool hklmReadOnly = false;  // a standard user: HKLM cannot be opened for writing or created
    int registryFlushes = 0;
    std::string windowsDirectory = "C:\\WINDOWS";
    void SetProfileValue(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& text);
    std::map<std::string, std::string> profileValues;  // "file|section|key", lower case
    std::map<HKey, std::uint32_t> keyAccess;  // rights of keys opened by RegOpenKeyExA/Create
    void DeleteRegKey(HKey root, const std::string& key);  // with its values and subkeys

    bool GetCursorPos(Point* point) override;
    bool SetCursorPos(int x, int y) override;
    void mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy, std::uint32_t data,
                     std::uintptr_t extraInfo) override;
    LParam GetMessageExtraInfo() override;
    int GetSystemMetrics(int index) override;
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
    // The video-input devices in enumeration order, each with its TV card.
    std::deque<SimVideoDevice> videoDevices;  // stable references for tests
    // A device named like one of the I2C boards gets an I2C card, any other a GPIO card.
    SimVideoDevice& AddVideoDevice(const std::string& friendlyName);
    bool deviceEnumeratorRegistered = true;  // false: the enumerator cannot be created
    std::uint32_t createEventError = 0;      // non-zero: CreateEventA fails with it
    bool traceRequests = false;              // "request GpioRead get" lines in the trace
    SimComWorld com;
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

    // --- main window and tray ---
    // The utility's windows are created from registered classes and run their window
    // procedure: WM_CREATE inside CreateWindowExA, posted messages and timer ticks through
    // GetMessageA/DispatchMessageA, WM_CLOSE in DefWindowProcA destroys the window. The
    // program's resources are modelled: strings 22 and 23, icons 50 and 110, accelerator
    // table 23. Trace lines: create/destroy WINDOW, delete "PATH" done|not found, quit N,
    // tray add|modify ID tip="TIP", tray delete ID, tray mouse ID msg=N, taskbar restarted,
    // menu "ITEM" "-" "CHECKED"* ..., menu choose "ITEM", menu dismissed, menu stays open.
    struct TrayIcon {
        Hwnd window;
        std::uint32_t id;
        std::uint32_t callbackMessage;
        Handle icon;
        std::string tip;
    };
    struct MenuItem {
        std::string label;  // "-" for a separator
        std::uintptr_t id;
        std::uint32_t flags;
    };
    std::vector<std::string> files;     // paths on the disk; compared ignoring case
    std::vector<TrayIcon> trayIcons;    // the icons the notification area shows now
    std::vector<Msg> defaultProcessed;  // messages the utility passed to DefWindowProcA
    bool quitPosted = false;
    int quitCode = 0;
    const TrayIcon* FindTrayIcon(std::uint32_t id) const;
    // The user's mouse over a tray icon: the shell posts the icon's callback message with
    // the id in wParam and the mouse message in lParam. A button press outside an open
    // popup menu closes that menu first. False when no icon has that id.
    bool TrayNotify(std::uint32_t id, std::uint32_t mouseMessage);
    // Explorer restarts: every icon is gone and "TaskbarCreated" is broadcast.
    void RestartTaskbar();
    bool MenuOpen() const;
    // Clicks the item with this label in the open menu (the innermost, if menus nest);
    // false when there is none.
    bool ChooseMenuItem(const std::string& label);
    // Clicks outside the open menu: it closes only while its owner is the foreground
    // window, as on Windows. True when it closed.
    bool ClickOutsideMenu();
    int LiveMenuCount() const;
    // Takes the next due timer tick as a WM_TIMER message, keeping the timer's phase.
    bool TakeDueTimer(Msg* msg);

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

  private:
    struct WindowClassRecord {
        std::string name;
        WndProc proc;
    };
    struct Menu {
        std::vector<MenuItem> items;
        bool alive = true;
    };
    struct MenuTracking {
        Handle menu;
        Hwnd owner;
        bool done = false;
        std::uintptr_t chosen = 0;
    };
    std::vector<WindowClassRecord> classes_;
    std::vector<std::string> registeredMessages_;  // index + 0xC000 is the message
    std::vector<Menu> menus_;                      // index + kFirstMenu is the handle
    std::vector<MenuTracking*> tracking_;          // open menus, innermost last
    Menu* FindMenu(Handle menu);
    std::uint32_t MessageIdOf(const std::string& name);
    void DestroyUtilityWindow(Hwnd window);
    void CloseMenu(MenuTracking& tracking, std::uintptr_t chosen);

  public:
    // Counts of platform calls, for tests of what an operation costs.
    std::uint64_t calls = 0;

  private:
    std::multimap<std::uint64_t, std::function<void()>> events_;
    std::vector<SimWindow> windows_;  // index = handle - kFirstHandle
    std::vector<Hwnd> zOrder_;        // front to back
    Hwnd foreground_ = 0;
    Hwnd active_ = 0;
    std::vector<SimTimer> timers_;
    std::deque<Msg> queue_;  // messages posted to the utility's own windows
    std::map<std::string, std::map<std::string, SimRegValue>> registry_;  // lower-case paths
    std::map<HKey, std::string> openKeys_;
    HKey nextKey_ = 0x1000;
    std::map<std::string, int> programs_;  // lower-case path -> application
    int pendingBoxes_ = 0;

    void RunWorldUntil(std::uint64_t time);
    std::uint64_t NextActivity() const;
    bool DispatchQueued();
    bool DispatchDueTimer();
    void AdvanceClock();
    void Dispatch(const Msg& msg);
    void Deliver(SimWindow& window, std::uint32_t msg, WParam wParam, LParam lParam, bool injected);
    void ReactAsApp(SimWindow& window, const SimReceived& received);
    void BringToFront(Hwnd window);
    static std::string RegPath(HKey root, const std::string& key);
    void AddRegKey(const std::string& path);

  public:
    // --- console (RemoteMonitor) ---
    // The program's standard handles lead to one console. Written text is kept, and every
    // finished line is traced as "console TEXT". A read waits, as a console read does, for a
    // whole typed line; world events may type one meanwhile, and a read at the end of the run
    // gets nothing.
    std::string consoleText;
    std::string consoleInput;            // typed and not yet read
    std::uint32_t consoleProcesses = 2;  // 1: the program owns its console (a shortcut)
    void TypeConsoleLine(const std::string& line);
    Handle GetStdHandle(std::uint32_t which) override;
    bool WriteFile(Handle file, const void* data, std::uint32_t size, std::uint32_t* written,
                   Overlapped* overlapped) override;
    bool ReadFile(Handle file, void* data, std::uint32_t size, std::uint32_t* read,
                  Overlapped* overlapped) override;
    std::uint32_t GetConsoleProcessList(std::uint32_t* processIds, std::uint32_t count) override;

  private:
    std::string consoleLine_;  // the line being written

  public:
    // --- hardening: long runs and measurements ---
    // Whether a trace line would be kept; call sites on the poll path test it before they
    // build the line, so that a desktop with tracing off allocates nothing for its trace.
    bool Tracing() const { return traceEnabled && !stopped; }
    // false: the cards keep no log of the requests they receive, which would otherwise grow
    // by one entry per request over a long benchmark or fuzzing run.
    bool logRequests = true;
};

// Installs a fresh desktop as the platform and returns it.
SimDesktop& InstallFreshSimDesktop();
