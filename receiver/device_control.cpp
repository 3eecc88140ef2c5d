#include "receiver/device_control.h"

#include "platform/device_constants.h"
#include "shell/static_objects.h"

namespace {

constexpr std::int32_t kPendingStatus = DriverStatus(ERROR_IO_PENDING);

constexpr std::int32_t kGoneStatuses[] = {
    DriverStatus(ERROR_DEVICE_NOT_CONNECTED),
    DriverStatus(ERROR_DEVICE_REMOVED),
    DriverStatus(ERROR_FILE_NOT_FOUND),
    DriverStatus(ERROR_INVALID_HANDLE),
};

}  // namespace

bool DeviceGone(std::int32_t status) {
    for (std::int32_t gone : kGoneStatuses) {
        if (status == gone) return true;
    }
    return false;
}

// The device is open for overlapped I/O, so a request may come back pending; only
// ERROR_IO_PENDING is waited for, every other error is the answer. A status that says the
// device is gone is noted in the channel for the key poll, on the failure path alone.
std::int32_t SyncDeviceControl(Handle device, std::uint32_t controlCode, void* in,
                               std::uint32_t inSize, void* out, std::uint32_t outSize,
                               std::uint32_t* bytesReturned) {
    Platform& platform = Plat();
    Overlapped overlapped{};
    overlapped.event = platform.CreateEventA(nullptr, true, false, nullptr);
    if (overlapped.event == 0) return DriverStatus(platform.GetLastError());
    std::int32_t status = 0;
    if (!platform.DeviceIoControl(device, controlCode, in, inSize, out, outSize, bytesReturned,
                                  &overlapped)) {
        status = DriverStatus(platform.GetLastError());
        if (status == kPendingStatus) {
            bool done = platform.GetOverlappedResult(device, &overlapped, bytesReturned, true);
            status = done ? 0 : DriverStatus(platform.GetLastError());
        }
        if (DeviceGone(status)) logic.receiverChannel.deviceGone = true;
    }
    platform.CloseHandle(overlapped.event);
    return status;
}
