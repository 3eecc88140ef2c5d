// Top-level windows, Z order, foreground, activation and placement, messages and their
// delivery to other programs' windows, and the TV applications as programs that the shell
// starts and that close on their command.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sim/sim_desktop.h"
#include "sim/sim_text.h"

namespace {

constexpr Hwnd kDesktopWindow = 0x10;
constexpr Hwnd kFirstHandle = 0x100;
constexpr std::uint32_t kErrorInvalidWindowHandle = 1400;
constexpr LParam kAltContextBit = 1 << 29;  // a key message's context code: Alt was down

constexpr SimAppIdentity kAppIdentities[] = {
    {1, nullptr, "Lumacast"},
    {2, "VANTOR_TVR", "FormMainWindow"},
    {6, "ZarvinMainPanel_Class", "TVR"},
    {7, "ZARVIN_DVBS", "DVBS"},
    {9, "ZarvinMainPanel_Class", "Omnivue Center"},
};

// Whether a message is the application's own close command.
bool IsCloseCommand(int appId, std::uint32_t msg, WParam wParam) {
    if (msg == WM_CLOSE || (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE)) return true;
    switch (appId) {
        case 2:
        case 7:
            return msg == WM_USER + 2000 && wParam == 1;
        case 6:
            return msg == WM_USER + 3000 && wParam == 1;
        case 9:
            return msg == WM_USER + 3000 && wParam == 25;
        default:
            return false;
    }
}

}  // namespace

const SimAppIdentity* SimAppIdentityOf(int appId) {
    for (const auto& identity : kAppIdentities) {
        if (identity.appId == appId) return &identity;
    }
    return nullptr;
}

// --- the windows' state ---

SimWindow* SimWindows::Find(Hwnd window) {
    if (window < kFirstHandle || window - kFirstHandle >= windows_.size()) return nullptr;
    return &windows_[window - kFirstHandle];
}

const SimWindow* SimWindows::Find(Hwnd window) const {
    return const_cast<SimWindows*>(this)->Find(window);
}

std::string SimWindows::Describe(Hwnd window) const {
    const SimWindow* found = Find(window);
    if (!found) return "window=0";
    if (found->appId != 0) return "app=" + std::to_string(found->appId);
    return "window=\"" + found->cls + "\"/\"" + found->title + "\"";
}

Hwnd SimWindows::CreateSimWindow(const std::string& cls, const std::string& title, bool visible,
                                 int appId) {
    SimWindow window;
    window.handle = kFirstHandle + windows_.size();
    window.cls = cls;
    window.title = title;
    window.visible = visible;
    window.appId = appId;
    windows_.push_back(window);
    BringToFront(window.handle);
    return window.handle;
}

Hwnd SimWindows::StartApp(int appId) {
    const SimAppIdentity* identity = SimAppIdentityOf(appId);
    if (!identity) return 0;
    Hwnd window = CreateSimWindow(identity->cls ? identity->cls : "TLumacastMainForm",
                                  identity->title, true, appId);
    Find(window)->elevated = elevatedApps.count(appId) != 0;
    foreground_ = window;
    activationPending_ = false;
    return window;
}

void SimWindows::ActivateFront() {
    foreground_ = NextVisible();
    activationPending_ = false;
}

Hwnd SimWindows::AppWindow(int appId) const {
    for (Hwnd handle : zOrder_) {
        const SimWindow* window = Find(handle);
        if (window->appId == appId) return handle;
    }
    return 0;
}

std::vector<SimReceived> SimWindows::ReceivedBy(Hwnd window) const {
    const SimWindow* found = Find(window);
    return found ? found->received : std::vector<SimReceived>{};
}

const SimWindowPlacement* SimWindows::PlacementOf(Hwnd window) const {
    auto found = placements_.find(window);
    return found == placements_.end() ? nullptr : &found->second;
}

void SimWindows::RemoveFromZOrder(Hwnd handle) {
    zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), handle), zOrder_.end());
}

bool SimWindows::IsTopmost(Hwnd window) const {
    const SimWindowPlacement* placement = PlacementOf(window);
    return placement && placement->topmost;
}

// Topmost windows stay above all others: a window that is not topmost comes to the front
// of the windows that are not.
void SimWindows::BringToFront(Hwnd handle) {
    RemoveFromZOrder(handle);
    auto at = zOrder_.begin();
    if (!IsTopmost(handle)) {
        while (at != zOrder_.end() && IsTopmost(*at))
            ++at;
    }
    zOrder_.insert(at, handle);
}

void SimWindows::PlaceBehind(Hwnd handle, Hwnd front) {
    RemoveFromZOrder(handle);
    auto at = std::find(zOrder_.begin(), zOrder_.end(), front);
    zOrder_.insert(at == zOrder_.end() ? at : at + 1, handle);
}

Hwnd SimWindows::NextVisible() const {
    for (Hwnd handle : zOrder_) {
        const SimWindow* window = Find(handle);
        if (window->alive && window->visible) return handle;
    }
    return 0;
}

void SimWindows::AddProgram(const std::string& path, int appId) {
    programs_[Lower(path)] = appId;
}

// --- windows going, and messages reaching other programs ---

void SimDesktop::DestroySimWindow(Hwnd handle) {
    SimWindow* window = windows.Find(handle);
    if (!window || !window->alive) return;
    window->alive = false;
    windows.RemoveFromZOrder(handle);
    if (windows.foreground_ == handle) {
        windows.foreground_ = windows.NextVisible();
        windows.activationPending_ = false;
    }
    if (windows.active_ == handle) windows.active_ = 0;
    if (window->appId != 0) Trace("window gone " + windows.Describe(handle));
}

void SimDesktop::Deliver(SimWindow& window, std::uint32_t msg, WParam wParam, LParam lParam,
                         bool injected) {
    SimReceived received{now, msg, wParam, lParam, injected};
    window.received.push_back(received);
    ReactAsApp(window, received);
}

// The applications' side of the contract: each closes shortly after its close command.
void SimDesktop::ReactAsApp(SimWindow& window, const SimReceived& received) {
    if (window.appId == 0) return;
    bool close = false;
    if (received.injected) {
        // DefWindowProc turns F4 as a system key with Alt down into SC_CLOSE.
        close = received.msg == WM_SYSKEYDOWN && received.wParam == VK_F4 &&
                (received.lParam & kAltContextBit) != 0;
    } else {
        close = IsCloseCommand(window.appId, received.msg, received.wParam);
    }
    if (!close) return;
    Hwnd handle = window.handle;
    At(now + windows.closeDelayMs, [this, handle] { DestroySimWindow(handle); });
}

// --- the platform's window operations ---

Hwnd SimDesktop::GetDesktopWindow() {
    ++calls;
    return kDesktopWindow;
}

Hwnd SimDesktop::GetWindow(Hwnd window, std::uint32_t cmd) {
    ++calls;
    const std::vector<Hwnd>& zOrder = windows.zOrder_;
    if (cmd == GW_CHILD) return window == kDesktopWindow && !zOrder.empty() ? zOrder[0] : 0;
    if (cmd != GW_HWNDNEXT) return 0;
    auto it = std::find(zOrder.begin(), zOrder.end(), window);
    if (it == zOrder.end() || ++it == zOrder.end()) return 0;
    return *it;
}

int SimDesktop::GetWindowTextA(Hwnd window, char* text, int size) {
    ++calls;
    const SimWindow* found = windows.Find(window);
    if (size <= 0) return 0;
    if (!found || !found->alive) {
        text[0] = '\0';
        return 0;
    }
    // Titles are Unicode: the A call gets the ANSI form (made only for a title that needs it).
    std::string ansi;
    const std::string* title = &found->title;
    if (!IsAscii(found->title)) title = &(ansi = AnsiOf(found->title));
    std::size_t count = std::min(title->size(), static_cast<std::size_t>(size - 1));
    std::memcpy(text, title->data(), count);
    text[count] = '\0';
    return static_cast<int>(count);
}

Hwnd SimDesktop::FindWindowA(const char* cls, const char* title) {
    return FindWindowExA(0, 0, cls, title);
}

Hwnd SimDesktop::FindWindowExA(Hwnd parent, Hwnd after, const char* cls, const char* title) {
    ++calls;
    if (parent != 0 && parent != kDesktopWindow) return 0;
    const std::vector<Hwnd>& zOrder = windows.zOrder_;
    auto it = zOrder.begin();
    if (after != 0) {
        it = std::find(zOrder.begin(), zOrder.end(), after);
        if (it == zOrder.end()) return 0;
        ++it;
    }
    for (; it != zOrder.end(); ++it) {
        const SimWindow* window = windows.Find(*it);
        if (cls && !SameAnsiTextIgnoringCase(window->cls, cls)) continue;
        if (title && !SameAnsiTextIgnoringCase(window->title, title)) continue;
        return *it;
    }
    return 0;
}

bool SimDesktop::IsWindowVisible(Hwnd window) {
    ++calls;
    const SimWindow* found = windows.Find(window);
    return found && found->alive && found->visible;
}

// A window of an elevated program takes no message from the utility (User Interface
// Privilege Isolation) unless the utility is elevated too: the call fails with
// ERROR_ACCESS_DENIED.
bool SimDesktop::PostMessageA(Hwnd handle, std::uint32_t msg, WParam wParam, LParam lParam) {
    ++calls;
    SimWindow* window = windows.Find(handle);
    if (!window || !window->alive) {
        system.lastError = kErrorInvalidWindowHandle;
        return false;
    }
    if (window->utility) {
        windows.queue_.push_back(Msg{handle, msg, wParam, lParam, GetTickCount(), Point{0, 0}});
        return true;
    }
    bool refusing = windows.RefusesUtility(*window);
    const char* refused = refusing ? " refused" : "";
    if (Tracing() && msg == WM_KEYDOWN) {
        Trace("keydown-post" + std::string(refused) + " " + windows.Describe(handle) +
              " vk=" + Hex(wParam & 0xFF) + " lParam=" + std::to_string(lParam));
    } else if (Tracing()) {
        Trace("post" + std::string(refused) + " " + windows.Describe(handle) +
              " msg=" + std::to_string(msg) + " wParam=" + std::to_string(wParam) +
              " lParam=" + std::to_string(lParam));
    }
    if (refusing) {
        system.lastError = ERROR_ACCESS_DENIED;
        return false;
    }
    Deliver(*window, msg, wParam, lParam, false);
    return true;
}

LResult SimDesktop::SendMessageA(Hwnd handle, std::uint32_t msg, WParam wParam, LParam lParam) {
    ++calls;
    SimWindow* window = windows.Find(handle);
    if (!window || !window->alive) {
        system.lastError = kErrorInvalidWindowHandle;
        return 0;
    }
    if (window->proc) return window->proc(handle, msg, wParam, lParam);
    if (window->dlgProc) return window->dlgProc(handle, msg, wParam, lParam);
    bool refusing = windows.RefusesUtility(*window);
    if (Tracing()) {
        Trace(std::string(refusing ? "send refused " : "send ") + windows.Describe(handle) +
              " msg=" + std::to_string(msg) + " wParam=" + std::to_string(wParam) +
              " lParam=" + std::to_string(lParam));
    }
    if (refusing) {
        system.lastError = ERROR_ACCESS_DENIED;
        return 0;
    }
    Deliver(*window, msg, wParam, lParam, false);
    return 0;
}

bool SimDesktop::BringWindowToTop(Hwnd handle) {
    ++calls;
    const SimWindow* window = windows.Find(handle);
    if (!window || !window->alive) return false;
    windows.BringToFront(handle);
    if (traceDetails && Tracing()) TraceDetail("top " + windows.Describe(handle));
    return true;
}

// The foreground lock. All programs are held to it, the utility for its own windows too;
// a program the utility started may take the foreground while the utility is the
// foreground process (it was started by the foreground process).
bool SimDesktop::MayTakeForeground(bool byUtility) const {
    if (!windows.foregroundLock) return true;
    if (tray.MenuOpen()) return false;
    const SimWindow* front = windows.Find(windows.foreground_);
    if (!front || !front->alive) return true;
    if (front->utility) return true;
    if (!input.inputSeen || now - input.lastInputAt >= windows.foregroundLockTimeoutMs) return true;
    return byUtility && input.lastInputToUtility;
}

// Keyboard input moves to the window's thread at once. The utility's own window becomes
// active inside the call; another program's when its thread handles the activation.
void SimDesktop::SwitchForeground(Hwnd handle) {
    SimWindows& w = windows;
    w.foreground_ = handle;
    std::uint64_t switchNumber = ++w.activations_;
    if (w.Find(handle)->utility) {
        w.activationPending_ = false;
        w.active_ = handle;
        w.BringToFront(handle);
        return;
    }
    w.activationPending_ = true;
    At(now + w.activationDelayMs, [this, handle, switchNumber] {
        SimWindows& later = windows;
        if (later.activations_ != switchNumber || later.foreground_ != handle) return;
        later.activationPending_ = false;
        later.BringToFront(handle);
        TraceDetail("activated " + later.Describe(handle));
    });
}

// A refused switch changes nothing: Windows only flashes the window's taskbar button.
bool SimDesktop::SetForegroundWindow(Hwnd handle) {
    ++calls;
    const SimWindow* window = windows.Find(handle);
    if (!window || !window->alive) return false;
    bool already = windows.foreground_ == handle;
    if (!already && !MayTakeForeground(true)) {
        if (Tracing()) Trace("foreground refused " + windows.Describe(handle));
        return false;
    }
    if (Tracing()) Trace("foreground " + windows.Describe(handle));
    if (!already) SwitchForeground(handle);
    return true;
}

// Only a window of the calling thread can be activated; for another program's window
// the call fails and changes nothing.
Hwnd SimDesktop::SetActiveWindow(Hwnd handle) {
    ++calls;
    const SimWindow* window = windows.Find(handle);
    if (!window || !window->alive || !window->utility) return 0;
    Hwnd previous = windows.active_;
    windows.active_ = handle;
    return previous;
}

// While the new foreground window's thread has not yet handled its activation there is
// no active window in the foreground to report.
Hwnd SimDesktop::GetForegroundWindow() {
    ++calls;
    const SimWindow* window = windows.Find(windows.foreground_);
    if (!window || !window->alive || windows.activationPending_) return 0;
    return windows.foreground_;
}

bool SimDesktop::SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy,
                              std::uint32_t flags) {
    ++calls;
    const SimWindow* found = windows.Find(window);
    if (!found || !found->alive) return false;
    SimWindowPlacement& placement = windows.placements_[window];
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
        if (insertAfter == HWND_TOPMOST || insertAfter == HWND_TOP) windows.BringToFront(window);
    }
    TraceDetail("position " + windows.Describe(window) + " " + std::to_string(placement.x) + " " +
                std::to_string(placement.y) + (placement.topmost ? " topmost" : ""));
    return true;
}

// --- the TV applications as programs ---

std::intptr_t SimDesktop::ShellExecuteA(Hwnd, const char* verb, const char* file,
                                        const char* parameters, const char*, int) {
    ++calls;
    std::string path = OrEmpty(file);
    auto program = windows.programs_.find(Lower(path));
    bool open = verb && std::strcmp(verb, "open") == 0;
    bool opens = open && program != windows.programs_.end();
    SimProgramSpec other;  // another program than a TV application (sim_programs.cpp)
    bool otherOpens = open && !opens && LaunchableProgram(path, OrEmpty(parameters), &other);
    std::intptr_t result = opens || otherOpens ? 42 : 2;  // SE_ERR_FNF
    Trace("launch \"" + path + "\" \"" + (parameters ? parameters : "") +
          "\" result=" + std::to_string(result));
    if (otherOpens) {
        At(now + windows.launchDelayMs, [this, other] { ShowLaunchedProgram(other); });
    }
    if (opens) {
        int appId = program->second;
        At(now + windows.launchDelayMs, [this, appId] { ShowLaunchedApp(appId); });
    }
    return result;
}

// The wide form opens the same programs, named in UTF-16; Windows 9x has only the A form.
std::intptr_t SimDesktop::ShellExecuteW(Hwnd owner, const char16_t* verb, const char16_t* file,
                                        const char16_t* parameters, const char16_t* directory,
                                        int show) {
    if (system.win9xFamily) {
        ++calls;
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return 0;
    }
    std::string utf8[4] = {Utf8Of(verb), Utf8Of(file), Utf8Of(parameters), Utf8Of(directory)};
    return ShellExecuteA(owner, verb ? utf8[0].c_str() : nullptr, utf8[1].c_str(),
                         parameters ? utf8[2].c_str() : nullptr,
                         directory ? utf8[3].c_str() : nullptr, show);
}

// The new program's window takes the foreground if the lock lets a program started by
// the utility do so; otherwise it opens behind the window in front.
void SimDesktop::ShowLaunchedApp(int appId) {
    Hwnd front = windows.foreground_;
    bool pending = windows.activationPending_;
    bool mayTake = MayTakeForeground(false);
    Hwnd window = windows.StartApp(appId);
    Trace("window shown " + windows.Describe(window));
    if (mayTake) return;
    windows.foreground_ = front;
    windows.activationPending_ = pending;
    windows.PlaceBehind(window, front);
    Trace("foreground refused " + windows.Describe(window));
}
