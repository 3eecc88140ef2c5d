// The application records: registry lookups, window identities, launching, closing,
// the Power toggle and the watcher.
#include <string>

#include "desktop_fixture.h"
#include "shell/timer_slot.h"

namespace {

const char* const kOwnKeys[] = {"SOFTWARE\\Tolvane\\Lumacast", "Software\\Marovex\\TV Suite\\TVR",
                                "Software\\Zarvin Multimedia\\TV Suite\\DTVR",
                                "SOFTWARE\\Marovex\\DVB Suite\\DVBS",
                                "Software\\Zarvin Multimedia\\TV Hub\\DTVR"};

class TvAppTest : public DesktopTest {
  protected:
    void InstallAll() {
        for (AppId id : kAppOrder)
            desk.InstallApp(id, "C:\\TV\\App" + std::to_string(id));
        Construct();
    }
    void StartWatching() { PrepareAppWatch(owner); }
};

TEST_F(TvAppTest, CommonKeyCountsOnlyForTheTwoZarvinSuites) {
    for (AppId id : kAppOrder)
        desk.InstallApp(id, "C:\\Duo", /*commonKey=*/true);
    Construct();
    for (AppId id : kAppOrder) {
        EXPECT_EQ(IsInstalled(id), id == 6 || id == 9 ? 1 : 0) << "app " << id;
    }
    EXPECT_STREQ(AppRecord(9)->folder, "C:\\Duo");
    EXPECT_STREQ(AppRecord(9)->exeName, "Hubdeck.exe");
}

struct FolderCase {
    const char* what;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    int installed;
    std::string folder;
};

std::vector<std::uint8_t> Bytes(std::size_t count, char fill, bool terminated) {
    std::vector<std::uint8_t> data(count, static_cast<std::uint8_t>(fill));
    if (terminated) data.push_back(0);
    return data;
}

class FolderValueTest : public DesktopTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(FolderValueTest, IsReadWithinTheFolderBuffer) {
    const FolderCase& c = GetParam();
    desk.registry.SetValue(HKEY_LOCAL_MACHINE, kOwnKeys[1], "AppPath", c.type, c.data);
    Construct();
    EXPECT_EQ(AppRecord(2)->installed, c.installed);
    if (c.installed) {
        EXPECT_EQ(std::string(AppRecord(2)->folder), c.folder);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FolderValueTest,
    ::testing::Values(
        FolderCase{"127 characters and the terminator", REG_SZ, Bytes(127, 'a', true), 1,
                   std::string(127, 'a')},
        FolderCase{"129 bytes", REG_SZ, Bytes(128, 'b', true), 0, ""},
        FolderCase{"128 bytes without terminator", REG_SZ, Bytes(128, 'c', false), 0, ""},
        FolderCase{"short value without terminator", REG_BINARY, Bytes(4, 'd', false), 1, "dddd"},
        FolderCase{"empty binary value", REG_BINARY, {}, 1, ""},
        FolderCase{"a number", REG_DWORD, {0x41, 0x42, 0, 0}, 1, "AB"}));

TEST_F(TvAppTest, ExactIdentityVersusLooserLookups) {
    InstallAll();
    Hwnd other = desk.windows.CreateSimWindow("Recorder", "DVBS Recorder", true);
    desk.windows.CreateSimWindow("Long", std::string(300, 'L'), true);  // read as 127 characters
    EXPECT_EQ(AppRecord(7)->FindByTitlePrefix(), other);                // prefix "DVBS"
    EXPECT_EQ(FindAppWindow(7), 0u);                                    // class "ZARVIN_DVBS" only
    EXPECT_EQ(AppRecord(1)->FindByTitlePrefix(), 0u);
    Hwnd longDvbs = desk.windows.CreateSimWindow("Long", "DVBS" + std::string(300, 'x'), true);
    EXPECT_EQ(AppRecord(7)->FindByTitlePrefix(), longDvbs);

    Hwnd lumacastPro = desk.windows.CreateSimWindow("TLumacastMainForm", "Lumacast Pro", true);
    EXPECT_EQ(FindAppWindow(1), 0u);
    EXPECT_EQ(IsRunning(1), 0);
    TogglePower(1);  // not found by identity: brought forward by prefix, not started
    desk.RunUntil(desk.now + desk.windows.activationDelayMs);  // its thread activates it
    EXPECT_EQ(desk.GetForegroundWindow(), lumacastPro);
    EXPECT_TRUE(TraceWith("launch").empty());
}

TEST_F(TvAppTest, LaunchStartsTheProgramWithRemoteAndMarksItActive) {
    InstallAll();
    EXPECT_EQ(AppRecord(9)->BringForward(), 0u);  // window not there yet
    EXPECT_EQ(
        TraceWith("launch"),
        std::vector<std::string>{"launch \"C:\\TV\\App9\\Hubdeck.exe\" \"remote\" result=42"});
    EXPECT_EQ(AppRecord(9)->active, 1);
    desk.RunUntil(desk.now + desk.windows.launchDelayMs);
    EXPECT_NE(FindAppWindow(9), 0u);
}

TEST_F(TvAppTest, FailedLaunchShowsTheMessageAndKeepsActive) {
    desk.registry.SetString(HKEY_LOCAL_MACHINE, kOwnKeys[3], "AppPath", "C:\\Gone");
    Construct();
    AppRecord(7)->BringForward();
    ASSERT_EQ(desk.dialogs.messageBoxes.size(), 1u);
    EXPECT_EQ(desk.dialogs.messageBoxes[0].text, "Can't run Tolvane Recastor II.");
    EXPECT_EQ(desk.dialogs.messageBoxes[0].caption, "Remote Control");
    EXPECT_EQ(AppRecord(7)->active, 0);
}

TEST_F(TvAppTest, BringForwardOfAnUninstalledAppDoesNothing) {
    Construct();
    Hwnd window = desk.windows.StartApp(2);
    desk.windows.CreateSimWindow("Other", "Other", true);  // now in front
    desk.SetForegroundWindow(desk.GetWindow(desk.GetDesktopWindow(), GW_CHILD));
    desk.trace.clear();
    EXPECT_EQ(AppRecord(2)->BringForward(), 0u);
    EXPECT_TRUE(desk.trace.empty());
    EXPECT_NE(desk.GetForegroundWindow(), window);
}

TEST_F(TvAppTest, BringForwardOfOmnivueFindsTheSharedClassOfOmnivueCenter) {
    InstallAll();
    Hwnd center = desk.windows.StartApp(9);
    desk.windows.CreateSimWindow("Other", "Other", true);
    EXPECT_EQ(AppRecord(6)->BringForward(), center);
    EXPECT_EQ(desk.GetForegroundWindow(), center);
    EXPECT_TRUE(TraceWith("launch").empty());
}

struct CloseCase {
    AppId id;
    std::string posted;  // msg/wParam
    std::uint64_t pauseMs;
};

class CloseCommandTest : public DesktopTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseCommandTest, TogglePowerClosesARunningAppAndStartsItOnceGone) {
    const CloseCase& c = GetParam();
    desk.InstallApp(c.id, "C:\\TV");
    Construct();
    Hwnd window = desk.windows.StartApp(c.id);
    AppRecord(c.id)->active = 1;
    TogglePower(c.id);
    EXPECT_EQ(Posted(window), std::vector<std::string>{c.posted});
    EXPECT_EQ(desk.now, c.pauseMs);
    EXPECT_EQ(AppRecord(c.id)->active, 0);
    desk.RunUntil(desk.now + desk.windows.closeDelayMs);
    ASSERT_EQ(FindAppWindow(c.id), 0u);
    TogglePower(c.id);
    EXPECT_EQ(TraceWith("launch").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Apps, CloseCommandTest,
                         ::testing::Values(CloseCase{2, "3024/1", 0}, CloseCase{6, "4024/1", 2000},
                                           CloseCase{7, "3024/1", 0},
                                           CloseCase{9, "4024/25", 2000}));

TEST_F(TvAppTest, LumacastClosesByAltF4WhenInFront) {
    InstallAll();
    desk.windows.StartApp(1);
    TogglePower(1);
    EXPECT_EQ(TraceWith("keybd"),
              (std::vector<std::string>{"keybd vk=0x12 flags=1", "keybd vk=0x73 flags=1",
                                        "keybd vk=0x73 flags=3", "keybd vk=0x12 flags=3"}));
    desk.RunUntil(desk.now + 1000);
    EXPECT_EQ(FindAppWindow(1), 0u);
}

TEST_F(TvAppTest, LumacastNotInFrontIsAskedToCloseWithoutInjectingAltF4) {
    InstallAll();
    Hwnd window = desk.windows.StartApp(1);
    Hwnd editor = desk.windows.CreateSimWindow("Editor", "Letter - Editor", true);
    desk.UserInput(editor);  // the user works in another program: the lock holds
    RequestClose(1);
    EXPECT_TRUE(TraceWith("keybd").empty());
    EXPECT_TRUE(desk.windows.ReceivedBy(editor).empty());
    EXPECT_EQ(Posted(window), std::vector<std::string>{"274/61536"});  // WM_SYSCOMMAND/SC_CLOSE
    EXPECT_EQ(AppRecord(1)->active, 0);
}

TEST_F(TvAppTest, WatcherWithNothingLaunchedWaitsThenStops) {
    Construct();
    StartWatching();
    TogglePower(7);  // neither installed nor running, not active
    EXPECT_TRUE(logic.AppWatchTimer.armed);
    EXPECT_EQ(IsLaunched(7), 0);
    desk.RunUntil(1000);  // first tick at 1000 sleeps 2000 ms, then disarms
    EXPECT_EQ(desk.now, 3000u);
    EXPECT_FALSE(logic.AppWatchTimer.armed);
}

TEST_F(TvAppTest, WatcherClearsAnActiveAppWhoseWindowNeverCame) {
    Construct();
    StartWatching();
    AppRecord(7)->active = 1;
    TogglePower(7);
    EXPECT_EQ(IsLaunched(7), 1);
    desk.RunUntil(1000);
    EXPECT_EQ(AppRecord(7)->active, 0);
    EXPECT_EQ(IsLaunched(7), 0);
    EXPECT_FALSE(logic.AppWatchTimer.armed);
}

TEST_F(TvAppTest, WatcherNoticesALaunchedWindowGoingAway) {
    InstallAll();
    StartWatching();
    TogglePower(2);  // launched; window after 1000 ms
    ASSERT_EQ(IsLaunched(2), 1);
    desk.RunUntil(3500);
    EXPECT_EQ(AppRecord(2)->active, 1);  // still there at the ticks 2000 and 3000
    desk.DestroySimWindow(FindAppWindow(2));
    desk.RunUntil(4001);
    EXPECT_EQ(AppRecord(2)->active, 0);
    EXPECT_FALSE(logic.AppWatchTimer.armed);
}

TEST_F(TvAppTest, CloseOthersPausesOnlyForTheZarvinSuites) {
    InstallAll();
    Hwnd omnivue = desk.windows.StartApp(6);
    desk.windows.StartApp(9);
    CloseOthers(9);
    EXPECT_EQ(TraceWith("post"), std::vector<std::string>{"post app=6 msg=4024 wParam=1 lParam=0"});
    EXPECT_EQ(desk.now, 2000u);
    (void)omnivue;

    std::uint64_t before = desk.now;
    desk.DestroySimWindow(FindAppWindow(6));
    desk.DestroySimWindow(FindAppWindow(9));
    CloseOthers(2);
    EXPECT_EQ(desk.now, before);
}

TEST_F(TvAppTest, SwitchToClosesTheOthersAndBringsTheChoiceForward) {
    InstallAll();
    desk.windows.StartApp(7);
    Hwnd vantor = desk.windows.StartApp(2);
    desk.windows.CreateSimWindow("Other", "Other", true);
    SwitchTo(2);
    EXPECT_EQ(TraceWith("post"), std::vector<std::string>{"post app=7 msg=3024 wParam=1 lParam=0"});
    EXPECT_EQ(desk.GetForegroundWindow(), vantor);
    EXPECT_FALSE(logic.AppWatchTimer.armed);
    EXPECT_EQ(IsLaunched(2), 0);
}

}  // namespace
