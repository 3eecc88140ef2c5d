#include "apps/app_keys.h"

#include "apps/actions.h"
#include "apps/keystroke_map.h"
#include "apps/message_maps.h"

bool BuiltInAction(AppId id, RemoteKey key, Action* action, Hwnd* target) {
    *action = Action{};
    *target = 0;
    const AppProfile* profile = ProfileOf(id);
    if (!profile) return false;
    if (profile->keyMap == KeyMap::Keystrokes) {
        KeystrokeSend send = ResolveKeystroke(id, key);
        if (send.target != CommandTarget::MainWindow) return false;
        *action = KeystrokeAction(send.row);
        *target = send.window;
    } else {
        MessageSend send = ResolveMessageCommand(id, key);
        *action = MessageAction(send);
        *target = send.window;
    }
    return action->kind != ActionKind::None;
}

void SendKey(AppId id, RemoteKey key) {
    Action action;
    Hwnd target = 0;
    bool carried = BuiltInAction(id, key, &action, &target);
    if (carried) PerformAction(action, target, id);
}
