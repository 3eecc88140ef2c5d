#include "apps/message_maps.h"

#include <map>

#include "shell/settings.h"
#include "tests/desktop_fixture.h"

namespace {

const AppId kMessageApps[] = {2, 6, 7, 9};

// The command of each key as the applications document it; 0 for none. `japan2` is
// application 2's command in Japan where it differs. Rules of application 9: H held back
// by a dialog, A always, P unless PictureView, D to the dialog.
struct Expected {
    RemoteKey key;
    WParam app2, japan2, app6, app7, app9;
    char rule9;
};

constexpr Expected kTable[] = {
    {0, 10000, 10010, 4003, 4003, 35007, 'D'},
    {1, 10001, 0, 10001, 10001, 10001, 'H'},
    {2, 10002, 0, 10002, 10002, 10002, 'H'},
    {3, 10003, 0, 10003, 10003, 10003, 'H'},
    {4, 10004, 0, 10004, 10004, 10004, 'H'},
    {5, 10005, 0, 10005, 10005, 10005, 'H'},
    {6, 10006, 0, 10006, 10006, 10006, 'H'},
    {7, 10007, 0, 10007, 10007, 10007, 'H'},
    {8, 10008, 0, 10008, 10008, 10008, 'H'},
    {9, 10009, 0, 10009, 10009, 10009, 'H'},
    {10, 10100, 10011, 10000, 10000, 10000, 'H'},
    {11, 206, 0, 21, 14, 3, 'H'},
    {12, 4004, 0, 4004, 4004, 0, '-'},
    {13, 1001, 0, 1002, 1002, 1001, 'H'},
    {14, 1002, 0, 1003, 1003, 1002, 'P'},
    {15, 200, 0, 200, 200, 28, 'H'},
    {16, 403, 0, 403, 403, 4001, 'H'},
    {17, 3, 0, 1005, 1005, 1005, 'A'},
    {18, 0, 0, 0, 0, 0, '-'},
    {19, 300, 0, 1000, 1000, 402, 'H'},
    {20, 6000, 0, 0, 3006, 35007, 'D'},
    {21, 5001, 0, 0, 0, 35005, 'D'},
    {22, 3001, 0, 3000, 3001, 3000, 'A'},
    {23, 4003, 10012, 10020, 10020, 35005, 'D'},
    {24, 5, 0, 3, 5, 4002, 'H'},
    {25, 8, 1003, 1004, 1004, 1004, 'A'},
    {26, 4001, 0, 4001, 4001, 35002, 'D'},
    {27, 401, 0, 401, 402, 35003, 'D'},
    {28, 1003, 8, 8, 8, 401, 'H'},
    {29, 1000, 0, 1001, 1001, 403, 'H'},
    {30, 4002, 0, 4002, 4002, 35004, 'D'},
    {31, 402, 0, 402, 401, 35001, 'D'},
};

WParam ExpectedCommand(const Expected& row, AppId id, bool japan) {
    switch (id) {
        case 2:
            return japan && row.japan2 != 0 ? row.japan2 : row.app2;
        case 6:
            return row.app6;
        case 7:
            return row.app7;
        default:
            return row.app9;
    }
}

std::string Post(AppId id, WParam command) {
    return std::to_string(id == 2 || id == 7 ? 3024 : 4024) + "/" + std::to_string(command);
}

class MessageMaps : public DesktopTest {
  protected:
    void SetUp() override { Construct(); }

    // What each window received from one key.
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

    Hwnd ShowPopup(const char* cls, const char* title, bool visible = true) {
        return desk.windows.CreateSimWindow(cls, title, visible);
    }
};

TEST_F(MessageMaps, EveryKeyPostsItsOwnCommandToItsOwnApplicationOnly) {
    std::map<AppId, Hwnd> windows;
    std::vector<Hwnd> all;
    for (AppId id : kMessageApps)
        all.push_back(windows[id] = desk.windows.StartApp(id));
    for (bool japan : {false, true}) {
        logic.japanCountry = japan ? 1 : 0;
        for (const Expected& row : kTable) {
            for (AppId id : kMessageApps) {
                WParam command = ExpectedCommand(row, id, japan);
                auto posts = PostsOf(id, row.key, all);
                for (Hwnd window : all) {
                    std::vector<std::string> expected;
                    if (window == windows[id] && command != 0)
                        expected.push_back(Post(id, command));
                    EXPECT_EQ(posts[window], expected)
                        << "app " << id << " key " << row.key << " japan " << japan;
                }
            }
        }
    }
}

TEST_F(MessageMaps, OnlyApplication6Key22BringsTheWindowForwardFirst) {
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

TEST_F(MessageMaps, Application9FollowsItsRuleWhileASourceDialogIsOpen) {
    Hwnd main = desk.windows.StartApp(9);
    for (bool visible : {true, false}) {
        Hwnd source = ShowPopup("TSourceForm", "Source", visible);
        for (const Expected& row : kTable) {
            if (row.app9 == 0) continue;
            auto posts = PostsOf(9, row.key, {main, source});
            std::vector<std::string> toMain, toSource;
            if (!visible || row.rule9 == 'A' || row.rule9 == 'P') {
                toMain.push_back(Post(9, row.app9));
            } else if (row.rule9 == 'D') {
                toSource.push_back(Post(9, row.app9));
            }
            EXPECT_EQ(posts[main], toMain) << "key " << row.key << " visible " << visible;
            EXPECT_EQ(posts[source], toSource) << "key " << row.key << " visible " << visible;
        }
        desk.DestroySimWindow(source);
    }
}

TEST_F(MessageMaps, DialogCommandBringsTheDialogForwardAndThePopupFormComesFirst) {
    desk.windows.StartApp(9);
    ShowPopup("TPopupForm", "Popup");
    ShowPopup("TSourceForm", "Source");  // in front, yet later in the probe's order
    desk.trace.clear();
    SendKey(9, 26);
    EXPECT_EQ(TraceWith("TPopupForm"),
              (std::vector<std::string>{
                  "foreground window=\"TPopupForm\"/\"Popup\"",
                  "post window=\"TPopupForm\"/\"Popup\" msg=4024 wParam=35002 lParam=0"}));
}

TEST_F(MessageMaps, PictureViewHoldsBackKey14OnlyWhileItIsTheVisibleDialog) {
    Hwnd main = desk.windows.StartApp(9);
    Hwnd picture = ShowPopup("ZarvinPlayer_Class", "PictureView", false);
    EXPECT_EQ(PostsOf(9, 14, {main})[main], std::vector<std::string>{"4024/1002"});
    EXPECT_EQ(logic.pictureViewWindow, picture);

    desk.windows.Find(picture)->visible = true;
    EXPECT_TRUE(PostsOf(9, 14, {main})[main].empty());

    ShowPopup("TPopupForm", "Popup");
    EXPECT_EQ(PostsOf(9, 14, {main})[main], std::vector<std::string>{"4024/1002"});
    EXPECT_EQ(logic.pictureViewWindow, picture);  // the probe stopped before candidate 5
}

TEST_F(MessageMaps, Application9ProbesItsDialogsEvenWhenItIsNotRunning) {
    desk.windows.StartApp(6);  // same class as application 9, other title
    Hwnd picture = ShowPopup("ZarvinPlayer_Class", "PictureView", false);
    SendKey(9, 0);
    EXPECT_EQ(logic.pictureViewWindow, picture);

    ShowPopup("TSourceForm", "Source");
    desk.trace.clear();
    SendKey(9, 0);
    EXPECT_TRUE(desk.trace.empty());  // nothing brought forward, nothing posted
}

TEST_F(MessageMaps, KeysWithoutCommandTouchNothing) {
    for (AppId id : kMessageApps)
        desk.windows.StartApp(id);
    struct Case {
        AppId id;
        RemoteKey key;
    } cases[] = {{9, 12}, {6, 20}, {6, 21}, {7, 21}, {2, 18},  {6, 18},          {7, 18},
                 {9, 18}, {2, 40}, {9, 32}, {6, -1}, {7, -40}, {2, NoRemoteKey}, {9, NoRemoteKey}};
    for (const Case& c : cases) {
        std::uint64_t calls = desk.calls;
        SendKey(c.id, c.key);
        EXPECT_EQ(desk.calls, calls) << "app " << c.id << " key " << c.key;
    }
}

TEST_F(MessageMaps, ApplicationNotRunningPostsNothing) {
    for (AppId id : {2, 6, 7}) {
        desk.trace.clear();
        SendKey(id, 13);
        EXPECT_TRUE(desk.trace.empty()) << "app " << id;
    }
}

}  // namespace
