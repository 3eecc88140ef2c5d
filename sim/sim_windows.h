// Windows and the message loop: top-level windows in Z order with foreground, activation
// and placement; the TV applications as programs that open their window some time after a
// launch and close it on their close command; the utility's own windows, created from
// registered classes; the thread's timers and posted messages. The operations are
// SimDesktop's: sim_windows.cpp models the windows and other programs, sim_message_loop.cpp
// the utility's windows, timers and the loop.
//
// Focus and privilege follow Windows' rules (docs/architecture.md lists them):
// - SetForegroundWindow is refused under the foreground lock unless the utility is the
//   foreground process, received the last input event, there is no foreground window, or
//   the lock's time-out has passed since the last input; and always while a menu is open.
// - A granted switch to another program's window moves keyboard input to that program at
//   once, but the window becomes active (GetForegroundWindow, Z order) only when its own
//   thread handles the activation, activationDelayMs later.
// - A window of an elevated program refuses the utility's posted and sent messages
//   (ERROR_ACCESS_DENIED), and injected input is dropped while it is in front, unless the
//   utility runs as administrator too.
// - The utility run as administrator gets the shell's messages at or above WM_USER (the
//   registered "TaskbarCreated") only where its window's or its process's message filter
//   lets them through.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

// What a window of another program received.
struct SimReceived {
    std::uint64_t time;
    std::uint32_t msg;  // a posted or sent message, or the key message of an injected key
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
    bool elevated = false;        // its program runs at a higher integrity level than the utility
    std::uint32_t processId = 0;  // its program's process (SimProcess); 0: not yet asked for
    Hwnd owner = 0;               // the window that owns it (a dialog's main window), or 0
};

// A running program: every window of another program belongs to one. Its process ends with
// its last window.
struct SimProcess {
    std::uint32_t id = 0;
    std::uint32_t threadId = 0;   // its one thread, which made its windows
    std::string image;            // the program file's full path
    bool elevated = false;        // runs as administrator (a higher integrity level)
    bool hung = false;            // its thread takes no more messages ...
    std::uint64_t hungSince = 0;  // ... from this time on
};

// A program that a scenario starts with one top-level window, and optionally a window that
// this one owns (a dialog in front of it).
struct SimProgramSpec {
    std::string image;  // "vlc.exe" (under C:\Program Files\vlc) or a full path
    std::string cls;    // UTF-8, as are the titles
    std::string title;
    bool elevated = false;
    bool hung = false;
    std::string ownedCls;  // empty: no owned window
    std::string ownedTitle;
};

struct SimTimer {
    Hwnd owner;
    std::uintptr_t id;
    std::uint32_t intervalMs;
    TimerProc proc;
    std::uint64_t nextDue;
};

// Window placement from SetWindowPos, and dialogs' template positions.
struct SimWindowPlacement {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool topmost = false;
    bool moved = false;  // SetWindowPos has moved it
};

// Identity and behaviour of a supported TV application as the desktop sees it.
struct SimAppIdentity {
    int appId;
    const char* cls;  // nullptr: any class (a made-up one is used when the window is created)
    const char* title;
};
const SimAppIdentity* SimAppIdentityOf(int appId);

class SimWindows {
  public:
    // The foreground lock and its time-out (SPI_GETFOREGROUNDLOCKTIMEOUT), on by default
    // with Windows' default time-out; a scenario may turn it off.
    bool foregroundLock = true;
    std::uint32_t foregroundLockTimeoutMs = 200000;
    // How long another program's thread takes to handle an activation.
    std::uint32_t activationDelayMs = 10;
    std::set<int> elevatedApps;  // applications whose program runs as administrator
    // The utility runs as administrator (a higher integrity level than the shell's): the
    // elevated applications take its messages, and the shell's messages pass its filter.
    bool utilityElevated = false;
    std::uint32_t launchDelayMs = 1000;
    std::uint32_t closeDelayMs = 300;
    std::vector<Msg> defaultProcessed;  // messages the utility passed to DefWindowProcA
    bool quitPosted = false;
    int quitCode = 0;

    // A window of another program (or, with appId, a TV application's), created on top.
    Hwnd CreateSimWindow(const std::string& cls, const std::string& title, bool visible,
                         int appId = 0);
    // The application's main window, created on top as the foreground window (elevated
    // when its program runs as administrator).
    Hwnd StartApp(int appId);
    // Makes the first visible window in Z order the foreground window, as a session that
    // starts with these windows on the screen has it.
    void ActivateFront();
    SimWindow* Find(Hwnd window);
    const SimWindow* Find(Hwnd window) const;
    Hwnd AppWindow(int appId) const;  // the live main window of an application, or 0
    std::vector<SimReceived> ReceivedBy(Hwnd window) const;
    std::string Describe(Hwnd window) const;  // app=N, or window="CLASS"/"TITLE"
    const SimWindowPlacement* PlacementOf(Hwnd window) const;
    const std::vector<SimTimer>& Timers() const { return timers_; }
    // Makes a program launchable: ShellExecuteA on this path starts the application.
    void AddProgram(const std::string& path, int appId);

    // Processes (sim_programs.cpp). A new process for a program file; its id, a multiple
    // of 8, its thread's id 4 more.
    std::uint32_t StartProcess(const std::string& image, bool elevated);
    SimProcess* Process(std::uint32_t id);
    // The process of a window, made for it on first use: an application's window belongs
    // to its installed program (or C:\Program Files\Zarvin\AppN.exe), any other window to
    // C:\Program Files\Other\program.exe. Null for the utility's own windows.
    SimProcess* ProcessOfWindow(Hwnd window);
    // Whether the process still has a live window (its process runs).
    bool ProcessRunning(std::uint32_t id) const;
    // Starts a program with its window on top (and its owned window above that); returns
    // the top-level window that the program opened first.
    Hwnd StartProgram(const SimProgramSpec& spec);
    // The first live window in Z order with this whole title (UTF-8, ignoring ASCII case).
    Hwnd FindByTitle(const std::string& title) const;
    struct ProcessHandle {
        std::uint32_t processId;
        std::uint32_t access;  // the rights it was opened with
    };
    std::map<Handle, ProcessHandle> processHandles;  // from OpenProcess, until closed

  private:
    friend class SimDesktop;
    struct WindowClassRecord {
        std::string name;
        WndProc proc;
    };

    std::vector<SimWindow> windows_;  // index = handle - the first handle
    std::vector<Hwnd> zOrder_;        // front to back, topmost windows first
    Hwnd foreground_ = 0;             // the window whose thread has the keyboard input
    bool activationPending_ = false;  // ... which has not yet handled its activation
    std::uint64_t activations_ = 0;   // counts switches, so that a stale activation is dropped
    Hwnd active_ = 0;
    std::map<Hwnd, SimWindowPlacement> placements_;
    std::map<std::string, int> programs_;  // lower-case path -> application
    std::vector<SimProcess> processes_;
    std::vector<SimProgramSpec> started_;  // the programs started, with full paths

    std::vector<WindowClassRecord> classes_;
    std::vector<std::string> registeredMessages_;  // index + 0xC000 is the message
    std::vector<SimTimer> timers_;
    std::deque<Msg> queue_;  // messages posted to the utility's own windows

    bool IsTopmost(Hwnd window) const;
    void BringToFront(Hwnd window);  // to the front of its band: topmost or not
    void PlaceBehind(Hwnd window, Hwnd front);
    void RemoveFromZOrder(Hwnd window);
    // The system's choice of a new foreground window when the old one goes: the first
    // visible window in Z order, or none.
    Hwnd NextVisible() const;
    std::uint32_t MessageIdOf(const std::string& name);

    // User Interface Privilege Isolation: whether a window of another program refuses the
    // utility, and whether a message from a lower integrity level (the shell's) reaches a
    // window of the utility; `filtering` says that the system has integrity levels.
    bool RefusesUtility(const SimWindow& window) const {
        return window.elevated && !utilityElevated;
    }
    bool PassesMessageFilter(Hwnd window, std::uint32_t msg, bool filtering) const;
    std::map<Hwnd, std::set<std::uint32_t>> allowedByWindow_;  // ChangeWindowMessageFilterEx
    std::set<std::uint32_t> allowedByProcess_;                 // ChangeWindowMessageFilter
};
