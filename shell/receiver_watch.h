// Keeping the remote working when its card goes away: the PC sleeping, the card unplugged
// and plugged in again, a driver that stops answering. The receiver is closed while the PC
// sleeps and while the card is lost, and searched for until it is back; then the key poll
// runs again. None of this runs after a start that found no card, whose way stays as it
// was: the first click on the icon says so and ends the utility.
#pragma once

#include <cstdint>

#include "platform/platform.h"

enum class ReceiverState : std::uint8_t {
    Open,     // polled every 65 ms
    Asleep,   // the PC sleeps: closed, nothing runs until it resumes
    Resumed,  // closed; the first search comes 1 s after the resume
    Lost,     // closed; searched for every 3 s and on device changes, and the tip says so
    Paused,   // closed while the session is locked or not at the console; not searched for
};

// The key poll gives the card up after this many key-down tests in a row whose requests
// failed: 2 s of polls every 65 ms.
constexpr std::int32_t kLostAfterFailingPolls = 31;
constexpr std::uint32_t kSearchAfterResumeMs = 1000;
constexpr std::uint32_t kSearchPeriodMs = 3000;
// Device changes come in bursts; the devices are walked at most once in this time.
constexpr std::uint32_t kSearchGapMs = 500;

// A suspend event that no resume event follows within this much of the utility's own
// running time (timer ticks: the time asleep counts for one tick) is taken as a resume.
constexpr std::uint32_t kSuspendCheckMs = 1000;
constexpr std::int32_t kResumeAfterSuspendChecks = 30;

// After the window is created with the card open: registers it for the events of the
// card's device handle and, where Windows has them (8 and later), for suspend and resume
// events, which on machines with S0 low-power idle reach only registered windows.
void WatchReceiverEvents(Hwnd window);
// Gives the suspend and resume registration back, when the run ends.
void StopWatchingPowerEvents();
// WM_DEVICECHANGE events of the registered device handle: a removal asked for (a driver
// update, "Disable device") closes the receiver at once so that it vetoes nothing, and one
// that failed looks for the card again at once. True when the event was one of these.
bool OnDeviceHandleEvent(std::uint32_t event, LParam lParam);
// WM_POWERBROADCAST and WM_DEVICECHANGE; true when the event was one of the utility's.
bool OnPowerBroadcast(std::uint32_t event);
bool OnDeviceChange(std::uint32_t event);
// The key poll's verdict that the card is gone: its requests failed for 2 s, or one said so.
void LoseReceiver();
// The session is locked or not in front: the receiver is closed as for sleep, and the tip
// says why; no search reopens it meanwhile. ResumeReceiver looks for the card at once (or,
// within 500 ms of the last walk, when the 500 ms are up) when the session is in front again.
void PauseReceiver(const char* tip);
void ResumeReceiver();
// A start in a session that is not at the console: the card is not looked for until the
// session comes to it.
void StartPaused();
// The timer procedure of ReceiverSearchTimer.
void PLATFORM_CALLBACK OnReceiverSearchTick(Hwnd owner, std::uint32_t msg, std::uintptr_t id,
                                            std::uint32_t time);
