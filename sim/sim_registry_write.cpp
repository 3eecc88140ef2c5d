// Registry keys opened with access rights, created, written and flushed. A standard user
// can read HKEY_LOCAL_MACHINE but neither open it for writing nor create keys there.
#include <cctype>
#include <cstdio>
#include <iterator>

#include "sim/sim_desktop.h"

namespace {

constexpr std::uint32_t kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

std::string LowerName(const char* name) {
    std::string text = name ? name : "";
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string DescribeValue(std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
    if (type == REG_DWORD && size == 4 && data) {
        std::uint32_t value =
            data[0] | data[1] << 8 | data[2] << 16 | static_cast<std::uint32_t>(data[3]) << 24;
        return std::to_string(value);
    }
    return "type=" + std::to_string(type) + " size=" + std::to_string(size);
}

}  // namespace

RegStatus SimDesktop::RegOpenKeyExA(HKey root, const char* subKey, std::uint32_t,
                                    std::uint32_t access, HKey* result) {
    ++calls;
    std::string path = RegPath(root, subKey ? subKey : "");
    if (path.empty() || registry_.count(path) == 0) return ERROR_FILE_NOT_FOUND;
    if (hklmReadOnly && root == HKEY_LOCAL_MACHINE && (access & kWriteRights)) {
        return ERROR_ACCESS_DENIED;
    }
    HKey handle = nextKey_;
    nextKey_ += 4;
    openKeys_[handle] = path;
    keyAccess[handle] = access;
    *result = handle;
    return ERROR_SUCCESS;
}

RegStatus SimDesktop::RegCreateKeyExA(HKey root, const char* subKey, std::uint32_t, char*,
                                      std::uint32_t, std::uint32_t access, void*, HKey* result,
                                      std::uint32_t* disposition) {
    ++calls;
    std::string path = RegPath(root, subKey ? subKey : "");
    if (path.empty()) return ERROR_INVALID_HANDLE;
    if (hklmReadOnly && root == HKEY_LOCAL_MACHINE) return ERROR_ACCESS_DENIED;
    bool existed = registry_.count(path) != 0;
    if (!existed) {
        AddRegKey(path);
        Trace("registry create \"" + std::string(subKey ? subKey : "") + "\"");
    }
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    HKey handle = nextKey_;
    nextKey_ += 4;
    openKeys_[handle] = path;
    keyAccess[handle] = access;
    *result = handle;
    return ERROR_SUCCESS;
}

// Keys opened by RegOpenKeyA carry no recorded rights and may be written, as there.
RegStatus SimDesktop::RegSetValueExA(HKey key, const char* name, std::uint32_t, std::uint32_t type,
                                     const std::uint8_t* data, std::uint32_t size) {
    ++calls;
    auto open = openKeys_.find(key);
    if (open == openKeys_.end()) return ERROR_INVALID_HANDLE;
    auto rights = keyAccess.find(key);
    if (rights != keyAccess.end() && !(rights->second & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    std::vector<std::uint8_t> bytes;
    if (data) bytes.assign(data, data + size);
    registry_[open->second][LowerName(name)] = SimRegValue{type, bytes};
    Trace("registry set \"" + std::string(name ? name : "") + "\" " +
          DescribeValue(type, data, size));
    return ERROR_SUCCESS;
}

RegStatus SimDesktop::RegFlushKey(HKey key) {
    ++calls;
    if (openKeys_.count(key) == 0) return ERROR_INVALID_HANDLE;
    ++registryFlushes;
    TraceDetail("registry flush");
    return ERROR_SUCCESS;
}

void SimDesktop::DeleteRegKey(HKey root, const std::string& key) {
    std::string path = RegPath(root, key);
    if (path.empty()) return;
    std::string below = path + "\\";
    for (auto it = registry_.begin(); it != registry_.end();) {
        bool inside = it->first == path || it->first.compare(0, below.size(), below) == 0;
        it = inside ? registry_.erase(it) : std::next(it);
    }
}
