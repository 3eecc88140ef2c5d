#include "routing/key_router.h"

#include "apps/tv_app.h"
#include "receiver/capture_device.h"
#include "receiver/receiver_commands.h"
#include "routing/pointer_mode.h"
#include "routing/shutdown.h"
#include "shell/receiver_watch.h"
#include "shell/static_objects.h"

TvApp* ActiveTarget(AppId* id) {
    for (AppId candidate : kAppOrder) {
        TvApp* record = AppRecord(candidate);
        if (record->active) {
            *id = candidate;
            return record;
        }
    }
    return nullptr;
}

bool AnyAppActive() {
    for (AppId id : kAppOrder) {
        if (AppRecord(id)->active) return true;
    }
    return false;
}

bool ThinsRepeat(bool repeat) {
    return repeat && logic.routerState.repeatCount % kRepeatPassInterval != 0 && AnyAppActive();
}

namespace {

constexpr RemoteKey kKey20 = 20;
constexpr RemoteKey kKey21 = 21;

// True while the "re-initialize" box of the Power path is up: holding Power would
// otherwise stack a new box on every repeat.
bool reinitializeBoxOpen = false;

void SendToShutdownDialog(RemoteKey key) {
    Platform& platform = Plat();
    Hwnd dialog = logic.shutdownDialogWindow;
    platform.SetForegroundWindow(dialog);
    platform.SetActiveWindow(dialog);
    platform.SendMessageA(dialog, WM_KEYDOWN, key == PowerKey ? VK_RETURN : VK_ESCAPE, 0);
}

void MakeActiveAndSend(AppId id, RemoteKey key) {
    AppRecord(id)->active = true;
    SendKey(id, key);
}

void PowerPath() {
    AppId app = logic.DefaultTVAPP;
    if (!IsAppId(app)) return;
    if (!IsInstalled(app)) {
        if (reinitializeBoxOpen) return;
        reinitializeBoxOpen = true;
        Plat().MessageBoxA(0, "Please re-initialize the TV application settings.", "Remote Control",
                           MB_OK | MB_SETFOREGROUND);
        reinitializeBoxOpen = false;
        app = logic.DefaultTVAPP;  // the tray menu may have changed it meanwhile
        if (!IsAppId(app)) return;
    }
    CloseOthers(app);
    TogglePower(app);
}

// The Power toggle of key 20 leaves application 9 running.
void Key20Path() {
    AppId app = logic.DefaultTVAPP;
    const AppProfile* profile = ProfileOf(app);
    if (!profile) return;
    if (profile->key20 == IdleKeyAction::TogglePower) {
        for (AppId other : kKey20CloseOrder) {
            if (other != app) RequestClose(other);
        }
        TogglePower(app);
    } else {
        MakeActiveAndSend(app, kKey20);
    }
}

// With a default that is none of the applications, key 21 opens the dialog too.
void Key21Path(Hwnd ownerWindow) {
    AppId app = logic.DefaultTVAPP;
    const AppProfile* profile = ProfileOf(app);
    if (profile && profile->key21 == IdleKeyAction::SendKey) {
        MakeActiveAndSend(app, kKey21);
    } else if (NoTvAppRunning()) {
        ShowShutdownDialog(ownerWindow);
    }
}

void SearchRunningApp(RemoteKey key) {
    for (AppId id : kAppOrder) {
        if (IsRunning(id)) {
            MakeActiveAndSend(id, key);
            return;
        }
    }
    MovePointerOrClick(key);
}

void Route(RemoteKey key, Hwnd ownerWindow) {
    if (logic.shutdownDialogOpen) {
        SendToShutdownDialog(key);
        return;
    }
    AppId target = 0;
    if (ActiveTarget(&target)) {
        if (key == PowerKey) {
            TogglePower(target);
        } else if (key != SkipKey) {
            SendKey(target, key);
        }
        return;
    }
    switch (key) {
        case PowerKey:
            PowerPath();
            break;
        case kKey20:
            Key20Path();
            break;
        case kKey21:
            Key21Path(ownerWindow);
            break;
        default:
            SearchRunningApp(key);
            break;
    }
}

}  // namespace

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
    RemoteKey key = NormaliseRemoteCode(rawCode, logic.receiverChannel.remoteLayout);
    bool repeat = ClassifyKeyEvent(key, Plat().GetTickCount());
    if (ThinsRepeat(repeat)) key = SkipKey;
    Route(key, ownerWindow);
}
