// The TV card's capture device: found by its friendly name among the video-input
// devices, with the kernel-streaming handle through which the receiver is read.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "receiver/remote_keys.h"

struct ReceiverChannel {
    std::uintptr_t captureFilter = 0;  // the bound capture filter, owned; 0 when none
    Handle deviceHandle = 0;           // belongs to the filter; never closed here
    std::int32_t boardKind = 0;        // 1: code in a GPIO register; 2: code over I2C
    std::uint8_t gpioBit = 0;
    std::uint32_t registerAddress = 0;
    std::uint8_t bitMask = 0;
    RemoteLayout remoteLayout = Translated;
};

extern ReceiverChannel receiverChannel;

// 1 when a listed board was found (even without a device handle), else 0.
std::int32_t OpenReceiver();
void CloseReceiver();
