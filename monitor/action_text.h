// A keys.ini action in the words that the file uses for it, so that what RemoteMonitor
// shows can be written back into the file as it stands.
#pragma once

#include "apps/action.h"

// `keys Ctrl+Up`, `appcommand play-pause`, `media mute`, `message 0x8001 1 0`,
// `launch "notepad.exe" notes.txt`, `close`, `none`; `text` is the keys table's text pool.
// Cut to fit `size`; returns the length written.
int DescribeUserAction(const Action& action, const char* text, char* out, int size);
