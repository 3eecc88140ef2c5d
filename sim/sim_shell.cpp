// The utility's own windows and message loop, the program's resources, the files on the
// disk, the notification area and popup menus.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/win_shell_constants.h"
#include "sim/sim_desktop.h"

namespace {

constexpr Handle kIconBase = 0x50000;
constexpr Handle kCursorBase = 0x60000;
constexpr Handle kAcceleratorBase = 0x70000;
constexpr Handle kFirstMenu = 0x80000;
constexpr std::uint32_t kFirstRegisteredMessage = 0xC000;
constexpr std::uint16_t kFirstClassAtom = 0xC000;
constexpr std::uint32_t kTrayRecordSize = 88;  // the shell's first NOTIFYICONDATAA

// The program's resources, as its resource script lays them down.
struct StringResource {
    std::uint32_t id;
    const char* text;
};
constexpr StringResource kStrings[] = {{22, "Remote Control"}, {23, "Remote Control"}};
constexpr int kIcons[] = {50, 110};
constexpr int kAcceleratorTable = 23;
struct Accelerator {
    WParam character;  // with Alt, as a character code (FALT without FVIRTKEY)
    std::uint32_t command;
};
constexpr Accelerator kAccelerators[] = {{'/', 30}, {'?', 32}};

std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string Text(const char* text) {
    return text ? text : "";
}

}  // namespace

// --- the program's resources and files ---

int SimDesktop::LoadStringA(Handle, std::uint32_t id, char* buffer, int size) {
    ++calls;
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    for (const auto& resource : kStrings) {
        if (resource.id != id) continue;
        std::size_t count =
            std::min(std::strlen(resource.text), static_cast<std::size_t>(size - 1));
        std::memcpy(buffer, resource.text, count);
        buffer[count] = '\0';
        return static_cast<int>(count);
    }
    return 0;
}

// With instance 0 the system's own icons, otherwise the program's.
Handle SimDesktop::LoadIconA(Handle instance, int resourceId) {
    ++calls;
    bool known = instance == 0 ||
                 std::find(std::begin(kIcons), std::end(kIcons), resourceId) != std::end(kIcons);
    return known ? kIconBase + static_cast<Handle>(resourceId) : 0;
}

Handle SimDesktop::LoadCursorA(Handle instance, int resourceId) {
    ++calls;
    return instance == 0 ? kCursorBase + static_cast<Handle>(resourceId) : 0;
}

Handle SimDesktop::LoadAcceleratorsA(Handle, int resourceId) {
    ++calls;
    return resourceId == kAcceleratorTable ? kAcceleratorBase + kAcceleratorTable : 0;
}

bool SimDesktop::DeleteFileA(const char* path) {
    ++calls;
    std::string target = Text(path);
    auto file = std::find_if(files.begin(), files.end(), [&](const std::string& present) {
        return Lower(present) == Lower(target);
    });
    bool found = file != files.end();
    Trace("delete \"" + target + "\"" + (found ? " done" : " not found"));
    if (found) files.erase(file);
    return found;
}

// --- the utility's windows ---

std::uint16_t SimDesktop::RegisterClassExA(const WindowClass* windowClass) {
    ++calls;
    if (!windowClass || !windowClass->className) return 0;
    std::string name = windowClass->className;
    for (const auto& registered : classes_) {
        if (Lower(registered.name) == Lower(name)) return 0;  // ERROR_CLASS_ALREADY_EXISTS
    }
    classes_.push_back(WindowClassRecord{name, windowClass->proc});
    return static_cast<std::uint16_t>(kFirstClassAtom + classes_.size() - 1);
}

// WM_CREATE arrives inside the call; a window procedure that answers it with -1 fails
// the creation.
Hwnd SimDesktop::CreateWindowExA(std::uint32_t, const char* cls, const char* title,
                                 std::uint32_t style, int, int, int, int, Hwnd, Handle, Handle,
                                 void*) {
    ++calls;
    auto registered = std::find_if(classes_.begin(), classes_.end(), [&](const auto& record) {
        return Lower(record.name) == Lower(Text(cls));
    });
    if (registered == classes_.end()) return 0;
    WndProc proc = registered->proc;
    Hwnd handle = CreateSimWindow(registered->name, Text(title), (style & WS_VISIBLE) != 0);
    SimWindow* window = Find(handle);
    window->utility = true;
    window->proc = proc;
    TraceDetail("create " + Describe(handle) + (window->visible ? " visible" : " hidden"));
    if (proc && proc(handle, WM_CREATE, 0, 0) == -1) {
        DestroyUtilityWindow(handle);
        return 0;
    }
    return handle;
}

bool SimDesktop::ShowWindow(Hwnd handle, int show) {
    ++calls;
    SimWindow* window = Find(handle);
    if (!window || !window->alive) return false;
    bool wasVisible = window->visible;
    window->visible = show != SW_HIDE;
    if (wasVisible != window->visible) {
        Trace(std::string(window->visible ? "show " : "hide ") + Describe(handle));
    }
    return wasVisible;
}

bool SimDesktop::UpdateWindow(Hwnd handle) {
    ++calls;
    const SimWindow* window = Find(handle);
    return window && window->alive;
}

// WM_CLOSE destroys the window, as DestroyWindow: WM_DESTROY first, then its timers and
// the window itself go.
LResult SimDesktop::DefWindowProcA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) {
    ++calls;
    defaultProcessed.push_back(
        Msg{window, msg, wParam, lParam, static_cast<std::uint32_t>(tickBase + now), Point{0, 0}});
    if (msg == WM_CLOSE) DestroyUtilityWindow(window);
    return 0;
}

void SimDesktop::DestroyUtilityWindow(Hwnd handle) {
    SimWindow* window = Find(handle);
    if (!window || !window->alive) return;
    TraceDetail("destroy " + Describe(handle));
    if (WndProc proc = window->proc) proc(handle, WM_DESTROY, 0, 0);
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [handle](const SimTimer& timer) { return timer.owner == handle; }),
                  timers_.end());
    DestroySimWindow(handle);
}

// --- the thread's message loop ---

// Posted messages come first, then the quit message, then timer ticks; with nothing to
// do the clock moves on. A stopped run reads as the quit message with code 0.
int SimDesktop::GetMessageA(Msg* msg, Hwnd, std::uint32_t, std::uint32_t) {
    ++calls;
    while (!stopped) {
        if (!queue_.empty()) {
            *msg = queue_.front();
            queue_.pop_front();
            return 1;
        }
        if (quitPosted) {
            quitPosted = false;
            *msg = Msg{0,
                       WM_QUIT,
                       static_cast<WParam>(quitCode),
                       0,
                       static_cast<std::uint32_t>(tickBase + now),
                       Point{0, 0}};
            return 0;
        }
        if (TakeDueTimer(msg)) return 1;
        AdvanceClock();
    }
    *msg = Msg{0, WM_QUIT, 0, 0, static_cast<std::uint32_t>(tickBase + now), Point{0, 0}};
    return 0;
}

// Accelerator table 23 answers Alt with a character, which reaches a window as
// WM_SYSCHAR; the command goes straight to the window's procedure.
int SimDesktop::TranslateAcceleratorA(Hwnd handle, Handle accelerators, Msg* msg) {
    ++calls;
    if (accelerators != kAcceleratorBase + kAcceleratorTable || !msg) return 0;
    if (msg->message != WM_SYSCHAR) return 0;
    for (const auto& accelerator : kAccelerators) {
        if (msg->wParam != accelerator.character) continue;
        SimWindow* window = Find(handle);
        if (!window || !window->alive || !window->proc) return 0;
        window->proc(handle, WM_COMMAND, (WParam{1} << 16) | accelerator.command, 0);
        return 1;
    }
    return 0;
}

// No keyboard layout is modelled: key messages yield no character messages.
bool SimDesktop::TranslateMessage(const Msg*) {
    ++calls;
    return false;
}

LResult SimDesktop::DispatchMessageA(const Msg* msg) {
    ++calls;
    if (msg) Dispatch(*msg);
    return 0;
}

void SimDesktop::PostQuitMessage(int exitCode) {
    ++calls;
    quitPosted = true;
    quitCode = exitCode;
    TraceDetail("quit " + std::to_string(exitCode));
}

std::uint32_t SimDesktop::MessageIdOf(const std::string& name) {
    for (std::size_t i = 0; i < registeredMessages_.size(); ++i) {
        if (Lower(registeredMessages_[i]) == Lower(name)) {
            return kFirstRegisteredMessage + static_cast<std::uint32_t>(i);
        }
    }
    registeredMessages_.push_back(name);
    return kFirstRegisteredMessage + static_cast<std::uint32_t>(registeredMessages_.size() - 1);
}

std::uint32_t SimDesktop::RegisterWindowMessageA(const char* name) {
    ++calls;
    return name ? MessageIdOf(name) : 0;
}

// --- the notification area ---

bool SimDesktop::Shell_NotifyIconA(std::uint32_t message, NotifyIconData* data) {
    ++calls;
    if (!data || data->size != kTrayRecordSize) return false;
    auto icon = std::find_if(trayIcons.begin(), trayIcons.end(), [&](const TrayIcon& shown) {
        return shown.window == data->window && shown.id == data->id;
    });
    std::string name = "id=" + std::to_string(data->id);
    auto apply = [data](TrayIcon& target) {
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
            if (icon != trayIcons.end()) return false;
            TrayIcon added{data->window, data->id, 0, 0, ""};
            apply(added);
            trayIcons.push_back(added);
            Trace("tray add " + name + " tip=\"" + added.tip + "\"");
            return true;
        }
        case NIM_MODIFY:
            if (icon == trayIcons.end()) return false;
            apply(*icon);
            Trace("tray modify " + name + " tip=\"" + icon->tip + "\"");
            return true;
        case NIM_DELETE:
            if (icon == trayIcons.end()) return false;
            trayIcons.erase(icon);
            Trace("tray delete " + name);
            return true;
        default:
            return false;
    }
}

const SimDesktop::TrayIcon* SimDesktop::FindTrayIcon(std::uint32_t id) const {
    for (const auto& icon : trayIcons) {
        if (icon.id == id) return &icon;
    }
    return nullptr;
}

// An icon whose window is gone disappears when the mouse reaches it, as on Windows.
bool SimDesktop::TrayNotify(std::uint32_t id, std::uint32_t mouseMessage) {
    const TrayIcon* icon = FindTrayIcon(id);
    if (!icon) return false;
    Hwnd target = icon->window;
    std::uint32_t callback = icon->callbackMessage;
    TraceDetail("tray mouse id=" + std::to_string(id) + " msg=" + std::to_string(mouseMessage));
    const SimWindow* window = Find(target);
    if (!window || !window->alive) {
        trayIcons.erase(trayIcons.begin() + (icon - trayIcons.data()));
        Trace("tray vanished id=" + std::to_string(id));
        return true;
    }
    if (mouseMessage != WM_MOUSEMOVE && !tracking_.empty()) ClickOutsideMenu();
    queue_.push_back(Msg{target, callback, id, static_cast<LParam>(mouseMessage),
                         static_cast<std::uint32_t>(tickBase + now), Point{0, 0}});
    return true;
}

void SimDesktop::RestartTaskbar() {
    trayIcons.clear();
    Trace("taskbar restarted");
    std::uint32_t created = MessageIdOf("TaskbarCreated");
    for (Hwnd handle : zOrder_) {
        const SimWindow* window = Find(handle);
        if (window->alive && window->utility) {
            queue_.push_back(Msg{handle, created, 0, 0, static_cast<std::uint32_t>(tickBase + now),
                                 Point{0, 0}});
        }
    }
}

// --- popup menus ---

SimDesktop::Menu* SimDesktop::FindMenu(Handle menu) {
    if (menu < kFirstMenu || menu - kFirstMenu >= menus_.size()) return nullptr;
    Menu& found = menus_[menu - kFirstMenu];
    return found.alive ? &found : nullptr;
}

Handle SimDesktop::CreatePopupMenu() {
    ++calls;
    menus_.emplace_back();
    return kFirstMenu + menus_.size() - 1;
}

bool SimDesktop::AppendMenuA(Handle menu, std::uint32_t flags, std::uintptr_t id,
                             const char* text) {
    ++calls;
    Menu* target = FindMenu(menu);
    if (!target) return false;
    std::string label = (flags & MF_SEPARATOR) ? "-" : Text(text);
    target->items.push_back(MenuItem{label, id, flags});
    return true;
}

bool SimDesktop::DestroyMenu(Handle menu) {
    ++calls;
    Menu* target = FindMenu(menu);
    if (!target) return false;
    target->alive = false;
    return true;
}

int SimDesktop::LiveMenuCount() const {
    return static_cast<int>(
        std::count_if(menus_.begin(), menus_.end(), [](const Menu& menu) { return menu.alive; }));
}

bool SimDesktop::MenuOpen() const {
    return !tracking_.empty();
}

void SimDesktop::CloseMenu(MenuTracking& tracking, std::uintptr_t chosen) {
    tracking.done = true;
    tracking.chosen = chosen;
}

bool SimDesktop::ChooseMenuItem(const std::string& label) {
    if (tracking_.empty()) return false;
    MenuTracking& tracking = *tracking_.back();
    Menu* menu = FindMenu(tracking.menu);
    if (!menu) return false;
    for (const auto& item : menu->items) {
        if ((item.flags & MF_SEPARATOR) || item.label != label) continue;
        Trace("menu choose \"" + label + "\"");
        CloseMenu(tracking, item.id);
        return true;
    }
    return false;
}

bool SimDesktop::ClickOutsideMenu() {
    if (tracking_.empty()) return false;
    MenuTracking& tracking = *tracking_.back();
    if (foreground_ != tracking.owner) {
        Trace("menu stays open");
        return false;
    }
    Trace("menu dismissed");
    CloseMenu(tracking, 0);
    return true;
}

// A modal loop that keeps the thread's messages and timers going until the user chooses
// an item or closes the menu. Without TPM_RETURNCMD the choice is posted to the owner.
int SimDesktop::TrackPopupMenu(Handle menu, std::uint32_t flags, int, int, int, Hwnd owner,
                               const void*) {
    ++calls;
    const Menu* shown = FindMenu(menu);
    if (!shown || stopped) return 0;
    std::string line = "menu";
    for (const auto& item : shown->items)
        line += " \"" + item.label + "\"" + ((item.flags & MF_CHECKED) ? "*" : "");
    Trace(line);
    MenuTracking tracking{menu, owner};
    tracking_.push_back(&tracking);
    Pump([&] { return tracking.done || quitPosted || !FindMenu(menu); });
    tracking_.erase(std::find(tracking_.begin(), tracking_.end(), &tracking));
    if (flags & TPM_RETURNCMD) return static_cast<int>(tracking.chosen);
    if (tracking.chosen != 0) {
        queue_.push_back(Msg{owner, WM_COMMAND, tracking.chosen, 0,
                             static_cast<std::uint32_t>(tickBase + now), Point{0, 0}});
    }
    return 1;
}
