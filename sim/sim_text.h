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
