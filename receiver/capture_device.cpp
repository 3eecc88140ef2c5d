#include "receiver/capture_device.h"

ReceiverChannel receiverChannel;

// Placeholder until device discovery lands: the scripted remote stands in for a card.
std::int32_t OpenReceiver() {
    return 1;
}

void CloseReceiver() {}
