#include "shell/settings.h"

#include "shell/static_objects.h"

namespace {

constexpr const char* kSettingsKey = "SOFTWARE\\Zarvin Multimedia\\Tuner Utilities";
constexpr const char* kDefaultAppValue = "DefaultTVAPP";
constexpr const char* kRemoteOffValue = "AlwaysRemoteOff";

RegStatus OpenSettingsKey(HKey* key) {
    return Plat().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_ALL_ACCESS, key);
}

// Reads a value of at most 4 bytes, whatever its type; a shorter one leaves the rest of
// the zeroed buffer as it was. Fails for a missing value and for a longer one.
bool QueryFourBytes(HKey key, const char* name, std::uint32_t* value) {
    std::uint8_t data[4] = {};
    std::uint32_t size = sizeof data;
    if (Plat().RegQueryValueExA(key, name, nullptr, data, &size) != ERROR_SUCCESS) return false;
    *value = static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
             static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    return true;
}

void WriteDword(HKey key, const char* name, std::int32_t value) {
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    const std::uint8_t data[4] = {
        static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
        static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    Plat().RegSetValueExA(key, name, 0, REG_DWORD, data, sizeof data);
}

// First start: the key holds both values, the default application as it is in memory.
void CreateSettings() {
    Platform& platform = Plat();
    HKey key = 0;
    std::uint32_t disposition = 0;
    if (platform.RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                                 &disposition) != ERROR_SUCCESS) {
        return;
    }
    WriteDword(key, kDefaultAppValue, logic.DefaultTVAPP);
    WriteDword(key, kRemoteOffValue, 0);
    platform.RegFlushKey(key);
    platform.RegCloseKey(key);
}

// A value that is there is taken and never rewritten; a missing one is written.
void ReadOrRepair(HKey key) {
    Platform& platform = Plat();
    std::uint32_t value = 0;
    if (QueryFourBytes(key, kDefaultAppValue, &value)) {
        logic.DefaultTVAPP = static_cast<std::int32_t>(value);
    } else {
        WriteDword(key, kDefaultAppValue, logic.DefaultTVAPP);
        platform.RegFlushKey(key);
    }
    value = 0;
    if (QueryFourBytes(key, kRemoteOffValue, &value)) {
        logic.AlwaysRemoteOff = value == 1;
    } else {
        WriteDword(key, kRemoteOffValue, 0);
        platform.RegFlushKey(key);
    }
}

}  // namespace

void ReadSettings() {
    HKey key = 0;
    if (OpenSettingsKey(&key) != ERROR_SUCCESS) {
        CreateSettings();
        return;
    }
    ReadOrRepair(key);
    Plat().RegCloseKey(key);
}

void PeekSettings() {
    HKey key = 0;
    if (OpenSettingsKey(&key) != ERROR_SUCCESS) return;
    std::uint32_t value = 0;
    if (QueryFourBytes(key, kDefaultAppValue, &value))
        logic.DefaultTVAPP = static_cast<std::int32_t>(value);
    value = 0;
    if (QueryFourBytes(key, kRemoteOffValue, &value)) logic.AlwaysRemoteOff = value == 1;
    Plat().RegCloseKey(key);
}

// Only over a value that is already there: a key without it was not made by us.
bool WriteDefaultApp() {
    Platform& platform = Plat();
    HKey key = 0;
    if (OpenSettingsKey(&key) != ERROR_SUCCESS) return false;
    std::uint32_t present = 0;
    if (!QueryFourBytes(key, kDefaultAppValue, &present)) {
        platform.RegCloseKey(key);
        return false;
    }
    WriteDword(key, kDefaultAppValue, logic.DefaultTVAPP);
    platform.RegFlushKey(key);
    platform.RegCloseKey(key);
    return true;
}
