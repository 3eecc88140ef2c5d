#include "apps/message_maps.h"

Hwnd pictureViewWindow = 0;

void SendMessageCommand(AppId, RemoteKey) {}

Hwnd FindVisiblePopup() {
    return 0;
}
