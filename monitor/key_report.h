// RemoteMonitor's line for one key event: when it came, the raw code, the key, fresh or
// repeated, and what Remote Control would do with it at that moment.
#pragma once

#include <cstdint>

#include "receiver/remote_keys.h"

struct KeyEvent {
    std::uint32_t ms;  // since the monitor started
    std::int32_t rawCode;
    RemoteKey key;
    bool repeat;
    std::int32_t repeatCount;
};

// What Remote Control would do with the key, from the router's own decision, doing nothing
// (`thinned`: the router's thinning drops this repeat). Marks and clears the records'
// `active`, and opens and closes the Shut Down question, as the router would, so that the
// next events are described as they would follow this one.
void DescribeWouldDo(RemoteKey key, bool thinned, char* text, int size);

// The heading of the event lines, and one event line; neither has a line end.
void FormatEventHeading(char* line, int size);
void FormatEventLine(const KeyEvent& event, const char* wouldDo, char* line, int size);
