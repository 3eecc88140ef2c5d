#include "apps/keystroke_map.h"

#include "apps/tv_app.h"

namespace {

// Repeat count 1, scan-code field 0x50 and the extended-key bit, for every posted key.
constexpr LParam kPostedKeyLParam = 22020097;
constexpr std::uint32_t kPress = KEYEVENTF_EXTENDEDKEY;
constexpr std::uint32_t kRelease = KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP;

// Key 10 is the digit 0.
constexpr std::uint8_t NumpadDigit(RemoteKey key) {
    return static_cast<std::uint8_t>(VK_NUMPAD0 + key % 10);
}

constexpr KeystrokeRow None(RemoteKey key) {
    return {key, Stroke::None, 0};
}
constexpr KeystrokeRow Post(RemoteKey key, std::uint8_t vk) {
    return {key, Stroke::Posted, vk};
}
constexpr KeystrokeRow Digit(RemoteKey key) {
    return {key, Stroke::Posted, NumpadDigit(key)};
}
constexpr KeystrokeRow Ctrl(RemoteKey key, char letter) {
    return {key, Stroke::Ctrl, static_cast<std::uint8_t>(letter)};
}
constexpr KeystrokeRow CtrlShift(RemoteKey key, char letter) {
    return {key, Stroke::CtrlShift, static_cast<std::uint8_t>(letter)};
}

// One row per RemoteKey.
constexpr KeystrokeRow kKeystrokeTable[kKeyCount] = {
    Post(0, VK_ESCAPE), Digit(1),           Digit(2),
    Digit(3),           Digit(4),           Digit(5),
    Digit(6),           Digit(7),           Digit(8),
    Digit(9),           Digit(10),          Ctrl(11, 'T'),
    Ctrl(12, 'I'),      Ctrl(13, 'S'),      Ctrl(14, 'P'),
    Ctrl(15, 'E'),      Post(16, VK_F8),    Post(17, VK_ADD),
    None(18),           CtrlShift(19, 'Z'), Post(20, VK_SUBTRACT),
    Post(21, VK_F9),    CtrlShift(22, 'P'), Post(23, VK_RETURN),
    Post(24, VK_F11),   Post(25, VK_F10),   Post(26, VK_UP),
    Post(27, VK_RIGHT), CtrlShift(28, 'T'), Ctrl(29, 'R'),
    Post(30, VK_DOWN),  Post(31, VK_LEFT),
};

constexpr bool RowsFollowKeys() {
    for (RemoteKey key = 0; key < kKeyCount; ++key) {
        if (kKeystrokeTable[key].key != key) return false;
    }
    return true;
}
static_assert(RowsFollowKeys(), "the keystroke table has one row per key, in key order");

void InjectChord(bool withShift, std::uint8_t letter) {
    Platform& platform = Plat();
    platform.keybd_event(VK_CONTROL, 0, kPress, 0);
    if (withShift) platform.keybd_event(VK_SHIFT, 0, kPress, 0);
    platform.keybd_event(letter, 0, kPress, 0);
    platform.keybd_event(letter, 0, kRelease, 0);
    if (withShift) platform.keybd_event(VK_SHIFT, 0, kRelease, 0);
    platform.keybd_event(VK_CONTROL, 0, kRelease, 0);
}

}  // namespace

const KeystrokeRow* KeystrokeRowOf(RemoteKey key) {
    return key >= 0 && key < kKeyCount ? &kKeystrokeTable[key] : nullptr;
}

KeystrokeSend ResolveKeystroke(AppId id, RemoteKey key) {
    const KeystrokeRow* row = KeystrokeRowOf(key);
    if (!row || row->stroke == Stroke::None) return {};
    Hwnd window = FindAppWindow(id);
    return {window != 0 ? CommandTarget::MainWindow : CommandTarget::NoWindow, window, *row};
}

void SendKeystrokeCommand(AppId id, RemoteKey key) {
    KeystrokeSend send = ResolveKeystroke(id, key);
    if (send.target != CommandTarget::MainWindow) return;
    const KeystrokeRow& row = send.row;
    Hwnd window = send.window;
    Platform& platform = Plat();
    bool inFront = platform.SetForegroundWindow(window);
    platform.SetActiveWindow(window);
    if (row.stroke == Stroke::Posted) {
        PostToApp(id, window, WM_KEYDOWN, row.vk, kPostedKeyLParam);
        return;
    }
    // Injected input goes to the program that has the keyboard: after a refused switch
    // that is some other program. Only the call's own answer says so; the window becomes
    // the foreground window only later, when its thread handles the activation.
    if (!inFront) return;
    InjectChord(row.stroke == Stroke::CtrlShift, row.vk);
}
