// Other programs as processes: which process and thread made a window, its program file,
// opening its process under the integrity rules, windows' owners, classes and Unicode
// titles, and messages sent with a time-out to a program that may hang.
#include <algorithm>
#include <cstring>

#include "platform/device_constants.h"
#include "sim/sim_desktop.h"
#include "sim/sim_text.h"

namespace {

constexpr std::uint32_t kFirstProcessId = 0x1000;
constexpr Handle kFirstProcessHandle = 0xE000;
constexpr std::uint64_t kHungAfterMs = 5000;  // IsHungAppWindow: 5 s without taking messages
constexpr const char* kUtilityImage = "C:\\Program Files\\Zarvin Multimedia\\RemoteControl.exe";
constexpr const char* kOtherImage = "C:\\Program Files\\Other\\program.exe";

// The access rights that a lower integrity level still gets to an elevated process.
constexpr std::uint32_t kLimitedRights = PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE;

// Copies text with its terminating zero into a buffer of `size` characters, cut to fit.
template <class Char>
int CopyText(const std::basic_string<Char>& text, Char* out, int size) {
    if (!out || size <= 0) return 0;
    std::size_t count = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(count), out);
    out[count] = Char();
    return static_cast<int>(count);
}

const char* DeviceName(std::uint32_t device) {
    switch (device) {
        case 0x8000:
            return "mouse";
        case 0x1000:
            return "oem";
        default:
            return "key";
    }
}

}  // namespace

// --- processes ---

std::uint32_t SimWindows::StartProcess(const std::string& image, bool elevated) {
    SimProcess process;
    process.id = kFirstProcessId + 8 * static_cast<std::uint32_t>(processes_.size());
    process.threadId = process.id + 4;
    process.image = image;
    process.elevated = elevated;
    processes_.push_back(process);
    return process.id;
}

SimProcess* SimWindows::Process(std::uint32_t id) {
    if (id < kFirstProcessId || (id - kFirstProcessId) % 8 != 0) return nullptr;
    std::size_t index = (id - kFirstProcessId) / 8;
    return index < processes_.size() ? &processes_[index] : nullptr;
}

SimProcess* SimWindows::ProcessOfWindow(Hwnd handle) {
    SimWindow* window = Find(handle);
    if (!window || window->utility) return nullptr;
    if (window->processId == 0) {
        std::string image = kOtherImage;
        if (window->appId != 0) {
            image = "C:\\Program Files\\Zarvin\\App" + std::to_string(window->appId) + ".exe";
            for (const auto& [path, appId] : programs_) {
                if (appId == window->appId) image = path;
            }
        }
        window->processId = StartProcess(image, window->elevated);
    }
    return Process(window->processId);
}

bool SimWindows::ProcessRunning(std::uint32_t id) const {
    return std::any_of(windows_.begin(), windows_.end(), [id](const SimWindow& window) {
        return window.alive && window.processId == id;
    });
}

Hwnd SimWindows::StartProgram(const SimProgramSpec& spec) {
    std::string image = spec.image;
    if (image.find('\\') == std::string::npos) {
        std::string stem = image.substr(0, image.rfind('.'));
        image = "C:\\Program Files\\" + stem + "\\" + image;
    }
    started_.push_back(spec);
    started_.back().image = image;
    std::uint32_t id = StartProcess(image, spec.elevated);
    SimProcess* process = Process(id);
    process->hung = spec.hung;
    Hwnd main = CreateSimWindow(spec.cls, spec.title, true);
    Find(main)->processId = id;
    Find(main)->elevated = spec.elevated;
    if (!spec.ownedCls.empty() || !spec.ownedTitle.empty()) {
        Hwnd owned = CreateSimWindow(spec.ownedCls, spec.ownedTitle, true);
        SimWindow* window = Find(owned);
        window->processId = id;
        window->elevated = spec.elevated;
        window->owner = main;
    }
    return main;
}

Hwnd SimWindows::FindByTitle(const std::string& title) const {
    for (Hwnd handle : zOrder_) {
        const SimWindow* window = Find(handle);
        if (window->alive && SameTextIgnoringCase(window->title, title.c_str())) return handle;
    }
    return 0;
}

// --- programs that the shell starts ---

bool SimDesktop::LaunchableProgram(const std::string& path, const std::string& parameters,
                                   SimProgramSpec* spec) const {
    std::string key = Lower(path);
    for (const SimProgramSpec& started : windows.started_) {
        if (Lower(started.image) == key) {
            *spec = started;
            spec->hung = false;  // a new copy runs until it hangs itself
            return true;
        }
    }
    // Notepad lies in the Windows folder and its system32, on the search path.
    std::string windowsFolder = Lower(system.windowsDirectory);
    if (key != "notepad" && key != "notepad.exe" && key != windowsFolder + "\\notepad.exe" &&
        key != windowsFolder + "\\system32\\notepad.exe") {
        return false;
    }
    std::string document = parameters;
    document.erase(std::remove(document.begin(), document.end(), '"'), document.end());
    std::size_t slash = document.find_last_of("\\/");
    if (slash != std::string::npos) document.erase(0, slash + 1);
    *spec = SimProgramSpec{windowsFolder == key.substr(0, windowsFolder.size())
                               ? path
                               : system.windowsDirectory + "\\notepad.exe",
                           "Notepad",
                           (document.empty() ? "Untitled" : document) + " - Notepad",
                           false,
                           false,
                           "",
                           ""};
    return true;
}

// As an application that the utility started: the window takes the foreground if the lock
// lets a program started by the utility do so, and otherwise opens behind the window in front.
void SimDesktop::ShowLaunchedProgram(const SimProgramSpec& spec) {
    Hwnd front = windows.foreground_;
    bool pending = windows.activationPending_;
    bool mayTake = MayTakeForeground(false);
    Hwnd window = windows.StartProgram(spec);
    Trace("window shown " + windows.Describe(window));
    if (mayTake) {
        windows.foreground_ = window;
        windows.activationPending_ = false;
        return;
    }
    windows.PlaceBehind(window, front);
    windows.foreground_ = front;
    windows.activationPending_ = pending;
    Trace("foreground refused " + windows.Describe(window));
}

// --- the platform's operations ---

std::uint32_t SimDesktop::GetWindowThreadProcessId(Hwnd handle, std::uint32_t* processId) {
    ++calls;
    const SimWindow* window = windows.Find(handle);
    if (!window || !window->alive) {
        system.lastError = ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    std::uint32_t process = SimSessions::kProcessId;
    std::uint32_t thread = SimSessions::kProcessId + 4;
    if (const SimProcess* owner = windows.ProcessOfWindow(handle)) {
        process = owner->id;
        thread = owner->threadId;
    }
    if (processId) *processId = process;
    return thread;
}

// Top-level windows only: the parent is the desktop, the root the window itself, the root
// owner the end of its chain of owners.
Hwnd SimDesktop::GetAncestor(Hwnd handle, std::uint32_t flags) {
    ++calls;
    const SimWindow* window = windows.Find(handle);
    if (!window || !window->alive) {
        system.lastError = ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    switch (flags) {
        case GA_PARENT:
            return GetDesktopWindow();
        case GA_ROOT:
            return handle;
        case GA_ROOTOWNER:
            while (const SimWindow* owner = windows.Find(window->owner)) {
                if (!owner->alive) break;
                window = owner;
            }
            return window->handle;
        default:
            return 0;
    }
}

int SimDesktop::GetClassNameA(Hwnd handle, char* name, int size) {
    ++calls;
    const SimWindow* window = windows.Find(handle);
    if (!window || !window->alive) {
        system.lastError = ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    return CopyText(AnsiOf(window->cls), name, size);
}

// The 95 family keeps titles in the ANSI code page and has only a stub of the W call.
int SimDesktop::GetWindowTextW(Hwnd handle, char16_t* text, int size) {
    ++calls;
    if (system.win9xFamily) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return 0;
    }
    const SimWindow* window = windows.Find(handle);
    if (!window || !window->alive) {
        if (text && size > 0) text[0] = u'\0';
        system.lastError = ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    return CopyText(Utf16Of(window->title), text, size);
}

// XP knows no PROCESS_QUERY_LIMITED_INFORMATION and refuses a mask with it; from Vista on a
// lower integrity level gets only the limited rights to an elevated process. The 95 family
// has no security on processes.
Handle SimDesktop::OpenProcess(std::uint32_t access, bool, std::uint32_t processId) {
    ++calls;
    bool own = processId == SimSessions::kProcessId;
    const SimProcess* process = windows.Process(processId);
    if (!own && (!process || !windows.ProcessRunning(processId))) {
        system.lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    bool integrity = system.NtAtLeast(0x0600);
    bool refused = false;
    if (!system.win9xFamily && !integrity && (access & PROCESS_QUERY_LIMITED_INFORMATION)) {
        refused = true;
    }
    if (integrity && process && process->elevated && !windows.utilityElevated &&
        (access & ~kLimitedRights) != 0) {
        refused = true;
    }
    if (refused) {
        system.lastError = ERROR_ACCESS_DENIED;
        return 0;
    }
    Handle handle = kFirstProcessHandle;
    while (windows.processHandles.count(handle) != 0)
        handle += 4;
    windows.processHandles[handle] = SimWindows::ProcessHandle{processId, access};
    return handle;
}

namespace {

// The program file of an open process handle, or an error for GetLastError.
std::uint32_t ImageOfHandle(SimDesktop& desk, Handle handle, std::uint32_t needed,
                            std::string* image) {
    auto found = desk.windows.processHandles.find(handle);
    if (found == desk.windows.processHandles.end()) return ERROR_INVALID_HANDLE;
    if ((found->second.access & needed) != needed &&
        !(needed == PROCESS_QUERY_LIMITED_INFORMATION &&
          (found->second.access & PROCESS_QUERY_INFORMATION))) {
        return ERROR_ACCESS_DENIED;
    }
    const SimProcess* process = desk.windows.Process(found->second.processId);
    *image = AnsiOf(process ? process->image : kUtilityImage);
    return 0;
}

}  // namespace

// Vista and later. PROCESS_NAME_NATIVE gives the path in the kernel's form.
bool SimDesktop::QueryFullProcessImageNameA(Handle process, std::uint32_t flags, char* name,
                                            std::uint32_t* size) {
    ++calls;
    if (!system.NtAtLeast(0x0600)) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return false;
    }
    std::string image;
    if (std::uint32_t error =
            ImageOfHandle(*this, process, PROCESS_QUERY_LIMITED_INFORMATION, &image)) {
        system.lastError = error;
        return false;
    }
    if (!name || !size) {
        system.lastError = ERROR_INVALID_PARAMETER;
        return false;
    }
    if ((flags & PROCESS_NAME_NATIVE) && image.compare(0, 2, "C:") == 0) {
        image = "\\Device\\HarddiskVolume2" + image.substr(2);
    }
    if (image.size() + 1 > *size) {
        system.lastError = ERROR_INSUFFICIENT_BUFFER;
        return false;
    }
    std::memcpy(name, image.c_str(), image.size() + 1);
    *size = static_cast<std::uint32_t>(image.size());
    return true;
}

// psapi.dll (NT 4 and later) reads the module list from the process's memory: it needs both
// rights, which a lower integrity level never gets to an elevated process. Only the first
// module, the program file (`module` 0), is modelled.
std::uint32_t SimDesktop::GetModuleFileNameExA(Handle process, Handle module, char* name,
                                               std::uint32_t size) {
    ++calls;
    if (system.win9xFamily) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return 0;
    }
    std::string image;
    std::uint32_t error =
        ImageOfHandle(*this, process, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, &image);
    if (!error && module != 0) error = ERROR_INVALID_HANDLE;
    if (error) {
        system.lastError = error;
        return 0;
    }
    return static_cast<std::uint32_t>(CopyText(image, name, static_cast<int>(size)));
}

// A program's thread handles a sent message at once unless it hangs. A hung thread takes
// no message: the call waits out its time-out, or with SMTO_ABORTIFHUNG returns at once
// once the thread has been hung long enough for Windows to call it not responding. Either
// way it answers 0 with ERROR_TIMEOUT, and the message never reaches the window. A time-out
// of 0 is no time-out at all: the call blocks until the program answers, which a hung one
// never does. A window of the utility's own thread gets the message inside the call.
LResult SimDesktop::SendMessageTimeoutA(Hwnd handle, std::uint32_t msg, WParam wParam,
                                        LParam lParam, std::uint32_t flags, std::uint32_t timeoutMs,
                                        std::uintptr_t* result) {
    ++calls;
    SimWindow* window = windows.Find(handle);
    if (!window || !window->alive) {
        system.lastError = ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    if (window->proc || window->dlgProc) {
        LResult answer = window->proc ? window->proc(handle, msg, wParam, lParam)
                                      : window->dlgProc(handle, msg, wParam, lParam);
        if (result) *result = static_cast<std::uintptr_t>(answer);
        return 1;
    }
    const SimProcess* process = windows.ProcessOfWindow(handle);
    bool refusing = windows.RefusesUtility(*window);
    bool hung = process && process->hung && now >= process->hungSince;
    bool abandoned = hung && (flags & SMTO_ABORTIFHUNG) && now - process->hungSince >= kHungAfterMs;
    if (Tracing()) {
        std::string state = refusing ? " refused" : abandoned ? " hung" : "";
        auto keys = static_cast<std::uint32_t>(lParam) & 0xFFFF;
        auto command = static_cast<std::uint32_t>(lParam) >> 16;
        Trace(msg == WM_APPCOMMAND
                  ? "appcommand" + state + " " + windows.Describe(handle) +
                        " cmd=" + std::to_string(command & 0x0FFF) +
                        " device=" + DeviceName(command & 0xF000) + " keys=" + std::to_string(keys)
                  : "send-timeout" + state + " " + windows.Describe(handle) +
                        " msg=" + std::to_string(msg) + " wParam=" + std::to_string(wParam) +
                        " lParam=" + std::to_string(lParam));
    }
    if (refusing) {
        system.lastError = ERROR_ACCESS_DENIED;
        return 0;
    }
    if (hung && timeoutMs == 0 && !abandoned) {
        // A zero time-out means none: the thread waits for the hung program for good.
        if (Tracing()) Trace("blocked by " + windows.Describe(handle));
        RunWorldUntil(runLimit);
        stopped = true;
        system.lastError = ERROR_TIMEOUT;
        return 0;
    }
    if (hung) {
        if (!abandoned) {
            std::uint64_t until = now + timeoutMs;
            RunWorldUntil(std::min(until, runLimit));
            if (until > runLimit) stopped = true;
            if (Tracing()) {
                Trace("timed out " + windows.Describe(handle) + " after " +
                      std::to_string(timeoutMs) + " ms");
            }
        }
        system.lastError = ERROR_TIMEOUT;
        return 0;
    }
    Deliver(*window, msg, wParam, lParam, false);
    // A player's window handles the command (TRUE); the TV applications leave it to
    // DefWindowProc, which answers 0.
    bool handled = msg == WM_APPCOMMAND && window->appId == 0;
    if (result) *result = handled ? 1 : 0;
    return 1;
}
