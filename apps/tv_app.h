// The five supported TV applications' records (install folder, running, started by the
// remote) and the operations every other part uses on one of them. The applications as
// data are in app_profiles.h.
#pragma once

#include <cstdint>

#include "apps/app_profiles.h"
#include "platform/platform.h"
#include "receiver/remote_keys.h"

class TvApp {
  public:
    bool installed = false;
    bool active = false;
    char folder[128] = {};
    char exeName[64] = {};
    char windowClass[64] = {};
    char windowTitle[64] = {};

    // Reads the record from the registry and the application table, as the program's
    // static construction does.
    void Construct(AppId id);

    bool ReadInstallFolder(const char* key, const char* valueName, const char* exeFile);
    Hwnd FindByTitlePrefix() const;
    Hwnd Launch();
    Hwnd BringForward();
};

// The record of an application, or nullptr when the number is none of the five.
TvApp* AppRecord(AppId id);

bool IsRunning(AppId id);
bool IsInstalled(AppId id);
void ClearActive(AppId id);
void RequestClose(AppId id);
void TogglePower(AppId id);
// Asks the applications of `order` other than `id` to close, in that order.
void CloseOthers(AppId id, const AppId* order = kCloseOrder, int count = kAppCount);
void SwitchTo(AppId id);

// What the Power toggle would do to the application now: a running one is asked to close,
// another one is started when it is installed.
enum class PowerToggle : std::uint8_t { Close, Start, Nothing };
PowerToggle PowerToggleOf(AppId id);

// True while the application was started by the Power key and is watched.
bool IsLaunched(AppId id);

void PLATFORM_CALLBACK AppWatchTick(Hwnd owner, std::uint32_t msg, std::uintptr_t id,
                                    std::uint32_t time);
