// The utility's own windows and the thread's message loop: window classes, creation with
// WM_CREATE, destruction through DefWindowProcA, timers, posted messages, the quit message
// and registered messages. Posted messages come before timer ticks; ticks that fell due
// while the thread was blocked coalesce into one and keep their phase.
#include <algorithm>
#include <cstdint>

#include "platform/win_shell_constants.h"
#include "sim/sim_desktop.h"
#include "sim/sim_text.h"

namespace {

constexpr std::uint32_t kFirstRegisteredMessage = 0xC000;
constexpr std::uint16_t kFirstClassAtom = 0xC000;
constexpr std::uint32_t kMessageFilterReset = 0;     // MSGFLT_RESET
constexpr std::uint32_t kMessageFilterDisallow = 2;  // MSGFLT_DISALLOW
constexpr std::uint32_t kMessageFilterRemove = 2;    // MSGFLT_REMOVE
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorInvalidWindowHandle = 1400;

}  // namespace

std::uint32_t SimWindows::MessageIdOf(const std::string& name) {
    for (std::size_t i = 0; i < registeredMessages_.size(); ++i) {
        if (Lower(registeredMessages_[i]) == Lower(name)) {
            return kFirstRegisteredMessage + static_cast<std::uint32_t>(i);
        }
    }
    registeredMessages_.push_back(name);
    return kFirstRegisteredMessage + static_cast<std::uint32_t>(registeredMessages_.size() - 1);
}

// --- timers ---

std::uintptr_t SimDesktop::SetTimer(Hwnd owner, std::uintptr_t id, std::uint32_t ms,
                                    TimerProc proc) {
    ++calls;
    std::uint32_t interval = std::max<std::uint32_t>(ms, 10);  // USER_TIMER_MINIMUM
    for (auto& timer : windows.timers_) {
        if (timer.owner == owner && timer.id == id) {  // replaces, as on Windows
            timer = SimTimer{owner, id, interval, proc, now + interval};
            return id;
        }
    }
    windows.timers_.push_back(SimTimer{owner, id, interval, proc, now + interval});
    if (traceDetails && Tracing())
        TraceDetail("timer set id=" + std::to_string(id) + " ms=" + std::to_string(ms));
    return id;
}

bool SimDesktop::KillTimer(Hwnd owner, std::uintptr_t id) {
    ++calls;
    auto& timers = windows.timers_;
    auto it = std::find_if(timers.begin(), timers.end(), [&](const SimTimer& timer) {
        return timer.owner == owner && timer.id == id;
    });
    if (it == timers.end()) return false;
    timers.erase(it);
    if (traceDetails && Tracing()) TraceDetail("timer kill id=" + std::to_string(id));
    return true;
}

// A timer that has elapsed, perhaps several times while the thread was busy, yields one
// WM_TIMER, and keeps its phase.
bool SimDesktop::TakeDueTimer(Msg* msg) {
    SimTimer* due = nullptr;
    for (auto& timer : windows.timers_) {
        if (timer.nextDue <= now && (!due || timer.nextDue < due->nextDue)) due = &timer;
    }
    if (!due) return false;
    std::uint64_t late = now - due->nextDue;
    due->nextDue += (late / due->intervalMs + 1) * due->intervalMs;
    LParam proc = reinterpret_cast<LParam>(due->proc);
    *msg = Msg{due->owner, WM_TIMER, due->id, proc, GetTickCount(), Point{0, 0}};
    return true;
}

// --- the utility's windows ---

std::uint16_t SimDesktop::RegisterClassExA(const WindowClass* windowClass) {
    ++calls;
    if (!windowClass || !windowClass->className) return 0;
    std::string name = windowClass->className;
    auto& classes = windows.classes_;
    for (const auto& registered : classes) {
        if (Lower(registered.name) == Lower(name)) return 0;  // ERROR_CLASS_ALREADY_EXISTS
    }
    classes.push_back(SimWindows::WindowClassRecord{name, windowClass->proc});
    return static_cast<std::uint16_t>(kFirstClassAtom + classes.size() - 1);
}

// WM_CREATE arrives inside the call; a window procedure that answers it with -1 fails
// the creation.
Hwnd SimDesktop::CreateWindowExA(std::uint32_t, const char* cls, const char* title,
                                 std::uint32_t style, int, int, int, int, Hwnd, Handle, Handle,
                                 void*) {
    ++calls;
    const auto& classes = windows.classes_;
    auto registered = std::find_if(classes.begin(), classes.end(), [&](const auto& record) {
        return Lower(record.name) == Lower(OrEmpty(cls));
    });
    if (registered == classes.end()) return 0;
    WndProc proc = registered->proc;
    Hwnd handle =
        windows.CreateSimWindow(registered->name, OrEmpty(title), (style & WS_VISIBLE) != 0);
    SimWindow* window = windows.Find(handle);
    window->utility = true;
    window->proc = proc;
    TraceDetail("create " + windows.Describe(handle) + (window->visible ? " visible" : " hidden"));
    if (proc && proc(handle, WM_CREATE, 0, 0) == -1) {
        DestroyUtilityWindow(handle);
        return 0;
    }
    return handle;
}

bool SimDesktop::ShowWindow(Hwnd handle, int show) {
    ++calls;
    SimWindow* window = windows.Find(handle);
    if (!window || !window->alive) return false;
    bool wasVisible = window->visible;
    window->visible = show != SW_HIDE;
    if (wasVisible != window->visible) {
        Trace(std::string(window->visible ? "show " : "hide ") + windows.Describe(handle));
    }
    return wasVisible;
}

bool SimDesktop::UpdateWindow(Hwnd handle) {
    ++calls;
    const SimWindow* window = windows.Find(handle);
    return window && window->alive;
}

// WM_CLOSE destroys the window, as DestroyWindow: WM_DESTROY first, then its timers and
// the window itself go.
LResult SimDesktop::DefWindowProcA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) {
    ++calls;
    windows.defaultProcessed.push_back(
        Msg{window, msg, wParam, lParam, static_cast<std::uint32_t>(tickBase + now), Point{0, 0}});
    if (msg == WM_CLOSE) DestroyUtilityWindow(window);
    return 0;
}

void SimDesktop::DestroyUtilityWindow(Hwnd handle) {
    SimWindow* window = windows.Find(handle);
    if (!window || !window->alive) return;
    TraceDetail("destroy " + windows.Describe(handle));
    if (WndProc proc = window->proc) proc(handle, WM_DESTROY, 0, 0);
    auto& timers = windows.timers_;
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [handle](const SimTimer& timer) { return timer.owner == handle; }),
                 timers.end());
    DestroySimWindow(handle);
}

// --- the thread's message loop ---

// A message that the desktop itself posts to one of the utility's windows.
void SimDesktop::PostToQueue(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) {
    windows.queue_.push_back(
        Msg{window, msg, wParam, lParam, static_cast<std::uint32_t>(tickBase + now), Point{0, 0}});
}

void SimDesktop::Dispatch(const Msg& msg) {
    if (msg.message == WM_TIMER && msg.lParam != 0) {
        auto proc = reinterpret_cast<TimerProc>(msg.lParam);
        proc(msg.hwnd, WM_TIMER, msg.wParam, msg.time);
        return;
    }
    SimWindow* window = windows.Find(msg.hwnd);
    // A removal's query that its window never answers does not hold the removal up.
    bool query = msg.message == WM_DEVICECHANGE && msg.wParam == DBT_DEVICEQUERYREMOVE;
    if (!window || !window->alive) {
        if (query) AnswerQueryRemove(1);
        return;
    }
    if (!window->proc && DispatchDialogInput(msg)) return;
    if (window->proc) {
        LResult answer = window->proc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
        if (query) AnswerQueryRemove(answer);
    } else if (window->dlgProc) {
        window->dlgProc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    }
}

bool SimDesktop::DispatchQueued() {
    if (windows.queue_.empty()) return false;
    Msg msg = windows.queue_.front();
    windows.queue_.pop_front();
    Dispatch(msg);
    return true;
}

bool SimDesktop::DispatchDueTimer() {
    Msg msg{};
    if (!TakeDueTimer(&msg)) return false;
    Dispatch(msg);
    return true;
}

// Posted messages come first, then the quit message, then timer ticks; with nothing to
// do the clock moves on. A stopped run reads as the quit message with code 0.
int SimDesktop::GetMessageA(Msg* msg, Hwnd, std::uint32_t, std::uint32_t) {
    ++calls;
    while (!stopped) {
        if (!windows.queue_.empty()) {
            *msg = windows.queue_.front();
            windows.queue_.pop_front();
            return 1;
        }
        if (windows.quitPosted) {
            windows.quitPosted = false;
            *msg = Msg{0,
                       WM_QUIT,
                       static_cast<WParam>(windows.quitCode),
                       0,
                       static_cast<std::uint32_t>(tickBase + now),
                       Point{0, 0}};
            return 0;
        }
        if (TakeDueTimer(msg)) return 1;
        AdvanceClock();
    }
    *msg = Msg{0, WM_QUIT, 0, 0, static_cast<std::uint32_t>(tickBase + now), Point{0, 0}};
    return 0;
}

// The program's accelerators answer Alt with a character, which reaches a window as
// WM_SYSCHAR; the command goes straight to the window's procedure.
int SimDesktop::TranslateAcceleratorA(Hwnd handle, Handle accelerators, Msg* msg) {
    ++calls;
    if (!msg || msg->message != WM_SYSCHAR) return 0;
    std::uint32_t command = SimSystem::AcceleratorCommand(accelerators, msg->wParam);
    if (command == 0) return 0;
    SimWindow* window = windows.Find(handle);
    if (!window || !window->alive || !window->proc) return 0;
    window->proc(handle, WM_COMMAND, (WParam{1} << 16) | command, 0);
    return 1;
}

// No keyboard layout is modelled: key messages yield no character messages.
bool SimDesktop::TranslateMessage(const Msg*) {
    ++calls;
    return false;
}

LResult SimDesktop::DispatchMessageA(const Msg* msg) {
    ++calls;
    if (msg) Dispatch(*msg);
    return 0;
}

void SimDesktop::PostQuitMessage(int exitCode) {
    ++calls;
    windows.quitPosted = true;
    windows.quitCode = exitCode;
    TraceDetail("quit " + std::to_string(exitCode));
}

std::uint32_t SimDesktop::RegisterWindowMessageA(const char* name) {
    ++calls;
    return name ? windows.MessageIdOf(name) : 0;
}

// --- the message filter (User Interface Privilege Isolation) ---

// Messages below WM_USER pass from any integrity level; the others reach a window of an
// elevated utility only when its window or its process lets them through.
bool SimWindows::PassesMessageFilter(Hwnd window, std::uint32_t msg, bool filtering) const {
    if (!filtering || !utilityElevated || msg < WM_USER) return true;
    auto byWindow = allowedByWindow_.find(window);
    if (byWindow != allowedByWindow_.end() && byWindow->second.count(msg)) return true;
    return allowedByProcess_.count(msg) != 0;
}

bool SimDesktop::ChangeWindowMessageFilterEx(Hwnd window, std::uint32_t msg, std::uint32_t action,
                                             void*) {
    ++calls;
    if (!system.NtAtLeast(0x0601)) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return false;
    }
    const SimWindow* target = windows.Find(window);
    if (!target || !target->alive || !target->utility) {
        system.lastError = target ? ERROR_ACCESS_DENIED : kErrorInvalidWindowHandle;
        return false;
    }
    std::set<std::uint32_t>& allowed = windows.allowedByWindow_[window];
    switch (action) {
        case MSGFLT_ALLOW:
            allowed.insert(msg);
            return true;
        case kMessageFilterDisallow:
            allowed.erase(msg);
            return true;
        case kMessageFilterReset:
            allowed.clear();
            return true;
        default:
            system.lastError = kErrorInvalidParameter;
            return false;
    }
}

bool SimDesktop::ChangeWindowMessageFilter(std::uint32_t msg, std::uint32_t flag) {
    ++calls;
    if (!system.NtAtLeast(0x0600)) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return false;
    }
    if (flag == MSGFLT_ADD) {
        windows.allowedByProcess_.insert(msg);
    } else if (flag == kMessageFilterRemove) {
        windows.allowedByProcess_.erase(msg);
    } else {
        system.lastError = kErrorInvalidParameter;
        return false;
    }
    return true;
}
