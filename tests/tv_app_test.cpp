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
    EXPECT_STREQ(AppRecord(9)->folder, "C:\\Duo");
    EXPECT_STREQ(AppRecord(9)->exeName, "Hubdeck.exe");
}

// The install folder is read within its 128-byte buffer, whatever the value's type.
TEST_F(TvAppTest, InstallFolderIsReadWithinItsBuffer) {
    struct Case {
        const char* what;
        std::uint32_t type;
        std::vector<std::uint8_t> data;
        int installed;
        std::string folder;
    } cases[] = {
        {"127 characters and the terminator", REG_SZ, Bytes(std::string(127, 'a')), 1,
         std::string(127, 'a')},
        {"129 bytes", REG_SZ, Bytes(std::string(128, 'b')), 0, ""},
        {"128 bytes without terminator", REG_SZ, Bytes(std::string(128, 'c'), false), 0, ""},
        {"short value without terminator", REG_BINARY, Bytes("dddd", false), 1, "dddd"},
        {"empty binary value", REG_BINARY, {}, 1, ""},
        {"a number", REG_DWORD, {0x41, 0x42, 0, 0}, 1, "AB"},
    };
    for (const Case& c : cases) {
        desk.registry.SetValue(HKEY_LOCAL_MACHINE, kOwnKeys[1], "AppPath", c.type, c.data);
        Construct();
        EXPECT_EQ(AppRecord(2)->installed, c.installed) << c.what;
        EXPECT_EQ(c.installed ? AppRecord(2)->folder : "", c.folder) << c.what;
    }
}

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
    desk.RunUntil(desk.now + desk.windows.activationDelayMs);  // its thread activates it
    EXPECT_EQ(desk.GetForegroundWindow(), center);
    EXPECT_TRUE(TraceWith("launch").empty());
}

// What closes each application, and the pause after each Zarvin suite, is in the scenario
// power_closes_the_others; application 1 in front is closed by Alt+F4 in the Lumacast example.
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

}  // namespace
