// Prints the private memory of the running RemoteControl.exe as Windows accounts it: the
// committed private regions of its address space (what Task Manager calls its commit
// size), walked with VirtualQueryEx. (Wine reports no PrivateUsage for another process.)
//   private_memory.exe [TIMEOUT_MS]     waits up to TIMEOUT_MS for the program's window
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The utility's hidden main window: class and title are both its string resources 22 and 23.
HWND FindUtilityWindow(DWORD timeoutMs) {
    for (DWORD waited = 0;; waited += 100) {
        if (HWND window = FindWindowA("Remote Control", "Remote Control")) return window;
        if (waited >= timeoutMs) return nullptr;
        Sleep(100);
    }
}

SIZE_T CommittedPrivateBytes(HANDLE process) {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (char* at = nullptr; VirtualQueryEx(process, at, &region, sizeof region) == sizeof region;
         at = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    DWORD timeoutMs = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 30000;
    HWND window = FindUtilityWindow(timeoutMs);
    if (!window) {
        std::printf("no window\n");
        return 1;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) {
        std::printf("cannot open process %lu\n", processId);
        return 1;
    }
    std::printf("committed-private %lu\n",
                static_cast<unsigned long>(CommittedPrivateBytes(process)));
    CloseHandle(process);
    return 0;
}
