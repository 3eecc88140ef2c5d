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

namespace {

// A request the driver leaves pending is given this long; then it is cancelled, and the
// card counts as gone: a driver that hangs must not hold up the thread that runs the tray,
// the dialogs and the power events.
constexpr std::uint32_t kRequestWaitMs = 500;

// The buffers and the OVERLAPPED belong to the caller's frame, so the request must have
// ended, cancelled or not, before it returns: the wait for the cancel's completion is
// the one Windows prescribes after CancelIoEx. CancelIo cancels what this thread issued
// on the handle, which is all there is. The channel then forgets the handle, so that the
// requests left in this tick fail at once (ERROR_INVALID_HANDLE) instead of hanging too,
// and the card counts as gone.
std::int32_t GiveUp(Platform& platform, Handle device, Overlapped* overlapped,
                    std::uint32_t* bytesReturned) {
    if (!platform.CancelIoEx(device, overlapped) &&
        platform.GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        platform.CancelIo(device);
    }
    platform.GetOverlappedResult(device, overlapped, bytesReturned, true);
    logic.receiverChannel.deviceHandle = 0;
    logic.receiverChannel.deviceGone = true;
    return DriverStatus(ERROR_SEM_TIMEOUT);
}

}  // namespace

// The device is open for overlapped I/O, so a request may come back pending; only
// ERROR_IO_PENDING is waited for, every other error is the answer. A status that says the
// device is gone is noted in the channel for the key poll, on the failure path alone; so is
// a request given up.
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
            if (platform.WaitForSingleObject(overlapped.event, kRequestWaitMs) != WAIT_OBJECT_0) {
                status = GiveUp(platform, device, &overlapped, bytesReturned);
            } else {
                bool done = platform.GetOverlappedResult(device, &overlapped, bytesReturned, false);
                status = done ? 0 : DriverStatus(platform.GetLastError());
            }
        }
        if (DeviceGone(status)) logic.receiverChannel.deviceGone = true;
    }
    platform.CloseHandle(overlapped.event);
    return status;
}
