// Devices and the card: device discovery (COM, the system device enumerator over the
// video-input category, monikers, property bags, capture filters and their IKsObject, each
// object counted so that a leak or a stray release shows); events and device control, by
// which the capture driver takes each property request to the card of the device whose
// handle it came on, at once or as a pending request that completes when the caller waits
// for it; the remote control that the cards see; and devices that go away and come back.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/device_constants.h"
#include "sim/card/card_decoder.h"
#include "sim/sim_desktop.h"
#include "sim/sim_text.h"

namespace {

constexpr HResult kENoInterface = static_cast<HResult>(0x80004002u);
constexpr HResult kEPointer = static_cast<HResult>(0x80004003u);
constexpr HResult kEFail = static_cast<HResult>(0x80004005u);
constexpr HResult kEInvalidArg = static_cast<HResult>(0x80070057u);
constexpr HResult kClassNotRegistered = static_cast<HResult>(0x80040154u);
constexpr HResult kComNotInitialized = static_cast<HResult>(0x800401F0u);

constexpr Guid kSystemDeviceEnum = {
    0x62BE5D10, 0x60EB, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
constexpr Guid kICreateDevEnum = {
    0x29840822, 0x5B84, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
constexpr Guid kVideoInputCategory = {
    0x860BB310, 0x5D01, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
constexpr Guid kIPropertyBag = {
    0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}};
constexpr Guid kIBaseFilter = {
    0x56A86895, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
constexpr Guid kIKsObject = {
    0x423C13A2, 0x2070, 0x11D0, {0x9E, 0xF7, 0x00, 0xAA, 0x00, 0xA2, 0x16, 0xA1}};

constexpr ComRef kFirstComRef = 0xC00000;
constexpr ComRef kComRefStep = 0x10;
constexpr BStr kFirstString = 0xB00000;

const char* const kI2cBoards[] = {"Sorrel DVBS Q7 Video Capture"};

bool Same(const Guid& a, const Guid& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

ComRef NewObject(SimComWorld& com, SimComKind kind, std::size_t device, ComRef filter = 0) {
    com.objects.push_back(SimComObject{kind, device, 1, 0, filter});
    return kFirstComRef + (com.objects.size() - 1) * kComRefStep;
}

// The live object behind a reference of the given kind, or null (counted as misuse).
SimComObject* LiveObject(SimComWorld& com, ComRef ref, SimComKind kind) {
    std::size_t index = (ref - kFirstComRef) / kComRefStep;
    bool known = ref >= kFirstComRef && (ref - kFirstComRef) % kComRefStep == 0 &&
                 index < com.objects.size();
    if (!known || com.objects[index].refs == 0 || com.objects[index].kind != kind) {
        ++com.misuse;
        return nullptr;
    }
    return &com.objects[index];
}

constexpr Handle kFirstEvent = 0x7000;
constexpr Handle kGenerationStep = kSimGenerationStep;
constexpr std::size_t kNotLogged = SIZE_MAX;

ComRef RefOf(std::size_t object) {
    return kFirstComRef + object * kComRefStep;
}

// Whether a capture filter bound in that generation of the device is still held, and with
// it the handle it gave.
bool FilterAlive(const SimDevices& devices, std::size_t device, std::uint32_t generation) {
    const auto& objects = devices.com.objects;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (objects[i].kind != SimComKind::Filter || objects[i].device != device ||
            objects[i].refs == 0)
            continue;
        auto bound = devices.filterGenerations.find(RefOf(i));
        if (bound != devices.filterGenerations.end() && bound->second == generation) return true;
    }
    return false;
}

// The device behind a live device handle, or null; `gone` when that device object is no
// more: the device went away or was made anew since the handle was given.
SimVideoDevice* DeviceOf(SimDevices& devices, Handle handle, std::size_t* index, bool* gone) {
    if (handle < kSimFirstDeviceHandle || (handle - kSimFirstDeviceHandle) % 4 != 0) return nullptr;
    Handle offset = handle - kSimFirstDeviceHandle;
    *index = (offset % kGenerationStep) / 4;
    auto generation = static_cast<std::uint32_t>(offset / kGenerationStep);
    if (*index >= devices.videoDevices.size() || !devices.com.FilterAlive(*index)) return nullptr;
    const SimDeviceNode& node = devices.NodeOf(*index);
    *gone = !node.present || node.generation != generation;
    // Only a handle of a device object that is no more needs its own filter looked up.
    if (*gone && !FilterAlive(devices, *index, generation)) return nullptr;
    return &devices.videoDevices[*index];
}

std::string Quoted(const std::u16string& name) {
    return "\"" + std::string(name.begin(), name.end()) + "\"";
}

// Traces the request when asked to, and returns its place in the card's log, or
// kNotLogged when the desktop keeps no log: only what someone reads is kept.
std::size_t LogRequest(SimDesktop& desk, SimCard& card, const std::uint8_t* bytes,
                       std::uint32_t size) {
    bool traced = desk.devices.traceRequests && desk.Tracing();
    if (!desk.devices.logRequests && !traced) return kNotLogged;
    SimCardRequest request;
    if (size >= CARD_HEADER_SIZE) {
        request.command = SimCardCommandName(CardU32(bytes, CARD_COMMAND_OFFSET));
        request.direction = SimCardDirection(CardU32(bytes, CARD_FLAGS_OFFSET));
    } else {
        request.command = "malformed";
        request.direction = "size=" + std::to_string(size);
    }
    if (traced) desk.Trace("request " + request.command + " " + request.direction);
    if (!desk.devices.logRequests) return kNotLogged;
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

bool SimHandleOpen(const SimDevices& devices, std::size_t device, std::uint32_t generation) {
    return FilterAlive(devices, device, generation);
}

int SimComWorld::LiveObjects() const {
    int live = 0;
    for (const SimComObject& object : objects)
        live += object.refs > 0 ? 1 : 0;
    return live;
}

bool SimComWorld::FilterAlive(std::size_t device) const {
    for (const SimComObject& object : objects) {
        if (object.kind == SimComKind::Filter && object.device == device && object.refs > 0)
            return true;
    }
    return false;
}

SimVideoDevice& SimDevices::AddVideoDevice(const std::string& friendlyName) {
    SimVideoDevice device;
    device.friendlyName.assign(friendlyName.begin(), friendlyName.end());
    for (const char* board : kI2cBoards) {
        if (friendlyName == board) {
            device.card.kind = SimCardKind::I2c;
            device.card.keyLine = 0;
        }
    }
    videoDevices.push_back(device);
    NodeOf(videoDevices.size() - 1) = SimDeviceNode{};
    return videoDevices.back();
}

bool SimDesktop::UnplugDevice(const std::string& friendlyName, std::uint32_t error) {
    devices.traceDiscovery = true;
    std::u16string name(friendlyName.begin(), friendlyName.end());
    for (std::size_t i = 0; i < devices.videoDevices.size(); ++i) {
        SimDeviceNode& node = devices.NodeOf(i);
        if (devices.videoDevices[i].friendlyName != name || !node.present) continue;
        node.present = false;
        node.goneError = error;
        Trace("unplug " + Quoted(name));
        return true;
    }
    return false;
}

void SimDesktop::PlugDevice(const std::string& friendlyName) {
    devices.traceDiscovery = true;
    std::u16string name(friendlyName.begin(), friendlyName.end());
    Trace("plug " + Quoted(name));
    for (std::size_t i = 0; i < devices.videoDevices.size(); ++i) {
        SimDeviceNode& node = devices.NodeOf(i);
        if (devices.videoDevices[i].friendlyName != name || node.present) continue;
        node.present = true;
        ++node.generation;
        return;
    }
    devices.AddVideoDevice(friendlyName);
}

void SimDesktop::RecreateDevices() {
    for (std::size_t i = 0; i < devices.videoDevices.size(); ++i) {
        SimDeviceNode& node = devices.NodeOf(i);
        if (node.present) ++node.generation;
    }
}

// Every top-level window hears of it; the DBT_DEVICEARRIVAL of a device interface would
// need a registration (RegisterDeviceNotification), so a broadcast one stands for a port
// or volume.
void SimDesktop::BroadcastDeviceChange(std::uint32_t event) {
    devices.traceDiscovery = true;
    Trace("device change " + std::to_string(event));
    BroadcastToTopLevel(WM_DEVICECHANGE, event, 0);
}

// The remote control is a world event: the key is down whatever the thread is doing.
void SimDesktop::PressRemote(std::uint64_t at, int rawCode, std::uint32_t forMs) {
    At(at, [this, rawCode] { devices.heldRawCode = rawCode; });
    At(at + forMs, [this] { devices.heldRawCode = -1; });
}

HResult SimDesktop::CoInitialize(void*) {
    ++calls;
    return devices.com.initialized++ == 0 ? S_OK : S_FALSE;
}

void SimDesktop::CoUninitialize() {
    ++calls;
    if (devices.com.initialized > 0) {
        --devices.com.initialized;
    } else {
        ++devices.com.misuse;
    }
}

HResult SimDesktop::CoCreateInstance(const Guid& clsid, ComRef, std::uint32_t context,
                                     const Guid& iid, ComRef* object) {
    ++calls;
    *object = 0;
    if (devices.com.initialized == 0) return kComNotInitialized;
    if (!devices.deviceEnumeratorRegistered || !Same(clsid, kSystemDeviceEnum) ||
        (context & CLSCTX_INPROC_SERVER) == 0) {
        return kClassNotRegistered;
    }
    if (!Same(iid, kICreateDevEnum)) return kENoInterface;
    *object = NewObject(devices.com, SimComKind::DeviceEnumerator, 0);
    return S_OK;
}

// An empty or unknown category gives S_FALSE and no enumerator, as on Windows.
HResult SimDesktop::CreateClassEnumerator(ComRef devEnum, const Guid& category, ComRef* monikers,
                                          std::uint32_t) {
    ++calls;
    *monikers = 0;
    if (!LiveObject(devices.com, devEnum, SimComKind::DeviceEnumerator)) return kEPointer;
    if (devices.traceDiscovery) Trace("device search");
    bool listed = false;
    for (std::size_t i = 0; i < devices.videoDevices.size(); ++i)
        listed = listed || devices.NodeOf(i).present;
    if (!Same(category, kVideoInputCategory) || !listed) return S_FALSE;
    *monikers = NewObject(devices.com, SimComKind::MonikerEnumerator, 0);
    return S_OK;
}

HResult SimDesktop::EnumMonikerReset(ComRef monikers) {
    ++calls;
    SimComObject* enumerator = LiveObject(devices.com, monikers, SimComKind::MonikerEnumerator);
    if (!enumerator) return kEPointer;
    enumerator->position = 0;
    return S_OK;
}

HResult SimDesktop::EnumMonikerNext(ComRef monikers, std::uint32_t count, ComRef* moniker,
                                    std::uint32_t* fetched) {
    ++calls;
    SimComObject* enumerator = LiveObject(devices.com, monikers, SimComKind::MonikerEnumerator);
    if (!enumerator) return kEPointer;
    std::uint32_t taken = 0;
    while (taken < count && enumerator->position < devices.videoDevices.size()) {
        std::size_t device = enumerator->position++;
        if (!devices.NodeOf(device).present) continue;
        moniker[taken++] = NewObject(devices.com, SimComKind::Moniker, device);
        enumerator =
            &devices.com.objects[(monikers - kFirstComRef) / kComRefStep];  // may have moved
    }
    if (fetched) *fetched = taken;
    return taken == count ? S_OK : S_FALSE;
}

HResult SimDesktop::MonikerBindToStorage(ComRef moniker, ComRef, ComRef, const Guid& iid,
                                         ComRef* object) {
    ++calls;
    *object = 0;
    SimComObject* bound = LiveObject(devices.com, moniker, SimComKind::Moniker);
    if (!bound) return kEPointer;
    if (!Same(iid, kIPropertyBag)) return kENoInterface;
    if (devices.videoDevices[bound->device].propertyBagFails) return kEFail;
    *object = NewObject(devices.com, SimComKind::PropertyBag, bound->device);
    return S_OK;
}

HResult SimDesktop::MonikerBindToObject(ComRef moniker, ComRef, ComRef, const Guid& iid,
                                        ComRef* object) {
    ++calls;
    *object = 0;
    SimComObject* bound = LiveObject(devices.com, moniker, SimComKind::Moniker);
    if (!bound) return kEPointer;
    if (!Same(iid, kIBaseFilter)) return kENoInterface;
    std::size_t device = bound->device;
    const SimDeviceNode& node = devices.NodeOf(device);
    if (!node.present) return kEFail;
    *object = NewObject(devices.com, SimComKind::Filter, device);
    devices.filterGenerations[*object] = node.generation;
    if (devices.traceDiscovery)
        Trace("filter bound " + Quoted(devices.videoDevices[device].friendlyName));
    return S_OK;
}

HResult SimDesktop::PropertyBagRead(ComRef bag, const char16_t* name, Variant* value, ComRef) {
    ++calls;
    SimComObject* properties = LiveObject(devices.com, bag, SimComKind::PropertyBag);
    if (!properties) return kEPointer;
    if (std::u16string(name) != u"FriendlyName") return kEInvalidArg;
    if (value->vt != VT_BSTR && value->vt != VT_EMPTY) return kEInvalidArg;
    devices.com.nextString += 0x10;
    BStr text = kFirstString + devices.com.nextString;
    devices.com.strings[text] = devices.videoDevices[properties->device].friendlyName;
    value->vt = VT_BSTR;
    value->bstrVal = text;
    return S_OK;
}

// The ANSI code page of the model is Latin-1; other characters become '?'. A buffer that
// is too small is filled to its end without a terminator, and the call fails.
int SimDesktop::WideCharToMultiByte(std::uint32_t, std::uint32_t, BStr wide, int wideCount,
                                    char* multi, int multiSize, const char*, bool* usedDefault) {
    ++calls;
    auto found = devices.com.strings.find(wide);
    if (found == devices.com.strings.end()) {
        ++devices.com.misuse;
        system.lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    std::string converted;
    for (char16_t c : found->second)
        converted.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    if (wideCount < 0) {
        converted.push_back('\0');
    } else {
        converted.resize(
            std::min<std::size_t>(converted.size(), static_cast<std::size_t>(wideCount)));
    }
    if (usedDefault) *usedDefault = false;
    int needed = static_cast<int>(converted.size());
    if (multiSize == 0) return needed;
    std::memcpy(multi, converted.data(), static_cast<std::size_t>(std::min(needed, multiSize)));
    if (needed > multiSize) {
        system.lastError = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    return needed;
}

void SimDesktop::SysFreeString(BStr text) {
    ++calls;
    if (text == 0) return;
    if (devices.com.strings.erase(text) == 0) ++devices.com.misuse;
}

HResult SimDesktop::QueryInterface(ComRef object, const Guid& iid, ComRef* result) {
    ++calls;
    *result = 0;
    SimComObject* filter = LiveObject(devices.com, object, SimComKind::Filter);
    if (!filter) return kEPointer;
    if (Same(iid, kIBaseFilter)) {
        ++filter->refs;
        *result = object;
        return S_OK;
    }
    if (!Same(iid, kIKsObject)) return kENoInterface;
    ++filter->refs;  // the IKsObject keeps its filter alive
    *result = NewObject(devices.com, SimComKind::KsObject, filter->device, object);
    return S_OK;
}

std::uint32_t SimDesktop::Release(ComRef object) {
    ++calls;
    std::size_t index = (object - kFirstComRef) / kComRefStep;
    bool known = object >= kFirstComRef && (object - kFirstComRef) % kComRefStep == 0 &&
                 index < devices.com.objects.size();
    if (!known || devices.com.objects[index].refs == 0) {
        ++devices.com.misuse;
        return 0;
    }
    std::uint32_t refs = --devices.com.objects[index].refs;
    std::size_t filter = index;
    if (refs == 0 && devices.com.objects[index].kind == SimComKind::KsObject) {
        filter = (devices.com.objects[index].filter - kFirstComRef) / kComRefStep;
        --devices.com.objects[filter].refs;
    }
    const SimComObject& released = devices.com.objects[filter];
    if (devices.traceDiscovery && released.kind == SimComKind::Filter && released.refs == 0)
        Trace("filter released " + Quoted(devices.videoDevices[released.device].friendlyName));
    return refs;
}

Handle SimDesktop::KsGetObjectHandle(ComRef ksObject) {
    ++calls;
    SimComObject* object = LiveObject(devices.com, ksObject, SimComKind::KsObject);
    if (!object || !devices.videoDevices[object->device].givesHandle) return 0;
    return kSimFirstDeviceHandle + devices.filterGenerations[object->filter] * kGenerationStep +
           object->device * 4;
}

// --- events and device control ---

Handle SimDesktop::CreateEventA(void*, bool, bool, const char*) {
    ++calls;
    if (devices.createEventError != 0) {
        system.lastError = devices.createEventError;
        return 0;
    }
    devices.com.nextEvent += 4;
    Handle event = kFirstEvent + devices.com.nextEvent;
    devices.com.events.push_back(event);
    return event;
}

bool SimDesktop::CloseHandle(Handle object) {
    ++calls;
    auto open = std::find(devices.com.events.begin(), devices.com.events.end(), object);
    if (open != devices.com.events.end()) {
        devices.com.events.erase(open);
        return true;
    }
    if (system.CloseToken(object)) return true;
    if (sessions.CloseObjectHandle(object)) return true;
    if (files.open.erase(object) != 0 || windows.processHandles.erase(object) != 0) return true;
    // Device handles belong to their filter and are not the caller's to close.
    ++devices.com.misuse;
    system.lastError = ERROR_INVALID_HANDLE;
    return false;
}

bool SimDesktop::DeviceIoControl(Handle device, std::uint32_t controlCode, void* in,
                                 std::uint32_t inSize, void* out, std::uint32_t outSize,
                                 std::uint32_t* bytesReturned, Overlapped* overlapped) {
    ++calls;
    ++devices.requestCount;
    std::size_t index = 0;
    bool gone = false;
    SimVideoDevice* target = DeviceOf(devices, device, &index, &gone);
    if (!target) {
        system.lastError = ERROR_INVALID_HANDLE;
        return false;
    }
    if (gone) {
        system.lastError = devices.NodeOf(index).goneError;
        return false;
    }
    // The device is open for overlapped I/O: a request needs its record and a live event.
    if (!overlapped || (overlapped->event != 0 && !EventOpen(devices.com, overlapped->event))) {
        system.lastError = ERROR_INVALID_PARAMETER;
        return false;
    }
    if (controlCode != IOCTL_KS_PROPERTY || !in || !out) {
        system.lastError = ERROR_INVALID_FUNCTION;
        return false;
    }
    SimCard& card = target->card;
    auto* inBytes = static_cast<const std::uint8_t*>(in);
    auto* outBytes = static_cast<std::uint8_t*>(out);
    std::size_t logIndex = LogRequest(*this, card, inBytes, inSize);
    SimCardFault fault{};
    bool faulty = card.TakeFault(inBytes, inSize, &fault);
    SimCompletion completion = faulty ? fault.completion : card.completion;
    if (completion == SimCompletion::Hung) {
        SimPendingRequest request{overlapped, index, inBytes,  inSize, outBytes,
                                  outSize,    0,     logIndex, device, overlapped->event};
        request.hung = true;
        devices.com.pending.push_back(request);
        system.lastError = ERROR_IO_PENDING;
        return false;
    }
    if (completion == SimCompletion::Pending) {
        devices.com.pending.push_back(SimPendingRequest{overlapped, index, inBytes, inSize,
                                                        outBytes, outSize, faulty ? fault.error : 0,
                                                        logIndex, device, overlapped->event});
        system.lastError = ERROR_IO_PENDING;
        return false;
    }
    std::uint32_t error =
        faulty ? fault.error : card.Answer(inBytes, inSize, outBytes, outSize, devices.heldRawCode);
    RecordError(card, logIndex, error);
    if (error != 0) {
        system.lastError = error;
        return false;
    }
    if (bytesReturned) *bytesReturned = outSize;
    return true;
}

// A pending request completes only when waited for: the card answers it then. A hung one
// completes only when cancelled; a wait without a limit on it never returns, and the
// thread is stuck until the run ends.
bool SimDesktop::GetOverlappedResult(Handle, Overlapped* overlapped,
                                     std::uint32_t* bytesTransferred, bool wait) {
    ++calls;
    auto found = std::find_if(devices.com.pending.begin(), devices.com.pending.end(),
                              [overlapped](const SimPendingRequest& request) {
                                  return request.overlapped == overlapped;
                              });
    if (found == devices.com.pending.end()) {
        ++devices.com.misuse;
        system.lastError = ERROR_INVALID_PARAMETER;
        return false;
    }
    if (!found->completed && (!wait || found->hung)) {
        if (wait) BlockOnHungRequest();
        system.lastError = ERROR_IO_INCOMPLETE;
        return false;
    }
    if (!found->completed) CompletePending(*found);
    SimPendingRequest request = *found;
    devices.com.pending.erase(found);
    if (request.result != 0) {
        system.lastError = request.result;
        return false;
    }
    if (bytesTransferred) *bytesTransferred = request.outSize;
    return true;
}

// The card answers a pending request: its event is signalled.
void SimDesktop::CompletePending(SimPendingRequest& request) {
    SimCard& card = devices.videoDevices[request.device].card;
    request.result = request.faultError != 0 ? request.faultError
                                             : card.Answer(request.in, request.inSize, request.out,
                                                           request.outSize, devices.heldRawCode);
    RecordError(card, request.logIndex, request.result);
    request.completed = true;
}
