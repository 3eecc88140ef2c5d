// The Setting dialog, which picks the default TV application, and the About dialog.
#include <cstring>

#include "apps/tv_app.h"
#include "routing/dialog_placement.h"
#include "shell/resource_ids.h"
#include "shell/settings.h"
#include "shell/static_objects.h"
#include "shell/text.h"

namespace {

constexpr int kLabelBufferSize = 128;
constexpr char kRefusedSaveText[] =
    "Remote Control could not save the setting: the account has no right to change it. The "
    "Power key starts ";

LResult AppList(Hwnd dialog, std::uint32_t msg, WParam wParam = 0, LParam lParam = 0) {
    return Plat().SendDlgItemMessageA(dialog, IDC_APPLIST, msg, wParam, lParam);
}

// Installed applications in the fixed order; the default is preselected, or the first
// entry when the default is none of them.
void FillAppList(Hwnd dialog) {
    AppList(dialog, CB_RESETCONTENT);
    LResult preselect = 0;
    int count = 0;
    for (AppId id : kAppOrder) {
        if (!IsInstalled(id)) continue;
        LResult index = AppList(dialog, CB_ADDSTRING, 0, reinterpret_cast<LParam>(AppLabel(id)));
        if (id == logic.DefaultTVAPP) preselect = index;
        ++count;
    }
    if (count > 0) AppList(dialog, CB_SETCURSEL, static_cast<WParam>(preselect));
}

// The selected label, or false with nothing selected or a label too long for the
// buffer (the list reports no size of its own when it copies).
bool SelectedLabel(Hwnd dialog, char (&label)[kLabelBufferSize]) {
    LResult index = AppList(dialog, CB_GETCURSEL);
    if (index < 0) return false;
    LResult length = AppList(dialog, CB_GETLBTEXTLEN, static_cast<WParam>(index));
    if (length < 0 || length >= kLabelBufferSize) return false;
    return AppList(dialog, CB_GETLBTEXT, static_cast<WParam>(index),
                   reinterpret_cast<LParam>(label)) >= 0;
}

// Written only when the choice differs from the current default.
void TakeSelectedApp(Hwnd dialog) {
    char label[kLabelBufferSize] = {};
    if (!SelectedLabel(dialog, label)) return;
    for (AppId id : kAppOrder) {
        if (std::strcmp(label, AppLabel(id)) != 0) continue;
        if (id != logic.DefaultTVAPP) {
            logic.DefaultTVAPP = id;
            if (WriteDefaultApp() == ERROR_ACCESS_DENIED) logic.settingSaveRefused = true;
        }
        return;
    }
}

}  // namespace

// The choice holds for this run whatever the registry says; the user hears once that it
// will not outlive it, after the dialog has gone.
void ReportRefusedSave() {
    if (!logic.settingSaveRefused || logic.settingSaveReported) return;
    logic.settingSaveReported = true;
    char text[192];
    std::size_t length = CopyTruncated(text, sizeof text, kRefusedSaveText);
    length += CopyTruncated(text + length, sizeof text - length, AppLabel(logic.DefaultTVAPP));
    CopyTruncated(text + length, sizeof text - length, " until Remote Control ends.");
    Plat().MessageBoxA(0, text, "Remote Control", MB_OK);
}

std::intptr_t PLATFORM_CALLBACK SettingDlgProc(Hwnd dialog, std::uint32_t msg, WParam wParam,
                                               LParam) {
    if (msg == WM_INITDIALOG) {
        PlaceDialog(dialog);
        FillAppList(dialog);
        return 1;
    }
    if (msg != WM_COMMAND) return 0;
    switch (wParam & 0xFFFF) {
        case IDOK:
            TakeSelectedApp(dialog);
            Plat().EndDialog(dialog, IDOK);
            return 1;
        case IDCANCEL:  // the Escape key or the close box; the dialog has no Cancel button
            Plat().EndDialog(dialog, IDCANCEL);
            return 1;
        default:
            return 0;
    }
}

std::intptr_t PLATFORM_CALLBACK AboutDlgProc(Hwnd dialog, std::uint32_t msg, WParam wParam,
                                             LParam) {
    if (msg == WM_INITDIALOG) {
        PlaceDialog(dialog);
        return 1;
    }
    if (msg != WM_COMMAND) return 0;
    int control = static_cast<int>(wParam & 0xFFFF);
    if (control != IDOK && control != IDCANCEL) return 0;
    Plat().EndDialog(dialog, control);
    return 1;
}
