// The user's own keys (keys.ini in the user's application data): read at start and again
// at the first key event after the file changed. A matching [program] profile takes a key
// before the built-in routes; [application] lines change single keys of a built-in
// application while it takes the keys.
#pragma once

#include <cstddef>
#include <cstdint>

#include "apps/keys_file.h"

// The file's tables, where it is, and which version of it was read and which was reported.
struct UserKeys {
    KeysTable table;
    char path[260] = {};             // empty until the folder is known
    std::uint64_t fileTime = 0;      // last-write time of the version read; 0: no file
    std::uint64_t reportedTime = 0;  // the version whose problems were shown
};

// Apart from the LogicState and all zero, so that the exe stores none of its bytes.
extern UserKeys userKeys;
// Back to no file read, for a fresh start.
void ForgetUserKeys();

// Where the user's file is: `path` filled from the application data folder, once; false
// when the folder is not known.
bool FindUserKeysPath();
// Reads the file, if there is one, into the tables, and says nothing of its problems.
void ReadUserKeys();
// Reads the file, if there is one, and says its problems once per version of the file;
// true when it showed them.
bool LoadUserKeys();
// One file-time query: whether the file changed since it was read.
bool UserKeysChanged();
// One file-time query: reads the file again when it changed since it was read; true when
// the box of its problems was shown (the key event that found them ends with it).
bool ReloadUserKeysIfChanged();

// A keys file's bytes, at most one more than the parser takes (so that it can refuse a longer
// file as such), into a buffer of this module that the next read replaces; false when the
// file cannot be opened.
bool ReadKeysFile(const char* path, const char** data, std::size_t* size);

// What is known of the window in front (its top-level owner); each part is asked for once,
// and only when a profile needs it. The buffers are filled when asked for, not cleared
// beforehand: clearing them cost more than the rest of a key event's matching.
struct FrontWindow {
    Hwnd window = 0;
    bool haveExe = false;
    bool haveClass = false;
    bool haveTitle = false;
    char exe[260];  // the program file's name, without its folder; "" when unknown
    char cls[256];
    char title[768];  // UTF-8
};
FrontWindow WindowInFront();
const char* ExeOf(FrontWindow& front);
const char* ClassOf(FrontWindow& front);
const char* TitleOf(FrontWindow& front);

// The first [program] profile that the window matches, or nullptr.
const KeyProfile* ProgramProfile(FrontWindow& front);
// The line for the key of the first profile that the window in front (`*front`) matches,
// `*profile`, or nullptr when no profile applies (`*profile` nullptr) or it does not list
// the key. Asks nothing of the desktop when the file has no profile. Acts on nothing.
const KeyBinding* ProgramBinding(RemoteKey key, FrontWindow* front, const KeyProfile** profile);
// Carries out the key under the [program] profile that the window in front matches and
// true; false when no profile applies or it does not list the key. A repeat acts only
// when the key's line says `repeat`.
bool RouteByProgramProfile(RemoteKey key, bool repeat);

// The [application] line for the key of a built-in application, or nullptr.
const KeyBinding* ApplicationBinding(AppId id, RemoteKey key);
// Carries out the application's [application] line for the key, with the application
// brought forward for typed keys as its own commands are, and true; false when it has none.
bool PerformApplicationChange(AppId id, RemoteKey key);
