// The Shut Down confirmation driven as the user meets it: key 21 opens the dialog from a
// key-poll tick, later ticks arrive through the dialog's own loop, and the desktop
// records whether a shutdown was asked for.
#include "routing/shutdown.h"

#include <functional>
#include <string>
#include <vector>

#include "desktop_fixture.h"
#include "routing/dialog_placement.h"
#include "routing/pointer_mode.h"
#include "shell/resource_ids.h"
#include "shell/settings.h"
#include "shell/timer_slot.h"

namespace {

class ShutdownTest : public DesktopTest {
  protected:
    std::uint64_t t0 = 0;  // when the key poller was armed; it ticks at t0 + 65, + 130, ...

    void SetUp() override {
        Construct();
        InitPointerBounds();
        logic.DefaultTVAPP = 6;  // neither 1 nor 9: key 21 opens the dialog
        UseBoard("Sorrel DVBS Q7 Video Capture");
        logic.KeyPollTimer.Configure(owner, 65);
        logic.KeyPollTimer.Arm();
        t0 = desk.now;
        desk.trace.clear();
    }

    void PressRemoteAt(std::uint64_t at, int key, std::uint32_t forMs) {
        desk.PressRemote(t0 + at, key, forMs);
    }
    // Key 21 is seen by the tick at 130 only.
    void OpenDialogByRemote() { PressRemoteAt(100, 21, 60); }

    std::string At(std::uint64_t at, const std::string& effect) const {
        return std::to_string(t0 + at) + " " + effect;
    }
    std::vector<std::string> Shutdowns() const { return TraceWith("shutdown flags="); }
    bool TraceHas(const std::string& line) const {
        for (const auto& entry : desk.trace) {
            if (entry == line) return true;
        }
        return false;
    }
};

TEST_F(ShutdownTest, PowerConfirmsThroughATickNestedInTheDialog) {
    OpenDialogByRemote();
    PressRemoteAt(400, PowerKey, 400);  // held: only its first event reaches the dialog
    desk.RunUntil(t0 + 1000);
    EXPECT_TRUE(TraceHas(At(130, "dialog open 107")));
    EXPECT_TRUE(TraceHas(At(455, "dialog close 107 result=1")));
    EXPECT_EQ(Shutdowns(), (std::vector<std::string>{"shutdown flags=0x0C"}));
    EXPECT_EQ(logic.shutdownDialogOpen, 0);
    EXPECT_EQ(desk.system.openTokens, 0);  // the process token is not left open
}

TEST_F(ShutdownTest, AnyOtherKeyCancels) {
    struct Case {
        const char* name;
        std::function<void()> script;
        std::uint64_t closesAt;
    } cases[] = {
        {"direction key", [this] { PressRemoteAt(400, 6, 60); }, 455},
        {"key 21 still held", [this] { PressRemoteAt(160, 21, 60); }, 195},
        // With an application made active meanwhile, the held key's repeat is thinned
        // out, and still cancels.
        {"thinned-out repeat",
         [this] {
             desk.At(t0 + 150, [] { AppRecord(6)->active = 1; });
             PressRemoteAt(160, 21, 60);
         },
         195},
    };
    for (const auto& c : cases) {
        SetUp();
        desk.input.cursor = Point{500, 500};
        OpenDialogByRemote();
        c.script();
        desk.RunUntil(t0 + 1000);
        EXPECT_TRUE(TraceHas(At(c.closesAt, "dialog close 107 result=2"))) << c.name;
        EXPECT_TRUE(Shutdowns().empty()) << c.name;
        EXPECT_TRUE(TraceWith("cursor").empty()) << c.name;  // the key went nowhere else
        EXPECT_EQ(logic.shutdownDialogOpen, 0) << c.name;
    }
}

TEST_F(ShutdownTest, ButtonsKeyboardAndCloseBox) {
    struct Case {
        const char* name;
        std::function<bool(SimDesktop&)> act;
        std::size_t shutdowns;
        const char* closeLine;
    } cases[] = {
        {"OK", [](SimDesktop& d) { return d.PressDialogButton(IDOK); }, 1,
         "dialog close 107 result=1"},
        {"Enter", [](SimDesktop& d) { return d.TypeDialogKey(VK_RETURN); }, 1,
         "dialog close 107 result=1"},
        {"Cancel", [](SimDesktop& d) { return d.PressDialogButton(IDCANCEL); }, 0,
         "dialog close 107 result=2"},
        {"Escape", [](SimDesktop& d) { return d.TypeDialogKey(VK_ESCAPE); }, 0,
         "dialog close 107 result=2"},
        {"close box", [](SimDesktop& d) { return d.CloseDialogBox(); }, 0,
         "dialog close 107 result=2"},
    };
    for (const auto& c : cases) {
        SetUp();
        bool acted = false;
        desk.At(desk.now + 50, [&] { acted = c.act(desk); });
        ShowShutdownDialog(owner);
        EXPECT_TRUE(acted) << c.name;
        EXPECT_EQ(Shutdowns().size(), c.shutdowns) << c.name;
        EXPECT_EQ(TraceWith("dialog close"), (std::vector<std::string>{c.closeLine})) << c.name;
        EXPECT_EQ(logic.shutdownDialogOpen, 0) << c.name;
    }
}

TEST_F(ShutdownTest, DialogThatCannotBeMadeLeavesKeysRoutedAsBefore) {
    struct Case {
        const char* name;
        bool fail;
        std::intptr_t failure;
        Hwnd ownerWindow;
    } cases[] = {
        {"creation fails", true, -1, 0},
        {"creation answers 0", true, 0, 0},
        {"owner window gone", false, 0, 0x7777},
    };
    for (const auto& c : cases) {
        SetUp();
        desk.dialogs.failDialogCreation = c.fail;
        desk.dialogs.failedDialogResult = c.failure;
        owner = c.ownerWindow;
        desk.input.cursor = Point{500, 500};
        PressKey(21);
        EXPECT_EQ(logic.shutdownDialogOpen, 0) << c.name;
        EXPECT_EQ(desk.OpenDialogCount(), 0) << c.name;
        PressKey(6);  // reaches pointer mode, not a dialog that is not there
        EXPECT_EQ(desk.input.cursor.x, 501) << c.name;
        owner = 0;
    }
}

TEST_F(ShutdownTest, WithoutTheShutdownPrivilegeNothingHappensAndNothingIsShown) {
    struct Case {
        const char* name;
        bool privilegeHeld;
        bool tokenRefused;
    } cases[] = {{"privilege not held", false, false}, {"token refused", true, true}};
    for (const auto& c : cases) {
        desk.system.shutdownPrivilegeHeld = c.privilegeHeld;
        desk.system.tokenOpenRefused = c.tokenRefused;
        ShutDownComputer();
        EXPECT_TRUE(TraceWith("shutdown").empty()) << c.name;  // not even asked
        EXPECT_TRUE(desk.dialogs.messageBoxes.empty()) << c.name;
        EXPECT_EQ(desk.system.openTokens, 0) << c.name;
    }
}

TEST_F(ShutdownTest, RefusedPowerOffIsReportedOnTheNtFamily) {
    desk.system.exitWindowsRefused = true;
    ShutDownComputer();
    ASSERT_EQ(desk.dialogs.messageBoxes.size(), 1u);
    EXPECT_EQ(desk.dialogs.messageBoxes[0].text, "Can't run ExitWindowsEx.");
    EXPECT_EQ(desk.dialogs.messageBoxes[0].caption, "Remote Control");
    EXPECT_EQ(desk.dialogs.messageBoxes[0].type, MB_OK);
    EXPECT_TRUE(desk.system.shutdownRequests.empty());
}

TEST_F(ShutdownTest, The95FamilyShutsDownWithoutTokenAndSilently) {
    desk.system.win9xFamily = true;
    desk.system.shutdownPrivilegeHeld = false;  // no such thing there
    EXPECT_TRUE(IsWin9xPlatform());
    ShutDownComputer();
    EXPECT_EQ(Shutdowns(), (std::vector<std::string>{"shutdown flags=0x01"}));
    desk.system.exitWindowsRefused = true;
    ShutDownComputer();
    EXPECT_TRUE(desk.dialogs.messageBoxes.empty());
    desk.system.win9xFamily = false;
    EXPECT_FALSE(IsWin9xPlatform());
}

TEST_F(ShutdownTest, DialogPlacementNeedsAnExactWidth) {
    struct Case {
        int width;
        bool moved;
        int x, y;
    } cases[] = {{640, true, 160, 200},  {800, true, 280, 250},  {1024, true, 350, 300},
                 {1152, true, 420, 300}, {1280, true, 420, 300}, {1600, true, 580, 340},
                 {1000, false, 0, 0},    {1023, false, 0, 0},    {0, false, 0, 0}};
    for (const auto& c : cases) {
        desk.input.fullScreenWidth = c.width;
        desk.At(desk.now + 10, [&] { desk.CloseDialogBox(); });
        ShowShutdownDialog(owner);
        const auto* placement = desk.windows.PlacementOf(desk.dialogs.opened.back().window);
        ASSERT_NE(placement, nullptr);
        EXPECT_EQ(placement->moved, c.moved) << c.width;
        EXPECT_TRUE(placement->topmost) << c.width;  // on every width, moved or not
        if (c.moved) {
            EXPECT_EQ(placement->x, c.x) << c.width;
            EXPECT_EQ(placement->y, c.y) << c.width;
        }
    }
}

TEST_F(ShutdownTest, DialogComesForwardAndRecordsItsWindow) {
    Hwnd seenForeground = 0;
    desk.At(desk.now + 10, [&] {
        seenForeground = desk.GetForegroundWindow();
        desk.CloseDialogBox();
    });
    ShowShutdownDialog(owner);
    EXPECT_EQ(seenForeground, desk.dialogs.opened.back().window);
    EXPECT_EQ(logic.shutdownDialogWindow, desk.dialogs.opened.back().window);
    EXPECT_EQ(desk.windows.Find(desk.dialogs.opened.back().window)->title,
              "Remote Control - Shut Down");
}

TEST_F(ShutdownTest, NoTvAppRunningSeesEachApplicationAlone) {
    EXPECT_TRUE(NoTvAppRunning());
    for (AppId id : kAppOrder) {
        Hwnd window = desk.windows.StartApp(id);
        EXPECT_FALSE(NoTvAppRunning()) << id;
        desk.DestroySimWindow(window);
    }
    EXPECT_TRUE(NoTvAppRunning());
}

}  // namespace
