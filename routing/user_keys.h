// The user's own keys (keys.ini in the user's application data): read at start and again
// at the first key event after the file changed. A matching [program] profile takes a key
// before the built-in routes; [application] lines change single keys of a built-in
// application while it takes the keys.
#pragma once

#include <cstdint>

#include "apps/keys_file.h"

// The file's tables, where it is, and which version of it was read and which was reported.
struct UserKeys {
    KeysTable table;
    char path[260] = {};             // empty until the folder is known
    std::uint64_t fileTime = 0;      // last-write time of the version read; 0: no file
    std::uint64_t reportedTime = 0;  // the version whose problems were shown
};

// Reads the file, if there is one, and says its problems once per version of the file;
// true when it showed them.
bool LoadUserKeys();
// One file-time query: reads the file again when it changed since it was read; true when
// the box of its problems was shown (the key event that found them ends with it).
bool ReloadUserKeysIfChanged();

// Carries out the key under the [program] profile that the window in front matches and
// true; false when no profile applies or it does not list the key. A repeat acts only
// when the key's line says `repeat`.
bool RouteByProgramProfile(RemoteKey key, bool repeat);

// The [application] line for the key of a built-in application, or nullptr.
const KeyBinding* ApplicationBinding(AppId id, RemoteKey key);
// Carries out the application's [application] line for the key, with the application
// brought forward for typed keys as its own commands are, and true; false when it has none.
bool PerformApplicationChange(AppId id, RemoteKey key);
