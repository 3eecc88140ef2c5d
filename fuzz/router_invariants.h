// What must hold on the simulated desktop after every event and every tick of a fuzzed
// run of the utility, beyond "no crash".
#pragma once

#include "measure/counting_desktop.h"

// The desktop of a fuzzed run: it checks at every driver request that the PC is not asleep
// for the utility (its window had PBT_APMSUSPEND and no resume event since, unless the PC is
// awake 30 s after it: a suspend with no resume) and that the tip does not say the card is
// lost, and at every walk over the devices that the last one was at least 500 ms before (the
// walks of one instant are one search). While the session is locked or away from the console
// for the utility (it started away, or its window was told so and not told otherwise since),
// no driver request goes out, no input is injected and no dialog or message box opens but on
// the user's own click or menu choice (made, it may be, just before the session went).
//
// The actions of the user's keys file are told from the built-in commands by what only they
// do: SendInput, WM_APPCOMMAND, a posted message from WM_APP on (the fuzzer's files use no
// other), WM_SYSCOMMAND/SC_CLOSE on any key but Power and key 20 (the built-in routes close
// applications only on those, and the fuzzer's files bind no close there), and a launch of
// a program that is no TV application. Each happens only in a key poll with a key, at most
// once in it and never beside a built-in command, never while the Shut Down question is or
// was open in that poll, on one window at most once per press unless a line for the key
// says `repeat`, and it lands on the window in front at the key event (its root owner for
// messages; a modal box of the poll makes the window in front after it the one that
// counts) or on the main window of an application whose [application] lines list the key.
// A media key's keystrokes go wherever the keyboard is, as a keyboard's own do.
class WatchedDesktop : public CountingDesktop {
  public:
    std::uint16_t RegisterClassExA(const WindowClass* windowClass) override;
    bool DeviceIoControl(Handle device, std::uint32_t controlCode, void* in, std::uint32_t inSize,
                         void* out, std::uint32_t outSize, std::uint32_t* bytesReturned,
                         Overlapped* overlapped) override;
    HResult CreateClassEnumerator(ComRef devEnum, const Guid& category, ComRef* monikers,
                                  std::uint32_t flags) override;
    void keybd_event(std::uint8_t vk, std::uint8_t scan, std::uint32_t flags,
                     std::uintptr_t extraInfo) override;
    void mouse_event(std::uint32_t flags, std::uint32_t dx, std::uint32_t dy, std::uint32_t data,
                     std::uintptr_t extraInfo) override;
    bool SetCursorPos(int x, int y) override;
    int MessageBoxA(Hwnd owner, const char* text, const char* caption, std::uint32_t type) override;
    std::intptr_t DialogBoxParamA(Handle instance, int templateId, Hwnd owner, DlgProc proc,
                                  LParam initParam) override;
    bool PostMessageA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam) override;
    std::intptr_t ShellExecuteA(Hwnd owner, const char* verb, const char* file,
                                const char* parameters, const char* directory, int show) override;
    std::uint32_t SendInput(std::uint32_t count, const Input* inputs) override;
    LResult SendMessageTimeoutA(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam,
                                std::uint32_t flags, std::uint32_t timeoutMs,
                                std::uintptr_t* result) override;
};

// Starts watching a new run on `desk`.
void BeginInvariantWatch(SimDesktop& desk);
// Checks every invariant; a broken one stops the run (see Require).
void CheckInvariants();
// The utility has ended: every timer slot is disarmed and its timer gone.
void CheckEndOfRun();

// The key poll, the application watch and the search for the card with the checks around them: no
// heap allocation by the logic during the tick, and every invariant after it.
extern const TimerProc CheckedKeyPollTick;
extern const TimerProc CheckedAppWatchTick;
extern const TimerProc CheckedSearchTick;
