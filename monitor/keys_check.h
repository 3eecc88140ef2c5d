// RemoteMonitor --check-keys [FILE]: every problem of a keys file with its line, then a
// summary. RemoteMonitor --edit-keys: the user's file, made from the template if there is
// none, opened in Notepad.
#pragma once

#include <cstddef>

constexpr int kCheckKeysClean = 0;
constexpr int kCheckKeysProblems = 1;  // a problem in the file, or the file unreadable

// Prints to the console the problems that the file's bytes hold, one line each, and a line
// that sums them up; `data` nullptr: the file could not be read. Returns the exit status.
int CheckKeysFile(const char* path, const char* data, std::size_t size);

// Checks the file at `path`, or the user's own keys.ini for nullptr (a user without one is
// told how to make it, and that is no problem). Returns the exit status.
int CheckKeys(const char* path);

// Makes the folders and the user's keys.ini from the template when there is no file (an
// existing file is never written), then opens it in Notepad. kCheckKeysClean when Notepad
// was started, kCheckKeysProblems with a message otherwise.
int EditKeys();
