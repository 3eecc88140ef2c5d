// Devices that the system asks to remove, and requests that hang: the veto of a handle left
// open on a device that a driver update or "Disable device" would remove, bounded waits on a
// request's event, and its cancellation.
#include <algorithm>
#include <cstdint>

#include "platform/device_constants.h"
#include "sim/sim_desktop.h"

namespace {

std::string NameOf(const SimDevices& devices, std::size_t device) {
    const std::u16string& name = devices.videoDevices[device].friendlyName;
    return "\"" + std::string(name.begin(), name.end()) + "\"";
}

}  // namespace

// --- removals ---

// Only windows registered for a handle's events would be asked first, and the model has no
// such registrations: the removal is decided at once. A handle still open on the device
// object vetoes it: the update then needs a restart, and Disable fails. Plug and play runs
// no removal while the PC goes to sleep or sleeps.
bool SimDesktop::RequestRemoval(const std::string& friendlyName, bool update, bool heldElsewhere) {
    if (system.sleepPending || system.asleep) return false;
    devices.traceDiscovery = true;
    std::u16string name(friendlyName.begin(), friendlyName.end());
    for (std::size_t i = 0; i < devices.videoDevices.size(); ++i) {
        SimDeviceNode& node = devices.NodeOf(i);
        if (devices.videoDevices[i].friendlyName != name || !node.present) continue;
        std::string what = std::string(update ? "update-driver " : "disable ") + NameOf(devices, i);
        Trace(what);
        bool open = SimHandleOpen(devices, i, node.generation);
        if (open || heldElsewhere) {
            Trace(what + (update ? " needs a restart (" : " failed (") +
                  (open ? "handle open" : "in use") + ")");
            return true;
        }
        Trace(what + " done");
        node.present = false;
        node.goneError = ERROR_DEVICE_REMOVED;
        BroadcastToTopLevel(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
        if (!update) return true;
        At(now + devices.driverInstallMs, [this, i] {
            SimDeviceNode& back = devices.NodeOf(i);
            back.present = true;
            ++back.generation;
            Trace("driver started " + NameOf(devices, i));
            BroadcastToTopLevel(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
        });
        return true;
    }
    return false;
}

// --- requests that hang ---

void SimDesktop::HangNextRequest(std::uint32_t command) {
    devices.traceDiscovery = true;
    for (auto& device : devices.videoDevices)
        device.card.FailCommand(command, 0, SimFaultRepeat::Once, SimCompletion::Hung);
}

// A request's event is signalled when the request completes; a pending request that is
// not hung completes when waited for, as in GetOverlappedResult. The thread is blocked for
// the wait, and world events go on meanwhile.
std::uint32_t SimDesktop::WaitForSingleObject(Handle object, std::uint32_t ms) {
    ++calls;
    if (std::find(devices.com.events.begin(), devices.com.events.end(), object) ==
        devices.com.events.end()) {
        ++devices.com.misuse;
        system.lastError = ERROR_INVALID_HANDLE;
        return 0xFFFFFFFFu;  // WAIT_FAILED
    }
    auto found = std::find_if(
        devices.com.pending.begin(), devices.com.pending.end(),
        [object](const SimPendingRequest& request) { return request.event == object; });
    if (found != devices.com.pending.end() && !found->hung && !found->completed)
        CompletePending(*found);
    if (found != devices.com.pending.end() && found->completed) return WAIT_OBJECT_0;
    devices.longestDriverWaitMs = std::max<std::uint64_t>(devices.longestDriverWaitMs, ms);
    if (!stopped) {
        std::uint64_t until = now + ms;
        RunWorldUntil(std::min(until, runLimit));
        if (until > runLimit) stopped = true;
    }
    return WAIT_TIMEOUT;
}

void SimDesktop::BlockOnHungRequest() {
    devices.longestDriverWaitMs = UINT64_MAX;
    if (stopped) return;
    RunWorldUntil(runLimit);
    stopped = true;
}

// The driver's cancel routine completes a pending request with STATUS_CANCELLED at once.
bool SimDesktop::CancelIoEx(Handle file, Overlapped* overlapped) {
    ++calls;
    if (!system.NewerCallsPresent()) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return false;
    }
    bool cancelled = false;
    for (SimPendingRequest& request : devices.com.pending) {
        if (request.handle != file || request.completed ||
            (overlapped && request.overlapped != overlapped))
            continue;
        request.completed = true;
        request.result = ERROR_OPERATION_ABORTED;
        cancelled = true;
        Trace("request cancelled");
    }
    if (!cancelled) system.lastError = ERROR_NOT_FOUND;
    return cancelled;
}

// The only thread of the utility issued every request there is.
bool SimDesktop::CancelIo(Handle file) {
    ++calls;
    for (SimPendingRequest& request : devices.com.pending) {
        if (request.handle != file || request.completed) continue;
        request.completed = true;
        request.result = ERROR_OPERATION_ABORTED;
        Trace("request cancelled");
    }
    return true;
}
