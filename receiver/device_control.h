// The one road of every request to the capture driver.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// 0 for platform error 0, otherwise 0x80070000 | (code & 0xFFFF): always zero or negative.
constexpr std::int32_t DriverStatus(std::uint32_t errorCode) {
    return errorCode == 0 ? 0 : static_cast<std::int32_t>(0x80070000u | (errorCode & 0xFFFFu));
}

inline bool Failed(std::int32_t status) {
    return status != 0;
}

// Whether a failed request says that the device behind the handle is gone for good, as
// after an unplug, a driver restart or a device re-created on resume:
// ERROR_DEVICE_NOT_CONNECTED and ERROR_DEVICE_REMOVED (the driver's own word),
// ERROR_FILE_NOT_FOUND (no such device any more) and ERROR_INVALID_HANDLE (the handle was
// closed under us). Every other failure may pass, and counts only as a failing poll.
bool DeviceGone(std::int32_t status);

// Sends one request and waits for the driver to complete it, at most 500 ms: a request
// still pending then is cancelled and fails with ERROR_SEM_TIMEOUT, and the channel
// forgets its handle and counts the card as gone.
std::int32_t SyncDeviceControl(Handle device, std::uint32_t controlCode, void* in,
                               std::uint32_t inSize, void* out, std::uint32_t outSize,
                               std::uint32_t* bytesReturned);
