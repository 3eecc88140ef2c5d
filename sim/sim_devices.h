// Devices and the card: the video-input devices in enumeration order, each with its TV
// card (sim_card.h); COM and the objects of device discovery; events and the device
// control that takes each property request to a card, at once or pending until waited
// for; the remote control, whose held key every card present sees; and devices that go
// away and come back. The operations are SimDesktop's, in sim_devices.cpp.
//
// A device that goes away (unplugged, its driver stopped) is no longer listed by the
// enumeration, and every request on a handle of it fails with the status its driver
// chose, as Windows fails the requests of a removed device object; the request never
// reaches the card. When it comes back (plugged in again, or at every wake from sleep,
// when devices are re-created) it is a new device object: it is listed again, a filter
// bound now gives a handle of the new generation, and the old handles stay dead even
// while the filter they came from is still held.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/device_constants.h"
#include "sim/sim_card.h"

// A device's node in the system's device tree.
struct SimDeviceNode {
    bool present = true;
    std::uint32_t generation = 0;                          // counts the device objects made for it
    std::uint32_t goneError = ERROR_DEVICE_NOT_CONNECTED;  // what requests fail with while gone
};

// A window's registration for the events of an open device handle: the device object that
// the handle belonged to when it was made. Kept after it is given back (live false), so that
// a message already posted with its record stays readable.
struct SimHandleNotification {
    Hwnd window = 0;
    std::size_t device = 0;
    std::uint32_t generation = 0;
    bool live = true;
    DevBroadcastHandle record{};  // what WM_DEVICECHANGE's lParam points at
};

// A removal that the system asks the handles' registrations about (a driver update, or
// "Disable device"), decided when every registered window has answered.
struct SimRemoval {
    std::size_t device = 0;
    bool update = false;         // the device comes back with the new driver
    bool heldElsewhere = false;  // another program keeps a handle open and vetoes
    int unanswered = 0;
    bool denied = false;
    std::vector<Handle> asked;  // the registrations that got the query
};

struct SimDevices {
    std::deque<SimVideoDevice> videoDevices;  // stable references for tests
    // A device named like one of the I2C boards gets an I2C card, any other a GPIO card.
    SimVideoDevice& AddVideoDevice(const std::string& friendlyName);
    bool deviceEnumeratorRegistered = true;  // false: the enumerator cannot be created
    std::uint32_t createEventError = 0;      // non-zero: CreateEventA fails with it
    SimComWorld com;

    // The raw code of the remote's key held now, or -1.
    int heldRawCode = -1;

    // One node per video device, by index, and the generation each capture filter was
    // bound in.
    std::vector<SimDeviceNode> nodes;
    SimDeviceNode& NodeOf(std::size_t device) {
        if (nodes.size() <= device) nodes.resize(device + 1);
        return nodes[device];
    }
    std::map<ComRef, std::uint32_t> filterGenerations;
    std::uint64_t requestCount = 0;  // DeviceIoControl calls, whatever became of them
    // "device search" and "filter bound|released" lines, from the first device or power
    // event of a run on, so that the traces of runs where the card stays put are unchanged.
    bool traceDiscovery = false;

    bool traceRequests = false;  // "request GpioRead get" lines in the trace
    // true: the cards keep a log of the requests they receive (SimCard::requests), for tests
    // that read it. Off by default, since it grows by one entry per request: memory would
    // follow the number of polls rather than of events.
    bool logRequests = false;

    // Registrations for handle events (RegisterDeviceNotificationA); `notificationsPresent`
    // false: the call is missing, as on Windows 95 and NT 4.
    bool notificationsPresent = true;
    std::map<Handle, SimHandleNotification> handleNotifications;
    int LiveNotifications() const;
    std::vector<SimRemoval> removals;      // in progress, the first asked first
    std::uint32_t driverInstallMs = 2000;  // from the removal to the new driver's start
    int vetoesByOpenHandle = 0;            // removals that a handle left open vetoed
    // The longest the utility's thread waited on one driver request, in ms.
    std::uint64_t longestDriverWaitMs = 0;
};

// Whether a handle of that device object is open: a capture filter bound from it is held.
bool SimHandleOpen(const SimDevices& devices, std::size_t device, std::uint32_t generation);
// The device and the generation of its device object that a device handle stands for.
bool SimDeviceHandleParts(Handle handle, std::size_t* device, std::uint32_t* generation);
