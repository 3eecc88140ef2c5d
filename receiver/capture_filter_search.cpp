// The walk over the devices of a category, and the searches on it: for one friendly name,
// and for the first listed board.
#include <cstring>

#include "platform/device_constants.h"
#include "receiver/capture_device.h"
#include "receiver/platform_ids.h"

namespace {

// The moniker's friendly name in the system's ANSI code page, into `name`; "" when it has
// none that can be read. A name that does not fit is cut off without a terminator, so it is
// given as "" too and never matches.
void ReadFriendlyName(ComRef moniker, char (&name)[kFriendlyNameSize]) {
    Platform& platform = Plat();
    std::memset(name, 0, sizeof name);
    ComRef bag = 0;
    if (platform.MonikerBindToStorage(moniker, 0, 0, IID_IPropertyBag, &bag) < 0) return;
    Variant value{VT_BSTR, 0};
    if (platform.PropertyBagRead(bag, u"FriendlyName", &value, 0) == S_OK) {
        int converted = platform.WideCharToMultiByte(CP_ACP, 0, value.bstrVal, -1, name,
                                                     kFriendlyNameSize, nullptr, nullptr);
        if (converted <= 0) name[0] = '\0';
        platform.SysFreeString(value.bstrVal);
    }
    platform.Release(bag);
}

struct Search {
    const char* friendlyName;
    ComRef filter;
};

// Binds the first device called `friendlyName`, compared byte for byte.
bool BindIfNamed(ComRef& moniker, const char* name, void* context) {
    auto* search = static_cast<Search*>(context);
    if (name[0] == '\0' || std::strncmp(name, search->friendlyName, kFriendlyNameSize) != 0) {
        return false;
    }
    Plat().MonikerBindToObject(moniker, 0, 0, IID_IBaseFilter, &search->filter);
    return true;
}

struct ListedSearch {
    ComRef best;  // the moniker of the best-placed board so far, held
    int order;    // its board's place in the list, or -1
};

// Keeps the moniker of a board placed better than any before it; the first of equals wins.
bool KeepBestListed(ComRef& moniker, const char* name, void* context) {
    auto* search = static_cast<ListedSearch*>(context);
    RemoteLayout layout = Translated;
    int order = name[0] != '\0' ? ListedBoardOrder(name, &layout) : -1;
    if (order < 0 || (search->order >= 0 && order >= search->order)) return false;
    if (search->best != 0) Plat().Release(search->best);
    search->best = moniker;
    search->order = order;
    moniker = 0;
    return order == 0;
}

}  // namespace

bool WalkCaptureDevices(const Guid& category, CaptureDeviceVisitor visit, void* context) {
    Platform& platform = Plat();
    ComRef devEnum = 0;
    if (platform.CoCreateInstance(CLSID_SystemDeviceEnum, 0, CLSCTX_INPROC_SERVER,
                                  IID_ICreateDevEnum, &devEnum) < 0) {
        return false;
    }
    ComRef monikers = 0;
    HResult result = platform.CreateClassEnumerator(devEnum, category, &monikers, 0);
    platform.Release(devEnum);
    // An empty category gives no enumerator at all.
    if (result < 0 || monikers == 0) return false;
    platform.EnumMonikerReset(monikers);
    ComRef moniker = 0;
    std::uint32_t fetched = 0;
    while (platform.EnumMonikerNext(monikers, 1, &moniker, &fetched) == S_OK) {
        char name[kFriendlyNameSize];
        ReadFriendlyName(moniker, name);
        bool done = visit(moniker, name, context);
        if (moniker != 0) platform.Release(moniker);
        if (done) break;
    }
    platform.Release(monikers);
    return true;
}

ComRef FindCaptureFilter(const char* friendlyName, const Guid& category) {
    Search search{friendlyName, 0};
    WalkCaptureDevices(category, BindIfNamed, &search);
    return search.filter;
}

ComRef FindFirstListedFilter(const Guid& category, int* order) {
    ListedSearch search{0, -1};
    WalkCaptureDevices(category, KeepBestListed, &search);
    ComRef filter = 0;
    if (search.best != 0) {
        Plat().MonikerBindToObject(search.best, 0, 0, IID_IBaseFilter, &filter);
        Plat().Release(search.best);
    }
    *order = filter != 0 ? search.order : -1;
    return filter;
}
