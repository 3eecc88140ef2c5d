#include "monitor/keys_check.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "apps/keys_file.h"
#include "monitor/monitor.h"
#include "platform/platform.h"
#include "routing/user_keys.h"
#include "shell/static_objects.h"

namespace {

KeysTable keys;  // too large for the stack of a console program's main thread

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

namespace {

bool UserKeysPath(const char** path) {
    if (!FindUserKeysPath()) {
        Say("Your application data folder is not known: there is no place for keys.ini.");
        return false;
    }
    *path = userKeys.path;
    return true;
}

// Windows makes one folder at a time: those of the application data folder that the path
// ends in ("Zarvin Multimedia", then "Remote Control"). A folder that exists fails, as do
// others; the file's creation then says what went wrong.
void MakeFoldersOf(const char* path) {
    char folder[260];
    std::snprintf(folder, sizeof folder, "%s", path);
    char* cuts[2] = {};
    for (char* c = folder; *c != '\0'; ++c) {
        if (*c != '\\') continue;
        cuts[0] = cuts[1];
        cuts[1] = c;
    }
    for (char* cut : cuts) {
        if (cut == nullptr) continue;
        *cut = '\0';
        Plat().CreateDirectoryA(folder, nullptr);
        *cut = '\\';
    }
}

// CREATE_NEW, so that a file that someone made meanwhile is kept as it is.
bool MakeFromTemplate(const char* path, bool* made) {
    Platform& platform = Plat();
    MakeFoldersOf(path);
    Handle file =
        platform.CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE) {
        std::uint32_t error = platform.GetLastError();
        if (error == ERROR_FILE_EXISTS) return true;
        Say("%s cannot be created (error %u).", path, static_cast<unsigned>(error));
        return false;
    }
    auto size = static_cast<std::uint32_t>(std::strlen(kKeysTemplate));
    std::uint32_t written = 0;
    bool whole =
        platform.WriteFile(file, kKeysTemplate, size, &written, nullptr) && written == size;
    std::uint32_t error = whole ? 0 : platform.GetLastError();
    platform.CloseHandle(file);
    if (!whole) {
        platform.DeleteFileA(path);  // half a template would open as the user's file next time
        Say("%s cannot be written (error %u).", path, static_cast<unsigned>(error));
        return false;
    }
    *made = true;
    return true;
}

}  // namespace

int CheckKeys(const char* path) {
    bool own = path == nullptr;
    if (own && !UserKeysPath(&path)) return kCheckKeysProblems;
    const char* data = nullptr;
    std::size_t size = 0;
    if (!ReadKeysFile(path, &data, &size)) {
        std::uint32_t error = Plat().GetLastError();
        if (own && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) {
            Say("%s does not exist: the built-in keys apply. RemoteMonitor --edit-keys makes it.",
                path);
            return kCheckKeysClean;
        }
        data = nullptr;
    }
    return CheckKeysFile(path, data, size);
}

int EditKeys() {
    const char* path = nullptr;
    bool made = false;
    if (!UserKeysPath(&path) || !MakeFromTemplate(path, &made)) return kCheckKeysProblems;
    if (made) Say("Made %s from the template.", path);
    char quoted[264];
    std::snprintf(quoted, sizeof quoted, "\"%s\"", path);
    std::intptr_t started =
        Plat().ShellExecuteA(0, "open", "notepad.exe", quoted, nullptr, SW_SHOW);
    if (started <= 32) {
        Say("Notepad cannot be started (error %d): open %s in a text editor.",
            static_cast<int>(started), path);
        return kCheckKeysProblems;
    }
    Say("Opened %s in Notepad. Remote Control reads it again at the next key after you save it.",
        path);
    return kCheckKeysClean;
}
