// The program's entry and its only window: start-up, the hidden main window that owns
// the tray icon and the timers, its message loop, and the ways the run ends.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The whole run after static construction: what WinMain does, then the exit actions that
// disarm the timers. Returns the exit code. The Windows entry installs its platform and
// calls this; the caller, not this function, reports the exit code (remote-sim and the
// tests trace it as "exit N").
int RunRemoteControl(Handle instance);

void RegisterMainClass(Handle instance);
// Creates and sets up the main window; true when the message loop shall run.
bool CreateMainWindow(Handle instance);
LResult PLATFORM_CALLBACK MainWndProc(Hwnd window, std::uint32_t msg, WParam wParam, LParam lParam);

// Every way of ending the run: the tray icon goes, the quit message (0) is posted and the
// receiver is closed, at most once per run.
void EndRun(Hwnd window);
