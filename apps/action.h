// What the remote does to a program. A built-in application's command and a line of the
// user's keys.ini are the same kind of thing: both become an Action, and one module
// carries every Action out.
#pragma once

#include <cstdint>

#include "platform/platform.h"

enum class ActionKind : std::uint8_t {
    None,        // nothing: the key is taken and does nothing
    Post,        // PostMessageA(window, message, wParam, lParam)
    Chord,       // key chords typed into the program in front
    AppCommand,  // WM_APPCOMMAND, sent with a time-out; `message` holds the APPCOMMAND_ number
    Media,       // a media key typed into the system; `chords[0].vk` holds its virtual key
    Launch,      // a program started: `program` and `arguments` (text of the keys table)
    Close,       // the program's window asked to close: WM_SYSCOMMAND, SC_CLOSE
};

// Modifier bits of a chord.
constexpr std::uint8_t kModCtrl = 1;
constexpr std::uint8_t kModShift = 2;
constexpr std::uint8_t kModAlt = 4;
constexpr std::uint8_t kModWin = 8;

struct KeyChord {
    std::uint8_t modifiers = 0;
    std::uint8_t vk = 0;
};

// How the target window is brought forward before the action is carried out.
enum class ActionFront : std::uint8_t {
    AsItIs,    // not touched
    Activate,  // SetForegroundWindow, then SetActiveWindow
    Raise,     // BringWindowToTop, then as Activate
};

constexpr int kMaxChords = 4;  // `keys` takes at most this many chords on one line

struct Action {
    ActionKind kind = ActionKind::None;
    std::uint8_t chordCount = 0;
    KeyChord chords[kMaxChords] = {};
    std::uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    std::uint16_t program = 0;    // Launch: offset of the program's path in the text pool
    std::uint16_t arguments = 0;  // Launch: offset of its arguments, 0: none
    // Brought forward first; a Chord then is typed only if the switch was granted, since
    // typed keys go to whichever program has the keyboard.
    ActionFront front = ActionFront::AsItIs;
    // Chord: typed as the built-in keystroke table has always typed it (keybd_event, the
    // generic Ctrl and Shift, every key with the extended flag); otherwise as a user's chord
    // (SendInput, the left modifiers, the extended flag only on keys that have it).
    bool everyKeyExtended = false;
};
