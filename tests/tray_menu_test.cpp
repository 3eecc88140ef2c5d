// The tray menu: its contents for each default application, and every command.
#include "apps/tv_app.h"
#include "tests/shell_fixture.h"

using TrayMenu = ShellTest;

namespace {

std::string AppFolder(int appId) {
    return "C:\\Apps\\" + std::to_string(appId);
}

}  // namespace

TEST_F(TrayMenu, HoldsTheDefaultApplicationOnlyWhenInstalledCheckedWhileRunning) {
    const std::string fixed = "\"-\" \"Setting\" \"-\" \"About\" \"-\" \"Exit\"";
    struct Case {
        std::int32_t defaultApp;
        bool installed;
        bool running;
        std::string item;
    } cases[] = {
        {9, true, true, "\"OmnivueCenter\"* "},
        {9, true, false, "\"OmnivueCenter\" "},
        {9, false, true, ""},
        {9, false, false, ""},
        {1, true, false, "\"Lumacast\" "},
        {1, true, true, "\"Lumacast\"* "},
        {2, true, true, "\"VantorTVR\"* "},
        {6, true, false, "\"Omnivue\" "},
        {7, true, true, "\"DVBS SUITE\"* "},
        {3, true, true, ""},
        {0, true, true, ""},
        {-1, true, true, ""},
    };
    for (const auto& c : cases) {
        SimDesktop fresh;
        Prepare(fresh, 10000);
        for (int appId : kAppOrder) {
            if (c.installed) fresh.InstallApp(appId, AppFolder(appId));
            if (c.running) fresh.windows.StartApp(appId);
        }
        if (c.defaultApp == 9 && !c.installed && c.running) fresh.windows.StartApp(9);
        fresh.registry.SetDword(HKEY_LOCAL_MACHINE, kSettingsKey, "DefaultTVAPP",
                                static_cast<std::uint32_t>(c.defaultApp));
        fresh.At(100, [&] { fresh.TrayNotify(kTrayIconId, WM_RBUTTONDOWN); });
        fresh.At(200, [&] { fresh.ChooseMenuItem("Exit"); });
        ConstructStaticObjects();
        logic.DefaultTVAPP = c.defaultApp;

        EXPECT_EQ(RunRemoteControl(kInstance), 0);

        std::vector<std::string> menus;
        for (const auto& line : fresh.trace) {
            if (line.find(" menu \"") != std::string::npos) menus.push_back(line);
        }
        ASSERT_EQ(menus.size(), 1u) << "default " << c.defaultApp;
        EXPECT_EQ(menus[0], "100 menu " + c.item + fixed)
            << "default " << c.defaultApp << " installed " << c.installed << " running "
            << c.running;
    }
    InstallPlatform(&desk);
}

TEST_F(TrayMenu, ApplicationCommandsSwitchAndChangeTheDefaultInMemoryOnly) {
    for (int appId : kAppOrder) {
        SimDesktop fresh;
        Prepare(fresh, 20000);
        for (int other : kAppOrder)
            fresh.InstallApp(other, AppFolder(other));
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
        logic.DefaultTVAPP = 3;

        EXPECT_EQ(RunRemoteControl(kInstance), 0);

        EXPECT_EQ(defaultAfterCommand, appId);
        EXPECT_NE(fresh.windows.AppWindow(appId), 0u) << "application " << appId << " was started";
        const SimRegValue* stored =
            fresh.registry.Value(HKEY_LOCAL_MACHINE, kSettingsKey, "DefaultTVAPP");
        ASSERT_NE(stored, nullptr);
        EXPECT_EQ(stored->data, (std::vector<std::uint8_t>{3, 0, 0, 0}));
        std::vector<std::string> menus;
        for (const auto& line : fresh.trace) {
            if (line.find(" menu \"") != std::string::npos) menus.push_back(line);
        }
        ASSERT_EQ(menus.size(), 1u);
        EXPECT_NE(menus[0].find(std::string("\"") + AppLabel(appId) + "\"*"), std::string::npos)
            << "the menu now offers the new default, running";
    }
    InstallPlatform(&desk);
}

TEST_F(TrayMenu, ChoosingTheRunningDefaultClosesTheOthersAndBringsItForward) {
    desk.InstallApp(9, AppFolder(9));
    desk.InstallApp(6, AppFolder(6));
    Hwnd other = desk.windows.StartApp(6);
    Hwnd chosen = desk.windows.StartApp(9);
    desk.SetForegroundWindow(other);
    ClickTray(100);
    Choose(200, "OmnivueCenter");
    Hwnd foregroundAfterSwitch = 0;
    desk.At(4000, [&] { foregroundAfterSwitch = desk.GetForegroundWindow(); });
    ExitAt(5000);

    EXPECT_EQ(Run(), 0);

    EXPECT_EQ(Posted(other), (std::vector<std::string>{std::to_string(WM_USER + 3000) + "/1"}));
    EXPECT_EQ(desk.windows.AppWindow(6), 0u);
    EXPECT_EQ(foregroundAfterSwitch, chosen);
    EXPECT_EQ(logic.DefaultTVAPP, 9);
}

TEST_F(TrayMenu, SettingAboutAndExitDoWhatTheyOffer) {
    ClickTray(100);
    Choose(150, "Setting");
    PressOkAt(175);
    ClickTray(200);
    Choose(250, "About");
    PressOkAt(275);
    ExitAt(300);

    EXPECT_EQ(Run(), 0);

    EXPECT_EQ(
        TraceStarting({"dialog", "menu choose", "tray delete", "quit", "timer kill", "exit"}),
        (std::vector<std::string>{
            "menu choose \"Setting\"", "dialog open 20", "dialog close 20 result=1",
            "menu choose \"About\"", "dialog open 21", "dialog close 21 result=1",
            "menu choose \"Exit\"", "tray delete id=10", "quit 0", "timer kill id=1", "exit 0"}));
    ASSERT_EQ(desk.dialogs.opened.size(), 2u);
    for (const auto& dialog : desk.dialogs.opened)
        EXPECT_EQ(dialog.owner, logic.mainWindow) << "dialog " << dialog.templateId;
    EXPECT_TRUE(desk.tray.icons.empty());
    ExpectReceiverClosed(desk, "Exit");
}

TEST_F(TrayMenu, UnknownCommandsGoToTheDefaultWindowProcedure) {
    PostToUtility(100, WM_COMMAND, 999);
    PostToUtility(100, WM_COMMAND, 1103);
    PostToUtility(100, WM_COMMAND, IDM_ABOUT);
    PressOkAt(150);
    ExitAt(200);

    EXPECT_EQ(Run(), 0);

    EXPECT_EQ(DefaultHandled(WM_COMMAND), (std::vector<std::string>{"273/999", "273/1103"}));
}

TEST_F(TrayMenu, MenuIsForegroundSoAClickElsewhereClosesItAndIsFollowedByWmNull) {
    ClickTray(100);
    bool closedByClickElsewhere = false;
    desk.At(150, [&] { closedByClickElsewhere = desk.ClickOutsideMenu(); });
    ExitAt(200);

    EXPECT_EQ(Run(), 0);

    EXPECT_TRUE(closedByClickElsewhere);
    std::vector<std::string> lines = TraceStarting({"foreground", "menu \""});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "foreground window=\"Remote Control\"/\"Remote Control\"");
    EXPECT_EQ(lines[1].substr(0, 6), "menu \"");
    EXPECT_EQ(DefaultHandled(WM_NULL).size(), 2u) << "one WM_NULL after each menu";
}

TEST_F(TrayMenu, ASecondClickDestroysTheFirstMenu) {
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
