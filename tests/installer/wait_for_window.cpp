// Waits until a top-level window of a class exists, or until none does: how the installer
// test under Wine knows that the utility is up, or gone.
//   wait_for_window CLASS appear|vanish TIMEOUT_MS
// Prints "done" when it happened, "timeout" when not: under Wine an emulated 32-bit process
// can be killed once its Windows process has ended, which loses the exit status.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const bool wantWindow = std::strcmp(argv[2], "appear") == 0;
    const DWORD timeoutMs = std::strtoul(argv[3], nullptr, 10);
    const DWORD start = GetTickCount();
    for (;;) {
        const bool found = FindWindowA(argv[1], nullptr) != nullptr;
        if (found == wantWindow) {
            std::puts("done");
            return 0;
        }
        if (GetTickCount() - start >= timeoutMs) {
            std::puts("timeout");
            return 1;
        }
        Sleep(100);
    }
}
