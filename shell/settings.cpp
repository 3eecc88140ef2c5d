#include "shell/settings.h"

std::int32_t DefaultTVAPP = 9;
bool AlwaysRemoteOff = false;
std::int32_t japanCountry = 0;

bool ReadSettings() {
    return true;
}

std::int32_t WriteDefaultApp() {
    return 0;
}

std::int32_t ReadCountryCode() {
    return 0;
}

bool CheckCountry() {
    japanCountry = ReadCountryCode() == 81 ? 1 : 0;
    return true;
}

std::intptr_t PLATFORM_CALLBACK SettingDlgProc(Hwnd, std::uint32_t, WParam, LParam) {
    return 0;
}

std::intptr_t PLATFORM_CALLBACK AboutDlgProc(Hwnd, std::uint32_t, WParam, LParam) {
    return 0;
}
