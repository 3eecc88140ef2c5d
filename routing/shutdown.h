// The Shut Down confirmation that key 21 opens and the Power key confirms, and the
// shutdown it leads to.
#pragma once

#include <cstdint>

#include "platform/platform.h"

bool NoTvAppRunning();
void ShowShutdownDialog(Hwnd owner);
std::intptr_t PLATFORM_CALLBACK ShutdownDialogProc(Hwnd dialog, std::uint32_t msg, WParam wParam,
                                                   LParam lParam);

bool IsWin9xPlatform();
void ShutDownComputer();
