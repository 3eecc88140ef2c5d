// RemoteMonitor --check-keys FILE: every problem of a keys file with its line, then a summary.
#pragma once

#include <cstddef>

constexpr int kCheckKeysClean = 0;
constexpr int kCheckKeysProblems = 1;  // a problem in the file, or the file unreadable

// Prints to the console the problems that the file's bytes hold, one line each, and a line
// that sums them up; `data` nullptr: the file could not be read. Returns the exit status.
int CheckKeysFile(const char* path, const char* data, std::size_t size);
