// The platform's device discovery on the simulated desktop: COM, the system device
// enumerator over the video-input category, monikers, property bags, capture filters
// and their IKsObject, each object counted so that a leak or a stray release shows.
#include <algorithm>
#include <cstring>

#include "platform/device_constants.h"
#include "sim/sim_desktop.h"

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

}  // namespace

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

SimVideoDevice& SimDesktop::AddVideoDevice(const std::string& friendlyName) {
    SimVideoDevice device;
    device.friendlyName.assign(friendlyName.begin(), friendlyName.end());
    for (const char* board : kI2cBoards) {
        if (friendlyName == board) {
            device.card.kind = SimCardKind::I2c;
            device.card.keyLine = 0;
        }
    }
    videoDevices.push_back(device);
    return videoDevices.back();
}

HResult SimDesktop::CoInitialize(void*) {
    ++calls;
    return com.initialized++ == 0 ? S_OK : S_FALSE;
}

void SimDesktop::CoUninitialize() {
    ++calls;
    if (com.initialized > 0) {
        --com.initialized;
    } else {
        ++com.misuse;
    }
}

HResult SimDesktop::CoCreateInstance(const Guid& clsid, ComRef, std::uint32_t context,
                                     const Guid& iid, ComRef* object) {
    ++calls;
    *object = 0;
    if (com.initialized == 0) return kComNotInitialized;
    if (!deviceEnumeratorRegistered || !Same(clsid, kSystemDeviceEnum) ||
        (context & CLSCTX_INPROC_SERVER) == 0) {
        return kClassNotRegistered;
    }
    if (!Same(iid, kICreateDevEnum)) return kENoInterface;
    *object = NewObject(com, SimComKind::DeviceEnumerator, 0);
    return S_OK;
}

// An empty or unknown category gives S_FALSE and no enumerator, as on Windows.
HResult SimDesktop::CreateClassEnumerator(ComRef devEnum, const Guid& category, ComRef* monikers,
                                          std::uint32_t) {
    ++calls;
    *monikers = 0;
    if (!LiveObject(com, devEnum, SimComKind::DeviceEnumerator)) return kEPointer;
    if (!Same(category, kVideoInputCategory) || videoDevices.empty()) return S_FALSE;
    *monikers = NewObject(com, SimComKind::MonikerEnumerator, 0);
    return S_OK;
}

HResult SimDesktop::EnumMonikerReset(ComRef monikers) {
    ++calls;
    SimComObject* enumerator = LiveObject(com, monikers, SimComKind::MonikerEnumerator);
    if (!enumerator) return kEPointer;
    enumerator->position = 0;
    return S_OK;
}

HResult SimDesktop::EnumMonikerNext(ComRef monikers, std::uint32_t count, ComRef* moniker,
                                    std::uint32_t* fetched) {
    ++calls;
    SimComObject* enumerator = LiveObject(com, monikers, SimComKind::MonikerEnumerator);
    if (!enumerator) return kEPointer;
    std::uint32_t taken = 0;
    while (taken < count && enumerator->position < videoDevices.size()) {
        std::size_t device = enumerator->position++;
        moniker[taken++] = NewObject(com, SimComKind::Moniker, device);
        enumerator = &com.objects[(monikers - kFirstComRef) / kComRefStep];  // may have moved
    }
    if (fetched) *fetched = taken;
    return taken == count ? S_OK : S_FALSE;
}

HResult SimDesktop::MonikerBindToStorage(ComRef moniker, ComRef, ComRef, const Guid& iid,
                                         ComRef* object) {
    ++calls;
    *object = 0;
    SimComObject* bound = LiveObject(com, moniker, SimComKind::Moniker);
    if (!bound) return kEPointer;
    if (!Same(iid, kIPropertyBag)) return kENoInterface;
    if (videoDevices[bound->device].propertyBagFails) return kEFail;
    *object = NewObject(com, SimComKind::PropertyBag, bound->device);
    return S_OK;
}

HResult SimDesktop::MonikerBindToObject(ComRef moniker, ComRef, ComRef, const Guid& iid,
                                        ComRef* object) {
    ++calls;
    *object = 0;
    SimComObject* bound = LiveObject(com, moniker, SimComKind::Moniker);
    if (!bound) return kEPointer;
    if (!Same(iid, kIBaseFilter)) return kENoInterface;
    *object = NewObject(com, SimComKind::Filter, bound->device);
    return S_OK;
}

HResult SimDesktop::PropertyBagRead(ComRef bag, const char16_t* name, Variant* value, ComRef) {
    ++calls;
    SimComObject* properties = LiveObject(com, bag, SimComKind::PropertyBag);
    if (!properties) return kEPointer;
    if (std::u16string(name) != u"FriendlyName") return kEInvalidArg;
    if (value->vt != VT_BSTR && value->vt != VT_EMPTY) return kEInvalidArg;
    com.nextString += 0x10;
    BStr text = kFirstString + com.nextString;
    com.strings[text] = videoDevices[properties->device].friendlyName;
    value->vt = VT_BSTR;
    value->bstrVal = text;
    return S_OK;
}

// The ANSI code page of the model is Latin-1; other characters become '?'. A buffer that
// is too small is filled to its end without a terminator, and the call fails.
int SimDesktop::WideCharToMultiByte(std::uint32_t, std::uint32_t, BStr wide, int wideCount,
                                    char* multi, int multiSize, const char*, bool* usedDefault) {
    ++calls;
    auto found = com.strings.find(wide);
    if (found == com.strings.end()) {
        ++com.misuse;
        lastError = ERROR_INVALID_PARAMETER;
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
        lastError = ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    return needed;
}

void SimDesktop::SysFreeString(BStr text) {
    ++calls;
    if (text == 0) return;
    if (com.strings.erase(text) == 0) ++com.misuse;
}

HResult SimDesktop::QueryInterface(ComRef object, const Guid& iid, ComRef* result) {
    ++calls;
    *result = 0;
    SimComObject* filter = LiveObject(com, object, SimComKind::Filter);
    if (!filter) return kEPointer;
    if (Same(iid, kIBaseFilter)) {
        ++filter->refs;
        *result = object;
        return S_OK;
    }
    if (!Same(iid, kIKsObject)) return kENoInterface;
    ++filter->refs;  // the IKsObject keeps its filter alive
    *result = NewObject(com, SimComKind::KsObject, filter->device, object);
    return S_OK;
}

std::uint32_t SimDesktop::Release(ComRef object) {
    ++calls;
    std::size_t index = (object - kFirstComRef) / kComRefStep;
    bool known = object >= kFirstComRef && (object - kFirstComRef) % kComRefStep == 0 &&
                 index < com.objects.size();
    if (!known || com.objects[index].refs == 0) {
        ++com.misuse;
        return 0;
    }
    std::uint32_t refs = --com.objects[index].refs;
    if (refs == 0 && com.objects[index].kind == SimComKind::KsObject) {
        ComRef filter = com.objects[index].filter;
        --com.objects[(filter - kFirstComRef) / kComRefStep].refs;
    }
    return refs;
}

Handle SimDesktop::KsGetObjectHandle(ComRef ksObject) {
    ++calls;
    SimComObject* object = LiveObject(com, ksObject, SimComKind::KsObject);
    if (!object || !videoDevices[object->device].givesHandle) return 0;
    return kSimFirstDeviceHandle + object->device * 4;
}
