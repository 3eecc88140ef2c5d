// Devices that the system asks to remove, the handle events that tell their users, and
// requests that hang: registrations for an open handle's events (RegisterDeviceNotificationA),
// the query that a driver update or "Disable device" makes of them and the veto of a handle
// left open, bounded waits on a request's event, and its cancellation.
#include <algorithm>
#include <cstdint>

#include "platform/device_constants.h"
#include "sim/sim_desktop.h"

namespace {

constexpr Handle kFirstNotification = 0xD000;

std::string NameOf(const SimDevices& devices, std::size_t device) {
    const std::u16string& name = devices.videoDevices[device].friendlyName;
    return "\"" + std::string(name.begin(), name.end()) + "\"";
}

}  // namespace

bool SimDeviceHandleParts(Handle handle, std::size_t* device, std::uint32_t* generation) {
    if (handle < kSimFirstDeviceHandle || (handle - kSimFirstDeviceHandle) % 4 != 0) return false;
    Handle offset = handle - kSimFirstDeviceHandle;
    *device = (offset % kSimGenerationStep) / 4;
    *generation = static_cast<std::uint32_t>(offset / kSimGenerationStep);
    return true;
}

int SimDevices::LiveNotifications() const {
    int live = 0;
    for (const auto& registration : handleNotifications)
        live += registration.second.live ? 1 : 0;
    return live;
}

// --- registrations for handle events ---

// Only a handle that is open can be registered; the registration names the device object
// behind it, and stays with that object when the handle is closed.
Handle SimDesktop::RegisterDeviceNotificationA(Hwnd recipient, DevBroadcastHandle* filter,
                                               std::uint32_t flags) {
    ++calls;
    if (!devices.notificationsPresent) {
        system.lastError = ERROR_CALL_NOT_IMPLEMENTED;
        return 0;
    }
    std::size_t device = 0;
    std::uint32_t generation = 0;
    const SimWindow* window = windows.Find(recipient);
    bool valid = filter && filter->size >= sizeof(DevBroadcastHandle) &&
                 filter->deviceType == DBT_DEVTYP_HANDLE && window && window->alive &&
                 flags == DEVICE_NOTIFY_WINDOW_HANDLE &&
                 SimDeviceHandleParts(filter->handle, &device, &generation) &&
                 device < devices.videoDevices.size() && SimHandleOpen(devices, device, generation);
    if (!valid) {
        system.lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    Handle notification =
        kFirstNotification + static_cast<Handle>(devices.handleNotifications.size()) * 4;
    SimHandleNotification& registration = devices.handleNotifications[notification];
    registration.window = recipient;
    registration.device = device;
    registration.generation = generation;
    registration.record = *filter;
    registration.record.notification = notification;
    return notification;
}

bool SimDesktop::UnregisterDeviceNotification(Handle notification) {
    ++calls;
    auto found = devices.handleNotifications.find(notification);
    if (found == devices.handleNotifications.end() || !found->second.live) {
        ++devices.com.misuse;
        system.lastError = ERROR_INVALID_HANDLE;
        return false;
    }
    found->second.live = false;
    return true;
}

// --- removals ---

// The query is sent to each registered window, and the system waits for the answers: the
// model posts it, and hears each answer when the window's procedure returns it. Plug and
// play runs one removal at a time, and none while the PC goes to sleep or sleeps.
bool SimDesktop::RequestRemoval(const std::string& friendlyName, bool update, bool heldElsewhere) {
    if (!devices.removals.empty() || system.sleepPending || system.asleep) return false;
    devices.traceDiscovery = true;
    std::u16string name(friendlyName.begin(), friendlyName.end());
    for (std::size_t i = 0; i < devices.videoDevices.size(); ++i) {
        const SimDeviceNode& node = devices.NodeOf(i);
        if (devices.videoDevices[i].friendlyName != name || !node.present) continue;
        Trace(std::string(update ? "update-driver " : "disable ") + NameOf(devices, i));
        SimRemoval removal;
        removal.device = i;
        removal.update = update;
        removal.heldElsewhere = heldElsewhere;
        for (auto& entry : devices.handleNotifications) {
            SimHandleNotification& registration = entry.second;
            if (!registration.live || registration.device != i ||
                registration.generation != node.generation)
                continue;
            removal.asked.push_back(entry.first);
            ++removal.unanswered;
            PostToQueue(registration.window, WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE,
                        reinterpret_cast<LParam>(&registration.record));
        }
        devices.removals.push_back(removal);
        if (removal.unanswered == 0) FinishRemoval();
        return true;
    }
    return false;
}

void SimDesktop::AnswerQueryRemove(LResult answer) {
    if (devices.removals.empty()) return;
    SimRemoval& removal = devices.removals.front();
    if (answer == static_cast<LResult>(BROADCAST_QUERY_DENY)) removal.denied = true;
    if (--removal.unanswered <= 0) FinishRemoval();
}

// A handle still open on the device object vetoes its removal: the update then needs a
// restart, and Disable fails.
void SimDesktop::FinishRemoval() {
    SimRemoval removal = devices.removals.front();
    devices.removals.erase(devices.removals.begin());
    SimDeviceNode& node = devices.NodeOf(removal.device);
    std::string what = std::string(removal.update ? "update-driver " : "disable ") +
                       NameOf(devices, removal.device);
    bool open = SimHandleOpen(devices, removal.device, node.generation);
    bool vetoed = removal.denied || open || removal.heldElsewhere;
    for (Handle notification : removal.asked) {
        SimHandleNotification& registration = devices.handleNotifications[notification];
        if (registration.live)
            PostToQueue(registration.window, WM_DEVICECHANGE,
                        vetoed ? DBT_DEVICEQUERYREMOVEFAILED : DBT_DEVICEREMOVECOMPLETE,
                        reinterpret_cast<LParam>(&registration.record));
    }
    if (open) ++devices.vetoesByOpenHandle;
    if (vetoed) {
        const char* why = removal.denied ? "refused" : open ? "handle open" : "in use";
        Trace(what + (removal.update ? " needs a restart (" : " failed (") + why + ")");
        return;
    }
    Trace(what + " done");
    node.present = false;
    node.goneError = ERROR_DEVICE_REMOVED;
    BroadcastToTopLevel(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    if (!removal.update) return;
    std::size_t device = removal.device;
    At(now + devices.driverInstallMs, [this, device] {
        SimDeviceNode& back = devices.NodeOf(device);
        back.present = true;
        ++back.generation;
        Trace("driver started " + NameOf(devices, device));
        BroadcastToTopLevel(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    });
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
