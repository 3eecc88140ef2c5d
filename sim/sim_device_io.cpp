// Events and device control on the simulated desktop: the capture driver takes each
// property request to the card of the device whose handle it came on, at once or as a
// pending request that completes when the caller waits for it.
#include <algorithm>
#include <cstdint>

#include "platform/device_constants.h"
#include "sim/sim_desktop.h"

namespace {

constexpr Handle kFirstEvent = 0x7000;
constexpr std::size_t kNotLogged = SIZE_MAX;

// The device behind a live device handle, or null.
SimVideoDevice* DeviceOf(SimDesktop& desk, Handle handle, std::size_t* index) {
    if (handle < kSimFirstDeviceHandle || (handle - kSimFirstDeviceHandle) % 4 != 0) return nullptr;
    *index = (handle - kSimFirstDeviceHandle) / 4;
    if (*index >= desk.videoDevices.size() || !desk.com.FilterAlive(*index)) return nullptr;
    return &desk.videoDevices[*index];
}

// Traces the request when asked to, and returns its place in the card's log, or
// kNotLogged when the desktop keeps no log: only what someone reads is kept.
std::size_t LogRequest(SimDesktop& desk, SimCard& card, const std::uint8_t* bytes,
                       std::uint32_t size) {
    bool traced = desk.traceRequests && desk.Tracing();
    if (!desk.logRequests && !traced) return kNotLogged;
    SimCardRequest request;
    if (size >= CARD_HEADER_SIZE) {
        request.command = SimCardCommandName(CardU32(bytes, CARD_COMMAND_OFFSET));
        request.direction = SimCardDirection(CardU32(bytes, CARD_FLAGS_OFFSET));
    } else {
        request.command = "malformed";
        request.direction = "size=" + std::to_string(size);
    }
    if (traced) desk.Trace("request " + request.command + " " + request.direction);
    if (!desk.logRequests) return kNotLogged;
    request.bytes.assign(bytes, bytes + size);
    card.requests.push_back(std::move(request));
    return card.requests.size() - 1;
}

void RecordError(SimCard& card, std::size_t logIndex, std::uint32_t error) {
    if (logIndex != kNotLogged) card.requests[logIndex].error = error;
}

bool EventOpen(const SimComWorld& com, Handle event) {
    return std::find(com.events.begin(), com.events.end(), event) != com.events.end();
}

}  // namespace

Handle SimDesktop::CreateEventA(void*, bool, bool, const char*) {
    ++calls;
    if (createEventError != 0) {
        lastError = createEventError;
        return 0;
    }
    com.nextEvent += 4;
    Handle event = kFirstEvent + com.nextEvent;
    com.events.push_back(event);
    return event;
}

bool SimDesktop::CloseHandle(Handle object) {
    ++calls;
    auto open = std::find(com.events.begin(), com.events.end(), object);
    if (open != com.events.end()) {
        com.events.erase(open);
        return true;
    }
    if (CloseToken(object)) return true;
    // Device handles belong to their filter and are not the caller's to close.
    ++com.misuse;
    lastError = ERROR_INVALID_HANDLE;
    return false;
}

bool SimDesktop::DeviceIoControl(Handle device, std::uint32_t controlCode, void* in,
                                 std::uint32_t inSize, void* out, std::uint32_t outSize,
                                 std::uint32_t* bytesReturned, Overlapped* overlapped) {
    ++calls;
    std::size_t index = 0;
    SimVideoDevice* target = DeviceOf(*this, device, &index);
    if (!target) {
        lastError = ERROR_INVALID_HANDLE;
        return false;
    }
    // The device is open for overlapped I/O: a request needs its record and a live event.
    if (!overlapped || (overlapped->event != 0 && !EventOpen(com, overlapped->event))) {
        lastError = ERROR_INVALID_PARAMETER;
        return false;
    }
    if (controlCode != IOCTL_KS_PROPERTY || !in || !out) {
        lastError = ERROR_INVALID_FUNCTION;
        return false;
    }
    SimCard& card = target->card;
    auto* inBytes = static_cast<const std::uint8_t*>(in);
    auto* outBytes = static_cast<std::uint8_t*>(out);
    std::size_t logIndex = LogRequest(*this, card, inBytes, inSize);
    SimCardFault fault{};
    bool faulty = card.TakeFault(inBytes, inSize, &fault);
    SimCompletion completion = faulty ? fault.completion : card.completion;
    if (completion == SimCompletion::Pending) {
        com.pending.push_back(SimPendingRequest{overlapped, index, inBytes, inSize, outBytes,
                                                outSize, faulty ? fault.error : 0, logIndex});
        lastError = ERROR_IO_PENDING;
        return false;
    }
    std::uint32_t error =
        faulty ? fault.error : card.Answer(inBytes, inSize, outBytes, outSize, heldRawCode);
    RecordError(card, logIndex, error);
    if (error != 0) {
        lastError = error;
        return false;
    }
    if (bytesReturned) *bytesReturned = outSize;
    return true;
}

// A pending request completes only when waited for: the card answers it then.
bool SimDesktop::GetOverlappedResult(Handle, Overlapped* overlapped,
                                     std::uint32_t* bytesTransferred, bool wait) {
    ++calls;
    auto found = std::find_if(com.pending.begin(), com.pending.end(),
                              [overlapped](const SimPendingRequest& request) {
                                  return request.overlapped == overlapped;
                              });
    if (found == com.pending.end()) {
        ++com.misuse;
        lastError = ERROR_INVALID_PARAMETER;
        return false;
    }
    if (!wait) {
        lastError = ERROR_IO_INCOMPLETE;
        return false;
    }
    SimPendingRequest request = *found;
    com.pending.erase(found);
    SimCard& card = videoDevices[request.device].card;
    std::uint32_t error =
        request.faultError != 0
            ? request.faultError
            : card.Answer(request.in, request.inSize, request.out, request.outSize, heldRawCode);
    RecordError(card, request.logIndex, error);
    if (error != 0) {
        lastError = error;
        return false;
    }
    if (bytesTransferred) *bytesTransferred = request.outSize;
    return true;
}
