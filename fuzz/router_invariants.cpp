#include "fuzz/router_invariants.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "apps/tv_app.h"
#include "fuzz/fuzz_support.h"
#include "measure/allocation_count.h"
#include "platform/win_key_constants.h"
#include "receiver/remote_keys.h"
#include "routing/key_router.h"
#include "routing/shutdown.h"
#include "routing/user_keys.h"
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

// A timer procedure that runs, innermost last: ticks nest inside the modal loops of boxes.
struct TickFrame {
    bool keyPoll = false;
    bool shutdownWasOpen = false;  // the Shut Down question was open at some point of it
    Hwnd front = 0;                // the window in front for its key event
    Hwnd frontRoot = 0;            // ... and its root owner
    int userActions = 0;
    bool builtInCommand = false;
    // A tick nested in one of its boxes classifies a key of its own: the router's state as
    // this tick left it before (`before`), and as the nested one left it (`after`).
    bool nested = false;
    RouterState before;
    RouterState after;
};
constexpr int kMostNestedTicks = 64;
TickFrame ticks[kMostNestedTicks];
int tickDepth = 0;

// The press that the latest key event belongs to, and the windows that the keys file's
// actions went to during it (the window in front for a launch or typed keys).
RouterState lastObserved;
RemoteKey pressKey = SkipKey;
std::vector<Hwnd> pressTargets;

TickFrame* InnermostTick() {
    return tickDepth > 0 ? &ticks[tickDepth - 1] : nullptr;
}

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

// The window in front as GetForegroundWindow answers, and its root owner.
void NoteWindowInFront(TickFrame& tick) {
    tick.front = watched->SimDesktop::GetForegroundWindow();
    tick.frontRoot = tick.front ? watched->SimDesktop::GetAncestor(tick.front, GA_ROOTOWNER) : 0;
}

bool SameRouterState(const RouterState& a, const RouterState& b) {
    return a.lastKey == b.lastKey && a.lastKeyTick == b.lastKeyTick &&
           a.repeatCount == b.repeatCount;
}

// The key event that the tick handles: the router's state, unless a nested tick changed it
// and the tick did not classify a key of its own since.
const RouterState& KeyEventOf(const TickFrame& tick) {
    return tick.nested && SameRouterState(logic.routerState, tick.after) ? tick.before
                                                                         : logic.routerState;
}

// A key event with no repeat before it, or of another key, starts a press.
void ObserveKeyEvent(const RouterState& event) {
    if (SameRouterState(event, lastObserved)) return;
    if (event.repeatCount == 0 || event.lastKey != pressKey) {
        pressKey = event.lastKey;
        pressTargets.clear();
    }
    lastObserved = event;
}

void BeginTick(bool keyPoll) {
    Require(tickDepth < kMostNestedTicks, "ticks nest no deeper than the fuzzer follows");
    ObserveKeyEvent(logic.routerState);
    if (TickFrame* outer = InnermostTick()) {
        if (!outer->nested || !SameRouterState(logic.routerState, outer->after))
            outer->before = logic.routerState;
        outer->nested = true;
    }
    TickFrame& tick = ticks[tickDepth++];
    tick = TickFrame{};
    tick.keyPoll = keyPoll;
    tick.shutdownWasOpen = logic.shutdownDialogOpen;
    NoteWindowInFront(tick);
}

// A built-in command of the poll: nothing of the user's file may act in the same poll.
void NoteBuiltInCommand() {
    TickFrame* tick = InnermostTick();
    if (!tick || userActionDepth > 0) return;
    tick->builtInCommand = true;
    Require(tick->userActions == 0, "no key acts twice: a profile's action and a built-in command");
}

const KeyBinding* FindBinding(const KeyProfile& profile, RemoteKey key) {
    const KeysTable& table = userKeys.table;
    for (int i = 0; i < profile.bindingCount; ++i) {
        const KeyBinding& binding = table.bindings[profile.firstBinding + i];
        if (binding.key == key) return &binding;
    }
    return nullptr;
}

// Whether the window is the main window (by the identity its built-in commands look for) of
// an application whose [application] lines list the key.
bool IsChangedApplicationWindow(Hwnd handle, RemoteKey key) {
    const SimWindow* w = watched->windows.Find(handle);
    if (!w || w->utility) return false;
    const KeysTable& table = userKeys.table;
    for (int i = 0; i < table.profileCount; ++i) {
        const KeyProfile& profile = table.profiles[i];
        if (profile.kind != ProfileKind::Application || !FindBinding(profile, key)) continue;
        const SimAppIdentity* identity = SimAppIdentityOf(profile.app);
        if (w->appId == profile.app ||
            (identity && (!identity->cls || Same(w->cls, identity->cls)) &&
             Same(w->title, identity->title)))
            return true;
    }
    return false;
}

bool SomeLineRepeats(RemoteKey key) {
    const KeysTable& table = userKeys.table;
    for (int i = 0; i < table.bindingCount; ++i) {
        if (table.bindings[i].key == key && table.bindings[i].repeat) return true;
    }
    return false;
}

// One action of the user's file is about to be carried out, on `target` (0: the window in
// front). A held key whose press went to one window may act on another one that comes to
// the front or becomes the router's target meanwhile, but not twice on the same one.
TickFrame& NoteUserAction(Hwnd target = 0) {
    TickFrame* tick = InnermostTick();
    Require(tick && tick->keyPoll, "a keys-file action happens only in a key poll");
    Require(!tick->shutdownWasOpen && !logic.shutdownDialogOpen,
            "nothing goes to a profile while the Shut Down question is open");
    Require(++tick->userActions == 1, "no key acts twice: one action per key event");
    Require(!tick->builtInCommand, "no key acts twice: a built-in command and a profile's action");
    const RouterState& event = KeyEventOf(*tick);
    ObserveKeyEvent(event);
    if (target == 0) target = tick->frontRoot;
    bool again = std::find(pressTargets.begin(), pressTargets.end(), target) != pressTargets.end();
    Require(!again || SomeLineRepeats(event.lastKey),
            "a key acts on a window once per press unless its line says repeat");
    pressTargets.push_back(target);
    return *tick;
}

// A message of a user's action goes to the root owner of the window in front at the key
// event, or to a changed application's main window.
void RequireUserTarget(const TickFrame& tick, Hwnd target) {
    if (target != 0 && target == tick.frontRoot) return;
    if (IsChangedApplicationWindow(target, KeyEventOf(tick).lastKey)) return;
    const SimWindow* w = watched->windows.Find(target);
    std::fprintf(stderr, "action to \"%s\"/\"%s\", in front %lu (root %lu)\n",
                 w ? w->cls.c_str() : "?", w ? w->title.c_str() : "?",
                 static_cast<unsigned long>(tick.front),
                 static_cast<unsigned long>(tick.frontRoot));
    Require(false, "an action reaches only the window in front or the profile's target");
}

// Before an action: what the windows received so far is checked, and how much it was.
std::vector<std::size_t> ReceivedCounts() {
    CheckMessages();
    std::vector<std::size_t> counts;
    for (Hwnd handle = kFirstHandle; const SimWindow* w = watched->windows.Find(handle); ++handle)
        counts.push_back(w->received.size());
    return counts;
}

// After it: what the windows received meanwhile is the action's own, checked by its call
// and not as a built-in command.
void AcceptReceived() {
    for (Hwnd handle = kFirstHandle; const SimWindow* w = watched->windows.Find(handle); ++handle) {
        std::size_t index = handle - kFirstHandle;
        if (checkedReceived.size() <= index) checkedReceived.resize(index + 1, 0);
        checkedReceived[index] = w->received.size();
    }
}

bool IsMediaKey(WParam vk) {
    return vk >= VK_VOLUME_MUTE && vk <= VK_MEDIA_PLAY_PAUSE;
}

bool IsUserMessage(const TickFrame& tick, std::uint32_t msg, WParam wParam) {
    if (msg >= WM_APP && msg < 0xC000) return true;
    RemoteKey key = KeyEventOf(tick).lastKey;
    return msg == WM_SYSCOMMAND && wParam == SC_CLOSE && key != PowerKey && key != 20;
}

bool StartsWithFolded(const char* text, const char* prefix) {
    for (; *prefix != '\0'; ++text, ++prefix) {
        if (std::tolower(static_cast<unsigned char>(*text)) !=
            std::tolower(static_cast<unsigned char>(*prefix)))
            return false;
    }
    return true;
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
    NoteBuiltInCommand();
    CountingDesktop::keybd_event(vk, scan, flags, extraInfo);
}

void WatchedDesktop::mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy,
                                 std::uint32_t data, std::uintptr_t extraInfo) {
    Require(!PausedForUtility(), "no injected mouse event while the session is locked or away");
    NoteBuiltInCommand();
    CountingDesktop::mouse_event(flags, dx, dy, data, extraInfo);
}

bool WatchedDesktop::SetCursorPos(int x, int y) {
    Require(!PausedForUtility(), "no pointer move while the session is locked or away");
    NoteBuiltInCommand();
    return CountingDesktop::SetCursorPos(x, y);
}

int WatchedDesktop::MessageBoxA(Hwnd owner, const char* text, const char* caption,
                                std::uint32_t type) {
    Require(!PausedForUtility() || userActionDepth > 0,
            "no message box of the remote's while the session is locked or away");
    int answer = CountingDesktop::MessageBoxA(owner, text, caption, type);
    BelowSeamScope bookkeeping;
    if (TickFrame* tick = InnermostTick()) NoteWindowInFront(*tick);
    return answer;
}

std::intptr_t WatchedDesktop::DialogBoxParamA(Handle instance, int templateId, Hwnd owner,
                                              DlgProc proc, LParam initParam) {
    Require(!PausedForUtility() || userActionDepth > 0,
            "no dialog of the remote's while the session is locked or away");
    {
        BelowSeamScope bookkeeping;
        NoteBuiltInCommand();
    }
    std::intptr_t answer =
        CountingDesktop::DialogBoxParamA(instance, templateId, owner, proc, initParam);
    BelowSeamScope bookkeeping;
    if (TickFrame* tick = InnermostTick()) {
        tick->shutdownWasOpen = tick->shutdownWasOpen || templateId == IDD_SHUTDOWN;
        NoteWindowInFront(*tick);
    }
    return answer;
}

bool WatchedDesktop::PostMessageA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) {
    const SimWindow* w = windows.Find(window);
    bool other = w && w->alive && !w->utility;
    const TickFrame* tick = InnermostTick();
    if (!tick || userActionDepth > 0 ||
        !(IsUserMessage(*tick, msg, wParam) && (other || msg >= WM_APP))) {
        if (other) {
            BelowSeamScope bookkeeping;
            NoteBuiltInCommand();
        }
        return CountingDesktop::PostMessageA(window, msg, wParam, lParam);
    }
    {
        BelowSeamScope bookkeeping;
        RequireUserTarget(NoteUserAction(window), window);
        ReceivedCounts();
    }
    bool posted = CountingDesktop::PostMessageA(window, msg, wParam, lParam);
    BelowSeamScope bookkeeping;
    AcceptReceived();
    return posted;
}

std::intptr_t WatchedDesktop::ShellExecuteA(Hwnd owner, const char* verb, const char* file,
                                            const char* parameters, const char* directory,
                                            int show) {
    if (InnermostTick() && userActionDepth == 0) {
        BelowSeamScope bookkeeping;
        const char* path = file ? file : "";
        if (StartsWithFolded(path, "C:\\TV\\") || StartsWithFolded(path, "C:\\Gone")) {
            NoteBuiltInCommand();
        } else {
            NoteUserAction();
        }
    }
    return CountingDesktop::ShellExecuteA(owner, verb, file, parameters, directory, show);
}

// Typed keys land on whichever window has the keyboard: it must be the one in front at the
// key event, or the changed application's window that the action brought forward.
std::uint32_t WatchedDesktop::SendInput(std::uint32_t count, const Input* inputs) {
    std::vector<std::size_t> before;
    {
        BelowSeamScope bookkeeping;
        NoteUserAction();
        before = ReceivedCounts();
    }
    std::uint32_t sent = CountingDesktop::SendInput(count, inputs);
    BelowSeamScope bookkeeping;
    const TickFrame& tick = *InnermostTick();
    for (Hwnd handle = kFirstHandle; const SimWindow* w = windows.Find(handle); ++handle) {
        std::size_t index = handle - kFirstHandle;
        for (std::size_t i = index < before.size() ? before[index] : 0; i < w->received.size();
             ++i) {
            const SimReceived& r = w->received[i];
            Require(r.injected, "SendInput reaches a window only as typed keys");
            if (IsMediaKey(r.wParam) || handle == tick.front ||
                IsChangedApplicationWindow(handle, KeyEventOf(tick).lastKey))
                continue;
            std::fprintf(stderr, "typed vk=%lu into \"%s\"/\"%s\", in front %lu\n",
                         static_cast<unsigned long>(r.wParam), w->cls.c_str(), w->title.c_str(),
                         static_cast<unsigned long>(tick.front));
            Require(false, "typed keys land only on the window in front or the profile's target");
        }
    }
    AcceptReceived();
    return sent;
}

LResult WatchedDesktop::SendMessageTimeoutA(Hwnd window, std::uint32_t msg, WParam wParam,
                                            LParam lParam, std::uint32_t flags,
                                            std::uint32_t timeoutMs, std::uintptr_t* result) {
    {
        BelowSeamScope bookkeeping;
        Require(msg == WM_APPCOMMAND, "the utility sends with a time-out only WM_APPCOMMAND");
        RequireUserTarget(NoteUserAction(window), window);
        ReceivedCounts();
    }
    LResult sent =
        CountingDesktop::SendMessageTimeoutA(window, msg, wParam, lParam, flags, timeoutMs, result);
    BelowSeamScope bookkeeping;
    AcceptReceived();
    return sent;
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
    tickDepth = 0;
    lastObserved = RouterState{};
    pressKey = SkipKey;
    pressTargets.clear();
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
    const ReceiverChannel& channel = logic.receiverChannel;
    Require(watched->devices.LiveNotifications() ==
                (channel.deviceNotification != 0) + (channel.removalNotification != 0),
            "a handle registration only while its handle is open or its removal undecided");
    Require(!watched->devices.notificationsPresent || watched->devices.vetoesByOpenHandle == 0,
            "the utility's handle vetoes no removal");
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

template <TimerProc tick, bool keyPoll>
void PLATFORM_CALLBACK Checked(Hwnd owner, std::uint32_t msg, std::uintptr_t id,
                               std::uint32_t time) {
    BeginTick(keyPoll);
    std::uint64_t before = CountedAllocations().logic;
    int userDepth = userActionDepth;  // a tick in a user's dialog is not the user's doing
    userActionDepth = 0;
    {
        CountingScope counting;
        tick(owner, msg, id, time);
    }
    userActionDepth = userDepth;
    --tickDepth;
    ObserveKeyEvent(logic.routerState);
    if (TickFrame* outer = InnermostTick()) outer->after = logic.routerState;
    Require(CountedAllocations().logic == before, "a timer procedure allocates nothing");
    CheckInvariants();
}

const TimerProc CheckedKeyPollTick = Checked<OnKeyPollTick, true>;
const TimerProc CheckedAppWatchTick = Checked<AppWatchTick, false>;
const TimerProc CheckedSearchTick = Checked<OnReceiverSearchTick, false>;
