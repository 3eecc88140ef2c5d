#include "receiver/remote_keys.h"

namespace {

constexpr RemoteKey RemoteCodeTable[kTranslatedCodeCount] = {
    13, 1,  0, 17, 16, 4, 7,  15, 14, 5,  8,  2, 28, 19, 24, 15,
    10, 22, 9, 23, 31, 6, 27, 30, 16, 25, 29, 3, 12, 19, 18, 26,
};

}  // namespace

RemoteKey TranslateRemoteCode(std::int32_t rawCode) {
    auto code = static_cast<std::uint32_t>(rawCode);
    return code < kTranslatedCodeCount ? RemoteCodeTable[code] : NoRemoteKey;
}

RemoteKey NormaliseRemoteCode(std::int32_t rawCode, RemoteLayout layout) {
    return layout == Translated ? TranslateRemoteCode(rawCode) : rawCode;
}

std::int32_t TranslatedRawCodeOf(RemoteKey key) {
    for (std::int32_t raw = 0; raw < kTranslatedCodeCount; ++raw) {
        if (RemoteCodeTable[raw] == key) return raw;
    }
    return -1;
}

const char* RemoteKeyName(RemoteKey key) {
    static constexpr const char* kDigits[] = {"digit 0", "digit 1", "digit 2", "digit 3",
                                              "digit 4", "digit 5", "digit 6", "digit 7",
                                              "digit 8", "digit 9"};
    if (key >= 1 && key <= 9) return kDigits[key];
    switch (key) {
        case 10:
            return kDigits[0];
        case PowerKey:
            return "Power";
        case 23:
            return "OK";
        case 26:
            return "Up";
        case 27:
            return "Right";
        case 30:
            return "Down";
        case 31:
            return "Left";
        default:
            return key >= 0 && key < 32 ? "command" : "no key";
    }
}
