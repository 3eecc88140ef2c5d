// A small Windows console program that the Wine smoke test uses to look at and poke the
// running RemoteControl.exe: it posts messages to its hidden window, reads the texts of its
// message boxes and dialogs, closes them, and opens the Shut Down dialog from the program's own
// resources, and starts the program to report its exit code.
#include "platform/win32/windows_api.h"
// The seam after <windows.h>, whose definitions its portable constants defer to.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_instance.h"
#include "routing/shutdown.h"
#include "shell/resource_ids.h"

namespace {

constexpr char kMainClass[] = "Remote Control";
constexpr char kDialogClass[] = "#32770";  // message boxes and dialogs
constexpr char kMenuClass[] = "#32768";    // popup menus
constexpr DWORD kPollMs = 100;

struct WindowQuery {
    const char* className;  // nullptr: any
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<WindowQuery*>(param);
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    if (std::strcmp(text, query->title) != 0) return TRUE;
    if (query->className) {
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        if (std::strcmp(className, query->className) != 0) return TRUE;
    }
    query->found = window;
    return FALSE;
}

// The first top-level window with this class and title, waiting up to timeoutMs for it.
HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += kPollMs) {
        WindowQuery query{className, title, nullptr};
        EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&query));
        if (query.found || waited >= timeoutMs) return query.found;
        Sleep(kPollMs);
    }
}

// The popup menu on screen, waiting up to timeoutMs for one.
HWND WaitForMenu(DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += kPollMs) {
        HWND menu = FindWindowA(kMenuClass, nullptr);
        if (menu && IsWindowVisible(menu)) return menu;
        if (waited >= timeoutMs) return nullptr;
        Sleep(kPollMs);
    }
}

// The hidden main window has the class "Remote Control" and no fixed title to wait for.
HWND WaitForMainWindow(DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += kPollMs) {
        HWND window = FindWindowA(kMainClass, nullptr);
        if (window || waited >= timeoutMs) return window;
        Sleep(kPollMs);
    }
}

// Line breaks as \n, so that the shell script can compare a text on one line.
void PrintEscaped(const char* text) {
    for (const char* c = text; *c; ++c) {
        if (*c == '\n')
            std::fputs("\\n", stdout);
        else if (*c != '\r')
            std::fputc(*c, stdout);
    }
    std::fputc('\n', stdout);
}

// A drop-down list has no text of its own: its entries, the selected one marked with "*".
// The list lives in another process; Wine hands its entries over only as wide text.
void PrintComboEntries(HWND combo) {
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    std::printf("ComboBox:");
    for (LRESULT index = 0; index < count; ++index) {
        wchar_t entry[128] = {};
        if (SendMessageW(combo, CB_GETLBTEXTLEN, index, 0) >= 128) continue;
        SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(entry));
        std::printf("%s %s%ls", index == 0 ? "" : ",", index == selected ? "*" : "", entry);
    }
    std::printf("\n");
}

BOOL CALLBACK PrintChildText(HWND child, LPARAM) {
    char className[64] = {};
    char text[512] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "ComboBox") == 0) {
        PrintComboEntries(child);
        return TRUE;
    }
    GetWindowTextA(child, text, sizeof text);
    // An icon control's text is its resource number, 0xFF and the number's two bytes.
    if (text[0] == '\0' || static_cast<unsigned char>(text[0]) == 0xFF) return TRUE;
    std::printf("%s: ", className);
    PrintEscaped(text);
    return TRUE;
}

// Starts the program and reports its exit code as Windows sees it. Under an emulated 32-bit
// loader the Linux process may be killed after its Windows process has ended, so the
// launcher's own status says nothing.
void RunProgram(const char* exePath, DWORD timeoutMs) {
    char commandLine[MAX_PATH + 2];
    std::snprintf(commandLine, sizeof commandLine, "\"%s\"", exePath);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("cannot start %s\n", exePath);
        return;
    }
    std::printf("started\n");
    CloseHandle(process.hThread);
    if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        std::printf("still running\n");
        TerminateProcess(process.hProcess, 255);
    } else {
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        std::printf("exit %lu\n", static_cast<unsigned long>(code));
    }
    CloseHandle(process.hProcess);
}

// The Shut Down dialog as the utility shows it: its own procedure over the dialog resource of
// the program file, loaded as data.
void ShowShutdownDialogOf(const char* exePath) {
    HMODULE resources = LoadLibraryExA(exePath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!resources) {
        std::printf("cannot load %s\n", exePath);
        return;
    }
    InstallPlatform(&Win32PlatformInstance());
    INT_PTR result = DialogBoxParamA(resources, MAKEINTRESOURCEA(IDD_SHUTDOWN), nullptr,
                                     AsNativeProc<DLGPROC>(ShutdownDialogProc), 0);
    std::printf("dialog ended with %d\n", static_cast<int>(result));
}

void Report(bool found, const char* yes, const char* no) {
    std::printf("%s\n", found ? yes : no);
}

int Usage() {
    std::fputs(
        "usage: rc_probe run EXE MS | post MSG WPARAM LPARAM | wait-main MS | wait-gone MS\n"
        "       | texts TITLE MS | command TITLE ID | menu MS | shutdown-dialog EXE\n",
        stderr);
    return 2;
}

DWORD Number(const char* text) {
    return std::strtoul(text, nullptr, 0);
}

}  // namespace

// Each command prints its finding; the test reads that, as the process's own exit status
// may be lost (see RunProgram).
int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2) return Usage();
    const char* command = argv[1];
    if (std::strcmp(command, "run") == 0 && argc == 4) {
        RunProgram(argv[2], Number(argv[3]));
    } else if (std::strcmp(command, "post") == 0 && argc == 5) {
        HWND window = WaitForMainWindow(0);
        if (window) {
            PostMessageA(window, Number(argv[2]), Number(argv[3]),
                         static_cast<LPARAM>(Number(argv[4])));
        }
        Report(window != nullptr, "posted", "no main window");
    } else if (std::strcmp(command, "wait-main") == 0 && argc == 3) {
        Report(WaitForMainWindow(Number(argv[2])) != nullptr, "main window", "no main window");
    } else if (std::strcmp(command, "wait-gone") == 0 && argc == 3) {
        DWORD waited = 0;
        while (FindWindowA(kMainClass, nullptr) && waited < Number(argv[2])) {
            Sleep(kPollMs);
            waited += kPollMs;
        }
        Report(FindWindowA(kMainClass, nullptr) == nullptr, "gone", "still there");
    } else if (std::strcmp(command, "texts") == 0 && argc == 4) {
        HWND window = WaitForWindow(kDialogClass, argv[2], Number(argv[3]));
        if (window) EnumChildWindows(window, PrintChildText, 0);
        if (!window) Report(false, "", "no window");
    } else if (std::strcmp(command, "command") == 0 && argc == 4) {
        HWND window = WaitForWindow(kDialogClass, argv[2], 0);
        if (window) PostMessageA(window, WM_COMMAND, Number(argv[3]), 0);
        Report(window != nullptr, "sent", "no window");
    } else if (std::strcmp(command, "menu") == 0 && argc == 3) {
        RECT area{};
        if (HWND menu = WaitForMenu(Number(argv[2])); menu && GetWindowRect(menu, &area)) {
            std::printf("menu %ld %ld %ld %ld\n", area.left, area.top, area.right - area.left,
                        area.bottom - area.top);
        } else {
            Report(false, "", "no menu");
        }
    } else if (std::strcmp(command, "shutdown-dialog") == 0 && argc == 3) {
        ShowShutdownDialogOf(argv[2]);
    } else {
        return Usage();
    }
    return 0;
}
