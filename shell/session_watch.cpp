#include "shell/session_watch.h"

#include "shell/receiver_watch.h"
#include "shell/startup_cleanup.h"
#include "shell/static_objects.h"

namespace {

constexpr std::uint32_t kNotifyForThisSession = 0;  // NOTIFY_FOR_THIS_SESSION
constexpr std::uint32_t kNoConsoleSession = 0xFFFFFFFFu;

// A session switch makes no console session for a moment; that tells nothing.
bool StartsAwayFromConsole() {
    Platform& platform = Plat();
    std::uint32_t own = 0;
    if (!platform.ProcessIdToSessionId(platform.GetCurrentProcessId(), &own)) return false;
    std::uint32_t console = platform.WTSGetActiveConsoleSessionId();
    return console != kNoConsoleSession && console != own;
}

}  // namespace

bool WatchSession(Hwnd window) {
    logic.sessionNotified = Plat().WTSRegisterSessionNotification(window, kNotifyForThisSession);
    logic.sessionAway = logic.sessionNotified && StartsAwayFromConsole();
    return logic.sessionAway;
}

void StopWatchingSession(Hwnd window) {
    if (!logic.sessionNotified) return;
    logic.sessionNotified = false;
    Plat().WTSUnRegisterSessionNotification(window);
}

bool SessionPaused() {
    return logic.sessionLocked || logic.sessionAway;
}

// Away says more than locked: a switched-away session is locked as well.
const char* PausedTrayTip() {
    return logic.sessionAway ? kAwayTrayTip : kLockedTrayTip;
}

// The console's own lock screen or another user's session: either way the remote's keys
// would act where nobody sees them. A session connected to a Remote Desktop client stays
// away until it comes back to the console.
bool OnSessionChange(std::uint32_t event) {
    switch (event) {
        case WTS_SESSION_LOCK:
            logic.sessionLocked = true;
            break;
        case WTS_SESSION_UNLOCK:
            logic.sessionLocked = false;
            break;
        case WTS_CONSOLE_DISCONNECT:
        case WTS_REMOTE_CONNECT:
            logic.sessionAway = true;
            break;
        case WTS_CONSOLE_CONNECT:
            logic.sessionAway = false;
            break;
        default:
            return false;
    }
    if (SessionPaused()) {
        PauseReceiver(PausedTrayTip());
    } else {
        ResumeReceiver();
    }
    return true;
}

// A copy of another user may have made the object with security that keeps this session
// from opening it; then this copy holds nothing, and that copy's mark stands for both.
void HoldRunningObject() {
    logic.runningObject = Plat().CreateMutexA(nullptr, false, kRunningObjectName);
}

void ReleaseRunningObject() {
    if (logic.runningObject == 0) return;
    Plat().CloseHandle(logic.runningObject);
    logic.runningObject = 0;
}

bool AnyCopyRunning() {
    Platform& platform = Plat();
    if (FindRunningInstance() != 0) return true;
    Handle object = platform.OpenMutexA(SYNCHRONIZE, false, kRunningObjectName);
    if (object != 0) {
        platform.CloseHandle(object);
        return true;
    }
    return platform.GetLastError() == static_cast<std::uint32_t>(ERROR_ACCESS_DENIED);
}
