// The receiver's operations on Windows: COM device discovery, the capture filter's
// IKsObject, and overlapped device control. Each is its one Windows call.
#define __STREAMS__  // makes <ksproxy.h> declare IKsObject

#include "platform/win32/windows_api.h"

// The COM and DirectShow headers need <windows.h>.
#include <objbase.h>
#include <oleauto.h>
#include <strmif.h>

// <ksproxy.h> needs <ks.h> and the DirectShow interfaces.
#include <ks.h>
#include <ksproxy.h>

#include <cstddef>

#include "platform/win32/win32_late_bound.h"
#include "platform/win32/win32_platform.h"

namespace {

static_assert(sizeof(Guid) == sizeof(GUID), "Guid has GUID's layout");
static_assert(sizeof(Overlapped) == sizeof(OVERLAPPED), "Overlapped has OVERLAPPED's layout");
static_assert(offsetof(Overlapped, event) == offsetof(OVERLAPPED, hEvent),
              "Overlapped has OVERLAPPED's layout");
static_assert(sizeof(char16_t) == sizeof(OLECHAR), "OLECHAR is 16 bits");

const GUID& AsGuid(const Guid& guid) {
    return reinterpret_cast<const GUID&>(guid);
}

template <typename Interface>
Interface* As(ComRef ref) {
    return reinterpret_cast<Interface*>(ref);
}

void** AsOut(ComRef* ref) {
    return reinterpret_cast<void**>(ref);
}

// Calls that older Windows lack.
LateBound cancelIoExEntry{"kernel32.dll", "CancelIoEx", false, nullptr};
LateBound cancelIoEntry{"kernel32.dll", "CancelIo", false, nullptr};
LateBound registerDeviceEntry{"user32.dll", "RegisterDeviceNotificationA", false, nullptr};
LateBound unregisterDeviceEntry{"user32.dll", "UnregisterDeviceNotification", false, nullptr};
LateBound registerPowerEntry{"user32.dll", "RegisterSuspendResumeNotification", false, nullptr};
LateBound unregisterPowerEntry{"user32.dll", "UnregisterSuspendResumeNotification", false, nullptr};

static_assert(sizeof(DevBroadcastHandle) == sizeof(DEV_BROADCAST_HANDLE),
              "DevBroadcastHandle has DEV_BROADCAST_HANDLE's layout");
static_assert(offsetof(DevBroadcastHandle, handle) == offsetof(DEV_BROADCAST_HANDLE, dbch_handle),
              "DevBroadcastHandle has DEV_BROADCAST_HANDLE's layout");
static_assert(offsetof(DevBroadcastHandle, notification) ==
                  offsetof(DEV_BROADCAST_HANDLE, dbch_hdevnotify),
              "DevBroadcastHandle has DEV_BROADCAST_HANDLE's layout");
static_assert(offsetof(DevBroadcastHandle, nameOffset) ==
                  offsetof(DEV_BROADCAST_HANDLE, dbch_nameoffset),
              "DevBroadcastHandle has DEV_BROADCAST_HANDLE's layout");

}  // namespace

HResult Win32Platform::CoInitialize(void* reserved) {
    return ::CoInitialize(reserved);
}

void Win32Platform::CoUninitialize() {
    ::CoUninitialize();
}

HResult Win32Platform::CoCreateInstance(const Guid& clsid, ComRef outer, std::uint32_t context,
                                        const Guid& iid, ComRef* object) {
    return ::CoCreateInstance(AsGuid(clsid), As<IUnknown>(outer), context, AsGuid(iid),
                              AsOut(object));
}

HResult Win32Platform::CreateClassEnumerator(ComRef devEnum, const Guid& category, ComRef* monikers,
                                             std::uint32_t flags) {
    return As<ICreateDevEnum>(devEnum)->CreateClassEnumerator(
        AsGuid(category), reinterpret_cast<IEnumMoniker**>(monikers), flags);
}

HResult Win32Platform::EnumMonikerReset(ComRef monikers) {
    return As<IEnumMoniker>(monikers)->Reset();
}

HResult Win32Platform::EnumMonikerNext(ComRef monikers, std::uint32_t count, ComRef* moniker,
                                       std::uint32_t* fetched) {
    return As<IEnumMoniker>(monikers)->Next(count, reinterpret_cast<IMoniker**>(moniker),
                                            reinterpret_cast<ULONG*>(fetched));
}

HResult Win32Platform::MonikerBindToStorage(ComRef moniker, ComRef bindContext, ComRef left,
                                            const Guid& iid, ComRef* object) {
    return As<IMoniker>(moniker)->BindToStorage(As<IBindCtx>(bindContext), As<IMoniker>(left),
                                                AsGuid(iid), AsOut(object));
}

HResult Win32Platform::MonikerBindToObject(ComRef moniker, ComRef bindContext, ComRef left,
                                           const Guid& iid, ComRef* object) {
    return As<IMoniker>(moniker)->BindToObject(As<IBindCtx>(bindContext), As<IMoniker>(left),
                                               AsGuid(iid), AsOut(object));
}

// The portable Variant carries the two fields a text property uses; the VARIANT is
// filled from it and read back into it around the call.
HResult Win32Platform::PropertyBagRead(ComRef bag, const char16_t* name, Variant* value,
                                       ComRef errorLog) {
    VARIANT variant;
    ::VariantInit(&variant);
    variant.vt = value->vt;
    variant.bstrVal = reinterpret_cast<BSTR>(value->bstrVal);
    HRESULT result = As<IPropertyBag>(bag)->Read(reinterpret_cast<LPCOLESTR>(name), &variant,
                                                 As<IErrorLog>(errorLog));
    value->vt = variant.vt;
    value->bstrVal = reinterpret_cast<BStr>(variant.bstrVal);
    return result;
}

int Win32Platform::WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags, BStr wide,
                                       int wideCount, char* multi, int multiSize,
                                       const char* defaultChar, bool* usedDefault) {
    BOOL usedDefaultChar = FALSE;
    int result =
        ::WideCharToMultiByte(codePage, flags, reinterpret_cast<LPCWCH>(wide), wideCount, multi,
                              multiSize, defaultChar, usedDefault ? &usedDefaultChar : nullptr);
    if (usedDefault) *usedDefault = usedDefaultChar != FALSE;
    return result;
}

void Win32Platform::SysFreeString(BStr text) {
    ::SysFreeString(reinterpret_cast<BSTR>(text));
}

HResult Win32Platform::QueryInterface(ComRef object, const Guid& iid, ComRef* result) {
    return As<IUnknown>(object)->QueryInterface(AsGuid(iid), AsOut(result));
}

std::uint32_t Win32Platform::Release(ComRef object) {
    return As<IUnknown>(object)->Release();
}

Handle Win32Platform::KsGetObjectHandle(ComRef ksObject) {
    return reinterpret_cast<Handle>(As<IKsObject>(ksObject)->KsGetObjectHandle());
}

Handle Win32Platform::CreateEventA(void* security, bool manualReset, bool initialState,
                                   const char* name) {
    return reinterpret_cast<Handle>(::CreateEventA(static_cast<LPSECURITY_ATTRIBUTES>(security),
                                                   manualReset, initialState, name));
}

// The OVERLAPPED is the caller's own record, not a copy: the driver completes into it.
bool Win32Platform::DeviceIoControl(Handle device, std::uint32_t controlCode, void* in,
                                    std::uint32_t inSize, void* out, std::uint32_t outSize,
                                    std::uint32_t* bytesReturned, Overlapped* overlapped) {
    return ::DeviceIoControl(reinterpret_cast<HANDLE>(device), controlCode, in, inSize, out,
                             outSize, reinterpret_cast<LPDWORD>(bytesReturned),
                             reinterpret_cast<LPOVERLAPPED>(overlapped)) != FALSE;
}

bool Win32Platform::GetOverlappedResult(Handle device, Overlapped* overlapped,
                                        std::uint32_t* bytesTransferred, bool wait) {
    return ::GetOverlappedResult(reinterpret_cast<HANDLE>(device),
                                 reinterpret_cast<LPOVERLAPPED>(overlapped),
                                 reinterpret_cast<LPDWORD>(bytesTransferred), wait) != FALSE;
}

bool Win32Platform::CloseHandle(Handle object) {
    return ::CloseHandle(reinterpret_cast<HANDLE>(object)) != FALSE;
}

std::uint32_t Win32Platform::WaitForSingleObject(Handle object, std::uint32_t ms) {
    return ::WaitForSingleObject(reinterpret_cast<HANDLE>(object), ms);
}

bool Win32Platform::CancelIoEx(Handle file, Overlapped* overlapped) {
    using Proc = BOOL(WINAPI*)(HANDLE, LPOVERLAPPED);
    Proc cancel = Find<Proc>(cancelIoExEntry);
    if (cancel == nullptr) return false;
    return cancel(reinterpret_cast<HANDLE>(file), reinterpret_cast<LPOVERLAPPED>(overlapped)) !=
           FALSE;
}

bool Win32Platform::CancelIo(Handle file) {
    using Proc = BOOL(WINAPI*)(HANDLE);
    Proc cancel = Find<Proc>(cancelIoEntry);
    if (cancel == nullptr) return false;
    return cancel(reinterpret_cast<HANDLE>(file)) != FALSE;
}

Handle Win32Platform::RegisterDeviceNotificationA(Hwnd recipient, DevBroadcastHandle* filter,
                                                  std::uint32_t flags) {
    using Proc = HDEVNOTIFY(WINAPI*)(HANDLE, LPVOID, DWORD);
    Proc registerFor = Find<Proc>(registerDeviceEntry);
    if (registerFor == nullptr) return 0;
    return reinterpret_cast<Handle>(
        registerFor(reinterpret_cast<HANDLE>(recipient), filter, flags));
}

bool Win32Platform::UnregisterDeviceNotification(Handle notification) {
    using Proc = BOOL(WINAPI*)(HDEVNOTIFY);
    Proc unregister = Find<Proc>(unregisterDeviceEntry);
    if (unregister == nullptr) return false;
    return unregister(reinterpret_cast<HDEVNOTIFY>(notification)) != FALSE;
}

Handle Win32Platform::RegisterSuspendResumeNotification(Hwnd recipient, std::uint32_t flags) {
    using Proc = HANDLE(WINAPI*)(HANDLE, DWORD);
    Proc registerFor = Find<Proc>(registerPowerEntry);
    if (registerFor == nullptr) return 0;
    return reinterpret_cast<Handle>(registerFor(reinterpret_cast<HANDLE>(recipient), flags));
}

bool Win32Platform::UnregisterSuspendResumeNotification(Handle notification) {
    using Proc = BOOL(WINAPI*)(HANDLE);
    Proc unregister = Find<Proc>(unregisterPowerEntry);
    if (unregister == nullptr) return false;
    return unregister(reinterpret_cast<HANDLE>(notification)) != FALSE;
}
