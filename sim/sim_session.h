// Sessions and named kernel objects. Several people may use one PC: each user who logs on,
// and each Remote Desktop connection, has a session of their own, and one session at a time
// is attached to the console (the PC's own screen, keyboard and mouse). The utility runs in
// one of them. The operations are SimDesktop's, in sim_session.cpp.
//
// As on Windows:
// - WM_WTSSESSION_CHANGE reaches only windows registered with
//   WTSRegisterSessionNotification, for the changes of their own session, through the
//   thread's queue; a user switch or a Remote Desktop connection sends several, in the order
//   Windows sends them (docs/architecture.md, "Sessions and the lock screen").
// - While the session is locked, or neither at the console nor at a Remote Desktop client,
//   its desktop takes no input: injected keys and mouse events reach nothing and
//   SetCursorPos fails. While it is locked or not at the console, the person at the PC
//   cannot reach its windows, its tray icon or its boxes.
// - Named objects live in the creating session's namespace, or with "Global\" in the one
//   namespace that every session shares. An object of another user, made with the default
//   security, cannot be opened from this session (ERROR_ACCESS_DENIED), which still says it
//   exists; one made with a descriptor without a DACL (no DACL: everyone has access) can.
//   On Windows 9x the security calls fail (ERROR_CALL_NOT_IMPLEMENTED).
// - On Windows 9x the session calls are missing (ERROR_CALL_NOT_IMPLEMENTED).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

struct SimNamedObject {
    std::string key;  // the namespace and the name
    bool otherUser;   // made by another user's program
    bool openToAll;   // made with a present but null DACL: everyone may open it
    int handles;      // open handles, the other program's included
};

struct SimSessions {
    static constexpr std::uint32_t kNoSession = 0xFFFFFFFFu;
    static constexpr std::uint32_t kProcessId = 4242;  // the utility's process
    bool supported = true;             // the session calls exist (not on Windows 9x)
    std::uint32_t ownSession = 1;      // the utility's session
    std::uint32_t consoleSession = 1;  // the session attached to the console
    bool locked = false;               // the utility's session shows its lock screen
    bool remote = false;               // ... is attached to a Remote Desktop client
    std::vector<Hwnd> registered;      // windows registered for the session's changes

    std::vector<SimNamedObject> objects;
    std::vector<std::pair<Handle, std::size_t>> handles;  // the utility's, to objects
    Handle nextHandle = 0x9000;

    bool AtConsole() const { return consoleSession == ownSession; }
    // A session that is not the utility's: another user's, or the console's logon screen.
    std::uint32_t OtherSession() const;
    // The session is the one the person at the PC sees and types into. (The scenario's user is
    // that person; a Remote Desktop user's own clicks are not modelled.)
    bool InFront() const { return !supported || (AtConsole() && !locked); }
    // The session's desktop takes input: unlocked, and at the console or at a Remote Desktop
    // client. A disconnected session has no input at all.
    bool TakesInput() const { return !supported || (!locked && (AtConsole() || remote)); }
    // The namespace key of a name opened from `session`.
    std::string KeyOf(const std::string& name, std::uint32_t session) const;
    // A program of another session (another user's) holds the named object, made with the
    // default security or (openToAll) without a DACL.
    void HoldInOtherSession(const std::string& name, bool openToAll);
    bool CloseObjectHandle(Handle handle);
};
