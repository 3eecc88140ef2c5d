// The utility's settings: the default TV application and the start-up switch, kept in
// the registry, and the country check that selects application 2's Japan layout.
#pragma once

#include <cstdint>

#include "platform/platform.h"

void ReadSettings();
// Reads both settings as ReadSettings would, but writes nothing: a missing key or value
// leaves its initial value. For RemoteMonitor, which must not change the utility's state.
void PeekSettings();
// False when the key or its default-application value is missing: nothing is written.
bool WriteDefaultApp();
std::int32_t ReadCountryCode();
void CheckCountry();
std::intptr_t PLATFORM_CALLBACK SettingDlgProc(Hwnd dialog, std::uint32_t msg, WParam wParam,
                                               LParam lParam);
std::intptr_t PLATFORM_CALLBACK AboutDlgProc(Hwnd dialog, std::uint32_t msg, WParam wParam,
                                             LParam lParam);
