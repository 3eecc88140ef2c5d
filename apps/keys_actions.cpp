// The actions of keys.ini's key lines: keys, appcommand, media, message, launch, close and
// none, with "repeat" as the last word.
#include "apps/keys_names.h"
#include "apps/keys_parser.h"
#include "platform/win_constants.h"
#include "platform/win_key_constants.h"

namespace keysfile {
namespace {

// Decimal, or hexadecimal after 0x; a minus sign where `negative` allows one.
bool ParseNumber(Span s, bool negative, std::uint32_t* value) {
    bool minus = negative && s.size > 1 && s.at[0] == '-';
    if (minus) {
        ++s.at;
        --s.size;
    }
    bool hex = s.size > 2 && s.at[0] == '0' && Lower(s.at[1]) == 'x';
    std::size_t i = hex ? 2 : 0;
    if (i >= s.size || (hex && minus)) return false;
    std::uint64_t result = 0;
    for (; i < s.size; ++i) {
        char c = Lower(s.at[i]);
        int digit = c >= '0' && c <= '9'          ? c - '0'
                    : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                  : -1;
        if (digit < 0) return false;
        result = result * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (result > (minus ? 0x80000000u : 0xFFFFFFFFu)) return false;
    }
    *value = static_cast<std::uint32_t>(minus ? 0 - result : result);
    return true;
}

// A number, or WM_USER or WM_APP with an optional +N.
bool ParseMessageNumber(Span s, std::uint32_t* value) {
    std::uint32_t base = 0;
    if (StartsWith(s, "WM_USER")) {
        base = WM_USER;
        s.at += 7;
        s.size -= 7;
    } else if (StartsWith(s, "WM_APP")) {
        base = WM_APP;
        s.at += 6;
        s.size -= 6;
    } else {
        return ParseNumber(s, false, value);
    }
    std::uint32_t offset = 0;
    if (!s.Empty() && (s.at[0] != '+' || !ParseNumber(Span{s.at + 1, s.size - 1}, false, &offset)))
        return false;
    if (offset > 0xFFFF) return false;
    *value = base + offset;
    return true;
}

// One chord: modifiers joined by "+" and a key ("Ctrl+Shift+P", "Num+").
bool ParseChord(Parser& p, Span word, KeyChord* chord) {
    Span rest = word;
    for (;;) {
        std::size_t plus = 0;
        while (plus < rest.size && rest.at[plus] != '+')
            ++plus;
        std::uint8_t bit = 0;
        if (plus + 1 >= rest.size || !FindModifier(rest.at, plus, &bit)) break;
        chord->modifiers |= bit;
        rest = Span{rest.at + plus + 1, rest.size - plus - 1};
    }
    std::uint8_t bit = 0;
    if (FindModifier(rest.at, rest.size, &bit) || (rest.size > 1 && rest.at[rest.size - 1] == '+' &&
                                                   FindModifier(rest.at, rest.size - 1, &bit))) {
        Report(p).Quoted(word).Add(" needs a key after its modifiers, e.g. Ctrl+Up");
        return false;
    }
    if (!FindKeyboardKey(rest.at, rest.size, &chord->vk)) {
        Report(p).Quoted(rest).Add(" is not a keyboard key");
        return false;
    }
    return true;
}

// The words after "keys": up to kMaxChords chords.
bool ParseChords(Parser& p, Span words, Action* action) {
    if (words.Empty()) {
        Report(p).Add("keys needs a key, e.g. keys Space");
        return false;
    }
    while (!words.Empty()) {
        Span chord = FirstWord(words, &words);
        if (action->chordCount == kMaxChords) {
            Report(p).Add("keys takes at most ").Number(kMaxChords).Add(" chords");
            return false;
        }
        if (!ParseChord(p, chord, &action->chords[action->chordCount])) return false;
        ++action->chordCount;
    }
    return true;
}

bool ParseMessage(Parser& p, Span words, Action* action) {
    Span parts[3];
    int count = 0;
    while (!words.Empty() && count < 4) {
        Span word = FirstWord(words, &words);
        if (count < 3) parts[count] = word;
        ++count;
    }
    if (count != 3) {
        Report(p).Add("message needs MSG WPARAM LPARAM, e.g. message 0x8001 1 0");
        return false;
    }
    std::uint32_t values[3] = {};
    if (!ParseMessageNumber(parts[0], &values[0])) {
        Report(p).Quoted(parts[0]).Add(" is not a message number");
        return false;
    }
    if (values[0] > 0xFFFF) {
        Report(p).Add("message numbers go up to 0xFFFF");
        return false;
    }
    for (int i = 1; i < 3; ++i) {
        if (!ParseNumber(parts[i], true, &values[i])) {
            Report(p).Quoted(parts[i]).Add(" is not a number");
            return false;
        }
    }
    action->kind = ActionKind::Post;
    action->message = values[0];
    action->wParam = static_cast<WParam>(values[1]);
    action->lParam = static_cast<LParam>(static_cast<std::int32_t>(values[2]));
    return true;
}

bool ParseLaunch(Parser& p, Span words, Action* action) {
    std::size_t close = 1;
    while (close < words.size && words.at[close] != '"')
        ++close;
    if (words.size < 3 || words.at[0] != '"' || close >= words.size || close == 1) {
        Report(p).Add("launch needs a program in quotes, e.g. launch \"notepad.exe\"");
        return false;
    }
    Span program{words.at + 1, close - 1};
    Span arguments = Trim(Span{words.at + close + 1, words.size - close - 1});
    int mark = p.table->textUsed;
    if (!Keep(p, program, &action->program) ||
        (!arguments.Empty() && !Keep(p, arguments, &action->arguments))) {
        p.table->textUsed = mark;
        return false;
    }
    action->kind = ActionKind::Launch;
    return true;
}

// `value` without its last word "repeat" when it has one.
bool TakeRepeat(Span* value) {
    std::size_t start = value->size;
    while (start > 0 && !IsSpace(value->at[start - 1]))
        --start;
    if (start == 0 || !Equals(Span{value->at + start, value->size - start}, "repeat")) return false;
    *value = Trim(Span{value->at, start});
    return true;
}

}  // namespace

bool ParseAction(Parser& p, Span value, KeyBinding* binding) {
    binding->repeat = TakeRepeat(&value);
    Span words;
    Span kind = FirstWord(value, &words);
    Action& action = binding->action;
    if (kind.Empty()) {
        Report(p).Add("no action after \"=\"");
        return false;
    }
    if (Equals(kind, "keys")) {
        action.kind = ActionKind::Chord;
        return ParseChords(p, words, &action);
    }
    if (Equals(kind, "message")) return ParseMessage(p, words, &action);
    if (Equals(kind, "launch")) return ParseLaunch(p, words, &action);
    bool command = Equals(kind, "appcommand");
    if (command || Equals(kind, "media")) {
        Span more;
        Span name = FirstWord(words, &more);
        if (name.Empty() || !more.Empty()) {
            Report(p).Add(command ? "appcommand takes one name, e.g. appcommand play-pause"
                                  : "media takes one name, e.g. media play-pause");
            return false;
        }
        bool known = command ? FindAppCommand(name.at, name.size, &action.message)
                             : FindMediaKey(name.at, name.size, &action.chords[0].vk);
        if (!known) {
            Report(p).Quoted(name).Add(command ? " is not an app command" : " is not a media key");
            return false;
        }
        action.kind = command ? ActionKind::AppCommand : ActionKind::Media;
        action.chordCount = command ? 0 : 1;
        return true;
    }
    bool close = Equals(kind, "close");
    if (close || Equals(kind, "none")) {
        if (!words.Empty()) {
            Report(p).Add(close ? "close" : "none").Add(" takes nothing after it");
            return false;
        }
        action.kind = close ? ActionKind::Close : ActionKind::None;
        return true;
    }
    Report(p).Quoted(kind).Add(
        " is not an action: keys, appcommand, media, message, launch, close or none");
    return false;
}

}  // namespace keysfile
