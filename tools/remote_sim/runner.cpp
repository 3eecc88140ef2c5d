#include "tools/remote_sim/runner.h"

bool CheckScenario(const Scenario&, std::string*) {
    return true;
}

std::vector<std::string> RunScenario(const Scenario&, const RunOptions&) {
    return {};
}
