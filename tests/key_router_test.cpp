// The key poller and router: repeat classification, thinning and the decision table.
#include <string>
#include <vector>

#include "receiver/remote_keys.h"
#include "routing/pointer_mode.h"
#include "routing/shutdown.h"
#include "routing/user_keys.h"
#include "shell/static_objects.h"
#include "test_support.h"

namespace {

// A desktop with all five applications installed and none running.
class RouterTest : public DesktopTest {
  protected:
    void SetUp() override {
        for (AppId id : kAppOrder)
            desk.InstallApp(id, "C:\\TV\\App" + std::to_string(id));
        Construct();
        PrepareAppWatch(owner);
    }

    // The close requests and commands that reached the applications, in order.
    std::vector<std::string> AppTraffic() const {
        std::vector<std::string> lines;
        for (const auto& line : TraceWith(" ")) {
            if (line.rfind("post app=", 0) == 0 || line.rfind("keydown-post app=", 0) == 0 ||
                line.rfind("launch", 0) == 0) {
                lines.push_back(line);
            }
        }
        return lines;
    }
};

TEST(KeyEvents, RepeatIsTheSameKeyWithin250MsAlsoAcrossTheTickCountWrapping) {
    struct Case {
        RemoteKey key;
        std::uint32_t last, now;
        bool repeat;
    } cases[] = {{5, 1000, 1000, true},      {5, 1000, 1249, true},       {5, 1000, 1250, false},
                 {5, 1000, 1300, false},     {6, 1000, 1001, false},         // another key is fresh
                 {5, 0xFFFFFFF0u, 16, true}, {5, 0xFFFFFFF0u, 256, false}};  // 32 and 272 ms
    for (const auto& c : cases) {
        logic.routerState = RouterState{5, c.last, 3};
        EXPECT_EQ(ClassifyKeyEvent(c.key, c.now), c.repeat) << c.now;
        EXPECT_EQ(logic.routerState.repeatCount, c.repeat ? 4 : 0) << c.now;
        EXPECT_EQ(logic.routerState.lastKeyTick, c.now);
    }
}

TEST(KeyEvents, CodesBeyondTheTranslationTableAreNoKeyAndDirectCodesPassUnchanged) {
    for (std::int32_t raw : {32, 63, 255, -1, 65536})
        EXPECT_EQ(NormaliseRemoteCode(raw, Translated), NoRemoteKey) << raw;
    for (std::int32_t raw : {0, 18, 21, 63, 255})
        EXPECT_EQ(NormaliseRemoteCode(raw, Direct), raw);
}

TEST_F(RouterTest, GapIsMeasuredFromTheLastKeyEventNotTheLastPoll) {
    desk.tickBase = 0xFFFFFF80u;  // the tick count wraps during the test
    PressKey(5);
    Poll(-1, 100);
    PressKey(5, 149);  // 249 ms after the previous key event
    EXPECT_EQ(logic.routerState.repeatCount, 1);
    Poll(-1, 100);
    PressKey(5, 150);  // 250 ms
    EXPECT_EQ(logic.routerState.repeatCount, 0);
}

// While an application is active, a held key reaches it at its first event and at every tenth
// repeat; the repeats between are thinned out.
TEST_F(RouterTest, HeldKeyReachesAnActiveAppAtTheFirstEventAndEveryTenthRepeat) {
    Hwnd window = desk.windows.StartApp(6);
    AppRecord(6)->active = 1;
    UseBoard(kDvbs);
    std::vector<std::uint64_t> events, deliveries;
    for (int event = 0; event < 22; ++event) {
        Poll(5);
        events.push_back(desk.now);
    }
    for (const auto& received : desk.windows.ReceivedBy(window))
        deliveries.push_back(received.time);
    EXPECT_EQ(deliveries, (std::vector<std::uint64_t>{events[0], events[10], events[20]}));
    EXPECT_EQ(Posted(window), std::vector<std::string>(3, "4024/10005"));
}

TEST_F(RouterTest, KeysGoToTheFirstActiveAppInOrder) {
    Hwnd vantor = desk.windows.StartApp(2);
    Hwnd dvbs = desk.windows.StartApp(7);
    AppRecord(7)->active = 1;
    AppRecord(2)->active = 1;
    PressKey(3);
    EXPECT_EQ(Posted(vantor), std::vector<std::string>{"3024/10003"});
    EXPECT_TRUE(Posted(dvbs).empty());
}

TEST_F(RouterTest, ActiveAppWhoseWindowIsGoneStaysTheTarget) {
    Hwnd window = desk.windows.StartApp(7);
    PressKey(5);
    desk.DestroySimWindow(window);
    PressKey(6);
    EXPECT_EQ(AppRecord(7)->active, 1);
    EXPECT_TRUE(TraceWith("cursor").empty());
}

// An [application] line's keys are typed into the application brought forward: with its
// window gone they go nowhere, as its own keystrokes do, not into the program in front.
TEST_F(RouterTest, ChangedKeysOfAnApplicationWhoseWindowIsGoneAreTypedNowhere) {
    const char kKeys[] = "[application Lumacast]\nOK = keys Ctrl+Up\n";
    ParseKeysFile(kKeys, sizeof kKeys - 1, &userKeys.table);
    Hwnd window = desk.windows.StartApp(1);
    PressKey(23);
    std::size_t typed = TraceWith("input vk=").size();
    EXPECT_EQ(typed, 4u);  // Ctrl and Up, down and up
    desk.DestroySimWindow(window);
    desk.windows.CreateSimWindow("Notepad", "notes - Notepad", true);
    PressKey(23);
    EXPECT_EQ(TraceWith("input vk=").size(), typed);
}

// The close order of the Power path for each default is the scenario
// power_closes_the_others.

TEST_F(RouterTest, PowerWithADefaultThatIsNoApplicationDoesNothing) {
    desk.windows.StartApp(2);
    for (std::int32_t value : {4, 0, -1, 65536}) {
        logic.DefaultTVAPP = value;
        PressKey(PowerKey);
    }
    EXPECT_TRUE(desk.dialogs.messageBoxes.empty());
    EXPECT_TRUE(AppTraffic().empty());
}

// A desktop where only application 2 is installed.
class UninstalledDefaultTest : public DesktopTest {
  protected:
    void SetUp() override {
        desk.InstallApp(2, "C:\\TV");
        Construct();
        PrepareAppWatch(owner);
        UseBoard(kDvbs);
        logic.DefaultTVAPP = 6;
    }
};

// Held Power asks once (the router fuzzer's invariants and seeds guard that); a later press asks
// again.
TEST_F(UninstalledDefaultTest, PowerAsksThenStillClosesTheOthersAndToggles) {
    Hwnd vantor = desk.windows.StartApp(2);
    Poll(PowerKey, 0);
    EXPECT_EQ(OnlyBox(desk), "Remote Control|Please re-initialize the TV application settings.|" +
                                 std::to_string(MB_OK | MB_SETFOREGROUND));
    EXPECT_EQ(Posted(vantor), std::vector<std::string>{"3024/1"});
    EXPECT_TRUE(logic.AppWatchTimer.armed);  // the toggle of 6 still ran
    EXPECT_EQ(desk.now, 2000u);              // with its pause
    Poll(PowerKey, 300);
    EXPECT_EQ(desk.dialogs.messageBoxes.size(), 2u);
}

TEST_F(UninstalledDefaultTest, TheTrayMenuMayChangeTheDefaultWhileTheBoxIsUp) {
    desk.dialogs.autoCloseMessageBoxes = false;
    desk.At(500, [this] {
        logic.DefaultTVAPP = 4;
        desk.CloseTopMessageBox();
    });
    Hwnd vantor = desk.windows.StartApp(2);
    Poll(PowerKey, 0);
    EXPECT_TRUE(Posted(vantor).empty());
    EXPECT_FALSE(logic.AppWatchTimer.armed);
}

// The default's folder is there but its program is gone: each press tries the launch once.
TEST_F(DesktopTest, PowerOnADefaultWhoseProgramIsGoneSaysSoOncePerPress) {
    desk.registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Marovex\\DVB Suite\\DVBS", "AppPath",
                            "C:\\Gone");
    Construct();
    logic.DefaultTVAPP = 7;
    PressKey(PowerKey);
    EXPECT_EQ(OnlyBox(desk), "Remote Control|Can't run Tolvane Recastor II.|0");
    EXPECT_EQ(AppRecord(7)->active, 0);
    PressKey(PowerKey);
    EXPECT_EQ(desk.dialogs.messageBoxes.size(), 2u);
    EXPECT_EQ(TraceWith("launch").size(), 2u);
}

// With default 2, key 20 closes applications 1, 7 and 6 (not 9) and starts application 2.
TEST_F(RouterTest, Key20FollowsTheDefaultApplication) {
    for (AppId id : {6, 7, 9})
        desk.windows.StartApp(id);
    logic.DefaultTVAPP = 2;
    PressKey(20);
    EXPECT_EQ(AppTraffic(),
              (std::vector<std::string>{
                  "post app=7 msg=3024 wParam=1 lParam=0", "post app=6 msg=4024 wParam=1 lParam=0",
                  "launch \"C:\\TV\\App2\\marovexTV.EXE\" \"remote\" result=42"}));
    EXPECT_EQ(AppRecord(9)->active, 0);

    logic.DefaultTVAPP = 6;  // becomes the target even though it is not running
    AppRecord(2)->active = 0;
    PressKey(20);
    EXPECT_EQ(AppRecord(6)->active, 1);

    AppRecord(6)->active = 0;
    desk.trace.clear();
    logic.DefaultTVAPP = 3;  // no application: nothing
    PressKey(20);
    EXPECT_TRUE(desk.trace.empty());
    for (AppId id : kAppOrder)
        EXPECT_EQ(AppRecord(id)->active, 0);
}

TEST_F(RouterTest, Key21MakesTheDefaultActiveOrAsksToShutDown) {
    for (AppId id : {9, 1}) {
        logic.DefaultTVAPP = id;
        PressKey(21);
        EXPECT_EQ(AppRecord(id)->active, 1) << id;
        AppRecord(9)->active = 0;
    }
    PressKey(6);  // goes to application 1's map, not to the pointer
    EXPECT_TRUE(TraceWith("cursor").empty());

    AppRecord(1)->active = 0;
    logic.DefaultTVAPP = 7;
    desk.windows.StartApp(9);
    PressKey(21);  // an application runs: nothing
    EXPECT_EQ(AppRecord(9)->active, 0);
    EXPECT_EQ(logic.shutdownDialogOpen, 0);
}

TEST_F(RouterTest, KeysWithoutMeaningStillSelectTheFirstRunningApp) {
    desk.windows.StartApp(7);
    desk.windows.StartApp(9);
    Poll(63, 300);  // a failed read on a translated board: NoRemoteKey
    EXPECT_EQ(AppRecord(7)->active, 1);
    EXPECT_EQ(AppRecord(9)->active, 0);
    EXPECT_TRUE(AppTraffic().empty());
}

TEST_F(RouterTest, DirectBoardCodesAboveTheKeysAreIgnoredInPointerMode) {
    for (RemoteKey key : {32, 63, 255})
        PressKey(key);
    EXPECT_TRUE(desk.trace.empty());
    EXPECT_EQ(logic.routerState.lastKey, 255);
}

}  // namespace
