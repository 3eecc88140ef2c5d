// A stand-in TV application for the Wine end-to-end run. It takes the window identity of
// one of the five supported applications (from its own file name, or --app), logs what
// the utility sends it, one flushed line per message, and closes on its application's
// close command. Identity 0 is a plain window that no TV application owns, a target for
// pointer clicks; identity 3 is a media player of the user's (player.exe), which the utility
// reaches only through the user's keys file.
//
//   fake_tv_app [--app 0|1|2|3|6|7|9] [--title TEXT] [--rect X Y W H] [--log PATH]
//               [--popup CLASS[:TITLE]]...
//
// The log lives beside the program as <program name>.log unless --log names it. Lines:
//   start <command line>          main|popup:<class> msg <n> <wParam> <lParam>
//   main keydown|keyup|syskeydown|syskeyup <vk> <lParam>      main close
//   main syscommand <code>        main lbuttondown|... <screen x> <screen y>
//   main appcommand <command>     (messages from WM_USER to the end of the WM_APP range)
//   main queryendsession          main endsession <wParam>         exit
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Identity {
    int app;
    const char* exeName;
    const char* windowClass;
    const char* title;
    UINT closeMessage;  // 0: closed by WM_CLOSE (Alt+F4)
    WPARAM closeCommand;
};

constexpr UINT kMessage3024 = WM_USER + 2000;
constexpr UINT kMessage4024 = WM_USER + 3000;

const Identity kIdentities[] = {
    {0, "PointerTarget.exe", "FakePointerTarget", "Pointer target", 0, 0},
    {1, "Lumacast.exe", "FakeLumacastWindow", "Lumacast", 0, 0},
    {3, "player.exe", "FakePlayerWindow", "Fake Player", 0, 0},
    {2, "marovexTV.EXE", "VANTOR_TVR", "FormMainWindow", kMessage3024, 1},
    {6, "MainPanel.exe", "ZarvinMainPanel_Class", "TVR", kMessage4024, 1},
    {7, "DVBS.EXE", "ZARVIN_DVBS", "DVBS", kMessage3024, 1},
    {9, "Hubdeck.exe", "ZarvinMainPanel_Class", "Omnivue Center", kMessage4024, 25},
};

const Identity* identity = &kIdentities[0];
HANDLE logFile = INVALID_HANDLE_VALUE;
HWND mainWindow = nullptr;

void Log(const char* format, ...) {
    char line[512];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (length < 0) return;
    if (length > static_cast<int>(sizeof line) - 2) length = sizeof line - 2;
    line[length++] = '\n';
    DWORD written = 0;
    // One write per line on an unbuffered handle: the line is in the file at once.
    WriteFile(logFile, line, static_cast<DWORD>(length), &written, nullptr);
}

const Identity* IdentityByApp(int app) {
    for (const Identity& candidate : kIdentities) {
        if (candidate.app == app) return &candidate;
    }
    return nullptr;
}

const Identity* IdentityByFile(const char* path) {
    const char* name = std::strrchr(path, '\\');
    name = name ? name + 1 : path;
    for (const Identity& candidate : kIdentities) {
        if (lstrcmpiA(candidate.exeName, name) == 0) return &candidate;
    }
    return &kIdentities[0];
}

const char* KeyMessageName(UINT message) {
    switch (message) {
        case WM_KEYDOWN:
            return "keydown";
        case WM_KEYUP:
            return "keyup";
        case WM_SYSKEYDOWN:
            return "syskeydown";
        case WM_SYSKEYUP:
            return "syskeyup";
        default:
            return nullptr;
    }
}

const char* ButtonMessageName(UINT message) {
    switch (message) {
        case WM_LBUTTONDOWN:
            return "lbuttondown";
        case WM_LBUTTONUP:
            return "lbuttonup";
        case WM_RBUTTONDOWN:
            return "rbuttondown";
        case WM_RBUTTONUP:
            return "rbuttonup";
        default:
            return nullptr;
    }
}

// Logs what the utility can send; true when the message is the close command.
bool LogMessage(const char* tag, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER && message <= 0xBFFF) {
        Log("%s msg %u %llu %lld", tag, message, static_cast<unsigned long long>(wParam),
            static_cast<long long>(lParam));
        return message == identity->closeMessage && wParam == identity->closeCommand;
    }
    if (const char* name = KeyMessageName(message)) {
        Log("%s %s 0x%02llX %lld", tag, name, static_cast<unsigned long long>(wParam),
            static_cast<long long>(lParam));
    } else if (const char* button = ButtonMessageName(message)) {
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(window, &point);
        Log("%s %s %ld %ld", tag, button, point.x, point.y);
    } else if (message == WM_CLOSE) {
        Log("%s close", tag);
    } else if (message == WM_SYSCOMMAND) {
        Log("%s syscommand 0x%04llX", tag, static_cast<unsigned long long>(wParam & 0xFFF0));
    } else if (message == WM_APPCOMMAND) {
        Log("%s appcommand %d", tag, GET_APPCOMMAND_LPARAM(lParam));
    } else if (message == WM_QUERYENDSESSION) {
        Log("%s queryendsession", tag);
    } else if (message == WM_ENDSESSION) {
        Log("%s endsession %llu", tag, static_cast<unsigned long long>(wParam));
    }
    return false;
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (LogMessage("main", window, message, wParam, lParam)) {
        DestroyWindow(window);
        return 0;
    }
    // Handled: not passed on to the parent and the shell as an unhandled one would be.
    if (message == WM_QUERYENDSESSION || message == WM_APPCOMMAND) return TRUE;
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK PopupProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    char className[64], tag[80];
    GetClassNameA(window, className, sizeof className);
    std::snprintf(tag, sizeof tag, "popup:%s", className);
    if (message >= WM_USER && message <= 0x7FFF) {
        Log("%s msg %u %llu %lld", tag, message, static_cast<unsigned long long>(wParam),
            static_cast<long long>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterWindowClass(const char* name, WNDPROC procedure) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

// "CLASS" or "CLASS:TITLE": one of application 9's dialog windows, shown beside the main one.
void ShowPopup(const char* spec, int index) {
    char className[64] = {}, title[64] = {};
    const char* colon = std::strchr(spec, ':');
    size_t classLength = colon ? static_cast<size_t>(colon - spec) : std::strlen(spec);
    if (classLength >= sizeof className) classLength = sizeof className - 1;
    std::memcpy(className, spec, classLength);
    std::snprintf(title, sizeof title, "%s", colon ? colon + 1 : className);
    RegisterWindowClass(className, PopupProc);
    CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60 + 30 * index,
                    60 + 30 * index, 240, 120, nullptr, nullptr, GetModuleHandleA(nullptr),
                    nullptr);
}

struct Options {
    int app = -1;
    const char* title = nullptr;
    const char* logPath = nullptr;
    RECT rect{100, 100, 500, 400};  // left, top, right, bottom
    const char* popups[8] = {};
    int popupCount = 0;
};

Options ParseOptions() {
    Options options;
    for (int i = 1; i < __argc; ++i) {
        const char* option = __argv[i];
        bool more = i + 1 < __argc;
        if (std::strcmp(option, "--app") == 0 && more) {
            options.app = std::atoi(__argv[++i]);
        } else if (std::strcmp(option, "--title") == 0 && more) {
            options.title = __argv[++i];
        } else if (std::strcmp(option, "--log") == 0 && more) {
            options.logPath = __argv[++i];
        } else if (std::strcmp(option, "--popup") == 0 && more && options.popupCount < 8) {
            options.popups[options.popupCount++] = __argv[++i];
        } else if (std::strcmp(option, "--rect") == 0 && i + 4 < __argc) {
            int x = std::atoi(__argv[i + 1]), y = std::atoi(__argv[i + 2]);
            options.rect = RECT{x, y, x + std::atoi(__argv[i + 3]), y + std::atoi(__argv[i + 4])};
            i += 4;
        }
    }
    return options;
}

void OpenLog(const Options& options, const char* programPath) {
    char path[MAX_PATH];
    if (options.logPath) {
        std::snprintf(path, sizeof path, "%s", options.logPath);
    } else {
        std::snprintf(path, sizeof path, "%s", programPath);
        char* dot = std::strrchr(path, '.');
        if (dot) std::strcpy(dot, ".log");
    }
    logFile = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    char programPath[MAX_PATH];
    GetModuleFileNameA(nullptr, programPath, MAX_PATH);
    Options options = ParseOptions();
    identity = options.app >= 0 && IdentityByApp(options.app) ? IdentityByApp(options.app)
                                                              : IdentityByFile(programPath);
    OpenLog(options, programPath);
    // The whole command line, so that a launch's parameter ("remote") can be checked.
    Log("start %s", GetCommandLineA());

    RegisterWindowClass(identity->windowClass, MainProc);
    const RECT& rect = options.rect;
    mainWindow = CreateWindowExA(
        0, identity->windowClass, options.title ? options.title : identity->title,
        WS_OVERLAPPEDWINDOW | WS_VISIBLE, rect.left, rect.top, rect.right - rect.left,
        rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
    for (int i = 0; i < options.popupCount; ++i)
        ShowPopup(options.popups[i], i);
    Log("ready %d", identity->app);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Log("exit");
    CloseHandle(logFile);
    return 0;
}
