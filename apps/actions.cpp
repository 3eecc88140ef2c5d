#include "apps/actions.h"

#include "shell/static_objects.h"
#include "shell/text.h"

namespace {

bool elevationBoxOpen = false;  // set while the box about an elevated application is up

constexpr char kElevatedText[] =
    " runs as administrator, so the remote cannot reach it. Start it without administrator "
    "rights, or start Remote Control as administrator.";

// Virtual keys that the platform's constants do not name.
constexpr std::uint8_t kVkLeftWin = 0x5B;
constexpr std::uint8_t kVkLeftShift = 0xA0;
constexpr std::uint8_t kVkLeftCtrl = 0xA2;
constexpr std::uint8_t kVkLeftAlt = 0xA4;

// Keys whose make code has the 0xE0 prefix on a standard keyboard, among those a chord can
// name: the navigation block, the arrows, Num/, the Windows and menu keys, the right-hand
// modifiers and the media keys.
bool IsExtendedKey(std::uint8_t vk) {
    return (vk >= 0x21 && vk <= 0x28) ||              // PgUp, PgDn, End, Home, the arrows
           vk == 0x2C || vk == 0x2D || vk == 0x2E ||  // PrtScn, Ins, Del
           vk == 0x5B || vk == 0x5C || vk == 0x5D ||  // the Windows keys, Apps
           vk == 0x6F || vk == 0x90 ||                // Num/, NumLock
           vk == 0xA3 || vk == 0xA5 ||                // right Ctrl, right Alt
           (vk >= 0xA6 && vk <= 0xB7);                // browser, volume and media keys
}

// The media keys' make codes (set 1, after the 0xE0 prefix), which a real keyboard sends
// with them; 0 for a key that is no media key.
std::uint8_t MediaScanCode(std::uint8_t vk) {
    switch (vk) {
        case 0xAD:
            return 0x20;  // VK_VOLUME_MUTE
        case 0xAE:
            return 0x2E;  // VK_VOLUME_DOWN
        case 0xAF:
            return 0x30;  // VK_VOLUME_UP
        case 0xB0:
            return 0x19;  // VK_MEDIA_NEXT_TRACK
        case 0xB1:
            return 0x10;  // VK_MEDIA_PREV_TRACK
        case 0xB2:
            return 0x24;  // VK_MEDIA_STOP
        case 0xB3:
            return 0x22;  // VK_MEDIA_PLAY_PAUSE
        default:
            return 0;
    }
}

// The built-in keystroke table's chords (Ctrl or Ctrl+Shift and a letter) typed as they have
// always been: the generic modifier keys, scan code 0, every key with the extended flag.
void TypeBuiltInChords(const Action& action) {
    constexpr std::uint32_t kPress = KEYEVENTF_EXTENDEDKEY;
    constexpr std::uint32_t kRelease = KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP;
    Platform& platform = Plat();
    for (int index = 0; index < action.chordCount && index < kMaxChords; ++index) {
        const KeyChord& chord = action.chords[index];
        bool ctrl = (chord.modifiers & kModCtrl) != 0;
        bool shift = (chord.modifiers & kModShift) != 0;
        if (ctrl) platform.keybd_event(VK_CONTROL, 0, kPress, 0);
        if (shift) platform.keybd_event(VK_SHIFT, 0, kPress, 0);
        platform.keybd_event(chord.vk, 0, kPress, 0);
        platform.keybd_event(chord.vk, 0, kRelease, 0);
        if (shift) platform.keybd_event(VK_SHIFT, 0, kRelease, 0);
        if (ctrl) platform.keybd_event(VK_CONTROL, 0, kRelease, 0);
    }
}

// A user's chords, typed as one SendInput so that no real key press falls between them.
void TypeUserChords(const Action& action) {
    ChordKeyEvent events[kMaxChordKeyEvents];
    int count = UserChordKeyEvents(action, events);
    Input inputs[kMaxChordKeyEvents] = {};
    for (int index = 0; index < count; ++index) {
        inputs[index].vk = events[index].vk;
        inputs[index].flags = events[index].flags;
    }
    Plat().SendInput(static_cast<std::uint32_t>(count), inputs);
}

// WM_APPCOMMAND as a keyboard's media key makes it: wParam the window, the command in the
// high word of lParam with FAPPCOMMAND_KEY (0) and no key state in the low word. Sent, as
// the window must answer it, but with a time-out: a hung player must not stop the remote.
void SendAppCommand(Hwnd window, std::uint32_t command) {
    constexpr std::uint32_t kAppCommandTimeoutMs = 250;
    std::uintptr_t answer = 0;
    Plat().SendMessageTimeoutA(window, WM_APPCOMMAND, window, static_cast<LParam>(command << 16),
                               SMTO_ABORTIFHUNG, kAppCommandTimeoutMs, &answer);
}

// A media key typed into the system, as a keyboard's own media key arrives: its virtual
// key, its make code and the extended flag, pressed and released.
void TypeMediaKey(std::uint8_t vk) {
    std::uint8_t scan = MediaScanCode(vk);
    if (scan == 0) return;
    Input inputs[2] = {};
    inputs[0] = {vk, scan, KEYEVENTF_EXTENDEDKEY, 0, 0};
    inputs[1] = {vk, scan, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0, 0};
    Plat().SendInput(2, inputs);
}

constexpr std::size_t kMaxLaunchUnits = 1024;  // a command line's length in UTF-16 units

bool IsAscii(const char* text) {
    for (; *text != '\0'; ++text) {
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    }
    return true;
}

// The keys file is UTF-8 and ShellExecuteA reads the ANSI code page: a path and arguments
// in ASCII mean the same in both and go the A way, which every Windows has; others go the
// wide way (NT).
void LaunchProgram(const char* program, const char* arguments) {
    if (program[0] == '\0') return;
    const char* parameters = arguments[0] != '\0' ? arguments : nullptr;
    Platform& platform = Plat();
    if (IsAscii(program) && IsAscii(arguments)) {
        platform.ShellExecuteA(0, "open", program, parameters, nullptr, SW_SHOW);
        return;
    }
    char16_t wideProgram[kMaxLaunchUnits];
    char16_t wideArguments[kMaxLaunchUnits];
    if (!Utf16Of(program, wideProgram, kMaxLaunchUnits) ||
        !Utf16Of(arguments, wideArguments, kMaxLaunchUnits))
        return;
    platform.ShellExecuteW(0, u"open", wideProgram, parameters ? wideArguments : nullptr, nullptr,
                           SW_SHOW);
}

bool Post(AppId app, Hwnd target, std::uint32_t msg, WParam wParam, LParam lParam) {
    return app != 0 ? PostToApp(app, target, msg, wParam, lParam)
                    : Plat().PostMessageA(target, msg, wParam, lParam);
}

const char* TextAt(const char* text, std::uint16_t offset) {
    return text != nullptr && offset != 0 ? text + offset : "";
}

}  // namespace

int UserChordKeyEvents(const Action& action, ChordKeyEvent (&events)[kMaxChordKeyEvents]) {
    struct Modifier {
        std::uint8_t bit;
        std::uint8_t vk;
    };
    constexpr Modifier kModifiers[] = {{kModCtrl, kVkLeftCtrl},
                                       {kModShift, kVkLeftShift},
                                       {kModAlt, kVkLeftAlt},
                                       {kModWin, kVkLeftWin}};
    int count = 0;
    auto add = [&](std::uint8_t vk, bool up) {
        std::uint32_t flags =
            (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0u) | (up ? KEYEVENTF_KEYUP : 0u);
        events[count++] = {vk, flags};
    };
    for (int index = 0; index < action.chordCount && index < kMaxChords; ++index) {
        const KeyChord& chord = action.chords[index];
        for (const Modifier& modifier : kModifiers) {
            if (chord.modifiers & modifier.bit) add(modifier.vk, false);
        }
        add(chord.vk, false);
        add(chord.vk, true);
        for (int at = 3; at >= 0; --at) {
            if (chord.modifiers & kModifiers[at].bit) add(kModifiers[at].vk, true);
        }
    }
    return count;
}

void PerformAction(const Action& action, Hwnd target, AppId app, const char* text) {
    Platform& platform = Plat();
    bool inFront = true;
    if (action.front != ActionFront::AsItIs && target != 0) {
        if (action.front == ActionFront::Raise) platform.BringWindowToTop(target);
        // Only the call's own answer says whether the keyboard follows: the window becomes
        // the foreground window later, when its thread handles the activation.
        inFront = platform.SetForegroundWindow(target);
        platform.SetActiveWindow(target);
    }
    switch (action.kind) {
        case ActionKind::None:
            break;
        case ActionKind::Post:
            if (target != 0) Post(app, target, action.message, action.wParam, action.lParam);
            break;
        case ActionKind::Chord:
            // Typed keys go to the program that has the keyboard: after a refused switch
            // that is some other program.
            if (!inFront) break;
            if (action.everyKeyExtended) {
                TypeBuiltInChords(action);
            } else {
                TypeUserChords(action);
            }
            break;
        case ActionKind::AppCommand:
            if (target != 0) SendAppCommand(target, action.message);
            break;
        case ActionKind::Media:
            TypeMediaKey(action.chords[0].vk);
            break;
        case ActionKind::Launch:
            LaunchProgram(TextAt(text, action.program), TextAt(text, action.arguments));
            break;
        case ActionKind::Close:
            if (target != 0) Post(app, target, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
    }
}

// A program that runs at a higher integrity level than the utility refuses its messages
// (ERROR_ACCESS_DENIED) and its injected input: the remote cannot reach that application
// at all. The user is told once for each run of it, which its main window stands for.
bool PostToApp(AppId id, Hwnd target, std::uint32_t msg, WParam wParam, LParam lParam) {
    Platform& platform = Plat();
    if (platform.PostMessageA(target, msg, wParam, lParam)) return true;
    if (platform.GetLastError() != static_cast<std::uint32_t>(ERROR_ACCESS_DENIED)) return false;
    int slot = AppSlot(id);
    if (slot < 0 || elevationBoxOpen) return false;
    Hwnd run = FindAppWindow(id);
    if (run == logic.elevationReported[slot]) return false;
    logic.elevationReported[slot] = run;
    char text[192];
    std::size_t length = CopyTruncated(text, sizeof text, AppLabel(id));
    CopyTruncated(text + length, sizeof text - length, kElevatedText);
    elevationBoxOpen = true;
    platform.MessageBoxA(0, text, "Remote Control", MB_OK | MB_SETFOREGROUND);
    elevationBoxOpen = false;
    return false;
}
