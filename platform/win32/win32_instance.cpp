#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include <new>

#include "platform/win32/win32_instance.h"
#include "platform/win32/win32_platform.h"

Platform& Win32PlatformInstance() {
    // Built in static storage and never destroyed, so no destructor is registered at exit.
    alignas(Win32Platform) static unsigned char storage[sizeof(Win32Platform)];
    static Win32Platform* const instance = new (storage) Win32Platform();
    return *instance;
}
