// The notification area, the shell's callback messages for the user's mouse over an icon,
// a restart of the taskbar, and popup menus with their modal loop.
#include <algorithm>
#include <cstring>

#include "platform/win_shell_constants.h"
#include "sim/sim_desktop.h"
#include "sim/sim_text.h"

namespace {

constexpr Handle kFirstMenu = 0x80000;
constexpr std::uint32_t kTrayRecordSize = 88;  // the shell's first NOTIFYICONDATAA

}  // namespace

// --- the notification area ---

const SimTrayIcon* SimTray::FindIcon(std::uint32_t id) const {
    for (const auto& icon : icons) {
        if (icon.id == id) return &icon;
    }
    return nullptr;
}

bool SimDesktop::Shell_NotifyIconA(std::uint32_t message, NotifyIconData* data) {
    ++calls;
    if (!data || data->size != kTrayRecordSize) return false;
    auto& icons = tray.icons;
    auto icon = std::find_if(icons.begin(), icons.end(), [&](const SimTrayIcon& shown) {
        return shown.window == data->window && shown.id == data->id;
    });
    std::string name = "id=" + std::to_string(data->id);
    auto apply = [data](SimTrayIcon& target) {
        if (data->flags & NIF_MESSAGE) target.callbackMessage = data->callbackMessage;
        if (data->flags & NIF_ICON) target.icon = data->icon;
        if (data->flags & NIF_TIP) {
            const void* end = std::memchr(data->tip, '\0', 63);
            std::size_t length = end ? static_cast<const char*>(end) - data->tip : 63;
            target.tip.assign(data->tip, length);
        }
    };
    switch (message) {
        case NIM_ADD: {
            if (icon != icons.end()) return false;
            SimTrayIcon added{data->window, data->id, 0, 0, ""};
            apply(added);
            icons.push_back(added);
            Trace("tray add " + name + " tip=\"" + added.tip + "\"");
            return true;
        }
        case NIM_MODIFY:
            if (icon == icons.end()) return false;
            apply(*icon);
            Trace("tray modify " + name + " tip=\"" + icon->tip + "\"");
            return true;
        case NIM_DELETE:
            if (icon == icons.end()) return false;
            icons.erase(icon);
            Trace("tray delete " + name);
            return true;
        default:
            return false;
    }
}

// An icon whose window is gone disappears when the mouse reaches it, as on Windows. The
// mouse is the user's input to the shell; on a click the shell lets the icon's owner take
// the foreground, as if the owner had received the input.
bool SimDesktop::TrayNotify(std::uint32_t id, std::uint32_t mouseMessage) {
    if (UserCannotReach("tray")) return false;
    NoteInput(mouseMessage != WM_MOUSEMOVE);
    const SimTrayIcon* icon = tray.FindIcon(id);
    if (!icon) return false;
    Hwnd target = icon->window;
    std::uint32_t callback = icon->callbackMessage;
    TraceDetail("tray mouse id=" + std::to_string(id) + " msg=" + std::to_string(mouseMessage));
    const SimWindow* window = windows.Find(target);
    if (!window || !window->alive) {
        tray.icons.erase(tray.icons.begin() + (icon - tray.icons.data()));
        Trace("tray vanished id=" + std::to_string(id));
        return true;
    }
    if (mouseMessage != WM_MOUSEMOVE && tray.MenuOpen()) ClickOutsideMenu();
    PostToQueue(target, callback, id, static_cast<LParam>(mouseMessage));
    return true;
}

// The broadcast comes from Explorer, at the user's integrity level: an elevated utility's
// window gets it only through its message filter.
void SimDesktop::RestartTaskbar() {
    tray.icons.clear();
    Trace("taskbar restarted");
    std::uint32_t created = windows.MessageIdOf("TaskbarCreated");
    for (Hwnd handle : windows.zOrder_) {
        const SimWindow* window = windows.Find(handle);
        if (!window->alive || !window->utility) continue;
        if (windows.PassesMessageFilter(handle, created, system.NtAtLeast(0x0600))) {
            PostToQueue(handle, created, 0, 0);
        } else {
            Trace("blocked \"TaskbarCreated\" " + windows.Describe(handle));
        }
    }
}

// --- popup menus ---

SimTray::Menu* SimTray::FindMenu(Handle menu) {
    if (menu < kFirstMenu || menu - kFirstMenu >= menus_.size()) return nullptr;
    Menu& found = menus_[menu - kFirstMenu];
    return found.alive ? &found : nullptr;
}

int SimTray::LiveMenuCount() const {
    return static_cast<int>(
        std::count_if(menus_.begin(), menus_.end(), [](const Menu& menu) { return menu.alive; }));
}

Handle SimDesktop::CreatePopupMenu() {
    ++calls;
    tray.menus_.emplace_back();
    return kFirstMenu + tray.menus_.size() - 1;
}

bool SimDesktop::AppendMenuA(Handle menu, std::uint32_t flags, std::uintptr_t id,
                             const char* text) {
    ++calls;
    SimTray::Menu* target = tray.FindMenu(menu);
    if (!target) return false;
    std::string label = (flags & MF_SEPARATOR) ? "-" : OrEmpty(text);
    target->items.push_back(SimMenuItem{label, id, flags});
    return true;
}

bool SimDesktop::DestroyMenu(Handle menu) {
    ++calls;
    SimTray::Menu* target = tray.FindMenu(menu);
    if (!target) return false;
    target->alive = false;
    return true;
}

bool SimDesktop::ChooseMenuItem(const std::string& label) {
    if (UserCannotReach("menu")) return false;
    if (!tray.MenuOpen()) return false;
    SimTray::MenuTracking& tracking = *tray.tracking_.back();
    SimTray::Menu* menu = tray.FindMenu(tracking.menu);
    if (!menu) return false;
    for (const auto& item : menu->items) {
        if ((item.flags & MF_SEPARATOR) || item.label != label) continue;
        Trace("menu choose \"" + label + "\"");
        NoteInput(true);
        tracking.done = true;
        tracking.chosen = item.id;
        return true;
    }
    return false;
}

bool SimDesktop::ClickOutsideMenu() {
    if (UserCannotReach("menu")) return false;
    if (!tray.MenuOpen()) return false;
    SimTray::MenuTracking& tracking = *tray.tracking_.back();
    NoteInput(true);  // the menu's loop captures the mouse
    if (windows.foreground_ != tracking.owner) {
        Trace("menu stays open");
        return false;
    }
    Trace("menu dismissed");
    tracking.done = true;
    tracking.chosen = 0;
    return true;
}

// A modal loop that keeps the thread's messages and timers going until the user chooses
// an item or closes the menu. Without TPM_RETURNCMD the choice is posted to the owner.
int SimDesktop::TrackPopupMenu(Handle menu, std::uint32_t flags, int, int, int, Hwnd owner,
                               const void*) {
    ++calls;
    const SimTray::Menu* shown = tray.FindMenu(menu);
    if (!shown || stopped) return 0;
    std::string line = "menu";
    for (const auto& item : shown->items)
        line += " \"" + item.label + "\"" + ((item.flags & MF_CHECKED) ? "*" : "");
    Trace(line);
    SimTray::MenuTracking tracking{menu, owner};
    auto& open = tray.tracking_;
    open.push_back(&tracking);
    Pump([&] { return tracking.done || windows.quitPosted || !tray.FindMenu(menu); });
    open.erase(std::find(open.begin(), open.end(), &tracking));
    if (flags & TPM_RETURNCMD) return static_cast<int>(tracking.chosen);
    if (tracking.chosen != 0) PostToQueue(owner, WM_COMMAND, tracking.chosen, 0);
    return 1;
}
