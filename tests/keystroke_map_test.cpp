#include "apps/keystroke_map.h"

#include <cstdio>

#include "tests/desktop_fixture.h"

namespace {

std::string Hex(unsigned vk) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", vk);
    return text;
}

// What application 1 takes for each key: a posted key-down ('k'), Ctrl+letter ('c'),
// Ctrl+Shift+letter ('s') or nothing ('-').
struct Expected {
    RemoteKey key;
    char stroke;
    unsigned vk;
};

constexpr Expected kTable[] = {
    {0, 'k', 0x1B},  {1, 'k', 0x61},  {2, 'k', 0x62},  {3, 'k', 0x63},  {4, 'k', 0x64},
    {5, 'k', 0x65},  {6, 'k', 0x66},  {7, 'k', 0x67},  {8, 'k', 0x68},  {9, 'k', 0x69},
    {10, 'k', 0x60}, {11, 'c', 'T'},  {12, 'c', 'I'},  {13, 'c', 'S'},  {14, 'c', 'P'},
    {15, 'c', 'E'},  {16, 'k', 0x77}, {17, 'k', 0x6B}, {18, '-', 0},    {19, 's', 'Z'},
    {20, 'k', 0x6D}, {21, 'k', 0x78}, {22, 's', 'P'},  {23, 'k', 0x0D}, {24, 'k', 0x7A},
    {25, 'k', 0x79}, {26, 'k', 0x26}, {27, 'k', 0x27}, {28, 's', 'T'},  {29, 'c', 'R'},
    {30, 'k', 0x28}, {31, 'k', 0x25},
};

std::vector<std::string> ChordEvents(bool shift, unsigned letter) {
    std::vector<std::string> events = {"keybd vk=0x11 flags=1"};
    if (shift) events.push_back("keybd vk=0x10 flags=1");
    events.push_back("keybd vk=" + Hex(letter) + " flags=1");
    events.push_back("keybd vk=" + Hex(letter) + " flags=3");
    if (shift) events.push_back("keybd vk=0x10 flags=3");
    events.push_back("keybd vk=0x11 flags=3");
    return events;
}

class KeystrokeMap : public DesktopTest {
  protected:
    void SetUp() override { Construct(); }

    // Everything the desktop saw of one key.
    std::vector<std::string> TraceOf(RemoteKey key) {
        desk.trace.clear();
        SendKey(1, key);
        return TraceWith("");
    }
};

TEST_F(KeystrokeMap, EveryKeyReachesApplication1AsItsShortcut) {
    Hwnd lumacast = desk.windows.StartApp(1);
    for (const Expected& row : kTable) {
        std::size_t received = desk.windows.ReceivedBy(lumacast).size();
        std::vector<std::string> expected;
        if (row.stroke != '-') expected.push_back("foreground app=1");
        if (row.stroke == 'k') {
            expected.push_back("keydown-post app=1 vk=" + Hex(row.vk) + " lParam=22020097");
        } else if (row.stroke != '-') {
            auto chord = ChordEvents(row.stroke == 's', row.vk);
            expected.insert(expected.end(), chord.begin(), chord.end());
        }
        EXPECT_EQ(TraceOf(row.key), expected) << "key " << row.key;
        // Each posted or injected event arrived at application 1, nowhere else.
        EXPECT_EQ(desk.windows.ReceivedBy(lumacast).size() - received,
                  expected.empty() ? 0 : expected.size() - 1)
            << "key " << row.key;
    }
}

TEST_F(KeystrokeMap, KeysWithoutShortcutTouchNothing) {
    desk.windows.StartApp(1);
    for (RemoteKey key : {18, 32, 40, -1, -7, NoRemoteKey}) {
        std::uint64_t calls = desk.calls;
        EXPECT_TRUE(TraceOf(key).empty()) << "key " << key;
        EXPECT_EQ(desk.calls, calls) << "key " << key;
    }
}

TEST_F(KeystrokeMap, ChordIsNotInjectedWhenTheApplicationCannotComeForward) {
    Hwnd lumacast = desk.windows.StartApp(1);
    Hwnd editor = desk.windows.CreateSimWindow("Notepad", "Untitled - Notepad", true);
    desk.UserInput(editor);  // the user works in another program: the lock holds

    EXPECT_EQ(TraceOf(22), std::vector<std::string>{"foreground refused app=1"});
    EXPECT_TRUE(desk.windows.ReceivedBy(editor).empty());
    EXPECT_TRUE(desk.windows.ReceivedBy(lumacast).empty());

    EXPECT_EQ(TraceOf(3), (std::vector<std::string>{"foreground refused app=1",
                                                    "keydown-post app=1 vk=0x63 lParam=22020097"}));
    EXPECT_TRUE(desk.windows.ReceivedBy(editor).empty());
}

TEST_F(KeystrokeMap, WindowWhoseTitleOnlyBeginsWithLumacastIsNotApplication1) {
    Hwnd other = desk.windows.CreateSimWindow("TLumacastMainForm", "Lumacast Pro", true);
    desk.SetForegroundWindow(other);
    for (RemoteKey key : {3, 22}) {
        EXPECT_TRUE(TraceOf(key).empty()) << "key " << key;
    }
    EXPECT_TRUE(desk.windows.ReceivedBy(other).empty());
}

}  // namespace
