// Text and byte helpers that the desktop's areas share: Windows compares names of keys,
// values, classes, files and messages ignoring case, and stores numbers little-endian.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

inline std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Compares without building lower-case copies: window searches run on the poll's path.
inline bool SameTextIgnoringCase(const std::string& a, const char* b) {
    std::size_t length = std::strlen(b);
    if (a.size() != length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// A text argument that may be null, as Windows takes it: null reads as empty.
inline std::string OrEmpty(const char* text) {
    return text ? text : "";
}

// "0x0D": a key code or flags as the trace shows them.
inline std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

inline std::uint32_t Le32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | bytes[1] << 8 | bytes[2] << 16 |
           static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline void PutLe32(std::uint8_t* bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The desktop keeps titles and class names as UTF-8. Windows keeps them in UTF-16 and gives
// the A calls their form in the ANSI code page, Windows-1252 here; a character that it lacks
// becomes '?'.
inline bool IsAscii(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// The code points of UTF-8 text; a malformed sequence is U+FFFD.
inline std::u32string CodePointsOf(const std::string& text) {
    std::u32string points;
    for (std::size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        int extra = byte < 0x80 ? 0 : byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : -1;
        char32_t point = extra == 0   ? byte
                         : extra == 1 ? byte & 0x1F
                         : extra == 2 ? byte & 0x0F
                                      : byte & 0x07;
        bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            point = point << 6 | (next & 0x3F);
        }
        points.push_back(valid ? point : U'\uFFFD');
        i += valid ? static_cast<std::size_t>(extra) + 1 : 1;
    }
    return points;
}

inline std::u16string Utf16Of(const std::string& text) {
    std::u16string units;
    for (char32_t point : CodePointsOf(text)) {
        if (point >= 0x10000) {
            point -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (point >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(point));
        }
    }
    return units;
}

// UTF-16 (nullptr as empty) to UTF-8; an unpaired surrogate is U+FFFD.
inline std::string Utf8Of(const char16_t* units) {
    std::string text;
    for (std::size_t i = 0; units && units[i] != 0; ++i) {
        char32_t point = units[i];
        if (point >= 0xD800 && point <= 0xDBFF && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else if (point >= 0xD800 && point <= 0xDFFF) {
            point = 0xFFFD;
        }
        if (point < 0x80) {
            text += static_cast<char>(point);
        } else if (point < 0x800) {
            text += static_cast<char>(0xC0 | (point >> 6));
            text += static_cast<char>(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            text += static_cast<char>(0xE0 | (point >> 12));
            text += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (point & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (point >> 18));
            text += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (point & 0x3F));
        }
    }
    return text;
}

inline std::string AnsiOf(const std::string& text) {
    if (IsAscii(text)) return text;
    // Windows-1252's 0x80-0x9F; 0 where it has no character.
    static const char16_t kHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string ansi;
    for (char32_t point : CodePointsOf(text)) {
        char byte = '?';
        if (point < 0x80 || (point >= 0xA0 && point <= 0xFF)) {
            byte = static_cast<char>(point);
        } else {
            for (int i = 0; i < 32; ++i) {
                if (kHigh[i] != 0 && kHigh[i] == point) byte = static_cast<char>(0x80 + i);
            }
        }
        ansi.push_back(byte);
    }
    return ansi;
}

// A Unicode name compared with an A call's argument: in its ANSI form.
inline bool SameAnsiTextIgnoringCase(const std::string& text, const char* ansi) {
    return IsAscii(text) ? SameTextIgnoringCase(text, ansi)
                         : SameTextIgnoringCase(AnsiOf(text), ansi);
}
