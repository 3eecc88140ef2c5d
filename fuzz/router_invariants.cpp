#include "fuzz/router_invariants.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "apps/tv_app.h"
#include "fuzz/fuzz_support.h"
#include "measure/allocation_count.h"
#include "routing/key_router.h"
#include "routing/shutdown.h"
#include "shell/main_window_ids.h"
#include "shell/receiver_watch.h"
#include "shell/resource_ids.h"
#include "shell/static_objects.h"
#include "shell/timer_slot.h"
#include "shell/tray.h"

namespace {

constexpr Hwnd kFirstHandle = 0x100;
constexpr std::uint32_t kMessage2000 = WM_USER + 2000;
constexpr std::uint32_t kMessage3000 = WM_USER + 3000;

constexpr std::uint32_t kTrayIconId = 10;
constexpr std::uint64_t kDiscoveryGapMs = 500;
constexpr std::uint64_t kSearchWithoutResumeMs = 30000;
constexpr std::uint64_t kLongestDriverWaitMs = 500;

SimDesktop* watched = nullptr;
std::vector<std::size_t> checkedReceived;  // per window: messages already checked
WndProc utilityProc = nullptr;
bool asleepForUtility = false;  // its window had PBT_APMSUSPEND and no resume event since
std::uint64_t suspendAt = 0;    // when it had the latest PBT_APMSUSPEND
bool lockedForUtility = false;  // the session's changes as the utility's window heard them
bool awayForUtility = false;
// Inside the handling of the user's own click or menu choice, which may have been made while
// the session was still in front: what it opens is the user's doing, not the remote's.
int userActionDepth = 0;
bool walked = false;
std::uint64_t lastWalkAt = 0;

bool PausedForUtility() {
    return lockedForUtility || awayForUtility;
}

// A change that lets the utility go on counts before its window handles it, one that stops
// it after, so that only what the utility does while it knows is checked.
LResult PLATFORM_CALLBACK WatchedWindowProc(Hwnd window, std::uint32_t msg, WParam wParam,
                                            LParam lParam) {
    bool power = msg == WM_POWERBROADCAST;
    bool session = msg == WM_WTSSESSION_CHANGE;
    if (power && (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND))
        asleepForUtility = false;
    if (session && wParam == WTS_SESSION_UNLOCK) lockedForUtility = false;
    if (session && wParam == WTS_CONSOLE_CONNECT) awayForUtility = false;
    bool user = msg == WM_COMMAND || msg == WM_TRAYNOTIFY;
    userActionDepth += user;
    LResult result = utilityProc(window, msg, wParam, lParam);
    userActionDepth -= user;
    if (power && wParam == PBT_APMSUSPEND) {
        asleepForUtility = true;
        suspendAt = watched->now;
    }
    if (session && wParam == WTS_SESSION_LOCK) lockedForUtility = true;
    if (session && (wParam == WTS_CONSOLE_DISCONNECT || wParam == WTS_REMOTE_CONNECT))
        awayForUtility = true;
    return result;
}

bool TipSaysLost() {
    const SimTrayIcon* icon = watched->tray.FindIcon(kTrayIconId);
    return icon && icon->tip == kLostTrayTip;
}

bool Same(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Application 9's own dialog windows, which take its dialog commands while visible.
bool IsApp9Popup(const SimWindow& w) {
    return w.visible && (Same(w.cls, "TPopupForm") || Same(w.cls, "TSourceForm") ||
                         Same(w.cls, "TFormCalander") || Same(w.cls, "TDialogForm") ||
                         (Same(w.cls, "ZarvinPlayer_Class") &&
                          (Same(w.title, "PictureView") || Same(w.title, "Playback"))) ||
                         (Same(w.cls, "TWizardForm") && Same(w.title, "WizardForm")));
}

// Whether the window is one that a command carried by this message may go to: the exact
// identity of an application that speaks the message, or one of application 9's dialogs.
bool IsCommandTarget(const SimWindow& w, const SimReceived& r) {
    bool app1 = Same(w.title, "Lumacast");
    if (r.injected) return app1;
    switch (r.msg) {
        case WM_KEYDOWN:
        case WM_SYSCOMMAND:
            return app1;
        case kMessage2000:
            return Same(w.cls, "VANTOR_TVR") || Same(w.cls, "ZARVIN_DVBS");
        case kMessage3000:
            return (Same(w.cls, "ZarvinMainPanel_Class") &&
                    (Same(w.title, "TVR") || Same(w.title, "Omnivue Center"))) ||
                   IsApp9Popup(w);
        default:
            return false;
    }
}

void CheckMessages() {
    for (Hwnd handle = kFirstHandle; const SimWindow* w = watched->windows.Find(handle); ++handle) {
        std::size_t index = handle - kFirstHandle;
        if (checkedReceived.size() <= index) checkedReceived.resize(index + 1, 0);
        for (std::size_t i = checkedReceived[index]; i < w->received.size(); ++i) {
            Require(!w->elevated, "an elevated program's window takes nothing from the utility");
            if (!IsCommandTarget(*w, w->received[i])) {
                std::fprintf(stderr, "message %u wParam=%lu to \"%s\"/\"%s\"\n", w->received[i].msg,
                             static_cast<unsigned long>(w->received[i].wParam), w->cls.c_str(),
                             w->title.c_str());
                Require(false, "a message reaches only the identity its command targets");
            }
        }
        checkedReceived[index] = w->received.size();
    }
}

bool DialogLive(const SimDialogRecord& dialog) {
    const SimWindow* w = watched->windows.Find(dialog.window);
    return w && w->alive && !dialog.ended;
}

void CheckShutdownFlag() {
    if (!logic.shutdownDialogOpen) return;
    bool open = false;
    for (const auto& dialog : watched->dialogs.opened)
        open = open || (dialog.templateId == IDD_SHUTDOWN && DialogLive(dialog));
    Require(open, "shutdownDialogOpen only while a Shut Down dialog is open");
}

void CheckTimerSlot(const TimerSlot& slot) {
    int timers = 0;
    for (const SimTimer& timer : watched->windows.Timers())
        timers += timer.owner == slot.owner && timer.id == slot.id;
    Require(timers <= 1, "a timer slot has at most one platform timer");
    Require(timers == (slot.armed ? 1 : 0), "an armed slot has its timer, a disarmed one none");
}

// The I2C read's failure boxes are one kind whatever the failing step; any other box is
// its own kind.
std::string KindOf(const SimMessageBox& box) {
    return box.caption == "I2CSWRead" ? box.caption : box.caption + "|" + box.text;
}

// A refused shutdown is reported after each confirmation of the Shut Down dialog, which
// takes two fresh key presses (key 21, then Power) every time: a second box is the user's
// doing, not a flood.
bool MayRepeat(const SimMessageBox& box) {
    return box.text == "Can't run ExitWindowsEx.";
}

void CheckModalBoxes() {
    std::vector<std::string> open;
    for (const SimMessageBox& box : watched->dialogs.messageBoxes) {
        if (box.closed || MayRepeat(box)) continue;
        std::string kind = KindOf(box);
        for (const std::string& other : open) {
            if (other == kind) {
                std::fprintf(stderr, "second box \"%s\"\n", kind.c_str());
                Require(false, "no box opens while another of its kind is open");
            }
        }
        open.push_back(kind);
    }
    // The tray menu works while a dialog is up, so the user may open Setting or About a
    // second time by hand; only the remote's own dialog is checked.
    int shutdownDialogs = 0;
    for (const auto& dialog : watched->dialogs.opened)
        shutdownDialogs += dialog.templateId == IDD_SHUTDOWN && DialogLive(dialog);
    Require(shutdownDialogs <= 1, "no Shut Down dialog opens while one is open");
}

}  // namespace

std::uint16_t WatchedDesktop::RegisterClassExA(const WindowClass* windowClass) {
    if (!windowClass) return CountingDesktop::RegisterClassExA(windowClass);
    WindowClass watchedClass = *windowClass;
    utilityProc = windowClass->proc;
    if (utilityProc) watchedClass.proc = WatchedWindowProc;
    return CountingDesktop::RegisterClassExA(&watchedClass);
}

bool WatchedDesktop::DeviceIoControl(Handle device, std::uint32_t controlCode, void* in,
                                     std::uint32_t inSize, void* out, std::uint32_t outSize,
                                     std::uint32_t* bytesReturned, Overlapped* overlapped) {
    bool suspended = asleepForUtility && (system.asleep || system.sleepPending ||
                                          now - suspendAt < kSearchWithoutResumeMs);
    Require(!suspended && !TipSaysLost(), "no driver request while suspended or lost");
    Require(!PausedForUtility(), "no driver request while the session is locked or away");
    return CountingDesktop::DeviceIoControl(device, controlCode, in, inSize, out, outSize,
                                            bytesReturned, overlapped);
}

HResult WatchedDesktop::CreateClassEnumerator(ComRef devEnum, const Guid& category,
                                              ComRef* monikers, std::uint32_t flags) {
    if (walked && now != lastWalkAt)
        Require(now - lastWalkAt >= kDiscoveryGapMs, "at most one discovery per 500 ms");
    walked = true;
    lastWalkAt = now;
    return CountingDesktop::CreateClassEnumerator(devEnum, category, monikers, flags);
}

void WatchedDesktop::keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                                 std::uintptr_t extraInfo) {
    Require(!PausedForUtility(), "no injected key while the session is locked or away");
    CountingDesktop::keybd_event(vk, scan, flags, extraInfo);
}

void WatchedDesktop::mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy,
                                 std::uint32_t data, std::uintptr_t extraInfo) {
    Require(!PausedForUtility(), "no injected mouse event while the session is locked or away");
    CountingDesktop::mouse_event(flags, dx, dy, data, extraInfo);
}

bool WatchedDesktop::SetCursorPos(int x, int y) {
    Require(!PausedForUtility(), "no pointer move while the session is locked or away");
    return CountingDesktop::SetCursorPos(x, y);
}

int WatchedDesktop::MessageBoxA(Hwnd owner, const char* text, const char* caption,
                                std::uint32_t type) {
    Require(!PausedForUtility() || userActionDepth > 0,
            "no message box of the remote's while the session is locked or away");
    return CountingDesktop::MessageBoxA(owner, text, caption, type);
}

std::intptr_t WatchedDesktop::DialogBoxParamA(Handle instance, int templateId, Hwnd owner,
                                              DlgProc proc, LParam initParam) {
    Require(!PausedForUtility() || userActionDepth > 0,
            "no dialog of the remote's while the session is locked or away");
    return CountingDesktop::DialogBoxParamA(instance, templateId, owner, proc, initParam);
}

void BeginInvariantWatch(SimDesktop& desk) {
    watched = &desk;
    checkedReceived.clear();
    utilityProc = nullptr;
    asleepForUtility = false;
    suspendAt = 0;
    lockedForUtility = false;
    awayForUtility = desk.sessions.supported && !desk.sessions.AtConsole();
    userActionDepth = 0;
    walked = false;
    lastWalkAt = 0;
}

// Windows wants a window's registration for session changes given back before it goes.
void CheckSessionRegistrations() {
    for (Hwnd handle : watched->sessions.registered) {
        const SimWindow* window = watched->windows.Find(handle);
        Require(window && window->alive, "no destroyed window stays registered for sessions");
    }
}

void CheckInvariants() {
    CheckShutdownFlag();
    CheckSessionRegistrations();
    CheckTimerSlot(logic.KeyPollTimer);
    CheckTimerSlot(logic.AppWatchTimer);
    CheckTimerSlot(logic.ReceiverSearchTimer);
    Require(watched->windows.Timers().size() <= 3, "the utility runs no timers but its slots'");
    CheckMessages();
    CheckModalBoxes();
    Require(watched->devices.longestDriverWaitMs <= kLongestDriverWaitMs,
            "no wait on the driver longer than 500 ms");
}

void CheckEndOfRun() {
    CheckInvariants();
    Require(watched->sessions.handles.empty(), "the running copy's named object is closed at exit");
    Require(
        !logic.KeyPollTimer.armed && !logic.AppWatchTimer.armed && !logic.ReceiverSearchTimer.armed,
        "every slot disarmed at exit");
    if (!logic.receiverNeedsClose)
        Require(watched->system.powerRegistrations.empty(),
                "the suspend and resume registration given back at exit");
}

template <TimerProc tick>
void PLATFORM_CALLBACK Checked(Hwnd owner, std::uint32_t msg, std::uintptr_t id,
                               std::uint32_t time) {
    std::uint64_t before = CountedAllocations().logic;
    int userDepth = userActionDepth;  // a tick in a user's dialog is not the user's doing
    userActionDepth = 0;
    {
        CountingScope counting;
        tick(owner, msg, id, time);
    }
    userActionDepth = userDepth;
    Require(CountedAllocations().logic == before, "a timer procedure allocates nothing");
    CheckInvariants();
}

const TimerProc CheckedKeyPollTick = Checked<OnKeyPollTick>;
const TimerProc CheckedAppWatchTick = Checked<AppWatchTick>;
const TimerProc CheckedSearchTick = Checked<OnReceiverSearchTick>;
