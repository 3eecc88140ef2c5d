// The registry: keys with typed values and case-insensitive names, opened, created,
// written and flushed through handles; the ANSI functions' rule that a value longer than
// the caller's buffer is not returned; a standard user who can read HKEY_LOCAL_MACHINE but
// neither open it for writing nor create keys there. The operations are SimDesktop's, in
// sim_registry.cpp.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

struct SimRegValue {
    std::uint32_t type;
    std::vector<std::uint8_t> data;
};

class SimRegistry {
  public:
    bool hklmReadOnly = false;  // a standard user: HKLM cannot be opened for writing or created
    int flushes = 0;            // successful RegFlushKey calls

    void SetValue(HKey root, const std::string& key, const std::string& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data);
    void SetString(HKey root, const std::string& key, const std::string& name,
                   const std::string& text);
    void SetDword(HKey root, const std::string& key, const std::string& name, std::uint32_t value);
    const SimRegValue* Value(HKey root, const std::string& key, const std::string& name) const;
    bool KeyExists(HKey root, const std::string& key) const;
    void DeleteKey(HKey root, const std::string& key);  // with its values and subkeys

  private:
    friend class SimDesktop;
    std::map<std::string, std::map<std::string, SimRegValue>> keys_;  // lower-case paths
    std::map<HKey, std::string> openKeys_;
    std::map<HKey, std::uint32_t> keyAccess_;  // rights of keys opened by RegOpenKeyExA/Create
    HKey nextKey_ = 0x1000;

    // "hklm\path\of\key" in lower case, or "" for a root that is not modelled.
    static std::string Path(HKey root, const std::string& key);
    void AddKey(const std::string& path);  // with every key above it
    HKey Open(const std::string& path);    // a new handle on an existing key
};
