// Everything the logic keeps from one call to the next, in one object, and the program's
// static construction.
#pragma once

#include <cstdint>

#include "apps/tv_app.h"
#include "platform/platform.h"
#include "receiver/capture_device.h"
#include "routing/key_router.h"
#include "routing/pointer_mode.h"
#include "shell/receiver_watch.h"
#include "shell/timer_slot.h"

// Each member starts at the value the program starts with, so that a value-initialised
// LogicState is a process that has run nothing yet. Members are grouped by the file that
// owns them. Besides the installed platform, the only other variables of the logic are
// guards that are set just while their message box is up, and so need no reset.
struct LogicState {
    // receiver/capture_device.cpp
    ReceiverChannel receiverChannel;

    // apps/tv_app.cpp: the records in kAppOrder, reached through AppRecord
    TvApp apps[kAppCount];
    bool launched[kAppCount] = {};  // started by the Power key and watched
    // apps/actions.cpp
    Hwnd elevationReported[kAppCount] = {};  // the run whose refusal as elevated was shown
    // apps/message_maps.cpp
    Hwnd pictureViewWindow = 0;  // the player window that the latest popup probe found

    // routing/key_router.cpp
    RouterState routerState;
    std::int32_t failingPolls = 0;  // key-down tests in a row whose requests failed
    // routing/pointer_mode.cpp
    PointerState pointerState;
    // routing/shutdown.cpp
    bool shutdownDialogOpen = false;  // set from the request until a closing path runs
    Hwnd shutdownDialogWindow = 0;    // where the router sends Enter and Escape

    // shell/settings.cpp, shell/country.cpp
    AppId DefaultTVAPP = 9;        // until the registry says otherwise; any value
    bool AlwaysRemoteOff = false;  // the stored value is exactly 1
    bool japanCountry = false;     // the system's country code is 81
    // shell/settings_dialogs.cpp
    bool settingSaveRefused = false;   // the account may not store the Setting dialog's choice
    bool settingSaveReported = false;  // the box has said so in this run

    // shell/timer_slot.cpp
    TimerSlot KeyPollTimer;
    TimerSlot AppWatchTimer;
    TimerSlot ReceiverSearchTimer;
    TimerSlot* exitActions[3] = {};  // the slots in the order they were built
    int exitActionCount = 0;

    // shell/main_window.cpp
    Handle appInstance = 0;                   // kept for loading icons and dialogs
    Hwnd mainWindow = 0;                      // the hidden main window, 0 until created
    bool ReceiverFound = true;                // until window creation finds no receiver
    char windowTitle[100] = {};               // string resource 22
    char windowClassName[100] = {};           // string resource 23
    bool receiverNeedsClose = false;          // OpenReceiver ran and CloseReceiver has not
    std::uint32_t taskbarCreatedMessage = 0;  // broadcast when the taskbar is re-created

    // shell/receiver_watch.cpp
    ReceiverState receiverState = ReceiverState::Open;
    std::uint32_t lastSearchTick = 0;  // when the devices were last walked
    std::int32_t suspendChecks = 0;    // search timer ticks since the suspend event
    Handle powerNotification = 0;      // the suspend and resume registration, or 0

    // shell/session_watch.cpp
    bool sessionNotified = false;  // the window is registered for its session's changes
    bool sessionLocked = false;    // the session showed its lock screen and is not unlocked
    bool sessionAway = false;      // another session is at the console, or a remote client
    Handle runningObject = 0;      // the named object that says a copy runs

    // shell/tray.cpp
    NotifyIconData trayIconRecord{};  // filled when the icon is added
    bool trayIconShown = false;       // added and not removed on purpose
    Handle trayMenu = 0;              // the menu of the latest click, 0 before the first
};

extern LogicState logic;

// Sets the whole state back to its initial value, then builds what the program builds
// before WinMain, in its order: applications 7, 9, 6 and 1, the timer slots, then
// application 2. Tests and remote-sim call it on every fresh desktop.
void ConstructStaticObjects();
