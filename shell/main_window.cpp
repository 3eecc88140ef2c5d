#include "shell/main_window.h"

#include "apps/tv_app.h"
#include "platform/win_shell_constants.h"
#include "receiver/capture_device.h"
#include "routing/pointer_mode.h"
#include "shell/main_window_ids.h"
#include "shell/settings.h"
#include "shell/startup_cleanup.h"
#include "shell/timer_slot.h"
#include "shell/tray.h"

Handle appInstance = 0;
Hwnd mainWindow = 0;
bool ReceiverFound = true;
char windowTitle[100] = {};
char windowClassName[100] = {};

namespace {

constexpr char kTrayTip[] = "Remote Control";

bool receiverNeedsClose = false;          // OpenReceiver ran and CloseReceiver has not
std::uint32_t taskbarCreatedMessage = 0;  // broadcast when the taskbar is re-created

// Static initial values, for a run that starts in a process that has run before.
void ResetShellState() {
    appInstance = 0;
    mainWindow = 0;
    ReceiverFound = true;
    windowTitle[0] = '\0';
    windowClassName[0] = '\0';
    receiverNeedsClose = false;
    taskbarCreatedMessage = 0;
    ResetTrayState();
}

void CloseReceiverOnce() {
    if (!receiverNeedsClose) return;
    receiverNeedsClose = false;
    CloseReceiver();
}

void OnCreate(Hwnd window) {
    if (!OpenReceiver()) ReceiverFound = false;
    receiverNeedsClose = true;
    InitPointerBounds();
    AddTrayIcon(window, kTrayIconId, Plat().LoadIconA(appInstance, kMainIconId), kTrayTip);
}

void OnDisplayChange(LParam lParam) {
    auto bits = static_cast<std::uint32_t>(lParam);
    UpdatePointerBounds(static_cast<std::int32_t>(bits & 0xFFFF),
                        static_cast<std::int32_t>(bits >> 16));
}

void SwitchToApp(AppId id) {
    SwitchTo(id);
    DefaultTVAPP = id;
}

// True for the commands of the window's own table.
bool OnCommand(Hwnd window, std::uint32_t command) {
    switch (command) {
        case IDM_ABOUT:
            Plat().DialogBoxParamA(appInstance, kAboutDialogId, window, AboutDlgProc, 0);
            return true;
        case IDM_SETTING:
            Plat().DialogBoxParamA(appInstance, kSettingDialogId, window, SettingDlgProc, 0);
            return true;
        case IDM_CLOSE:
        case IDM_EXIT:
            EndRun(window);
            return true;
        case IDM_APP1:
        case IDM_APP2:
        case IDM_APP6:
        case IDM_APP7:
        case IDM_APP9:
            SwitchToApp(static_cast<AppId>(command - kAppCommandBase));
            return true;
        default:
            return false;
    }
}

void LoadWindowNames(Handle instance) {
    Plat().LoadStringA(instance, kTitleStringId, windowTitle, sizeof windowTitle);
    Plat().LoadStringA(instance, kClassNameStringId, windowClassName, sizeof windowClassName);
}

// Ends at the quit message, whose wParam is the exit code; a failing GetMessageA (-1)
// ends the loop too instead of spinning on it.
int RunMessageLoop(Handle instance) {
    Platform& platform = Plat();
    Handle accelerators = platform.LoadAcceleratorsA(instance, kAcceleratorTableId);
    Msg msg{};
    while (platform.GetMessageA(&msg, 0, 0, 0) > 0) {
        if (platform.TranslateAcceleratorA(msg.hwnd, accelerators, &msg)) continue;
        platform.TranslateMessage(&msg);
        platform.DispatchMessageA(&msg);
    }
    return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
}

}  // namespace

int RunRemoteControl(Handle instance) {
    ResetShellState();
    DeleteMediaManagerShortcut();
    CloseCompetingPrograms();
    LoadWindowNames(instance);
    RegisterMainClass(instance);
    int exitCode = CreateMainWindow(instance) ? RunMessageLoop(instance) : 0;
    RunExitActions();
    return exitCode;
}

void RegisterMainClass(Handle instance) {
    Platform& platform = Plat();
    WindowClass windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.proc = MainWndProc;
    windowClass.instance = instance;
    windowClass.icon = platform.LoadIconA(instance, kMainIconId);
    windowClass.cursor = platform.LoadCursorA(0, kArrowCursorId);
    windowClass.background = COLOR_WINDOW + 1;
    windowClass.menuName = nullptr;
    windowClass.className = windowClassName;
    windowClass.smallIcon = windowClass.icon;
    platform.RegisterClassExA(&windowClass);
}

// With "AlwaysRemoteOff" the run ends before the loop; the icon and the receiver that
// window creation opened are given back first, so that no dead icon stays behind.
bool CreateMainWindow(Handle instance) {
    Platform& platform = Plat();
    appInstance = instance;
    taskbarCreatedMessage = platform.RegisterWindowMessageA("TaskbarCreated");
    mainWindow =
        platform.CreateWindowExA(0, windowClassName, windowTitle, WS_OVERLAPPEDWINDOW,
                                 CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, 0, 0, instance, nullptr);
    if (mainWindow == 0) return false;
    ReadSettings();
    if (AlwaysRemoteOff) {
        RemoveTrayIcon(mainWindow, kTrayIconId);
        CloseReceiverOnce();
        return false;
    }
    platform.ShowWindow(mainWindow, SW_HIDE);
    platform.UpdateWindow(mainWindow);
    if (ReceiverFound) {
        StartKeyPolling(mainWindow);
        PrepareAppWatch(mainWindow);
    }
    return true;
}

LResult PLATFORM_CALLBACK MainWndProc(Hwnd window, std::uint32_t msg, WParam wParam,
                                      LParam lParam) {
    switch (msg) {
        case WM_CREATE:
            OnCreate(window);
            return 0;
        case WM_DISPLAYCHANGE:
            OnDisplayChange(lParam);
            return 0;
        case WM_COMMAND:
            if (OnCommand(window, static_cast<std::uint32_t>(wParam & 0xFFFF))) return 0;
            break;
        case WM_DESTROY:
            EndRun(window);
            return 0;
        case WM_TRAYNOTIFY:
            OnTrayNotify(window, static_cast<std::uint32_t>(lParam));
            return 0;
        default:
            // The taskbar came back without the icon, the only way to the menu.
            if (taskbarCreatedMessage != 0 && msg == taskbarCreatedMessage) {
                RestoreTrayIcon();
                return 0;
            }
            break;
    }
    return Plat().DefWindowProcA(window, msg, wParam, lParam);
}

void EndRun(Hwnd window) {
    RemoveTrayIcon(window, kTrayIconId);
    Plat().PostQuitMessage(0);
    CloseReceiverOnce();
}
