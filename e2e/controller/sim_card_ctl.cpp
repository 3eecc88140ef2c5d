// Test controller of the simulated TV card: installs its driver as an auto-start service,
// adds and removes cards, registers them as video-input devices, scripts remote presses,
// injects faults and prints the card's counters. One command per run:
//
//   sim_card_ctl install <driver.sys path>
//   sim_card_ctl add <card> gpio|i2c <key line>        sim_card_ctl remove <card>
//   sim_card_ctl unplug <card>        sim_card_ctl plug <card>   (the entry is register's)
//   sim_card_ctl register <entry key> <friendly name> <card>   (in the 32-bit and 64-bit views)
//   sim_card_ctl unregister <entry key>
//   sim_card_ctl script <card> <code>x<polls> ...     code "-" is no key; polls 0: for ever
//   sim_card_ctl fail <card> <command code> <ntstatus> <times|always> [pending] [set|get]
//   sim_card_ctl completion <card> immediate|pending|hang [delay ms]
//                                    (hang: pending until the caller cancels)
//   sim_card_ctl counters <card>     sim_card_ctl reset <card>
//   sim_card_ctl wait <card> <timeout ms>   waits until the script has been played
//   sim_card_ctl post <class|-> <title|-> <message> <wParam>   posts to a top-level window
//   sim_card_ctl tip                  prints the tip of each icon in Wine's system tray
//   sim_card_ctl hold                 stays running, keeping the Wine session (and the cards) up
//   sim_card_ctl hold-object <name>   holds a mutex of that name, with no window, until killed:
//                                     a copy of Remote Control in another session, as this
//                                     session sees it
#include <windows.h>
// After <windows.h>.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "e2e/common/sim_card_control.h"
#include "e2e/filter/sim_capture_filter.h"

namespace {

const wchar_t kVideoInputInstances[] = L"CLSID\\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Instance\\";

int Fail(const char* what) {
    std::fprintf(stderr, "sim_card_ctl: %s (error %lu)\n", what, GetLastError());
    return 1;
}

unsigned long Number(const char* text) {
    return std::strtoul(text, nullptr, 0);
}

bool Send(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) {
    HANDLE control = CreateFileW(SIMCARD_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (control == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    BOOL done = DeviceIoControl(control, code, in, inSize, out, outSize, &returned, nullptr);
    CloseHandle(control);
    return done != FALSE;
}

int Install(const char* driverPath) {
    SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return Fail("cannot open the service manager");
    wchar_t path[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, driverPath, -1, path, MAX_PATH);
    // Auto start: a demand-started driver would end with the Wine session.
    SC_HANDLE service =
        CreateServiceW(manager, SIMCARD_SERVICE_NAME, L"Simulated TV card", SERVICE_ALL_ACCESS,
                       SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, path,
                       nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!service && GetLastError() == ERROR_SERVICE_EXISTS) {
        service = OpenServiceW(manager, SIMCARD_SERVICE_NAME, SERVICE_ALL_ACCESS);
    }
    if (!service) return Fail("cannot create the driver service");
    BOOL started = StartServiceW(service, 0, nullptr);
    DWORD error = GetLastError();
    CloseServiceHandle(service);
    CloseServiceHandle(manager);
    if (!started && error != ERROR_SERVICE_ALREADY_RUNNING) return Fail("cannot start the driver");
    return 0;
}

int Add(char** argv) {
    SIMCARD_ADD add{static_cast<unsigned>(Number(argv[0])),
                    std::strcmp(argv[1], "i2c") == 0 ? CARD_KIND_I2C : CARD_KIND_GPIO,
                    static_cast<unsigned>(Number(argv[2]))};
    return Send(IOCTL_SIMCARD_ADD, &add, sizeof add, nullptr, 0) ? 0 : Fail("add failed");
}

int CardRequest(DWORD code, const char* card) {
    SIMCARD_CARD record{static_cast<unsigned>(Number(card))};
    return Send(code, &record, sizeof record, nullptr, 0) ? 0 : Fail("request failed");
}

// Writes one device entry in one registry view; the entry's property bag names the device.
bool RegisterIn(REGSAM view, const wchar_t* key, const wchar_t* name, const wchar_t* device) {
    wchar_t path[256], clsid[64];
    std::swprintf(path, 256, L"%ls%ls", kVideoInputInstances, key);
    StringFromGUID2(CLSID_SimCaptureFilter, clsid, 64);
    HKEY entry;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                        &entry, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    auto text = [&](const wchar_t* value, const wchar_t* data) {
        return RegSetValueExW(entry, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                              static_cast<DWORD>((std::wcslen(data) + 1) * sizeof(wchar_t))) ==
               ERROR_SUCCESS;
    };
    bool written =
        text(L"FriendlyName", name) && text(L"CLSID", clsid) && text(L"SimCardDevice", device);
    RegCloseKey(entry);
    return written;
}

int Register(char** argv) {
    wchar_t key[64], name[128], device[64];
    MultiByteToWideChar(CP_ACP, 0, argv[0], -1, key, 64);
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, name, 128);
    std::swprintf(device, 64, L"%ls%lu", SIMCARD_PATH_PREFIX, Number(argv[2]));
    bool written = RegisterIn(KEY_WOW64_32KEY, key, name, device) &&
                   RegisterIn(KEY_WOW64_64KEY, key, name, device);
    return written ? 0 : Fail("cannot write the device entry");
}

int Unregister(const char* entryKey) {
    wchar_t path[256];
    std::swprintf(path, 256, L"%ls%hs", kVideoInputInstances, entryKey);
    RegDeleteKeyExW(HKEY_CLASSES_ROOT, path, KEY_WOW64_32KEY, 0);
    RegDeleteKeyExW(HKEY_CLASSES_ROOT, path, KEY_WOW64_64KEY, 0);
    return 0;
}

// Steps as "<code>x<polls>": "30x1" is raw code 30 for one poll, "-x5" five polls of no key.
int Script(int argc, char** argv) {
    static SIMCARD_SCRIPT script;
    script.card = static_cast<unsigned>(Number(argv[0]));
    script.count = 0;
    for (int i = 1; i < argc && script.count < SIMCARD_MAX_STEPS; ++i) {
        const char* times = std::strchr(argv[i], 'x');
        if (!times) return Fail("a step is <code>x<polls>");
        SIMCARD_STEP& step = script.steps[script.count++];
        step.rawCode = argv[i][0] == '-' ? -1 : static_cast<int>(Number(argv[i]));
        step.polls = static_cast<unsigned>(Number(times + 1));
    }
    return Send(IOCTL_SIMCARD_SCRIPT, &script, sizeof script, nullptr, 0) ? 0
                                                                          : Fail("script failed");
}

int FailCommand(int argc, char** argv) {
    SIMCARD_FAULT fault{};
    fault.card = static_cast<unsigned>(Number(argv[0]));
    fault.command = static_cast<unsigned>(Number(argv[1]));
    fault.status = static_cast<unsigned>(Number(argv[2]));
    fault.times = std::strcmp(argv[3], "always") == 0 ? -1 : static_cast<int>(Number(argv[3]));
    for (int i = 4; i < argc; ++i) {
        if (std::strcmp(argv[i], "pending") == 0) fault.pending = 1;
        if (std::strcmp(argv[i], "set") == 0) fault.flags = 2;
        if (std::strcmp(argv[i], "get") == 0) fault.flags = 1;
    }
    return Send(IOCTL_SIMCARD_FAIL, &fault, sizeof fault, nullptr, 0) ? 0 : Fail("fail failed");
}

int Completion(int argc, char** argv) {
    SIMCARD_COMPLETION_MODE mode{static_cast<unsigned>(Number(argv[0])),
                                 std::strcmp(argv[1], "hang") == 0      ? SIMCARD_HANG
                                 : std::strcmp(argv[1], "pending") == 0 ? 1u
                                                                        : 0u,
                                 argc > 2 ? static_cast<unsigned>(Number(argv[2])) : 0u};
    return Send(IOCTL_SIMCARD_COMPLETION, &mode, sizeof mode, nullptr, 0)
               ? 0
               : Fail("completion failed");
}

bool ReadCounters(const char* card, SIMCARD_COUNTERS* counters) {
    SIMCARD_CARD record{static_cast<unsigned>(Number(card))};
    return Send(IOCTL_SIMCARD_COUNTERS, &record, sizeof record, counters, sizeof *counters);
}

// One "name value" line each, for the harness to grep.
int Counters(const char* card) {
    SIMCARD_COUNTERS counters{};
    if (!ReadCounters(card, &counters)) return Fail("counters failed");
    std::printf("requests %u\npolls %u\nfailed %u\npended %u\nstepsLeft %u\nrefused %u\n",
                counters.requests, counters.polls, counters.failed, counters.pended,
                counters.stepsLeft, counters.refused);
    std::printf("cancelled %u\n", counters.cancelled);
    for (int i = 0; i < CARD_COMMAND_COUNT; ++i) {
        const char* name = cardCommands[i].name;
        std::printf("%s set %u\n%s get %u\n", name, counters.byCommand[i][0], name,
                    counters.byCommand[i][1]);
    }
    std::printf("last");
    for (unsigned i = 0; i < counters.lastSize && i < SIMCARD_REQUEST_BYTES; ++i) {
        std::printf(" %02X", counters.last[i]);
    }
    std::printf("\n");
    return 0;
}

int Wait(const char* card, const char* timeoutMs) {
    DWORD deadline = GetTickCount() + static_cast<DWORD>(Number(timeoutMs));
    for (;;) {
        SIMCARD_COUNTERS counters{};
        if (!ReadCounters(card, &counters)) return Fail("counters failed");
        if (counters.stepsLeft == 0) return 0;
        if (static_cast<LONG>(GetTickCount() - deadline) > 0) {
            std::fprintf(stderr, "sim_card_ctl: script not played in time (%u steps left)\n",
                         counters.stepsLeft);
            return 1;
        }
        Sleep(50);
    }
}

// Posts like another program would, to the first top-level window of that class and title.
int Post(char** argv) {
    const char* windowClass = std::strcmp(argv[0], "-") == 0 ? nullptr : argv[0];
    const char* title = std::strcmp(argv[1], "-") == 0 ? nullptr : argv[1];
    HWND window = FindWindowA(windowClass, title);
    if (!window) return Fail("no such window");
    return PostMessageA(window, static_cast<UINT>(Number(argv[2])), Number(argv[3]), 0)
               ? 0
               : Fail("post failed");
}

// The tip text of a tray icon lives in a tooltip control of the process that draws the
// tray, one tooltip per icon, its tool the icon's window: asked for with a record and a
// buffer placed in that process. An empty answer means the tool is another icon's.
bool ReadTip(HWND tooltip, HWND icon, wchar_t* text, SIZE_T size) {
    DWORD tray = 0;
    GetWindowThreadProcessId(tooltip, &tray);
    HANDLE process =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, tray);
    if (!process) {
        std::fprintf(stderr, "sim_card_ctl: cannot open the tray's process (error %lu)\n",
                     GetLastError());
        return false;
    }
    auto* remote = static_cast<BYTE*>(VirtualAllocEx(process, nullptr,
                                                     sizeof(TTTOOLINFOW) + size * sizeof(wchar_t),
                                                     MEM_COMMIT, PAGE_READWRITE));
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = icon;
    info.uId = reinterpret_cast<UINT_PTR>(icon);
    info.lpszText = reinterpret_cast<wchar_t*>(remote + sizeof info);
    text[0] = 0;
    bool read = remote && WriteProcessMemory(process, remote, &info, sizeof info, nullptr) &&
                WriteProcessMemory(process, info.lpszText, text, sizeof *text, nullptr);
    if (read) SendMessageW(tooltip, TTM_GETTEXTW, size, reinterpret_cast<LPARAM>(remote));
    read = read && ReadProcessMemory(process, info.lpszText, text, size * sizeof(wchar_t), nullptr);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    text[size - 1] = 0;
    return read && text[0] != 0;
}

bool IsTrayIcon(HWND window) {
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    return std::wcscmp(className, L"__wine_tray_icon") == 0 ||
           std::wcscmp(className, L"__winex11_tray_icon") == 0;
}

// The shell's tray owns one tooltip per icon window (explorer's tray: the icon window
// itself; the X11 driver's stand-alone tray: the tray window, with the icons as children).
BOOL CALLBACK PrintTrayTip(HWND window, LPARAM) {
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    HWND owner = GetWindow(window, GW_OWNER);
    if (std::wcscmp(className, TOOLTIPS_CLASSW) != 0 || !owner) return TRUE;
    wchar_t text[128];
    if (IsTrayIcon(owner)) {
        if (ReadTip(window, owner, text, 128)) std::printf("tip %ls\n", text);
        return TRUE;
    }
    for (HWND icon = GetWindow(owner, GW_CHILD); icon; icon = GetWindow(icon, GW_HWNDNEXT)) {
        if (IsTrayIcon(icon) && ReadTip(window, icon, text, 128)) std::printf("tip %ls\n", text);
    }
    return TRUE;
}

int Usage() {
    std::fprintf(stderr, "usage: see the head of e2e/controller/sim_card_ctl.cpp\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const char* command = argv[1];
    int count = argc - 2;
    char** args = argv + 2;
    if (std::strcmp(command, "install") == 0 && count == 1) return Install(args[0]);
    if (std::strcmp(command, "add") == 0 && count == 3) return Add(args);
    if (std::strcmp(command, "remove") == 0 && count == 1) {
        return CardRequest(IOCTL_SIMCARD_REMOVE, args[0]);
    }
    if (std::strcmp(command, "unplug") == 0 && count == 1) {
        return CardRequest(IOCTL_SIMCARD_UNPLUG, args[0]);
    }
    if (std::strcmp(command, "plug") == 0 && count == 1) {
        return CardRequest(IOCTL_SIMCARD_PLUG, args[0]);
    }
    if (std::strcmp(command, "tip") == 0 && count == 0) {
        EnumWindows(PrintTrayTip, 0);
        return 0;
    }
    if (std::strcmp(command, "register") == 0 && count == 3) {
        CoInitialize(nullptr);
        return Register(args);
    }
    if (std::strcmp(command, "unregister") == 0 && count == 1) return Unregister(args[0]);
    if (std::strcmp(command, "script") == 0 && count >= 1) return Script(count, args);
    if (std::strcmp(command, "fail") == 0 && count >= 4) return FailCommand(count, args);
    if (std::strcmp(command, "completion") == 0 && count >= 2) return Completion(count, args);
    if (std::strcmp(command, "counters") == 0 && count == 1) return Counters(args[0]);
    if (std::strcmp(command, "reset") == 0 && count == 1) {
        return CardRequest(IOCTL_SIMCARD_RESET, args[0]);
    }
    if (std::strcmp(command, "wait") == 0 && count == 2) return Wait(args[0], args[1]);
    if (std::strcmp(command, "post") == 0 && count == 4) return Post(args);
    if (std::strcmp(command, "hold") == 0 && count == 0) {
        Sleep(INFINITE);
        return 0;
    }
    if (std::strcmp(command, "hold-object") == 0 && count == 1) {
        if (!CreateMutexA(nullptr, FALSE, args[0])) return Fail("cannot create the object");
        std::printf("holding %s\n", args[0]);
        std::fflush(stdout);
        Sleep(INFINITE);
        return 0;
    }
    return Usage();
}
