// Sessions, the lock screen and named objects: the session events of a scenario and the
// notifications they send, the session calls, and the mutexes.
#include <algorithm>

#include "sim/sim_desktop.h"

namespace {

constexpr std::uint32_t kOtherSession = 2;  // another user's, or the console's logon screen
constexpr std::int32_t kErrorInvalidParameter = 87;

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

std::uint32_t SimSessions::OtherSession() const {
    return ownSession == kOtherSession ? kOtherSession + 1 : kOtherSession;
}

std::string SimSessions::KeyOf(const std::string& name, std::uint32_t session) const {
    if (!supported) return name;  // Windows 9x: one namespace
    if (StartsWith(name, "Global\\")) return "global:" + name.substr(7);
    std::string local = StartsWith(name, "Local\\") ? name.substr(6) : name;
    return "session" + std::to_string(session) + ":" + local;
}

void SimSessions::HoldInOtherSession(const std::string& name, bool openToAll) {
    objects.push_back(SimNamedObject{KeyOf(name, OtherSession()), true, openToAll, 1});
}

bool SimSessions::CloseObjectHandle(Handle handle) {
    auto open = std::find_if(handles.begin(), handles.end(),
                             [handle](const auto& entry) { return entry.first == handle; });
    if (open == handles.end()) return false;
    std::size_t index = open->second;
    handles.erase(open);
    if (--objects[index].handles == 0) objects[index].key.clear();  // the object goes
    return true;
}

// --- the session's changes ---

void SimDesktop::NotifySession(std::uint32_t event) {
    for (Hwnd handle : sessions.registered) {
        const SimWindow* window = windows.Find(handle);
        if (!window || !window->alive) continue;
        Trace("session change " + std::to_string(event));
        PostToQueue(handle, WM_WTSSESSION_CHANGE, event, static_cast<LParam>(sessions.ownSession));
    }
}

// The card's discovery is traced from the first session event on, as from the first device
// or power event.
void SimDesktop::TraceSessionEvent(const char* what) {
    devices.traceDiscovery = true;
    Trace(std::string("session ") + what);
}

void SimDesktop::LockSession() {
    TraceSessionEvent("lock");
    LockSessionQuietly();
}

// The user signs in on the lock screen, which the console shows only for a session at it.
void SimDesktop::UnlockSession() {
    TraceSessionEvent("unlock");
    if (!sessions.locked || !sessions.AtConsole()) return;
    sessions.locked = false;
    NotifySession(WTS_SESSION_UNLOCK);
}

// Another user signs in at the console: Windows locks this session first, then gives the
// console to the other one.
void SimDesktop::SwitchUser() {
    TraceSessionEvent("switch-user");
    if (!sessions.AtConsole()) return;
    LockSessionQuietly();
    sessions.consoleSession = sessions.OtherSession();
    NotifySession(WTS_CONSOLE_DISCONNECT);
}

// The session's user signs in at the console again: the session leaves a Remote Desktop
// client if it had one, comes to the console, and is unlocked by the sign-in.
void SimDesktop::SwitchBack() {
    TraceSessionEvent("switch-back");
    if (sessions.AtConsole()) return;
    if (sessions.remote) {
        sessions.remote = false;
        NotifySession(WTS_REMOTE_DISCONNECT);
    }
    sessions.consoleSession = sessions.ownSession;
    NotifySession(WTS_CONSOLE_CONNECT);
    if (sessions.locked) {
        sessions.locked = false;
        NotifySession(WTS_SESSION_UNLOCK);
    }
}

// Someone connects to this session with Remote Desktop: it leaves the console, whose
// screen shows the logon screen instead, and the remote user's sign-in unlocks it.
void SimDesktop::RemoteConnect() {
    TraceSessionEvent("remote-connect");
    if (sessions.remote) return;
    if (sessions.AtConsole()) {
        sessions.consoleSession = sessions.OtherSession();
        NotifySession(WTS_CONSOLE_DISCONNECT);
    }
    sessions.remote = true;
    NotifySession(WTS_REMOTE_CONNECT);
    if (sessions.locked) {
        sessions.locked = false;
        NotifySession(WTS_SESSION_UNLOCK);
    }
}

void SimDesktop::LockSessionQuietly() {
    if (sessions.locked) return;
    sessions.locked = true;
    NotifySession(WTS_SESSION_LOCK);
}

// Nobody uses a sleeping PC either.
bool SimDesktop::UserCannotReach(const char* action) {
    if (sessions.InFront() && !system.asleep) return false;
    Trace(std::string("user ") + action + " unseen");
    return true;
}

// --- the session calls ---

bool SimDesktop::WTSRegisterSessionNotification(Hwnd handle, std::uint32_t) {
    ++calls;
    if (!sessions.supported) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return false;
    }
    const SimWindow* window = windows.Find(handle);
    if (!window || !window->alive || !window->utility) {
        system.lastError = ERROR_INVALID_HANDLE;
        return false;
    }
    auto& registered = sessions.registered;
    if (std::find(registered.begin(), registered.end(), handle) == registered.end())
        registered.push_back(handle);
    return true;
}

bool SimDesktop::WTSUnRegisterSessionNotification(Hwnd handle) {
    ++calls;
    if (!sessions.supported) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return false;
    }
    auto& registered = sessions.registered;
    auto found = std::find(registered.begin(), registered.end(), handle);
    if (found == registered.end()) {
        system.lastError = ERROR_INVALID_HANDLE;
        return false;
    }
    registered.erase(found);
    return true;
}

std::uint32_t SimDesktop::GetCurrentProcessId() {
    ++calls;
    return SimSessions::kProcessId;
}

bool SimDesktop::ProcessIdToSessionId(std::uint32_t processId, std::uint32_t* sessionId) {
    ++calls;
    if (!sessions.supported) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return false;
    }
    if (processId != SimSessions::kProcessId || !sessionId) {
        system.lastError = kErrorInvalidParameter;
        return false;
    }
    *sessionId = sessions.ownSession;
    return true;
}

std::uint32_t SimDesktop::WTSGetActiveConsoleSessionId() {
    ++calls;
    return sessions.supported ? sessions.consoleSession : SimSessions::kNoSession;
}

// --- named objects ---

// The model keeps of a descriptor its revision (byte 0) and its DACL (byte 1): 0 none present,
// so that the creator's default DACL applies; 2 present and null, which grants everyone every
// access; 3 a DACL of its own, which the model holds to be as strict as the default.
bool SimDesktop::InitializeSecurityDescriptor(SecurityDescriptor* descriptor,
                                              std::uint32_t revision) {
    ++calls;
    if (system.win9xFamily) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return false;
    }
    if (!descriptor || revision != SECURITY_DESCRIPTOR_REVISION) {
        system.lastError = kErrorInvalidParameter;
        return false;
    }
    *descriptor = SecurityDescriptor{};
    descriptor->bytes[0] = static_cast<std::uint8_t>(revision);
    descriptor->bytes[1] = 0;  // no DACL, owner, group or SACL yet
    return true;
}

bool SimDesktop::SetSecurityDescriptorDacl(SecurityDescriptor* descriptor, bool present, void* dacl,
                                           bool) {
    ++calls;
    if (system.win9xFamily) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return false;
    }
    if (!descriptor || descriptor->bytes[0] != SECURITY_DESCRIPTOR_REVISION) {
        system.lastError = kErrorInvalidParameter;
        return false;
    }
    descriptor->bytes[1] = !present ? 0 : dacl == nullptr ? 2 : 3;
    return true;
}

Handle SimDesktop::CreateMutexA(SecurityAttributes* security, bool, const char* name) {
    ++calls;
    std::string key = name ? sessions.KeyOf(name, sessions.ownSession) : std::string();
    auto& objects = sessions.objects;
    auto found = std::find_if(objects.begin(), objects.end(), [&](const SimNamedObject& object) {
        return !key.empty() && object.key == key;
    });
    if (found != objects.end() && found->otherUser && !found->openToAll) {
        system.lastError = ERROR_ACCESS_DENIED;
        return 0;
    }
    system.lastError = found != objects.end() ? ERROR_ALREADY_EXISTS : 0;
    if (found == objects.end()) {
        bool openToAll = security && security->descriptor &&
                         security->descriptor->bytes[0] == SECURITY_DESCRIPTOR_REVISION &&
                         security->descriptor->bytes[1] == 2;
        objects.push_back(SimNamedObject{key, false, openToAll, 0});
        found = objects.end() - 1;
    }
    ++found->handles;
    Handle handle = sessions.nextHandle++;
    sessions.handles.emplace_back(handle, static_cast<std::size_t>(found - objects.begin()));
    return handle;
}

Handle SimDesktop::OpenMutexA(std::uint32_t, bool, const char* name) {
    ++calls;
    std::string key = name ? sessions.KeyOf(name, sessions.ownSession) : std::string();
    auto& objects = sessions.objects;
    auto found = std::find_if(objects.begin(), objects.end(), [&](const SimNamedObject& object) {
        return !key.empty() && object.key == key;
    });
    if (found == objects.end()) {
        system.lastError = ERROR_FILE_NOT_FOUND;
        return 0;
    }
    if (found->otherUser && !found->openToAll) {
        system.lastError = ERROR_ACCESS_DENIED;
        return 0;
    }
    ++found->handles;
    Handle handle = sessions.nextHandle++;
    sessions.handles.emplace_back(handle, static_cast<std::size_t>(found - objects.begin()));
    return handle;
}
