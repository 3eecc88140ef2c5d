#include "shell/receiver_watch.h"

#include "receiver/capture_device.h"
#include "routing/key_router.h"
#include "shell/session_watch.h"
#include "shell/static_objects.h"
#include "shell/timer_slot.h"
#include "shell/tray.h"

namespace {

// Before the window exists, after a start without a card and once the run is ending,
// there is nothing to keep.
bool Watching() {
    return logic.ReceiverFound && logic.receiverNeedsClose;
}

void ScheduleSearch(std::uint32_t delayMs) {
    TimerSlot& slot = logic.ReceiverSearchTimer;
    slot.Disarm();
    slot.Configure(logic.mainWindow, delayMs);
    slot.Arm();
}

void CloseForNow(ReceiverState state) {
    logic.KeyPollTimer.Disarm();
    ReleaseReceiver();
    logic.receiverState = state;
}

// One walk over the devices. A card found is polled at once, and its first key is a fresh
// press whatever was held before.
bool Search(std::uint32_t now) {
    if (SessionPaused()) {  // nothing reopens the card behind a lock screen
        logic.ReceiverSearchTimer.Disarm();
        logic.receiverState = ReceiverState::Paused;
        SetTrayTip(PausedTrayTip());
        return true;
    }
    logic.lastSearchTick = now;
    if (!ReopenReceiver()) {
        logic.receiverState = ReceiverState::Lost;
        SetTrayTip(kLostTrayTip);
        return false;
    }
    logic.ReceiverSearchTimer.Disarm();
    logic.receiverState = ReceiverState::Open;
    WatchDeviceHandle(logic.mainWindow);
    logic.failingPolls = 0;
    ForgetLastKey();
    logic.KeyPollTimer.Arm();
    SetTrayTip(kTrayTip);
    return true;
}

// A search now, or when the gap since the last walk is up; while it finds nothing, every 3 s.
void SearchSoon() {
    std::uint32_t now = Plat().GetTickCount();
    std::uint32_t since = now - logic.lastSearchTick;
    if (since < kSearchGapMs) {
        ScheduleSearch(kSearchGapMs - since);
    } else if (!Search(now)) {
        ScheduleSearch(kSearchPeriodMs);
    }
}

bool Searching() {
    return logic.receiverState == ReceiverState::Resumed ||
           logic.receiverState == ReceiverState::Lost;
}

// Asleep the thread runs nothing, and the ticks that fell due come once at the wake: so the
// ticks counted stand for the time the utility ran since the suspend event. A suspend that
// did not happen, or whose resume event was lost, must not leave the card closed for good.
void CheckSuspend() {
    if (++logic.suspendChecks < kResumeAfterSuspendChecks) return;
    logic.receiverState = ReceiverState::Resumed;
    SearchSoon();
}

}  // namespace

void WatchReceiverEvents(Hwnd window) {
    if (!logic.ReceiverFound) return;
    WatchDeviceHandle(window);
    logic.powerNotification =
        Plat().RegisterSuspendResumeNotification(window, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void StopWatchingPowerEvents() {
    if (logic.powerNotification != 0)
        Plat().UnregisterSuspendResumeNotification(logic.powerNotification);
    logic.powerNotification = 0;
}

// The registration outlives the handle closed for a removal, so that the removal's end is
// heard; whichever way it ends, the registration is given back then.
bool OnDeviceHandleEvent(std::uint32_t event, LParam lParam) {
    if (event != DBT_DEVICEQUERYREMOVE && event != DBT_DEVICEQUERYREMOVEFAILED &&
        event != DBT_DEVICEREMOVEPENDING && event != DBT_DEVICEREMOVECOMPLETE)
        return false;
    const auto* record = reinterpret_cast<const DevBroadcastHandle*>(lParam);
    if (record == nullptr || record->deviceType != DBT_DEVTYP_HANDLE) return false;
    ReceiverChannel& channel = logic.receiverChannel;
    if (!Watching()) return true;
    if (record->notification != 0 && record->notification == channel.deviceNotification) {
        GiveBackNotification(channel.removalNotification);
        channel.removalNotification = channel.deviceNotification;
        channel.deviceNotification = 0;
        LoseReceiver();
    }
    if (event == DBT_DEVICEQUERYREMOVE || record->notification == 0 ||
        record->notification != channel.removalNotification)
        return true;
    GiveBackNotification(channel.removalNotification);
    if (event == DBT_DEVICEQUERYREMOVEFAILED && Searching()) SearchSoon();
    return true;
}

// Whichever resume event comes first starts the search; the other finds nothing asleep.
bool OnPowerBroadcast(std::uint32_t event) {
    if (!Watching()) return false;
    switch (event) {
        case PBT_APMSUSPEND:
            CloseForNow(ReceiverState::Asleep);
            logic.suspendChecks = 0;
            ScheduleSearch(kSuspendCheckMs);
            return true;
        case PBT_APMRESUMEAUTOMATIC:
        case PBT_APMRESUMESUSPEND:
            if (logic.receiverState == ReceiverState::Asleep) {
                logic.receiverState = ReceiverState::Resumed;
                ScheduleSearch(kSearchAfterResumeMs);
            }
            return true;
        default:
            return false;
    }
}

// A burst of changes makes one walk: the first at once, the rest folded into one walk
// when the gap since the last has passed.
bool OnDeviceChange(std::uint32_t event) {
    if (!Watching() || (event != DBT_DEVNODES_CHANGED && event != DBT_DEVICEARRIVAL)) return false;
    if (Searching()) SearchSoon();
    return true;
}

void LoseReceiver() {
    if (!Watching() || logic.receiverState != ReceiverState::Open) return;
    CloseForNow(ReceiverState::Lost);
    SetTrayTip(kLostTrayTip);
    ScheduleSearch(kSearchPeriodMs);
}

// A tick held up by a busy thread comes late, and the next keeps the timer's phase: the
// two may fall closer together than walks may.
void PLATFORM_CALLBACK OnReceiverSearchTick(Hwnd, std::uint32_t, std::uintptr_t, std::uint32_t) {
    if (Watching() && logic.receiverState == ReceiverState::Asleep) {
        CheckSuspend();
        return;
    }
    if (!Watching() || !Searching()) {
        logic.ReceiverSearchTimer.Disarm();
        return;
    }
    std::uint32_t now = Plat().GetTickCount();
    if (now - logic.lastSearchTick < kSearchGapMs) return;
    if (!Search(now) && logic.ReceiverSearchTimer.intervalMs != kSearchPeriodMs)
        ScheduleSearch(kSearchPeriodMs);
}

// Asleep stays asleep until a resume event, whose search finds the session paused, if it
// still is: nothing asks the card before the PC has said it is awake.
void PauseReceiver(const char* tip) {
    if (!Watching()) return;
    if (logic.receiverState == ReceiverState::Open) {
        CloseForNow(ReceiverState::Paused);
    } else if (logic.receiverState != ReceiverState::Asleep) {
        logic.ReceiverSearchTimer.Disarm();
        logic.receiverState = ReceiverState::Paused;
    }
    SetTrayTip(tip);
}

void ResumeReceiver() {
    if (!Watching() || logic.receiverState != ReceiverState::Paused) return;
    logic.receiverState = ReceiverState::Resumed;
    SearchSoon();
}

// COM is initialised as the start-up's search would, so that the searches that follow and
// the close at the end find it so.
void StartPaused() {
    Plat().CoInitialize(nullptr);
    logic.receiverState = ReceiverState::Paused;
    logic.lastSearchTick = Plat().GetTickCount() - kSearchGapMs;
}
