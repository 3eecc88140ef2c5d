// One remote, one person in front of the PC. Each user who logs on, and each Remote Desktop
// session, runs a copy of the utility; only the copy whose session is at the console and
// unlocked keeps the card open. The others, and this one while its session is locked (no one
// could see what the remote does), leave the card alone until their session is in front
// again. Where Windows has no session calls (Windows 9x) there is one session, always in
// front, and nothing of this runs.
#pragma once

#include <cstdint>

#include "platform/platform.h"

constexpr char kLockedTrayTip[] = "Remote Control - paused while the PC is locked";
constexpr char kAwayTrayTip[] = "Remote Control - paused while another session is in front";

// The named object that every running copy holds, seen from every session.
constexpr char kRunningObjectName[] = "Global\\Remote Control is running";

// At window creation, before the card is looked for: registers the window for its session's
// changes, and true when the session is not at the console, so that the utility starts
// paused. A session that cannot be told about its changes is never paused.
bool WatchSession(Hwnd window);
// Before the window goes: no more notifications for it.
void StopWatchingSession(Hwnd window);
// WM_WTSSESSION_CHANGE; true when the event was one the utility follows.
bool OnSessionChange(std::uint32_t event);
// The session is locked, or another session is at the console.
bool SessionPaused();
// The tip that says why the utility is paused.
const char* PausedTrayTip();

// The running copy's mark, held from start to exit.
void HoldRunningObject();
void ReleaseRunningObject();
// Whether a copy of the utility runs in any session: its named object exists (one that this
// session may not open still exists), or its window is in this session.
bool AnyCopyRunning();
