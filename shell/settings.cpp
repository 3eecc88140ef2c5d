#include "shell/settings.h"

#include "shell/static_objects.h"

namespace {

constexpr const char* kSettingsKey = "SOFTWARE\\Zarvin Multimedia\\Tuner Utilities";
constexpr const char* kDefaultAppValue = "DefaultTVAPP";
constexpr const char* kRemoteOffValue = "AlwaysRemoteOff";

// Each open asks for the rights its step needs and no more: a standard user whose writes to
// HKEY_LOCAL_MACHINE are neither allowed nor virtualized may still read the settings.
RegStatus OpenSettingsKey(std::uint32_t access, HKey* key) {
    return Plat().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, access, key);
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

RegStatus WriteDword(HKey key, const char* name, std::int32_t value) {
    std::uint32_t bits = static_cast<std::uint32_t>(value);
    const std::uint8_t data[4] = {
        static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
        static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    return Plat().RegSetValueExA(key, name, 0, REG_DWORD, data, sizeof data);
}

// First start: the key holds both values, the default application as it is in memory.
void CreateSettings() {
    Platform& platform = Plat();
    HKey key = 0;
    std::uint32_t disposition = 0;
    if (platform.RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                                 &disposition) != ERROR_SUCCESS) {
        return;
    }
    WriteDword(key, kDefaultAppValue, logic.DefaultTVAPP);
    WriteDword(key, kRemoteOffValue, 0);
    platform.RegFlushKey(key);
    platform.RegCloseKey(key);
}

// A missing value is written, each with its flush; the account may lack the right, and
// then the run goes on with the value in memory.
void RepairSettings(bool defaultMissing, bool switchMissing) {
    Platform& platform = Plat();
    HKey key = 0;
    if (OpenSettingsKey(KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    if (defaultMissing) {
        WriteDword(key, kDefaultAppValue, logic.DefaultTVAPP);
        platform.RegFlushKey(key);
    }
    if (switchMissing) {
        WriteDword(key, kRemoteOffValue, 0);
        platform.RegFlushKey(key);
    }
    platform.RegCloseKey(key);
}

}  // namespace

// A value that is there is taken and never rewritten.
void ReadSettings() {
    HKey key = 0;
    if (OpenSettingsKey(KEY_READ, &key) != ERROR_SUCCESS) {
        CreateSettings();
        return;
    }
    std::uint32_t value = 0;
    bool defaultRead = QueryFourBytes(key, kDefaultAppValue, &value);
    if (defaultRead) logic.DefaultTVAPP = static_cast<std::int32_t>(value);
    value = 0;
    bool switchRead = QueryFourBytes(key, kRemoteOffValue, &value);
    if (switchRead) logic.AlwaysRemoteOff = value == 1;
    Plat().RegCloseKey(key);
    if (!defaultRead || !switchRead) RepairSettings(!defaultRead, !switchRead);
}

void PeekSettings() {
    HKey key = 0;
    if (OpenSettingsKey(KEY_READ, &key) != ERROR_SUCCESS) return;
    std::uint32_t value = 0;
    if (QueryFourBytes(key, kDefaultAppValue, &value))
        logic.DefaultTVAPP = static_cast<std::int32_t>(value);
    value = 0;
    if (QueryFourBytes(key, kRemoteOffValue, &value)) logic.AlwaysRemoteOff = value == 1;
    Plat().RegCloseKey(key);
}

// Only over a value that is already there: a key without it was not made by us.
RegStatus WriteDefaultApp() {
    Platform& platform = Plat();
    HKey key = 0;
    RegStatus status = OpenSettingsKey(KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS) return status;
    std::uint8_t present[4] = {};
    std::uint32_t size = sizeof present;
    status = platform.RegQueryValueExA(key, kDefaultAppValue, nullptr, present, &size);
    if (status == ERROR_SUCCESS) status = WriteDword(key, kDefaultAppValue, logic.DefaultTVAPP);
    if (status == ERROR_SUCCESS) platform.RegFlushKey(key);
    platform.RegCloseKey(key);
    return status;
}
