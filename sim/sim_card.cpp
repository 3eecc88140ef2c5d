// The desktop's TV card: the shared decoder, with the faults, fixed replies and names that
// the simulation's tests and scenarios use.
#include "sim/sim_card.h"

#include <cstdio>
#include <cstring>

#include "platform/device_constants.h"

namespace {

// What the caller of DeviceIoControl sees of the driver's status.
std::uint32_t PlatformError(unsigned int status) {
    switch (status) {
        case CARD_STATUS_SUCCESS:
            return 0;
        case CARD_STATUS_PROPSET_NOT_FOUND:
            return ERROR_SET_NOT_FOUND;
        case CARD_STATUS_NOT_FOUND:
            return ERROR_NOT_FOUND;
        case CARD_STATUS_BUFFER_TOO_SMALL:
            return ERROR_INSUFFICIENT_BUFFER;
        case CARD_STATUS_NOT_SUPPORTED:
            return ERROR_NOT_SUPPORTED;
        case CARD_STATUS_IO_DEVICE_ERROR:
            return ERROR_IO_DEVICE;
        default:
            return ERROR_INVALID_PARAMETER;
    }
}

}  // namespace

bool SimCardCommandCode(const std::string& name, std::uint32_t* code) {
    for (const CARD_COMMAND& command : cardCommands) {
        if (name == command.name) {
            *code = command.code;
            return true;
        }
    }
    return false;
}

std::string SimCardCommandName(std::uint32_t code) {
    int index = CardCommandIndex(code);
    if (index >= 0) return cardCommands[index].name;
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
    CARD_STATE now = state;
    now.kind = static_cast<unsigned>(kind);
    now.keyLine = keyLine;
    now.heldCode = heldRawCode;
    return CardRegisterValue(&now, address);
}

bool SimCard::TakeFault(const std::uint8_t* bytes, std::uint32_t size, SimCardFault* fault) {
    if (size < CARD_HEADER_SIZE) return false;
    std::uint32_t flags = CardU32(bytes, CARD_FLAGS_OFFSET);
    std::uint32_t code = CardU32(bytes, CARD_COMMAND_OFFSET);
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
    CARD_REQUEST request;
    unsigned int status = CardDecode(in, inSize, outSize, &request);
    if (status != CARD_STATUS_SUCCESS) return PlatformError(status);
    if (out != in) std::memcpy(out, in, inSize);
    state.kind = static_cast<unsigned>(kind);
    state.keyLine = keyLine;
    state.heldCode = heldRawCode;
    status = CardExecute(&state, &request, in, out);
    if (status != CARD_STATUS_SUCCESS) return PlatformError(status);

    if (request.command == CARD_GPIO_READ) {
        auto fixed = fixedRegisters.find(state.selectedRegister);
        if (fixed != fixedRegisters.end()) CardPutU32(out, CARD_GPIO_VALUE_OFFSET, fixed->second);
    }
    if (request.command == CARD_I2C_READ && fixedI2cByte >= 0) {
        out[CARD_I2C_DATA_OFFSET] = static_cast<std::uint8_t>(fixedI2cByte);
    }
    if (replyFill >= 0) std::memset(out + CARD_HEADER_SIZE, replyFill, inSize - CARD_HEADER_SIZE);
    return 0;
}
