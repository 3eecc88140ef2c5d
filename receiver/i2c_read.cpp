// A read from a device on the card's I2C bus, driven one bus step per request.
#include "platform/device_constants.h"
#include "receiver/device_control.h"
#include "receiver/property_requests.h"
#include "receiver/receiver_commands.h"
#include "shell/static_objects.h"

namespace {

bool failureBoxOpen = false;

// A card that went away or hung in the middle of a read is the key poll's to handle,
// without a box.
void ShowFailure(const char* text, std::int32_t status) {
    if (DeviceGone(status) || logic.receiverChannel.deviceGone) return;
    failureBoxOpen = true;
    Plat().MessageBoxA(0, text, "I2CSWRead", MB_OK);
    failureBoxOpen = false;
}

std::int32_t SendStep(std::uint32_t command) {
    I2cRequest request{};
    WriteI2cHeader(request, KSPROPERTY_TYPE_SET, command);
    return SendRequest(request);
}

std::int32_t SendSetReadAddress(std::uint8_t address) {
    I2cRequest request{};
    WriteI2cHeader(request, KSPROPERTY_TYPE_SET, I2cSetReadAddress);
    request.bytes[kI2cAddressOffset] = address;
    return SendRequest(request);
}

std::int32_t SendWrite(std::uint8_t data) {
    I2cRequest request{};
    WriteI2cHeader(request, KSPROPERTY_TYPE_SET, I2cWrite);
    request.bytes[kI2cDataOffset] = data;
    return SendRequest(request);
}

std::int32_t ReadOneByte(std::uint8_t* byte) {
    I2cRequest request{};
    WriteI2cHeader(request, KSPROPERTY_TYPE_GET, I2cRead);
    std::int32_t status = SendRequest(request);
    if (!Failed(status)) *byte = request.bytes[kI2cDataOffset];
    return status;
}

// Reads one byte and answers it with `reply` (I2cAck, or I2cNack after the last byte).
std::int32_t ReadAndReply(std::uint8_t* byte, std::uint32_t reply, const char* replyFailure) {
    std::int32_t status = ReadOneByte(byte);
    if (Failed(status)) {
        ShowFailure("Command I2C READ failed!", status);
        return status;
    }
    status = SendStep(reply);
    if (Failed(status)) ShowFailure(replyFailure, status);
    return status;
}

}  // namespace

bool ReceiverFailureBoxOpen() {
    return failureBoxOpen;
}

// Any failing step ends the read at once: no stop condition and no speed selection.
std::int32_t I2cReadBytes(std::uint8_t address, std::uint8_t* buffer, std::int32_t count) {
    if (count < 1) return DriverStatus(ERROR_INVALID_PARAMETER);
    std::uint8_t readAddress = address | 1u;
    std::int32_t status = SendStep(I2cStart);
    if (Failed(status)) {
        ShowFailure("Command I2C START failed!", status);
        return status;
    }
    status = SendSetReadAddress(readAddress);
    if (Failed(status)) {
        ShowFailure("Command I2C SET READ ADDRESS failed!", status);
        return status;
    }
    status = SendWrite(readAddress);
    if (Failed(status)) return status;
    for (std::int32_t index = 0; index < count - 1; ++index) {
        status = ReadAndReply(&buffer[index], I2cAck, "Command I2C ACT failed!");
        if (Failed(status)) return status;
    }
    status = ReadAndReply(&buffer[count - 1], I2cNack, "Command I2C NACK failed!");
    if (Failed(status)) return status;
    status = SendStep(I2cStop);
    I2cSetBusSpeed(kI2cFastSpeed);
    return status;
}
