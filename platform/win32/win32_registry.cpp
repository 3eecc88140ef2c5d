// Registry reads and writes.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_platform.h"

RegStatus Win32Platform::RegOpenKeyA(HKey root, const char* subKey, HKey* result) {
    return ::RegOpenKeyA(AsHkey(root), subKey, AsHkeyOut(result));
}

RegStatus Win32Platform::RegOpenKeyExA(HKey root, const char* subKey, std::uint32_t options,
                                       std::uint32_t access, HKey* result) {
    return ::RegOpenKeyExA(AsHkey(root), subKey, options, access, AsHkeyOut(result));
}

RegStatus Win32Platform::RegCreateKeyExA(HKey root, const char* subKey, std::uint32_t reserved,
                                         char* keyClass, std::uint32_t options,
                                         std::uint32_t access, void* security, HKey* result,
                                         std::uint32_t* disposition) {
    return ::RegCreateKeyExA(AsHkey(root), subKey, reserved, keyClass, options, access,
                             static_cast<LPSECURITY_ATTRIBUTES>(security), AsHkeyOut(result),
                             AsDwordOut(disposition));
}

RegStatus Win32Platform::RegQueryValueExA(HKey key, const char* name, std::uint32_t* type,
                                          std::uint8_t* data, std::uint32_t* size) {
    return ::RegQueryValueExA(AsHkey(key), name, nullptr, AsDwordOut(type), data, AsDwordOut(size));
}

RegStatus Win32Platform::RegSetValueExA(HKey key, const char* name, std::uint32_t reserved,
                                        std::uint32_t type, const std::uint8_t* data,
                                        std::uint32_t size) {
    return ::RegSetValueExA(AsHkey(key), name, reserved, type, data, size);
}

RegStatus Win32Platform::RegFlushKey(HKey key) {
    return ::RegFlushKey(AsHkey(key));
}

RegStatus Win32Platform::RegCloseKey(HKey key) {
    return ::RegCloseKey(AsHkey(key));
}
