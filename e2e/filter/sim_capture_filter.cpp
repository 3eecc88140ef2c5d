// The simulated TV card's capture filter, an in-process COM server for the Wine
// end-to-end run. The platform's device enumerator creates it when a video-input device
// entry names its class, and hands it the entry's property bag: the private value
// "SimCardDevice" names the driver device to open. Its IKsObject handle is that device,
// opened for overlapped I/O as a capture driver's kernel-streaming handle would be.
#define __STREAMS__  // makes <ksproxy.h> declare IKsObject
#include <windows.h>

// The COM and DirectShow headers need <windows.h>.
#include <objbase.h>
#include <ocidl.h>
#include <oleauto.h>
#include <strmif.h>

// <ksproxy.h> needs <ks.h> and the DirectShow interfaces.
#include <ks.h>
#include <ksproxy.h>

#include <cwchar>
#include <new>

#include "e2e/filter/sim_capture_filter.h"

namespace {

LONG liveObjects = 0;
LONG serverLocks = 0;

class SimCaptureFilter final : public IBaseFilter, public IKsObject, public IPersistPropertyBag {
  public:
    SimCaptureFilter() { InterlockedIncrement(&liveObjects); }
    virtual ~SimCaptureFilter() {
        if (device_ != INVALID_HANDLE_VALUE) CloseHandle(device_);
        InterlockedDecrement(&liveObjects);
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) ||
            IsEqualIID(iid, IID_IMediaFilter) || IsEqualIID(iid, IID_IBaseFilter)) {
            *object = static_cast<IBaseFilter*>(this);
        } else if (IsEqualIID(iid, __uuidof(IKsObject))) {
            *object = static_cast<IKsObject*>(this);
        } else if (IsEqualIID(iid, IID_IPersistPropertyBag)) {
            *object = static_cast<IPersistPropertyBag*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG refs = InterlockedDecrement(&refs_);
        if (refs == 0) delete this;
        return refs;
    }

    // IPersist
    STDMETHODIMP GetClassID(CLSID* clsid) override {
        *clsid = CLSID_SimCaptureFilter;
        return S_OK;
    }

    // IMediaFilter and IBaseFilter: a filter that never streams.
    STDMETHODIMP Stop() override { return S_OK; }
    STDMETHODIMP Pause() override { return S_OK; }
    STDMETHODIMP Run(REFERENCE_TIME) override { return S_OK; }
    STDMETHODIMP GetState(DWORD, FILTER_STATE* state) override {
        *state = State_Stopped;
        return S_OK;
    }
    STDMETHODIMP SetSyncSource(IReferenceClock*) override { return S_OK; }
    STDMETHODIMP GetSyncSource(IReferenceClock** clock) override {
        *clock = nullptr;
        return S_OK;
    }
    STDMETHODIMP EnumPins(IEnumPins** pins) override {
        *pins = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP FindPin(LPCWSTR, IPin** pin) override {
        *pin = nullptr;
        return E_FAIL;
    }
    STDMETHODIMP QueryFilterInfo(FILTER_INFO* info) override {
        std::wcsncpy(info->achName, L"Simulated TV card", MAX_FILTER_NAME - 1);
        info->achName[MAX_FILTER_NAME - 1] = 0;
        info->pGraph = nullptr;
        return S_OK;
    }
    STDMETHODIMP JoinFilterGraph(IFilterGraph*, LPCWSTR) override { return S_OK; }
    STDMETHODIMP QueryVendorInfo(LPWSTR* info) override {
        *info = nullptr;
        return E_NOTIMPL;
    }

    // IKsObject: the device is opened on first use and belongs to the filter.
    STDMETHODIMP_(HANDLE) KsGetObjectHandle() override {
        if (device_ == INVALID_HANDLE_VALUE && devicePath_[0] != 0) {
            device_ = CreateFileW(devicePath_, GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED, nullptr);
        }
        return device_ == INVALID_HANDLE_VALUE ? nullptr : device_;
    }

    // IPersistPropertyBag
    STDMETHODIMP InitNew() override { return S_OK; }
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        HRESULT result = bag->Read(L"SimCardDevice", &value, log);
        if (SUCCEEDED(result) && value.vt == VT_BSTR && value.bstrVal) {
            std::wcsncpy(devicePath_, value.bstrVal, MAX_PATH - 1);
            devicePath_[MAX_PATH - 1] = 0;
        }
        VariantClear(&value);
        return S_OK;
    }
    STDMETHODIMP Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }

  private:
    LONG refs_ = 1;
    WCHAR devicePath_[MAX_PATH] = {};
    HANDLE device_ = INVALID_HANDLE_VALUE;
};

class FilterFactory final : public IClassFactory {
  public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is a static object; its references only keep the server loaded.
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&serverLocks) + 1; }
    STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&serverLocks) + 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        SimCaptureFilter* filter = new (std::nothrow) SimCaptureFilter();
        if (!filter) return E_OUTOFMEMORY;
        HRESULT result = filter->QueryInterface(iid, object);
        filter->Release();
        return result;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            InterlockedIncrement(&serverLocks);
        } else {
            InterlockedDecrement(&serverLocks);
        }
        return S_OK;
    }
};

FilterFactory factory;

}  // namespace

extern "C" __declspec(dllexport) HRESULT WINAPI
    DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_SimCaptureFilter)) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}

extern "C" __declspec(dllexport) HRESULT WINAPI DllCanUnloadNow() {
    return liveObjects == 0 && serverLocks == 0 ? S_OK : S_FALSE;
}
