#include "routing/pointer_mode.h"

#include "platform/platform.h"
#include "shell/static_objects.h"

namespace {

// Direction keys as on a telephone keypad, 1 2 3 in the top row; y grows downwards.
struct PointerMove {
    RemoteKey key;
    std::int32_t dx;
    std::int32_t dy;
};
constexpr PointerMove kPointerMoves[] = {
    {1, -1, -1}, {2, 0, -1}, {3, 1, -1}, {4, -1, 0}, {6, 1, 0}, {7, -1, 1}, {8, 0, 1}, {9, 1, 1},
};

constexpr RemoteKey kLeftClickKey = 0;
constexpr RemoteKey kDragKey = 5;
constexpr RemoteKey kRightClickKey = 10;

// Moves 1 to 4 of a run creep by one pixel, 5 to 9 take the small step, then the large.
std::int32_t StepForMove(std::int32_t moveCount) {
    if (moveCount < 5) return 1;
    if (moveCount < 10) return logic.pointerState.smallStep;
    return logic.pointerState.largeStep;
}

bool StrictlyInside(std::int32_t x, std::int32_t y) {
    const PointerBounds& bounds = logic.pointerState.bounds;
    return bounds.left < x && x < bounds.right && bounds.top < y && y < bounds.bottom;
}

// Where the pointer may be: within the bounds (their edges included), or in the work area of
// a monitor other than the primary one, whose own bounds are those above.
bool OnDesk(std::int32_t x, std::int32_t y) {
    const PointerBounds& bounds = logic.pointerState.bounds;
    if (bounds.left <= x && x <= bounds.right && bounds.top <= y && y <= bounds.bottom) return true;
    Platform& platform = Plat();
    Handle monitor = platform.MonitorFromPoint(Point{x, y}, MONITOR_DEFAULTTONULL);
    MonitorInfo info{};
    info.size = sizeof info;
    if (monitor == 0 || !platform.GetMonitorInfoA(monitor, &info) ||
        (info.flags & MONITORINFOF_PRIMARY) != 0) {
        return false;
    }
    const ScreenRect& work = info.work;
    return work.left <= x && x < work.right && work.top <= y && y < work.bottom;
}

// A move must land strictly inside: the point and its four neighbours on the desk. On the
// primary monitor that is the strict test of the bounds; on the others it keeps the pointer
// off the outer rows and columns of their work areas; where two monitors touch, the edges
// are no edge, so the pointer crosses there even one pixel at a time.
bool MayMoveTo(std::int32_t x, std::int32_t y) {
    if (StrictlyInside(x, y)) return true;  // the primary monitor asks nothing more
    return OnDesk(x, y) && OnDesk(x - 1, y) && OnDesk(x + 1, y) && OnDesk(x, y - 1) &&
           OnDesk(x, y + 1);
}

Point CurrentPointer() {
    Point at{0, 0};
    Plat().GetCursorPos(&at);
    return at;
}

// The flags carry no move bit, so the event happens where the pointer already is.
void InjectButton(std::uint32_t flags, Point at) {
    Platform& platform = Plat();
    platform.mouse_event(flags, static_cast<std::uint32_t>(at.x), static_cast<std::uint32_t>(at.y),
                         0, static_cast<std::uintptr_t>(platform.GetMessageExtraInfo()));
}

void MovePointer(std::int32_t dx, std::int32_t dy) {
    ++logic.pointerState.moveCount;
    std::int32_t step = StepForMove(logic.pointerState.moveCount);
    Point at = CurrentPointer();
    std::int32_t x = at.x + dx * step;
    std::int32_t y = at.y + dy * step;
    if (MayMoveTo(x, y)) {
        Plat().SetCursorPos(x, y);
    } else {
        logic.pointerState.moveCount = 0;  // the next move of the run creeps again
    }
}

void Click(std::uint32_t downFlags, std::uint32_t upFlags) {
    Point at = CurrentPointer();
    InjectButton(downFlags, at);
    InjectButton(upFlags, at);
}

// With swapped buttons the primary button is the physical right one.
void ToggleDrag() {
    bool swapped = Plat().GetSystemMetrics(SM_SWAPBUTTON) != 0;
    Point at = CurrentPointer();
    if (logic.pointerState.dragButtonDown) {
        logic.pointerState.dragButtonDown = false;
        InjectButton(swapped ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP, at);
    } else {
        logic.pointerState.dragButtonDown = true;
        InjectButton(swapped ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN, at);
    }
}

void SetBounds(std::int32_t width, std::int32_t height) {
    logic.pointerState.bounds = PointerBounds{0, 0, width - 1, height - 1};
    logic.pointerState.smallStep = width / 160;
    logic.pointerState.largeStep = width / 80;
}

}  // namespace

PointerKeyAction PointerActionOf(RemoteKey key) {
    for (const PointerMove& move : kPointerMoves) {
        if (move.key == key) return {PointerAction::Move, move.dx, move.dy};
    }
    if (key == kLeftClickKey) return {PointerAction::LeftClick, 0, 0};
    if (key == kRightClickKey) return {PointerAction::RightClick, 0, 0};
    if (key == kDragKey) return {PointerAction::DragToggle, 0, 0};
    return {};
}

void MovePointerOrClick(RemoteKey key) {
    PointerKeyAction what = PointerActionOf(key);
    switch (what.action) {
        case PointerAction::Move:
            MovePointer(what.dx, what.dy);
            break;
        case PointerAction::LeftClick:
            Click(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
            break;
        case PointerAction::RightClick:
            Click(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
            break;
        case PointerAction::DragToggle:
            ToggleDrag();
            break;
        case PointerAction::None:
            break;
    }
}

// An odd full-screen height gets 19 added at start only; a display change takes the
// reported size as it is.
void InitPointerBounds() {
    Platform& platform = Plat();
    std::int32_t width = platform.GetSystemMetrics(SM_CXFULLSCREEN);
    std::int32_t height = platform.GetSystemMetrics(SM_CYFULLSCREEN);
    if (height % 2 != 0) height += 19;
    SetBounds(width, height);
}

void UpdatePointerBounds(std::int32_t width, std::int32_t height) {
    SetBounds(width, height);
}
