// Remote key numbering: the key numbers every part of the utility speaks of, and the
// table that turns the raw codes of a Translated board's remote into them.
#pragma once

#include <cstdint>

using RemoteKey = std::int32_t;

constexpr RemoteKey NoRemoteKey = 65536;  // a raw code that stands for no key
constexpr RemoteKey SkipKey = -1;         // a repeat that the router thinned out
constexpr RemoteKey PowerKey = 18;
constexpr RemoteKey kKeyCount = 32;  // the keys that the command maps know: 0 to 31

// The raw codes that a Translated board's remote sends: 0 to 31.
constexpr std::int32_t kTranslatedCodeCount = 32;

enum RemoteLayout : std::int32_t { Translated = 0, Direct = 1 };

// 0 to 31 give the table's key; every other code, seen as unsigned, gives NoRemoteKey.
RemoteKey TranslateRemoteCode(std::int32_t rawCode);

// The lowest raw code that a Translated board's remote sends for a key, or -1 when it
// has none (keys 11, 20 and 21, and every value outside 0 to 31).
std::int32_t TranslatedRawCodeOf(RemoteKey key);

// The key that a raw code means on a board with the given layout.
RemoteKey NormaliseRemoteCode(std::int32_t rawCode, RemoteLayout layout);

// The key's name as the key map gives it: "digit 0" to "digit 9", "Power", "OK", the four
// arrows, "command" for the other keys of 0 to 31, and "no key" for every other value.
const char* RemoteKeyName(RemoteKey key);
