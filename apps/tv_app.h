// The five supported TV applications: where each is installed, how its window is
// recognised, and the operations every other part uses on one of them.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "receiver/remote_keys.h"

using AppId = std::int32_t;

constexpr int kAppCount = 5;
constexpr AppId kAppOrder[kAppCount] = {1, 2, 6, 7, 9};    // the order of every search
constexpr AppId kCloseOrder[kAppCount] = {2, 1, 7, 6, 9};  // CloseOthers asks in this order

class TvApp {
  public:
    std::int32_t installed = 0;
    std::int32_t active = 0;
    char folder[128] = {};
    char exeName[64] = {};
    char windowClass[64] = {};
    char windowTitle[64] = {};
    Hwnd window = 0;

    // Reads the record from the registry and the application table, as the program's
    // static construction does.
    void Construct(AppId id);

    std::int32_t ReadInstallFolder(const char* key, const char* valueName, const char* exeFile);
    Hwnd FindByTitlePrefix() const;
    Hwnd Launch();
    Hwnd BringForward();
};

// Application 9 also remembers which of its own dialog windows its latest command found.
class OmnivueCenterApp : public TvApp {
  public:
    Hwnd popupWindow = 0;
};

extern TvApp lumacastApp;                  // 1
extern TvApp vantorTvrApp;                 // 2
extern TvApp omnivueApp;                   // 6
extern TvApp dvbsSuiteApp;                 // 7
extern OmnivueCenterApp omnivueCenterApp;  // 9

// The record of an application, or nullptr when the number is none of the five.
TvApp* AppRecord(AppId id);
bool IsAppId(std::int32_t value);
const char* AppLabel(AppId id);

Hwnd FindAppWindow(AppId id);
std::int32_t IsRunning(AppId id);
std::int32_t IsInstalled(AppId id);
void ClearActive(AppId id);
void RequestClose(AppId id);
void TogglePower(AppId id);
void CloseOthers(AppId id);
void SwitchTo(AppId id);
void SendKey(AppId id, RemoteKey key);

// 1 while the application was started by the Power key and is watched.
std::int32_t IsLaunched(AppId id);
void ClearLaunchedFlags();

void PLATFORM_CALLBACK AppWatchTick(Hwnd owner, std::uint32_t msg, std::uintptr_t id,
                                    std::uint32_t time);
