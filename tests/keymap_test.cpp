// What each key does in each application. The key-map reference (docs/keymap.md, whose own
// test compares it with the command tables) says what to expect; the rules it names are checked
// here: the Japan layout, OmnivueCenter's dialogs and application 1's keystrokes.
#include "tools/keymap/keymap.h"

#include <map>

#include "apps/app_keys.h"
#include "apps/message_maps.h"
#include "test_support.h"

namespace {

const AppId kMessageApps[] = {2, 6, 7, 9};

// The command number of a reference cell, the Japan one when asked for and given; "" when the
// key does nothing there.
std::string CommandOf(const std::string& cell, bool japan = false) {
    std::size_t at = cell.find("Japan: ");
    if (japan && at != std::string::npos) return cell.substr(at + 7);
    std::string number = cell.substr(0, cell.find_first_of(",;"));
    return number == "—" ? "" : number;
}

bool Has(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

class Keymap : public DesktopTest {
  protected:
    void SetUp() override { Construct(); }

    // What each window received from one key sent to application `id`.
    std::map<Hwnd, std::vector<std::string>> PostsOf(AppId id, RemoteKey key,
                                                     std::vector<Hwnd> windows) {
        std::map<Hwnd, std::size_t> before;
        for (Hwnd window : windows)
            before[window] = Posted(window).size();
        SendKey(id, key);
        std::map<Hwnd, std::vector<std::string>> posts;
        for (Hwnd window : windows) {
            auto all = Posted(window);
            posts[window].assign(all.begin() + before[window], all.end());
        }
        return posts;
    }
};

// Each message command is posted to its own application only, with the reference's number.
TEST_F(Keymap, MessageCommandsAgreeWithTheReferenceAlsoInJapan) {
    std::map<AppId, Hwnd> windows;
    std::vector<Hwnd> all;
    for (AppId id : kMessageApps)
        all.push_back(windows[id] = desk.windows.StartApp(id));
    for (bool japan : {false, true}) {
        logic.japanCountry = japan ? 1 : 0;
        for (RemoteKey key = 0; key < 32; ++key) {
            for (AppId id : kMessageApps) {
                std::string number =
                    key == PowerKey ? "" : CommandOf(AppCommandText(id, key), japan);
                auto posts = PostsOf(id, key, all);
                for (Hwnd window : all) {
                    std::vector<std::string> expected;
                    if (window == windows[id] && !number.empty())
                        expected.push_back(std::to_string(id == 2 || id == 7 ? 3024 : 4024) + "/" +
                                           number);
                    EXPECT_EQ(posts[window], expected)
                        << "app " << id << " key " << key << " japan " << japan;
                }
            }
        }
    }
}

// While a dialog of application 9 is visible, a command is held back, goes to the main window
// anyway or goes to the dialog, as its reference cell says.
TEST_F(Keymap, Application9FollowsTheReferenceWhileASourceDialogIsOpen) {
    Hwnd main = desk.windows.StartApp(9);
    for (bool visible : {true, false}) {
        Hwnd source = desk.windows.CreateSimWindow("TSourceForm", "Source", visible);
        for (RemoteKey key = 0; key < 32; ++key) {
            std::string cell = AppCommandText(9, key);
            if (key == PowerKey || CommandOf(cell).empty()) continue;
            auto posts = PostsOf(9, key, {main, source});
            std::vector<std::string> toMain, toSource;
            std::string post = "4024/" + CommandOf(cell);
            if (!visible || Has(cell, "also over a dialog") || Has(cell, "by PictureView")) {
                toMain.push_back(post);
            } else if (Has(cell, "to the dialog")) {
                toSource.push_back(post);
            }
            EXPECT_EQ(posts[main], toMain) << "key " << key << " visible " << visible;
            EXPECT_EQ(posts[source], toSource) << "key " << key << " visible " << visible;
        }
        desk.DestroySimWindow(source);
    }
}

// Application 1 gets the reference's keystroke: a posted key-down of the named key, or a chord
// typed while it is in front, released in reverse order.
TEST_F(Keymap, Application1TakesTheReferencesKeystrokes) {
    Hwnd lumacast = desk.windows.StartApp(1);
    for (RemoteKey key = 0; key < 32; ++key) {
        if (key == PowerKey) continue;
        std::string cell = AppCommandText(1, key);
        std::vector<std::string> expected = {"foreground app=1"};
        if (Has(cell, "(0x")) {
            std::string vk = cell.substr(cell.find("(0x") + 1, 4);
            expected.push_back("keydown-post app=1 vk=" + vk + " lParam=22020097");
        } else {
            std::vector<unsigned> keys = {0x11};
            if (Has(cell, "Shift")) keys.push_back(0x10);
            keys.push_back(static_cast<unsigned char>(cell.back()));
            for (unsigned vk : keys)
                expected.push_back("keybd vk=" + Hex(vk) + " flags=1");
            for (auto vk = keys.rbegin(); vk != keys.rend(); ++vk)
                expected.push_back("keybd vk=" + Hex(*vk) + " flags=3");
        }
        desk.trace.clear();
        std::size_t received = desk.windows.ReceivedBy(lumacast).size();
        SendKey(1, key);
        EXPECT_EQ(TraceWith(""), expected) << "key " << key;
        // Each posted or injected event arrived at application 1, nowhere else.
        EXPECT_EQ(desk.windows.ReceivedBy(lumacast).size() - received, expected.size() - 1) << key;
    }
}

// A key without a command makes no platform call, not even the lookup of the window.
TEST_F(Keymap, KeysWithoutCommandTouchNothing) {
    for (AppId id : kAppOrder) {
        desk.windows.StartApp(id);
        for (RemoteKey key = -40; key <= 40; ++key) {
            if (key != PowerKey && key >= 0 && key < 32 && AppCommandText(id, key) != "—") continue;
            for (RemoteKey sent : {key, NoRemoteKey}) {
                std::uint64_t calls = desk.calls;
                SendKey(id, sent);
                EXPECT_EQ(desk.calls, calls) << "app " << id << " key " << sent;
            }
        }
    }
}

TEST_F(Keymap, ApplicationNotRunningGetsNothing) {
    for (AppId id : {1, 2, 6, 7}) {
        desk.trace.clear();
        SendKey(id, 13);
        EXPECT_TRUE(desk.trace.empty()) << "app " << id;
    }
}

TEST_F(Keymap, OnlyApplication6Key22BringsTheWindowForwardFirst) {
    desk.windows.StartApp(6);
    desk.windows.StartApp(2);
    SendKey(6, 22);
    SendKey(6, 13);
    SendKey(2, 22);
    EXPECT_EQ(TraceWith("app="),
              (std::vector<std::string>{"top app=6", "foreground app=6",
                                        "post app=6 msg=4024 wParam=3000 lParam=0",
                                        "post app=6 msg=4024 wParam=1002 lParam=0",
                                        "post app=2 msg=3024 wParam=3001 lParam=0"}));
}

TEST_F(Keymap, DialogCommandBringsTheDialogForwardAndThePopupFormComesFirst) {
    desk.windows.StartApp(9);
    desk.windows.CreateSimWindow("TPopupForm", "Popup", true);
    desk.windows.CreateSimWindow("TSourceForm", "Source",
                                 true);  // in front, yet later in the probe
    desk.trace.clear();
    SendKey(9, 26);
    EXPECT_EQ(TraceWith("TPopupForm"),
              (std::vector<std::string>{
                  "foreground window=\"TPopupForm\"/\"Popup\"",
                  "post window=\"TPopupForm\"/\"Popup\" msg=4024 wParam=35002 lParam=0"}));
}

TEST_F(Keymap, PictureViewHoldsBackKey14OnlyWhileItIsTheVisibleDialog) {
    Hwnd main = desk.windows.StartApp(9);
    Hwnd picture = desk.windows.CreateSimWindow("ZarvinPlayer_Class", "PictureView", false);
    EXPECT_EQ(PostsOf(9, 14, {main})[main], std::vector<std::string>{"4024/1002"});
    EXPECT_EQ(logic.pictureViewWindow, picture);

    desk.windows.Find(picture)->visible = true;
    EXPECT_TRUE(PostsOf(9, 14, {main})[main].empty());

    desk.windows.CreateSimWindow("TPopupForm", "Popup", true);
    EXPECT_EQ(PostsOf(9, 14, {main})[main], std::vector<std::string>{"4024/1002"});
    EXPECT_EQ(logic.pictureViewWindow, picture);  // the probe stopped before candidate 5
}

TEST_F(Keymap, Application9ProbesItsDialogsEvenWhenItIsNotRunning) {
    desk.windows.StartApp(6);  // same class as application 9, other title
    Hwnd picture = desk.windows.CreateSimWindow("ZarvinPlayer_Class", "PictureView", false);
    SendKey(9, 0);
    EXPECT_EQ(logic.pictureViewWindow, picture);

    desk.windows.CreateSimWindow("TSourceForm", "Source", true);
    desk.trace.clear();
    SendKey(9, 0);
    EXPECT_TRUE(desk.trace.empty());  // nothing brought forward, nothing posted
}

// A chord is typed only while application 1 is in front, never into another program.
TEST_F(Keymap, Application1ChordsOnlyWhenItIsInFront) {
    Hwnd other = desk.windows.CreateSimWindow("Editor", "Letter - Editor", true);
    Hwnd lumacast = desk.windows.StartApp(1);
    desk.UserInput(other);  // the user works in another program: the lock holds
    SendKey(1, 22);
    EXPECT_TRUE(desk.windows.ReceivedBy(lumacast).empty());
    SendKey(1, 3);
    EXPECT_EQ(TraceWith("app=1"),
              (std::vector<std::string>{"foreground refused app=1", "foreground refused app=1",
                                        "keydown-post app=1 vk=0x63 lParam=22020097"}));
    EXPECT_TRUE(desk.windows.ReceivedBy(other).empty());
}

}  // namespace
