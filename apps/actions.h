// Carrying out an Action: the one place where what the remote does reaches a program. The
// built-in command maps (through app_keys.h) and the user's keys.ini make Actions; this
// module carries every one of them out.
#pragma once

#include <cstdint>

#include "apps/action.h"
#include "apps/app_profiles.h"

// Carries out `action` for `target`, brought forward first as `action.front` says. `app` is
// the built-in application that the target belongs to, 0 for none: its posts go through
// PostToApp (the box about an elevated application), others are plain posts. `text` is the
// pool that a Launch's offsets point into (KeysTable::text); nullptr: there is none.
void PerformAction(const Action& action, Hwnd target, AppId app, const char* text = nullptr);

// Posts a message to one of the application's windows. A refusal because the application
// runs as administrator is reported in a box, once per run of it; false when not posted.
bool PostToApp(AppId id, Hwnd target, std::uint32_t msg, WParam wParam, LParam lParam);

// One key event of a user's chords, as SendInput takes it.
struct ChordKeyEvent {
    std::uint8_t vk = 0;
    std::uint32_t flags = 0;  // KEYEVENTF_EXTENDEDKEY, KEYEVENTF_KEYUP
};
constexpr int kMaxChordKeyEvents = kMaxChords * 10;  // four modifiers and the key, down and up

// The key events that type the action's chords the user's way: for each chord its modifiers
// as the left keys (Ctrl, Shift, Alt, Win) down, the key down and up, the modifiers up in
// reverse order; the extended flag only on keys that have it. Returns how many were written.
int UserChordKeyEvents(const Action& action, ChordKeyEvent (&events)[kMaxChordKeyEvents]);
