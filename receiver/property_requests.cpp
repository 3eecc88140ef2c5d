#include "receiver/property_requests.h"

#include <cstring>

#include "platform/device_constants.h"
#include "receiver/capture_device.h"
#include "receiver/device_control.h"
#include "shell/static_objects.h"

namespace {

void WriteHeader(std::uint8_t* bytes, std::uint32_t propertyId, std::uint32_t flags,
                 std::uint32_t command) {
    std::memcpy(bytes, ReceiverPropertySet, sizeof ReceiverPropertySet);
    PutU32(bytes, 16, propertyId);
    PutU32(bytes, 20, flags);
    PutU32(bytes, kCommandOffset, command);
}

// The same buffer goes in and comes back with the driver's answer.
std::int32_t Send(std::uint8_t* bytes, std::uint32_t size) {
    std::uint32_t bytesReturned = 0;
    return SyncDeviceControl(logic.receiverChannel.deviceHandle, IOCTL_KS_PROPERTY, bytes, size,
                             bytes, size, &bytesReturned);
}

}  // namespace

void PutU32(std::uint8_t* bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetU32(const std::uint8_t* bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    return value;
}

void WriteGpioHeader(GpioRequest& request, std::uint32_t flags, std::uint32_t command) {
    WriteHeader(request.bytes, GpioProperty, flags, command);
}

void WriteI2cHeader(I2cRequest& request, std::uint32_t flags, std::uint32_t command) {
    WriteHeader(request.bytes, I2cProperty, flags, command);
}

std::int32_t SendRequest(GpioRequest& request) {
    return Send(request.bytes, sizeof request.bytes);
}

std::int32_t SendRequest(I2cRequest& request) {
    return Send(request.bytes, sizeof request.bytes);
}
