// The walk over the devices of a category, looking for a friendly name.
#include <cstring>

#include "platform/device_constants.h"
#include "receiver/capture_device.h"
#include "receiver/platform_ids.h"

namespace {

constexpr int kNameBufferSize = 80;

// Whether the moniker's device is called `friendlyName`, compared byte for byte in the
// system's ANSI code page.
bool HasFriendlyName(ComRef moniker, const char* friendlyName) {
    Platform& platform = Plat();
    char name[kNameBufferSize] = {};
    ComRef bag = 0;
    if (platform.MonikerBindToStorage(moniker, 0, 0, IID_IPropertyBag, &bag) < 0) return false;
    bool sought = false;
    Variant value{VT_BSTR, 0};
    if (platform.PropertyBagRead(bag, u"FriendlyName", &value, 0) == S_OK) {
        // A name that does not fit is cut off without a terminator and never matches.
        int converted = platform.WideCharToMultiByte(CP_ACP, 0, value.bstrVal, -1, name,
                                                     kNameBufferSize, nullptr, nullptr);
        sought = converted > 0 && std::strncmp(name, friendlyName, kNameBufferSize) == 0;
        platform.SysFreeString(value.bstrVal);
    }
    platform.Release(bag);
    return sought;
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
    if (result < 0 || monikers == 0) return 0;
    ComRef filter = BindFirstNamed(monikers, friendlyName);
    platform.Release(monikers);
    return filter;
}
