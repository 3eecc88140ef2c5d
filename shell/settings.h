// The utility's settings: the default TV application and the start-up switch, kept in
// the registry, and the country check that selects application 2's Japan layout.
#pragma once

#include <cstdint>

#include "platform/platform.h"

void ReadSettings();
// False when the key or its default-application value is missing: nothing is written.
bool WriteDefaultApp();
std::int32_t ReadCountryCode();
void CheckCountry();
std::intptr_t PLATFORM_CALLBACK SettingDlgProc(Hwnd dialog, std::uint32_t msg, WParam wParam,
                                               LParam lParam);
std::intptr_t PLATFORM_CALLBACK AboutDlgProc(Hwnd dialog, std::uint32_t msg, WParam wParam,
                                             LParam lParam);
