// The console of a console program (RemoteMonitor): its standard handles lead to one
// console. Written text is kept, and every finished line is traced as "console TEXT". A read
// waits, as a console read in line mode does, for a whole typed line; world events may type
// one meanwhile, and a read at the end of the run gets nothing. The operations are
// SimDesktop's, in sim_console.cpp.
#pragma once

#include <cstdint>
#include <string>

struct SimConsole {
    std::string text;             // everything written
    std::string input;            // typed and not yet read
    std::uint32_t processes = 2;  // 1: the program owns its console (started from a shortcut)
    std::string line;             // the line being written
};
