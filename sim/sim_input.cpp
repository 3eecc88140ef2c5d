// The pointer, the mouse buttons and the screen metrics.
#include <algorithm>
#include <cstdio>

#include "sim/sim_desktop.h"

namespace {

int Clamp(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}

}  // namespace

bool SimDesktop::GetCursorPos(Point* point) {
    ++calls;
    if (!point) return false;
    *point = cursor;
    return true;
}

// As on Windows, the pointer cannot leave the screen.
bool SimDesktop::SetCursorPos(int x, int y) {
    ++calls;
    cursor = Point{Clamp(x, 0, screenWidth - 1), Clamp(y, 0, screenHeight - 1)};
    if (Tracing()) Trace("cursor " + std::to_string(cursor.x) + " " + std::to_string(cursor.y));
    return true;
}

// Button flags name the physical buttons; a relative move shifts the pointer.
void SimDesktop::mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy,
                             std::uint32_t data, std::uintptr_t extraInfo) {
    ++calls;
    auto x = static_cast<std::int32_t>(dx);
    auto y = static_cast<std::int32_t>(dy);
    if (Tracing()) {
        char line[80];
        std::snprintf(line, sizeof line, "mouse flags=0x%04X x=%d y=%d", flags, x, y);
        Trace(line);
    }
    mouseEvents.push_back(MouseEvent{now, flags, x, y, data, extraInfo, cursor});
    if ((flags & MOUSEEVENTF_MOVE) && !(flags & MOUSEEVENTF_ABSOLUTE)) {
        cursor = Point{Clamp(cursor.x + x, 0, screenWidth - 1),
                       Clamp(cursor.y + y, 0, screenHeight - 1)};
    }
    if (flags & MOUSEEVENTF_LEFTDOWN) leftButtonDown = true;
    if (flags & MOUSEEVENTF_LEFTUP) leftButtonDown = false;
    if (flags & MOUSEEVENTF_RIGHTDOWN) rightButtonDown = true;
    if (flags & MOUSEEVENTF_RIGHTUP) rightButtonDown = false;
}

LParam SimDesktop::GetMessageExtraInfo() {
    ++calls;
    return messageExtraInfo;
}

int SimDesktop::GetSystemMetrics(int index) {
    ++calls;
    switch (index) {
        case SM_CXSCREEN:
            return screenWidth;
        case SM_CYSCREEN:
            return screenHeight;
        case SM_CXFULLSCREEN:
            return fullScreenWidth;
        case SM_CYFULLSCREEN:
            return fullScreenHeight;
        case SM_SWAPBUTTON:
            return buttonsSwapped ? 1 : 0;
        default:
            return 0;
    }
}
