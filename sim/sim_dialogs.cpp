// Message boxes, modal dialogs built from the program's dialog templates, their controls
// with the combo box's list, and the user's scripted actions on a box or a dialog.
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
    SimWindowPlacement placement;
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

WParam Command(int controlId, std::uint32_t notification) {
    return static_cast<WParam>(controlId & 0xFFFF) | static_cast<WParam>(notification) << 16;
}

// A drop-down list without sorting: entries stay in the order they were added.
LResult ComboMessage(SimDialogRecord& dialog, std::uint32_t msg, WParam wParam, LParam lParam) {
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

// --- the dialogs' state ---

int SimDialogs::OpenMessageBoxCount() const {
    return static_cast<int>(std::count_if(messageBoxes.begin(), messageBoxes.end(),
                                          [](const SimMessageBox& box) { return !box.closed; }));
}

SimDialogRecord* SimDialogs::DialogOf(Hwnd window) {
    for (auto& dialog : opened) {
        if (dialog.window == window) return &dialog;
    }
    return nullptr;
}

const SimDialogRecord* SimDialogs::DialogOf(Hwnd window) const {
    return const_cast<SimDialogs*>(this)->DialogOf(window);
}

// --- message boxes ---

int SimDesktop::MessageBoxA(Hwnd, const char* text, const char* caption, std::uint32_t type) {
    ++calls;
    std::string shownText = text ? text : "";
    std::string shownCaption = caption ? caption : "";
    Trace("msgbox \"" + shownCaption + "\" \"" + shownText + "\"");
    auto& boxes = dialogs.messageBoxes;
    boxes.push_back(SimMessageBox{shownText, shownCaption, type, false});
    if (dialogs.autoCloseMessageBoxes || stopped) {
        boxes.back().closed = true;
        return IDOK;
    }
    std::size_t index = boxes.size() - 1;
    Pump([&boxes, index] { return boxes[index].closed; });
    boxes[index].closed = true;
    return IDOK;
}

void SimDesktop::CloseTopMessageBox() {
    auto& boxes = dialogs.messageBoxes;
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
        if (!it->closed) {
            it->closed = true;
            TraceDetail("msgbox closed \"" + it->text + "\"");
            return;
        }
    }
}

// --- dialogs ---

std::intptr_t SimDesktop::DialogBoxParamA(Handle, int templateId, Hwnd owner, DlgProc proc,
                                          LParam initParam) {
    ++calls;
    if (dialogs.failDialogCreation) return dialogs.failedDialogResult;
    const DialogTemplate* dialogTemplate = TemplateOf(templateId);
    if (!dialogTemplate) return -1;
    const SimWindow* ownerWindow = windows.Find(owner);
    if (owner != 0 && (!ownerWindow || !ownerWindow->alive)) return 0;

    SimDialogRecord record;
    record.templateId = templateId;
    record.owner = owner;
    record.window = windows.CreateSimWindow("#32770", dialogTemplate->caption, true);
    for (int i = 0; i < dialogTemplate->controlCount; ++i) {
        const ControlTemplate& control = dialogTemplate->controls[i];
        Hwnd child = windows.CreateSimWindow(control.cls, control.text, true);
        windows.RemoveFromZOrder(child);
        windows.Find(child)->utility = true;
        record.controls.push_back(child);
    }
    Hwnd window = record.window;
    windows.Find(window)->utility = true;
    windows.Find(window)->dlgProc = proc;
    windows.placements_[window] = dialogTemplate->placement;
    windows.foreground_ = window;
    windows.active_ = window;
    auto& opened = dialogs.opened;
    std::size_t index = opened.size();
    opened.push_back(record);
    Trace("dialog open " + std::to_string(templateId));

    if (proc)
        proc(window, WM_INITDIALOG, record.controls.empty() ? 0 : record.controls[0], initParam);
    Pump([&opened, index] { return opened[index].ended; });
    // A run that ends with the dialog still up takes it down unanswered.
    std::intptr_t result = opened[index].ended ? opened[index].result : 0;
    for (Hwnd child : opened[index].controls)
        DestroySimWindow(child);
    DestroySimWindow(window);
    const SimWindow* stillOwner = windows.Find(owner);
    if (stillOwner && stillOwner->alive) {
        windows.foreground_ = owner;
        windows.active_ = owner;
    }
    Trace("dialog close " + std::to_string(templateId) + " result=" + std::to_string(result));
    return result;
}

bool SimDesktop::EndDialog(Hwnd window, std::intptr_t result) {
    ++calls;
    SimDialogRecord* dialog = dialogs.DialogOf(window);
    const SimWindow* found = windows.Find(window);
    if (!dialog || dialog->ended || !found || !found->alive) return false;
    dialog->ended = true;
    dialog->result = result;
    return true;
}

Hwnd SimDesktop::GetDlgItem(Hwnd window, int id) {
    ++calls;
    const SimDialogRecord* dialog = dialogs.DialogOf(window);
    if (!dialog) return 0;
    int index = ControlIndex(*TemplateOf(dialog->templateId), id);
    return index < 0 ? 0 : dialog->controls[static_cast<std::size_t>(index)];
}

LResult SimDesktop::SendDlgItemMessageA(Hwnd window, int id, std::uint32_t msg, WParam wParam,
                                        LParam lParam) {
    ++calls;
    SimDialogRecord* dialog = dialogs.DialogOf(window);
    const SimWindow* found = windows.Find(window);
    if (!dialog || !found || !found->alive) return 0;
    const DialogTemplate& dialogTemplate = *TemplateOf(dialog->templateId);
    int index = ControlIndex(dialogTemplate, id);
    if (index < 0 || std::strcmp(dialogTemplate.controls[index].cls, "ComboBox") != 0) return 0;
    return ComboMessage(*dialog, msg, wParam, lParam);
}

int SimDesktop::OpenDialogCount() const {
    const auto& opened = dialogs.opened;
    return static_cast<int>(std::count_if(opened.begin(), opened.end(), [this](const auto& d) {
        const SimWindow* window = windows.Find(d.window);
        return window && window->alive;
    }));
}

Hwnd SimDesktop::TopDialog() const {
    for (auto it = dialogs.opened.rbegin(); it != dialogs.opened.rend(); ++it) {
        const SimWindow* window = windows.Find(it->window);
        if (window && window->alive && !it->ended) return it->window;
    }
    return 0;
}

// The user's actions reach the dialog's procedure at once, as a click does on Windows.
bool SimDesktop::PressDialogButton(int controlId) {
    Hwnd top = TopDialog();
    if (!top) return false;
    const SimDialogRecord& dialog = *dialogs.DialogOf(top);
    const DialogTemplate& dialogTemplate = *TemplateOf(dialog.templateId);
    int index = ControlIndex(dialogTemplate, controlId);
    if (index < 0 || std::strcmp(dialogTemplate.controls[index].cls, "Button") != 0) return false;
    Hwnd control = dialog.controls[static_cast<std::size_t>(index)];
    Trace("user button " + std::to_string(dialog.templateId) + " id=" + std::to_string(controlId));
    CallDialogProc(windows.Find(top), WM_COMMAND, Command(controlId, BN_CLICKED),
                   static_cast<LParam>(control));
    return true;
}

bool SimDesktop::SelectListEntry(const std::string& label) {
    Hwnd top = TopDialog();
    if (!top) return false;
    SimDialogRecord& dialog = *dialogs.DialogOf(top);
    auto entry = std::find(dialog.list.begin(), dialog.list.end(), label);
    if (entry == dialog.list.end()) return false;
    dialog.selection = static_cast<int>(entry - dialog.list.begin());
    Trace("user select " + std::to_string(dialog.templateId) + " \"" + label + "\"");
    Hwnd list = GetDlgItem(top, IDC_APPLIST);
    CallDialogProc(windows.Find(top), WM_COMMAND, Command(IDC_APPLIST, CBN_SELCHANGE),
                   static_cast<LParam>(list));
    return true;
}

// The close box and the Escape key both come to the procedure as the Cancel command.
bool SimDesktop::CloseDialogBox() {
    Hwnd top = TopDialog();
    if (!top) return false;
    Trace("user closebox " + std::to_string(dialogs.DialogOf(top)->templateId));
    CallDialogProc(windows.Find(top), WM_COMMAND, Command(IDCANCEL, BN_CLICKED), 0);
    return true;
}

// Enter presses the default button, OK in every template of the program.
bool SimDesktop::TypeDialogKey(std::uint8_t vk) {
    Hwnd top = TopDialog();
    if (!top || (vk != VK_RETURN && vk != VK_ESCAPE)) return false;
    Trace("user key " + std::to_string(dialogs.DialogOf(top)->templateId) +
          " vk=" + std::to_string(vk));
    int command = vk == VK_RETURN ? IDOK : IDCANCEL;
    CallDialogProc(windows.Find(top), WM_COMMAND, Command(command, BN_CLICKED),
                   static_cast<LParam>(GetDlgItem(top, command)));
    return true;
}
