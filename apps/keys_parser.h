// What the parts of the keys.ini parser share: spans of the file's bytes, the writer of
// problem texts, and the parser's state. For the parser's own files only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "apps/keys_file.h"

namespace keysfile {

constexpr std::size_t kQuotedMax = 32;  // bytes of the file's text quoted in a problem

struct Span {
    const char* at = nullptr;
    std::size_t size = 0;
    bool Empty() const { return size == 0; }
};

inline bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}
inline char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

inline Span Whole(const char* text) {
    Span s{text, 0};
    while (text[s.size] != '\0')
        ++s.size;
    return s;
}

inline Span Trim(Span s) {
    while (s.size > 0 && IsSpace(s.at[0])) {
        ++s.at;
        --s.size;
    }
    while (s.size > 0 && IsSpace(s.at[s.size - 1]))
        --s.size;
    return s;
}

// The first word of `s`; `rest` gets what follows it, trimmed.
inline Span FirstWord(Span s, Span* rest) {
    s = Trim(s);
    std::size_t end = 0;
    while (end < s.size && !IsSpace(s.at[end]))
        ++end;
    *rest = Trim(Span{s.at + end, s.size - end});
    return Span{s.at, end};
}

// Without case; a space of `word` stands for any run of spaces in `s`.
inline bool Equals(Span s, const char* word) {
    std::size_t i = 0;
    for (; *word != '\0'; ++word) {
        if (i >= s.size) return false;
        if (*word == ' ') {
            if (!IsSpace(s.at[i])) return false;
            while (i < s.size && IsSpace(s.at[i]))
                ++i;
        } else if (Lower(s.at[i++]) != Lower(*word)) {
            return false;
        }
    }
    return i == s.size;
}

inline bool StartsWith(Span s, const char* prefix) {
    std::size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= s.size || Lower(s.at[i]) != Lower(prefix[i])) return false;
    }
    return true;
}

// Text into a fixed buffer, always terminated, cut to fit; a buffer of size 0 takes nothing.
struct Writer {
    char* out = nullptr;
    std::size_t size = 0;
    std::size_t length = 0;

    // Cut to fit between characters, never inside one.
    Writer& Add(Span s) {
        std::size_t start = length;
        std::size_t i = 0;
        for (; i < s.size && length + 1 < size; ++i)
            out[length++] = s.at[i];
        if (i < s.size && (static_cast<unsigned char>(s.at[i]) & 0xC0) == 0x80) {
            while (length > start && (static_cast<unsigned char>(out[length - 1]) & 0xC0) == 0x80)
                --length;
            if (length > start) --length;
        }
        if (size > 0) out[length] = '\0';
        return *this;
    }
    Writer& Add(const char* text) { return Add(Whole(text)); }
    Writer& Number(std::uint32_t value) {
        char digits[10];
        std::size_t n = 0;
        do {
            digits[sizeof digits - ++n] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        return Add(Span{digits + sizeof digits - n, n});
    }
    // The file's text, its start only when long; control characters as "?".
    Writer& Excerpt(Span s) {
        bool cut = s.size > kQuotedMax;
        if (cut) {
            s.size = kQuotedMax;
            while (s.size > 0 && (static_cast<unsigned char>(s.at[s.size]) & 0xC0) == 0x80)
                --s.size;
        }
        for (std::size_t i = 0; i < s.size; ++i)
            Add(static_cast<unsigned char>(s.at[i]) < 0x20 ? Span{"?", 1} : Span{s.at + i, 1});
        return Add(cut ? "..." : "");
    }
    Writer& Quoted(Span s) { return Add("\"").Excerpt(s).Add("\""); }
};

struct Parser {
    KeysTable* table = nullptr;
    std::uint32_t line = 0;
    enum class Section : std::uint8_t { None, Ignored, Profile } section = Section::None;
    std::uint32_t sectionLine = 0;
    int sectionText = 1;                    // the pool's use when the section began
    std::uint32_t matchLine[3] = {};        // exe, class, title
    std::uint32_t appLine[kAppCount] = {};  // the line of each application's section
};

// A new problem on the line, to be written; past kMaxKeysProblems it is only counted.
Writer Report(Parser& p, std::uint32_t line);
Writer Report(Parser& p);
// The text into the pool, reported when it does not fit.
bool Keep(Parser& p, Span s, std::uint16_t* offset);
// The value of a key line: its action, and whether it repeats. Reported when it is wrong.
bool ParseAction(Parser& p, Span value, KeyBinding* binding);

}  // namespace keysfile
