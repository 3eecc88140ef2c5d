// The registry: keys with typed values and case-insensitive names, read through the ANSI
// functions, opened with access rights, created, written and flushed; and where each TV
// application's installer leaves its folder.
#include <cstring>
#include <iterator>

#include "sim/sim_desktop.h"
#include "sim/sim_text.h"

namespace {

constexpr std::uint32_t kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

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

std::string DescribeValue(std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
    if (type == REG_DWORD && size == 4 && data) return std::to_string(Le32(data));
    return "type=" + std::to_string(type) + " size=" + std::to_string(size);
}

}  // namespace

// --- the registry's state ---

std::string SimRegistry::Path(HKey root, const std::string& key) {
    std::string rootName = root == HKEY_LOCAL_MACHINE  ? "hklm"
                           : root == HKEY_CURRENT_USER ? "hkcu"
                                                       : "";
    if (rootName.empty()) return "";
    std::string path = Lower(key);
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path.empty() ? rootName : rootName + "\\" + path;
}

void SimRegistry::AddKey(const std::string& path) {
    for (std::size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
        keys_[path.substr(0, at)];
    }
    keys_[path];
}

HKey SimRegistry::Open(const std::string& path) {
    HKey handle = nextKey_;
    nextKey_ += 4;
    openKeys_[handle] = path;
    return handle;
}

void SimRegistry::SetValue(HKey root, const std::string& key, const std::string& name,
                           std::uint32_t type, const std::vector<std::uint8_t>& data) {
    std::string path = Path(root, key);
    AddKey(path);
    keys_[path][Lower(name)] = SimRegValue{type, data};
}

void SimRegistry::SetString(HKey root, const std::string& key, const std::string& name,
                            const std::string& text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    SetValue(root, key, name, REG_SZ, data);
}

void SimRegistry::SetDword(HKey root, const std::string& key, const std::string& name,
                           std::uint32_t value) {
    std::vector<std::uint8_t> data(4);
    PutLe32(data.data(), value);
    SetValue(root, key, name, REG_DWORD, data);
}

const SimRegValue* SimRegistry::Value(HKey root, const std::string& key,
                                      const std::string& name) const {
    auto found = keys_.find(Path(root, key));
    if (found == keys_.end()) return nullptr;
    auto value = found->second.find(Lower(name));
    return value == found->second.end() ? nullptr : &value->second;
}

bool SimRegistry::KeyExists(HKey root, const std::string& key) const {
    return keys_.count(Path(root, key)) != 0;
}

void SimRegistry::DeleteKey(HKey root, const std::string& key) {
    std::string path = Path(root, key);
    if (path.empty()) return;
    std::string below = path + "\\";
    for (auto it = keys_.begin(); it != keys_.end();) {
        bool inside = it->first == path || it->first.compare(0, below.size(), below) == 0;
        it = inside ? keys_.erase(it) : std::next(it);
    }
}

void SimDesktop::InstallApp(int appId, const std::string& folder, bool commonKey) {
    for (const auto& install : kInstalls) {
        if (install.appId != appId) continue;
        registry.SetString(HKEY_LOCAL_MACHINE, commonKey ? kCommonKey : install.key,
                           install.valueName, folder);
        windows.AddProgram(folder + "\\" + install.exeName, appId);
    }
}

// --- reading ---

RegStatus SimDesktop::RegOpenKeyA(HKey root, const char* subKey, HKey* result) {
    ++calls;
    std::string path = SimRegistry::Path(root, OrEmpty(subKey));
    if (path.empty() || registry.keys_.count(path) == 0) return ERROR_FILE_NOT_FOUND;
    *result = registry.Open(path);
    return ERROR_SUCCESS;
}

// A value longer than the caller's buffer is not returned, only its size.
RegStatus SimDesktop::RegQueryValueExA(HKey key, const char* name, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* size) {
    ++calls;
    auto open = registry.openKeys_.find(key);
    if (open == registry.openKeys_.end()) return 6;  // ERROR_INVALID_HANDLE
    const auto& values = registry.keys_[open->second];
    auto value = values.find(Lower(OrEmpty(name)));
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
    return registry.openKeys_.erase(key) ? ERROR_SUCCESS : 6;
}

// --- writing: a standard user can read HKEY_LOCAL_MACHINE but neither open it for
// writing nor create keys there ---

RegStatus SimDesktop::RegOpenKeyExA(HKey root, const char* subKey, std::uint32_t,
                                    std::uint32_t access, HKey* result) {
    ++calls;
    std::string path = SimRegistry::Path(root, OrEmpty(subKey));
    if (path.empty() || registry.keys_.count(path) == 0) return ERROR_FILE_NOT_FOUND;
    if (registry.hklmReadOnly && root == HKEY_LOCAL_MACHINE && (access & kWriteRights)) {
        return ERROR_ACCESS_DENIED;
    }
    HKey handle = registry.Open(path);
    registry.keyAccess_[handle] = access;
    *result = handle;
    return ERROR_SUCCESS;
}

RegStatus SimDesktop::RegCreateKeyExA(HKey root, const char* subKey, std::uint32_t, char*,
                                      std::uint32_t, std::uint32_t access, void*, HKey* result,
                                      std::uint32_t* disposition) {
    ++calls;
    std::string path = SimRegistry::Path(root, OrEmpty(subKey));
    if (path.empty()) return ERROR_INVALID_HANDLE;
    if (registry.hklmReadOnly && root == HKEY_LOCAL_MACHINE) return ERROR_ACCESS_DENIED;
    bool existed = registry.keys_.count(path) != 0;
    if (!existed) {
        registry.AddKey(path);
        Trace("registry create \"" + OrEmpty(subKey) + "\"");
    }
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    HKey handle = registry.Open(path);
    registry.keyAccess_[handle] = access;
    *result = handle;
    return ERROR_SUCCESS;
}

// Keys opened by RegOpenKeyA carry no recorded rights and may be written, as there.
RegStatus SimDesktop::RegSetValueExA(HKey key, const char* name, std::uint32_t, std::uint32_t type,
                                     const std::uint8_t* data, std::uint32_t size) {
    ++calls;
    auto open = registry.openKeys_.find(key);
    if (open == registry.openKeys_.end()) return ERROR_INVALID_HANDLE;
    auto rights = registry.keyAccess_.find(key);
    if (rights != registry.keyAccess_.end() && !(rights->second & KEY_SET_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    std::vector<std::uint8_t> bytes;
    if (data) bytes.assign(data, data + size);
    registry.keys_[open->second][Lower(OrEmpty(name))] = SimRegValue{type, bytes};
    Trace("registry set \"" + OrEmpty(name) + "\" " + DescribeValue(type, data, size));
    return ERROR_SUCCESS;
}

RegStatus SimDesktop::RegFlushKey(HKey key) {
    ++calls;
    if (registry.openKeys_.count(key) == 0) return ERROR_INVALID_HANDLE;
    ++registry.flushes;
    TraceDetail("registry flush");
    return ERROR_SUCCESS;
}
