// keys.ini fed any bytes: the tables stay within their bounds, every text offset leads to a
// terminated text inside the pool, each profile's bindings are its own and keep the file's
// rules, and parsing again gives the same tables.
#include <cstring>

#include "apps/keys_file.h"
#include "fuzz/fuzz_support.h"

namespace {

KeysTable table;
KeysTable again;

void RequireText(std::uint16_t offset, bool required) {
    Require(offset < table.textUsed, "text offset inside the used pool");
    Require(
        std::memchr(table.text + offset, '\0', static_cast<std::size_t>(table.textUsed - offset)),
        "text terminated inside the used pool");
    Require(!required || table.text[offset] != '\0', "required text present");
}

void RequireAction(const Action& action) {
    Require(action.chordCount <= kMaxChords, "chords within bounds");
    switch (action.kind) {
        case ActionKind::Chord:
            Require(action.chordCount >= 1, "a keys action types a key");
            for (int i = 0; i < action.chordCount; ++i)
                Require(action.chords[i].vk != 0, "every chord has a key");
            break;
        case ActionKind::Media:
            Require(action.chords[0].vk != 0, "a media key");
            break;
        case ActionKind::Post:
            Require(action.message <= 0xFFFF, "a posted message below 0x10000");
            break;
        case ActionKind::Launch:
            RequireText(action.program, true);
            RequireText(action.arguments, false);
            break;
        default:
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    ParseKeysFile(text, size, &table);
    std::uint32_t lines = 1;
    for (std::size_t i = 0; i < size; ++i)
        lines += data[i] == '\n';

    Require(table.profileCount >= 0 && table.profileCount <= kMaxKeyProfiles, "profiles");
    Require(table.bindingCount >= 0 && table.bindingCount <= kMaxKeyBindings, "bindings");
    Require(table.textUsed >= 1 && table.textUsed <= kKeysTextPoolSize, "pool use");
    Require(table.text[0] == '\0', "offset 0 is no text");
    Require(table.problemCount ==
                (table.problemTotal < kMaxKeysProblems ? table.problemTotal : kMaxKeysProblems),
            "problems kept up to the limit");
    for (int i = 0; i < table.problemCount; ++i) {
        const KeysProblem& problem = table.problems[i];
        Require(problem.line <= lines, "problem line within the file");
        Require(i == 0 || table.problems[i - 1].line <= problem.line, "problems in line order");
        Require(problem.text[0] != '\0', "a problem says what");
        Require(std::memchr(problem.text, '\0', sizeof problem.text), "problem text terminated");
    }

    int next = 0;  // profiles own consecutive runs of the bindings, in the file's order
    for (int p = 0; p < table.profileCount; ++p) {
        const KeyProfile& profile = table.profiles[p];
        Require(profile.firstBinding == next, "bindings in profile order");
        Require(profile.firstBinding + profile.bindingCount <= table.bindingCount,
                "a profile's bindings within bindingCount");
        next = profile.firstBinding + profile.bindingCount;
        RequireText(profile.label, true);
        RequireText(profile.exe, false);
        RequireText(profile.cls, false);
        RequireText(profile.title, false);
        if (profile.kind == ProfileKind::Program) {
            Require(profile.exe != 0 || profile.cls != 0 || profile.title != 0,
                    "a program's profile has a match line");
        } else {
            Require(IsAppId(profile.app), "a changed application is one of the five");
        }
        for (int b = profile.firstBinding; b < next; ++b) {
            const KeyBinding& binding = table.bindings[b];
            Require(binding.key >= 0 && binding.key < kKeyCount, "binding's key in 0 to 31");
            Require(binding.line >= 1 && binding.line <= lines, "binding's line within the file");
            Require(profile.kind == ProfileKind::Program || binding.key != PowerKey,
                    "Power unchanged in an application");
            for (int earlier = profile.firstBinding; earlier < b; ++earlier)
                Require(table.bindings[earlier].key != binding.key, "one binding a key a profile");
            RequireAction(binding.action);
        }
    }
    Require(next == table.bindingCount, "every binding belongs to a profile");

    char described[160];
    std::size_t room = size % sizeof described;
    std::size_t length = DescribeKeysProblems(table, described, room);
    Require(room == 0 ? length == 0 : length < room && described[length] == '\0',
            "description cut to fit and terminated");

    ParseKeysFile(text, size, &again);
    Require(again.profileCount == table.profileCount && again.bindingCount == table.bindingCount &&
                again.textUsed == table.textUsed && again.problemTotal == table.problemTotal &&
                std::memcmp(again.text, table.text, static_cast<std::size_t>(table.textUsed)) == 0,
            "parsing is repeatable");
    return 0;
}
