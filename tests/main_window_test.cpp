// Start-up, the hidden window and the ways the run ends.
#include <cstring>

#include "routing/pointer_mode.h"
#include "shell/timer_slot.h"
#include "tests/shell_fixture.h"

using MainWindow = ShellTest;

TEST_F(MainWindow, StartUpClearsCompetingProgramsThenCreatesTheHiddenWindow) {
    desk.system.files = {"C:\\WINDOWS" + std::string(kShortcut), "C:\\WINDOWS\\win.ini"};
    Hwnd manager =
        desk.windows.CreateSimWindow("Afx:400000", "Trelane Cinevox Manager - Library", false);
    Hwnd olderUtility = desk.windows.CreateSimWindow("TRC", "Tuner Remote Control 3.1", false);
    Hwnd runningInstance = desk.windows.CreateSimWindow("Remote Control", "Remote Control", false);
    Hwnd lookAlike = desk.windows.CreateSimWindow("Afx:1", "trelane cinevox manager", true);
    Hwnd sameTitle = desk.windows.CreateSimWindow("Other", "Remote Control", true);
    ExitAt(100);

    EXPECT_EQ(Run(), 0);

    EXPECT_EQ(desk.system.files, std::vector<std::string>{"C:\\WINDOWS\\win.ini"});
    EXPECT_EQ(Posted(manager), (std::vector<std::string>{"273/57665", "16/0", "2/0"}));
    EXPECT_EQ(Posted(olderUtility), (std::vector<std::string>{"16/0", "2/0"}));
    EXPECT_EQ(Posted(runningInstance), (std::vector<std::string>{"16/0", "2/0"}));
    EXPECT_TRUE(Posted(lookAlike).empty());
    EXPECT_TRUE(Posted(sameTitle).empty());
    std::string shortcut = "delete \"C:\\WINDOWS" + std::string(kShortcut) + "\" done";
    EXPECT_EQ(TraceStarting({"delete", "post", "create", "tray add", "timer set"}),
              (std::vector<std::string>{
                  shortcut,
                  "post window=\"Afx:400000\"/\"Trelane Cinevox Manager - Library\" msg=273 "
                  "wParam=57665 lParam=0",
                  "post window=\"Afx:400000\"/\"Trelane Cinevox Manager - Library\" msg=16 "
                  "wParam=0 lParam=0",
                  "post window=\"Afx:400000\"/\"Trelane Cinevox Manager - Library\" msg=2 "
                  "wParam=0 lParam=0",
                  "post window=\"TRC\"/\"Tuner Remote Control 3.1\" msg=16 wParam=0 lParam=0",
                  "post window=\"TRC\"/\"Tuner Remote Control 3.1\" msg=2 wParam=0 lParam=0",
                  "post window=\"Remote Control\"/\"Remote Control\" msg=16 wParam=0 lParam=0",
                  "post window=\"Remote Control\"/\"Remote Control\" msg=2 wParam=0 lParam=0",
                  "create window=\"Remote Control\"/\"Remote Control\" hidden",
                  "tray add id=10 tip=\"Remote Control\"",
                  "timer set id=1 ms=65",
              }));
    EXPECT_TRUE(TraceStarting({"show "}).empty()) << "the window never becomes visible";
}

TEST_F(MainWindow, ShortcutIsDeletedOnlyWhenItsPathFitsTheBuffer) {
    const std::size_t tail = std::strlen(kShortcut);
    struct Case {
        std::size_t directoryLength;
        bool deleted;
    } cases[] = {{127 - tail, true}, {128 - tail, false}, {127, false}, {300, false}};
    for (const auto& c : cases) {
        SimDesktop fresh;
        Prepare(fresh, 1000);
        fresh.system.windowsDirectory = "C:\\" + std::string(c.directoryLength - 3, 'w');
        std::string path = fresh.system.windowsDirectory + kShortcut;
        fresh.system.files = {path};
        ConstructStaticObjects();

        RunRemoteControl(kInstance);

        EXPECT_EQ(fresh.system.files.empty(), c.deleted)
            << "directory length " << c.directoryLength;
        EXPECT_EQ(fresh.tray.icons.size(), 1u) << "start-up goes on either way";
    }
    InstallPlatform(&desk);
}

TEST_F(MainWindow, AlwaysRemoteOffEndsAtOnceAndLeavesNoIcon) {
    alwaysRemoteOff = true;
    ClickTray(100);

    EXPECT_EQ(Run(), 0);

    EXPECT_EQ(desk.now, 0u) << "the message loop never ran";
    EXPECT_TRUE(desk.tray.icons.empty());
    EXPECT_EQ(
        TraceStarting({"tray", "timer", "menu"}),
        (std::vector<std::string>{"tray add id=10 tip=\"Remote Control\"", "tray delete id=10"}));
    ExpectReceiverClosed(desk, "AlwaysRemoteOff");
}

TEST_F(MainWindow, KeyPollingRunsExactlyWhenAReceiverWasFound) {
    for (bool withCard : {true, false}) {
        SimDesktop fresh;
        Prepare(fresh, 10000, withCard);
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
        EXPECT_EQ(logic.ReceiverFound, withCard ? 1 : 0);
        EXPECT_EQ(timersDuringRun, expected) << "card " << withCard;
        EXPECT_TRUE(fresh.windows.Timers().empty()) << "the exit actions disarm every timer";
    }
    InstallPlatform(&desk);
}

TEST_F(MainWindow, WithoutReceiverAButtonShowsTheMessageAndEnds) {
    for (std::uint32_t button : {WM_LBUTTONDOWN, WM_RBUTTONDOWN}) {
        SimDesktop fresh;
        Prepare(fresh, 10000, false);
        fresh.At(100, [&] { fresh.TrayNotify(kTrayIconId, WM_MOUSEMOVE); });
        fresh.At(150, [&] { fresh.TrayNotify(kTrayIconId, WM_LBUTTONUP); });
        std::vector<SimTrayIcon> iconsAfterMoves;
        fresh.At(200, [&] { iconsAfterMoves = fresh.tray.icons; });
        fresh.At(300, [&] { fresh.TrayNotify(kTrayIconId, button); });
        ConstructStaticObjects();

        EXPECT_EQ(RunRemoteControl(kInstance), 0);

        ASSERT_EQ(iconsAfterMoves.size(), 1u);
        EXPECT_EQ(iconsAfterMoves[0].tip, "Remote Control");
        EXPECT_EQ(iconsAfterMoves[0].icon, fresh.LoadIconA(kInstance, 50));
        ASSERT_EQ(fresh.dialogs.messageBoxes.size(), 1u);
        EXPECT_EQ(fresh.dialogs.messageBoxes[0].text,
                  "Can't find the Video Capture Filter.\n\nPlease check your hardware or "
                  "drivers. ");
        EXPECT_EQ(fresh.dialogs.messageBoxes[0].caption, "Remote Control");
        EXPECT_EQ(fresh.dialogs.messageBoxes[0].type, MB_OK | MB_SETFOREGROUND);
        EXPECT_TRUE(fresh.tray.icons.empty());
        EXPECT_EQ(fresh.now, 300u) << "the run ends right after the message";
        EXPECT_EQ(fresh.tray.LiveMenuCount(), 0);
        EXPECT_EQ(fresh.devices.com.initialized, 0) << "COM is given back even without a card";
        EXPECT_EQ(fresh.devices.com.LiveObjects(), 0);
    }
    InstallPlatform(&desk);
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
        SimDesktop fresh;
        Prepare(fresh, 10000);
        fresh.At(100, [&] {
            Hwnd utility = fresh.FindWindowA("Remote Control", nullptr);
            fresh.PostMessageA(utility, c.msg, c.wParam, 0);
            fresh.PostMessageA(utility, WM_DESTROY, 0, 0);
        });
        ConstructStaticObjects();

        EXPECT_EQ(RunRemoteControl(kInstance), 0) << c.name;

        EXPECT_EQ(fresh.now, 100u) << c.name;
        EXPECT_TRUE(fresh.tray.icons.empty()) << c.name;
        int deletions = 0;
        for (const auto& line : fresh.trace)
            deletions += line.find("tray delete id=10") != std::string::npos;
        EXPECT_EQ(deletions, 1) << c.name;
        EXPECT_TRUE(fresh.windows.Timers().empty()) << c.name;
        ExpectReceiverClosed(fresh, c.name);
    }
    InstallPlatform(&desk);
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

TEST_F(MainWindow, AcceleratorsOpenAboutAndSetting) {
    PostToUtility(100, WM_SYSCHAR, '/');
    PressOkAt(150);
    PostToUtility(200, WM_SYSCHAR, '?');
    PressOkAt(250);
    PostToUtility(300, WM_SYSCHAR, 'x');
    ExitAt(400);

    EXPECT_EQ(Run(), 0);

    EXPECT_EQ(TraceStarting({"dialog"}),
              (std::vector<std::string>{"dialog open 21", "dialog close 21 result=1",
                                        "dialog open 20", "dialog close 20 result=1"}));
    ASSERT_EQ(desk.dialogs.opened.size(), 2u);
    for (const auto& dialog : desk.dialogs.opened)
        EXPECT_EQ(dialog.owner, logic.mainWindow) << "dialog " << dialog.templateId;
}
