#include "apps/app_profiles.h"

namespace {

constexpr std::uint32_t kMessage2000 = WM_USER + 2000;
constexpr std::uint32_t kMessage3000 = WM_USER + 3000;
constexpr std::uint32_t kPauseMs = 2000;

using Close = CloseMode;
using Idle = IdleKeyAction;

}  // namespace

// External, declared in the header: ProfileOf reads it inline.
// clang-format off
constexpr AppProfile kAppProfiles[kAppCount] = {
    // id, label, registry key, value name, program file,
    // window class, window title, identity title,
    // command message, key map, popup probe,
    // close mode, close command, pause, key 20, key 21
    {1, "Lumacast", "SOFTWARE\\Tolvane\\Lumacast", "InstallPath", "Lumacast.exe",
     nullptr, "Lumacast", "Lumacast",
     0, KeyMap::Keystrokes, false,
     Close::AltF4, 0, 0, Idle::SendKey, Idle::SendKey},
    {2, "VantorTVR", "Software\\Marovex\\TV Suite\\TVR", "AppPath", "marovexTV.EXE",
     "VANTOR_TVR", "FormMainWindow", nullptr,
     kMessage2000, KeyMap::VantorTvr, false,
     Close::Message, 1, 0, Idle::TogglePower, Idle::ShutdownDialog},
    {6, "Omnivue", "Software\\Zarvin Multimedia\\TV Suite\\DTVR", "AppPath", "MainPanel.exe",
     "ZarvinMainPanel_Class", "TVR", "TVR",
     kMessage3000, KeyMap::Omnivue, false,
     Close::Message, 1, kPauseMs, Idle::SendKey, Idle::ShutdownDialog},
    {7, "DVBS SUITE", "SOFTWARE\\Marovex\\DVB Suite\\DVBS", "AppPath", "DVBS.EXE",
     "ZARVIN_DVBS", "DVBS", nullptr,
     kMessage2000, KeyMap::DvbsSuite, false,
     Close::Message, 1, 0, Idle::SendKey, Idle::ShutdownDialog},
    {9, "OmnivueCenter", "Software\\Zarvin Multimedia\\TV Hub\\DTVR", "AppPath", "Hubdeck.exe",
     "ZarvinMainPanel_Class", "Omnivue Center", "Omnivue Center",
     kMessage3000, KeyMap::OmnivueCenter, true,
     Close::Message, 25, kPauseMs, Idle::SendKey, Idle::SendKey},
};
// clang-format on

namespace {

constexpr bool ProfilesFollowOrder() {
    for (int slot = 0; slot < kAppCount; ++slot) {
        if (kAppProfiles[slot].id != kAppOrder[slot]) return false;
    }
    return true;
}
static_assert(ProfilesFollowOrder(), "the profile table has one row per application, in order");

}  // namespace

bool IsAppId(std::int32_t value) {
    return AppSlot(value) >= 0;
}

const char* AppLabel(AppId id) {
    const AppProfile* profile = ProfileOf(id);
    return profile ? profile->label : "";
}

Hwnd FindAppWindow(AppId id) {
    const AppProfile* profile = ProfileOf(id);
    if (!profile) return 0;
    return Plat().FindWindowExA(0, 0, profile->windowClass, profile->identityTitle);
}
