#include "apps/keystroke_map.h"

namespace {

// Repeat count 1, scan-code field 0x50 and the extended-key bit, for every posted key.
constexpr LParam kPostedKeyLParam = 22020097;

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

Action KeystrokeAction(const KeystrokeRow& row) {
    Action action;
    action.front = ActionFront::Activate;
    switch (row.stroke) {
        case Stroke::None:
            return {};
        case Stroke::Posted:
            action.kind = ActionKind::Post;
            action.message = WM_KEYDOWN;
            action.wParam = row.vk;
            action.lParam = kPostedKeyLParam;
            break;
        case Stroke::Ctrl:
        case Stroke::CtrlShift:
            action.kind = ActionKind::Chord;
            action.chordCount = 1;
            action.chords[0].modifiers = static_cast<std::uint8_t>(
                row.stroke == Stroke::CtrlShift ? kModCtrl | kModShift : kModCtrl);
            action.chords[0].vk = row.vk;
            action.everyKeyExtended = true;
            break;
    }
    return action;
}
