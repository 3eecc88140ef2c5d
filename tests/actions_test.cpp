// Carrying out Actions that no built-in application makes: what the desktop sees of each
// kind, and the key events of a user's chords.
#include "apps/actions.h"

#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;

Action Make(ActionKind kind, std::uint32_t message = 0, WParam wParam = 0, LParam lParam = 0) {
    Action action;
    action.kind = kind;
    action.message = message;
    action.wParam = wParam;
    action.lParam = lParam;
    return action;
}

class Actions : public DesktopTest {};

TEST_F(Actions, EachKindReachesOnlyWhatItNames) {
    Hwnd player = desk.windows.CreateSimWindow("PlayerClass", "Player", true);
    const char text[] = "\0C:\\Apps\\player.exe\0--full\0C:\\Vid\xc3\xa9o\\p.exe";
    Action launch = Make(ActionKind::Launch);
    launch.program = 1;
    launch.arguments = 20;
    Action launchUnicode = Make(ActionKind::Launch);
    launchUnicode.program = 27;  // beyond ASCII: the wide call, with the path intact
    Action play = Make(ActionKind::Media);
    play.chords[0].vk = 0xB3;
    Action notMedia = Make(ActionKind::Media);
    notMedia.chords[0].vk = 'P';
    struct Case {
        const char* what;
        Action action;
        Hwnd target;
        Lines trace;
    } cases[] = {
        {"none", Make(ActionKind::None), player, {}},
        {"post",
         Make(ActionKind::Post, 0x8000, 7, 9),
         player,
         {"post window=\"PlayerClass\"/\"Player\" msg=32768 wParam=7 lParam=9"}},
        {"post without a window", Make(ActionKind::Post, 0x8000), 0, {}},
        {"close",
         Make(ActionKind::Close),
         player,
         {"post window=\"PlayerClass\"/\"Player\" msg=274 wParam=61536 lParam=0"}},
        {"media",
         play,
         0,
         {"input vk=0xB3 scan=0x22 flags=1", "input vk=0xB3 scan=0x22 flags=3",
          "system media vk=0xB3"}},
        {"no media key", notMedia, 0, {}},
        {"launch", launch, 0, {"launch \"C:\\Apps\\player.exe\" \"--full\" result=2"}},
        {"launch beyond ASCII",
         launchUnicode,
         0,
         {"launch \"C:\\Vid\xC3\xA9o\\p.exe\" \"\" result=2"}},
    };
    for (const Case& c : cases) {
        desk.trace.clear();
        PerformAction(c.action, c.target, 0, text);
        EXPECT_EQ(TraceWith(""), c.trace) << c.what;
    }
}

// Left modifiers around each key, released in reverse; the extended flag only where the
// key has it (the arrows, the Windows key), never on letters, Enter or the modifiers.
TEST_F(Actions, UserChordsAsKeyEvents) {
    struct Case {
        std::vector<KeyChord> chords;
        Lines events;
    } cases[] = {
        {{{kModCtrl | kModShift, 'P'}}, {"A2", "A0", "50", "50u", "A0u", "A2u"}},
        {{{kModAlt, VK_RETURN}, {0, VK_F11}}, {"A4", "0D", "0Du", "A4u", "7A", "7Au"}},
        {{{kModWin | kModCtrl, VK_UP}}, {"A2", "5Bx", "26x", "26xu", "5Bxu", "A2u"}},
    };
    for (const Case& c : cases) {
        Action action = Make(ActionKind::Chord);
        for (const KeyChord& chord : c.chords)
            action.chords[action.chordCount++] = chord;
        ChordKeyEvent events[kMaxChordKeyEvents];
        Lines seen;
        int count = UserChordKeyEvents(action, events);
        for (int index = 0; index < count; ++index) {
            char text[8];
            std::snprintf(text, sizeof text, "%02X%s%s", events[index].vk,
                          events[index].flags & KEYEVENTF_EXTENDEDKEY ? "x" : "",
                          events[index].flags & KEYEVENTF_KEYUP ? "u" : "");
            seen.push_back(text);
        }
        EXPECT_EQ(seen, c.events);
    }
}

}  // namespace
