// The utility's settings: the default TV application and the start-up switch, kept in
// the registry, and the country check that selects application 2's Japan layout.
#pragma once

#include <cstdint>

#include "platform/platform.h"

void ReadSettings();
// Reads both settings as ReadSettings would, but writes nothing: a missing key or value
// leaves its initial value. For RemoteMonitor, which must not change the utility's state.
void PeekSettings();
// Stores the in-memory default application over the value that is there. ERROR_SUCCESS when
// written; otherwise the status of the step that failed: ERROR_FILE_NOT_FOUND when the key
// or the value is missing, ERROR_MORE_DATA when the value is too long to be ours (nothing is
// written then), ERROR_ACCESS_DENIED when the account may not change it.
RegStatus WriteDefaultApp();
// After the Setting dialog: the box that says a choice could not be saved, once in a run.
void ReportRefusedSave();
std::int32_t ReadCountryCode();
void CheckCountry();
std::intptr_t PLATFORM_CALLBACK SettingDlgProc(Hwnd dialog, std::uint32_t msg, WParam wParam,
                                               LParam lParam);
std::intptr_t PLATFORM_CALLBACK AboutDlgProc(Hwnd dialog, std::uint32_t msg, WParam wParam,
                                             LParam lParam);
