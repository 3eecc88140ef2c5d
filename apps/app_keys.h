// A remote key for one of the built-in applications: its command in the application's map
// as an Action, where that goes, and the key carried out.
#pragma once

#include "apps/action.h"
#include "apps/app_profiles.h"
#include "receiver/remote_keys.h"

// The key's built-in command for the application as it would be carried out now, and the
// window it goes to (the main window, or the open dialog). False, with `action` of kind None,
// when there is nothing to carry out: the key has no command in the application's map, the
// application's window is not open, or its open dialog holds the command back. The lookups
// are those the command's own resolution makes (its window, the popup probe).
bool BuiltInAction(AppId id, RemoteKey key, Action* action, Hwnd* target);

// The key's command carried out for the application.
void SendKey(AppId id, RemoteKey key);
