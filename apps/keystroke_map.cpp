#include "apps/keystroke_map.h"

void SendKeystrokeCommand(RemoteKey) {}
