#include "monitor/key_report.h"

#include <cstdarg>
#include <cstdio>

#include "apps/app_profiles.h"
#include "apps/keystroke_map.h"
#include "apps/message_maps.h"
#include "apps/tv_app.h"
#include "monitor/action_text.h"
#include "routing/key_router.h"
#include "routing/pointer_mode.h"
#include "routing/user_keys.h"
#include "shell/static_objects.h"

namespace {

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
struct VirtualKeyNaming {
    std::uint8_t vk;
    const char* name;
};
constexpr VirtualKeyNaming kVirtualKeyNames[] = {
    {VK_ESCAPE, "ESCAPE"}, {VK_RETURN, "RETURN"}, {VK_ADD, "ADD"},   {VK_SUBTRACT, "SUBTRACT"},
    {VK_F8, "F8"},         {VK_F9, "F9"},         {VK_F10, "F10"},   {VK_F11, "F11"},
    {VK_UP, "UP"},         {VK_RIGHT, "RIGHT"},   {VK_DOWN, "DOWN"}, {VK_LEFT, "LEFT"}};

const char* VirtualKeyName(std::uint8_t vk, char (&spelled)[12]) {
    for (const VirtualKeyNaming& named : kVirtualKeyNames) {
        if (named.vk == vk) return named.name;
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
        std::snprintf(spelled, sizeof spelled, "NUMPAD%d", vk - VK_NUMPAD0);
    } else {
        std::snprintf(spelled, sizeof spelled, "0x%02X", vk);
    }
    return spelled;
}

// Says why the command would not be sent; false when it would be.
bool Withheld(Text& text, CommandTarget target) {
    const char* why = target == CommandTarget::None           ? "no command for this key"
                      : target == CommandTarget::NoWindow     ? "its window is not open"
                      : target == CommandTarget::HeldByDialog ? "held back by its open dialog"
                      : target == CommandTarget::HeldByPictureView
                          ? "held back by its PictureView window"
                          : nullptr;
    if (why) Add(text, "nothing (%s)", why);
    return why != nullptr;
}

void DescribeKeystroke(Text& text, const KeystrokeSend& send) {
    if (Withheld(text, send.target)) return;
    if (send.row.stroke == Stroke::Posted) {
        char spelled[12];
        Add(text, "key %s", VirtualKeyName(send.row.vk, spelled));
    } else {
        Add(text, "keys Ctrl+%s%c", send.row.stroke == Stroke::CtrlShift ? "Shift+" : "",
            send.row.vk);
    }
}

void DescribeMessage(Text& text, const MessageSend& send) {
    if (Withheld(text, send.target)) return;
    Add(text, "message %u, wParam %u", send.message, send.number);
    if (send.target == CommandTarget::Dialog) Add(text, ", to its open dialog");
    if (send.target == CommandTarget::MainWindowForward)
        Add(text, ", window brought forward first");
}

void UserAction(Text& text, const Action& action) {
    char words[160];
    DescribeUserAction(action, userKeys.table.text, words, sizeof words);
    Add(text, "%s", words);
}

// What the key's line in keys.ini does in place of the application's own command.
void ChangedCommand(Text& text, AppId id, const KeyBinding& changed) {
    Add(text, "%s (keys.ini line %u): ", AppLabel(id), static_cast<unsigned>(changed.line));
    ActionKind kind = changed.action.kind;
    bool needsWindow = kind == ActionKind::Post || kind == ActionKind::AppCommand ||
                       kind == ActionKind::Close || kind == ActionKind::Chord;
    if (needsWindow && FindAppWindow(id) == 0) {
        Add(text, "nothing (its window is not open)");
        return;
    }
    UserAction(text, changed.action);
    if (kind == ActionKind::Chord) Add(text, ", window brought forward first");
}

// A line of the [program] profile that the window in front matches; false when none applies
// or it does not list the key.
bool ProgramLine(Text& text, RemoteKey key, bool repeat) {
    FrontWindow front;
    const KeyProfile* profile = nullptr;
    const KeyBinding* binding = ProgramBinding(key, &front, &profile);
    if (binding == nullptr) return false;
    Add(text, "%s (keys.ini line %u): ", KeysText(userKeys.table, profile->label),
        static_cast<unsigned>(binding->line));
    if (repeat && !binding->repeat) {
        Add(text, "nothing (held key: the line has no \"repeat\")");
    } else {
        UserAction(text, binding->action);
    }
    return true;
}

void AppCommand(Text& text, AppId id, RemoteKey key) {
    if (const KeyBinding* changed = ApplicationBinding(id, key)) {
        ChangedCommand(text, id, *changed);
        return;
    }
    Add(text, "%s: ", AppLabel(id));
    if (ProfileOf(id)->keyMap == KeyMap::Keystrokes) {
        DescribeKeystroke(text, ResolveKeystroke(id, key));
    } else {
        DescribeMessage(text, ResolveMessageCommand(id, key));
    }
}

void PointerCommand(Text& text, RemoteKey key) {
    PointerKeyAction what = PointerActionOf(key);
    if (what.action != PointerAction::Move) {
        Add(text, "pointer: %s",
            what.action == PointerAction::LeftClick    ? "left click"
            : what.action == PointerAction::RightClick ? "right click"
            : what.action == PointerAction::DragToggle
                ? "press or release the primary button"
                : "nothing (no pointer action for this key)");
        return;
    }
    Add(text, "pointer: move %s%s%s",
        what.dy < 0   ? "up"
        : what.dy > 0 ? "down"
                      : "",
        what.dx != 0 && what.dy != 0 ? "-" : "",
        what.dx < 0   ? "left"
        : what.dx > 0 ? "right"
                      : "");
}

void List(Text& text, bool* said, const char* what, AppId id) {
    Add(text, "%s%s %s", *said ? ", " : "", what, AppLabel(id));
    *said = true;
}

// A close request drops the application's mark.
void Toggle(Text& text, AppId id, bool* said) {
    PowerToggle what = PowerToggleOf(id);
    if (what == PowerToggle::Nothing) return;
    List(text, said, what == PowerToggle::Close ? "close" : "start", id);
    if (what == PowerToggle::Close) Mark(id, false);
}

void ToggleDefault(Text& text, const RouteDecision& route, RemoteKey key) {
    if (key == PowerKey) {
        Add(text, "Power: ");
    } else {
        Add(text, "default %s: ", AppLabel(route.app));
    }
    bool said = route.reinitialize;
    if (said) Add(text, "message \"%s\"", kReinitializeText);
    for (int slot = 0; slot < route.closeCount; ++slot) {
        AppId other = route.closeFirst[slot];
        if (other == route.app || !IsRunning(other)) continue;
        List(text, &said, "close", other);
        Mark(other, false);
    }
    Toggle(text, route.app, &said);
    if (!said) Add(text, "nothing");
}

void TargetPower(Text& text, AppId target) {
    Add(text, "Power: ");
    bool said = false;
    Toggle(text, target, &said);
    if (!said) Add(text, "nothing (%s is not installed)", AppLabel(target));
}

}  // namespace

void DescribeWouldDo(RemoteKey key, bool repeat, char* data, int size) {
    Text text{data, size, 0};
    data[0] = '\0';
    if (!logic.shutdownDialogOpen && ProgramLine(text, key, repeat)) return;
    RemoteKey pressed = key;
    if (ThinsRepeat(repeat)) key = SkipKey;
    RouteDecision route = DecideRoute(key);
    switch (route.path) {
        case RoutePath::ConfirmShutdown:
        case RoutePath::CancelShutdown:
            logic.shutdownDialogOpen = false;  // the dialog closes with the key
            Add(text, route.path == RoutePath::ConfirmShutdown
                          ? "Shut Down: yes, the computer is switched off"
                          : "Shut Down: cancelled");
            break;
        case RoutePath::Skip:
            if (const KeyBinding* changed = ApplicationBinding(route.app, pressed)) {
                Add(text, "%s (keys.ini line %u): nothing (held key: the line has no \"repeat\")",
                    AppLabel(route.app), static_cast<unsigned>(changed->line));
            } else {
                Add(text, "%s: nothing (held key: only every tenth repeat acts)",
                    AppLabel(route.app));
            }
            break;
        case RoutePath::TargetPower:
            TargetPower(text, route.app);
            break;
        case RoutePath::NewTarget:
            Mark(route.app, true);
            [[fallthrough]];
        case RoutePath::TargetKey:
            AppCommand(text, route.app, key);
            break;
        case RoutePath::Toggle:
            ToggleDefault(text, route, key);
            break;
        case RoutePath::AskShutdown:
            logic.shutdownDialogOpen = true;
            Add(text, "Shut Down: ask whether to shut the computer down");
            break;
        case RoutePath::Pointer:
            PointerCommand(text, key);
            break;
        case RoutePath::NoDefaultApp:
            Add(text, "%snothing (the default application %d is none of the five)",
                key == PowerKey ? "Power: " : "", route.app);
            break;
        case RoutePath::AppsRunning:
            Add(text, "nothing (the Shut Down question needs every TV application closed)");
            break;
    }
}

void DescribeWindowInFront(FrontWindow& front, const KeyProfile* profile, char* data, int size) {
    Text text{data, size, 0};
    data[0] = '\0';
    Add(text, "%11s  ", "in front");
    if (front.window == 0) {
        Add(text, "no window");
    } else {
        const char* exe = ExeOf(front);
        Add(text, "%s, class \"%s\", title \"%s\"", exe[0] != '\0' ? exe : "(program file unknown)",
            ClassOf(front), TitleOf(front));
    }
    if (profile != nullptr) {
        Add(text, ": [program %s] applies", KeysText(userKeys.table, profile->label));
    } else {
        Add(text, ": no [program] profile applies");
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
