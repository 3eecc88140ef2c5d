// The country check: whether the system is set up for Japan (country code 81).
#include <cstring>

#include "shell/settings.h"
#include "shell/static_objects.h"

namespace {

constexpr std::int32_t kJapan = 81;

// The 95 family keeps the code in win.ini; a missing entry counts as 1. A Windows
// folder whose path leaves no room for the file name reads as that missing entry.
std::int32_t ReadCountryFromWinIni() {
    Platform& platform = Plat();
    char path[128] = {};
    constexpr char kFileName[] = "\\win.ini";
    std::uint32_t length = platform.GetWindowsDirectoryA(path, sizeof path);
    if (length == 0 || length + sizeof kFileName > sizeof path) return 1;
    std::memcpy(path + length, kFileName, sizeof kFileName);
    return static_cast<std::int32_t>(platform.GetPrivateProfileIntA("intl", "iCountry", 1, path));
}

// Up to five characters, each taken as a signed 8-bit value, digit or not.
std::int32_t FoldCountryText(const char* text) {
    std::int32_t number = 0;
    for (int i = 0; i < 5 && text[i] != '\0'; ++i)
        number = number * 10 + (static_cast<std::int8_t>(text[i]) - '0');
    return number;
}

// A key or value that cannot be read counts as an empty text.
std::int32_t ReadCountryFromRegistry() {
    Platform& platform = Plat();
    char text[32] = {};
    HKey key = 0;
    if (platform.RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\International", &key) !=
        ERROR_SUCCESS) {
        return 0;
    }
    std::uint32_t size = 30;
    if (platform.RegQueryValueExA(key, "iCountry", nullptr, reinterpret_cast<std::uint8_t*>(text),
                                  &size) != ERROR_SUCCESS) {
        text[0] = '\0';
    }
    platform.RegCloseKey(key);
    return FoldCountryText(text);
}

}  // namespace

std::int32_t ReadCountryCode() {
    bool win95Family = (Plat().GetVersion() & 0x80000000u) != 0;
    return win95Family ? ReadCountryFromWinIni() : ReadCountryFromRegistry();
}

void CheckCountry() {
    logic.japanCountry = ReadCountryCode() == kJapan;
}
