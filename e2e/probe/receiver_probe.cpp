// A small client of the simulated card that goes the receiver's way: the system device
// enumerator over the video-input category, the friendly names in enumeration order, the
// named device's capture filter, its IKsObject handle, and one key poll of GPIO requests
// over overlapped DeviceIoControl. It checks the driver and the filter without the utility.
//
//   receiver_probe list                    prints "device <friendly name>" per entry
//   receiver_probe poll <friendly name> <register>   prints "status <s> value <v>"
#define __STREAMS__  // makes <ksproxy.h> declare IKsObject
#include <windows.h>

// The COM and DirectShow headers need <windows.h>.
#include <objbase.h>
#include <oleauto.h>
#include <strmif.h>
#include <uuids.h>

// <ksproxy.h> needs <ks.h> and the DirectShow interfaces.
#include <ks.h>
#include <ksproxy.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/card/card_decoder.h"

namespace {

constexpr DWORD kKsProperty = 0x002F0003;
constexpr unsigned char kPropertySet[16] = CARD_PROPERTY_SET_BYTES;

// One request the receiver's way: an overlapped call, waited for when pending.
long Request(HANDLE device, unsigned char* buffer, DWORD size) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD returned = 0;
    long status = 0;
    if (!DeviceIoControl(device, kKsProperty, buffer, size, buffer, size, &returned, &overlapped)) {
        DWORD error = GetLastError();
        if (error == ERROR_IO_PENDING) {
            error = GetOverlappedResult(device, &overlapped, &returned, TRUE) ? 0 : GetLastError();
        }
        status = error;
    }
    CloseHandle(overlapped.hEvent);
    return status;
}

void GpioHeader(unsigned char* buffer, unsigned flags, int command) {
    std::memcpy(buffer, kPropertySet, sizeof kPropertySet);
    CardPutU32(buffer, CARD_PROPERTY_OFFSET, CARD_GPIO_PROPERTY);
    CardPutU32(buffer, CARD_FLAGS_OFFSET, flags);
    CardPutU32(buffer, CARD_COMMAND_OFFSET, cardCommands[command].code);
}

// Calls `visit` with each device's moniker and friendly name until it returns true.
template <typename Visit>
bool WalkDevices(Visit visit) {
    ICreateDevEnum* devices = nullptr;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ICreateDevEnum, reinterpret_cast<void**>(&devices)))) {
        std::printf("no device enumerator\n");
        return false;
    }
    IEnumMoniker* monikers = nullptr;
    HRESULT result = devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &monikers, 0);
    devices->Release();
    if (result != S_OK || !monikers) return false;
    IMoniker* moniker = nullptr;
    bool done = false;
    while (!done && monikers->Next(1, &moniker, nullptr) == S_OK) {
        IPropertyBag* bag = nullptr;
        if (SUCCEEDED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag,
                                             reinterpret_cast<void**>(&bag)))) {
            VARIANT name;
            VariantInit(&name);
            name.vt = VT_BSTR;
            char text[80] = {};
            if (bag->Read(L"FriendlyName", &name, nullptr) == S_OK) {
                WideCharToMultiByte(CP_ACP, 0, name.bstrVal, -1, text, sizeof text, nullptr,
                                    nullptr);
            }
            VariantClear(&name);
            bag->Release();
            done = visit(moniker, text);
        }
        moniker->Release();
    }
    monikers->Release();
    return done;
}

int List() {
    WalkDevices([](IMoniker*, const char* name) {
        std::printf("device %s\n", name);
        return false;
    });
    return 0;
}

int Poll(const char* wanted, unsigned registerAddress) {
    int exitCode = 1;
    WalkDevices([&](IMoniker* moniker, const char* name) {
        if (std::strcmp(name, wanted) != 0) return false;
        IBaseFilter* filter = nullptr;
        moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, reinterpret_cast<void**>(&filter));
        if (!filter) return true;
        IKsObject* ks = nullptr;
        if (SUCCEEDED(filter->QueryInterface(__uuidof(IKsObject), reinterpret_cast<void**>(&ks)))) {
            HANDLE device = ks->KsGetObjectHandle();
            ks->Release();
            unsigned char buffer[CARD_GPIO_SIZE] = {};
            GpioHeader(buffer, CARD_FLAG_SET, CARD_GPIO_SET_ADDRESS);
            CardPutU32(buffer, CARD_GPIO_ADDRESS_OFFSET, registerAddress);
            long status = device ? Request(device, buffer, CARD_GPIO_SIZE) : -1;
            std::memset(buffer, 0, sizeof buffer);
            GpioHeader(buffer, CARD_FLAG_SET, CARD_GPIO_READ);
            if (status == 0) status = Request(device, buffer, CARD_GPIO_SIZE);
            GpioHeader(buffer, CARD_FLAG_GET, CARD_GPIO_READ);
            if (status == 0) status = Request(device, buffer, CARD_GPIO_SIZE);
            std::printf("status %ld value 0x%08X\n", status,
                        CardU32(buffer, CARD_GPIO_VALUE_OFFSET));
            exitCode = status == 0 ? 0 : 1;
        }
        filter->Release();
        return true;
    });
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    CoInitialize(nullptr);
    int result = 2;
    if (argc == 2 && std::strcmp(argv[1], "list") == 0) result = List();
    if (argc == 4 && std::strcmp(argv[1], "poll") == 0) {
        result = Poll(argv[2], static_cast<unsigned>(std::strtoul(argv[3], nullptr, 0)));
    }
    CoUninitialize();
    return result;
}
