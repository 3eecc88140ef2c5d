// The desktop's world: its clock, its scheduled events, the run of the thread's message
// loop that modal loops and the tests drive, and the trace.
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

std::uint64_t SimDesktop::NextActivity() const {
    std::uint64_t next = UINT64_MAX;
    for (const auto& timer : windows.Timers())
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

// As GetMessageA: posted messages first, then the quit message, then timer ticks.
bool SimDesktop::Pump(const std::function<bool()>& done) {
    while (!stopped) {
        if (done()) return true;
        if (DispatchQueued()) continue;
        if (windows.quitPosted) return false;
        if (DispatchDueTimer()) continue;
        AdvanceClock();
    }
    return false;
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
