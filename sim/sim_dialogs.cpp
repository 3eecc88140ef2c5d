// Modal dialogs built from the program's dialog templates, their controls with the combo
// box's list, window placement, and the user's scripted actions on a dialog.
#include <algorithm>
#include <cstring>

#include "shell/resource_ids.h"
#include "sim/sim_desktop.h"

namespace {

struct ControlTemplate {
    int id;
    const char* cls;
    const char* text;
};

// The parts of each template that the desktop acts on. Positions are the templates'
// dialog units turned into pixels with the base units of 8-point Arial (6 x 13).
struct DialogTemplate {
    int id;
    const char* caption;
    SimDesktop::WindowPlacement placement;
    ControlTemplate controls[2];
    int controlCount;
};

constexpr ControlTemplate kOk = {IDOK, "Button", "OK"};
constexpr ControlTemplate kCancel = {IDCANCEL, "Button", "Cancel"};
constexpr ControlTemplate kAppList = {IDC_APPLIST, "ComboBox", ""};

const DialogTemplate kTemplates[] = {
    {IDD_SETTING, "Remote Control - Setting", {0, 0, 300, 97, false, false}, {kOk, kAppList}, 2},
    {IDD_ABOUT, "Remote Control - About", {33, 27, 375, 73, false, false}, {kOk, {}}, 1},
    {IDD_SHUTDOWN, "Remote Control - Shut Down", {0, 0, 300, 97, false, false}, {kOk, kCancel}, 2},
};

const DialogTemplate* TemplateOf(int id) {
    for (const auto& dialogTemplate : kTemplates) {
        if (dialogTemplate.id == id) return &dialogTemplate;
    }
    return nullptr;
}

// The position of a control in its template, or -1.
int ControlIndex(const DialogTemplate& dialogTemplate, int controlId) {
    for (int i = 0; i < dialogTemplate.controlCount; ++i) {
        if (dialogTemplate.controls[i].id == controlId) return i;
    }
    return -1;
}

SimDesktop::DialogRecord* FindDialog(std::vector<SimDesktop::DialogRecord>& dialogs, Hwnd window) {
    for (auto& dialog : dialogs) {
        if (dialog.window == window) return &dialog;
    }
    return nullptr;
}

WParam Command(int controlId, std::uint32_t notification) {
    return static_cast<WParam>(controlId & 0xFFFF) | static_cast<WParam>(notification) << 16;
}

// A drop-down list without sorting: entries stay in the order they were added.
LResult ComboMessage(SimDesktop::DialogRecord& dialog, std::uint32_t msg, WParam wParam,
                     LParam lParam) {
    auto& list = dialog.list;
    bool valid = wParam < list.size();
    switch (msg) {
        case CB_RESETCONTENT:
            list.clear();
            dialog.selection = -1;
            return CB_OKAY;
        case CB_ADDSTRING:
            if (lParam == 0) return CB_ERR;
            list.emplace_back(reinterpret_cast<const char*>(lParam));
            return static_cast<LResult>(list.size() - 1);
        case CB_GETCOUNT:
            return static_cast<LResult>(list.size());
        case CB_SETCURSEL:
            dialog.selection = valid ? static_cast<int>(wParam) : -1;
            return valid ? static_cast<LResult>(wParam) : CB_ERR;
        case CB_GETCURSEL:
            return dialog.selection;
        case CB_GETLBTEXTLEN:
            return valid ? static_cast<LResult>(list[wParam].size()) : CB_ERR;
        case CB_GETLBTEXT:
            if (!valid || lParam == 0) return CB_ERR;
            std::memcpy(reinterpret_cast<char*>(lParam), list[wParam].c_str(),
                        list[wParam].size() + 1);
            return static_cast<LResult>(list[wParam].size());
        default:
            return 0;
    }
}

void CallDialogProc(SimWindow* window, std::uint32_t msg, WParam wParam, LParam lParam) {
    if (window && window->dlgProc) window->dlgProc(window->handle, msg, wParam, lParam);
}

}  // namespace

std::intptr_t SimDesktop::DialogBoxParamA(Handle, int templateId, Hwnd owner, DlgProc proc,
                                          LParam initParam) {
    ++calls;
    if (failDialogCreation) return failedDialogResult;
    const DialogTemplate* dialogTemplate = TemplateOf(templateId);
    if (!dialogTemplate) return -1;
    const SimWindow* ownerWindow = Find(owner);
    if (owner != 0 && (!ownerWindow || !ownerWindow->alive)) return 0;

    DialogRecord record;
    record.templateId = templateId;
    record.owner = owner;
    record.window = CreateSimWindow("#32770", dialogTemplate->caption, true);
    for (int i = 0; i < dialogTemplate->controlCount; ++i) {
        const ControlTemplate& control = dialogTemplate->controls[i];
        Hwnd child = CreateSimWindow(control.cls, control.text, true);
        zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), child), zOrder_.end());
        Find(child)->utility = true;
        record.controls.push_back(child);
    }
    Hwnd window = record.window;
    Find(window)->utility = true;
    Find(window)->dlgProc = proc;
    placements[window] = dialogTemplate->placement;
    foreground_ = window;
    active_ = window;
    std::size_t index = dialogs.size();
    dialogs.push_back(record);
    Trace("dialog open " + std::to_string(templateId));

    if (proc)
        proc(window, WM_INITDIALOG, record.controls.empty() ? 0 : record.controls[0], initParam);
    Pump([this, index] { return dialogs[index].ended; });
    // A run that ends with the dialog still up takes it down unanswered.
    std::intptr_t result = dialogs[index].ended ? dialogs[index].result : 0;
    for (Hwnd child : dialogs[index].controls)
        DestroySimWindow(child);
    DestroySimWindow(window);
    const SimWindow* stillOwner = Find(owner);
    if (stillOwner && stillOwner->alive) {
        foreground_ = owner;
        active_ = owner;
    }
    Trace("dialog close " + std::to_string(templateId) + " result=" + std::to_string(result));
    return result;
}

bool SimDesktop::EndDialog(Hwnd window, std::intptr_t result) {
    ++calls;
    DialogRecord* dialog = FindDialog(dialogs, window);
    const SimWindow* found = Find(window);
    if (!dialog || dialog->ended || !found || !found->alive) return false;
    dialog->ended = true;
    dialog->result = result;
    return true;
}

bool SimDesktop::SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                              std::uint32_t flags) {
    ++calls;
    const SimWindow* found = Find(window);
    if (!found || !found->alive) return false;
    WindowPlacement& placement = placements[window];
    if (!(flags & SWP_NOMOVE)) {
        placement.x = x;
        placement.y = y;
        placement.moved = true;
    }
    if (!(flags & SWP_NOSIZE)) {
        placement.width = cx;
        placement.height = cy;
    }
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST) placement.topmost = true;
        if (insertAfter == HWND_NOTOPMOST) placement.topmost = false;
        if (insertAfter == HWND_TOPMOST || insertAfter == HWND_TOP) BringToFront(window);
    }
    TraceDetail("position " + Describe(window) + " " + std::to_string(placement.x) + " " +
                std::to_string(placement.y) + (placement.topmost ? " topmost" : ""));
    return true;
}

const SimDesktop::WindowPlacement* SimDesktop::PlacementOf(Hwnd window) const {
    auto found = placements.find(window);
    return found == placements.end() ? nullptr : &found->second;
}

Hwnd SimDesktop::GetDlgItem(Hwnd window, int id) {
    ++calls;
    const DialogRecord* dialog = DialogOf(window);
    if (!dialog) return 0;
    int index = ControlIndex(*TemplateOf(dialog->templateId), id);
    return index < 0 ? 0 : dialog->controls[static_cast<std::size_t>(index)];
}

LResult SimDesktop::SendDlgItemMessageA(Hwnd window, int id, std::uint32_t msg, WParam wParam,
                                        LParam lParam) {
    ++calls;
    DialogRecord* dialog = FindDialog(dialogs, window);
    const SimWindow* found = Find(window);
    if (!dialog || !found || !found->alive) return 0;
    const DialogTemplate& dialogTemplate = *TemplateOf(dialog->templateId);
    int index = ControlIndex(dialogTemplate, id);
    if (index < 0 || std::strcmp(dialogTemplate.controls[index].cls, "ComboBox") != 0) return 0;
    return ComboMessage(*dialog, msg, wParam, lParam);
}

int SimDesktop::OpenDialogCount() const {
    return static_cast<int>(std::count_if(dialogs.begin(), dialogs.end(), [this](const auto& d) {
        const SimWindow* window = Find(d.window);
        return window && window->alive;
    }));
}

Hwnd SimDesktop::TopDialog() const {
    for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it) {
        const SimWindow* window = Find(it->window);
        if (window && window->alive && !it->ended) return it->window;
    }
    return 0;
}

const SimDesktop::DialogRecord* SimDesktop::DialogOf(Hwnd window) const {
    for (const auto& dialog : dialogs) {
        if (dialog.window == window) return &dialog;
    }
    return nullptr;
}

// The user's actions reach the dialog's procedure at once, as a click does on Windows.
bool SimDesktop::PressDialogButton(int controlId) {
    Hwnd top = TopDialog();
    if (!top) return false;
    const DialogRecord& dialog = *DialogOf(top);
    const DialogTemplate& dialogTemplate = *TemplateOf(dialog.templateId);
    int index = ControlIndex(dialogTemplate, controlId);
    if (index < 0 || std::strcmp(dialogTemplate.controls[index].cls, "Button") != 0) return false;
    Hwnd control = dialog.controls[static_cast<std::size_t>(index)];
    Trace("user button " + std::to_string(dialog.templateId) + " id=" + std::to_string(controlId));
    CallDialogProc(Find(top), WM_COMMAND, Command(controlId, BN_CLICKED),
                   static_cast<LParam>(control));
    return true;
}

bool SimDesktop::SelectListEntry(const std::string& label) {
    Hwnd top = TopDialog();
    if (!top) return false;
    DialogRecord& dialog = *FindDialog(dialogs, top);
    auto entry = std::find(dialog.list.begin(), dialog.list.end(), label);
    if (entry == dialog.list.end()) return false;
    dialog.selection = static_cast<int>(entry - dialog.list.begin());
    Trace("user select " + std::to_string(dialog.templateId) + " \"" + label + "\"");
    Hwnd list = GetDlgItem(top, IDC_APPLIST);
    CallDialogProc(Find(top), WM_COMMAND, Command(IDC_APPLIST, CBN_SELCHANGE),
                   static_cast<LParam>(list));
    return true;
}

// The close box and the Escape key both come to the procedure as the Cancel command.
bool SimDesktop::CloseDialogBox() {
    Hwnd top = TopDialog();
    if (!top) return false;
    Trace("user closebox " + std::to_string(DialogOf(top)->templateId));
    CallDialogProc(Find(top), WM_COMMAND, Command(IDCANCEL, BN_CLICKED), 0);
    return true;
}

// Enter presses the default button, OK in every template of the program.
bool SimDesktop::TypeDialogKey(std::uint8_t vk) {
    Hwnd top = TopDialog();
    if (!top || (vk != VK_RETURN && vk != VK_ESCAPE)) return false;
    Trace("user key " + std::to_string(DialogOf(top)->templateId) + " vk=" + std::to_string(vk));
    int command = vk == VK_RETURN ? IDOK : IDCANCEL;
    CallDialogProc(Find(top), WM_COMMAND, Command(command, BN_CLICKED),
                   static_cast<LParam>(GetDlgItem(top, command)));
    return true;
}
