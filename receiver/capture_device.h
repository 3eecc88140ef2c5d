// The TV card's capture device: found by its friendly name among the video-input
// devices, with the kernel-streaming handle through which the receiver is read.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "receiver/remote_keys.h"

// Where a board's remote code is read.
enum class BoardKind : std::int32_t {
    None = 0,  // no board open
    Gpio = 1,  // the low bits of a GPIO register
    I2c = 2,   // a byte from the device at 0x60 on the card's I2C bus
};

struct ReceiverChannel {
    ComRef captureFilter = 0;  // the bound capture filter, owned; 0 when none
    Handle deviceHandle = 0;   // belongs to the filter; never closed here; 0 after a hang
    BoardKind boardKind = BoardKind::None;
    std::uint8_t gpioBit = 0;
    std::uint32_t registerAddress = 0;
    std::uint8_t bitMask = 0;
    RemoteLayout remoteLayout = Translated;
    bool deviceGone = false;        // a request ended with a status that says the device is gone
    bool hung = false;              // a request was given up after the driver left it pending
    Handle deviceNotification = 0;  // the window's registration on deviceHandle, or 0
    // The registration of a handle closed because the system asked to remove its device,
    // kept until the system says whether the removal failed or was done.
    Handle removalNotification = 0;
};

// True when a listed board was found, even without a device handle.
bool OpenReceiver();
void CloseReceiver();
// Gives the capture filter back and forgets its handle, as CloseReceiver does, but keeps
// COM for a later ReopenReceiver. A notification registration on the handle is given back
// first, before the handle closes with the filter.
void ReleaseReceiver();
// The start-up's search again, with its board list and order, in one walk over the
// devices instead of one per board: a search that runs every few seconds while the card
// is away costs one enumeration. True when a listed board was found and opened with its
// device handle; a board without one is given back.
bool ReopenReceiver();

// Where a board of this friendly name stands in the search order, with its remote's
// layout; -1 when the name is not a listed board.
int ListedBoardOrder(const char* friendlyName, RemoteLayout* layout);
// The friendly name of the board at this place in the search order, or nullptr past the
// end of the list.
const char* ListedBoardName(int order);

// The capture filter of the first device in `category` whose friendly name is
// `friendlyName`, or 0.
ComRef FindCaptureFilter(const char* friendlyName, const Guid& category);
// The capture filter of the device in `category` that the start-up's search would take:
// the first listed board in list order, and of that name the first device in enumeration
// order; 0 when no listed board is present. `order` is its place in the list.
ComRef FindFirstListedFilter(const Guid& category, int* order);

// Friendly names are compared in a buffer of this size, terminator included.
constexpr int kFriendlyNameSize = 80;
// Called for each device of a walk with its moniker and its friendly name as the search
// compares it ("" when it has none that fits); true ends the walk. The walk releases the
// moniker after the call unless the visitor took it (set it to 0), to release it itself.
using CaptureDeviceVisitor = bool (*)(ComRef& moniker, const char* friendlyName, void* context);
// Walks the devices of `category` in enumeration order; false when they cannot be
// enumerated (no enumerator, or an empty category).
bool WalkCaptureDevices(const Guid& category, CaptureDeviceVisitor visit, void* context);
// Registers `window` for the events of the open device handle (a driver update or
// "Disable device" asks first, and an open handle without a registration vetoes them).
void WatchDeviceHandle(Hwnd window);
// Unregisters a handle's registration, if there is one, and forgets it.
void GiveBackNotification(Handle& registration);
// The filter's kernel-streaming handle, or 0.
Handle GetDeviceHandle(ComRef filter);
// Stores the board kind and the GPIO line that signals a key, with its register and mask.
void ConfigureBoard(BoardKind boardKind, std::uint32_t gpioBit);
