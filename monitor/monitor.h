// RemoteMonitor: what the TV card's remote sends, and what Remote Control would do with it,
// for the user whose remote "does nothing". It finds and polls the card with the utility's
// own receiver code, describes every key event by the utility's repeat and routing rules,
// and acts on nothing.
#pragma once

#include <cstdint>

constexpr int kMonitorDone = 0;     // ended by --seconds, Ctrl+C or the console closing
constexpr int kMonitorNoBoard = 1;  // no supported board among the video-input devices
constexpr int kMonitorUsage = 2;
constexpr int kMonitorRefused = 3;  // Remote Control is running and polls the card itself

// The whole run; `argv` as a program's main receives it. Returns the exit status.
int RunMonitor(int argc, const char* const* argv);

// One line of the run's output, printf-formatted, with the line end that Windows' tools
// expect in a file.
void Say(const char* format, ...);

// Ends the run before its next poll; may be called from another thread (the console's
// control handler). When the console is closing, nothing more is read from it.
void RequestMonitorStop(bool consoleClosing);
