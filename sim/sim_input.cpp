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

// Scan code set 1 of the US layout, as MapVirtualKey(MAPVK_VSC_TO_VK) reads it: the keypad
// gives the navigation keys (the model's NumLock is off), the extended codes E0 xx the keys
// that only have such a code.
constexpr std::uint8_t kScanToVk[0x59] = {
    0,    0x1B, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x30, 0xBD, 0xBB, 0x08,
    0x09, 0x51, 0x57, 0x45, 0x52, 0x54, 0x59, 0x55, 0x49, 0x4F, 0x50, 0xDB, 0xDD, 0x0D, 0x11,
    0x41, 0x53, 0x44, 0x46, 0x47, 0x48, 0x4A, 0x4B, 0x4C, 0xBA, 0xDE, 0xC0, 0x10, 0xDC, 0x5A,
    0x58, 0x43, 0x56, 0x42, 0x4E, 0x4D, 0xBC, 0xBE, 0xBF, 0x10, 0x6A, 0x12, 0x20, 0x14, 0x70,
    0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x90, 0x91, 0x24, 0x26, 0x21, 0x6D,
    0x25, 0x0C, 0x27, 0x6B, 0x23, 0x28, 0x22, 0x2D, 0x2E, 0,    0,    0xE2, 0x7A, 0x7B};

struct ExtendedScan {
    std::uint16_t scan;
    std::uint8_t vk;
};
constexpr ExtendedScan kExtendedScans[] = {
    {0x1C, 0x0D}, {0x1D, 0x11}, {0x35, 0x6F}, {0x38, 0x12}, {0x47, 0x24}, {0x48, 0x26},
    {0x49, 0x21}, {0x4B, 0x25}, {0x4D, 0x27}, {0x4F, 0x23}, {0x50, 0x28}, {0x51, 0x22},
    {0x52, 0x2D}, {0x53, 0x2E}, {0x5B, 0x5B}, {0x5C, 0x5C}, {0x5D, 0x5D}, {0x22, 0xB3},
    {0x24, 0xB2}, {0x19, 0xB0}, {0x10, 0xB1}, {0x20, 0xAD}, {0x2E, 0xAE}, {0x30, 0xAF}};

std::uint8_t VkOfScanCode(std::uint16_t scan, bool extended) {
    if (!extended) return scan < sizeof kScanToVk ? kScanToVk[scan] : 0;
    for (const auto& entry : kExtendedScans) {
        if (entry.scan == scan) return entry.vk;
    }
    return 0;
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
    InjectKey(vk, scan, flags);
}

void SimDesktop::InjectKey(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags) {
    if (vk == VK_MENU && (flags & KEYEVENTF_EXTENDEDKEY) && input.altGrLayout) {
        std::uint32_t ctrlFlags = flags & KEYEVENTF_KEYUP;
        if (Tracing()) Trace(std::string("altgr left ctrl ") + (ctrlFlags ? "up" : "down"));
        TypeKey(VK_CONTROL, kLeftCtrlScan, ctrlFlags);
    }
    TypeKey(vk, scan, flags);
}

// SendInput goes where keybd_event goes, by the same rules, but as one batch: refused as a
// whole (0, ERROR_ACCESS_DENIED) where keybd_event's keys are dropped. Windows documents
// that a batch blocked by User Interface Privilege Isolation fails without saying why, so
// the error does not tell UIPI from a locked desktop. A media key reaches the system as well
// as the focus window: Windows turns it into the shell's app command, which the system's
// volume and media session handle whoever is in front.
std::uint32_t SimDesktop::SendInput(std::uint32_t count, const Input* inputs) {
    ++calls;
    if (count == 0 || count > kMaxInputBatch || !inputs) {
        system.lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    bool blocked = InjectedInputBlocked();
    for (std::uint32_t i = 0; i < count && Tracing(); ++i) {
        Trace("input vk=" + Hex(inputs[i].vk) + " scan=" + Hex(inputs[i].scan) +
              " flags=" + std::to_string(inputs[i].flags) + (blocked ? " blocked" : ""));
    }
    if (blocked) {
        system.lastError = ERROR_ACCESS_DENIED;
        return 0;
    }
    NoteInput(true);
    for (std::uint32_t i = 0; i < count; ++i) {
        const Input& key = inputs[i];
        std::uint8_t vk = static_cast<std::uint8_t>(key.vk);
        if (key.flags & KEYEVENTF_UNICODE) {
            vk = VK_PACKET;
        } else if (key.flags & KEYEVENTF_SCANCODE) {
            vk = VkOfScanCode(key.scan, (key.flags & KEYEVENTF_EXTENDEDKEY) != 0);
        }
        if (vk == 0) continue;  // a scan code that the layout has no key for
        InjectKey(vk, static_cast<std::uint8_t>(key.scan),
                  key.flags & (KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP));
        bool media = vk >= VK_VOLUME_MUTE && vk <= VK_MEDIA_PLAY_PAUSE;
        if (media && !(key.flags & KEYEVENTF_KEYUP)) {
            input.systemKeys.push_back(vk);
            if (Tracing()) Trace("system media vk=" + Hex(vk));
        }
    }
    return count;
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
