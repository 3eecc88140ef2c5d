// Runs a scenario: builds its desktop, starts the utility on it and plays the timeline.
#pragma once

#include <string>
#include <vector>

#include "tools/remote_sim/scenario.h"

struct RunOptions {
    bool traceRequests = false;
    bool verbose = false;
};

// Checks what only the whole scenario can tell, such as a key that its board cannot send.
bool CheckScenario(const Scenario& scenario, std::string* error);

// The trace of the run, one line per effect.
std::vector<std::string> RunScenario(const Scenario& scenario, const RunOptions& options);

// RemoteMonitor on the scenario's desktop instead of the utility: its console lines as it
// prints them, "# TIME EFFECT" for anything else the desktop saw, then "exit N". The run's
// end is the user's Ctrl+C.
std::vector<std::string> RunMonitorScenario(const Scenario& scenario, const RunOptions& options);
