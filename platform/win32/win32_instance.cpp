#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include <new>

#include "platform/win32/win32_instance.h"
#include "platform/win32/win32_platform.h"

namespace {

// Built in static storage and never destroyed, so no destructor is registered at exit. The
// first call comes from the program's static construction, before any other thread exists, so
// a plain pointer stands in for a guarded local static (whose lock would bring the C++
// runtime's exception and thread support into the exe).
alignas(Win32Platform) unsigned char storage[sizeof(Win32Platform)];
Win32Platform* instance = nullptr;

}  // namespace

Platform& Win32PlatformInstance() {
    if (!instance) instance = new (storage) Win32Platform();
    return *instance;
}
