// The simulated desktop's rules of focus, input and privilege, where a scenario cannot
// reach them: the lock's conditions one by one, the moment of activation, topmost windows,
// the quit message in a message box and the error codes of refused posts.
#include <functional>

#include "tests/test_support.h"

namespace {

class SimFocus : public DesktopTest {
  protected:
    Hwnd editor = desk.windows.CreateSimWindow("Notepad", "Letter - Notepad", true);
    Hwnd utility = desk.windows.CreateSimWindow("#32770", "Remote Control - About", false);

    SimFocus() {
        desk.windows.Find(utility)->utility = true;
        desk.windows.foregroundLockTimeoutMs = 1000;
    }
};

TEST_F(SimFocus, ForegroundLockConditions) {
    struct Case {
        const char* what;
        std::function<void()> setUp;
        bool utilityMay;
        bool launchedMay;  // a program that the utility started
    } cases[] = {
        {"no input yet", [] {}, true, true},
        {"user works in another program", [&] { desk.UserInput(editor); }, false, false},
        {"one ms before the time-out",
         [&] {
             desk.UserInput(editor);
             desk.Sleep(999);
         },
         false, false},
        {"on the time-out",
         [&] {
             desk.UserInput(editor);
             desk.Sleep(1000);
         },
         true, true},
        {"the utility received the last input",
         [&] {
             desk.UserInput(editor);
             desk.NoteInput(true);
         },
         true, false},
        {"the utility is in front",
         [&] {
             desk.UserInput(editor);
             desk.windows.foregroundLock = false;
             desk.SetForegroundWindow(utility);
             desk.windows.foregroundLock = true;
         },
         true, true},
        {"lock off",
         [&] {
             desk.UserInput(editor);
             desk.windows.foregroundLock = false;
         },
         true, true},
        {"no window in front",
         [&] {
             desk.UserInput(editor);
             desk.DestroySimWindow(editor);
         },
         true, true},
    };
    for (auto& c : cases) {
        desk.windows.foregroundLock = true;
        c.setUp();
        EXPECT_EQ(desk.MayTakeForeground(true), c.utilityMay) << c.what;
        EXPECT_EQ(desk.MayTakeForeground(false), c.launchedMay) << c.what;
    }
}

// The keyboard follows a granted switch at once; the window is reported in front, and
// raised, only when its own thread has handled the activation.
TEST_F(SimFocus, AnotherProgramsWindowIsActivatedByItsThread) {
    Hwnd app = desk.windows.StartApp(2);
    desk.UserInput(editor);
    desk.windows.foregroundLock = false;
    ASSERT_TRUE(desk.SetForegroundWindow(app));
    EXPECT_EQ(desk.GetForegroundWindow(), 0u);
    EXPECT_EQ(desk.GetWindow(desk.GetDesktopWindow(), GW_CHILD), editor);
    desk.keybd_event('A', 0, 0, 0);
    EXPECT_EQ(desk.windows.ReceivedBy(app).size(), 1u);
    desk.RunUntil(desk.now + desk.windows.activationDelayMs);
    EXPECT_EQ(desk.GetForegroundWindow(), app);
    EXPECT_EQ(desk.GetWindow(desk.GetDesktopWindow(), GW_CHILD), app);
}

TEST_F(SimFocus, TopmostWindowStaysAboveAWindowClickedLater) {
    desk.SetWindowPos(utility, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    desk.UserInput(editor);
    EXPECT_EQ(desk.GetWindow(desk.GetDesktopWindow(), GW_CHILD), utility);
    EXPECT_EQ(desk.GetWindow(utility, GW_HWNDNEXT), editor);
}

TEST_F(SimFocus, QuitMessageEndsAMessageBoxAndStaysPosted) {
    desk.dialogs.autoCloseMessageBoxes = false;
    desk.At(desk.now + 10, [&] { desk.PostQuitMessage(3); });
    EXPECT_EQ(desk.MessageBoxA(0, "text", "Remote Control", MB_OK), 0);
    EXPECT_EQ(desk.dialogs.OpenMessageBoxCount(), 0);
    Msg msg{};
    EXPECT_EQ(desk.GetMessageA(&msg, 0, 0, 0), 0);
    EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(SimFocus, ElevatedProgramRefusesMessagesAndInjectedInput) {
    desk.windows.elevatedApps.insert(2);
    Hwnd app = desk.windows.StartApp(2);
    EXPECT_FALSE(desk.PostMessageA(app, WM_USER + 2000, 1, 0));
    EXPECT_EQ(desk.GetLastError(), 5u);  // ERROR_ACCESS_DENIED
    desk.keybd_event('A', 0, 0, 0);
    desk.mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    EXPECT_TRUE(desk.windows.ReceivedBy(app).empty());
    EXPECT_TRUE(desk.input.mouseEvents.empty());
    EXPECT_FALSE(desk.input.lastInputToUtility);  // dropped input is no input event
    desk.DestroySimWindow(app);
    EXPECT_FALSE(desk.PostMessageA(app, WM_USER + 2000, 1, 0));
    EXPECT_EQ(desk.GetLastError(), 1400u);  // ERROR_INVALID_WINDOW_HANDLE
}

// Alt+F4 with either Alt under either layout: F4 arrives as a system key, and closes the
// window, unless AltGr's added left Ctrl makes it an ordinary one; no key stays down.
TEST_F(SimFocus, AltF4ClosesOnlyAsASystemKey) {
    struct Case {
        bool altGr;
        std::uint32_t altFlags;
        std::uint32_t f4Message;
    } cases[] = {
        {false, 0, WM_SYSKEYDOWN},
        {false, KEYEVENTF_EXTENDEDKEY, WM_SYSKEYDOWN},
        {true, 0, WM_SYSKEYDOWN},
        {true, KEYEVENTF_EXTENDEDKEY, WM_KEYDOWN},
    };
    for (const auto& c : cases) {
        desk.input.altGrLayout = c.altGr;
        Hwnd app = desk.windows.StartApp(1);
        desk.UserInput(app);
        desk.keybd_event(VK_MENU, 0, c.altFlags, 0);
        desk.keybd_event(VK_F4, 0, 0, 0);
        desk.keybd_event(VK_F4, 0, KEYEVENTF_KEYUP, 0);
        desk.keybd_event(VK_MENU, 0, c.altFlags | KEYEVENTF_KEYUP, 0);
        std::vector<std::string> f4;
        for (const auto& received : desk.windows.ReceivedBy(app)) {
            if (received.wParam == VK_F4 && !(received.lParam & (1 << 31)))
                f4.push_back(std::to_string(received.msg) + "/" +
                             std::to_string(received.lParam >> 29 & 1));
        }
        bool system = c.f4Message == WM_SYSKEYDOWN;
        EXPECT_EQ(f4, (std::vector<std::string>{std::to_string(c.f4Message) + "/" +
                                                (system ? "1" : "0")}))
            << c.altGr << " " << c.altFlags;
        desk.Sleep(1000);
        EXPECT_EQ(desk.IsWindowVisible(app), !system) << c.altGr << " " << c.altFlags;
        EXPECT_FALSE(desk.input.KeyDown(VK_CONTROL) || desk.input.KeyDown(VK_MENU));
        desk.DestroySimWindow(app);
    }
}

}  // namespace
