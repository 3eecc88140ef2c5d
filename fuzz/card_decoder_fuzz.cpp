// The simulated card's request decoder fed any buffers, one after another on one card so
// that its I2C bus walks through its states: whatever comes in, it answers with one of its
// errors or a reply of the request's own size, never touches memory past either buffer,
// and keeps its bus state consistent.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/device_constants.h"
#include "receiver/property_requests.h"
#include "sim/sim_card.h"

namespace {

constexpr std::uint32_t kCommands[] = {
    0x30000001, 0x30000003, 0x11000001, 0x11000002, 0x11000003, 0x1100000B, 0x1100000C,
    0x1100000D, 0x1100000E, 0x1100000F, 0x11000010, 0x11000018, 0x30000002, 0x11000000,
};
constexpr std::uint32_t kProperties[] = {6, 4, 5, 0};
constexpr std::uint32_t kFlags[] = {KSPROPERTY_TYPE_SET, KSPROPERTY_TYPE_GET, 0, 3};
constexpr std::uint32_t kErrors[] = {ERROR_INVALID_PARAMETER, ERROR_SET_NOT_FOUND,
                                     ERROR_NOT_FOUND,         ERROR_INSUFFICIENT_BUFFER,
                                     ERROR_NOT_SUPPORTED,     ERROR_IO_DEVICE};
constexpr std::size_t kMostRequests = 64;

// The request's fields are little-endian, as on the machines the simulator runs on.
std::uint32_t U32(const std::uint8_t* bytes, std::size_t offset) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes + offset, 4);
    return value;
}

// A property's size (40 GPIO, 120 I2C), any size, or a few bytes off a property's.
std::uint32_t SizeOf(std::uint8_t choice, ByteSource& input) {
    if ((choice & 3) == 2) return input.Byte();
    if ((choice & 3) == 3) return (input.Flag() ? 40 : 120) + input.Below(7) - 3;
    return (choice & 3) == 0 ? 40 : 120;
}

// Mostly a well-formed header, so that the decoder's deeper checks are reached.
void StampHeader(std::vector<std::uint8_t>& request, ByteSource& input) {
    if (request.size() < 28) return;
    std::memcpy(request.data(), ReceiverPropertySet, sizeof ReceiverPropertySet);
    const std::uint32_t fields[3] = {input.Pick(kProperties), input.Pick(kFlags),
                                     input.Pick(kCommands)};
    std::memcpy(request.data() + 16, fields, sizeof fields);
}

void RequireReply(const SimCard& card, const std::vector<std::uint8_t>& request,
                  const std::uint8_t* out, std::uint32_t outSize, int held) {
    std::uint32_t size = static_cast<std::uint32_t>(request.size());
    Require(size == 40 || size == 120, "a reply only to a request of a property's size");
    Require(outSize == size, "a reply as long as its request");
    Require(std::memcmp(out, request.data(), 28) == 0, "a reply keeps the request's header");
    if (card.replyFill >= 0) return;
    std::uint32_t flags = U32(request.data(), 20);
    std::uint32_t code = U32(request.data(), 24);
    if (code == 0x30000003 && flags == KSPROPERTY_TYPE_GET) {
        Require(U32(out, 32) == card.RegisterValue(card.selectedRegister, held),
                "a GPIO read answers the selected register");
    }
    if (code == 0x1100000D) {
        int expected = card.fixedI2cByte >= 0 ? card.fixedI2cByte : (held >= 0 ? held : 0xFF);
        Require(out[50] == static_cast<std::uint8_t>(expected), "an I2C read answers its byte");
    }
}

void RequireBusState(const SimCard& card) {
    Require(card.busSpeed == 100000 || card.busSpeed == 200000, "bus speed is 100 or 200 kHz");
    Require(card.selectedSpeed == 100000 || card.selectedSpeed == 200000,
            "selected speed is 100 or 200 kHz");
    Require(!card.deviceAddressed || card.busStarted,
            "a device is addressed only on a started bus");
}

void SendOne(SimCard& card, ByteSource& input, int held) {
    std::uint8_t shape = input.Byte();
    std::vector<std::uint8_t> request(SizeOf(shape, input), 0);
    std::size_t taken = 0;
    const std::uint8_t* bytes = input.Take(request.size(), &taken);
    if (taken > 0) std::memcpy(request.data(), bytes, taken);
    if (shape & 4) StampHeader(request, input);
    if (shape & 32) {
        card.FailCommand(input.Pick(kCommands), input.U16(),
                         input.Flag() ? SimFaultRepeat::Always : SimFaultRepeat::Once,
                         SimCompletion::Immediate, input.Below(3));
        SimCardFault fault{};
        if (card.TakeFault(request.data(), static_cast<std::uint32_t>(request.size()), &fault)) {
            Require(request.size() >= 28 && fault.command == U32(request.data(), 24),
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
    Require(error == 0 || std::count(std::begin(kErrors), std::end(kErrors), error) == 1,
            "an answer is success or one of the card's errors");
    if (shape & 8) Require(in == request, "the card does not write into a separate request");
    if (error == 0) RequireReply(card, request, out, outSize, held);
    RequireBusState(card);
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
