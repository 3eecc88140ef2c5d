// Commands of application 1, which is driven by its keyboard shortcuts.
#pragma once

#include "receiver/remote_keys.h"

void SendKeystrokeCommand(RemoteKey key);
