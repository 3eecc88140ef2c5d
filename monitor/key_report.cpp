#include "monitor/key_report.h"

#include <cstdarg>
#include <cstdio>

#include "apps/keystroke_map.h"
#include "apps/message_maps.h"
#include "apps/tv_app.h"
#include "routing/key_router.h"
#include "routing/pointer_mode.h"
#include "routing/shutdown.h"
#include "shell/settings.h"
#include "shell/static_objects.h"

namespace {

constexpr RemoteKey kKey20 = 20;
constexpr RemoteKey kKey21 = 21;

// Set when key 21 would have opened the Shut Down dialog: the router then gives the next
// key to the dialog, which closes with it.
bool shutdownAsked = false;

struct Text {
    char* data;
    int size;
    int length;
};

void Add(Text& text, const char* format, ...) {
    if (text.length >= text.size - 1) return;
    va_list args;
    va_start(args, format);
    int added = std::vsnprintf(text.data + text.length,
                               static_cast<std::size_t>(text.size - text.length), format, args);
    va_end(args);
    if (added > 0) text.length += added;
    if (text.length > text.size - 1) text.length = text.size - 1;
}

void Mark(AppId id, bool marked) {
    AppRecord(id)->active = marked;
}

// The Windows names of the virtual keys that application 1's table posts; any other code is
// written as its number, so that a new table entry is never misnamed.
const char* VirtualKeyName(std::uint8_t vk, char (&spelled)[12]) {
    switch (vk) {
        case VK_ESCAPE:
            return "ESCAPE";
        case VK_RETURN:
            return "RETURN";
        case VK_ADD:
            return "ADD";
        case VK_SUBTRACT:
            return "SUBTRACT";
        case VK_F8:
            return "F8";
        case VK_F9:
            return "F9";
        case VK_F10:
            return "F10";
        case VK_F11:
            return "F11";
        case VK_UP:
            return "UP";
        case VK_RIGHT:
            return "RIGHT";
        case VK_DOWN:
            return "DOWN";
        case VK_LEFT:
            return "LEFT";
        default:
            break;
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
        std::snprintf(spelled, sizeof spelled, "NUMPAD%d", vk - VK_NUMPAD0);
    } else {
        std::snprintf(spelled, sizeof spelled, "0x%02X", vk);
    }
    return spelled;
}

void DescribeKeystroke(Text& text, RemoteKey key) {
    const KeystrokeRow* row = KeystrokeRowOf(key);
    Stroke stroke = row ? row->stroke : Stroke::None;
    if (stroke == Stroke::None) {
        Add(text, "nothing (no command for this key)");
    } else if (FindAppWindow(1) == 0) {
        Add(text, "nothing (its window is not open)");
    } else if (stroke == Stroke::Posted) {
        char spelled[12];
        Add(text, "key %s", VirtualKeyName(row->vk, spelled));
    } else {
        Add(text, "keys Ctrl+%s%c", stroke == Stroke::CtrlShift ? "Shift+" : "", row->vk);
    }
}

// Application 9 looks for its own dialog windows first, as its command does.
void DescribeMessageCommand(Text& text, AppId id, RemoteKey key) {
    const MessageCommand* command = MessageCommandOf(id, key, logic.japanCountry);
    if (!command) {
        Add(text, "nothing (no command for this key)");
        return;
    }
    bool windowOpen = FindAppWindow(id) != 0;
    Hwnd popup = ProfileOf(id)->probesPopups ? FindVisiblePopup() : 0;
    if (!windowOpen) {
        Add(text, "nothing (its window is not open)");
        return;
    }
    PostRule rule = command->rule;
    if (popup != 0 && rule == PostRule::Held) {
        Add(text, "nothing (held back by its open dialog)");
        return;
    }
    if (popup != 0 && rule == PostRule::PictureView && popup == logic.pictureViewWindow) {
        Add(text, "nothing (held back by its PictureView window)");
        return;
    }
    Add(text, "message %u, wParam %u", ProfileOf(id)->commandMessage, command->number);
    if (popup != 0 && rule == PostRule::Dialog) Add(text, ", to its open dialog");
    if (rule == PostRule::ForwardFirst) Add(text, ", window brought forward first");
}

void AppCommand(Text& text, AppId id, RemoteKey key) {
    Add(text, "%s: ", AppLabel(id));
    if (ProfileOf(id)->commandMessage == 0) {
        DescribeKeystroke(text, key);
    } else {
        DescribeMessageCommand(text, id, key);
    }
}

void PointerCommand(Text& text, RemoteKey key) {
    PointerKeyAction what = PointerActionOf(key);
    switch (what.action) {
        case PointerAction::Move:
            Add(text, "pointer: move %s%s%s",
                what.dy < 0   ? "up"
                : what.dy > 0 ? "down"
                              : "",
                what.dx != 0 && what.dy != 0 ? "-" : "",
                what.dx < 0   ? "left"
                : what.dx > 0 ? "right"
                              : "");
            return;
        case PointerAction::LeftClick:
            Add(text, "pointer: left click");
            return;
        case PointerAction::RightClick:
            Add(text, "pointer: right click");
            return;
        case PointerAction::DragToggle:
            Add(text, "pointer: press or release the primary button");
            return;
        case PointerAction::None:
            break;
    }
    Add(text, "pointer: nothing (no pointer action for this key)");
}

// TogglePower: a running application is asked to close, which drops its mark; another one
// is started.
void Toggle(Text& text, AppId id, bool* said) {
    if (IsRunning(id)) {
        Add(text, "%sclose %s", *said ? ", " : "", AppLabel(id));
        Mark(id, false);
    } else if (IsInstalled(id)) {
        Add(text, "%sstart %s", *said ? ", " : "", AppLabel(id));
    } else {
        return;
    }
    *said = true;
}

void Close(Text& text, AppId id, bool* said) {
    if (!IsRunning(id)) return;
    Add(text, "%sclose %s", *said ? ", " : "", AppLabel(id));
    Mark(id, false);
    *said = true;
}

void PowerPath(Text& text) {
    Add(text, "Power: ");
    AppId app = logic.DefaultTVAPP;
    if (!IsAppId(app)) {
        Add(text, "nothing (the default application %d is none of the five)", app);
        return;
    }
    bool said = false;
    if (!IsInstalled(app)) {
        Add(text, "message \"Please re-initialize the TV application settings.\"");
        said = true;
    }
    for (AppId other : kCloseOrder) {
        if (other != app) Close(text, other, &said);
    }
    Toggle(text, app, &said);
    if (!said) Add(text, "nothing");
}

void Key20Path(Text& text) {
    AppId app = logic.DefaultTVAPP;
    if (app == 2) {
        Add(text, "default %s: ", AppLabel(app));
        bool said = false;
        for (AppId other : kKey20CloseOrder)
            Close(text, other, &said);
        Toggle(text, 2, &said);
        if (!said) Add(text, "nothing");
    } else if (IsAppId(app)) {
        Mark(app, true);
        AppCommand(text, app, kKey20);
    } else {
        Add(text, "nothing (the default application %d is none of the five)", app);
    }
}

void Key21Path(Text& text) {
    AppId app = logic.DefaultTVAPP;
    if (app == 1 || app == 9) {
        Mark(app, true);
        AppCommand(text, app, kKey21);
        return;
    }
    if (!NoTvAppRunning()) {
        Add(text, "nothing (the Shut Down question needs every TV application closed)");
        return;
    }
    Add(text, "Shut Down: ask whether to shut the computer down");
    shutdownAsked = true;
}

void Search(Text& text, RemoteKey key) {
    for (AppId id : kAppOrder) {
        if (IsRunning(id)) {
            Mark(id, true);
            AppCommand(text, id, key);
            return;
        }
    }
    PointerCommand(text, key);
}

}  // namespace

void ResetWouldDo() {
    shutdownAsked = false;
}

void DescribeWouldDo(RemoteKey key, bool thinned, char* data, int size) {
    Text text{data, size, 0};
    data[0] = '\0';
    AppId target = 0;
    bool marked = ActiveTarget(&target) != nullptr;
    if (shutdownAsked) {
        shutdownAsked = false;
        Add(text, key == PowerKey && !thinned ? "Shut Down: yes, the computer is switched off"
                                              : "Shut Down: cancelled");
        return;
    }
    if (marked) {
        if (thinned) {
            Add(text, "%s: nothing (held key: only every tenth repeat acts)", AppLabel(target));
        } else if (key == PowerKey) {
            Add(text, "Power: ");
            bool said = false;
            Toggle(text, target, &said);
            if (!said) Add(text, "nothing (%s is not installed)", AppLabel(target));
        } else {
            AppCommand(text, target, key);
        }
        return;
    }
    switch (key) {
        case PowerKey:
            PowerPath(text);
            break;
        case kKey20:
            Key20Path(text);
            break;
        case kKey21:
            Key21Path(text);
            break;
        default:
            Search(text, key);
            break;
    }
}

namespace {

// The columns of an event line and of its heading.
constexpr const char* kHeadingFormat = "%11s  %-12s  %-17s %-10s %s";
constexpr const char* kLineFormat = "%8u ms  raw 0x%02X %3d  %-17s %-10s %s";

}  // namespace

void FormatEventHeading(char* line, int size) {
    std::snprintf(line, static_cast<std::size_t>(size), kHeadingFormat, "time", "raw code", "key",
                  "event", "Remote Control would do");
}

void FormatEventLine(const KeyEvent& event, const char* wouldDo, char* line, int size) {
    char key[24];
    if (event.key >= 0 && event.key < 32) {
        std::snprintf(key, sizeof key, "key %2d %s", event.key, RemoteKeyName(event.key));
    } else if (event.key == NoRemoteKey) {
        std::snprintf(key, sizeof key, "no key");
    } else {
        std::snprintf(key, sizeof key, "key %d, no key", event.key);
    }
    char repeat[24];
    if (event.repeat) {
        std::snprintf(repeat, sizeof repeat, "repeat %d", event.repeatCount);
    } else {
        std::snprintf(repeat, sizeof repeat, "new");
    }
    std::snprintf(line, static_cast<std::size_t>(size), kLineFormat, event.ms,
                  static_cast<std::uint32_t>(event.rawCode) & 0xFFu, event.rawCode, key, repeat,
                  wouldDo);
}
