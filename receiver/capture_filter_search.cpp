// The walks over the devices of a category: for one friendly name, and for the first
// listed board.
#include <cstring>

#include "platform/device_constants.h"
#include "receiver/capture_device.h"
#include "receiver/platform_ids.h"

namespace {

constexpr int kNameBufferSize = 80;

// Reads the moniker's device name into `name`, in the system's ANSI code page; false
// when it has none that fits.
bool ReadFriendlyName(ComRef moniker, char (&name)[kNameBufferSize]) {
    Platform& platform = Plat();
    ComRef bag = 0;
    if (platform.MonikerBindToStorage(moniker, 0, 0, IID_IPropertyBag, &bag) < 0) return false;
    bool read = false;
    Variant value{VT_BSTR, 0};
    if (platform.PropertyBagRead(bag, u"FriendlyName", &value, 0) == S_OK) {
        // A name that does not fit is cut off without a terminator and never matches.
        read = platform.WideCharToMultiByte(CP_ACP, 0, value.bstrVal, -1, name, kNameBufferSize,
                                            nullptr, nullptr) > 0;
        platform.SysFreeString(value.bstrVal);
    }
    platform.Release(bag);
    return read;
}

// Whether the moniker's device is called `friendlyName`, compared byte for byte.
bool HasFriendlyName(ComRef moniker, const char* friendlyName) {
    char name[kNameBufferSize] = {};
    return ReadFriendlyName(moniker, name) &&
           std::strncmp(name, friendlyName, kNameBufferSize) == 0;
}

// The moniker enumerator over `category`, or 0 when the category is empty or there is
// no enumerator.
ComRef EnumerateCategory(const Guid& category) {
    Platform& platform = Plat();
    ComRef devEnum = 0;
    if (platform.CoCreateInstance(CLSID_SystemDeviceEnum, 0, CLSCTX_INPROC_SERVER,
                                  IID_ICreateDevEnum, &devEnum) < 0) {
        return 0;
    }
    ComRef monikers = 0;
    HResult result = platform.CreateClassEnumerator(devEnum, category, &monikers, 0);
    platform.Release(devEnum);
    // An empty category gives no enumerator at all.
    return result < 0 ? 0 : monikers;
}

// The filter of the first device called `friendlyName`, or 0.
ComRef BindFirstNamed(ComRef monikers, const char* friendlyName) {
    Platform& platform = Plat();
    platform.EnumMonikerReset(monikers);
    ComRef moniker = 0;
    std::uint32_t fetched = 0;
    while (platform.EnumMonikerNext(monikers, 1, &moniker, &fetched) == S_OK) {
        bool sought = HasFriendlyName(moniker, friendlyName);
        ComRef filter = 0;
        if (sought) platform.MonikerBindToObject(moniker, 0, 0, IID_IBaseFilter, &filter);
        platform.Release(moniker);
        if (sought) return filter;
    }
    return 0;
}

}  // namespace

ComRef FindCaptureFilter(const char* friendlyName, const Guid& category) {
    ComRef monikers = EnumerateCategory(category);
    if (monikers == 0) return 0;
    ComRef filter = BindFirstNamed(monikers, friendlyName);
    Plat().Release(monikers);
    return filter;
}

// The best moniker so far is held until a better one turns up or the walk ends.
ComRef FindFirstListedFilter(const Guid& category, int* order) {
    Platform& platform = Plat();
    *order = -1;
    ComRef monikers = EnumerateCategory(category);
    if (monikers == 0) return 0;
    platform.EnumMonikerReset(monikers);
    ComRef best = 0;
    ComRef moniker = 0;
    std::uint32_t fetched = 0;
    while (platform.EnumMonikerNext(monikers, 1, &moniker, &fetched) == S_OK) {
        char name[kNameBufferSize] = {};
        RemoteLayout layout = Translated;
        int listed = ReadFriendlyName(moniker, name) ? ListedBoardOrder(name, &layout) : -1;
        if (listed >= 0 && (*order < 0 || listed < *order)) {
            if (best != 0) platform.Release(best);
            best = moniker;
            *order = listed;
        } else {
            platform.Release(moniker);
        }
    }
    ComRef filter = 0;
    if (best != 0) {
        platform.MonikerBindToObject(best, 0, 0, IID_IBaseFilter, &filter);
        platform.Release(best);
    }
    platform.Release(monikers);
    if (filter == 0) *order = -1;
    return filter;
}
