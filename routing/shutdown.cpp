#include "routing/shutdown.h"

std::int32_t shutdownDialogOpen = 0;
Hwnd shutdownDialogWindow = 0;

void ShowShutdownDialog(Hwnd) {}
