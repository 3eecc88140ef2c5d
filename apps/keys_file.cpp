// keys.ini read into fixed tables. Every line is taken apart as a span of the file's bytes;
// nothing is copied but the text that the tables keep, and nothing is allocated.
#include "apps/keys_file.h"

#include "apps/keys_parser.h"
#include "platform/win_constants.h"
#include "platform/win_key_constants.h"

using namespace keysfile;

namespace keysfile {

Writer Report(Parser& p, std::uint32_t line) {
    KeysTable& t = *p.table;
    ++t.problemTotal;
    if (t.problemCount >= kMaxKeysProblems) return Writer{};
    KeysProblem& problem = t.problems[t.problemCount++];
    problem.line = line;
    problem.text[0] = '\0';
    return Writer{problem.text, sizeof problem.text};
}

Writer Report(Parser& p) {
    return Report(p, p.line);
}

// The text into the pool; false when it does not fit.
bool Keep(Parser& p, Span s, std::uint16_t* offset) {
    KeysTable& t = *p.table;
    if (s.size + 1 > static_cast<std::size_t>(kKeysTextPoolSize - t.textUsed)) {
        Report(p).Add("no room left for this line's text: it is ignored");
        return false;
    }
    *offset = static_cast<std::uint16_t>(t.textUsed);
    for (std::size_t i = 0; i < s.size; ++i)
        t.text[t.textUsed++] = s.at[i];
    t.text[t.textUsed++] = '\0';
    return true;
}

}  // namespace keysfile

namespace {

constexpr int kDescribedProblems = 5;  // the box lists these; the rest are counted

// Well-formed UTF-8 without control characters other than the tab (and CR, which ends a line).
bool IsText(Span s) {
    std::size_t i = 0;
    while (i < s.size) {
        auto byte = static_cast<unsigned char>(s.at[i]);
        if (byte < 0x80) {
            if (byte < 0x20 && byte != '\t' && byte != '\r') return false;
            ++i;
            continue;
        }
        std::size_t extra = byte >= 0xC2 && byte <= 0xDF   ? 1
                            : byte >= 0xE0 && byte <= 0xEF ? 2
                            : byte >= 0xF0 && byte <= 0xF4 ? 3
                                                           : 0;
        if (extra == 0 || s.size - i <= extra) return false;
        auto second = static_cast<unsigned char>(s.at[i + 1]);
        // Overlong forms, surrogates and values above U+10FFFF.
        if ((byte == 0xE0 && second < 0xA0) || (byte == 0xED && second > 0x9F) ||
            (byte == 0xF0 && second < 0x90) || (byte == 0xF4 && second > 0x8F)) {
            return false;
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            if ((static_cast<unsigned char>(s.at[i + k]) & 0xC0) != 0x80) return false;
        }
        i += extra + 1;
    }
    return true;
}

KeyProfile& Current(Parser& p) {
    return p.table->profiles[p.table->profileCount - 1];
}

// A profile for another program that never matches is dropped with its lines.
void EndSection(Parser& p) {
    if (p.section != Parser::Section::Profile) return;
    KeysTable& t = *p.table;
    KeyProfile& profile = Current(p);
    if (profile.kind == ProfileKind::Program && profile.exe == 0 && profile.cls == 0 &&
        profile.title == 0) {
        Report(p, p.sectionLine)
            .Add("[program ")
            .Excerpt(Whole(KeysText(t, profile.label)))
            .Add("] has no exe, class or title line: it is ignored");
        t.bindingCount = profile.firstBinding;
        t.textUsed = p.sectionText;
        --t.profileCount;
    }
}

void StartSection(Parser& p, Span inside) {
    EndSection(p);
    p.section = Parser::Section::Ignored;
    p.sectionLine = p.line;
    p.sectionText = p.table->textUsed;
    for (std::uint32_t& line : p.matchLine)
        line = 0;
    Span label;
    Span kind = FirstWord(inside, &label);
    bool program = Equals(kind, "program");
    AppId app = 0;
    if (program) {
        if (label.Empty()) {
            Report(p).Add("[program] needs a label, e.g. [program VLC]");
            return;
        }
    } else if (Equals(kind, "application")) {
        int index = 0;
        while (index < kAppCount && !Equals(label, AppLabel(kAppOrder[index])))
            ++index;
        if (index == kAppCount) {
            Report(p).Quoted(label).Add(
                " is none of Lumacast, VantorTVR, Omnivue, DVBS SUITE, OmnivueCenter");
            return;
        }
        app = kAppOrder[index];
        if (p.appLine[index] != 0) {
            Report(p)
                .Add("[application ")
                .Add(AppLabel(app))
                .Add("] came on line ")
                .Number(p.appLine[index])
                .Add(" already: this one is ignored");
            return;
        }
        label = Whole(AppLabel(app));
    } else {
        Report(p)
            .Add("[")
            .Excerpt(Trim(inside))
            .Add("] is not [program LABEL] or [application LABEL]");
        return;
    }
    KeysTable& t = *p.table;
    if (t.profileCount >= kMaxKeyProfiles) {
        Report(p).Add("more than ").Number(kMaxKeyProfiles).Add(" sections: this one is ignored");
        return;
    }
    KeyProfile profile;
    profile.kind = program ? ProfileKind::Program : ProfileKind::Application;
    profile.app = app;
    profile.firstBinding = static_cast<std::uint16_t>(t.bindingCount);
    if (!Keep(p, label, &profile.label)) return;
    t.profiles[t.profileCount++] = profile;
    p.section = Parser::Section::Profile;
    for (int index = 0; index < kAppCount; ++index) {
        if (kAppOrder[index] == app) p.appLine[index] = p.line;
    }
}

bool HasFolder(Span file) {
    for (std::size_t i = 0; i < file.size; ++i) {
        if (file.at[i] == '\\' || file.at[i] == '/' || file.at[i] == ':') return true;
    }
    return false;
}

// exe, class or title of a [program] section; false when `name` is none of them.
bool MatchLine(Parser& p, Span name, Span value) {
    static constexpr const char* kNames[] = {"exe", "class", "title"};
    int which = 0;
    while (which < 3 && !Equals(name, kNames[which]))
        ++which;
    if (which == 3) return false;
    KeyProfile& profile = Current(p);
    if (profile.kind != ProfileKind::Program) {
        Report(p).Add(kNames[which]).Add(" lines belong in [program] sections");
    } else if (value.Empty()) {
        Report(p).Add(kNames[which]).Add(" needs a value");
    } else if (p.matchLine[which] != 0) {
        Report(p)
            .Add("a second ")
            .Add(kNames[which])
            .Add(" line: the one on line ")
            .Number(p.matchLine[which])
            .Add(" is kept");
    } else if (which == 0 && HasFolder(value)) {
        Report(p).Add("exe is a file name without its folder, e.g. exe = vlc.exe");
    } else {
        std::uint16_t* fields[] = {&profile.exe, &profile.cls, &profile.title};
        if (Keep(p, value, fields[which])) p.matchLine[which] = p.line;
    }
    return true;
}

// "key N" (0 to 31) or a key's name as the key map gives it.
bool ParseRemoteKey(Span name, RemoteKey* key) {
    Span number;
    Span word = FirstWord(name, &number);
    if (Equals(word, "key") && number.size >= 1 && number.size <= 2) {
        RemoteKey value = 0;
        for (std::size_t i = 0; i < number.size; ++i) {
            if (number.at[i] < '0' || number.at[i] > '9') return false;
            value = value * 10 + (number.at[i] - '0');
        }
        if (value >= kKeyCount) return false;
        *key = value;
        return true;
    }
    for (RemoteKey k = 0; k < kKeyCount; ++k) {
        const char* known = RemoteKeyName(k);
        if (Equals(Whole(known), "command")) continue;
        if (Equals(name, known)) {
            *key = k;
            return true;
        }
    }
    return false;
}

// The key's name in a problem: its name, or "key N" for one without.
Writer& AddKeyName(Writer& w, RemoteKey key) {
    const char* name = RemoteKeyName(key);
    return Equals(Whole(name), "command") ? w.Add("key ").Number(static_cast<std::uint32_t>(key))
                                          : w.Add(name);
}

void KeyLine(Parser& p, Span name, Span value) {
    KeysTable& t = *p.table;
    KeyProfile& profile = Current(p);
    KeyBinding binding;
    binding.line = p.line;
    if (!ParseRemoteKey(name, &binding.key)) {
        Report(p).Quoted(name).Add(" is not a key name");
        return;
    }
    if (profile.kind == ProfileKind::Application && binding.key == PowerKey) {
        Report(p).Add("Power cannot be changed in an [application] section");
        return;
    }
    for (int i = profile.firstBinding; i < t.bindingCount; ++i) {
        if (t.bindings[i].key == binding.key) {
            Writer w = Report(p);
            AddKeyName(w, binding.key)
                .Add(" came on line ")
                .Number(t.bindings[i].line)
                .Add(" already: that line is kept");
            return;
        }
    }
    if (t.bindingCount >= kMaxKeyBindings) {
        Report(p).Add("more than ").Number(kMaxKeyBindings).Add(" key lines: this one is ignored");
        return;
    }
    if (!ParseAction(p, value, &binding)) return;
    t.bindings[t.bindingCount++] = binding;
    ++profile.bindingCount;
}

void ParseLine(Parser& p, Span line) {
    line = Trim(line);
    if (line.Empty() || line.at[0] == ';' || line.at[0] == '#') return;
    if (!IsText(line)) {
        Report(p).Add("not UTF-8 text: save the file as UTF-8");
        return;
    }
    if (line.at[0] == '[') {
        if (line.at[line.size - 1] != ']') {
            Report(p).Quoted(line).Add(" has no closing \"]\"");
            return;
        }
        StartSection(p, Span{line.at + 1, line.size - 2});
        return;
    }
    std::size_t equals = 0;
    while (equals < line.size && line.at[equals] != '=')
        ++equals;
    if (equals == line.size) {
        Report(p).Quoted(line).Add(" is not NAME = VALUE or a [section]");
        return;
    }
    if (p.section == Parser::Section::Ignored) return;
    if (p.section == Parser::Section::None) {
        Report(p).Add("a line before the first [program] or [application] section");
        return;
    }
    Span name = Trim(Span{line.at, equals});
    Span value = Trim(Span{line.at + equals + 1, line.size - equals - 1});
    if (!MatchLine(p, name, value)) KeyLine(p, name, value);
}

// In line order: a section's own problem is found at its end, after those of its lines.
void SortProblems(KeysTable* table) {
    for (int i = 1; i < table->problemCount; ++i) {
        KeysProblem moved = table->problems[i];
        int j = i;
        for (; j > 0 && table->problems[j - 1].line > moved.line; --j)
            table->problems[j] = table->problems[j - 1];
        table->problems[j] = moved;
    }
}

}  // namespace

void ParseKeysFile(const char* data, std::size_t size, KeysTable* table) {
    table->profileCount = 0;
    table->bindingCount = 0;
    table->text[0] = '\0';
    table->textUsed = 1;
    table->problemCount = 0;
    table->problemTotal = 0;
    Parser p;
    p.table = table;
    if (size > kKeysFileMaxBytes) {
        Report(p).Add("the file is longer than 64 KiB: none of it applies");
        return;
    }
    auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(data[i]); };
    if (size >= 2 &&
        ((byteAt(0) == 0xFF && byteAt(1) == 0xFE) || (byteAt(0) == 0xFE && byteAt(1) == 0xFF))) {
        Report(p).Add("the file is UTF-16: save it as UTF-8");
        return;
    }
    std::size_t at =
        size >= 3 && byteAt(0) == 0xEF && byteAt(1) == 0xBB && byteAt(2) == 0xBF ? 3 : 0;
    while (at < size) {
        std::size_t end = at;
        while (end < size && data[end] != '\n')
            ++end;
        ++p.line;
        ParseLine(p, Span{data + at, end - at});
        at = end + 1;
    }
    EndSection(p);
    SortProblems(table);
}

const char* KeysText(const KeysTable& table, std::uint16_t offset) {
    return offset < table.textUsed ? table.text + offset : "";
}

std::size_t DescribeKeysProblems(const KeysTable& table, char* out, std::size_t size) {
    Writer w{out, size};
    w.Add("");
    int shown = table.problemCount < kDescribedProblems ? table.problemCount : kDescribedProblems;
    for (int i = 0; i < shown; ++i) {
        const KeysProblem& problem = table.problems[i];
        if (i > 0) w.Add("; ");
        w.Add("keys.ini");
        if (problem.line != 0) w.Add(" line ").Number(problem.line);
        w.Add(": ").Add(problem.text);
    }
    if (table.problemTotal > shown) {
        w.Add("; and ").Number(static_cast<std::uint32_t>(table.problemTotal - shown)).Add(" more");
    }
    return w.length;
}
