// Windows and the message loop: top-level windows in Z order with foreground, activation
// and placement; the TV applications as programs that open their window some time after a
// launch and close it on their close command; the utility's own windows, created from
// registered classes; the thread's timers and posted messages. The operations are
// SimDesktop's: sim_windows.cpp models the windows and other programs, sim_message_loop.cpp
// the utility's windows, timers and the loop.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

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
    bool foregroundLocked = false;  // SetForegroundWindow refused for other programs' windows
    std::uint32_t launchDelayMs = 1000;
    std::uint32_t closeDelayMs = 300;
    std::vector<Msg> defaultProcessed;  // messages the utility passed to DefWindowProcA
    bool quitPosted = false;
    int quitCode = 0;

    // A window of another program (or, with appId, a TV application's), created on top.
    Hwnd CreateSimWindow(const std::string& cls, const std::string& title, bool visible,
                         int appId = 0);
    Hwnd StartApp(int appId);  // the application's main window, created on top, foreground
    SimWindow* Find(Hwnd window);
    const SimWindow* Find(Hwnd window) const;
    Hwnd AppWindow(int appId) const;  // the live main window of an application, or 0
    std::vector<SimReceived> ReceivedBy(Hwnd window) const;
    std::string Describe(Hwnd window) const;  // app=N, or window="CLASS"/"TITLE"
    const SimWindowPlacement* PlacementOf(Hwnd window) const;
    const std::vector<SimTimer>& Timers() const { return timers_; }
    // Makes a program launchable: ShellExecuteA on this path starts the application.
    void AddProgram(const std::string& path, int appId);

  private:
    friend class SimDesktop;
    struct WindowClassRecord {
        std::string name;
        WndProc proc;
    };

    std::vector<SimWindow> windows_;  // index = handle - the first handle
    std::vector<Hwnd> zOrder_;        // front to back
    Hwnd foreground_ = 0;
    Hwnd active_ = 0;
    std::map<Hwnd, SimWindowPlacement> placements_;
    std::map<std::string, int> programs_;  // lower-case path -> application

    std::vector<WindowClassRecord> classes_;
    std::vector<std::string> registeredMessages_;  // index + 0xC000 is the message
    std::vector<SimTimer> timers_;
    std::deque<Msg> queue_;  // messages posted to the utility's own windows

    void BringToFront(Hwnd window);
    void RemoveFromZOrder(Hwnd window);
    std::uint32_t MessageIdOf(const std::string& name);
};
