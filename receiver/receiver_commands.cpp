#include "receiver/receiver_commands.h"

#include "platform/device_constants.h"
#include "receiver/capture_device.h"
#include "receiver/device_control.h"
#include "receiver/property_requests.h"
#include "shell/static_objects.h"

namespace {

constexpr std::uint8_t kRemoteI2cAddress = 0x60;
constexpr std::int32_t kGpioCodeFallback = 63;
constexpr std::int32_t kI2cCodeFallback = 255;

std::int32_t SendSpeedCommand(std::uint32_t command, std::uint32_t speed) {
    I2cRequest request{};
    WriteI2cHeader(request, KSPROPERTY_TYPE_SET, command);
    PutU32(request.bytes, kI2cSpeedOffset, speed);
    return SendRequest(request);
}

std::int32_t ReadGpioCode() {
    std::uint32_t value = 0;
    if (Failed(GpioReadRegister(&value))) return kGpioCodeFallback;
    return static_cast<std::int32_t>(value & 0x3F);
}

// The bus runs at 200 kHz for the read and goes back to 100 kHz after it, unless the
// receiver was closed while a failure box of the read was up (the PC went to sleep).
std::int32_t ReadI2cCode() {
    if (Failed(I2cSetBusSpeed(kI2cFastSpeed))) return kI2cCodeFallback;
    std::uint8_t code = 0;
    std::int32_t status = I2cReadBytes(kRemoteI2cAddress, &code, 1);
    if (logic.receiverChannel.deviceHandle != 0) I2cSetBusSpeed(kI2cSlowSpeed);
    return Failed(status) ? kI2cCodeFallback : code;
}

}  // namespace

std::int32_t GpioSelectRegister(std::uint32_t address) {
    GpioRequest request{};
    WriteGpioHeader(request, KSPROPERTY_TYPE_SET, GpioSetAddress);
    PutU32(request.bytes, kGpioAddressOffset, address);
    return SendRequest(request);
}

// The driver takes the read as a set followed by a get on the very same buffer, as the
// set left it.
std::int32_t GpioReadRegister(std::uint32_t* value) {
    GpioRequest request{};
    WriteGpioHeader(request, KSPROPERTY_TYPE_SET, GpioRead);
    SendRequest(request);
    WriteGpioHeader(request, KSPROPERTY_TYPE_GET, GpioRead);
    std::int32_t status = SendRequest(request);
    *value = GetU32(request.bytes, kGpioValueOffset);
    return status;
}

std::int32_t I2cSetBusSpeed(std::uint32_t speed) {
    bool slow = speed == kI2cSlowSpeed;
    std::int32_t status =
        SendSpeedCommand(slow ? I2cSpeed100k : I2cSpeed200k, slow ? kI2cSlowSpeed : kI2cFastSpeed);
    if (Failed(status)) return status;
    return SendSpeedCommand(I2cApplySpeed, 0);
}

std::int32_t ReadRemoteCode() {
    if (logic.receiverChannel.deviceHandle == 0) return -1;
    // A GPIO board's code sits in the register that IsRemoteKeyDown just selected.
    if (logic.receiverChannel.boardKind == BoardKind::Gpio) return ReadGpioCode();
    return ReadI2cCode();
}

// While a failure box is up its modal loop keeps the poll timer running; a poll then
// waits for the box instead of failing again and stacking another one. Without a handle
// nothing is asked and no key is down.
KeyLine ReadKeyLine() {
    if (logic.receiverChannel.deviceHandle == 0 || ReceiverFailureBoxOpen()) return KeyLine::Up;
    if (Failed(GpioSelectRegister(logic.receiverChannel.registerAddress))) return KeyLine::NoAnswer;
    std::uint32_t value = 0;
    if (Failed(GpioReadRegister(&value))) return KeyLine::NoAnswer;
    // The line is active low.
    return (static_cast<std::uint8_t>(value) & logic.receiverChannel.bitMask) == 0 ? KeyLine::Down
                                                                                   : KeyLine::Up;
}
