// The desktop's clock, its scheduled world events, the thread's message loop with its
// timers, message boxes and the trace.
#include "sim/sim_desktop.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace {
std::unique_ptr<SimDesktop> current;
}

SimDesktop& InstallFreshSimDesktop() {
    current = std::make_unique<SimDesktop>();
    InstallPlatform(current.get());
    return *current;
}

SimDesktop::SimDesktop() = default;

void SimDesktop::At(std::uint64_t time, std::function<void()> action) {
    events_.emplace(std::max(time, now), std::move(action));
}

void SimDesktop::Trace(const std::string& effect) {
    if (!traceEnabled || stopped) return;
    trace.push_back(std::to_string(now) + " " + effect);
}

void SimDesktop::TraceDetail(const std::string& effect) {
    if (traceDetails) Trace(effect);
}

// World events happen whatever the thread is doing, also while it sleeps.
void SimDesktop::RunWorldUntil(std::uint64_t time) {
    while (!events_.empty() && events_.begin()->first <= time) {
        auto first = events_.begin();
        now = std::max(now, first->first);
        auto action = std::move(first->second);
        events_.erase(first);
        action();
    }
    now = std::max(now, time);
}

bool SimDesktop::DispatchQueued() {
    if (queue_.empty()) return false;
    Msg msg = queue_.front();
    queue_.pop_front();
    Dispatch(msg);
    return true;
}

// A timer that has elapsed, perhaps several times while the thread was busy, yields one
// WM_TIMER, and keeps its phase.
bool SimDesktop::TakeDueTimer(Msg* msg) {
    SimTimer* due = nullptr;
    for (auto& timer : timers_) {
        if (timer.nextDue <= now && (!due || timer.nextDue < due->nextDue)) due = &timer;
    }
    if (!due) return false;
    std::uint64_t late = now - due->nextDue;
    due->nextDue += (late / due->intervalMs + 1) * due->intervalMs;
    LParam proc = reinterpret_cast<LParam>(due->proc);
    *msg = Msg{due->owner, WM_TIMER, due->id, proc, GetTickCount(), Point{0, 0}};
    return true;
}

bool SimDesktop::DispatchDueTimer() {
    Msg msg{};
    if (!TakeDueTimer(&msg)) return false;
    Dispatch(msg);
    return true;
}

std::uint64_t SimDesktop::NextActivity() const {
    std::uint64_t next = UINT64_MAX;
    for (const auto& timer : timers_)
        next = std::min(next, timer.nextDue);
    if (!events_.empty()) next = std::min(next, events_.begin()->first);
    return next;
}

// Moves the clock to the next timer or world event; past the run limit the run stops.
void SimDesktop::AdvanceClock() {
    std::uint64_t next = NextActivity();
    if (next > runLimit) {
        RunWorldUntil(runLimit);
        stopped = true;
        return;
    }
    RunWorldUntil(next);
}

void SimDesktop::Pump(const std::function<bool()>& done) {
    while (!stopped && !done()) {
        if (DispatchQueued() || DispatchDueTimer()) continue;
        AdvanceClock();
    }
}

// Runs the loop through everything due up to `time`; a call that blocks past it, such as
// a Sleep inside a tick, still runs to its end.
void SimDesktop::RunUntil(std::uint64_t time) {
    while (!stopped) {
        if (DispatchQueued() || DispatchDueTimer()) continue;
        if (NextActivity() > time) break;
        AdvanceClock();
    }
    if (!stopped) RunWorldUntil(std::min(std::max(time, now), runLimit));
}

void SimDesktop::Dispatch(const Msg& msg) {
    if (msg.message == WM_TIMER && msg.lParam != 0) {
        auto proc = reinterpret_cast<TimerProc>(msg.lParam);
        proc(msg.hwnd, WM_TIMER, msg.wParam, msg.time);
        return;
    }
    SimWindow* window = Find(msg.hwnd);
    if (!window || !window->alive) return;
    if (window->proc) {
        window->proc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    } else if (window->dlgProc) {
        window->dlgProc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    }
}

std::uint32_t SimDesktop::GetTickCount() {
    ++calls;
    return static_cast<std::uint32_t>(tickBase + now);
}

void SimDesktop::Sleep(std::uint32_t ms) {
    ++calls;
    if (stopped) return;
    std::uint64_t until = now + ms;
    RunWorldUntil(std::min(until, runLimit));
    if (until > runLimit) stopped = true;
}

std::uintptr_t SimDesktop::SetTimer(Hwnd owner, std::uintptr_t id, std::uint32_t ms,
                                    TimerProc proc) {
    ++calls;
    std::uint32_t interval = std::max<std::uint32_t>(ms, 10);  // USER_TIMER_MINIMUM
    for (auto& timer : timers_) {
        if (timer.owner == owner && timer.id == id) {  // replaces, as on Windows
            timer = SimTimer{owner, id, interval, proc, now + interval};
            return id;
        }
    }
    timers_.push_back(SimTimer{owner, id, interval, proc, now + interval});
    if (traceDetails && Tracing())
        TraceDetail("timer set id=" + std::to_string(id) + " ms=" + std::to_string(ms));
    return id;
}

bool SimDesktop::KillTimer(Hwnd owner, std::uintptr_t id) {
    ++calls;
    auto it = std::find_if(timers_.begin(), timers_.end(), [&](const SimTimer& timer) {
        return timer.owner == owner && timer.id == id;
    });
    if (it == timers_.end()) return false;
    timers_.erase(it);
    if (traceDetails && Tracing()) TraceDetail("timer kill id=" + std::to_string(id));
    return true;
}

const std::vector<SimTimer>& SimDesktop::Timers() const {
    return timers_;
}

int SimDesktop::MessageBoxA(Hwnd, const char* text, const char* caption, std::uint32_t type) {
    ++calls;
    std::string shownText = text ? text : "";
    std::string shownCaption = caption ? caption : "";
    Trace("msgbox \"" + shownCaption + "\" \"" + shownText + "\"");
    messageBoxes.push_back(SimMessageBox{shownText, shownCaption, type, false});
    if (autoCloseMessageBoxes || stopped) {
        messageBoxes.back().closed = true;
        return IDOK;
    }
    std::size_t index = messageBoxes.size() - 1;
    Pump([this, index] { return messageBoxes[index].closed; });
    messageBoxes[index].closed = true;
    return IDOK;
}

int SimDesktop::OpenMessageBoxCount() const {
    return static_cast<int>(std::count_if(messageBoxes.begin(), messageBoxes.end(),
                                          [](const SimMessageBox& box) { return !box.closed; }));
}

void SimDesktop::CloseTopMessageBox() {
    for (auto it = messageBoxes.rbegin(); it != messageBoxes.rend(); ++it) {
        if (!it->closed) {
            it->closed = true;
            TraceDetail("msgbox closed \"" + it->text + "\"");
            return;
        }
    }
}

void SimDesktop::PressRemote(std::uint64_t at, int rawCode, std::uint32_t forMs) {
    At(at, [this, rawCode] { heldRawCode = rawCode; });
    At(at + forMs, [this] { heldRawCode = -1; });
}
