// The utility run from its entry: start-up, the hidden window, the tray menu and its commands,
// and the ways the run ends.
#include <cstring>

#include "routing/pointer_mode.h"
#include "test_support.h"

namespace {

constexpr const char* kShortcut = "\\Start Menu\\Programs\\StartUp\\Trelane Cinevox Manager.lnk";

using MainWindow = ShellTest;

TEST_F(MainWindow, StartUpClearsCompetingProgramsThenCreatesTheHiddenWindow) {
    desk.system.files = {"C:\\WINDOWS" + std::string(kShortcut), "C:\\WINDOWS\\win.ini"};
    Hwnd runningInstance = desk.windows.CreateSimWindow("Remote Control", "Remote Control", false);
    Hwnd lookAlike = desk.windows.CreateSimWindow("Afx:1", "trelane cinevox manager", true);
    Hwnd sameTitle = desk.windows.CreateSimWindow("Other", "Remote Control", true);
    ExitAt(100);

    EXPECT_EQ(Run(), 0);

    EXPECT_EQ(desk.system.files, std::vector<std::string>{"C:\\WINDOWS\\win.ini"});
    EXPECT_EQ(Posted(runningInstance), (std::vector<std::string>{"16/0", "2/0"}));
    EXPECT_TRUE(Posted(lookAlike).empty());
    EXPECT_TRUE(Posted(sameTitle).empty());
    EXPECT_EQ(TraceStarting(
                  {"delete", "post window=\"Remote", "create", "tray add", "timer set", "show "}),
              (std::vector<std::string>{
                  "delete \"C:\\WINDOWS" + std::string(kShortcut) + "\" done",
                  "post window=\"Remote Control\"/\"Remote Control\" msg=16 wParam=0 lParam=0",
                  "post window=\"Remote Control\"/\"Remote Control\" msg=2 wParam=0 lParam=0",
                  "create window=\"Remote Control\"/\"Remote Control\" hidden",
                  "tray add id=10 tip=\"Remote Control\"", "timer set id=1 ms=65"}));
}

TEST_F(MainWindow, ShortcutIsDeletedOnlyWhenItsPathFitsTheBuffer) {
    const std::size_t tail = std::strlen(kShortcut);
    struct Case {
        std::size_t directoryLength;
        bool deleted;
    } cases[] = {{127 - tail, true}, {128 - tail, false}, {300, false}};
    for (const auto& c : cases) {
        SimDesktop& fresh = Fresh(1000);
        fresh.system.windowsDirectory = "C:\\" + std::string(c.directoryLength - 3, 'w');
        fresh.system.files = {fresh.system.windowsDirectory + kShortcut};
        ConstructStaticObjects();
        RunRemoteControl(kInstance);
        EXPECT_EQ(fresh.system.files.empty(), c.deleted)
            << "directory length " << c.directoryLength;
        EXPECT_EQ(fresh.tray.icons.size(), 1u) << "start-up goes on either way";
    }
}

TEST_F(MainWindow, AlwaysRemoteOffEndsBeforeTheLoopAndGivesTheReceiverBack) {
    alwaysRemoteOff = true;
    ClickTray(100);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(desk.now, 0u) << "the message loop never ran";
    EXPECT_TRUE(desk.tray.icons.empty());
    ExpectReceiverClosed(desk, "AlwaysRemoteOff");
}

TEST_F(MainWindow, KeyPollingRunsExactlyWhenAReceiverWasFound) {
    for (bool withCard : {true, false}) {
        SimDesktop& fresh = Fresh(10000, withCard);
        std::vector<std::uintptr_t> timersDuringRun;
        fresh.At(300, [&] {
            for (const auto& timer : fresh.windows.Timers())
                timersDuringRun.push_back(timer.id);
        });
        fresh.At(1000, [&] { fresh.TrayNotify(kTrayIconId, WM_LBUTTONDOWN); });
        fresh.At(1050, [&] { fresh.ChooseMenuItem("Exit"); });
        ConstructStaticObjects();
        EXPECT_EQ(RunRemoteControl(kInstance), 0);
        std::vector<std::uintptr_t> expected;
        if (withCard) expected.push_back(logic.KeyPollTimer.id);  // the watcher stays disarmed
        EXPECT_EQ(timersDuringRun, expected) << "card " << withCard;
        EXPECT_TRUE(fresh.windows.Timers().empty()) << "the exit actions disarm every timer";
    }
}

TEST_F(MainWindow, WithoutReceiverAButtonShowsTheMessageAndEnds) {
    for (std::uint32_t button : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
        SimDesktop& fresh = Fresh(10000, false);
        fresh.At(100, [&] { fresh.TrayNotify(kTrayIconId, WM_MOUSEMOVE); });
        fresh.At(150, [&] { fresh.TrayNotify(kTrayIconId, WM_LBUTTONUP); });
        fresh.At(300, [&] { fresh.TrayNotify(kTrayIconId, button); });
        ConstructStaticObjects();
        EXPECT_EQ(RunRemoteControl(kInstance), 0);
        EXPECT_EQ(OnlyBox(fresh),
                  "Remote Control|Can't find the Video Capture Filter.\n\nPlease "
                  "check your hardware or drivers. |" +
                      std::to_string(MB_OK | MB_SETFOREGROUND));
        EXPECT_TRUE(fresh.tray.icons.empty());
        EXPECT_EQ(fresh.now, 300u) << "the run ends right after the message";
        EXPECT_EQ(fresh.tray.LiveMenuCount(), 0);
        EXPECT_EQ(fresh.devices.com.initialized, 0) << "COM is given back even without a card";
        EXPECT_EQ(fresh.devices.com.LiveObjects(), 0);
    }
}

TEST_F(MainWindow, EveryWayOfEndingRemovesTheIconOnceAndExitsWithZero) {
    struct Case {
        const char* name;
        std::uint32_t msg;
        WParam wParam;
    } cases[] = {{"command 31", WM_COMMAND, IDM_CLOSE},
                 {"WM_DESTROY", WM_DESTROY, 0},
                 {"a later instance's WM_CLOSE", WM_CLOSE, 0}};
    for (const auto& c : cases) {
        SimDesktop& fresh = Fresh(10000);
        fresh.At(100, [&] {
            Hwnd utility = fresh.FindWindowA("Remote Control", nullptr);
            fresh.PostMessageA(utility, c.msg, c.wParam, 0);
            fresh.PostMessageA(utility, WM_DESTROY, 0, 0);
        });
        ConstructStaticObjects();
        EXPECT_EQ(RunRemoteControl(kInstance), 0) << c.name;
        EXPECT_EQ(fresh.now, 100u) << c.name;
        EXPECT_EQ(TraceStarting(fresh, {"tray delete"}).size(), 1u) << c.name;
        EXPECT_TRUE(fresh.tray.icons.empty()) << c.name;
        EXPECT_TRUE(fresh.windows.Timers().empty()) << c.name;
        ExpectReceiverClosed(fresh, c.name);
    }
}

TEST_F(MainWindow, TaskbarRestartBringsTheIconBack) {
    desk.At(100, [this] { desk.RestartTaskbar(); });
    std::size_t iconsAfterRestart = 0;
    desk.At(200, [&] { iconsAfterRestart = desk.tray.icons.size(); });
    ExitAt(300);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(iconsAfterRestart, 1u);
    EXPECT_EQ(
        TraceStarting({"tray", "taskbar"}),
        (std::vector<std::string>{"tray add id=10 tip=\"Remote Control\"", "taskbar restarted",
                                  "tray add id=10 tip=\"Remote Control\"",
                                  "tray mouse id=10 msg=513", "tray delete id=10"}));
}

// Run as administrator, the window hears Explorer's "TaskbarCreated", which comes from a
// lower integrity level, only through the filter that start-up set: the window's own on
// Windows 7 and later, the process's on Vista; XP has no integrity levels to filter.
TEST_F(MainWindow, ElevatedUtilityGetsItsIconBackAfterExplorerRestarts) {
    struct Case {
        const char* name;
        std::uint32_t ntVersion;
        bool filterReset;  // undone behind the utility's back, to show what it is for
        bool iconBack;
    } cases[] = {{"Windows 7", 0x0601, false, true},
                 {"Vista", 0x0600, false, true},
                 {"XP", 0x0501, false, true},
                 {"window's filter reset", 0x0601, true, false}};
    for (const auto& c : cases) {
        SimDesktop& fresh = Fresh(1000);
        fresh.system.ntVersion = c.ntVersion;
        fresh.windows.utilityElevated = true;
        fresh.At(100, [&fresh, &c] {
            std::uint32_t created = fresh.RegisterWindowMessageA("TaskbarCreated");
            Hwnd window = fresh.FindWindowA("Remote Control", nullptr);
            if (c.filterReset) fresh.ChangeWindowMessageFilterEx(window, created, 0, nullptr);
            fresh.RestartTaskbar();
        });
        ConstructStaticObjects();
        RunRemoteControl(kInstance);
        EXPECT_EQ(fresh.tray.icons.size(), c.iconBack ? 1u : 0u) << c.name;
        EXPECT_EQ(TraceStarting(fresh, {"blocked"}).size(), c.iconBack ? 0u : 1u) << c.name;
    }
}

TEST_F(MainWindow, DisplayChangeIsHandledWithWidthInTheLowAndHeightInTheHighWord) {
    PostToUtility(100, WM_DISPLAYCHANGE, 32, (LParam{1024} << 16) | 1280);
    ExitAt(200);
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(DefaultHandled(WM_DISPLAYCHANGE).empty());
    EXPECT_EQ(logic.pointerState.bounds.left, 0);
    EXPECT_EQ(logic.pointerState.bounds.top, 0);
    EXPECT_EQ(logic.pointerState.bounds.right, 1279);
    EXPECT_EQ(logic.pointerState.bounds.bottom, 1023);
}

// The menu offers the default application when it is installed, checked while it runs, then
// Setting, About and Exit (OmnivueCenter installed is in the tray example).
TEST_F(MainWindow, TrayMenuHoldsTheDefaultApplicationOnlyWhenInstalledCheckedWhileRunning) {
    struct Case {
        std::int32_t defaultApp;
        bool installed, running;
    } cases[] = {{9, true, true},  {9, true, false}, {9, false, true}, {9, false, false},
                 {1, true, false}, {1, true, true},  {2, true, true},  {6, true, false},
                 {7, true, true},  {3, true, true},  {0, true, true},  {-1, true, true}};
    for (const auto& c : cases) {
        SimDesktop& fresh = Fresh(10000);
        for (int appId : kAppOrder) {
            if (c.installed) fresh.InstallApp(appId, "C:\\Apps\\" + std::to_string(appId));
            if (c.running) fresh.windows.StartApp(appId);
        }
        fresh.registry.SetDword(HKEY_LOCAL_MACHINE, kSettingsKey, "DefaultTVAPP",
                                static_cast<std::uint32_t>(c.defaultApp));
        fresh.At(100, [&] { fresh.TrayNotify(kTrayIconId, WM_RBUTTONDOWN); });
        fresh.At(200, [&] { fresh.ChooseMenuItem("Exit"); });
        ConstructStaticObjects();
        EXPECT_EQ(RunRemoteControl(kInstance), 0);
        std::string item;
        if (c.installed && IsAppId(c.defaultApp))
            item = "\"" + std::string(AppLabel(c.defaultApp)) + (c.running ? "\"* " : "\" ");
        EXPECT_EQ(TraceStarting(fresh, {"menu \""}),
                  std::vector<std::string>{"menu " + item +
                                           "\"-\" \"Setting\" \"-\" \"About\" \"-\" \"Exit\""})
            << "default " << c.defaultApp << " installed " << c.installed << " running "
            << c.running;
    }
}

TEST_F(MainWindow, ApplicationCommandsSwitchAndChangeTheDefaultInMemoryOnly) {
    for (int appId : kAppOrder) {
        SimDesktop& fresh = Fresh(20000);
        for (int other : kAppOrder)
            fresh.InstallApp(other, "C:\\Apps\\" + std::to_string(other));
        fresh.registry.SetDword(HKEY_LOCAL_MACHINE, kSettingsKey, "DefaultTVAPP", 3);
        fresh.At(100, [&] {
            fresh.PostMessageA(fresh.FindWindowA("Remote Control", nullptr), WM_COMMAND,
                               kAppCommandBase + static_cast<std::uint32_t>(appId), 0);
        });
        std::int32_t defaultAfterCommand = 0;
        fresh.At(200, [&] { defaultAfterCommand = logic.DefaultTVAPP; });
        fresh.At(3000, [&] { fresh.TrayNotify(kTrayIconId, WM_LBUTTONDOWN); });
        fresh.At(3100, [&] { fresh.ChooseMenuItem("Exit"); });
        ConstructStaticObjects();
        EXPECT_EQ(RunRemoteControl(kInstance), 0);
        EXPECT_EQ(defaultAfterCommand, appId);
        EXPECT_NE(fresh.windows.AppWindow(appId), 0u) << "application " << appId << " was started";
        const SimRegValue* stored =
            fresh.registry.Value(HKEY_LOCAL_MACHINE, kSettingsKey, "DefaultTVAPP");
        ASSERT_NE(stored, nullptr);
        EXPECT_EQ(stored->data, (std::vector<std::uint8_t>{3, 0, 0, 0}));
        std::vector<std::string> menus = TraceStarting(fresh, {"menu \""});
        ASSERT_EQ(menus.size(), 1u);
        EXPECT_NE(menus[0].find(std::string("\"") + AppLabel(appId) + "\"*"), std::string::npos)
            << "the menu now offers the new default, running";
    }
}

// About and Setting by their accelerators (from the menu they are in the tray example), owned
// by the hidden window; Exit removes the icon, then the exit actions stop the poller and give
// the receiver back.
TEST_F(MainWindow, AcceleratorsOpenAboutAndSettingAndExitEndsTheRun) {
    PostToUtility(200, WM_SYSCHAR, '/');
    PressOkAt(250);
    PostToUtility(300, WM_SYSCHAR, '?');
    PressOkAt(350);
    PostToUtility(400, WM_SYSCHAR, 'x');
    ExitAt(500);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(
        TraceStarting({"dialog", "menu choose", "tray delete", "quit", "timer kill", "exit"}),
        (std::vector<std::string>{"dialog open 21", "dialog close 21 result=1", "dialog open 20",
                                  "dialog close 20 result=1", "menu choose \"Exit\"",
                                  "tray delete id=10", "quit 0", "timer kill id=1", "exit 0"}));
    ASSERT_EQ(desk.dialogs.opened.size(), 2u);
    for (const auto& dialog : desk.dialogs.opened)
        EXPECT_EQ(dialog.owner, logic.mainWindow) << "dialog " << dialog.templateId;
    EXPECT_TRUE(desk.tray.icons.empty());
    ExpectReceiverClosed(desk, "Exit");
}

TEST_F(MainWindow, UnknownCommandsGoToTheDefaultWindowProcedure) {
    PostToUtility(100, WM_COMMAND, 999);
    PostToUtility(100, WM_COMMAND, 1103);
    PostToUtility(100, WM_COMMAND, IDM_ABOUT);
    PressOkAt(150);
    ExitAt(200);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(DefaultHandled(WM_COMMAND), (std::vector<std::string>{"273/999", "273/1103"}));
}

TEST_F(MainWindow, MenuIsForegroundSoAClickElsewhereClosesItAndIsFollowedByWmNull) {
    ClickTray(100);
    bool closedByClickElsewhere = false;
    desk.At(150, [&] { closedByClickElsewhere = desk.ClickOutsideMenu(); });
    ExitAt(200);
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(closedByClickElsewhere);
    EXPECT_EQ(DefaultHandled(WM_NULL).size(), 2u) << "one WM_NULL after each menu";
}

TEST_F(MainWindow, ASecondClickDestroysTheFirstMenu) {
    ClickTray(100);
    ClickTray(150);  // while the first menu is still open
    std::vector<int> liveMenus;
    desk.At(160, [&] { liveMenus.push_back(desk.tray.LiveMenuCount()); });
    desk.At(170, [&] { desk.ClickOutsideMenu(); });
    ClickTray(200);
    desk.At(210, [&] { liveMenus.push_back(desk.tray.LiveMenuCount()); });
    Choose(220, "Exit");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(liveMenus, (std::vector<int>{1, 1}));
    EXPECT_EQ(TraceStarting({"menu \""}).size(), 3u);
}

}  // namespace
