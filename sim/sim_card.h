// The TV card on the simulated desktop, and the platform's device discovery around it:
// video-input devices with friendly names, the COM objects that enumerate and bind them,
// and the card, whose decoder (sim/card/card_decoder.h) checks each property request byte
// by byte and answers from its GPIO registers and from the remote receiver's device at
// I2C address 0x60. Around the decoder the desktop's card adds what tests script: faults,
// pending completion, replies that ignore the remote, and a log of the requests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "sim/card/card_decoder.h"

enum class SimFaultRepeat { Once, Always };
// Hung: the driver leaves the request pending and completes it only when it is cancelled.
enum class SimCompletion { Immediate, Pending, Hung };

// A command that the card fails, with the platform error it reports.
struct SimCardFault {
    std::uint32_t command;
    std::uint32_t error;
    SimFaultRepeat repeat;
    SimCompletion completion;  // Pending: reported pending first, failing when waited for
    std::uint32_t flags;       // 0: set and get alike; otherwise only these flags
};

// A request as the card received it.
struct SimCardRequest {
    std::string command;              // the name in the command table, or the code in hex
    std::string direction;            // "set", "get", or "flags=N"
    std::vector<std::uint8_t> bytes;  // the whole input buffer
    std::uint32_t error = 0;          // what the request finally gave; 0 for success
};

enum class SimCardKind : unsigned {
    Gpio = CARD_KIND_GPIO,  // the code is in bits 0 to 5 of the key line's register
    I2c = CARD_KIND_I2C,    // the code is the byte of the device at I2C address 0x60
};

inline CARD_STATE InitialCardState() {
    CARD_STATE state;
    CardInitState(&state, CARD_KIND_GPIO, 14);
    return state;
}

struct SimCard {
    SimCardKind kind = SimCardKind::Gpio;
    std::uint8_t keyLine = 14;  // GPIO line that goes low while a remote key is down

    // Driver replies that ignore the remote: registers that read as given, the byte the
    // I2C device gives (-1: the remote's code), a byte that fills every successful
    // reply from offset 28 on (-1: none).
    std::map<std::uint32_t, std::uint32_t> fixedRegisters;
    int fixedI2cByte = -1;
    int replyFill = -1;

    SimCompletion completion = SimCompletion::Immediate;  // of the requests that succeed
    std::vector<SimCardFault> faults;
    // Only while the desktop's logRequests is on: a long run would otherwise keep every
    // poll's requests.
    std::vector<SimCardRequest> requests;

    CARD_STATE state = InitialCardState();  // the hardware: selected register, I2C bus

    void FailCommand(std::uint32_t command, std::uint32_t error,
                     SimFaultRepeat repeat = SimFaultRepeat::Once,
                     SimCompletion completion = SimCompletion::Immediate, std::uint32_t flags = 0);
    // "GpioSetAddress set", "GpioRead get", ... in the order received.
    std::vector<std::string> Commands() const;
    std::uint32_t RegisterValue(std::uint32_t address, int heldRawCode) const;
    // The fault that a request with this header meets, removed when it fires once.
    bool TakeFault(const std::uint8_t* bytes, std::uint32_t size, SimCardFault* fault);
    // Decodes the request in `in` and writes the reply into `out`; the platform error,
    // 0 for success.
    std::uint32_t Answer(const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                         std::uint32_t outSize, int heldRawCode);
};

struct SimVideoDevice {
    std::u16string friendlyName;
    bool propertyBagFails = false;  // BindToStorage fails: the walk skips the device
    bool givesHandle = true;        // false: KsGetObjectHandle answers null
    SimCard card;
};

// The card's command table, for scenario scripts.
bool SimCardCommandCode(const std::string& name, std::uint32_t* code);
std::string SimCardCommandName(std::uint32_t code);  // the code in hex when unknown
std::string SimCardDirection(std::uint32_t flags);

enum class SimComKind {
    DeviceEnumerator,
    MonikerEnumerator,
    Moniker,
    PropertyBag,
    Filter,
    KsObject
};

struct SimComObject {
    SimComKind kind;
    std::size_t device;    // the device of a moniker, bag, filter or its IKsObject
    std::uint32_t refs;    // 0: released
    std::size_t position;  // next moniker of an enumerator
    ComRef filter;         // the filter that an IKsObject belongs to, and keeps alive
};

// A request that the card reported pending, completed when it is waited for.
struct SimPendingRequest {
    Overlapped* overlapped;
    std::size_t device;
    const std::uint8_t* in;
    std::uint32_t inSize;
    std::uint8_t* out;
    std::uint32_t outSize;
    std::uint32_t faultError;  // 0: the card answers when it completes
    std::size_t logIndex;
    Handle handle = 0;       // the device handle it was sent on
    Handle event = 0;        // the caller's event, signalled when it completes
    bool hung = false;       // completes only when cancelled
    bool completed = false;  // its event is signalled; `result` is its error
    std::uint32_t result = 0;
};

// What COM and the kernel hold for the utility: objects, strings, events and requests
// in flight. `misuse` counts calls on released or unknown objects, strings and handles.
struct SimComWorld {
    int initialized = 0;  // CoInitialize calls not yet undone
    int misuse = 0;
    std::vector<SimComObject> objects;
    std::map<BStr, std::u16string> strings;
    BStr nextString = 0;
    std::vector<Handle>
        events;  // open events; a vector keeps its room, so a poll allocates nothing
    Handle nextEvent = 0;
    std::vector<SimPendingRequest> pending;

    int LiveObjects() const;
    // Whether a capture filter of the device is still alive, and with it its handle.
    bool FilterAlive(std::size_t device) const;
};

// Device handles are the device's place in the list, as a handle value.
constexpr Handle kSimFirstDeviceHandle = 0x5000;
// A device handle is the first handle, plus the device object's generation in steps of
// this, plus four times the device's place in the list.
constexpr Handle kSimGenerationStep = 0x10000;
