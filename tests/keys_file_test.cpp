// keys.ini into its tables: every action and match line, the forms a hand-written file takes,
// each problem with its line, the limits, and the template that RemoteMonitor writes.
#include "apps/keys_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char kHead[] = "[program P]\nexe = p.exe\n";  // lines 1 and 2

const KeysTable& Parse(const std::string& text) {
    static KeysTable table;
    ParseKeysFile(text.data(), text.size(), &table);
    return table;
}

std::string Problems(const KeysTable& table) {
    char text[1024];
    DescribeKeysProblems(table, text, sizeof text);
    return text;
}

struct ActionCase {
    const char* value;
    Action expect;
    bool repeat = false;
    const char* program = "";
    const char* arguments = "";
};

TEST(KeysFile, EveryActionKind) {
    using K = ActionKind;
    const ActionCase kCases[] = {
        {"keys Space", {K::Chord, 1, {{0, 0x20}}}},
        {"keys Ctrl+Shift+P f11 Num+ a",
         {K::Chord, 4, {{kModCtrl | kModShift, 'P'}, {0, 0x7A}, {0, 0x6B}, {0, 'A'}}}},
        {"KEYS alt+Enter Win+Num/ 7", {K::Chord, 3, {{kModAlt, 0x0D}, {kModWin, 0x6F}, {0, '7'}}}},
        {"keys Ctrl+Num- F24 PgDn Backspace",
         {K::Chord, 4, {{kModCtrl, 0x6D}, {0, 0x87}, {0, 0x22}, {0, 0x08}}}},
        {"keys Up repeat", {K::Chord, 1, {{0, 0x26}}}, true},
        {"appcommand play-pause", {K::AppCommand, 0, {}, 14}},
        {"appcommand Channel-Down", {K::AppCommand, 0, {}, 52}},
        {"media volume-up REPEAT", {K::Media, 1, {{0, 0xAF}}}, true},
        {"media previous", {K::Media, 1, {{0, 0xB1}}}},
        {"message 0x111 40001 0", {K::Post, 0, {}, 0x111, 40001, 0}},
        {"message WM_APP+2 -1 0xFFFFFFFF", {K::Post, 0, {}, 0x8002, 0xFFFFFFFF, -1}},
        {"message wm_user 0 7", {K::Post, 0, {}, 0x400, 0, 7}},
        {"launch \"C:\\Program Files\\x.exe\"  --a  b",
         {K::Launch},
         false,
         "C:\\Program Files\\x.exe",
         "--a  b"},
        {"launch \"notepad.exe\" repeat", {K::Launch}, true, "notepad.exe"},
        {"close", {K::Close}},
        {"none", {K::None}},
    };
    for (const ActionCase& c : kCases) {
        const KeysTable& t = Parse(std::string(kHead) + "OK = " + c.value + "\n");
        ASSERT_EQ(t.problemTotal, 0) << c.value << ": " << Problems(t);
        ASSERT_EQ(t.bindingCount, 1) << c.value;
        const KeyBinding& b = t.bindings[0];
        const Action& a = b.action;
        EXPECT_EQ(b.key, 23);
        EXPECT_EQ(b.line, 3u);
        EXPECT_EQ(b.repeat, c.repeat) << c.value;
        EXPECT_EQ(a.kind, c.expect.kind) << c.value;
        EXPECT_EQ(a.chordCount, c.expect.chordCount) << c.value;
        for (int i = 0; i < kMaxChords; ++i) {
            EXPECT_EQ(a.chords[i].modifiers, c.expect.chords[i].modifiers) << c.value << i;
            EXPECT_EQ(a.chords[i].vk, c.expect.chords[i].vk) << c.value << i;
        }
        EXPECT_EQ(a.message, c.expect.message) << c.value;
        EXPECT_EQ(a.wParam, c.expect.wParam) << c.value;
        EXPECT_EQ(a.lParam, c.expect.lParam) << c.value;
        EXPECT_STREQ(KeysText(t, a.program), c.program) << c.value;
        EXPECT_STREQ(KeysText(t, a.arguments), c.arguments) << c.value;
    }
}

// BOM, CR LF, comments, case and spaces; the profiles in the file's order.
TEST(KeysFile, ProfilesMatchLinesAndKeyNames) {
    const KeysTable& t = Parse(
        "\xEF\xBB\xBF  ; comment\r\n# another\r\n\r\n"
        "[Program  Caf\xC3\xA9 player ]\r\n"  // line 4
        "  EXE=Player.EXE  \r\n"
        "Class = PlayerWnd\r\n"
        "\tTitle = * - Player?\t\r\n"
        "DIGIT   0 = none\r\n"
        "key 5 = none\r\n"
        "ok = none\r\n"
        "  [ APPLICATION  dvbs   suite ]\r\n"  // line 11
        "Left = close\r\n"
        "[program Second]\n"
        "class = X\n"
        "[application Lumacast]\n");
    ASSERT_EQ(t.problemTotal, 0) << Problems(t);
    ASSERT_EQ(t.profileCount, 4);
    const KeyProfile& p = t.profiles[0];
    EXPECT_EQ(p.kind, ProfileKind::Program);
    EXPECT_STREQ(KeysText(t, p.label), "Caf\xC3\xA9 player");
    EXPECT_STREQ(KeysText(t, p.exe), "Player.EXE");
    EXPECT_STREQ(KeysText(t, p.cls), "PlayerWnd");
    EXPECT_STREQ(KeysText(t, p.title), "* - Player?");
    ASSERT_EQ(p.bindingCount, 3);
    EXPECT_EQ(t.bindings[0].key, 10);
    EXPECT_EQ(t.bindings[1].key, 5);
    EXPECT_EQ(t.bindings[2].key, 23);
    EXPECT_EQ(t.bindings[2].line, 10u);
    const KeyProfile& a = t.profiles[1];
    EXPECT_EQ(a.kind, ProfileKind::Application);
    EXPECT_EQ(a.app, 7);
    EXPECT_STREQ(KeysText(t, a.label), "DVBS SUITE");
    EXPECT_EQ(a.firstBinding, 3);
    EXPECT_EQ(a.bindingCount, 1);
    EXPECT_EQ(t.bindings[3].key, 31);
    EXPECT_STREQ(KeysText(t, t.profiles[2].label), "Second");
    EXPECT_EQ(t.profiles[2].exe, 0);
    EXPECT_EQ(t.profiles[3].app, 1);
    EXPECT_EQ(t.profiles[3].bindingCount, 0);
}

struct ProblemCase {
    const char* file;
    const char* problems;  // as DescribeKeysProblems gives them
    int bindings = 0;      // applied despite them
};

TEST(KeysFile, EachProblemWithItsLineAndTheRestApplies) {
    const char* h = kHead;
    const ProblemCase kCases[] = {
        {"Vol+ = keys Space", "keys.ini line 3: \"Vol+\" is not a key name"},
        {"key 32 = none", "keys.ini line 3: \"key 32\" is not a key name"},
        {"OK = keys Ctl+Up", "keys.ini line 3: \"Ctl+Up\" is not a keyboard key"},
        {"OK = keys Space Ctrl+",
         "keys.ini line 3: \"Ctrl+\" needs a key after its modifiers, "
         "e.g. Ctrl+Up"},
        {"OK = keys A B C D E", "keys.ini line 3: keys takes at most 4 chords"},
        {"OK = keys repeat", "keys.ini line 3: keys needs a key, e.g. keys Space"},
        {"OK = appcommand louder", "keys.ini line 3: \"louder\" is not an app command"},
        {"OK = media play", "keys.ini line 3: \"play\" is not a media key"},
        {"OK = media", "keys.ini line 3: media takes one name, e.g. media play-pause"},
        {"OK = message 1 2",
         "keys.ini line 3: message needs MSG WPARAM LPARAM, e.g. message 0x8001 1 0"},
        {"OK = message 0x10000 0 0", "keys.ini line 3: message numbers go up to 0xFFFF"},
        {"OK = message 1 0x 0", "keys.ini line 3: \"0x\" is not a number"},
        {"OK = message WM_FOO 0 0", "keys.ini line 3: \"WM_FOO\" is not a message number"},
        {"OK = launch notepad.exe",
         "keys.ini line 3: launch needs a program in quotes, e.g. launch \"notepad.exe\""},
        {"OK = close now", "keys.ini line 3: close takes nothing after it"},
        {"OK = jump",
         "keys.ini line 3: \"jump\" is not an action: keys, appcommand, media, "
         "message, launch, close or none"},
        {"OK =", "keys.ini line 3: no action after \"=\""},
        {"OK keys Space", "keys.ini line 3: \"OK keys Space\" is not NAME = VALUE or a [section]"},
        {"exe = q.exe", "keys.ini line 3: a second exe line: the one on line 2 is kept"},
        {"title =", "keys.ini line 3: title needs a value"},
        {"OK = none\nkey 23 = close",
         "keys.ini line 4: OK came on line 3 already: that line is kept", 1},
        {"\xC3\x28 = none\nUp = none", "keys.ini line 3: not UTF-8 text: save the file as UTF-8",
         1},
        {"[program P", "keys.ini line 3: \"[program P\" has no closing \"]\""},
        {"[program]\nOK = none", "keys.ini line 3: [program] needs a label, e.g. [program VLC]"},
        {"[foo]\nOK = none\nUp = none",
         "keys.ini line 3: [foo] is not [program LABEL] or [application LABEL]"},
        {"[application Zap]",
         "keys.ini line 3: \"Zap\" is none of Lumacast, VantorTVR, Omnivue, "
         "DVBS SUITE, OmnivueCenter"},
        {"[application omnivue]\nPower = none\nkey 18 = none\nOK = none\nexe = a.exe",
         "keys.ini line 4: Power cannot be changed in an [application] section; keys.ini line 5: "
         "Power cannot be changed in an [application] section; keys.ini line 7: exe lines "
         "belong in [program] sections",
         1},
        {"[application Lumacast]\n[application LUMACAST]\nOK = none",
         "keys.ini line 4: [application Lumacast] came on line 3 already: this one is ignored"},
        {"[program Q]\nexe = C:\\vlc.exe\nOK = none",
         "keys.ini line 3: [program Q] has no exe, class or title line: it is ignored; keys.ini "
         "line 4: exe is a file name without its folder, e.g. exe = vlc.exe"},
    };
    for (const ProblemCase& c : kCases) {
        const KeysTable& t = Parse(h + std::string(c.file) + "\n");
        EXPECT_EQ(Problems(t), c.problems) << c.file;
        EXPECT_EQ(t.bindingCount, c.bindings) << c.file;
        EXPECT_NE(t.profiles[0].exe, 0) << c.file;
    }
    const KeysTable& outside = Parse("OK = none\n\xFF\xFE");
    EXPECT_EQ(Problems(outside),
              "keys.ini line 1: a line before the first [program] or [application] section; "
              "keys.ini line 2: not UTF-8 text: save the file as UTF-8");
    EXPECT_EQ(Problems(Parse("\xFF\xFE[\0p\0")), "keys.ini: the file is UTF-16: save it as UTF-8");
    EXPECT_EQ(Parse("\xFF\xFE[\0p\0").profileCount, 0);
}

TEST(KeysFile, LimitsAndLongFiles) {
    std::string file = kHead;
    while (file.size() < kKeysFileMaxBytes)
        file += "; filler\n";
    file.resize(kKeysFileMaxBytes);
    EXPECT_EQ(Parse(file).problemTotal, 0);
    EXPECT_EQ(Parse(file).profileCount, 1);
    file += "\n";
    EXPECT_EQ(Problems(Parse(file)),
              "keys.ini: the file is longer than 64 KiB: none of it applies");
    EXPECT_EQ(Parse(file).profileCount, 0);

    // The text pool: the 17th title no longer fits, and its section is dropped.
    file.clear();
    for (int s = 0; s < 17; ++s)
        file += "[program " + std::to_string(s) + "]\ntitle = " + std::string(1000, 'x') +
                "\nOK = none\n";
    const KeysTable& pool = Parse(file);
    EXPECT_EQ(pool.profileCount, 16);
    EXPECT_EQ(pool.bindingCount, 16);
    EXPECT_EQ(Problems(pool),
              "keys.ini line 49: [program 16] has no exe, class or title line: it is ignored; "
              "keys.ini line 50: no room left for this line's text: it is ignored");

    file = kHead;
    for (int i = 0; i < 70; ++i)
        file += "x\n";
    const KeysTable& counted = Parse(file);
    EXPECT_EQ(counted.problemCount, kMaxKeysProblems);
    EXPECT_EQ(counted.problemTotal, 70);
    EXPECT_EQ(Problems(counted).substr(Problems(counted).rfind(';')), "; and 65 more");

    file.clear();
    for (int s = 0; s < 33; ++s) {
        file += "[program " + std::to_string(s) + "]\nexe = a\n";
        for (int k = 0; k < (s < 16 ? 32 : 1); ++k)
            file += "key " + std::to_string(k) + " = none\n";
    }
    const KeysTable& full = Parse(file);
    EXPECT_EQ(full.profileCount, 32);
    EXPECT_EQ(full.bindingCount, kMaxKeyBindings);
    EXPECT_EQ(Problems(full),
              "keys.ini line 547: more than 512 key lines: this one is ignored; keys.ini line "
              "550: more than 512 key lines: this one is ignored; keys.ini line 553: more than "
              "512 key lines: this one is ignored; keys.ini line 556: more than 512 key lines: "
              "this one is ignored; keys.ini line 559: more than 512 key lines: this one is "
              "ignored; and 12 more");
    EXPECT_STREQ(full.problems[16].text, "more than 32 sections: this one is ignored");

    char small[24];
    EXPECT_EQ(DescribeKeysProblems(full, small, sizeof small), sizeof small - 1);
    EXPECT_STREQ(small, "keys.ini line 547: more");
    EXPECT_EQ(DescribeKeysProblems(Parse(kHead), small, sizeof small), 0u);
    EXPECT_STREQ(small, "");
}

TEST(KeysFile, TheTemplateParsesWithItsExamplesAndTheirCommentedVariants) {
    const KeysTable& t = Parse(kKeysTemplate);
    EXPECT_EQ(t.problemTotal, 0) << Problems(t);
    const char* kLabels[] = {"VLC",     "MPC-HC", "MPC-HC 64-bit", "YouTube",
                             "Firefox", "Chrome", "Edge"};
    ASSERT_EQ(t.profileCount, 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_STREQ(KeysText(t, t.profiles[i].label), kLabels[i]);
    EXPECT_STREQ(KeysText(t, t.profiles[0].exe), "vlc.exe");
    EXPECT_STREQ(KeysText(t, t.profiles[2].exe), "mpc-hc64.exe");
    EXPECT_STREQ(KeysText(t, t.profiles[3].title), "* - YouTube*");
    EXPECT_EQ(t.profiles[0].bindingCount, 11);

    // The commented examples work once their ; is gone.
    std::string open = kKeysTemplate;
    for (const char* from :
         {"\n;   digit", "\n;   key 0", "\n; [application Lumacast]", "\n; digit 0 = "}) {
        std::size_t at = open.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        while (at != std::string::npos) {
            open[at + 1] = ' ';
            at = open.find(from, at + 1);
        }
    }
    const KeysTable& opened = Parse(open);
    EXPECT_EQ(opened.problemTotal, 0) << Problems(opened);
    ASSERT_EQ(opened.profileCount, 8);
    EXPECT_EQ(opened.profiles[6].bindingCount, 9);
    EXPECT_EQ(opened.profiles[7].app, 1);
    EXPECT_EQ(opened.profiles[7].bindingCount, 1);
}

}  // namespace
