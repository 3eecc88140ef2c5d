#include "receiver/receiver_commands.h"

#include "platform/platform.h"

// Placeholder until the GPIO and I2C requests land: the desktop's scripted remote.
bool IsRemoteKeyDown() {
    return Plat().ScriptedRemoteCode() >= 0;
}

std::int32_t ReadRemoteCode() {
    return Plat().ScriptedRemoteCode();
}
