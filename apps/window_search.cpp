#include "apps/window_search.h"

#include <cstring>

Hwnd FindWindowByTitlePrefix(const char* prefix) {
    Platform& platform = Plat();
    std::size_t length = std::strlen(prefix);
    for (Hwnd window = platform.GetWindow(platform.GetDesktopWindow(), GW_CHILD); window != 0;
         window = platform.GetWindow(window, GW_HWNDNEXT)) {
        char title[128];
        platform.GetWindowTextA(window, title, sizeof title);
        title[sizeof title - 1] = '\0';
        if (std::strncmp(title, prefix, length) == 0) return window;
    }
    return 0;
}
