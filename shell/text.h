// Text into the fixed buffers of the logic: always terminated, cut to fit. The logic formats
// nothing beyond this, so the exe carries no printf family of its own.
#pragma once

#include <cstddef>

// Copies text (nullptr as empty) into target, which holds size bytes; returns the length
// copied. A size of 0 writes nothing.
std::size_t CopyTruncated(char* target, std::size_t size, const char* text);

// `length` UTF-16 units to UTF-8 into `out` of `size` bytes, terminated, cut between
// characters to fit; an unpaired surrogate becomes U+FFFD.
void Utf8Of(const char16_t* wide, int length, char* out, std::size_t size);

// UTF-8 to UTF-16 into `target` of `size` units, terminated; a malformed sequence becomes
// U+FFFD. False, with nothing usable written, when it does not fit.
bool Utf16Of(const char* text, char16_t* target, std::size_t size);

// Writes folder, a backslash and file into target, cut to fit as a whole.
void JoinFolderFile(char* target, std::size_t size, const char* folder, const char* file);
