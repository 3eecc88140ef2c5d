// The utility's settings: the default TV application and the start-up switch, kept in
// the registry, and the country check that selects application 2's Japan layout.
#pragma once

#include <cstdint>

#include "platform/platform.h"

extern std::int32_t DefaultTVAPP;  // 9 until the registry says otherwise; any value
extern bool AlwaysRemoteOff;       // the stored value is exactly 1
extern std::int32_t japanCountry;  // the system's country code is 81

bool ReadSettings();
// Reads both settings as ReadSettings would, but writes nothing: a missing key or value
// leaves its initial value. For RemoteMonitor, which must not change the utility's state.
void PeekSettings();
std::int32_t WriteDefaultApp();
std::int32_t ReadCountryCode();
bool CheckCountry();
std::intptr_t PLATFORM_CALLBACK SettingDlgProc(Hwnd dialog, std::uint32_t msg, WParam wParam,
                                               LParam lParam);
std::intptr_t PLATFORM_CALLBACK AboutDlgProc(Hwnd dialog, std::uint32_t msg, WParam wParam,
                                             LParam lParam);
