// The icon in the notification area and the popup menu that a click on it opens.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// The icon's tip: the utility's name, and what it says while the card is away.
constexpr char kTrayTip[] = "Remote Control";
constexpr char kLostTrayTip[] = "Remote Control - TV card not found";

void AddTrayIcon(Hwnd window, std::uint32_t id, Handle icon, const char* tip);
void RemoveTrayIcon(Hwnd window, std::uint32_t id);
// Adds the icon again after the taskbar was re-created, unless it was removed on purpose.
void RestoreTrayIcon();
// Lets the taskbar's "TaskbarCreated" reach the window also when the utility runs as
// administrator, where Windows filters the messages of programs of a lower integrity level.
void AllowTaskbarCreated(Hwnd window);
// Shows another tip on the icon, when it differs from the one shown.
void SetTrayTip(const char* tip);
// The shell's notification of a mouse message over the icon.
void OnTrayNotify(Hwnd window, std::uint32_t mouseMessage);
