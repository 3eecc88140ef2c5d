// What the key poller asks the receiver on every poll, and the GPIO and I2C steps that
// answer it. Statuses are 0 for success and negative for failure.
#pragma once

#include <cstdint>

// The GPIO line that signals a key, as one poll reads it; NoAnswer when a request of the
// test failed.
enum class KeyLine : std::uint8_t { Up, Down, NoAnswer };
KeyLine ReadKeyLine();
inline bool IsRemoteKeyDown() {
    return ReadKeyLine() == KeyLine::Down;
}
// The raw code of the key that is down: -1 without a device handle; 0 to 63 on a GPIO
// board (63 when the read fails); 0 to 255 on the I2C board (255 when it fails).
std::int32_t ReadRemoteCode();

std::int32_t GpioSelectRegister(std::uint32_t address);
// Reads the register that the last GpioSelectRegister selected; `value` is written
// whatever the status.
std::int32_t GpioReadRegister(std::uint32_t* value);
// Exactly 100000 selects 100 kHz; any other value selects 200 kHz.
std::int32_t I2cSetBusSpeed(std::uint32_t speed);
// Reads `count` (at least 1) bytes from the device with address byte `address`.
std::int32_t I2cReadBytes(std::uint8_t address, std::uint8_t* buffer, std::int32_t count);

// True while a failure box of the I2C read waits for the user.
bool ReceiverFailureBoxOpen();
