// Finding the TV card among the video-input devices, and what the channel keeps of it.
#include "receiver_fixture.h"

namespace {

const std::string kTooLong = std::string(kKv100) + std::string(60, 'x');

struct DiscoveryCase {
    const char* what;
    std::vector<std::string> devices;  // in enumeration order
    int failingBag;                    // device whose property bag cannot be bound, or -1
    std::int32_t found;
    int bound;  // the device whose handle the channel holds, or -1
    std::int32_t boardKind;
    std::uint32_t registerAddress;
    std::uint8_t bitMask;
    RemoteLayout layout;
};

const DiscoveryCase kDiscoveryCases[] = {
    {"list order beats enumeration order",
     {kDvbt, kKv200},
     -1,
     1,
     1,
     1,
     0x350014,
     0x40,
     Translated},
    {"the I2C board", {kDvbs}, -1, 1, 0, 2, 0x350010, 0x01, Direct},
    {"the Direct GPIO board", {"USB Camera", kDvbt}, -1, 1, 1, 1, 0x350014, 0x40, Direct},
    {"duplicates: the first is bound",
     {kBridgeway, kBridgeway},
     -1,
     1,
     0,
     1,
     0x350014,
     0x40,
     Translated},
    {"case and trailing blank do not match",
     {"kavel kv100 video capture", "Kavel KV100 Video Capture "},
     -1,
     0,
     -1,
     0,
     0,
     0,
     Translated},
    {"a name that does not fit 80 bytes", {kTooLong, kDvbt}, -1, 1, 1, 1, 0x350014, 0x40, Direct},
    {"a device without a property bag is skipped",
     {kKv100, kKv100},
     0,
     1,
     1,
     1,
     0x350014,
     0x40,
     Translated},
    {"no device at all", {}, -1, 0, -1, 0, 0, 0, Translated},
    {"no listed device", {"USB Camera"}, -1, 0, -1, 0, 0, 0, Translated},
};

}  // namespace

// The search made while the card is away takes the same board in one walk.
TEST_F(ReceiverTest, OpenReceiverTakesTheFirstListedBoardPresentAndASearchTheSame) {
    for (const DiscoveryCase& c : kDiscoveryCases) {
        logic.receiverChannel = ReceiverChannel{};
        desk.devices.videoDevices.clear();
        for (const std::string& name : c.devices)
            desk.devices.AddVideoDevice(name);
        if (c.failingBag >= 0) desk.devices.videoDevices[c.failingBag].propertyBagFails = true;

        EXPECT_EQ(OpenReceiver(), c.found) << c.what;
        Handle expected = c.bound < 0 ? 0 : kSimFirstDeviceHandle + c.bound * 4u;
        EXPECT_EQ(logic.receiverChannel.deviceHandle, expected) << c.what;
        EXPECT_EQ(static_cast<std::int32_t>(logic.receiverChannel.boardKind), c.boardKind)
            << c.what;
        EXPECT_EQ(logic.receiverChannel.registerAddress, c.registerAddress) << c.what;
        EXPECT_EQ(logic.receiverChannel.bitMask, c.bitMask) << c.what;
        EXPECT_EQ(logic.receiverChannel.remoteLayout, c.layout) << c.what;
        // Only the bound filter outlives the search; every name was freed.
        EXPECT_EQ(desk.devices.com.LiveObjects(), c.found) << c.what;
        EXPECT_TRUE(desk.devices.com.strings.empty()) << c.what;

        ReleaseReceiver();
        desk.devices.traceDiscovery = true;
        desk.trace.clear();
        EXPECT_EQ(ReopenReceiver(), c.found) << c.what;
        EXPECT_EQ(logic.receiverChannel.deviceHandle, expected) << c.what;
        EXPECT_EQ(static_cast<std::int32_t>(logic.receiverChannel.boardKind), c.boardKind)
            << c.what;
        EXPECT_EQ(TraceWith("device search").size(), 1u) << c.what;
        EXPECT_EQ(desk.devices.com.LiveObjects(), c.found) << c.what;
        desk.devices.traceDiscovery = false;

        CloseReceiver();
        EXPECT_EQ(desk.devices.com.LiveObjects(), 0) << c.what;
        EXPECT_EQ(desk.devices.com.initialized, 0) << c.what;
        EXPECT_EQ(desk.devices.com.misuse, 0) << c.what;
    }
}

TEST_F(ReceiverTest, NoDeviceEnumeratorMeansNoReceiver) {
    desk.devices.AddVideoDevice(kKv100);
    desk.devices.deviceEnumeratorRegistered = false;
    EXPECT_EQ(OpenReceiver(), 0);
    EXPECT_EQ(logic.receiverChannel.captureFilter, 0u);
    EXPECT_EQ(desk.devices.com.misuse, 0);
}

TEST_F(ReceiverTest, BoardWithoutHandleIsPresentButNeverHasAKeyDown) {
    SimVideoDevice& device = desk.devices.AddVideoDevice(kKv100);
    device.givesHandle = false;
    EXPECT_EQ(OpenReceiver(), 1);
    EXPECT_NE(logic.receiverChannel.captureFilter, 0u);
    EXPECT_EQ(logic.receiverChannel.deviceHandle, 0u);

    desk.SetTimer(owner, 1, 65, OnKeyPollTick);
    desk.PressRemote(100, 5, 500);
    desk.RunUntil(1000);
    EXPECT_FALSE(IsRemoteKeyDown());
    EXPECT_EQ(ReadRemoteCode(), -1);
    EXPECT_TRUE(device.card.requests.empty());
    EXPECT_EQ(logic.routerState.lastKeyTick, 0u);

    // A search while the card is away does not take it back without its handle.
    ReleaseReceiver();
    EXPECT_FALSE(ReopenReceiver());
    EXPECT_EQ(logic.receiverChannel.captureFilter, 0u);
}

TEST_F(ReceiverTest, NothingIsSentAfterTheReceiverIsClosed) {
    SimCard& card = UseBoard(kKv100).card;
    desk.devices.heldRawCode = 5;
    CloseReceiver();
    EXPECT_FALSE(IsRemoteKeyDown());
    EXPECT_EQ(ReadRemoteCode(), -1);
    EXPECT_TRUE(card.requests.empty());
    EXPECT_EQ(desk.devices.com.misuse, 0);
}

TEST(ConfigureBoard, DerivesRegisterAndMaskFromTheLowByteOfTheBit) {
    struct Case {
        std::uint32_t bit;
        std::uint32_t registerAddress;
        std::uint8_t bitMask;
    } cases[] = {{14, 0x350014, 0x40}, {0, 0x350010, 0x01},  {7, 0x350010, 0x80},
                 {8, 0x350014, 0x01},  {31, 0x35001C, 0x80}, {0x10E, 0x350014, 0x40}};
    for (const Case& c : cases) {
        ConfigureBoard(BoardKind::Gpio, c.bit);
        EXPECT_EQ(logic.receiverChannel.registerAddress, c.registerAddress) << c.bit;
        EXPECT_EQ(logic.receiverChannel.bitMask, c.bitMask) << c.bit;
    }
    logic.receiverChannel = ReceiverChannel{};
}
