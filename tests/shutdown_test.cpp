// The Shut Down confirmation driven as the user meets it: key 21 opens the dialog from a
// key-poll tick, later ticks arrive through the dialog's own loop, and the desktop
// records whether a shutdown was asked for.
#include "routing/shutdown.h"

#include <functional>

#include "routing/pointer_mode.h"
#include "shell/resource_ids.h"
#include "test_support.h"

namespace {

class ShutdownTest : public DesktopTest {
  protected:
    std::uint64_t t0 = 0;  // when the key poller was armed; it ticks at t0 + 65, + 130, ...

    void SetUp() override {
        Construct();
        InitPointerBounds();
        logic.DefaultTVAPP = 6;  // neither 1 nor 9: key 21 opens the dialog
        UseBoard(kDvbs);
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

// Power confirming through a tick nested in the dialog, and key 21 still held cancelling, are
// in the scenarios shutdown and shutdown_held_keys. With an application made active meanwhile,
// the held key's repeat is thinned out, and still cancels.
TEST_F(ShutdownTest, ThinnedOutRepeatStillCancels) {
    desk.input.cursor = Point{500, 500};
    OpenDialogByRemote();
    desk.At(t0 + 150, [] { AppRecord(6)->active = 1; });
    PressRemoteAt(160, 21, 60);
    desk.RunUntil(t0 + 1000);
    EXPECT_TRUE(TraceHas(At(195, "dialog close 107 result=2")));
    EXPECT_TRUE(Shutdowns().empty());
    EXPECT_TRUE(TraceWith("cursor").empty());  // the key went nowhere else
    EXPECT_EQ(logic.shutdownDialogOpen, 0);
}

TEST_F(ShutdownTest, OkAndEnterConfirmWhileCancelEscapeAndTheCloseBoxDoNot) {
    struct Case {
        const char* name;
        std::function<bool(SimDesktop&)> act;
        int result;
    } cases[] = {
        {"OK", [](SimDesktop& d) { return d.PressDialogButton(IDOK); }, 1},
        {"Enter", [](SimDesktop& d) { return d.TypeDialogKey(VK_RETURN); }, 1},
        {"Cancel", [](SimDesktop& d) { return d.PressDialogButton(IDCANCEL); }, 2},
        {"Escape", [](SimDesktop& d) { return d.TypeDialogKey(VK_ESCAPE); }, 2},
        {"close box", [](SimDesktop& d) { return d.CloseDialogBox(); }, 2},
    };
    for (const auto& c : cases) {
        SetUp();
        bool acted = false;
        desk.At(desk.now + 50, [&] { acted = c.act(desk); });
        ShowShutdownDialog(owner);
        EXPECT_TRUE(acted) << c.name;
        EXPECT_EQ(Shutdowns().size(), c.result == 1 ? 1u : 0u) << c.name;
        EXPECT_EQ(TraceWith("dialog close"),
                  std::vector<std::string>{"dialog close 107 result=" + std::to_string(c.result)})
            << c.name;
        EXPECT_EQ(logic.shutdownDialogOpen, 0) << c.name;
        EXPECT_EQ(desk.system.openTokens, 0) << c.name;  // the process token is not left open
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
        EXPECT_EQ(desk.system.openTokens, 0) << c.name;  // the process token is not left open
    }
}

TEST_F(ShutdownTest, RefusedPowerOffIsReportedOnTheNtFamilyOnly) {
    desk.system.exitWindowsRefused = true;
    ShutDownComputer();
    EXPECT_EQ(OnlyBox(desk), "Remote Control|Can't run ExitWindowsEx.|0");
    EXPECT_TRUE(desk.system.shutdownRequests.empty());
    desk.system.win9xFamily = true;
    ShutDownComputer();
    EXPECT_EQ(desk.dialogs.messageBoxes.size(), 1u);
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
