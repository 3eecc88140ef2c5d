// The application records: registry lookups, window identities, launching, closing,
// the Power toggle and the watcher.
#include "test_support.h"

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
    EXPECT_STREQ(omnivueCenterApp.folder, "C:\\Duo");
    EXPECT_STREQ(omnivueCenterApp.exeName, "Hubdeck.exe");
}

struct FolderCase {
    const char* what;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    int installed;
    std::string folder;
};

class FolderValueTest : public DesktopTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(FolderValueTest, IsReadWithinTheFolderBuffer) {
    const FolderCase& c = GetParam();
    desk.SetRegValue(HKEY_LOCAL_MACHINE, kOwnKeys[1], "AppPath", c.type, c.data);
    Construct();
    EXPECT_EQ(vantorTvrApp.installed, c.installed);
    if (c.installed) {
        EXPECT_EQ(std::string(vantorTvrApp.folder), c.folder);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FolderValueTest,
    ::testing::Values(FolderCase{"127 characters and the terminator", REG_SZ,
                                 Bytes(std::string(127, 'a')), 1, std::string(127, 'a')},
                      FolderCase{"129 bytes", REG_SZ, Bytes(std::string(128, 'b')), 0, ""},
                      FolderCase{"128 bytes without terminator", REG_SZ,
                                 Bytes(std::string(128, 'c'), false), 0, ""},
                      FolderCase{"short value without terminator", REG_BINARY, Bytes("dddd", false),
                                 1, "dddd"},
                      FolderCase{"empty binary value", REG_BINARY, {}, 1, ""},
                      FolderCase{"a number", REG_DWORD, {0x41, 0x42, 0, 0}, 1, "AB"}));

TEST_F(TvAppTest, ExactIdentityVersusLooserLookups) {
    InstallAll();
    Hwnd other = desk.CreateSimWindow("Recorder", "DVBS Recorder", true);
    desk.CreateSimWindow("Long", std::string(300, 'L'), true);  // read as 127 characters
    EXPECT_EQ(dvbsSuiteApp.FindByTitlePrefix(), other);         // prefix "DVBS"
    EXPECT_EQ(FindAppWindow(7), 0u);                            // class "ZARVIN_DVBS" only
    EXPECT_EQ(lumacastApp.FindByTitlePrefix(), 0u);
    Hwnd longDvbs = desk.CreateSimWindow("Long", "DVBS" + std::string(300, 'x'), true);
    EXPECT_EQ(dvbsSuiteApp.FindByTitlePrefix(), longDvbs);

    Hwnd lumacastPro = desk.CreateSimWindow("TLumacastMainForm", "Lumacast Pro", true);
    EXPECT_EQ(FindAppWindow(1), 0u);
    EXPECT_EQ(IsRunning(1), 0);
    TogglePower(1);  // not found by identity: brought forward by prefix, not started
    EXPECT_EQ(desk.GetForegroundWindow(), lumacastPro);
    EXPECT_TRUE(TraceWith("launch").empty());
}

TEST_F(TvAppTest, BringForwardOfAnUninstalledAppDoesNothing) {
    Construct();
    Hwnd window = desk.StartApp(2);
    desk.CreateSimWindow("Other", "Other", true);  // now in front
    desk.SetForegroundWindow(desk.GetWindow(desk.GetDesktopWindow(), GW_CHILD));
    desk.trace.clear();
    EXPECT_EQ(vantorTvrApp.BringForward(), 0u);
    EXPECT_TRUE(desk.trace.empty());
    EXPECT_NE(desk.GetForegroundWindow(), window);
}

TEST_F(TvAppTest, BringForwardOfOmnivueFindsTheSharedClassOfOmnivueCenter) {
    InstallAll();
    Hwnd center = desk.StartApp(9);
    desk.CreateSimWindow("Other", "Other", true);
    EXPECT_EQ(omnivueApp.BringForward(), center);
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
    Hwnd window = desk.StartApp(c.id);
    AppRecord(c.id)->active = 1;
    TogglePower(c.id);
    EXPECT_EQ(Posted(window), std::vector<std::string>{c.posted});
    EXPECT_EQ(desk.now, c.pauseMs);
    EXPECT_EQ(AppRecord(c.id)->active, 0);
    desk.RunUntil(desk.now + desk.closeDelayMs);
    ASSERT_EQ(FindAppWindow(c.id), 0u);
    TogglePower(c.id);
    EXPECT_EQ(TraceWith("launch").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Apps, CloseCommandTest,
                         ::testing::Values(CloseCase{2, "3024/1", 0}, CloseCase{6, "4024/1", 2000},
                                           CloseCase{7, "3024/1", 0},
                                           CloseCase{9, "4024/25", 2000}));

TEST_F(TvAppTest, LumacastNotInFrontIsAskedToCloseWithoutInjectingAltF4) {
    InstallAll();
    Hwnd window = desk.StartApp(1);
    Hwnd editor = desk.CreateSimWindow("Editor", "Letter - Editor", true);
    desk.SetForegroundWindow(editor);
    desk.foregroundLocked = true;
    RequestClose(1);
    EXPECT_TRUE(TraceWith("keybd").empty());
    EXPECT_TRUE(desk.ReceivedBy(editor).empty());
    EXPECT_EQ(Posted(window), std::vector<std::string>{"274/61536"});  // WM_SYSCOMMAND/SC_CLOSE
    EXPECT_EQ(lumacastApp.active, 0);
}

TEST_F(TvAppTest, WatcherWithNothingLaunchedWaitsThenStops) {
    Construct();
    StartWatching();
    TogglePower(7);  // neither installed nor running, not active
    EXPECT_TRUE(AppWatchTimer.armed);
    EXPECT_EQ(IsLaunched(7), 0);
    desk.RunUntil(1000);  // first tick at 1000 sleeps 2000 ms, then disarms
    EXPECT_EQ(desk.now, 3000u);
    EXPECT_FALSE(AppWatchTimer.armed);
}

TEST_F(TvAppTest, WatcherClearsAnActiveAppWhoseWindowNeverCame) {
    Construct();
    StartWatching();
    dvbsSuiteApp.active = 1;
    TogglePower(7);
    EXPECT_EQ(IsLaunched(7), 1);
    desk.RunUntil(1000);
    EXPECT_EQ(dvbsSuiteApp.active, 0);
    EXPECT_EQ(IsLaunched(7), 0);
    EXPECT_FALSE(AppWatchTimer.armed);
}

}  // namespace
