#include "shell/text.h"

#include <gtest/gtest.h>

#include <cstring>

// Each result is compared with the whole buffer, so a write past the terminator shows too.
TEST(Text, CopiesAndJoinsCutToTheBuffer) {
    struct Case {
        const char* folder;  // nullptr: a plain copy of file
        const char* file;
        std::size_t size;
        const char* expected;
    } cases[] = {{nullptr, "tip", 8, "tip"},
                 {nullptr, "abcdefgh", 8, "abcdefg"},
                 {nullptr, nullptr, 8, ""},
                 {nullptr, "abc", 1, ""},
                 {"C:\\TV", "tv.exe", 16, "C:\\TV\\tv.exe"},
                 {"C:\\TV", "tv.exe", 9, "C:\\TV\\tv"},
                 {"C:\\TV", "tv.exe", 6, "C:\\TV"},
                 {"C:\\TV", "tv.exe", 4, "C:\\"}};
    for (const auto& c : cases) {
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        if (c.folder) {
            JoinFolderFile(buffer, c.size, c.folder, c.file);
        } else {
            EXPECT_EQ(CopyTruncated(buffer, c.size, c.file), std::strlen(c.expected));
        }
        std::size_t length = std::strlen(c.expected);
        EXPECT_STREQ(buffer, c.expected);
        for (std::size_t i = length + 1; i < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], '#') << i;
    }
    char untouched = '#';
    EXPECT_EQ(CopyTruncated(&untouched, 0, "x"), 0u);
    JoinFolderFile(&untouched, 0, "a", "b");
    EXPECT_EQ(untouched, '#');
}
