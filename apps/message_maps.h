// Commands of the message-driven applications 2, 6, 7 and 9: posted 3024 or 4024
// messages whose wParam is the command number of the key.
#pragma once

#include "apps/action.h"
#include "apps/app_profiles.h"
#include "receiver/remote_keys.h"

// Where a command goes. Without a popup probe every command goes to the main window; an
// application that probes (9) looks at its own dialog windows first.
enum class PostRule : std::uint8_t {
    Always,        // A: to the main window whatever dialog is open
    Held,          // H: to the main window only while no dialog is open
    PictureView,   // P: to the main window unless the open dialog is the PictureView player
    Dialog,        // D: to the open dialog, brought forward, else to the main window
    ForwardFirst,  // the main window is brought to the top and the foreground first
};

struct MessageCommand {
    std::uint32_t number = 0;  // wParam; 0: the key has no command
    PostRule rule = PostRule::Always;
};

// The key's command as it would be sent now: its target, found with the application's
// popup probe, and the message and command number it carries.
struct MessageSend {
    CommandTarget target = CommandTarget::None;
    Hwnd window = 0;  // the main window, or the open dialog with CommandTarget::Dialog
    std::uint32_t message = 0;
    std::uint32_t number = 0;
};
MessageSend ResolveMessageCommand(AppId id, RemoteKey key);

// The command as an Action for `send.window`: its message posted, the window brought
// forward first where the target says so. Kind None when the command is not sent now.
Action MessageAction(const MessageSend& send);

// The key's command in the application's column of the command table, with the Japan
// layout where the column has one and `japan` is set; nullptr when the key has none or the
// application takes keystrokes. Read-only, for the key-map reference as much as for the
// key's Action.
const MessageCommand* MessageCommandOf(AppId id, RemoteKey key, bool japan);
