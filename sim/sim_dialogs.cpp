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

// The desktop's own message for a choice in a combo box's drop-down list: wParam is the
// entry. The user's mouse does this inside the control; the dialog sees CBN_SELCHANGE.
constexpr std::uint32_t kListChoice = 0x8000 + 0x3F00;  // in the WM_APP range

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
    dialogs.loops.push_back(0);
    bool answered = Pump([&boxes, index] { return boxes[index].closed; });
    dialogs.loops.pop_back();
    boxes[index].closed = true;
    return answered ? IDOK : 0;
}

void SimDesktop::CloseTopMessageBox() {
    if (UserCannotReach("msgbox")) return;
    auto& boxes = dialogs.messageBoxes;
    for (auto it = boxes.rbegin(); it != boxes.rend(); ++it) {
        if (!it->closed) {
            NoteInput(true);
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
    // Showing the dialog activates it in the utility's thread; it is the foreground window
    // only if the lock allows, and otherwise opens behind the window in front.
    windows.active_ = window;
    if (MayTakeForeground(true)) {
        SwitchForeground(window);
    } else {
        windows.PlaceBehind(window, windows.foreground_);
    }
    auto& opened = dialogs.opened;
    std::size_t index = opened.size();
    opened.push_back(record);
    Trace("dialog open " + std::to_string(templateId));

    // A procedure that answers WM_INITDIALOG with TRUE leaves the focus on the control the
    // system proposes, the first tab stop.
    Hwnd firstTabStop = record.controls.empty() ? 0 : record.controls[0];
    if (proc && proc(window, WM_INITDIALOG, firstTabStop, initParam) != 0) {
        opened[index].focus = firstTabStop;
    }
    dialogs.loops.push_back(window);
    Pump([&opened, index] { return opened[index].ended; });
    dialogs.loops.pop_back();
    // A dialog that the quit message or the end of the run takes down was not answered.
    std::intptr_t result = opened[index].ended ? opened[index].result : 0;
    bool wasForeground = windows.foreground_ == window;
    for (Hwnd child : opened[index].controls)
        DestroySimWindow(child);
    DestroySimWindow(window);
    // The activation goes back to the owner, or, when the owner is hidden, to the next
    // visible window, as when any active window goes.
    const SimWindow* stillOwner = windows.Find(owner);
    if (wasForeground && stillOwner && stillOwner->alive && stillOwner->visible) {
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

// --- the user's actions ---

// The user's input waits in the thread's queue, as on Windows, until a message loop takes
// it: one that runs while the thread sleeps or waits on the driver sees it only afterwards.
// A click on a button moves the focus to it and presses it.
bool SimDesktop::PressDialogButton(int controlId) {
    if (UserCannotReach("dialog")) return false;
    Hwnd top = TopDialog();
    if (!top) return false;
    const SimDialogRecord& dialog = *dialogs.DialogOf(top);
    const DialogTemplate& dialogTemplate = *TemplateOf(dialog.templateId);
    int index = ControlIndex(dialogTemplate, controlId);
    if (index < 0 || std::strcmp(dialogTemplate.controls[index].cls, "Button") != 0) return false;
    Hwnd control = dialog.controls[static_cast<std::size_t>(index)];
    Trace("user button " + std::to_string(dialog.templateId) + " id=" + std::to_string(controlId));
    NoteInput(true);
    PostToQueue(control, WM_LBUTTONDOWN, 0, 0);
    PostToQueue(control, WM_LBUTTONUP, 0, 0);
    return true;
}

bool SimDesktop::SelectListEntry(const std::string& label) {
    if (UserCannotReach("dialog")) return false;
    Hwnd top = TopDialog();
    if (!top) return false;
    const SimDialogRecord& dialog = *dialogs.DialogOf(top);
    auto entry = std::find(dialog.list.begin(), dialog.list.end(), label);
    int index = ControlIndex(*TemplateOf(dialog.templateId), IDC_APPLIST);
    if (entry == dialog.list.end() || index < 0) return false;
    Trace("user select " + std::to_string(dialog.templateId) + " \"" + label + "\"");
    NoteInput(true);
    PostToQueue(dialog.controls[static_cast<std::size_t>(index)], kListChoice,
                static_cast<WParam>(entry - dialog.list.begin()), 0);
    return true;
}

// The close box comes to the procedure as the Cancel command (DefDlgProc's answer to
// SC_CLOSE).
bool SimDesktop::CloseDialogBox() {
    if (UserCannotReach("dialog")) return false;
    Hwnd top = TopDialog();
    if (!top) return false;
    Trace("user closebox " + std::to_string(dialogs.DialogOf(top)->templateId));
    NoteInput(true);
    PostToQueue(top, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
}

// A key goes to the control that has the focus; the dialog's own loop turns Tab, Enter
// and Escape into focus moves and commands (IsDialogMessage).
bool SimDesktop::TypeDialogKey(std::uint8_t vk) {
    if (UserCannotReach("dialog")) return false;
    Hwnd top = TopDialog();
    if (!top || (vk != VK_RETURN && vk != VK_ESCAPE && vk != kVkTab)) return false;
    const SimDialogRecord& dialog = *dialogs.DialogOf(top);
    Trace("user key " + std::to_string(dialog.templateId) + " vk=" + std::to_string(vk));
    NoteInput(true);
    PostToQueue(dialog.focus != 0 ? dialog.focus : top, WM_KEYDOWN, vk, 0);
    return true;
}

// --- the user's input, when a loop dispatches it ---

// Enter presses the push button that has the focus, and otherwise the default button, OK
// in every template of the program; Escape is the Cancel command; Tab moves the focus to
// the next control, all of which are tab stops.
void SimDesktop::DialogKey(SimDialogRecord& dialog, WParam vk) {
    const DialogTemplate& dialogTemplate = *TemplateOf(dialog.templateId);
    auto& controls = dialog.controls;
    auto focus = std::find(controls.begin(), controls.end(), dialog.focus);
    if (vk == kVkTab) {
        if (!controls.empty())
            dialog.focus =
                focus == controls.end() || focus + 1 == controls.end() ? controls[0] : *(focus + 1);
        return;
    }
    int command = IDCANCEL;
    if (vk == VK_RETURN) {
        command = IDOK;
        if (focus != controls.end()) {
            const ControlTemplate& control = dialogTemplate.controls[focus - controls.begin()];
            if (std::strcmp(control.cls, "Button") == 0) command = control.id;
        }
    } else if (vk != VK_ESCAPE) {
        return;
    }
    int index = ControlIndex(dialogTemplate, command);
    Hwnd button = index < 0 ? 0 : controls[static_cast<std::size_t>(index)];
    CallDialogProc(windows.Find(dialog.window), WM_COMMAND, Command(command, BN_CLICKED),
                   static_cast<LParam>(button));
}

// Returns false for a message that is not the user's input on a dialog.
bool SimDesktop::DispatchDialogInput(const Msg& msg) {
    SimDialogRecord* dialog = nullptr;
    int index = -1;
    for (auto& opened : dialogs.opened) {
        auto control = std::find(opened.controls.begin(), opened.controls.end(), msg.hwnd);
        if (opened.window != msg.hwnd && control == opened.controls.end()) continue;
        dialog = &opened;
        if (control != opened.controls.end())
            index = static_cast<int>(control - opened.controls.begin());
        break;
    }
    if (!dialog || dialog->ended) return false;
    SimWindow* window = windows.Find(dialog->window);
    if (!window || !window->alive) return false;
    const DialogTemplate& dialogTemplate = *TemplateOf(dialog->templateId);
    switch (msg.message) {
        case WM_KEYDOWN:
            // Only the dialog's own loop translates keys; any other loop hands them to the
            // control, which ignores them.
            if (!dialogs.loops.empty() && dialogs.loops.back() == dialog->window)
                DialogKey(*dialog, msg.wParam);
            return true;
        case WM_SYSCOMMAND:
            if (index < 0 && (msg.wParam & 0xFFF0) == SC_CLOSE &&
                (!window->dlgProc ||
                 window->dlgProc(dialog->window, msg.message, msg.wParam, msg.lParam) == 0)) {
                int cancel = ControlIndex(dialogTemplate, IDCANCEL);
                CallDialogProc(window, WM_COMMAND, Command(IDCANCEL, BN_CLICKED),
                               cancel < 0 ? 0 : static_cast<LParam>(dialog->controls[cancel]));
            }
            return index < 0;
        case WM_LBUTTONDOWN:
            if (index >= 0) dialog->focus = msg.hwnd;
            return index >= 0;
        case WM_LBUTTONUP:
            if (index < 0) return false;
            CallDialogProc(window, WM_COMMAND,
                           Command(dialogTemplate.controls[index].id, BN_CLICKED),
                           static_cast<LParam>(msg.hwnd));
            return true;
        case kListChoice:
            if (index < 0 || msg.wParam >= dialog->list.size()) return index >= 0;
            dialog->focus = msg.hwnd;
            dialog->selection = static_cast<int>(msg.wParam);
            CallDialogProc(window, WM_COMMAND, Command(IDC_APPLIST, CBN_SELCHANGE),
                           static_cast<LParam>(msg.hwnd));
            return true;
        default:
            return false;
    }
}
