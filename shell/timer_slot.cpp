#include "shell/timer_slot.h"

#include "shell/settings.h"

TimerSlot KeyPollTimer;
TimerSlot AppWatchTimer;

namespace {

constexpr int kMaxExitActions = 2;
TimerSlot* exitActions[kMaxExitActions] = {};
int exitActionCount = 0;

}  // namespace

void TimerSlot::Construct(std::uintptr_t timerId, TimerProc proc) {
    *this = TimerSlot{};
    id = timerId;
    timerProc = proc;
    if (exitActionCount < kMaxExitActions) exitActions[exitActionCount++] = this;
}

void TimerSlot::Configure(Hwnd window, std::uint32_t periodMs) {
    owner = window;
    intervalMs = periodMs;
}

void TimerSlot::Arm() {
    if (armed) return;
    Plat().SetTimer(owner, id, intervalMs, timerProc);
    armed = true;
}

void TimerSlot::Disarm() {
    if (!armed) return;
    Plat().KillTimer(owner, id);
    armed = false;
}

void RunExitActions() {
    while (exitActionCount > 0)
        exitActions[--exitActionCount]->Disarm();
}

void ForgetExitActions() {
    exitActionCount = 0;
}

void StartKeyPolling(Hwnd mainWindow) {
    KeyPollTimer.Configure(mainWindow, 65);
    KeyPollTimer.Arm();
    CheckCountry();
}

void PrepareAppWatch(Hwnd mainWindow) {
    AppWatchTimer.Configure(mainWindow, 1000);
    AppWatchTimer.Disarm();
}

void ArmAppWatch() {
    AppWatchTimer.Arm();
}

void DisarmAppWatch() {
    AppWatchTimer.Disarm();
}
