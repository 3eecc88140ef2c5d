#include "receiver/remote_keys.h"

#include <gtest/gtest.h>

TEST(RemoteKeys, TranslatedCodesFollowTheTable) {
    struct Case {
        std::int32_t raw;
        RemoteKey key;
    } cases[] = {{2, 0},
                 {16, 10},
                 {30, 18},
                 {4, 16},
                 {24, 16},
                 {7, 15},
                 {15, 15},
                 {13, 19},
                 {29, 19},
                 {0, 13},
                 {31, 26},
                 {32, NoRemoteKey},
                 {63, NoRemoteKey},
                 {255, NoRemoteKey},
                 {-1, NoRemoteKey},
                 {65536, NoRemoteKey}};
    for (const auto& c : cases) {
        EXPECT_EQ(TranslateRemoteCode(c.raw), c.key) << "raw " << c.raw;
    }
}

TEST(RemoteKeys, TranslatedBoardNeverProducesKeys11_20_21) {
    for (std::int32_t raw = -2; raw < 300; ++raw) {
        RemoteKey key = TranslateRemoteCode(raw);
        EXPECT_NE(key, 11);
        EXPECT_NE(key, 20);
        EXPECT_NE(key, 21);
    }
}

TEST(RemoteKeys, DirectBoardPassesRawCodesUnchanged) {
    for (std::int32_t raw : {0, 18, 21, 63, 255}) {
        EXPECT_EQ(NormaliseRemoteCode(raw, Direct), raw);
    }
    EXPECT_EQ(NormaliseRemoteCode(30, Translated), 18);
}

TEST(RemoteKeys, LowestRawCodeOfEachKeyTranslatesBack) {
    for (RemoteKey key = -1; key <= 32; ++key) {
        std::int32_t raw = TranslatedRawCodeOf(key);
        if (key == 11 || key == 20 || key == 21 || key < 0 || key > 31) {
            EXPECT_EQ(raw, -1) << key;
        } else {
            EXPECT_EQ(TranslateRemoteCode(raw), key) << key;
        }
    }
    EXPECT_EQ(TranslatedRawCodeOf(16), 4);   // not 24
    EXPECT_EQ(TranslatedRawCodeOf(15), 7);   // not 15
    EXPECT_EQ(TranslatedRawCodeOf(19), 13);  // not 29
}
