// Top-level windows, Z order, foreground and focus, messages and injected keys, and the
// TV applications as programs that the shell starts and that close on their command.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "sim/sim_desktop.h"

namespace {

constexpr Hwnd kDesktopWindow = 0x10;
constexpr Hwnd kFirstHandle = 0x100;

constexpr SimAppIdentity kAppIdentities[] = {
    {1, nullptr, "Lumacast"},
    {2, "VANTOR_TVR", "FormMainWindow"},
    {6, "ZarvinMainPanel_Class", "TVR"},
    {7, "ZARVIN_DVBS", "DVBS"},
    {9, "ZarvinMainPanel_Class", "Omnivue Center"},
};

bool SameTextIgnoringCase(const std::string& a, const char* b) {
    std::size_t length = std::strlen(b);
    if (a.size() != length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

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

SimWindow* SimDesktop::Find(Hwnd window) {
    if (window < kFirstHandle || window - kFirstHandle >= windows_.size()) return nullptr;
    return &windows_[window - kFirstHandle];
}

const SimWindow* SimDesktop::Find(Hwnd window) const {
    return const_cast<SimDesktop*>(this)->Find(window);
}

std::string SimDesktop::Describe(Hwnd window) const {
    const SimWindow* found = Find(window);
    if (!found) return "window=0";
    if (found->appId != 0) return "app=" + std::to_string(found->appId);
    return "window=\"" + found->cls + "\"/\"" + found->title + "\"";
}

Hwnd SimDesktop::CreateSimWindow(const std::string& cls, const std::string& title, bool visible,
                                 int appId) {
    SimWindow window;
    window.handle = kFirstHandle + windows_.size();
    window.cls = cls;
    window.title = title;
    window.visible = visible;
    window.appId = appId;
    windows_.push_back(window);
    zOrder_.insert(zOrder_.begin(), window.handle);
    return window.handle;
}

Hwnd SimDesktop::StartApp(int appId) {
    const SimAppIdentity* identity = SimAppIdentityOf(appId);
    if (!identity) return 0;
    Hwnd window = CreateSimWindow(identity->cls ? identity->cls : "TLumacastMainForm",
                                  identity->title, true, appId);
    foreground_ = window;
    return window;
}

void SimDesktop::DestroySimWindow(Hwnd handle) {
    SimWindow* window = Find(handle);
    if (!window || !window->alive) return;
    window->alive = false;
    zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), handle), zOrder_.end());
    if (foreground_ == handle) foreground_ = zOrder_.empty() ? 0 : zOrder_.front();
    if (active_ == handle) active_ = 0;
    if (window->appId != 0) Trace("window gone " + Describe(handle));
}

Hwnd SimDesktop::AppWindow(int appId) const {
    for (Hwnd handle : zOrder_) {
        const SimWindow* window = Find(handle);
        if (window->appId == appId) return handle;
    }
    return 0;
}

std::vector<SimReceived> SimDesktop::ReceivedBy(Hwnd window) const {
    const SimWindow* found = Find(window);
    return found ? found->received : std::vector<SimReceived>{};
}

void SimDesktop::BringToFront(Hwnd handle) {
    zOrder_.erase(std::remove(zOrder_.begin(), zOrder_.end(), handle), zOrder_.end());
    zOrder_.insert(zOrder_.begin(), handle);
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
        if (received.wParam == VK_MENU) window.altDown = received.msg == WM_KEYDOWN;
        close = received.msg == WM_KEYDOWN && received.wParam == VK_F4 && window.altDown;
    } else {
        close = IsCloseCommand(window.appId, received.msg, received.wParam);
    }
    if (!close) return;
    Hwnd handle = window.handle;
    At(now + closeDelayMs, [this, handle] { DestroySimWindow(handle); });
}

Hwnd SimDesktop::GetDesktopWindow() {
    ++calls;
    return kDesktopWindow;
}

Hwnd SimDesktop::GetWindow(Hwnd window, std::uint32_t cmd) {
    ++calls;
    if (cmd == GW_CHILD) return window == kDesktopWindow && !zOrder_.empty() ? zOrder_[0] : 0;
    if (cmd != GW_HWNDNEXT) return 0;
    auto it = std::find(zOrder_.begin(), zOrder_.end(), window);
    if (it == zOrder_.end() || ++it == zOrder_.end()) return 0;
    return *it;
}

int SimDesktop::GetWindowTextA(Hwnd window, char* text, int size) {
    ++calls;
    const SimWindow* found = Find(window);
    if (size <= 0) return 0;
    if (!found || !found->alive) {
        text[0] = '\0';
        return 0;
    }
    std::size_t count = std::min(found->title.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(text, found->title.data(), count);
    text[count] = '\0';
    return static_cast<int>(count);
}

Hwnd SimDesktop::FindWindowA(const char* cls, const char* title) {
    return FindWindowExA(0, 0, cls, title);
}

Hwnd SimDesktop::FindWindowExA(Hwnd parent, Hwnd after, const char* cls, const char* title) {
    ++calls;
    if (parent != 0 && parent != kDesktopWindow) return 0;
    auto it = zOrder_.begin();
    if (after != 0) {
        it = std::find(zOrder_.begin(), zOrder_.end(), after);
        if (it == zOrder_.end()) return 0;
        ++it;
    }
    for (; it != zOrder_.end(); ++it) {
        const SimWindow* window = Find(*it);
        if (cls && !SameTextIgnoringCase(window->cls, cls)) continue;
        if (title && !SameTextIgnoringCase(window->title, title)) continue;
        return *it;
    }
    return 0;
}

bool SimDesktop::IsWindowVisible(Hwnd window) {
    ++calls;
    const SimWindow* found = Find(window);
    return found && found->alive && found->visible;
}

bool SimDesktop::PostMessageA(Hwnd handle, std::uint32_t msg, WParam wParam, LParam lParam) {
    ++calls;
    SimWindow* window = Find(handle);
    if (!window || !window->alive) return false;
    if (window->utility) {
        queue_.push_back(Msg{handle, msg, wParam, lParam, GetTickCount(), Point{0, 0}});
        return true;
    }
    if (Tracing() && msg == WM_KEYDOWN) {
        Trace("keydown-post " + Describe(handle) + " vk=" + Hex(wParam & 0xFF) +
              " lParam=" + std::to_string(lParam));
    } else if (Tracing()) {
        Trace("post " + Describe(handle) + " msg=" + std::to_string(msg) +
              " wParam=" + std::to_string(wParam) + " lParam=" + std::to_string(lParam));
    }
    Deliver(*window, msg, wParam, lParam, false);
    return true;
}

LResult SimDesktop::SendMessageA(Hwnd handle, std::uint32_t msg, WParam wParam, LParam lParam) {
    ++calls;
    SimWindow* window = Find(handle);
    if (!window || !window->alive) return 0;
    if (window->proc) return window->proc(handle, msg, wParam, lParam);
    if (window->dlgProc) return window->dlgProc(handle, msg, wParam, lParam);
    if (Tracing()) {
        Trace("send " + Describe(handle) + " msg=" + std::to_string(msg) +
              " wParam=" + std::to_string(wParam) + " lParam=" + std::to_string(lParam));
    }
    Deliver(*window, msg, wParam, lParam, false);
    return 0;
}

bool SimDesktop::BringWindowToTop(Hwnd handle) {
    ++calls;
    const SimWindow* window = Find(handle);
    if (!window || !window->alive) return false;
    BringToFront(handle);
    if (traceDetails && Tracing()) TraceDetail("top " + Describe(handle));
    return true;
}

bool SimDesktop::SetForegroundWindow(Hwnd handle) {
    ++calls;
    const SimWindow* window = Find(handle);
    if (!window || !window->alive) return false;
    if (foregroundLocked && !window->utility) return false;
    foreground_ = handle;
    BringToFront(handle);
    if (Tracing()) Trace("foreground " + Describe(handle));
    return true;
}

// Only a window of the calling thread can be activated; for another program's window
// the call fails and changes nothing.
Hwnd SimDesktop::SetActiveWindow(Hwnd handle) {
    ++calls;
    const SimWindow* window = Find(handle);
    if (!window || !window->alive || !window->utility) return 0;
    Hwnd previous = active_;
    active_ = handle;
    return previous;
}

Hwnd SimDesktop::GetForegroundWindow() {
    ++calls;
    const SimWindow* window = Find(foreground_);
    return window && window->alive ? foreground_ : 0;
}

void SimDesktop::keybd_event(std::uint8_t vk, std::uint8_t, std::uint32_t flags, std::uintptr_t) {
    ++calls;
    if (Tracing()) Trace("keybd vk=" + Hex(vk) + " flags=" + std::to_string(flags));
    SimWindow* focus = Find(foreground_);
    if (!focus || !focus->alive || focus->utility) return;
    Deliver(*focus, (flags & KEYEVENTF_KEYUP) ? WM_KEYUP : WM_KEYDOWN, vk, 0, true);
}

std::intptr_t SimDesktop::ShellExecuteA(Hwnd, const char* verb, const char* file,
                                        const char* parameters, const char*, int) {
    ++calls;
    std::string path = file ? file : "";
    std::string lower = path;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    auto program = programs_.find(lower);
    bool opens = verb && std::strcmp(verb, "open") == 0 && program != programs_.end();
    std::intptr_t result = opens ? 42 : 2;  // SE_ERR_FNF
    Trace("launch \"" + path + "\" \"" + (parameters ? parameters : "") +
          "\" result=" + std::to_string(result));
    if (opens) {
        int appId = program->second;
        At(now + launchDelayMs, [this, appId] {
            Hwnd window = StartApp(appId);
            Trace("window shown " + Describe(window));
        });
    }
    return result;
}

void SimDesktop::AddProgram(const std::string& path, int appId) {
    std::string lower = path;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    programs_[lower] = appId;
}
