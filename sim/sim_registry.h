// The registry: keys with typed values and case-insensitive names, opened, created,
// written and flushed through handles that carry the rights they were opened with (a query
// needs KEY_QUERY_VALUE, a write KEY_SET_VALUE); the ANSI functions' rule that a value longer
// than the caller's buffer is not returned; a standard user who can read HKEY_LOCAL_MACHINE
// but neither open it for writing nor create keys there; and, on Vista and later, the
// virtualization that sends such a user's writes under HKLM\SOFTWARE to the VirtualStore of
// HKEY_CURRENT_USER, which the user's reads then see first. The operations are SimDesktop's,
// in sim_registry.cpp.
#pragma once

#include <cstdint>
#include <map>
#include <set>
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
    // Windows virtualizes the utility's writes under HKLM\SOFTWARE that the account may not
    // make (a 32-bit program without a manifest, not elevated, UAC on; Vista and later).
    bool virtualization = true;
    int flushes = 0;  // successful RegFlushKey calls

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
    std::map<HKey, std::uint32_t> keyAccess_;  // the rights each handle was opened with
    std::set<HKey> virtualized_;               // handles whose writes go to the VirtualStore
    HKey nextKey_ = 0x1000;

    // "hklm\path\of\key" in lower case, or "" for a root that is not modelled.
    static std::string Path(HKey root, const std::string& key);
    void AddKey(const std::string& path);  // with every key above it
    HKey Open(const std::string& path);    // a new handle on an existing key
};
