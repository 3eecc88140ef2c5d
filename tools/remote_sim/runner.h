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
