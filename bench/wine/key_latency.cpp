// Measures the time from a remote key press to the TV application's receipt of its command,
// under Wine with the simulated card of the end-to-end harness. The program is itself the
// application: it takes application 2's identity (class "VANTOR_TVR", title
// "FormMainWindow"), presses a key on the card through the driver's control device, and
// waits for the utility's 3024 command to reach its window. Both moments are read from the
// same clock, in this process.
//   key_latency.exe CARD RAWCODE COMMAND PRESSES
// prints one latency in milliseconds a line, then "median M" and "worst W".
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "e2e/common/sim_card_control.h"

namespace {

constexpr UINT kCommandMessage = WM_USER + 2000;  // application 2's commands
constexpr DWORD kGiveUpMs = 3000;
// After each press: the key is released for six polls, and the next press comes later than
// the router's 250 ms repeat window, so that each one is a fresh press. A pseudo-random part
// of the pause, within one poll period, puts the presses at every phase of the poll timer.
constexpr unsigned kReleasedPolls = 6;
constexpr DWORD kPauseMs = 400;
constexpr DWORD kPollPeriodMs = 65;

LARGE_INTEGER frequency;
WPARAM expectedCommand = 0;
LONGLONG receivedAt = 0;

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Milliseconds(LONGLONG ticks) {
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kCommandMessage && wParam == expectedCommand && receivedAt == 0) {
        receivedAt = Now();
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

HWND CreateAppWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VANTOR_TVR";
    if (!RegisterClassA(&windowClass)) return nullptr;
    return CreateWindowExA(0, "VANTOR_TVR", "FormMainWindow", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                           nullptr, nullptr, windowClass.hInstance, nullptr);
}

bool Control(HANDLE device, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) {
    DWORD returned = 0;
    return DeviceIoControl(device, code, in, inSize, out, outSize, &returned, nullptr) != FALSE;
}

bool ScriptDone(HANDLE device, unsigned card) {
    SIMCARD_CARD record{card};
    SIMCARD_COUNTERS counters{};
    return Control(device, IOCTL_SIMCARD_COUNTERS, &record, sizeof record, &counters,
                   sizeof counters) &&
           counters.stepsLeft == 0;
}

// Runs the window's messages until the deadline; with `untilCommand`, only until the
// command has come.
void Pump(LONGLONG deadline, bool untilCommand) {
    while (!(untilCommand && receivedAt != 0) && Now() < deadline) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!(untilCommand && receivedAt != 0))
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
}

LONGLONG Later(DWORD ms) {
    return Now() + frequency.QuadPart * ms / 1000;
}

// One press: the key down for one poll from now, then released. The latency in ms, or -1.
double Press(HANDLE device, unsigned card, int rawCode) {
    static SIMCARD_SCRIPT script;
    script.card = card;
    script.count = 2;
    script.steps[0] = SIMCARD_STEP{rawCode, 1};
    script.steps[1] = SIMCARD_STEP{-1, kReleasedPolls};
    receivedAt = 0;
    LONGLONG pressedAt = Now();
    if (!Control(device, IOCTL_SIMCARD_SCRIPT, &script, sizeof script, nullptr, 0)) return -1;
    Pump(pressedAt + frequency.QuadPart * kGiveUpMs / 1000, true);
    double latency = receivedAt == 0 ? -1 : Milliseconds(receivedAt - pressedAt);
    while (!ScriptDone(device, card))
        Pump(Later(50), false);
    static unsigned phase = 12345;
    phase = phase * 1103515245u + 12345u;
    DWORD pauseMs = kPauseMs + (phase >> 16) % kPollPeriodMs;
    Pump(Later(pauseMs), false);
    return latency;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: key_latency CARD RAWCODE COMMAND PRESSES\n");
        return 2;
    }
    auto card = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 0));
    int rawCode = static_cast<int>(std::strtol(argv[2], nullptr, 0));
    expectedCommand = static_cast<WPARAM>(std::strtoul(argv[3], nullptr, 0));
    int presses = static_cast<int>(std::strtol(argv[4], nullptr, 0));
    QueryPerformanceFrequency(&frequency);
    if (!CreateAppWindow()) {
        std::fprintf(stderr, "key_latency: cannot create the window\n");
        return 1;
    }
    HANDLE device = CreateFileW(SIMCARD_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "key_latency: no simulated card driver\n");
        return 1;
    }
    Pump(Later(1000), false);  // the utility's polls see the window first
    std::vector<double> latencies;
    for (int i = 0; i < presses; ++i) {
        double latency = Press(device, card, rawCode);
        std::printf(latency < 0 ? "lost\n" : "%.1f\n", latency);
        if (latency >= 0) latencies.push_back(latency);
    }
    CloseHandle(device);
    if (latencies.size() != static_cast<std::size_t>(presses)) {
        std::fprintf(stderr, "key_latency: %d of %d commands lost\n",
                     presses - static_cast<int>(latencies.size()), presses);
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    std::size_t n = latencies.size();
    double median = n % 2 ? latencies[n / 2] : (latencies[n / 2 - 1] + latencies[n / 2]) / 2;
    std::printf("median %.1f\nworst %.1f\n", median, latencies.back());
    return 0;
}
