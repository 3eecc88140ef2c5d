// The Shut Down confirmation that key 21 opens and the Power key confirms, and the
// fixed placement of the utility's dialogs.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern std::int32_t shutdownDialogOpen;
extern Hwnd shutdownDialogWindow;

bool NoTvAppRunning();
void ShowShutdownDialog(Hwnd owner);
