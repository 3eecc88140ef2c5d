// The platform work of the utility's idle poll, done by native 64-bit code: a 65 ms window
// timer whose every tick sends the three requests of the key-down test to a simulated card,
// each with its own event, as the utility does. On a machine where Wine runs 32-bit programs
// only under emulation, its CPU time tells what the utility's idle poll costs without it.
//   poll_load.exe CARD SECONDS
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "e2e/common/sim_card_control.h"

namespace {

// The receiver's GPIO request: property set {C44A1A10-0A37-11D2-8328-006097BA83AB}, property
// 6, flags, command, then the register address or the value read.
constexpr std::uint8_t kPropertySet[16] = {0x10, 0x1A, 0x4A, 0xC4, 0x37, 0x0A, 0xD2, 0x11,
                                           0x83, 0x28, 0x00, 0x60, 0x97, 0xBA, 0x83, 0xAB};
constexpr std::uint32_t kGpioProperty = 6;
constexpr std::uint32_t kGpioSetAddress = 0x30000001;
constexpr std::uint32_t kGpioRead = 0x30000003;
constexpr DWORD kIoctlKsProperty = 0x002F0003;
constexpr DWORD kSet = 2;
constexpr DWORD kGet = 1;
constexpr UINT kTickMs = 65;
constexpr std::uint32_t kKeyRegister = 0x350010 + (14 / 8) * 4;  // GPIO line 14

HANDLE device = INVALID_HANDLE_VALUE;
unsigned long failures = 0;

void PutU32(std::uint8_t* bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void Header(std::uint8_t* bytes, std::uint32_t flags, std::uint32_t command) {
    std::memcpy(bytes, kPropertySet, sizeof kPropertySet);
    PutU32(bytes, 16, kGpioProperty);
    PutU32(bytes, 20, flags);
    PutU32(bytes, 24, command);
}

// One request as the utility sends it: a fresh event, the overlapped request, a wait only
// when it is pending, the event closed.
void Send(std::uint8_t* bytes) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD returned = 0;
    if (!DeviceIoControl(device, kIoctlKsProperty, bytes, 40, bytes, 40, &returned, &overlapped)) {
        if (GetLastError() != ERROR_IO_PENDING ||
            !GetOverlappedResult(device, &overlapped, &returned, TRUE)) {
            ++failures;
        }
    }
    CloseHandle(overlapped.hEvent);
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    std::uint8_t select[40] = {};
    Header(select, kSet, kGpioSetAddress);
    PutU32(select, 28, kKeyRegister);
    Send(select);
    std::uint8_t read[40] = {};
    Header(read, kSet, kGpioRead);
    Send(read);
    Header(read, kGet, kGpioRead);
    Send(read);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: poll_load CARD SECONDS\n");
        return 2;
    }
    wchar_t path[64];
    std::swprintf(path, 64, L"%ls%lu", SIMCARD_PATH_PREFIX, std::strtoul(argv[1], nullptr, 0));
    device = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
    if (device == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "poll_load: cannot open the card\n");
        return 1;
    }
    DWORD end = GetTickCount() + 1000 * static_cast<DWORD>(std::strtoul(argv[2], nullptr, 0));
    SetTimer(nullptr, 0, kTickMs, Tick);
    MSG msg;
    while (static_cast<LONG>(GetTickCount() - end) < 0 && GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    CloseHandle(device);
    std::printf("failures %lu\n", failures);
    return failures == 0 ? 0 : 1;
}
