// The user's keys.ini: profiles for other programs and changes to the built-in
// applications, read into fixed tables. Parsing is portable and touches no platform call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "apps/action.h"
#include "apps/tv_app.h"
#include "receiver/remote_keys.h"

constexpr std::size_t kKeysFileMaxBytes = 64 * 1024;  // a longer file is refused as a whole
constexpr int kMaxKeyProfiles = 32;
constexpr int kMaxKeyBindings = 512;
constexpr int kKeysTextPoolSize = 16 * 1024;
constexpr int kMaxKeysProblems = 64;  // kept with their text; more are only counted

enum class ProfileKind : std::uint8_t {
    Program,      // [program LABEL]: applies while the window in front matches
    Application,  // [application LABEL]: changes to a built-in application's keys
};

// Text fields are offsets into KeysTable::text (UTF-8, NUL-terminated); 0 means none.
struct KeyProfile {
    ProfileKind kind = ProfileKind::Program;
    AppId app = 0;  // Application: the built-in application changed
    std::uint16_t label = 0;
    std::uint16_t exe = 0;    // Program: the program file's name, compared without case
    std::uint16_t cls = 0;    // Program: the window class, compared without case
    std::uint16_t title = 0;  // Program: the title pattern, `*` and `?` wildcards
    std::uint16_t firstBinding = 0;
    std::uint16_t bindingCount = 0;
};

struct KeyBinding {
    RemoteKey key = 0;
    bool repeat = false;  // also acts on every repeat while the key is held
    std::uint32_t line = 0;
    Action action;
};

struct KeysProblem {
    std::uint32_t line = 0;  // 0: the file as a whole (too long, unreadable)
    char text[120] = {};     // e.g. "\"Vol+\" is not a key name"
};

struct KeysTable {
    KeyProfile profiles[kMaxKeyProfiles];
    int profileCount = 0;
    KeyBinding bindings[kMaxKeyBindings];
    int bindingCount = 0;
    char text[kKeysTextPoolSize] = {};  // text[0] stays '\0': offset 0 is "none"
    int textUsed = 0;                   // 1 once a file was read
    KeysProblem problems[kMaxKeysProblems];
    int problemCount = 0;  // kept in `problems`
    int problemTotal = 0;  // found, kept or not
};

// Reads the file's bytes into `table`, replacing what it held. Lines that cannot be
// understood are skipped and recorded as problems; the rest applies. A file longer than
// kKeysFileMaxBytes applies nothing and is one problem.
void ParseKeysFile(const char* data, std::size_t size, KeysTable* table);

// The text at an offset of the table's pool ("" for 0).
const char* KeysText(const KeysTable& table, std::uint16_t offset);

// "keys.ini line 12: \"Vol+\" is not a key name; ..." for the first few problems, cut to
// fit `size`; returns the length written.
std::size_t DescribeKeysProblems(const KeysTable& table, char* out, std::size_t size);

// A commented keys.ini that explains the file, with working examples for some players and a
// browser; RemoteMonitor writes it when the user has no file yet.
extern const char kKeysTemplate[];
