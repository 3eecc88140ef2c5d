// What must hold on the simulated desktop after every event and every tick of a fuzzed
// run of the utility, beyond "no crash".
#pragma once

#include "sim/sim_desktop.h"

// Starts watching a new run on `desk`.
void BeginInvariantWatch(SimDesktop& desk);
// Checks every invariant; a broken one stops the run (see Require).
void CheckInvariants();
// The utility has ended: both timer slots are disarmed and their timers gone.
void CheckEndOfRun();

// The key poll and the application watch with the checks around them: no heap allocation
// by the logic during the tick, and every invariant after it.
void PLATFORM_CALLBACK CheckedKeyPollTick(Hwnd owner, std::uint32_t msg, std::uintptr_t id,
                                          std::uint32_t time);
void PLATFORM_CALLBACK CheckedAppWatchTick(Hwnd owner, std::uint32_t msg, std::uintptr_t id,
                                           std::uint32_t time);
