// The registry: keys with typed values, case-insensitive names, and the ANSI functions'
// rule that a value longer than the caller's buffer is not returned.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "sim/sim_desktop.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Where each TV application's installer leaves its folder.
struct SimAppInstall {
    int appId;
    const char* key;
    const char* valueName;
    const char* exeName;
};
constexpr SimAppInstall kInstalls[] = {
    {1, "SOFTWARE\\Tolvane\\Lumacast", "InstallPath", "Lumacast.exe"},
    {2, "Software\\Marovex\\TV Suite\\TVR", "AppPath", "marovexTV.EXE"},
    {6, "Software\\Zarvin Multimedia\\TV Suite\\DTVR", "AppPath", "MainPanel.exe"},
    {7, "SOFTWARE\\Marovex\\DVB Suite\\DVBS", "AppPath", "DVBS.EXE"},
    {9, "Software\\Zarvin Multimedia\\TV Hub\\DTVR", "AppPath", "Hubdeck.exe"},
};
constexpr const char* kCommonKey = "Software\\Zarvin Multimedia\\TV Duo\\DTVR";

}  // namespace

std::string SimDesktop::RegPath(HKey root, const std::string& key) {
    std::string rootName = root == HKEY_LOCAL_MACHINE  ? "hklm"
                           : root == HKEY_CURRENT_USER ? "hkcu"
                                                       : "";
    if (rootName.empty()) return "";
    std::string path = Lower(key);
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path.empty() ? rootName : rootName + "\\" + path;
}

void SimDesktop::AddRegKey(const std::string& path) {
    for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
        registry_[path.substr(0, at)];
    }
    registry_[path];
}

void SimDesktop::SetRegValue(HKey root, const std::string& key, const std::string& name,
                             std::uint32_t type, const std::vector<std::uint8_t>& data) {
    std::string path = RegPath(root, key);
    AddRegKey(path);
    registry_[path][Lower(name)] = SimRegValue{type, data};
}

void SimDesktop::SetRegString(HKey root, const std::string& key, const std::string& name,
                              const std::string& text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    SetRegValue(root, key, name, REG_SZ, data);
}

void SimDesktop::SetRegDword(HKey root, const std::string& key, const std::string& name,
                             std::uint32_t value) {
    std::vector<std::uint8_t> data(4);
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<std::uint8_t>(value >> (8 * i));
    SetRegValue(root, key, name, REG_DWORD, data);
}

const SimRegValue* SimDesktop::GetRegValue(HKey root, const std::string& key,
                                           const std::string& name) const {
    auto found = registry_.find(RegPath(root, key));
    if (found == registry_.end()) return nullptr;
    auto value = found->second.find(Lower(name));
    return value == found->second.end() ? nullptr : &value->second;
}

bool SimDesktop::RegKeyExists(HKey root, const std::string& key) const {
    return registry_.count(RegPath(root, key)) != 0;
}

void SimDesktop::InstallApp(int appId, const std::string& folder, bool commonKey) {
    for (const auto& install : kInstalls) {
        if (install.appId != appId) continue;
        SetRegString(HKEY_LOCAL_MACHINE, commonKey ? kCommonKey : install.key, install.valueName,
                     folder);
        AddProgram(folder + "\\" + install.exeName, appId);
    }
}

RegStatus SimDesktop::RegOpenKeyA(HKey root, const char* subKey, HKey* result) {
    ++calls;
    std::string path = RegPath(root, subKey ? subKey : "");
    if (path.empty() || registry_.count(path) == 0) return ERROR_FILE_NOT_FOUND;
    HKey handle = nextKey_;
    nextKey_ += 4;
    openKeys_[handle] = path;
    *result = handle;
    return ERROR_SUCCESS;
}

RegStatus SimDesktop::RegQueryValueExA(HKey key, const char* name, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* size) {
    ++calls;
    auto open = openKeys_.find(key);
    if (open == openKeys_.end()) return 6;  // ERROR_INVALID_HANDLE
    const auto& values = registry_[open->second];
    auto value = values.find(Lower(name ? name : ""));
    if (value == values.end()) return ERROR_FILE_NOT_FOUND;
    const auto& stored = value->second;
    std::uint32_t length = static_cast<std::uint32_t>(stored.data.size());
    if (type) *type = stored.type;
    if (!data) {
        if (size) *size = length;
        return ERROR_SUCCESS;
    }
    if (!size) return 87;  // ERROR_INVALID_PARAMETER
    if (*size < length) {
        *size = length;
        return ERROR_MORE_DATA;
    }
    if (length != 0) std::memcpy(data, stored.data.data(), length);
    *size = length;
    return ERROR_SUCCESS;
}

RegStatus SimDesktop::RegCloseKey(HKey key) {
    ++calls;
    return openKeys_.erase(key) ? ERROR_SUCCESS : 6;
}
