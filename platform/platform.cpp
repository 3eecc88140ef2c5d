#include "platform/platform.h"

namespace {
Platform* installed = nullptr;
}

Platform& Plat() {
    return *installed;
}

void InstallPlatform(Platform* platform) {
    installed = platform;
}
