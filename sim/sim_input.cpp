// Injected keys, the pointer, the mouse buttons and the screen metrics.
#include <algorithm>
#include <cstdio>

#include "sim/sim_desktop.h"
#include "sim/sim_text.h"

namespace {

int Clamp(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}

}  // namespace

// --- the last input event ---

void SimDesktop::NoteInput(bool toUtility) {
    input.inputSeen = true;
    input.lastInputAt = now;
    input.lastInputToUtility = toUtility;
}

// A click activates the window at once: the system itself changes the foreground, which no
// lock holds back.
void SimDesktop::UserInput(Hwnd handle) {
    if (UserCannotReach("input")) return;
    SimWindow* window = windows.Find(handle);
    if (window && window->alive) {
        windows.foreground_ = handle;
        windows.activationPending_ = false;
        ++windows.activations_;
        windows.BringToFront(handle);
    }
    Hwnd target = windows.foreground_;
    const SimWindow* receiver = windows.Find(target);
    bool received = receiver && receiver->alive;
    Trace("user input" + (received ? " " + windows.Describe(target) : std::string()));
    NoteInput(received && receiver->utility);
}

// Injected input is dropped while an elevated program is in front (User Interface
// Privilege Isolation), and while the session's desktop takes no input (locked, or
// disconnected); then it is no input event at all.
bool SimDesktop::InjectedInputBlocked() const {
    if (!sessions.TakesInput()) return true;
    const SimWindow* focus = windows.Find(windows.foreground_);
    return focus && focus->alive && focus->elevated;
}

// A key reaches the thread that has the foreground, at its focus window; keys for the
// utility's own windows are not modelled. The utility injected it, so the utility received
// the last input event.
void SimDesktop::keybd_event(std::uint8_t vk, std::uint8_t, std::uint32_t flags, std::uintptr_t) {
    ++calls;
    bool blocked = InjectedInputBlocked();
    if (Tracing()) {
        Trace("keybd vk=" + Hex(vk) + " flags=" + std::to_string(flags) +
              (blocked ? " blocked" : ""));
    }
    if (blocked) return;
    NoteInput(true);
    SimWindow* focus = windows.Find(windows.foreground_);
    if (!focus || !focus->alive || focus->utility) return;
    Deliver(*focus, (flags & KEYEVENTF_KEYUP) ? WM_KEYUP : WM_KEYDOWN, vk, 0, true);
}

bool SimDesktop::GetCursorPos(Point* point) {
    ++calls;
    if (!point) return false;
    *point = input.cursor;
    return true;
}

// As on Windows, the pointer cannot leave the screen, and only the input desktop's programs
// may move it.
bool SimDesktop::SetCursorPos(int x, int y) {
    ++calls;
    if (!sessions.TakesInput()) {
        if (Tracing()) Trace("cursor " + std::to_string(x) + " " + std::to_string(y) + " blocked");
        system.lastError = ERROR_ACCESS_DENIED;
        return false;
    }
    Point& cursor = input.cursor;
    cursor = Point{Clamp(x, 0, input.screenWidth - 1), Clamp(y, 0, input.screenHeight - 1)};
    if (Tracing()) Trace("cursor " + std::to_string(cursor.x) + " " + std::to_string(cursor.y));
    return true;
}

// Button flags name the physical buttons; a relative move shifts the pointer.
void SimDesktop::mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy,
                             std::uint32_t data, std::uintptr_t extraInfo) {
    ++calls;
    auto x = static_cast<std::int32_t>(dx);
    auto y = static_cast<std::int32_t>(dy);
    bool blocked = InjectedInputBlocked();
    if (Tracing()) {
        char line[80];
        std::snprintf(line, sizeof line, "mouse flags=0x%04X x=%d y=%d%s", flags, x, y,
                      blocked ? " blocked" : "");
        Trace(line);
    }
    if (blocked) return;
    NoteInput(true);
    Point& cursor = input.cursor;
    input.mouseEvents.push_back(SimMouseEvent{now, flags, x, y, data, extraInfo, cursor});
    if ((flags & MOUSEEVENTF_MOVE) && !(flags & MOUSEEVENTF_ABSOLUTE)) {
        cursor = Point{Clamp(cursor.x + x, 0, input.screenWidth - 1),
                       Clamp(cursor.y + y, 0, input.screenHeight - 1)};
    }
    if (flags & MOUSEEVENTF_LEFTDOWN) input.leftButtonDown = true;
    if (flags & MOUSEEVENTF_LEFTUP) input.leftButtonDown = false;
    if (flags & MOUSEEVENTF_RIGHTDOWN) input.rightButtonDown = true;
    if (flags & MOUSEEVENTF_RIGHTUP) input.rightButtonDown = false;
}

LParam SimDesktop::GetMessageExtraInfo() {
    ++calls;
    return input.messageExtraInfo;
}

int SimDesktop::GetSystemMetrics(int index) {
    ++calls;
    switch (index) {
        case SM_CXSCREEN:
            return input.screenWidth;
        case SM_CYSCREEN:
            return input.screenHeight;
        case SM_CXFULLSCREEN:
            return input.fullScreenWidth;
        case SM_CYFULLSCREEN:
            return input.fullScreenHeight;
        case SM_SWAPBUTTON:
            return input.buttonsSwapped ? 1 : 0;
        default:
            return 0;
    }
}
