// Links the whole Win32 side of the seam (the platform object pulls in every operation and
// so every Windows import) and checks the portable constants that only run time can compare.
#include <cstdio>

#include "platform/platform.h"
#include "platform/win32/win32_instance.h"

const char* FirstMismatchedHandleConstant();

int main() {
    InstallPlatform(&Win32PlatformInstance());
    if (const char* name = FirstMismatchedHandleConstant()) {
        std::printf("%s in platform/win_constants.h differs from <windows.h>\n", name);
        return 1;
    }
    std::printf("Win32 seam ok (tick count %u)\n", static_cast<unsigned>(Plat().GetTickCount()));
    return 0;
}
