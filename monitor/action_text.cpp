#include "monitor/action_text.h"

#include <cstdio>

#include "apps/keys_names.h"

namespace {

struct Words {
    char* out;
    int size;
    int length = 0;

    void Add(const char* a, const char* b = "") {
        if (length >= size - 1) return;
        int added =
            std::snprintf(out + length, static_cast<std::size_t>(size - length), "%s%s", a, b);
        if (added > 0) length += added;
        if (length > size - 1) length = size - 1;
    }
};

// A value that has no name in the tables (none does when the parser made the action) is
// written as its number rather than misnamed.
const char* Named(const char* name, unsigned value, char (&spelled)[12]) {
    if (name != nullptr) return name;
    std::snprintf(spelled, sizeof spelled, "0x%02X", value);
    return spelled;
}

constexpr std::uint8_t kModifierOrder[] = {kModCtrl, kModShift, kModAlt, kModWin};

void AddChord(Words& words, const KeyChord& chord) {
    for (std::uint8_t bit : kModifierOrder) {
        if (chord.modifiers & bit) words.Add(ModifierName(bit), "+");
    }
    char spelled[12];
    words.Add(Named(KeyboardKeyName(chord.vk), chord.vk, spelled));
}

}  // namespace

int DescribeUserAction(const Action& action, const char* text, char* out, int size) {
    Words words{out, size};
    out[0] = '\0';
    char spelled[12];
    char numbers[48];
    switch (action.kind) {
        case ActionKind::None:
            words.Add("none");
            break;
        case ActionKind::Post:
            std::snprintf(numbers, sizeof numbers, "0x%X %d %d", action.message,
                          static_cast<int>(action.wParam), static_cast<int>(action.lParam));
            words.Add("message ", numbers);
            break;
        case ActionKind::Chord:
            words.Add("keys");
            for (int i = 0; i < action.chordCount && i < kMaxChords; ++i) {
                words.Add(" ");
                AddChord(words, action.chords[i]);
            }
            break;
        case ActionKind::AppCommand:
            words.Add("appcommand ",
                      Named(AppCommandName(action.message), action.message, spelled));
            break;
        case ActionKind::Media:
            words.Add("media ",
                      Named(MediaKeyName(action.chords[0].vk), action.chords[0].vk, spelled));
            break;
        case ActionKind::Launch:
            words.Add("launch \"", text + action.program);
            words.Add("\"");
            if (action.arguments != 0) words.Add(" ", text + action.arguments);
            break;
        case ActionKind::Close:
            words.Add("close");
            break;
    }
    return words.length;
}
