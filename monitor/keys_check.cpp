#include "monitor/keys_check.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "apps/keys_file.h"
#include "platform/platform.h"

namespace {

KeysTable keys;  // too large for the stack of a console program's main thread

// One line of output, with the line end that Windows' tools expect in a file.
void Say(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line - 2, format, args);
    va_end(args);
    std::strcat(line, "\r\n");
    std::uint32_t written = 0;
    Plat().WriteFile(Plat().GetStdHandle(STD_OUTPUT_HANDLE), line,
                     static_cast<std::uint32_t>(std::strlen(line)), &written, nullptr);
}

const char* Plural(int count) {
    return count == 1 ? "" : "s";
}

}  // namespace

int CheckKeysFile(const char* path, const char* data, std::size_t size) {
    if (data == nullptr) {
        Say("%s cannot be read.", path);
        return kCheckKeysProblems;
    }
    ParseKeysFile(data, size, &keys);
    for (int i = 0; i < keys.problemCount; ++i) {
        const KeysProblem& problem = keys.problems[i];
        if (problem.line == 0) {
            Say("keys.ini: %s", problem.text);
        } else {
            Say("keys.ini line %u: %s", static_cast<unsigned>(problem.line), problem.text);
        }
    }
    int unlisted = keys.problemTotal - keys.problemCount;
    if (unlisted > 0) Say("... and %d more problem%s.", unlisted, Plural(unlisted));
    if (keys.problemTotal == 0) {
        Say("%s: no problems; %d profile%s with %d key line%s.", path, keys.profileCount,
            Plural(keys.profileCount), keys.bindingCount, Plural(keys.bindingCount));
        return kCheckKeysClean;
    }
    Say("%s: %d problem%s; what applies: %d profile%s with %d key line%s.", path, keys.problemTotal,
        Plural(keys.problemTotal), keys.profileCount, Plural(keys.profileCount), keys.bindingCount,
        Plural(keys.bindingCount));
    return kCheckKeysProblems;
}
