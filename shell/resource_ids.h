// Identifiers of the dialog resources and their controls, shared by the logic and the
// resource script, so plain preprocessor names that the resource compiler understands.
// The OK and Cancel buttons use the platform's IDOK (1) and IDCANCEL (2).
#pragma once

#define IDD_SETTING 20
#define IDD_ABOUT 21
#define IDD_SHUTDOWN 107

#define IDC_APPLIST 11
