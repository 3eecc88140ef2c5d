// Input and the pointer: keys injected with keybd_event reach the foreground window's
// program; the pointer stays on the screen, moved by SetCursorPos and relative mouse
// events; the screen metrics. The operations are SimDesktop's, in sim_input.cpp.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

struct SimMouseEvent {
    std::uint64_t time;
    std::uint32_t flags;
    std::int32_t x;  // the coordinate arguments as given
    std::int32_t y;
    std::uint32_t data;
    std::uintptr_t extraInfo;
    Point pointer;  // where the pointer was, which is where a button event happens
};

// The full-screen client area is the screen less the caption of a maximised window.
struct SimInput {
    Point cursor{512, 384};
    int screenWidth = 1024;  // SM_CXSCREEN, SM_CYSCREEN
    int screenHeight = 768;
    int fullScreenWidth = 1024;  // SM_CXFULLSCREEN, SM_CYFULLSCREEN
    int fullScreenHeight = 749;
    bool buttonsSwapped = false;  // SM_SWAPBUTTON
    LParam messageExtraInfo = 0;  // what GetMessageExtraInfo answers
    bool leftButtonDown = false;  // the physical buttons as the injected events left them
    bool rightButtonDown = false;
    std::vector<SimMouseEvent> mouseEvents;  // every injected event, in order
};
