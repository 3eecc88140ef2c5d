// The capture driver's private property requests that reach the receiver: a 40-byte
// GPIO request and a 120-byte I2C request, little-endian, each sent in one buffer that
// the driver answers in place.
#pragma once

#include <cstddef>
#include <cstdint>

// {C44A1A10-0A37-11D2-8328-006097BA83AB} in its 16-byte layout.
inline constexpr std::uint8_t ReceiverPropertySet[16] = {
    0x10, 0x1A, 0x4A, 0xC4, 0x37, 0x0A, 0xD2, 0x11, 0x83, 0x28, 0x00, 0x60, 0x97, 0xBA, 0x83, 0xAB};

constexpr std::uint32_t GpioProperty = 6;
constexpr std::uint32_t I2cProperty = 4;

constexpr std::uint32_t GpioSetAddress = 0x30000001;
constexpr std::uint32_t GpioRead = 0x30000003;
constexpr std::uint32_t I2cApplySpeed = 0x11000001;
constexpr std::uint32_t I2cSpeed100k = 0x11000002;
constexpr std::uint32_t I2cSpeed200k = 0x11000003;
constexpr std::uint32_t I2cStart = 0x1100000B;
constexpr std::uint32_t I2cStop = 0x1100000C;
constexpr std::uint32_t I2cRead = 0x1100000D;
constexpr std::uint32_t I2cWrite = 0x1100000E;
constexpr std::uint32_t I2cAck = 0x1100000F;
constexpr std::uint32_t I2cNack = 0x11000010;
constexpr std::uint32_t I2cSetReadAddress = 0x11000018;

constexpr std::uint32_t kI2cSlowSpeed = 100000;
constexpr std::uint32_t kI2cFastSpeed = 200000;

// Field offsets.
constexpr std::size_t kCommandOffset = 24;
constexpr std::size_t kGpioAddressOffset = 28;
constexpr std::size_t kGpioValueOffset = 32;
constexpr std::size_t kI2cSpeedOffset = 32;
constexpr std::size_t kI2cAddressOffset = 48;
constexpr std::size_t kI2cDataOffset = 50;

struct GpioRequest {
    std::uint8_t bytes[40];
};
struct I2cRequest {
    std::uint8_t bytes[120];
};

void PutU32(std::uint8_t* bytes, std::size_t offset, std::uint32_t value);
std::uint32_t GetU32(const std::uint8_t* bytes, std::size_t offset);

// Writes the property header and the command code; the rest of the buffer is left as is.
void WriteGpioHeader(GpioRequest& request, std::uint32_t flags, std::uint32_t command);
void WriteI2cHeader(I2cRequest& request, std::uint32_t flags, std::uint32_t command);

// Send over the open channel's device handle and return the driver status.
std::int32_t SendRequest(GpioRequest& request);
std::int32_t SendRequest(I2cRequest& request);
