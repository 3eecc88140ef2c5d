#include "shell/text.h"

#include <cstdint>

std::size_t CopyTruncated(char* target, std::size_t size, const char* text) {
    if (size == 0) return 0;
    std::size_t length = 0;
    if (text) {
        while (length + 1 < size && text[length] != '\0') {
            target[length] = text[length];
            ++length;
        }
    }
    target[length] = '\0';
    return length;
}

void JoinFolderFile(char* target, std::size_t size, const char* folder, const char* file) {
    std::size_t length = CopyTruncated(target, size, folder);
    length += CopyTruncated(target + length, size - length, "\\");
    CopyTruncated(target + length, size - length, file);
}

bool Utf16Of(const char* text, char16_t* target, std::size_t size) {
    std::size_t used = 0;
    for (std::size_t i = 0; text[i] != '\0';) {
        auto lead = static_cast<unsigned char>(text[i]);
        std::size_t extra = lead < 0x80    ? 0
                            : lead >= 0xF0 ? 3
                            : lead >= 0xE0 ? 2
                            : lead >= 0xC0 ? 1
                                           : 4;
        std::uint32_t point = extra == 0   ? lead
                              : extra == 1 ? lead & 0x1Fu
                              : extra == 2 ? lead & 0x0Fu
                                           : lead & 0x07u;
        bool valid = extra < 4;
        for (std::size_t k = 1; valid && k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            point = point << 6 | (next & 0x3Fu);
        }
        if (!valid) point = 0xFFFD;
        i += valid ? extra + 1 : 1;
        std::size_t units = point >= 0x10000 ? 2 : 1;
        if (used + units >= size) return false;
        if (units == 2) {
            target[used++] = static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
            target[used++] = static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
        } else {
            target[used++] = static_cast<char16_t>(point);
        }
    }
    if (size == 0) return false;
    target[used] = u'\0';
    return true;
}

void Utf8Of(const char16_t* wide, int length, char* out, std::size_t size) {
    std::size_t used = 0;
    for (int i = 0; i < length; ++i) {
        std::uint32_t c = wide[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && wide[i + 1] >= 0xDC00 &&
            wide[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        std::size_t n = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (used + n >= size) break;
        if (n == 1) {
            out[used++] = static_cast<char>(c);
            continue;
        }
        out[used++] = static_cast<char>((n == 2   ? 0xC0
                                         : n == 3 ? 0xE0
                                                  : 0xF0) |
                                        (c >> (6 * (n - 1))));
        for (std::size_t k = n - 1; k-- > 0;)
            out[used++] = static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
    out[used] = '\0';
}
