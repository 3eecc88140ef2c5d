#include "shell/timer_slot.h"

#include "shell/settings.h"
#include "shell/static_objects.h"

namespace {

constexpr int kMaxExitActions = sizeof logic.exitActions / sizeof logic.exitActions[0];

}  // namespace

void TimerSlot::Construct(std::uintptr_t timerId, TimerProc proc) {
    *this = TimerSlot{};
    id = timerId;
    timerProc = proc;
    if (logic.exitActionCount < kMaxExitActions) logic.exitActions[logic.exitActionCount++] = this;
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
    while (logic.exitActionCount > 0)
        logic.exitActions[--logic.exitActionCount]->Disarm();
}

void StartKeyPolling(Hwnd mainWindow) {
    logic.KeyPollTimer.Configure(mainWindow, 65);
    logic.KeyPollTimer.Arm();
    CheckCountry();
}

void PrepareAppWatch(Hwnd mainWindow) {
    logic.AppWatchTimer.Configure(mainWindow, 1000);
    logic.AppWatchTimer.Disarm();
}

void ArmAppWatch() {
    logic.AppWatchTimer.Arm();
}

void DisarmAppWatch() {
    logic.AppWatchTimer.Disarm();
}
