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

// --- the account's rights: a standard user reads HKEY_LOCAL_MACHINE but may neither
// open it for writing nor create keys there, unless the utility runs as administrator;
// on Vista and later such writes under HKLM\SOFTWARE are virtualized ---

namespace {

constexpr std::uint32_t kQueryRights = KEY_QUERY_VALUE;
constexpr const char* kVirtualRoot = "hkcu\\software\\classes\\virtualstore\\machine\\";

bool WritesRefused(const SimDesktop& desk, HKey root) {
    return root == HKEY_LOCAL_MACHINE && desk.registry.hklmReadOnly &&
           !desk.windows.utilityElevated;
}

bool Virtualized(const SimDesktop& desk, HKey root, const std::string& path) {
    return WritesRefused(desk, root) && desk.registry.virtualization &&
           desk.system.NtAtLeast(0x0600) && path.compare(0, 14, "hklm\\software\\") == 0;
}

// Where the VirtualStore keeps a key of HKLM: "hklm\software\..." under the user's classes.
std::string VirtualPath(const std::string& path) {
    return kVirtualRoot + path.substr(5);
}

}  // namespace

// A key opened the way the caller asked for, or ERROR_ACCESS_DENIED for write rights that
// the account lacks and virtualization does not stand in for.
RegStatus SimDesktop::OpenRegistryKey(HKey root, const std::string& path, std::uint32_t access,
                                      HKey* result) {
    bool virtualized = Virtualized(*this, root, path);
    if ((access & kWriteRights) && WritesRefused(*this, root) && !virtualized) {
        return ERROR_ACCESS_DENIED;
    }
    HKey handle = registry.Open(path);
    registry.keyAccess_[handle] = access;
    if (virtualized) registry.virtualized_.insert(handle);
    *result = handle;
    return ERROR_SUCCESS;
}

// --- reading ---

// RegOpenKeyA asks for the most the account may have: everything, or only reading.
RegStatus SimDesktop::RegOpenKeyA(HKey root, const char* subKey, HKey* result) {
    ++calls;
    std::string path = SimRegistry::Path(root, OrEmpty(subKey));
    bool seen = registry.keys_.count(path) != 0 ||
                (Virtualized(*this, root, path) && registry.keys_.count(VirtualPath(path)) != 0);
    if (path.empty() || !seen) return ERROR_FILE_NOT_FOUND;
    return OpenRegistryKey(root, path, WritesRefused(*this, root) ? KEY_READ : KEY_ALL_ACCESS,
                           result);
}

// A value longer than the caller's buffer is not returned, only its size. Through a
// virtualized handle the VirtualStore's value comes first.
RegStatus SimDesktop::RegQueryValueExA(HKey key, const char* name, std::uint32_t* type,
                                       std::uint8_t* data, std::uint32_t* size) {
    ++calls;
    auto open = registry.openKeys_.find(key);
    if (open == registry.openKeys_.end()) return ERROR_INVALID_HANDLE;
    if (!(registry.keyAccess_[key] & kQueryRights)) return ERROR_ACCESS_DENIED;
    std::string wanted = Lower(OrEmpty(name));
    const SimRegValue* stored = nullptr;
    for (int store = registry.virtualized_.count(key) ? 0 : 1; store < 2 && !stored; ++store) {
        auto found = registry.keys_.find(store == 0 ? VirtualPath(open->second) : open->second);
        if (found == registry.keys_.end()) continue;
        auto value = found->second.find(wanted);
        if (value != found->second.end()) stored = &value->second;
    }
    if (!stored) return ERROR_FILE_NOT_FOUND;
    std::uint32_t length = static_cast<std::uint32_t>(stored->data.size());
    if (type) *type = stored->type;
    if (!data) {
        if (size) *size = length;
        return ERROR_SUCCESS;
    }
    if (!size) return 87;  // ERROR_INVALID_PARAMETER
    if (*size < length) {
        *size = length;
        return ERROR_MORE_DATA;
    }
    if (length != 0) std::memcpy(data, stored->data.data(), length);
    *size = length;
    return ERROR_SUCCESS;
}

RegStatus SimDesktop::RegCloseKey(HKey key) {
    ++calls;
    registry.keyAccess_.erase(key);
    registry.virtualized_.erase(key);
    return registry.openKeys_.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// --- writing ---

RegStatus SimDesktop::RegOpenKeyExA(HKey root, const char* subKey, std::uint32_t,
                                    std::uint32_t access, HKey* result) {
    ++calls;
    std::string path = SimRegistry::Path(root, OrEmpty(subKey));
    bool seen = registry.keys_.count(path) != 0 ||
                (Virtualized(*this, root, path) && registry.keys_.count(VirtualPath(path)) != 0);
    if (path.empty() || !seen) return ERROR_FILE_NOT_FOUND;
    return OpenRegistryKey(root, path, access, result);
}

// An existing key is opened with the rights asked for; a new one needs the right to create
// keys, or virtualization, which creates it in the VirtualStore.
RegStatus SimDesktop::RegCreateKeyExA(HKey root, const char* subKey, std::uint32_t, char*,
                                      std::uint32_t, std::uint32_t access, void*, HKey* result,
                                      std::uint32_t* disposition) {
    ++calls;
    std::string path = SimRegistry::Path(root, OrEmpty(subKey));
    if (path.empty()) return ERROR_INVALID_HANDLE;
    bool virtualized = Virtualized(*this, root, path);
    bool existed = registry.keys_.count(path) != 0 ||
                   (virtualized && registry.keys_.count(VirtualPath(path)) != 0);
    if (!existed) {
        if (WritesRefused(*this, root) && !virtualized) return ERROR_ACCESS_DENIED;
        registry.AddKey(virtualized ? VirtualPath(path) : path);
        Trace("registry create \"" + OrEmpty(subKey) + "\"" +
              (virtualized ? " in VirtualStore" : ""));
    }
    RegStatus status = OpenRegistryKey(root, path, access, result);
    if (status == ERROR_SUCCESS && disposition) {
        *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    }
    return status;
}

// A write through a virtualized handle lands in the VirtualStore.
RegStatus SimDesktop::RegSetValueExA(HKey key, const char* name, std::uint32_t, std::uint32_t type,
                                     const std::uint8_t* data, std::uint32_t size) {
    ++calls;
    auto open = registry.openKeys_.find(key);
    if (open == registry.openKeys_.end()) return ERROR_INVALID_HANDLE;
    if (!(registry.keyAccess_[key] & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    bool virtualized = registry.virtualized_.count(key) != 0;
    std::string path = virtualized ? VirtualPath(open->second) : open->second;
    std::vector<std::uint8_t> bytes;
    if (data) bytes.assign(data, data + size);
    registry.AddKey(path);
    registry.keys_[path][Lower(OrEmpty(name))] = SimRegValue{type, bytes};
    Trace("registry set \"" + OrEmpty(name) + "\" " + DescribeValue(type, data, size) +
          (virtualized ? " in VirtualStore" : ""));
    return ERROR_SUCCESS;
}

RegStatus SimDesktop::RegFlushKey(HKey key) {
    ++calls;
    if (registry.openKeys_.count(key) == 0) return ERROR_INVALID_HANDLE;
    ++registry.flushes;
    TraceDetail("registry flush");
    return ERROR_SUCCESS;
}
