// <windows.h> and <shellapi.h> for the Win32 side of the seam. Include this first, before any
// platform header: platform/win_constants.h defines its portable constants only when
// <windows.h> has not been read.
#pragma once

#include <windows.h>
// The shell's declarations need those of <windows.h>.
#include <shellapi.h>
// The device-change events are not in <windows.h>.
#include <dbt.h>
// The special folders (CSIDL_*), without the rest of the shell's COM declarations.
#include <shfolder.h>
