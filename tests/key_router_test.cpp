// The key poller and router: repeat classification, thinning and the decision table.
#include <string>
#include <vector>

#include "desktop_fixture.h"
#include "routing/pointer_mode.h"
#include "routing/shutdown.h"
#include "shell/settings.h"
#include "shell/timer_slot.h"

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

TEST_F(RouterTest, RepeatWindowIsMeasuredBetweenKeyEvents) {
    struct Case {
        std::uint32_t gapMs;
        bool repeat;
    } cases[] = {{0, true}, {249, true}, {250, false}, {300, false}};
    for (const auto& c : cases) {
        logic.routerState = RouterState{5, 1000, 3};
        EXPECT_EQ(ClassifyKeyEvent(5, 1000 + c.gapMs), c.repeat) << c.gapMs;
        EXPECT_EQ(logic.routerState.repeatCount, c.repeat ? 4 : 0) << c.gapMs;
        EXPECT_EQ(logic.routerState.lastKeyTick, 1000 + c.gapMs);
    }
    logic.routerState = RouterState{5, 1000, 3};
    EXPECT_FALSE(ClassifyKeyEvent(6, 1001));  // another key is always fresh
}

TEST_F(RouterTest, RepeatDetectionSurvivesTheTickCountWrapping) {
    logic.routerState = RouterState{5, 0xFFFFFFF0u, 0};
    EXPECT_TRUE(ClassifyKeyEvent(5, 0x00000010u));  // 32 ms later
    logic.routerState = RouterState{5, 0xFFFFFFF0u, 0};
    EXPECT_FALSE(ClassifyKeyEvent(5, 0x00000100u));  // 272 ms later
}

TEST_F(RouterTest, IdlePollsChangeNothing) {
    Poll(-1);
    Poll(-1);
    EXPECT_EQ(logic.routerState.lastKey, 0);
    EXPECT_EQ(logic.routerState.lastKeyTick, 0u);
    EXPECT_TRUE(desk.trace.empty());
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

TEST_F(RouterTest, HeldKeyReachesAnActiveAppAtTheFirstEventAndEveryTenthRepeat) {
    Hwnd window = desk.windows.StartApp(6);
    AppRecord(6)->active = 1;
    UseBoard("Sorrel DVBS Q7 Video Capture");
    for (int event = 0; event < 21; ++event)
        Poll(5);
    EXPECT_EQ(Posted(window), (std::vector<std::string>{"4024/10005", "4024/10005", "4024/10005"}));
    EXPECT_EQ(logic.routerState.repeatCount, 20);
}

TEST_F(RouterTest, HeldKeyWithNoActiveAppIsDeliveredEveryTime) {
    Hwnd window = desk.windows.StartApp(7);
    UseBoard("Sorrel DVBS Q7 Video Capture");
    Poll(5);  // makes application 7 the target through the search
    EXPECT_EQ(AppRecord(7)->active, 1);
    for (int event = 0; event < 10; ++event)
        Poll(5);
    EXPECT_EQ(Posted(window).size(), 2u);  // the first press and the tenth repeat
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

TEST_F(RouterTest, PowerTogglesTheActiveApp) {
    Hwnd window = desk.windows.StartApp(7);
    AppRecord(7)->active = 1;
    PressKey(PowerKey);
    EXPECT_EQ(Posted(window), std::vector<std::string>{"3024/1"});
    EXPECT_EQ(AppRecord(7)->active, 0);
}

TEST_F(RouterTest, ActiveAppWhoseWindowIsGoneStaysTheTarget) {
    Hwnd window = desk.windows.StartApp(7);
    PressKey(5);
    desk.DestroySimWindow(window);
    PressKey(6);
    EXPECT_EQ(AppRecord(7)->active, 1);
    EXPECT_TRUE(TraceWith("cursor").empty());
}

struct PowerCase {
    AppId defaultApp;
    std::vector<AppId> closeOrder;
};

class PowerPathTest : public RouterTest, public ::testing::WithParamInterface<PowerCase> {};

TEST_P(PowerPathTest, ClosesTheOthersInOrderThenTogglesTheDefault) {
    const PowerCase& c = GetParam();
    for (AppId id : kAppOrder) {
        if (id != 1) desk.windows.StartApp(id);  // application 1 would need Alt+F4 in front
    }
    logic.DefaultTVAPP = c.defaultApp;
    PressKey(PowerKey);
    std::vector<std::string> expected;
    for (AppId id : c.closeOrder) {
        if (id == 1) continue;
        std::string wParam = id == 9 ? "25" : "1";
        std::string msg = (id == 6 || id == 9) ? "4024" : "3024";
        expected.push_back("post app=" + std::to_string(id) + " msg=" + msg + " wParam=" + wParam +
                           " lParam=0");
    }
    if (c.defaultApp == 1) {  // not running, so the toggle starts it
        expected.push_back("launch \"C:\\TV\\App1\\Lumacast.exe\" \"remote\" result=42");
    }
    EXPECT_EQ(AppTraffic(), expected);
}

INSTANTIATE_TEST_SUITE_P(Defaults, PowerPathTest,
                         ::testing::Values(PowerCase{1, {2, 7, 6, 9}},
                                           PowerCase{2, {1, 7, 6, 9, 2}},
                                           PowerCase{6, {2, 1, 7, 9, 6}},
                                           PowerCase{7, {2, 1, 6, 9, 7}},
                                           PowerCase{9, {2, 1, 7, 6, 9}}));

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
        UseBoard("Sorrel DVBS Q7 Video Capture");
        logic.DefaultTVAPP = 6;
    }
};

TEST_F(UninstalledDefaultTest, PowerAsksThenStillClosesTheOthersAndToggles) {
    Hwnd vantor = desk.windows.StartApp(2);
    Poll(PowerKey, 0);
    ASSERT_EQ(desk.dialogs.messageBoxes.size(), 1u);
    EXPECT_EQ(desk.dialogs.messageBoxes[0].text,
              "Please re-initialize the TV application settings.");
    EXPECT_EQ(desk.dialogs.messageBoxes[0].caption, "Remote Control");
    EXPECT_EQ(desk.dialogs.messageBoxes[0].type, MB_OK | MB_SETFOREGROUND);
    EXPECT_EQ(Posted(vantor), std::vector<std::string>{"3024/1"});
    EXPECT_TRUE(logic.AppWatchTimer.armed);  // the toggle of 6 still ran
    EXPECT_EQ(desk.now, 2000u);              // with its pause
}

TEST_F(UninstalledDefaultTest, HeldPowerOpensOneBoxAtATime) {
    logic.KeyPollTimer.Configure(owner, 65);
    logic.KeyPollTimer.Arm();
    desk.dialogs.autoCloseMessageBoxes = false;
    desk.PressRemote(0, PowerKey, 1000);
    desk.At(2000, [this] { desk.CloseTopMessageBox(); });
    desk.RunUntil(2100);
    EXPECT_EQ(desk.dialogs.messageBoxes.size(), 1u);
    EXPECT_EQ(logic.routerState.repeatCount, 14);  // nested polls kept classifying the held key

    std::uint64_t later = desk.now + 100;
    desk.PressRemote(later, PowerKey, 100);
    desk.At(later + 200, [this] { desk.CloseTopMessageBox(); });
    desk.RunUntil(later + 300);
    EXPECT_EQ(desk.dialogs.messageBoxes.size(), 2u);  // a later press asks again
}

// Application 7 is installed, but its program is gone, and it is the default.
class GoneProgramTest : public DesktopTest {
  protected:
    void SetUp() override {
        desk.registry.SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Marovex\\DVB Suite\\DVBS", "AppPath",
                                "C:\\Gone");
        Construct();
        PrepareAppWatch(owner);
        UseBoard("Sorrel DVBS Q7 Video Capture");
        logic.receiverChannel.remoteLayout = Direct;
        logic.DefaultTVAPP = 7;
        logic.KeyPollTimer.Configure(owner, 65);
        logic.KeyPollTimer.Arm();
        desk.dialogs.autoCloseMessageBoxes = false;
    }
};

// Found by the router fuzzer: every repeat of a held Power key retried the launch and
// stacked another "Can't run" box.
TEST_F(GoneProgramTest, HeldPowerTriesTheLaunchOnceWhileItsBoxIsUp) {
    desk.PressRemote(0, PowerKey, 1000);
    desk.At(2000, [this] { desk.CloseTopMessageBox(); });
    desk.RunUntil(2100);
    ASSERT_EQ(desk.dialogs.messageBoxes.size(), 1u);
    EXPECT_EQ(desk.dialogs.messageBoxes[0].text, "Can't run Tolvane Recastor II.");
    EXPECT_EQ(TraceWith("launch").size(), 1u);

    std::uint64_t later = desk.now + 100;
    desk.PressRemote(later, PowerKey, 100);
    desk.At(later + 200, [this] { desk.CloseTopMessageBox(); });
    desk.RunUntil(later + 300);
    EXPECT_EQ(desk.dialogs.messageBoxes.size(), 2u);  // a later press tries again
    EXPECT_EQ(TraceWith("launch").size(), 2u);
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

TEST_F(RouterTest, Key20FollowsTheDefaultApplication) {
    Hwnd center = desk.windows.StartApp(9);
    logic.DefaultTVAPP = 2;
    PressKey(20);
    EXPECT_EQ(AppTraffic(), std::vector<std::string>{
                                "launch \"C:\\TV\\App2\\marovexTV.EXE\" \"remote\" result=42"});
    EXPECT_TRUE(Posted(center).empty());  // application 9 is not closed on this path
    EXPECT_EQ(AppRecord(9)->active, 0);

    logic.DefaultTVAPP = 6;  // becomes the target even though it is not running
    AppRecord(2)->active = 0;
    PressKey(20);
    EXPECT_EQ(AppRecord(6)->active, 1);
}

TEST_F(RouterTest, Key20And21WithADefaultOfNoApplication) {
    logic.DefaultTVAPP = 3;
    PressKey(20);
    EXPECT_TRUE(desk.trace.empty());
    for (AppId id : kAppOrder)
        EXPECT_EQ(AppRecord(id)->active, 0);
}

TEST_F(RouterTest, Key21MakesTheDefaultActiveOrAsksToShutDown) {
    logic.DefaultTVAPP = 1;
    PressKey(21);
    EXPECT_EQ(AppRecord(1)->active, 1);
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

std::vector<WParam> dialogKeys;

std::intptr_t PLATFORM_CALLBACK RecordingDialog(Hwnd, std::uint32_t msg, WParam wParam, LParam) {
    if (msg == WM_KEYDOWN) dialogKeys.push_back(wParam);
    return 0;
}

TEST_F(RouterTest, OpenShutDownDialogTakesEveryKeyAsEnterOrEscape) {
    Hwnd dialog = desk.windows.CreateSimWindow("#32770", "Remote Control - Shut Down", true);
    desk.windows.Find(dialog)->utility = true;
    desk.windows.Find(dialog)->dlgProc = RecordingDialog;
    logic.shutdownDialogOpen = 1;
    logic.shutdownDialogWindow = dialog;
    Hwnd window = desk.windows.StartApp(6);
    AppRecord(6)->active = 1;
    dialogKeys.clear();
    UseBoard("Sorrel DVBS Q7 Video Capture");
    Poll(5, 300);
    Poll(5);  // a repeat that thinning turns into SkipKey
    Poll(21, 300);
    Poll(PowerKey, 300);
    EXPECT_EQ(dialogKeys, (std::vector<WParam>{27, 27, 27, 13}));
    EXPECT_TRUE(Posted(window).empty());
    EXPECT_EQ(desk.GetForegroundWindow(), dialog);
}

}  // namespace
