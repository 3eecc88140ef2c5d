// RemoteMonitor's line for one key event: when it came, the raw code, the key, fresh or
// repeated, and what Remote Control would do with it at that moment.
#pragma once

#include <cstdint>

#include "receiver/remote_keys.h"
#include "routing/user_keys.h"

struct KeyEvent {
    std::uint32_t ms;  // since the monitor started
    std::int32_t rawCode;
    RemoteKey key;
    bool repeat;
    std::int32_t repeatCount;
};

// What Remote Control would do with the key, from the router's own decisions, doing nothing:
// the line of the user's [program] profile that the window in front matches, or the built-in
// route with the user's [application] changes, thinned as the router thins repeats. Marks
// and clears the records' `active`, and opens and closes the Shut Down question, as the
// router would, so that the next events are described as they would follow this one.
void DescribeWouldDo(RemoteKey key, bool repeat, char* text, int size);

// The window in front, as the [program] profiles see it, and the profile that applies to it
// (nullptr: none), on one line without a line end.
void DescribeWindowInFront(FrontWindow& front, const KeyProfile* profile, char* text, int size);

// The heading of the event lines, and one event line; neither has a line end.
void FormatEventHeading(char* line, int size);
void FormatEventLine(const KeyEvent& event, const char* wouldDo, char* line, int size);
