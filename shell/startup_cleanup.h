// Start-up clears away the programs that would compete for the remote: another vendor's
// media manager, an older remote utility and an instance of this utility that is already
// running. Nothing waits for them to end.
#pragma once

#include "platform/platform.h"

void DeleteMediaManagerShortcut();
void CloseCompetingPrograms();
// The main window of a Remote Control that is already running, or 0.
Hwnd FindRunningInstance();
