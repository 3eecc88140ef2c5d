// <windows.h> and <shellapi.h> for the Win32 side of the seam. Include this first, before any
// platform header, instead of <windows.h> itself.
//
// winnt.h declares an enumerator `TokenPrivileges` (TOKEN_INFORMATION_CLASS) in the global
// namespace, which would hide the seam's record of the same name. The Win32 side never uses
// that enumerator, so it is renamed while the headers are read.
#pragma once

#define TokenPrivileges TokenInformationClass_TokenPrivileges
#include <windows.h>
// The shell's declarations need those of <windows.h>.
#include <shellapi.h>
#undef TokenPrivileges
