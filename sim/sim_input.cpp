// Injected keys, the pointer, the mouse buttons and the screen metrics.
#include <algorithm>
#include <cstdio>

#include "sim/sim_desktop.h"
#include "sim/sim_text.h"

namespace {

constexpr std::uint8_t kLeftCtrlScan = 0x1D;

int Clamp(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}

// HMONITOR values: the primary monitor, then the others in order.
constexpr Handle kPrimaryMonitor = 0x10001;

bool Contains(const ScreenRect& rect, Point point) {
    return rect.left <= point.x && point.x < rect.right && rect.top <= point.y &&
           point.y < rect.bottom;
}

Point ClampInto(const ScreenRect& rect, Point point) {
    return Point{Clamp(point.x, rect.left, rect.right - 1),
                 Clamp(point.y, rect.top, rect.bottom - 1)};
}

std::int64_t DistanceSquared(Point a, Point b) {
    std::int64_t dx = a.x - b.x;
    std::int64_t dy = a.y - b.y;
    return dx * dx + dy * dy;
}

}  // namespace

// --- monitors ---

std::size_t SimInput::MonitorCount() const {
    return 1 + otherMonitors.size();
}

SimMonitor SimInput::Monitor(std::size_t index) const {
    if (index > 0) return otherMonitors[index - 1];
    ScreenRect screen{0, 0, screenWidth, screenHeight};
    return SimMonitor{screen, screen};
}

// The monitor that holds the point, or else the nearest one (-1 when asked for none).
int SimInput::MonitorAt(Point point, bool nearest) const {
    int best = -1;
    std::int64_t bestDistance = 0;
    for (std::size_t index = 0; index < MonitorCount(); ++index) {
        const ScreenRect& area = Monitor(index).area;
        if (Contains(area, point)) return static_cast<int>(index);
        std::int64_t distance = DistanceSquared(point, ClampInto(area, point));
        if (nearest && (best < 0 || distance < bestDistance)) {
            best = static_cast<int>(index);
            bestDistance = distance;
        }
    }
    return best;
}

// Windows keeps the pointer on a monitor: a point beside them all goes to the nearest.
Point SimInput::OnSomeMonitor(Point point) const {
    return ClampInto(Monitor(static_cast<std::size_t>(MonitorAt(point, true))).area, point);
}

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

// Injected input is dropped while an elevated program is in front of a utility that is not
// elevated (User Interface Privilege Isolation), and while the session's desktop takes no
// input (locked, or disconnected); then it is no input event at all.
bool SimDesktop::InjectedInputBlocked() const {
    if (!sessions.TakesInput()) return true;
    const SimWindow* focus = windows.Find(windows.foreground_);
    return focus && focus->alive && windows.RefusesUtility(*focus);
}

// A key reaches the thread that has the foreground, at its focus window; keys for the
// utility's own windows are not modelled. The utility injected it, so the utility received
// the last input event.
void SimDesktop::keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                             std::uintptr_t) {
    ++calls;
    bool blocked = InjectedInputBlocked();
    if (Tracing()) {
        Trace("keybd vk=" + Hex(vk) + " flags=" + std::to_string(flags) +
              (blocked ? " blocked" : ""));
    }
    if (blocked) return;
    NoteInput(true);
    if (vk == VK_MENU && (flags & KEYEVENTF_EXTENDEDKEY) && input.altGrLayout) {
        std::uint32_t ctrlFlags = flags & KEYEVENTF_KEYUP;
        if (Tracing()) Trace(std::string("altgr left ctrl ") + (ctrlFlags ? "up" : "down"));
        TypeKey(VK_CONTROL, kLeftCtrlScan, ctrlFlags);
    }
    TypeKey(vk, scan, flags);
}

// One key event as the focus window gets it. Alt down without Ctrl makes it a system key
// (WM_SYSKEYDOWN, context code set); with Ctrl as well, as AltGr has it, an ordinary one.
void SimDesktop::TypeKey(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
    bool up = (flags & KEYEVENTF_KEYUP) != 0;
    int extended = (flags & KEYEVENTF_EXTENDEDKEY) ? 1 : 0;
    bool wasDown = input.keyDown[extended][vk];
    bool altBefore = input.KeyDown(VK_MENU);
    input.keyDown[extended][vk] = !up;
    bool alt = up ? altBefore : input.KeyDown(VK_MENU);
    bool systemKey = alt && !input.KeyDown(VK_CONTROL);
    std::uint32_t msg =
        up ? (systemKey ? WM_SYSKEYUP : WM_KEYUP) : (systemKey ? WM_SYSKEYDOWN : WM_KEYDOWN);
    std::uint32_t bits = 1u | (static_cast<std::uint32_t>(scan) << 16) |
                         (static_cast<std::uint32_t>(extended) << 24) |
                         (systemKey ? 1u << 29 : 0u) | (wasDown || up ? 1u << 30 : 0u) |
                         (up ? 1u << 31 : 0u);
    SimWindow* focus = windows.Find(windows.foreground_);
    if (!focus || !focus->alive || focus->utility) return;
    Deliver(*focus, msg, vk, static_cast<LParam>(static_cast<std::int32_t>(bits)), true);
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
    cursor = input.OnSomeMonitor(Point{x, y});
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
        cursor = input.OnSomeMonitor(Point{cursor.x + x, cursor.y + y});
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

Handle SimDesktop::MonitorFromPoint(Point point, std::uint32_t flags) {
    ++calls;
    int index = input.MonitorAt(point, flags == MONITOR_DEFAULTTONEAREST);
    if (index < 0) return flags == MONITOR_DEFAULTTONULL ? 0 : kPrimaryMonitor;
    return kPrimaryMonitor + static_cast<Handle>(index);
}

// The caller must say which record it passes: MONITORINFO, or MONITORINFOEXA with the
// device name after it.
bool SimDesktop::GetMonitorInfoA(Handle monitor, MonitorInfo* info) {
    ++calls;
    constexpr std::uint32_t kMonitorInfoExSize = sizeof(MonitorInfo) + 32;
    if (!info || (info->size != sizeof(MonitorInfo) && info->size != kMonitorInfoExSize)) {
        return false;
    }
    if (monitor < kPrimaryMonitor || monitor - kPrimaryMonitor >= input.MonitorCount()) {
        return false;
    }
    std::size_t index = monitor - kPrimaryMonitor;
    SimMonitor found = input.Monitor(index);
    info->monitor = found.area;
    info->work = found.work;
    info->flags = index == 0 ? MONITORINFOF_PRIMARY : 0;
    return true;
}
