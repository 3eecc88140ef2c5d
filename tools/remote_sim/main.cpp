// remote-sim: runs the utility on a simulated desktop for each scenario file and prints
// what the desktop observed.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

#include "tools/remote_sim/runner.h"
#include "tools/remote_sim/scenario.h"

namespace {

bool ReadFile(const char* path, std::string* text) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream contents;
    contents << file.rdbuf();
    *text = contents.str();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    RunOptions options;
    bool monitor = false;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(ScenarioLanguageHelp(), stdout);
            return 0;
        } else if (std::strcmp(argv[i], "--requests") == 0) {
            options.traceRequests = true;
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            options.verbose = true;
        } else if (std::strcmp(argv[i], "--monitor") == 0) {
            monitor = true;
        } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
            std::fprintf(stderr, "remote-sim: unknown option %s (see --help)\n", argv[i]);
            return 2;
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.empty()) {
        std::fputs("remote-sim: no scenario given (see --help)\n", stderr);
        return 2;
    }
    // Every file is parsed before anything runs, so that a fault runs nothing.
    std::vector<Scenario> scenarios(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string text, error;
        if (!ReadFile(files[i], &text)) {
            std::fprintf(stderr, "%s: error: cannot read the file\n", files[i]);
            return 2;
        }
        if (!ParseScenario(files[i], text, &scenarios[i], &error) ||
            !CheckScenario(scenarios[i], &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 2;
        }
    }
    for (std::size_t i = 0; i < scenarios.size(); ++i) {
        if (scenarios.size() > 1) std::printf("%s# %s\n", i ? "\n" : "", files[i]);
        for (const auto& line : monitor ? RunMonitorScenario(scenarios[i], options)
                                        : RunScenario(scenarios[i], options))
            std::printf("%s\n", line.c_str());
    }
    return 0;
}
