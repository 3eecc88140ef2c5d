// A console of its own for a console program under test, and a Ctrl+C typed into it, the
// way Windows delivers one: the console raises CTRL_C_EVENT in every process attached to it,
// each on a new thread that runs the process's control handlers.
//
//   console_ctl run <output file> <program> [arguments ...]
//       starts the program on a fresh console, its output (both streams) in the file and its
//       input empty, waits for it to end and exits with its exit code (255: it did not start)
//   console_ctl ctrl-c
//       makes the running `console_ctl run` type Ctrl+C into its console
//
// A shell cannot do this itself: a Unix signal sent to the program's process is a different
// path, and under Wine a console's events are delivered only to processes of the sender's
// process group, so the sender has to be the program's parent on the same console.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const wchar_t kCtrlCEvent[] = L"RcConsoleCtlCtrlC";

int Fail(const char* what) {
    std::fprintf(stderr, "console_ctl: %s (error %lu)\n", what, GetLastError());
    return 255;
}

// Each argument quoted, as the program's C runtime splits them again.
void AppendQuoted(char* line, size_t size, const char* argument) {
    size_t used = std::strlen(line);
    std::snprintf(line + used, size - used, "%s\"%s\"", used ? " " : "", argument);
}

// A Ctrl+C from the console reaches this process too: it must go on waiting for the program.
int TypeCtrlC() {
    SetConsoleCtrlHandler(nullptr, TRUE);
    return GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) ? 0 : Fail("GenerateConsoleCtrlEvent");
}

int Run(int count, char** args) {
    // Not the console (if any) that Wine gave this process: a fresh one, with no window on
    // the screen, shared with the program alone.
    FreeConsole();
    if (!AllocConsole()) return Fail("AllocConsole");
    if (HWND window = GetConsoleWindow()) ShowWindow(window, SW_HIDE);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE output = CreateFileA(args[0], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inherited, CREATE_ALWAYS, 0, nullptr);
    HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                               OPEN_EXISTING, 0, nullptr);
    if (output == INVALID_HANDLE_VALUE || input == INVALID_HANDLE_VALUE) {
        return Fail("cannot open the output file");
    }
    HANDLE ctrlC = CreateEventW(nullptr, FALSE, FALSE, kCtrlCEvent);
    char line[4096] = "";
    for (int i = 1; i < count; ++i)
        AppendQuoted(line, sizeof line, args[i]);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION program{};
    if (!ctrlC || !CreateProcessA(nullptr, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &program)) {
        return Fail("cannot start the program");
    }
    HANDLE waited[] = {program.hProcess, ctrlC};
    while (WaitForMultipleObjects(2, waited, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        if (TypeCtrlC() != 0) break;
    }
    WaitForSingleObject(program.hProcess, INFINITE);
    DWORD exitCode = 255;
    GetExitCodeProcess(program.hProcess, &exitCode);
    return static_cast<int>(exitCode);
}

int SignalCtrlC() {
    HANDLE ctrlC = OpenEventW(EVENT_MODIFY_STATE, FALSE, kCtrlCEvent);
    if (!ctrlC) return Fail("no console_ctl run is waiting");
    BOOL set = SetEvent(ctrlC);
    CloseHandle(ctrlC);
    return set ? 0 : Fail("SetEvent");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "run") == 0) return Run(argc - 2, argv + 2);
    if (argc == 2 && std::strcmp(argv[1], "ctrl-c") == 0) return SignalCtrlC();
    std::fprintf(stderr, "usage: see the head of e2e/console/console_ctl.cpp\n");
    return 2;
}
