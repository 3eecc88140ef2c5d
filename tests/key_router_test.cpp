// The key poller and router: repeat classification, thinning and the decision table.
#include <string>
#include <vector>

#include "receiver/remote_keys.h"
#include "routing/pointer_mode.h"
#include "routing/shutdown.h"
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
        routerState = RouterState{5, c.last, 3};
        EXPECT_EQ(ClassifyKeyEvent(c.key, c.now), c.repeat) << c.now;
        EXPECT_EQ(routerState.repeatCount, c.repeat ? 4 : 0) << c.now;
        EXPECT_EQ(routerState.lastKeyTick, c.now);
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
    EXPECT_EQ(routerState.repeatCount, 1);
    Poll(-1, 100);
    PressKey(5, 150);  // 250 ms
    EXPECT_EQ(routerState.repeatCount, 0);
}

// While an application is active, a held key reaches it at its first event and at every tenth
// repeat; the repeats between are thinned out.
TEST_F(RouterTest, HeldKeyReachesAnActiveAppAtTheFirstEventAndEveryTenthRepeat) {
    Hwnd window = desk.StartApp(6);
    omnivueApp.active = 1;
    UseBoard(kDvbs);
    std::vector<std::uint64_t> events, deliveries;
    for (int event = 0; event < 22; ++event) {
        Poll(5);
        events.push_back(desk.now);
    }
    for (const auto& received : desk.ReceivedBy(window))
        deliveries.push_back(received.time);
    EXPECT_EQ(deliveries, (std::vector<std::uint64_t>{events[0], events[10], events[20]}));
    EXPECT_EQ(Posted(window), std::vector<std::string>(3, "4024/10005"));
}

TEST_F(RouterTest, KeysGoToTheFirstActiveAppInOrder) {
    Hwnd vantor = desk.StartApp(2);
    Hwnd dvbs = desk.StartApp(7);
    dvbsSuiteApp.active = 1;
    vantorTvrApp.active = 1;
    PressKey(3);
    EXPECT_EQ(Posted(vantor), std::vector<std::string>{"3024/10003"});
    EXPECT_TRUE(Posted(dvbs).empty());
}

TEST_F(RouterTest, PowerTogglesTheActiveApp) {
    Hwnd window = desk.StartApp(7);
    dvbsSuiteApp.active = 1;
    PressKey(PowerKey);
    EXPECT_EQ(Posted(window), std::vector<std::string>{"3024/1"});
    EXPECT_EQ(dvbsSuiteApp.active, 0);
}

TEST_F(RouterTest, ActiveAppWhoseWindowIsGoneStaysTheTarget) {
    Hwnd window = desk.StartApp(7);
    PressKey(5);
    desk.DestroySimWindow(window);
    PressKey(6);
    EXPECT_EQ(dvbsSuiteApp.active, 1);
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
        if (id != 1) desk.StartApp(id);  // application 1 would need Alt+F4 in front
    }
    DefaultTVAPP = c.defaultApp;
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
    desk.StartApp(2);
    for (std::int32_t value : {4, 0, -1, 65536}) {
        DefaultTVAPP = value;
        PressKey(PowerKey);
    }
    EXPECT_TRUE(desk.messageBoxes.empty());
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
        DefaultTVAPP = 6;
    }
};

TEST_F(UninstalledDefaultTest, PowerAsksThenStillClosesTheOthersAndToggles) {
    Hwnd vantor = desk.StartApp(2);
    Poll(PowerKey, 0);
    EXPECT_EQ(OnlyBox(desk), "Remote Control|Please re-initialize the TV application settings.|" +
                                 std::to_string(MB_OK | MB_SETFOREGROUND));
    EXPECT_EQ(Posted(vantor), std::vector<std::string>{"3024/1"});
    EXPECT_TRUE(AppWatchTimer.armed);  // the toggle of 6 still ran
    EXPECT_EQ(desk.now, 2000u);        // with its pause
}

TEST_F(UninstalledDefaultTest, HeldPowerOpensOneBoxAtATime) {
    KeyPollTimer.Configure(owner, 65);
    KeyPollTimer.Arm();
    desk.autoCloseMessageBoxes = false;
    desk.PressRemote(0, PowerKey, 1000);
    desk.At(2000, [this] { desk.CloseTopMessageBox(); });
    desk.RunUntil(2100);
    EXPECT_EQ(desk.messageBoxes.size(), 1u);
    EXPECT_EQ(routerState.repeatCount, 14);  // nested polls kept classifying the held key

    std::uint64_t later = desk.now + 100;
    desk.PressRemote(later, PowerKey, 100);
    desk.At(later + 200, [this] { desk.CloseTopMessageBox(); });
    desk.RunUntil(later + 300);
    EXPECT_EQ(desk.messageBoxes.size(), 2u);  // a later press asks again
}

// Application 7 is installed, but its program is gone, and it is the default.
class GoneProgramTest : public DesktopTest {
  protected:
    void SetUp() override {
        desk.SetRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Marovex\\DVB Suite\\DVBS", "AppPath",
                          "C:\\Gone");
        Construct();
        PrepareAppWatch(owner);
        UseBoard(kDvbs);
        receiverChannel.remoteLayout = Direct;
        DefaultTVAPP = 7;
        KeyPollTimer.Configure(owner, 65);
        KeyPollTimer.Arm();
        desk.autoCloseMessageBoxes = false;
    }
};

// Found by the router fuzzer: every repeat of a held Power key retried the launch and
// stacked another "Can't run" box.
TEST_F(GoneProgramTest, HeldPowerTriesTheLaunchOnceWhileItsBoxIsUp) {
    desk.PressRemote(0, PowerKey, 1000);
    desk.At(2000, [this] { desk.CloseTopMessageBox(); });
    desk.RunUntil(2100);
    EXPECT_EQ(OnlyBox(desk), "Remote Control|Can't run Tolvane Recastor II.|0");
    EXPECT_EQ(dvbsSuiteApp.active, 0);
    EXPECT_EQ(TraceWith("launch").size(), 1u);

    std::uint64_t later = desk.now + 100;
    desk.PressRemote(later, PowerKey, 100);
    desk.At(later + 200, [this] { desk.CloseTopMessageBox(); });
    desk.RunUntil(later + 300);
    EXPECT_EQ(desk.messageBoxes.size(), 2u);  // a later press tries again
    EXPECT_EQ(TraceWith("launch").size(), 2u);
}

TEST_F(UninstalledDefaultTest, TheTrayMenuMayChangeTheDefaultWhileTheBoxIsUp) {
    desk.autoCloseMessageBoxes = false;
    desk.At(500, [this] {
        DefaultTVAPP = 4;
        desk.CloseTopMessageBox();
    });
    Hwnd vantor = desk.StartApp(2);
    Poll(PowerKey, 0);
    EXPECT_TRUE(Posted(vantor).empty());
    EXPECT_FALSE(AppWatchTimer.armed);
}

TEST_F(RouterTest, Key20FollowsTheDefaultApplication) {
    Hwnd center = desk.StartApp(9);
    DefaultTVAPP = 2;
    PressKey(20);
    EXPECT_EQ(AppTraffic(), std::vector<std::string>{
                                "launch \"C:\\TV\\App2\\marovexTV.EXE\" \"remote\" result=42"});
    EXPECT_TRUE(Posted(center).empty());  // application 9 is not closed on this path
    EXPECT_EQ(omnivueCenterApp.active, 0);

    DefaultTVAPP = 6;  // becomes the target even though it is not running
    vantorTvrApp.active = 0;
    PressKey(20);
    EXPECT_EQ(omnivueApp.active, 1);
}

TEST_F(RouterTest, Key20And21WithADefaultOfNoApplication) {
    DefaultTVAPP = 3;
    PressKey(20);
    EXPECT_TRUE(desk.trace.empty());
    for (AppId id : kAppOrder)
        EXPECT_EQ(AppRecord(id)->active, 0);
}

TEST_F(RouterTest, Key21MakesTheDefaultActiveOrAsksToShutDown) {
    DefaultTVAPP = 1;
    PressKey(21);
    EXPECT_EQ(lumacastApp.active, 1);
    PressKey(6);  // goes to application 1's map, not to the pointer
    EXPECT_TRUE(TraceWith("cursor").empty());

    lumacastApp.active = 0;
    DefaultTVAPP = 7;
    desk.StartApp(9);
    PressKey(21);  // an application runs: nothing
    EXPECT_EQ(omnivueCenterApp.active, 0);
    EXPECT_EQ(shutdownDialogOpen, 0);
}

TEST_F(RouterTest, KeysWithoutMeaningStillSelectTheFirstRunningApp) {
    desk.StartApp(7);
    desk.StartApp(9);
    Poll(63, 300);  // a failed read on a translated board: NoRemoteKey
    EXPECT_EQ(dvbsSuiteApp.active, 1);
    EXPECT_EQ(omnivueCenterApp.active, 0);
    EXPECT_TRUE(AppTraffic().empty());
}

TEST_F(RouterTest, DirectBoardCodesAboveTheKeysAreIgnoredInPointerMode) {
    for (RemoteKey key : {32, 63, 255})
        PressKey(key);
    EXPECT_TRUE(desk.trace.empty());
    EXPECT_EQ(routerState.lastKey, 255);
}

std::vector<WParam> dialogKeys;

std::intptr_t PLATFORM_CALLBACK RecordingDialog(Hwnd, std::uint32_t msg, WParam wParam, LParam) {
    if (msg == WM_KEYDOWN) dialogKeys.push_back(wParam);
    return 0;
}

TEST_F(RouterTest, OpenShutDownDialogTakesEveryKeyAsEnterOrEscape) {
    Hwnd dialog = desk.CreateSimWindow("#32770", "Remote Control - Shut Down", true);
    desk.Find(dialog)->utility = true;
    desk.Find(dialog)->dlgProc = RecordingDialog;
    shutdownDialogOpen = 1;
    shutdownDialogWindow = dialog;
    Hwnd window = desk.StartApp(6);
    omnivueApp.active = 1;
    dialogKeys.clear();
    UseBoard(kDvbs);
    Poll(5, 300);
    Poll(5);  // a repeat that thinning turns into SkipKey
    Poll(21, 300);
    Poll(PowerKey, 300);
    EXPECT_EQ(dialogKeys, (std::vector<WParam>{27, 27, 27, 13}));
    EXPECT_TRUE(Posted(window).empty());
    EXPECT_EQ(desk.GetForegroundWindow(), dialog);
}

}  // namespace
