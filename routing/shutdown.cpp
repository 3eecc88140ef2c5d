#include "routing/shutdown.h"

#include "apps/tv_app.h"
#include "routing/dialog_placement.h"
#include "shell/resource_ids.h"
#include "shell/static_objects.h"

namespace {

// Every closing path clears the flag first, so that keys arriving meanwhile, for
// example while a failure message is up, are routed normally again.
void CloseDialog(Hwnd dialog, std::intptr_t result) {
    logic.shutdownDialogOpen = false;
    Plat().EndDialog(dialog, result);
}

void Confirm(Hwnd dialog) {
    CloseDialog(dialog, IDOK);
    ShutDownComputer();
}

void InitDialog(Hwnd dialog) {
    Platform& platform = Plat();
    platform.SetForegroundWindow(dialog);
    platform.SetActiveWindow(dialog);
    logic.shutdownDialogWindow = dialog;
    // Under the foreground lock the dialog may open behind the window in front, and the
    // next Power press, meant for the TV, would confirm a shutdown nobody saw offered: it
    // is topmost on every screen, where the table has no row at its template position.
    if (!PlaceDialog(dialog))
        platform.SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// The router's keys come as the whole first parameter; commands carry the control in
// its low 16 bits.
std::intptr_t OnKeyDown(Hwnd dialog, WParam key) {
    if (key == VK_RETURN) {
        Confirm(dialog);
        return 1;
    }
    if (key == VK_ESCAPE) {
        CloseDialog(dialog, IDCANCEL);
        return 1;
    }
    return 0;
}

std::intptr_t OnCommand(Hwnd dialog, WParam wParam) {
    switch (wParam & 0xFFFF) {
        case IDOK:
            Confirm(dialog);
            return 1;
        case IDCANCEL:
            CloseDialog(dialog, IDCANCEL);
            return 1;
        default:
            return 0;
    }
}

}  // namespace

// Every application is looked up, also after one was found.
bool NoTvAppRunning() {
    bool anyRunning = false;
    for (AppId id : kAppOrder)
        anyRunning = IsRunning(id) || anyRunning;
    return !anyRunning;
}

// The procedure only ever ends the dialog with IDOK or IDCANCEL, so -1 (no dialog) or 0
// (the owner was refused) means that no dialog was made and no closing path will run:
// the flag is dropped again, or every later key would go to a dialog that is not there.
void ShowShutdownDialog(Hwnd owner) {
    logic.shutdownDialogOpen = true;
    std::intptr_t result =
        Plat().DialogBoxParamA(logic.appInstance, IDD_SHUTDOWN, owner, ShutdownDialogProc, 0);
    if (result == -1 || result == 0) logic.shutdownDialogOpen = false;
}

std::intptr_t PLATFORM_CALLBACK ShutdownDialogProc(Hwnd dialog, std::uint32_t msg, WParam wParam,
                                                   LParam) {
    switch (msg) {
        case WM_INITDIALOG:
            InitDialog(dialog);
            return 1;
        case WM_KEYDOWN:
            return OnKeyDown(dialog, wParam);
        case WM_COMMAND:
            return OnCommand(dialog, wParam);
        default:
            return 0;
    }
}
