// The Wine tests' probe, a 32-bit console program like the utility. It goes the receiver's way
// without the utility (the device enumerator's video-input entries, a named entry's capture
// filter, its device handle, one GPIO poll), and it looks at and pokes the running
// RemoteControl.exe: posts messages to its hidden window, reads the texts of its message boxes
// and dialogs, closes them, finds its popup menu, opens the Shut Down dialog from the program's
// own resources, and starts the program to report its exit code. Every command prints its
// finding: under an emulated 32-bit loader the process's exit status may be lost.
#define __STREAMS__  // makes <ksproxy.h> declare IKsObject
#include "platform/win32/windows_api.h"

// The COM and DirectShow headers need <windows.h>.
#include <objbase.h>
#include <oleauto.h>
#include <strmif.h>
#include <uuids.h>

// <ksproxy.h> needs <ks.h> and the DirectShow interfaces.
#include <ks.h>
#include <ksproxy.h>

// The seam after <windows.h>, whose definitions its portable constants defer to.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/win32/win32_casts.h"
#include "platform/win32/win32_instance.h"
#include "routing/shutdown.h"
#include "shell/resource_ids.h"
#include "sim/card/card_decoder.h"

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

// A dialog has its title from its creation, but its controls and their texts only once it
// is shown: a hidden one is not there yet.
BOOL CALLBACK MatchTopLevel(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<WindowQuery*>(param);
    if (!IsWindowVisible(window)) return TRUE;
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

// The first visible top-level window with this class and title, waiting up to timeoutMs for it.
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

// ---- the receiver's way, without the utility

constexpr DWORD kKsProperty = 0x002F0003;
constexpr unsigned char kPropertySet[16] = CARD_PROPERTY_SET_BYTES;

// One request the receiver's way: an overlapped call, waited for when pending.
long Request(HANDLE device, unsigned char* buffer, DWORD size) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD returned = 0;
    long status = 0;
    if (!DeviceIoControl(device, kKsProperty, buffer, size, buffer, size, &returned, &overlapped)) {
        DWORD error = GetLastError();
        if (error == ERROR_IO_PENDING) {
            error = GetOverlappedResult(device, &overlapped, &returned, TRUE) ? 0 : GetLastError();
        }
        status = static_cast<long>(error);
    }
    CloseHandle(overlapped.hEvent);
    return status;
}

void GpioHeader(unsigned char* buffer, unsigned flags, int command) {
    std::memcpy(buffer, kPropertySet, sizeof kPropertySet);
    CardPutU32(buffer, CARD_PROPERTY_OFFSET, CARD_GPIO_PROPERTY);
    CardPutU32(buffer, CARD_FLAGS_OFFSET, flags);
    CardPutU32(buffer, CARD_COMMAND_OFFSET, cardCommands[command].code);
}

// Calls `visit` with each video-input entry's moniker and friendly name until it returns true.
template <typename Visit>
void WalkDevices(Visit visit) {
    ICreateDevEnum* devices = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ICreateDevEnum, reinterpret_cast<void**>(&devices)))) {
        std::printf("no device enumerator\n");
        return;
    }
    IEnumMoniker* monikers = nullptr;
    HRESULT result = devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0);
    devices->Release();
    if (result != S_OK || !monikers) return;
    IMoniker* moniker = nullptr;
    bool done = false;
    while (!done && monikers->Next(1, &moniker, nullptr) == S_OK) {
        IPropertyBag* bag = nullptr;
        if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag,
                                             reinterpret_cast<void**>(&bag)))) {
            VARIANT name;
            VariantInit(&name);
            name.vt = VT_BSTR;
            char text[80] = {};
            if (bag->Read(L"FriendlyName", &name, nullptr) == S_OK) {
                WideCharToMultiByte(CP_ACP, 0, name.bstrVal, -1, text, sizeof text, nullptr,
                                    nullptr);
            }
            VariantClear(&name);
            bag->Release();
            done = visit(moniker, text);
        }
        moniker->Release();
    }
    monikers->Release();
}

void ListDevices() {
    WalkDevices([](IMoniker*, const char* name) {
        std::printf("device %s\n", name);
        return false;
    });
}

// Selects the register and reads it, a set and a get, as the utility polls the key line.
void PollDevice(const char* wanted, unsigned registerAddress) {
    bool found = false;
    WalkDevices([&](IMoniker* moniker, const char* name) {
        if (std::strcmp(name, wanted) != 0) return false;
        found = true;
        IBaseFilter* filter = nullptr;
        moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
        IKsObject* ks = nullptr;
        if (!filter ||
            FAILED(filter->QueryInterface(__uuidof(IKsObject), reinterpret_cast<void**>(&ks)))) {
            std::printf("no device handle\n");
        } else {
            HANDLE device = ks->KsGetObjectHandle();
            ks->Release();
            unsigned char buffer[CARD_GPIO_SIZE] = {};
            GpioHeader(buffer, CARD_FLAG_SET, CARD_GPIO_SET_ADDRESS);
            CardPutU32(buffer, CARD_GPIO_ADDRESS_OFFSET, registerAddress);
            long status = device ? Request(device, buffer, CARD_GPIO_SIZE) : -1;
            std::memset(buffer, 0, sizeof buffer);
            GpioHeader(buffer, CARD_FLAG_SET, CARD_GPIO_READ);
            if (status == 0) status = Request(device, buffer, CARD_GPIO_SIZE);
            GpioHeader(buffer, CARD_FLAG_GET, CARD_GPIO_READ);
            if (status == 0) status = Request(device, buffer, CARD_GPIO_SIZE);
            std::printf("status %ld value 0x%08X\n", status,
                        CardU32(buffer, CARD_GPIO_VALUE_OFFSET));
        }
        if (filter) filter->Release();
        return true;
    });
    if (!found) std::printf("no such device\n");
}

void Report(bool found, const char* yes, const char* no) {
    std::printf("%s\n", found ? yes : no);
}

int Usage() {
    std::fputs(
        "usage: rc_probe run EXE MS | post MSG WPARAM LPARAM | wait-main MS | wait-gone MS\n"
        "       | texts TITLE MS | command TITLE ID | select TITLE INDEX | menu MS\n"
        "       | shutdown-dialog EXE\n"
        "       | list | poll FRIENDLY-NAME REGISTER\n",
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
    } else if (std::strcmp(command, "select") == 0 && argc == 4) {
        // The user's choice in a dialog's list, by its index.
        HWND window = WaitForWindow(kDialogClass, argv[2], 30000);
        HWND list = window ? FindWindowExA(window, nullptr, "ComboBox", nullptr) : nullptr;
        if (list) SendMessageA(list, CB_SETCURSEL, Number(argv[3]), 0);
        Report(list != nullptr, "selected", "no list");
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
    } else if (std::strcmp(command, "list") == 0 && argc == 2) {
        CoInitialize(nullptr);
        ListDevices();
    } else if (std::strcmp(command, "poll") == 0 && argc == 4) {
        CoInitialize(nullptr);
        PollDevice(argv[2], Number(argv[3]));
    } else {
        return Usage();
    }
    return 0;
}
