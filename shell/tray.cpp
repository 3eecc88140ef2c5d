#include "shell/tray.h"

#include <cstring>

#include "apps/tv_app.h"
#include "platform/win_shell_constants.h"
#include "shell/main_window.h"
#include "shell/main_window_ids.h"
#include "shell/settings.h"
#include "shell/static_objects.h"
#include "shell/text.h"

namespace {

// The first and smallest form of the shell's record, as 32-bit Windows lays it out.
constexpr std::uint32_t kTrayRecordSize = 88;

constexpr char kNoReceiverText[] =
    "Can't find the Video Capture Filter.\n\nPlease check your hardware or drivers. ";

// At most one application item: the default application's, when it is installed,
// checked while its window is present.
void AppendDefaultAppItem(Handle menu) {
    if (!IsInstalled(logic.DefaultTVAPP)) return;
    std::uint32_t flags = IsRunning(logic.DefaultTVAPP) ? MF_CHECKED : MF_STRING;
    Plat().AppendMenuA(menu, flags,
                       kAppCommandBase + static_cast<std::uint32_t>(logic.DefaultTVAPP),
                       AppLabel(logic.DefaultTVAPP));
}

void BuildTrayMenu() {
    Platform& platform = Plat();
    if (logic.trayMenu != 0) platform.DestroyMenu(logic.trayMenu);
    logic.trayMenu = platform.CreatePopupMenu();
    AppendDefaultAppItem(logic.trayMenu);
    platform.AppendMenuA(logic.trayMenu, MF_SEPARATOR, 0, nullptr);
    platform.AppendMenuA(logic.trayMenu, MF_STRING, IDM_SETTING, "Setting");
    platform.AppendMenuA(logic.trayMenu, MF_SEPARATOR, 0, nullptr);
    platform.AppendMenuA(logic.trayMenu, MF_STRING, IDM_ABOUT, "About");
    platform.AppendMenuA(logic.trayMenu, MF_SEPARATOR, 0, nullptr);
    platform.AppendMenuA(logic.trayMenu, MF_STRING, IDM_EXIT, "Exit");
}

// The menu closes on a click elsewhere only while its owner is the foreground window,
// and the posted WM_NULL lets the owner's thread see the menu end before the next one.
void ShowTrayMenu(Hwnd window) {
    Platform& platform = Plat();
    Point cursor{0, 0};
    platform.GetCursorPos(&cursor);
    BuildTrayMenu();
    platform.SetForegroundWindow(window);
    platform.TrackPopupMenu(logic.trayMenu, 0, cursor.x, cursor.y, 0, window, nullptr);
    platform.PostMessageA(window, WM_NULL, 0, 0);
}

void ReportMissingReceiver(Hwnd window) {
    Plat().MessageBoxA(0, kNoReceiverText, "Remote Control", MB_OK | MB_SETFOREGROUND);
    EndRun(window);
}

}  // namespace

void AddTrayIcon(Hwnd window, std::uint32_t id, Handle icon, const char* tip) {
    NotifyIconData& trayIconRecord = logic.trayIconRecord;
    trayIconRecord = NotifyIconData{};
    trayIconRecord.size = kTrayRecordSize;
    trayIconRecord.window = window;
    trayIconRecord.id = id;
    trayIconRecord.flags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIconRecord.callbackMessage = WM_TRAYNOTIFY;
    trayIconRecord.icon = icon;
    if (tip) CopyTruncated(logic.trayIconRecord.tip, sizeof logic.trayIconRecord.tip, tip);
    logic.trayIconShown = true;
    Plat().Shell_NotifyIconA(NIM_ADD, &trayIconRecord);
}

void RemoveTrayIcon(Hwnd window, std::uint32_t id) {
    NotifyIconData record{};
    record.size = kTrayRecordSize;
    record.window = window;
    record.id = id;
    if (window == logic.trayIconRecord.window && id == logic.trayIconRecord.id)
        logic.trayIconShown = false;
    Plat().Shell_NotifyIconA(NIM_DELETE, &record);
}

void RestoreTrayIcon() {
    if (logic.trayIconShown) Plat().Shell_NotifyIconA(NIM_ADD, &logic.trayIconRecord);
}

// The window's own filter where Windows has it (7 and later), the process's on Vista, and
// nothing on older Windows, which have no integrity levels. Without an elevation the filter
// changes nothing, so it is set in every run.
void AllowTaskbarCreated(Hwnd window) {
    Platform& platform = Plat();
    std::uint32_t created = logic.taskbarCreatedMessage;
    if (created == 0) return;
    if (platform.ChangeWindowMessageFilterEx(window, created, MSGFLT_ALLOW, nullptr)) return;
    if (platform.GetLastError() == ERROR_CALL_NOT_IMPLEMENTED)
        platform.ChangeWindowMessageFilter(created, MSGFLT_ADD);
}

void SetTrayTip(const char* tip) {
    NotifyIconData& record = logic.trayIconRecord;
    if (std::strncmp(record.tip, tip, sizeof record.tip) == 0) return;
    CopyTruncated(record.tip, sizeof record.tip, tip);
    if (logic.trayIconShown) Plat().Shell_NotifyIconA(NIM_MODIFY, &record);
}

void OnTrayNotify(Hwnd window, std::uint32_t mouseMessage) {
    switch (mouseMessage) {
        case WM_MOUSEMOVE:
            Plat().Shell_NotifyIconA(NIM_MODIFY, &logic.trayIconRecord);
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if (logic.ReceiverFound) {
                ShowTrayMenu(window);
            } else {
                ReportMissingReceiver(window);
            }
            break;
        default:
            break;
    }
}
