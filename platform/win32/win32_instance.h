// The process's one Win32 platform, for the Windows program to install at start.
#pragma once

#include "platform/platform.h"

// Never destroyed: exit actions that run after the entry returns still reach the desktop.
Platform& Win32PlatformInstance();
