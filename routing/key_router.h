// The key poller and router: every 65 ms it reads the remote, tells fresh presses from
// repeats, thins repeats while a TV application takes the keys, and delivers the key to
// exactly one place.
#pragma once

#include <cstdint>

#include "apps/tv_app.h"
#include "platform/platform.h"
#include "receiver/remote_keys.h"

struct RouterState {
    RemoteKey lastKey = 0;
    std::uint32_t lastKeyTick = 0;
    std::int32_t repeatCount = 0;
};

constexpr std::uint32_t kRepeatWindowMs = 250;
constexpr std::int32_t kRepeatPassInterval = 10;

// The timer procedure of KeyPollTimer; `ownerWindow` owns the Shut Down dialog.
void PLATFORM_CALLBACK OnKeyPollTick(Hwnd ownerWindow, std::uint32_t msg, std::uintptr_t id,
                                     std::uint32_t time);

// Classifies a key event at `now` and updates the repeat state; true for a repeat.
bool ClassifyKeyEvent(RemoteKey key, std::uint32_t now);
// Makes the next key event a fresh press, whatever came before.
void ForgetLastKey();

// Read-only views of the routing rules, for RemoteMonitor as much as for the router.
// The key target: the first application, in the order of kAppOrder, that is active.
TvApp* ActiveTarget(AppId* id);
bool AnyAppActive();
// Whether the event just classified is a repeat that the router thins out: one whose
// count is not a multiple of 10 while an application is active.
bool ThinsRepeat(bool repeat);
// Key 20, when it toggles the default application, first closes these in this order.
constexpr AppId kKey20CloseOrder[3] = {1, 7, 6};
