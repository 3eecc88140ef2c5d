// Commands of the message-driven applications 2, 6, 7 and 9: posted 3024 or 4024
// messages whose wParam is the command number of the key.
#pragma once

#include "apps/tv_app.h"

// The player's "PictureView" window as the latest popup probe found it.
extern Hwnd pictureViewWindow;

void SendMessageCommand(AppId id, RemoteKey key);
// The first visible one of application 9's own dialog windows, or 0.
Hwnd FindVisiblePopup();
