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

// The mark is open to everyone (a present but null DACL), so that the copy of every user
// holds it, and it lasts while any copy runs: with the default security only its maker could
// open it, and it would go with the first user's copy while another user's still runs. Nobody
// waits on it, so taking it over would only make setup ask to end a copy. Where security
// cannot be set (Windows 9x, one user) the object is made as it comes; one that another
// user's copy made with less access is still there for the checks, held by that copy.
void HoldRunningObject() {
    Platform& platform = Plat();
    SecurityDescriptor descriptor{};
    SecurityAttributes everyone{sizeof(SecurityAttributes), &descriptor, 0};
    bool open = platform.InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                platform.SetSecurityDescriptorDacl(&descriptor, true, nullptr, false);
    logic.runningObject =
        platform.CreateMutexA(open ? &everyone : nullptr, false, kRunningObjectName);
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
