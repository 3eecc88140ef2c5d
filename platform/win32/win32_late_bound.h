// Calls that older Windows lack are found in their DLL when first called rather than
// imported: a single missing import keeps a program from starting at all. A call that is not
// there fails as the stubs of Windows 9x do, with ERROR_CALL_NOT_IMPLEMENTED.
#pragma once

#include "platform/win32/windows_api.h"

// One entry point, looked up once. Plain constant-initialised state: the program runs one
// thread, and a guarded local static would pull in the C++ runtime's locks.
struct LateBound {
    const char* module;
    const char* name;
    bool looked;
    FARPROC found;
};

// The entry point, or null with ERROR_CALL_NOT_IMPLEMENTED as the last error. A DLL that the
// process has not loaded (wtsapi32) is loaded, once, and stays.
template <class Proc>
Proc Find(LateBound& entry) {
    if (!entry.looked) {
        entry.looked = true;
        HMODULE library = ::GetModuleHandleA(entry.module);
        if (!library) library = ::LoadLibraryA(entry.module);
        entry.found = library ? ::GetProcAddress(library, entry.name) : nullptr;
    }
    if (!entry.found) ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(entry.found));
}
