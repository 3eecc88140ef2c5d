#include "routing/key_router.h"

#include "apps/app_keys.h"
#include "apps/tv_app.h"
#include "receiver/capture_device.h"
#include "receiver/receiver_commands.h"
#include "routing/pointer_mode.h"
#include "routing/shutdown.h"
#include "routing/user_keys.h"
#include "shell/receiver_watch.h"
#include "shell/session_watch.h"
#include "shell/static_objects.h"

namespace {

constexpr RemoteKey kKey20 = 20;
constexpr RemoteKey kKey21 = 21;
// Key 20, when it toggles the default application, first closes these in this order; it
// leaves application 9 running.
constexpr AppId kKey20CloseOrder[] = {1, 7, 6};
constexpr int kKey20CloseCount = sizeof kKey20CloseOrder / sizeof kKey20CloseOrder[0];

// True while the "re-initialize" box of the Power path is up: holding Power would
// otherwise stack a new box on every repeat.
bool reinitializeBoxOpen = false;

// The key target: the first application, in the order of kAppOrder, that is active; 0: none.
AppId ActiveTarget() {
    for (AppId id : kAppOrder) {
        if (AppRecord(id)->active) return id;
    }
    return 0;
}

RouteDecision PowerRoute() {
    AppId app = logic.DefaultTVAPP;
    if (!IsAppId(app)) return {RoutePath::NoDefaultApp, app};
    return {RoutePath::Toggle, app, kCloseOrder, kAppCount, !IsInstalled(app)};
}

RouteDecision Key20Route() {
    AppId app = logic.DefaultTVAPP;
    const AppProfile* profile = ProfileOf(app);
    if (!profile) return {RoutePath::NoDefaultApp, app};
    if (profile->key20 == IdleKeyAction::TogglePower)
        return {RoutePath::Toggle, app, kKey20CloseOrder, kKey20CloseCount};
    return {RoutePath::NewTarget, app};
}

// With a default that is none of the applications, key 21 opens the dialog too.
RouteDecision Key21Route() {
    AppId app = logic.DefaultTVAPP;
    const AppProfile* profile = ProfileOf(app);
    if (profile && profile->key21 == IdleKeyAction::SendKey) return {RoutePath::NewTarget, app};
    return {NoTvAppRunning() ? RoutePath::AskShutdown : RoutePath::AppsRunning};
}

RouteDecision RunningAppRoute() {
    for (AppId id : kAppOrder) {
        if (IsRunning(id)) return {RoutePath::NewTarget, id};
    }
    return {RoutePath::Pointer};
}

void AnswerShutdownDialog(WParam answer) {
    Platform& platform = Plat();
    Hwnd dialog = logic.shutdownDialogWindow;
    platform.SetForegroundWindow(dialog);
    platform.SetActiveWindow(dialog);
    platform.SendMessageA(dialog, WM_KEYDOWN, answer, 0);
}

void ToggleDefault(const RouteDecision& route) {
    AppId app = route.app;
    if (route.reinitialize) {
        if (reinitializeBoxOpen) return;
        reinitializeBoxOpen = true;
        Plat().MessageBoxA(0, kReinitializeText, "Remote Control", MB_OK | MB_SETFOREGROUND);
        reinitializeBoxOpen = false;
        app = logic.DefaultTVAPP;  // the tray menu may have changed it meanwhile
        if (!IsAppId(app) || SessionPaused()) return;
    }
    CloseOthers(app, route.closeFirst, route.closeCount);
    // A box of the closes may have waited while the session went away: nobody would see
    // the application start.
    if (SessionPaused()) return;
    TogglePower(app);
}

void Route(RemoteKey key, Hwnd ownerWindow) {
    RouteDecision route = DecideRoute(key);
    switch (route.path) {
        case RoutePath::ConfirmShutdown:
        case RoutePath::CancelShutdown:
            AnswerShutdownDialog(route.path == RoutePath::ConfirmShutdown ? VK_RETURN : VK_ESCAPE);
            break;
        case RoutePath::TargetPower:
            TogglePower(route.app);
            break;
        case RoutePath::NewTarget:
            AppRecord(route.app)->active = true;
            [[fallthrough]];
        case RoutePath::TargetKey:
            if (!PerformApplicationChange(route.app, key)) SendKey(route.app, key);
            break;
        case RoutePath::Toggle:
            ToggleDefault(route);
            break;
        case RoutePath::AskShutdown:
            ShowShutdownDialog(ownerWindow);
            break;
        case RoutePath::Pointer:
            MovePointerOrClick(key);
            break;
        default:  // nothing to do
            break;
    }
}

}  // namespace

// A key that the user's [application] line changes acts on every repeat with `repeat` and
// once per press without it.
bool ThinsRepeat(bool repeat) {
    AppId target = repeat ? ActiveTarget() : 0;
    if (target == 0) return false;
    if (const KeyBinding* changed = ApplicationBinding(target, logic.routerState.lastKey))
        return !changed->repeat;
    return logic.routerState.repeatCount % kRepeatPassInterval != 0;
}

RouteDecision DecideRoute(RemoteKey key) {
    if (logic.shutdownDialogOpen)
        return {key == PowerKey ? RoutePath::ConfirmShutdown : RoutePath::CancelShutdown};
    if (AppId target = ActiveTarget()) {
        if (key == PowerKey) return {RoutePath::TargetPower, target};
        return {key == SkipKey ? RoutePath::Skip : RoutePath::TargetKey, target};
    }
    switch (key) {
        case PowerKey:
            return PowerRoute();
        case kKey20:
            return Key20Route();
        case kKey21:
            return Key21Route();
        default:
            return RunningAppRoute();
    }
}

bool ClassifyKeyEvent(RemoteKey key, std::uint32_t now) {
    bool repeat =
        key == logic.routerState.lastKey && now - logic.routerState.lastKeyTick < kRepeatWindowMs;
    if (repeat) {
        ++logic.routerState.repeatCount;
    } else {
        logic.routerState.repeatCount = 0;
        logic.pointerState.moveCount = 0;
    }
    logic.routerState.lastKeyTick = now;
    logic.routerState.lastKey = key;
    return repeat;
}

// No key can stand for SkipKey.
void ForgetLastKey() {
    logic.routerState = RouterState{SkipKey, 0, 0};
}

// A poll whose key-down test got no answer counts towards losing the card, which a status
// saying the device is gone ends at once; a code read that met such a status is no key.
void PLATFORM_CALLBACK OnKeyPollTick(Hwnd ownerWindow, std::uint32_t, std::uintptr_t,
                                     std::uint32_t) {
    KeyLine line = ReadKeyLine();
    if (line != KeyLine::Down) {
        if (line == KeyLine::Up) {
            logic.failingPolls = 0;
        } else if (++logic.failingPolls >= kLostAfterFailingPolls ||
                   logic.receiverChannel.deviceGone) {
            LoseReceiver();
        }
        return;
    }
    logic.failingPolls = 0;
    std::int32_t rawCode = ReadRemoteCode();
    if (logic.receiverChannel.deviceGone) {
        LoseReceiver();
        return;
    }
    // The box of a changed keys file's problems took the user's attention: this key does
    // nothing more.
    if (ReloadUserKeysIfChanged()) return;
    // A failure box of the code read may have waited while the session went away.
    if (SessionPaused()) return;
    RemoteKey key = NormaliseRemoteCode(rawCode, logic.receiverChannel.remoteLayout);
    bool repeat = ClassifyKeyEvent(key, Plat().GetTickCount());
    // While the Shut Down question is open, every key answers it.
    if (!logic.shutdownDialogOpen && RouteByProgramProfile(key, repeat)) return;
    if (ThinsRepeat(repeat)) key = SkipKey;
    Route(key, ownerWindow);
}
