#include "receiver/capture_device.h"

#include <cstring>
#include <iterator>

#include "receiver/platform_ids.h"
#include "shell/static_objects.h"

namespace {

struct CaptureBoard {
    const char* friendlyName;
    BoardKind boardKind;
    std::uint8_t gpioBit;
    RemoteLayout remoteLayout;
};

// Tried in this order: the first board present ends the search.
constexpr CaptureBoard kCaptureBoards[] = {
    {"Kavel KV100 Video Capture", BoardKind::Gpio, 14, Translated},
    {"Kavel KV200 Video Capture", BoardKind::Gpio, 14, Translated},
    {"Bridgeway Q7 Video Capture", BoardKind::Gpio, 14, Translated},
    {"Sorrel DVBS Q7 Video Capture", BoardKind::I2c, 0, Direct},
    {"Sorrel DVBT Q7 Video Capture", BoardKind::Gpio, 14, Direct},
};

constexpr std::uint32_t kFirstGpioRegister = 0x350010;

}  // namespace

int ListedBoardOrder(const char* friendlyName, RemoteLayout* layout) {
    for (int order = 0; order < static_cast<int>(std::size(kCaptureBoards)); ++order) {
        if (std::strcmp(kCaptureBoards[order].friendlyName, friendlyName) == 0) {
            *layout = kCaptureBoards[order].remoteLayout;
            return order;
        }
    }
    return -1;
}

const char* ListedBoardName(int order) {
    if (order < 0 || order >= static_cast<int>(std::size(kCaptureBoards))) return nullptr;
    return kCaptureBoards[order].friendlyName;
}

namespace {

void UseBoard(const CaptureBoard& board) {
    ConfigureBoard(board.boardKind, board.gpioBit);
    logic.receiverChannel.remoteLayout = board.remoteLayout;
    logic.receiverChannel.deviceHandle = GetDeviceHandle(logic.receiverChannel.captureFilter);
    logic.receiverChannel.deviceGone = false;
}

}  // namespace

bool OpenReceiver() {
    Plat().CoInitialize(nullptr);
    for (const CaptureBoard& board : kCaptureBoards) {
        logic.receiverChannel.captureFilter =
            FindCaptureFilter(board.friendlyName, CLSID_VideoInputDeviceCategory);
        if (logic.receiverChannel.captureFilter == 0) continue;
        UseBoard(board);
        return true;
    }
    return false;
}

// A device may be listed before its driver takes requests; without a handle the card is
// not back yet, and the search goes on.
bool ReopenReceiver() {
    int order = -1;
    logic.receiverChannel.captureFilter =
        FindFirstListedFilter(CLSID_VideoInputDeviceCategory, &order);
    if (logic.receiverChannel.captureFilter == 0) return false;
    UseBoard(kCaptureBoards[order]);
    if (logic.receiverChannel.deviceHandle != 0) return true;
    ReleaseReceiver();
    return false;
}

// The handle dies with the filter, so it is forgotten here: a poll that still falls due
// before the program ends must not send to it.
void ReleaseReceiver() {
    GiveBackNotification(logic.receiverChannel.deviceNotification);
    if (logic.receiverChannel.captureFilter != 0)
        Plat().Release(logic.receiverChannel.captureFilter);
    logic.receiverChannel.captureFilter = 0;
    logic.receiverChannel.deviceHandle = 0;
}

void CloseReceiver() {
    ReleaseReceiver();
    GiveBackNotification(logic.receiverChannel.removalNotification);
    Plat().CoUninitialize();
}

void GiveBackNotification(Handle& registration) {
    if (registration != 0) Plat().UnregisterDeviceNotification(registration);
    registration = 0;
}

void WatchDeviceHandle(Hwnd window) {
    ReceiverChannel& channel = logic.receiverChannel;
    if (channel.deviceHandle == 0 || channel.deviceNotification != 0) return;
    DevBroadcastHandle filter{};
    filter.size = sizeof filter;
    filter.deviceType = DBT_DEVTYP_HANDLE;
    filter.handle = channel.deviceHandle;
    channel.deviceNotification =
        Plat().RegisterDeviceNotificationA(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
}

Handle GetDeviceHandle(ComRef filter) {
    Platform& platform = Plat();
    ComRef ksObject = 0;
    if (platform.QueryInterface(filter, IID_IKsObject, &ksObject) < 0) return 0;
    Handle handle = platform.KsGetObjectHandle(ksObject);
    platform.Release(ksObject);
    return handle;
}

void ConfigureBoard(BoardKind boardKind, std::uint32_t gpioBit) {
    logic.receiverChannel.boardKind = boardKind;
    logic.receiverChannel.gpioBit = static_cast<std::uint8_t>(gpioBit);
    logic.receiverChannel.registerAddress =
        kFirstGpioRegister + (logic.receiverChannel.gpioBit / 8u) * 4u;
    logic.receiverChannel.bitMask =
        static_cast<std::uint8_t>(1u << (logic.receiverChannel.gpioBit % 8u));
}
