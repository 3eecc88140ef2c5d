// Devices and the card: the video-input devices in enumeration order, each with its TV
// card (sim_card.h); COM and the objects of device discovery; events and the device
// control that takes each property request to a card, at once or pending until waited
// for; and the remote control, whose held key every card present sees. The operations
// are SimDesktop's, in sim_devices.cpp.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "sim/sim_card.h"

struct SimDevices {
    std::deque<SimVideoDevice> videoDevices;  // stable references for tests
    // A device named like one of the I2C boards gets an I2C card, any other a GPIO card.
    SimVideoDevice& AddVideoDevice(const std::string& friendlyName);
    bool deviceEnumeratorRegistered = true;  // false: the enumerator cannot be created
    std::uint32_t createEventError = 0;      // non-zero: CreateEventA fails with it
    SimComWorld com;

    // The raw code of the remote's key held now, or -1.
    int heldRawCode = -1;

    bool traceRequests = false;  // "request GpioRead get" lines in the trace
    // true: the cards keep a log of the requests they receive (SimCard::requests), for tests
    // that read it. Off by default, since it grows by one entry per request: memory would
    // follow the number of polls rather than of events.
    bool logRequests = false;
};
