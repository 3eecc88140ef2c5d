// The simulated card's request decoder fed any buffers, one after another on one card so
// that its I2C bus walks through its states: whatever comes in, it answers with one of its
// errors or a reply of the request's own size, never touches memory past either buffer,
// and keeps its bus state consistent.
#include <cstring>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/device_constants.h"
#include "sim/card/card_decoder.h"
#include "sim/sim_card.h"

namespace {

constexpr std::uint8_t kPropertySet[16] = CARD_PROPERTY_SET_BYTES;
constexpr std::uint32_t kUnknownCommands[] = {0x30000002, 0x11000000};
constexpr std::uint32_t kProperties[] = {6, 4, 5, 0};
constexpr std::uint32_t kFlags[] = {KSPROPERTY_TYPE_SET, KSPROPERTY_TYPE_GET, 0, 3};
constexpr std::uint32_t kErrors[] = {0,
                                     ERROR_INVALID_PARAMETER,
                                     ERROR_SET_NOT_FOUND,
                                     ERROR_NOT_FOUND,
                                     ERROR_INSUFFICIENT_BUFFER,
                                     ERROR_NOT_SUPPORTED,
                                     ERROR_IO_DEVICE};
constexpr std::size_t kMostRequests = 64;

// A command of the table, now and then one that the card does not know.
std::uint32_t CommandCode(ByteSource& input) {
    std::size_t pick = input.Below(CARD_COMMAND_COUNT + 2);
    return pick < CARD_COMMAND_COUNT ? cardCommands[pick].code
                                     : kUnknownCommands[pick - CARD_COMMAND_COUNT];
}

std::uint32_t SizeOf(std::uint8_t choice, ByteSource& input) {
    switch (choice & 3) {
        case 0:
            return 40;
        case 1:
            return 120;
        case 2:
            return input.Byte();
        default:
            return (input.Flag() ? 40 : 120) + input.Below(7) - 3;
    }
}

// Mostly a well-formed header, so that the decoder's deeper checks are reached.
void StampHeader(std::vector<std::uint8_t>& request, ByteSource& input) {
    if (request.size() < CARD_HEADER_SIZE) return;
    std::memcpy(request.data(), kPropertySet, sizeof kPropertySet);
    CardPutU32(request.data(), CARD_PROPERTY_OFFSET, input.Pick(kProperties));
    CardPutU32(request.data(), CARD_FLAGS_OFFSET, input.Pick(kFlags));
    CardPutU32(request.data(), CARD_COMMAND_OFFSET, CommandCode(input));
}

bool KnownError(std::uint32_t error) {
    for (std::uint32_t known : kErrors) {
        if (error == known) return true;
    }
    return false;
}

void RequireReply(const SimCard& card, const std::vector<std::uint8_t>& request,
                  const std::uint8_t* out, std::uint32_t outSize, int held) {
    std::uint32_t size = static_cast<std::uint32_t>(request.size());
    Require(size == 40 || size == 120, "a reply only to a request of a property's size");
    Require(outSize == size, "a reply as long as its request");
    Require(std::memcmp(out, request.data(), CARD_HEADER_SIZE) == 0,
            "a reply keeps the request's header");
    if (card.replyFill >= 0) return;
    std::uint32_t flags = CardU32(request.data(), CARD_FLAGS_OFFSET);
    int command = CardCommandIndex(CardU32(request.data(), CARD_COMMAND_OFFSET));
    if (command == CARD_GPIO_READ && flags == KSPROPERTY_TYPE_GET) {
        Require(CardU32(out, CARD_GPIO_VALUE_OFFSET) ==
                    card.RegisterValue(card.state.selectedRegister, held),
                "a GPIO read answers the selected register");
    }
    if (command == CARD_I2C_READ) {
        int expected = card.fixedI2cByte >= 0 ? card.fixedI2cByte : (held >= 0 ? held : 0xFF);
        Require(out[CARD_I2C_DATA_OFFSET] == static_cast<std::uint8_t>(expected),
                "an I2C read answers its byte");
    }
}

void RequireBusState(const CARD_STATE& bus) {
    Require(bus.busSpeed == 100000 || bus.busSpeed == 200000, "bus speed is 100 or 200 kHz");
    Require(bus.selectedSpeed == 100000 || bus.selectedSpeed == 200000,
            "selected speed is 100 or 200 kHz");
    Require(!bus.deviceAddressed || bus.busStarted, "a device is addressed only on a started bus");
}

void SendOne(SimCard& card, ByteSource& input, int held) {
    std::uint8_t shape = input.Byte();
    std::vector<std::uint8_t> request(SizeOf(shape, input), 0);
    std::size_t taken = 0;
    const std::uint8_t* bytes = input.Take(request.size(), &taken);
    if (taken > 0) std::memcpy(request.data(), bytes, taken);
    if (shape & 4) StampHeader(request, input);
    if (shape & 32) {
        card.FailCommand(CommandCode(input), input.U16(),
                         input.Flag() ? SimFaultRepeat::Always : SimFaultRepeat::Once,
                         SimCompletion::Immediate, input.Below(3));
        SimCardFault fault{};
        if (card.TakeFault(request.data(), static_cast<std::uint32_t>(request.size()), &fault)) {
            Require(request.size() >= CARD_HEADER_SIZE &&
                        fault.command == CardU32(request.data(), CARD_COMMAND_OFFSET),
                    "a fault fires only for its command");
        }
    }
    auto inSize = static_cast<std::uint32_t>(request.size());
    std::uint32_t outSize = inSize;
    if ((shape & 16) && inSize >= 2) outSize = inSize + input.Below(5) - 2;

    // Exactly sized heap blocks, so that any access past one is caught.
    std::vector<std::uint8_t> in(request);
    std::uint8_t* out = nullptr;
    std::vector<std::uint8_t> separate;
    if (shape & 8) {
        separate.assign(outSize, 0xCD);
        out = separate.data();
    } else {
        out = in.data();
        outSize = inSize;
    }
    std::uint32_t error = card.Answer(in.data(), inSize, out, outSize, held);
    Require(KnownError(error), "an answer is success or one of the card's errors");
    if (shape & 8) Require(in == request, "the card does not write into a separate request");
    if (error == 0) RequireReply(card, request, out, outSize, held);
    RequireBusState(card.state);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteSource input(data, size);
    SimCard card;
    std::uint8_t setup = input.Byte();
    card.kind = (setup & 1) ? SimCardKind::I2c : SimCardKind::Gpio;
    card.keyLine = input.Byte();
    if (setup & 2) card.replyFill = input.Byte();
    if (setup & 4) card.fixedI2cByte = input.Byte();
    if (setup & 8) card.fixedRegisters[input.U32()] = input.U32();
    int held = (setup & 16) ? -1 : input.Byte();
    for (std::size_t count = 0; count < kMostRequests && !input.Empty(); ++count)
        SendOne(card, input, held);
    return 0;
}
