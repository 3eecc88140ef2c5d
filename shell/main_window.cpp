#include "shell/main_window.h"

#include "apps/tv_app.h"
#include "platform/win_shell_constants.h"
#include "receiver/capture_device.h"
#include "routing/pointer_mode.h"
#include "routing/user_keys.h"
#include "shell/main_window_ids.h"
#include "shell/receiver_watch.h"
#include "shell/session_watch.h"
#include "shell/settings.h"
#include "shell/startup_cleanup.h"
#include "shell/static_objects.h"
#include "shell/timer_slot.h"
#include "shell/tray.h"

namespace {

void CloseReceiverOnce() {
    if (!logic.receiverNeedsClose) return;
    logic.receiverNeedsClose = false;
    StopWatchingPowerEvents();
    CloseReceiver();
}

// The start-up's walk over the devices counts as the first search for the card. A copy
// that starts away from the console leaves the card to the session in front.
void OnCreate(Hwnd window) {
    const char* tip = kTrayTip;
    if (WatchSession(window)) {
        StartPaused();
        tip = PausedTrayTip();
    } else if (OpenReceiver()) {
        logic.lastSearchTick = Plat().GetTickCount();
    } else {
        logic.ReceiverFound = false;
    }
    logic.receiverNeedsClose = true;
    WatchReceiverEvents(window);
    InitPointerBounds();
    AddTrayIcon(window, kTrayIconId, Plat().LoadIconA(logic.appInstance, kMainIconId), tip);
}

void OnDisplayChange(LParam lParam) {
    auto bits = static_cast<std::uint32_t>(lParam);
    UpdatePointerBounds(static_cast<std::int32_t>(bits & 0xFFFF),
                        static_cast<std::int32_t>(bits >> 16));
}

void SwitchToApp(AppId id) {
    SwitchTo(id);
    logic.DefaultTVAPP = id;
}

// True for the commands of the window's own table.
bool OnCommand(Hwnd window, std::uint32_t command) {
    switch (command) {
        case IDM_ABOUT:
            Plat().DialogBoxParamA(logic.appInstance, kAboutDialogId, window, AboutDlgProc, 0);
            return true;
        case IDM_SETTING:
            if (Plat().DialogBoxParamA(logic.appInstance, kSettingDialogId, window, SettingDlgProc,
                                       0) == IDOK) {
                ReportRefusedSave();
            }
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
    Plat().LoadStringA(instance, kTitleStringId, logic.windowTitle, sizeof logic.windowTitle);
    Plat().LoadStringA(instance, kClassNameStringId, logic.windowClassName,
                       sizeof logic.windowClassName);
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
    DeleteMediaManagerShortcut();
    CloseCompetingPrograms();
    HoldRunningObject();
    LoadWindowNames(instance);
    RegisterMainClass(instance);
    int exitCode = CreateMainWindow(instance) ? RunMessageLoop(instance) : 0;
    RunExitActions();
    ReleaseRunningObject();
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
    windowClass.className = logic.windowClassName;
    windowClass.smallIcon = windowClass.icon;
    platform.RegisterClassExA(&windowClass);
}

// With "AlwaysRemoteOff" the run ends before the loop; the icon and the receiver that
// window creation opened are given back first, so that no dead icon stays behind.
bool CreateMainWindow(Handle instance) {
    Platform& platform = Plat();
    logic.appInstance = instance;
    logic.taskbarCreatedMessage = platform.RegisterWindowMessageA("TaskbarCreated");
    logic.mainWindow =
        platform.CreateWindowExA(0, logic.windowClassName, logic.windowTitle, WS_OVERLAPPEDWINDOW,
                                 CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, 0, 0, instance, nullptr);
    if (logic.mainWindow == 0) return false;
    AllowTaskbarCreated(logic.mainWindow);
    ReadSettings();
    if (logic.AlwaysRemoteOff) {
        StopWatchingSession(logic.mainWindow);
        RemoveTrayIcon(logic.mainWindow, kTrayIconId);
        CloseReceiverOnce();
        return false;
    }
    platform.ShowWindow(logic.mainWindow, SW_HIDE);
    platform.UpdateWindow(logic.mainWindow);
    if (logic.ReceiverFound) {
        StartKeyPolling(logic.mainWindow);
        PrepareAppWatch(logic.mainWindow);
        // A paused start polls nothing until its session is in front.
        if (logic.receiverState == ReceiverState::Paused) logic.KeyPollTimer.Disarm();
    }
    // Its problems box runs a message loop: the timers' slots must be set up before it.
    LoadUserKeys();
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
        case WM_POWERBROADCAST:
            if (OnPowerBroadcast(static_cast<std::uint32_t>(wParam))) return 1;
            break;
        case WM_DEVICECHANGE:
            if (OnDeviceHandleEvent(static_cast<std::uint32_t>(wParam), lParam)) return 1;
            if (OnDeviceChange(static_cast<std::uint32_t>(wParam))) return 1;
            break;
        case WM_WTSSESSION_CHANGE:
            if (OnSessionChange(static_cast<std::uint32_t>(wParam))) return 0;
            break;
        default:
            // The taskbar came back without the icon, the only way to the menu.
            if (logic.taskbarCreatedMessage != 0 && msg == logic.taskbarCreatedMessage) {
                RestoreTrayIcon();
                return 0;
            }
            break;
    }
    return Plat().DefWindowProcA(window, msg, wParam, lParam);
}

void EndRun(Hwnd window) {
    StopWatchingSession(window);
    RemoveTrayIcon(window, kTrayIconId);
    Plat().PostQuitMessage(0);
    CloseReceiverOnce();
}
