#include "shell/text.h"

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
