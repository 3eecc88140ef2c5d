// The utility's two window timers, each held by a slot that can be armed and disarmed
// any number of times without making a second timer or killing one that is not there.
#pragma once

#include <cstdint>

#include "platform/platform.h"

class TimerSlot {
  public:
    bool armed = false;
    std::uintptr_t id = 0;
    Hwnd owner = 0;
    std::uint32_t intervalMs = 0;
    TimerProc timerProc = nullptr;

    // Builds the slot and registers the exit action that disarms it.
    void Construct(std::uintptr_t timerId, TimerProc proc);
    void Configure(Hwnd window, std::uint32_t periodMs);
    void Arm();
    void Disarm();
};

// Disarms the slots in the reverse order of their construction; the program runs this
// when it ends.
void RunExitActions();

void StartKeyPolling(Hwnd mainWindow);
void PrepareAppWatch(Hwnd mainWindow);
void ArmAppWatch();
void DisarmAppWatch();
