// Input and the pointer: keys injected with keybd_event reach the program that has the
// foreground, unless that program runs elevated; the pointer stays on the screen, moved by
// SetCursorPos and relative mouse events; the screen metrics; and the last input event,
// which the foreground lock looks at. The operations are SimDesktop's, in sim_input.cpp.
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

// A monitor beside the primary one, in virtual-screen coordinates.
struct SimMonitor {
    ScreenRect area;
    ScreenRect work;  // the area less its taskbar; the whole area unless the scenario says
};

// The full-screen client area is the screen less the caption of a maximised window. The
// screen is the primary monitor, at (0, 0), whose work area the model takes as the whole
// screen; other monitors touch it or each other and never overlap.
struct SimInput {
    Point cursor{512, 384};
    int screenWidth = 1024;  // SM_CXSCREEN, SM_CYSCREEN
    int screenHeight = 768;
    int fullScreenWidth = 1024;  // SM_CXFULLSCREEN, SM_CYFULLSCREEN
    int fullScreenHeight = 749;
    std::vector<SimMonitor> otherMonitors;  // in the order their handles count
    bool buttonsSwapped = false;            // SM_SWAPBUTTON
    LParam messageExtraInfo = 0;            // what GetMessageExtraInfo answers
    bool leftButtonDown = false;            // the physical buttons as the injected events left them
    bool rightButtonDown = false;
    std::vector<SimMouseEvent> mouseEvents;  // every injected event, in order

    // The last input event, the user's or one the utility injected: when, and whether the
    // utility received it. A desktop starts as if the user's last input lay further back
    // than any time-out, as for someone on the sofa with the remote.
    bool inputSeen = false;
    std::uint64_t lastInputAt = 0;
    bool lastInputToUtility = false;

    // The keyboard layout: with AltGr (`keyboard-layout de`) the right Alt, an extended
    // VK_MENU, is AltGr, for which Windows types a left Ctrl as well (KLLF_ALTGR).
    bool altGrLayout = false;
    // The keys that injected events left down, the left and right ones apart: [extended][vk].
    bool keyDown[2][256] = {};
    bool KeyDown(std::uint8_t vk) const { return keyDown[0][vk] || keyDown[1][vk]; }
    // Media keys (VK_VOLUME_*, VK_MEDIA_*) injected with SendInput that reached the system.
    std::vector<std::uint8_t> systemKeys;

    // Monitor 0 is the primary one, the screen.
    std::size_t MonitorCount() const;
    SimMonitor Monitor(std::size_t index) const;
    int MonitorAt(Point point, bool nearest) const;
    Point OnSomeMonitor(Point point) const;
};
