// Text into the fixed buffers of the logic: always terminated, cut to fit. The logic formats
// nothing beyond this, so the exe carries no printf family of its own.
#pragma once

#include <cstddef>

// Copies text (nullptr as empty) into target, which holds size bytes; returns the length
// copied. A size of 0 writes nothing.
std::size_t CopyTruncated(char* target, std::size_t size, const char* text);

// Writes folder, a backslash and file into target, cut to fit as a whole.
void JoinFolderFile(char* target, std::size_t size, const char* folder, const char* file);
