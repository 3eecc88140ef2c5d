// The TV card model: the driver's side of the receiver's property requests.
#include "sim/sim_card.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/device_constants.h"

namespace {

constexpr std::uint8_t kPropertySet[16] = {0x10, 0x1A, 0x4A, 0xC4, 0x37, 0x0A, 0xD2, 0x11,
                                           0x83, 0x28, 0x00, 0x60, 0x97, 0xBA, 0x83, 0xAB};
constexpr std::uint32_t kGpioProperty = 6;
constexpr std::uint32_t kI2cProperty = 4;
constexpr std::uint32_t kGpioSize = 40;
constexpr std::uint32_t kI2cSize = 120;
constexpr std::uint32_t kHeaderSize = 28;
constexpr std::uint32_t kFirstGpioRegister = 0x350010;
constexpr std::uint8_t kRemoteDevice = 0x60;

struct SimCommand {
    const char* name;
    std::uint32_t code;
    std::uint32_t property;
    bool set;
    bool get;
};

constexpr SimCommand kCommands[] = {
    {"GpioSetAddress", 0x30000001, kGpioProperty, true, false},
    {"GpioRead", 0x30000003, kGpioProperty, true, true},
    {"I2cApplySpeed", 0x11000001, kI2cProperty, true, false},
    {"I2cSpeed100k", 0x11000002, kI2cProperty, true, false},
    {"I2cSpeed200k", 0x11000003, kI2cProperty, true, false},
    {"I2cStart", 0x1100000B, kI2cProperty, true, false},
    {"I2cStop", 0x1100000C, kI2cProperty, true, false},
    {"I2cRead", 0x1100000D, kI2cProperty, false, true},
    {"I2cWrite", 0x1100000E, kI2cProperty, true, false},
    {"I2cAck", 0x1100000F, kI2cProperty, true, false},
    {"I2cNack", 0x11000010, kI2cProperty, true, false},
    {"I2cSetReadAddress", 0x11000018, kI2cProperty, true, false},
};

enum : std::uint32_t {
    kGpioSetAddress = 0x30000001,
    kGpioRead = 0x30000003,
    kI2cApplySpeed = 0x11000001,
    kI2cSpeed100k = 0x11000002,
    kI2cSpeed200k = 0x11000003,
    kI2cStart = 0x1100000B,
    kI2cStop = 0x1100000C,
    kI2cRead = 0x1100000D,
    kI2cWrite = 0x1100000E,
    kI2cAck = 0x1100000F,
    kI2cNack = 0x11000010,
    kI2cSetReadAddress = 0x11000018,
};

const SimCommand* CommandOf(std::uint32_t code) {
    for (const SimCommand& command : kCommands) {
        if (command.code == code) return &command;
    }
    return nullptr;
}

std::uint32_t U32(const std::uint8_t* bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) | bytes[offset + 1] << 8 |
           bytes[offset + 2] << 16 | static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

void PutU32(std::uint8_t* bytes, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

bool Zero(const std::uint8_t* bytes, std::size_t from, std::size_t to) {
    return std::all_of(bytes + from, bytes + to, [](std::uint8_t byte) { return byte == 0; });
}

// Which bytes of a set request may carry something: the command's own field only.
bool GpioPayloadValid(std::uint32_t code, const std::uint8_t* bytes) {
    bool addressAllowed = code == kGpioSetAddress;
    return (addressAllowed || Zero(bytes, 28, 32)) && Zero(bytes, 32, kGpioSize);
}

bool I2cPayloadValid(std::uint32_t code, const std::uint8_t* bytes) {
    std::uint32_t speed = U32(bytes, 32);
    bool speedValid = code == kI2cSpeed100k   ? speed == 100000
                      : code == kI2cSpeed200k ? speed == 200000
                                              : speed == 0;
    bool addressValid = code == kI2cSetReadAddress || bytes[48] == 0;
    bool dataValid = code == kI2cWrite || bytes[50] == 0;
    return speedValid && addressValid && dataValid && Zero(bytes, 28, 32) && Zero(bytes, 36, 48) &&
           bytes[49] == 0 && Zero(bytes, 51, kI2cSize);
}

}  // namespace

bool SimCardCommandCode(const std::string& name, std::uint32_t* code) {
    for (const SimCommand& command : kCommands) {
        if (name == command.name) {
            *code = command.code;
            return true;
        }
    }
    return false;
}

std::string SimCardCommandName(std::uint32_t code) {
    if (const SimCommand* command = CommandOf(code)) return command->name;
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", code);
    return text;
}

std::string SimCardDirection(std::uint32_t flags) {
    if (flags == KSPROPERTY_TYPE_SET) return "set";
    if (flags == KSPROPERTY_TYPE_GET) return "get";
    return "flags=" + std::to_string(flags);
}

void SimCard::FailCommand(std::uint32_t command, std::uint32_t error, SimFaultRepeat repeat,
                          SimCompletion faultCompletion, std::uint32_t flags) {
    faults.push_back(SimCardFault{command, error, repeat, faultCompletion, flags});
}

std::vector<std::string> SimCard::Commands() const {
    std::vector<std::string> lines;
    for (const SimCardRequest& request : requests)
        lines.push_back(request.command + " " + request.direction);
    return lines;
}

std::uint32_t SimCard::RegisterValue(std::uint32_t address, int heldRawCode) const {
    auto fixed = fixedRegisters.find(address);
    if (fixed != fixedRegisters.end()) return fixed->second;
    std::uint32_t value = 0xFFFFFFFF;  // idle lines read high
    std::uint32_t keyRegister = kFirstGpioRegister + (keyLine / 8u) * 4u;
    if (heldRawCode < 0 || address != keyRegister) return value;
    value &= ~(1u << (keyLine % 8u));
    if (kind == SimCardKind::Gpio) value = (value & ~0x3Fu) | (heldRawCode & 0x3Fu);
    return value;
}

bool SimCard::TakeFault(const std::uint8_t* bytes, std::uint32_t size, SimCardFault* fault) {
    if (size < kHeaderSize) return false;
    std::uint32_t flags = U32(bytes, 20);
    std::uint32_t code = U32(bytes, 24);
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (it->command != code || (it->flags != 0 && it->flags != flags)) continue;
        *fault = *it;
        if (it->repeat == SimFaultRepeat::Once) faults.erase(it);
        return true;
    }
    return false;
}

std::uint32_t SimCard::Answer(const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                              std::uint32_t outSize, int heldRawCode) {
    if (inSize < kHeaderSize || outSize != inSize) return ERROR_INVALID_PARAMETER;
    if (std::memcmp(in, kPropertySet, sizeof kPropertySet) != 0) return ERROR_SET_NOT_FOUND;
    std::uint32_t property = U32(in, 16);
    std::uint32_t flags = U32(in, 20);
    std::uint32_t code = U32(in, 24);
    if (property != kGpioProperty && property != kI2cProperty) return ERROR_NOT_FOUND;
    std::uint32_t size = property == kGpioProperty ? kGpioSize : kI2cSize;
    if (inSize < size) return ERROR_INSUFFICIENT_BUFFER;
    if (inSize > size) return ERROR_INVALID_PARAMETER;
    const SimCommand* command = CommandOf(code);
    if (!command || command->property != property) return ERROR_NOT_SUPPORTED;
    bool set = flags == KSPROPERTY_TYPE_SET;
    bool get = flags == KSPROPERTY_TYPE_GET;
    if (!(set && command->set) && !(get && command->get)) return ERROR_INVALID_PARAMETER;
    // A get's payload is the driver's to fill: what comes in there is not read.
    if (set &&
        !(property == kGpioProperty ? GpioPayloadValid(code, in) : I2cPayloadValid(code, in)))
        return ERROR_INVALID_PARAMETER;
    if (out != in) std::memcpy(out, in, inSize);

    switch (code) {
        case kGpioSetAddress:
            selectedRegister = U32(in, 28);
            break;
        case kGpioRead:
            PutU32(out, 32, RegisterValue(selectedRegister, heldRawCode));
            break;
        case kI2cApplySpeed:
            busSpeed = selectedSpeed;
            break;
        case kI2cSpeed100k:
        case kI2cSpeed200k:
            selectedSpeed = U32(in, 32);
            break;
        case kI2cStart:
            busStarted = true;
            deviceAddressed = false;
            break;
        case kI2cStop:
            busStarted = false;
            deviceAddressed = false;
            break;
        case kI2cSetReadAddress:
            readAddress = in[48];
            break;
        case kI2cWrite:
            if (!busStarted) return ERROR_IO_DEVICE;
            if (!deviceAddressed) {
                // The first byte after a start addresses a device; only the receiver's
                // device on an I2C card acknowledges.
                bool receiver = kind == SimCardKind::I2c && (in[50] & 0xFE) == kRemoteDevice;
                if (!receiver) return ERROR_IO_DEVICE;
                deviceAddressed = true;
            }
            break;
        case kI2cRead:
            if (!deviceAddressed) return ERROR_IO_DEVICE;
            out[50] = static_cast<std::uint8_t>(
                fixedI2cByte >= 0 ? fixedI2cByte : (heldRawCode >= 0 ? heldRawCode : 0xFF));
            break;
        case kI2cAck:
        case kI2cNack:
            if (!deviceAddressed) return ERROR_IO_DEVICE;
            break;
        default:
            return ERROR_NOT_SUPPORTED;
    }
    if (replyFill >= 0) std::memset(out + kHeaderSize, replyFill, inSize - kHeaderSize);
    return 0;
}
