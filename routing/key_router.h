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

// Whether the event just classified is a repeat that the router thins out: one whose
// count is not a multiple of 10 while an application is active.
bool ThinsRepeat(bool repeat);

// Where the router sends a key, decided before anything is done from the Shut Down dialog,
// the marks, the default application's profile and the windows found: Route carries it
// out, RemoteMonitor describes it.
enum class RoutePath : std::uint8_t {
    ConfirmShutdown,  // Power to the open Shut Down dialog: Enter
    CancelShutdown,   // any other key to it: Escape
    Skip,             // a thinned repeat: the target gets nothing
    TargetPower,      // the target's Power toggle
    TargetKey,        // the target gets the key
    NewTarget,        // `app` becomes the target and gets the key
    Toggle,           // `app`'s Power toggle, after asking `closeFirst` but it to close
    AskShutdown,      // the Shut Down question, while no application runs
    Pointer,          // no application takes the key: pointer mode
    NoDefaultApp,     // Power or key 20 with a default that is none of the five
    AppsRunning,      // key 21 while an application runs: nothing
};

struct RouteDecision {
    RoutePath path = RoutePath::Pointer;
    AppId app = 0;                      // the target, or the default application
    const AppId* closeFirst = nullptr;  // with Toggle
    int closeCount = 0;
    bool reinitialize = false;  // with Toggle: the default is not installed, the user is told
};

RouteDecision DecideRoute(RemoteKey key);

constexpr const char* kReinitializeText = "Please re-initialize the TV application settings.";
