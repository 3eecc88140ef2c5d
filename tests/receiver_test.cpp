// The receiver: finding the TV card, what the card receives byte for byte on each poll and
// from each GPIO and I2C step, a driver that fails or answers nonsense, and the simulated card
// that refuses what a driver would refuse.
#include "platform/device_constants.h"
#include "receiver/device_control.h"
#include "test_support.h"

namespace {

using Commands = std::vector<std::string>;

const Commands kKeyCheck = {"GpioSetAddress set", "GpioRead set", "GpioRead get"};
const Commands kFast = {"I2cSpeed200k set", "I2cApplySpeed set"};
const Commands kSlow = {"I2cSpeed100k set", "I2cApplySpeed set"};
const Commands kOneByteRead = {"I2cStart set", "I2cSetReadAddress set", "I2cWrite set",
                               "I2cRead get",  "I2cNack set",           "I2cStop set"};

Commands Concat(std::initializer_list<Commands> parts) {
    Commands all;
    for (const Commands& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

class ReceiverTest : public DesktopTest {
  protected:
    ReceiverTest() {
        desk.devices.logRequests = true;
        Construct();
    }

    // One poll as the key poller makes it: the raw code when a key is down, else -2.
    int PollReceiver() { return IsRemoteKeyDown() ? ReadRemoteCode() : -2; }

    SimCard& OnlyBoard(const char* name) {
        CloseReceiver();
        desk.devices.videoDevices.clear();
        return UseBoard(name).card;
    }
};

// The search made while the card is away takes the same board in one walk.
TEST_F(ReceiverTest, OpenReceiverTakesTheFirstListedBoardPresentAndASearchTheSame) {
    const std::string tooLong = std::string(kKv100) + std::string(60, 'x');  // over 80 bytes
    struct Case {
        const char* what;
        std::vector<std::string> devices;  // in enumeration order
        int failingBag;                    // device whose property bag cannot be bound, or -1
        int bound;                         // the device whose handle the channel holds, or -1
        const char* board;                 // kind, register, bit mask, layout
    } cases[] = {
        {"list order beats enumeration order", {kDvbt, kKv200}, -1, 1, "1 350014 40 T"},
        {"the I2C board", {kDvbs}, -1, 0, "2 350010 1 D"},
        {"the Direct GPIO board", {"USB Camera", kDvbt}, -1, 1, "1 350014 40 D"},
        {"duplicates: the first is bound", {kBridgeway, kBridgeway}, -1, 0, "1 350014 40 T"},
        {"case and trailing blank differ",
         {"kavel kv100 video capture", "Kavel KV100 Video Capture "},
         -1,
         -1,
         "0 0 0 T"},
        {"a name that does not fit", {tooLong, kDvbt}, -1, 1, "1 350014 40 D"},
        {"a device without a property bag", {kKv100, kKv100}, 0, 1, "1 350014 40 T"},
        {"no device at all", {}, -1, -1, "0 0 0 T"},
    };
    for (const Case& c : cases) {
        logic.receiverChannel = ReceiverChannel{};
        desk.devices.videoDevices.clear();
        for (const std::string& name : c.devices)
            desk.devices.AddVideoDevice(name);
        if (c.failingBag >= 0) desk.devices.videoDevices[c.failingBag].propertyBagFails = true;

        EXPECT_EQ(OpenReceiver(), c.bound >= 0) << c.what;
        Handle expected = c.bound < 0 ? 0 : kSimFirstDeviceHandle + c.bound * 4u;
        EXPECT_EQ(logic.receiverChannel.deviceHandle, expected) << c.what;
        char board[40];
        std::snprintf(board, sizeof board, "%d %X %X %c",
                      static_cast<int>(logic.receiverChannel.boardKind),
                      logic.receiverChannel.registerAddress, logic.receiverChannel.bitMask,
                      logic.receiverChannel.remoteLayout == Direct ? 'D' : 'T');
        EXPECT_STREQ(board, c.board) << c.what;
        // Only the bound filter outlives the search; every name was freed.
        EXPECT_EQ(desk.devices.com.LiveObjects(), c.bound >= 0 ? 1 : 0) << c.what;
        EXPECT_TRUE(desk.devices.com.strings.empty()) << c.what;

        ReleaseReceiver();
        desk.devices.traceDiscovery = true;
        desk.trace.clear();
        EXPECT_EQ(ReopenReceiver(), c.bound >= 0) << c.what;
        EXPECT_EQ(logic.receiverChannel.deviceHandle, expected) << c.what;
        EXPECT_EQ(TraceWith("device search").size(), 1u) << c.what;
        EXPECT_EQ(desk.devices.com.LiveObjects(), c.bound >= 0 ? 1 : 0) << c.what;
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

TEST_F(ReceiverTest, BoardWithoutHandleOrClosedReceiverSendsNothing) {
    SimVideoDevice& device = desk.devices.AddVideoDevice(kKv100);
    device.givesHandle = false;
    EXPECT_EQ(OpenReceiver(), 1);
    desk.SetTimer(owner, 1, 65, OnKeyPollTick);
    desk.PressRemote(100, 5, 500);
    desk.RunUntil(1000);
    EXPECT_EQ(PollReceiver(), -2);
    EXPECT_EQ(ReadRemoteCode(), -1);
    EXPECT_EQ(logic.routerState.lastKeyTick, 0u);
    EXPECT_TRUE(device.card.requests.empty());
    // A search while the card is away does not take it back without its handle.
    ReleaseReceiver();
    EXPECT_FALSE(ReopenReceiver());
    EXPECT_EQ(logic.receiverChannel.captureFilter, 0u);

    SimCard& card = OnlyBoard(kKv100);
    CloseReceiver();
    EXPECT_EQ(PollReceiver(), -2);
    EXPECT_EQ(ReadRemoteCode(), -1);
    EXPECT_TRUE(card.requests.empty());
    EXPECT_EQ(desk.devices.com.misuse, 0);
}

TEST_F(ReceiverTest, IdlePollOnAGpioBoardSendsTheKeyCheckOnly) {
    SimCard& card = UseBoard(kKv100).card;
    EXPECT_EQ(PollReceiver(), -2);
    ASSERT_EQ(card.Commands(), kKeyCheck);
    auto select = Request(40, "GpioSetAddress", kSet);
    Put32(select, 28, 0x350014);
    EXPECT_EQ(card.requests[0].bytes, select);
    EXPECT_EQ(card.requests[1].bytes, Request(40, "GpioRead", kSet));
    // The get goes out in the set's buffer, with the value the driver left at 32.
    auto get = Request(40, "GpioRead", kGet);
    Put32(get, 32, 0xFFFFFFFF);
    EXPECT_EQ(card.requests[2].bytes, get);

    card.requests.clear();
    card.replyFill = 0xA5;
    std::uint32_t value = 0;
    EXPECT_EQ(GpioReadRegister(&value), 0);
    EXPECT_EQ(value, 0xA5A5A5A5u);
    std::fill(get.begin() + 28, get.end(), 0xA5);  // only the header is written again
    EXPECT_EQ(card.requests.at(1).bytes, get);
}

TEST_F(ReceiverTest, KeyDownOnTheI2cBoardReadsTheCodeInFifteenRequests) {
    SimCard& card = UseBoard(kDvbs).card;
    desk.devices.heldRawCode = 0x1E;
    EXPECT_EQ(PollReceiver(), 30);

    EXPECT_EQ(card.Commands(), Concat({kKeyCheck, kFast, kOneByteRead, kFast, kSlow}));
    auto select = Request(40, "GpioSetAddress", kSet);
    Put32(select, 28, 0x350010);
    EXPECT_EQ(card.requests[0].bytes, select);
    EXPECT_EQ(card.requests[5].bytes, Request(120, "I2cStart", kSet));
    auto address = Request(120, "I2cSetReadAddress", kSet);
    address[48] = 0x61;
    EXPECT_EQ(card.requests[6].bytes, address);
    auto write = Request(120, "I2cWrite", kSet);
    write[50] = 0x61;
    EXPECT_EQ(card.requests[7].bytes, write);
    EXPECT_EQ(card.requests[8].bytes, Request(120, "I2cRead", kGet));
    EXPECT_EQ(card.requests[9].bytes, Request(120, "I2cNack", kSet));
    EXPECT_EQ(card.requests[10].bytes, Request(120, "I2cStop", kSet));
    EXPECT_EQ(card.state.busSpeed, 100000u);  // the speed requests' bytes: BusSpeedOtherThan100k...
}

TEST_F(ReceiverTest, BusSpeedOtherThan100kSelects200k) {
    SimCard& card = UseBoard(kDvbs).card;
    for (std::uint32_t asked : {100000u, 99999u, 150000u}) {
        card.requests.clear();
        EXPECT_EQ(I2cSetBusSpeed(asked), 0);
        std::uint32_t sent = asked == 100000 ? 100000 : 200000;
        auto select = Request(120, sent == 100000 ? "I2cSpeed100k" : "I2cSpeed200k", kSet);
        Put32(select, 32, sent);
        EXPECT_EQ(card.requests.at(0).bytes, select) << asked;
        EXPECT_EQ(card.requests.at(1).bytes, Request(120, "I2cApplySpeed", kSet)) << asked;
        EXPECT_EQ(card.state.busSpeed, sent);
    }
}

TEST_F(ReceiverTest, RegisterValuesDecideKeyAndCode) {
    struct Case {
        const char* board;
        std::uint32_t keyRegister, value;
        int i2cByte;
        int code;  // -2: no key down
        std::size_t requests;
    } cases[] = {
        {kKv200, 0x350014, 0x45, -1, -2, 3},    // bit 6 set: no key
        {kKv200, 0x350014, 0x85, -1, 5, 5},     // bit 6 clear: code in bits 0-5
        {kKv200, 0x350014, 0x3F, -1, 63, 5},    // the code a failed read gives too
        {kDvbs, 0x350010, 0xFE, 0x1E, 30, 15},  // bit 0 clear, code over I2C
        {kDvbs, 0x350010, 0x01, 0x1E, -2, 3},
    };
    for (const Case& c : cases) {
        SimCard& card = OnlyBoard(c.board);
        card.fixedRegisters[c.keyRegister] = c.value;
        card.fixedI2cByte = c.i2cByte;
        EXPECT_EQ(PollReceiver(), c.code) << c.board << " " << c.value;
        EXPECT_EQ(card.requests.size(), c.requests) << c.board << " " << c.value;
    }
}

TEST_F(ReceiverTest, EveryI2cBoardRequestFailingInTurn) {
    struct FailingStep {
        const char* command;
        int code;              // the poll's result: the raw code, or -2 for no key down
        const char* box;       // the I2CSWRead text, or ""
        std::size_t requests;  // sent on the poll
        std::uint32_t busSpeed;
    } steps[] = {
        {"GpioSetAddress", -2, "", 1, 100000},
        {"GpioRead", -2, "", 3, 100000},
        {"I2cSpeed200k", 255, "", 4, 100000},
        {"I2cApplySpeed", 255, "", 5, 100000},
        {"I2cStart", 255, "START", 8, 100000},
        {"I2cSetReadAddress", 255, "SET READ ADDRESS", 9, 100000},
        {"I2cWrite", 255, "", 10, 100000},
        {"I2cRead", 255, "READ", 11, 100000},
        {"I2cNack", 255, "NACK", 12, 100000},
        {"I2cAck", 30, "", 15, 100000},  // a one-byte read never acknowledges
        {"I2cStop", 255, "", 15, 100000},
        // The speed cannot be set back, and the read itself succeeded.
        {"I2cSpeed100k", 30, "", 14, 200000},
    };
    SimCard& card = UseBoard(kDvbs).card;
    desk.devices.heldRawCode = 0x1E;
    for (SimCompletion completion : {SimCompletion::Immediate, SimCompletion::Pending}) {
        for (const FailingStep& step : steps) {
            std::string what = std::string(step.command) +
                               (completion == SimCompletion::Pending ? " pending" : "");
            card = SimCard{};
            card.kind = SimCardKind::I2c;
            card.keyLine = 0;
            desk.dialogs.messageBoxes.clear();
            card.FailCommand(Code(step.command), ERROR_GEN_FAILURE, SimFaultRepeat::Always,
                             completion);
            EXPECT_EQ(PollReceiver(), step.code) << what;
            EXPECT_EQ(card.requests.size(), step.requests) << what;
            EXPECT_EQ(card.state.busSpeed, step.busSpeed) << what;
            EXPECT_EQ(OnlyBox(desk),
                      *step.box ? "I2CSWRead|Command I2C " + std::string(step.box) + " failed!|0"
                                : "0 boxes")
                << what;
            EXPECT_TRUE(desk.devices.com.events.empty()) << what;
        }
    }
    // A failed write still sets the bus back to 100 kHz, and the next poll reads normally.
    card = SimCard{};
    card.kind = SimCardKind::I2c;
    card.keyLine = 0;
    card.FailCommand(Code("I2cWrite"), ERROR_GEN_FAILURE);
    EXPECT_EQ(PollReceiver(), 255);
    Commands sent = card.Commands();
    EXPECT_EQ(Commands(sent.begin() + 7, sent.end()),
              (Commands{"I2cWrite set", "I2cSpeed100k set", "I2cApplySpeed set"}));
    EXPECT_EQ(PollReceiver(), 30);
}

TEST_F(ReceiverTest, EveryGpioBoardRequestFailingInTurn) {
    struct Case {
        const char* command;
        std::uint32_t flags;  // 0: set and get
        int code;
    } cases[] = {
        {"GpioSetAddress", 0, -2},
        {"GpioRead", 0, -2},
        {"GpioRead", kGet, -2},
        {"GpioRead", kSet, 5},  // the set's status is not looked at
    };
    SimCard& card = UseBoard(kKv100).card;
    desk.devices.heldRawCode = 5;
    for (const Case& c : cases) {
        card.faults.clear();
        card.FailCommand(Code(c.command), ERROR_GEN_FAILURE, SimFaultRepeat::Always,
                         SimCompletion::Immediate, c.flags);
        EXPECT_EQ(PollReceiver(), c.code) << c.command << " " << c.flags;
    }
    // The code read fails after the key check succeeded.
    card.faults.clear();
    ASSERT_TRUE(IsRemoteKeyDown());
    card.FailCommand(Code("GpioRead"), ERROR_GEN_FAILURE, SimFaultRepeat::Once,
                     SimCompletion::Pending, kGet);
    EXPECT_EQ(ReadRemoteCode(), 63);
}

TEST_F(ReceiverTest, ReadFromAnAbsentDeviceFailsAtItsAddressWithoutABox) {
    SimCard& card = UseBoard(kDvbs).card;
    std::uint8_t byte = 0;
    EXPECT_EQ(I2cReadBytes(0x50, &byte, 1), static_cast<std::int32_t>(0x8007045Du));
    EXPECT_EQ(card.requests.back().command, "I2cWrite");
    EXPECT_TRUE(desk.dialogs.messageBoxes.empty());
}

// The driver status of a request: immediate or pending completion, the platform error folded
// into 0x8007xxxx.
TEST_F(ReceiverTest, RequestStatusFollowsTheDriversCompletion) {
    struct Case {
        const char* what;
        SimCompletion completion;  // of the request when it succeeds
        std::uint32_t error;       // 0: no fault
        SimCompletion faultCompletion;
        std::uint32_t status;
    } cases[] = {
        {"immediate success", SimCompletion::Immediate, 0, SimCompletion::Immediate, 0},
        {"pending, then error 31", SimCompletion::Immediate, 31, SimCompletion::Pending,
         0x8007001F},
        {"immediate error 998", SimCompletion::Immediate, 998, SimCompletion::Immediate,
         0x800703E6},
        {"only the low 16 bits", SimCompletion::Immediate, 0x12345, SimCompletion::Immediate,
         0x80072345},
    };
    SimCard& card = UseBoard(kKv100).card;
    for (const Case& c : cases) {
        card.requests.clear();
        card.completion = c.completion;
        if (c.error != 0)
            card.FailCommand(Code("GpioSetAddress"), c.error, SimFaultRepeat::Once,
                             c.faultCompletion);
        EXPECT_EQ(GpioSelectRegister(0x350014), static_cast<std::int32_t>(c.status)) << c.what;
        ASSERT_EQ(card.requests.size(), 1u) << c.what;
        EXPECT_EQ(card.requests[0].error, c.error) << c.what;
        EXPECT_EQ(card.state.selectedRegister, c.error == 0 ? 0x350014u : 0u) << c.what;
        card.state.selectedRegister = 0;
        // Every event was closed, and only a pending request was waited for.
        EXPECT_TRUE(desk.devices.com.events.empty()) << c.what;
        EXPECT_TRUE(desk.devices.com.pending.empty()) << c.what;
        EXPECT_EQ(desk.devices.com.misuse, 0) << c.what;
    }
    EXPECT_EQ(DriverStatus(ERROR_IO_PENDING), static_cast<std::int32_t>(0x800703E5u));
    EXPECT_EQ(DriverStatus(0x10000), static_cast<std::int32_t>(0x80070000u));  // still a failure

    desk.devices.createEventError = 8;  // no event: no request
    card.requests.clear();
    EXPECT_EQ(GpioSelectRegister(0x350014), static_cast<std::int32_t>(0x80070008u));
    EXPECT_TRUE(card.requests.empty());
}

// The desktop as benchmarks and fuzzers run it, with no trace and no request log, answers
// exactly as the logging one, also for pending and failing requests.
TEST(QuietDesktop, AnswersAsTheLoggingOne) {
    struct Case {
        const char* board;
        SimCompletion completion;
        const char* failing;  // a command failed once, or nullptr
        int rawCode;
        int expected;  // the poll's result, or -2 for no key down
    } cases[] = {
        {kKv100, SimCompletion::Pending, nullptr, 7, 7},
        {kKv100, SimCompletion::Pending, nullptr, -1, -2},
        {kKv100, SimCompletion::Pending, "GpioSetAddress", 7, -2},
        {kDvbs, SimCompletion::Pending, nullptr, 0x1E, 0x1E},
        {kDvbs, SimCompletion::Immediate, "I2cWrite", 0x1E, 255},
    };
    for (const Case& c : cases) {
        for (bool logged : {true, false}) {
            std::string what = std::string(c.board) + " " + std::to_string(c.rawCode) +
                               (c.failing ? c.failing : "") + (logged ? " logged" : " quiet");
            SimDesktop& desk = InstallFreshSimDesktop();
            desk.devices.logRequests = desk.traceEnabled = desk.devices.traceRequests = logged;
            ConstructStaticObjects();
            SimCard& card = desk.devices.AddVideoDevice(c.board).card;
            card.completion = c.completion;
            if (c.failing) card.FailCommand(Code(c.failing), ERROR_GEN_FAILURE);
            ASSERT_EQ(OpenReceiver(), 1) << what;
            desk.devices.heldRawCode = c.rawCode;
            EXPECT_EQ(IsRemoteKeyDown() ? ReadRemoteCode() : -2, c.expected) << what;
            EXPECT_EQ(card.requests.empty(), !logged) << what;
            EXPECT_EQ(desk.trace.empty(), !logged) << what;
            EXPECT_TRUE(desk.devices.com.events.empty() && desk.devices.com.pending.empty())
                << what;
            EXPECT_EQ(desk.devices.com.misuse, 0) << what;
            CloseReceiver();
        }
    }
}

TEST(SimCardModel, MalformedRequestsAreRefused) {
    auto gpio = [](const char* command, std::uint32_t flags) {
        return Request(40, command, flags);
    };
    auto i2c = [](const char* command, std::uint32_t flags) {
        return Request(120, command, flags);
    };
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::uint32_t error;
    };
    std::vector<Case> cases = {
        {"well formed", gpio("GpioSetAddress", kSet), 0},
        {"header cut off", std::vector<std::uint8_t>(20), ERROR_INVALID_PARAMETER},
        {"flags", gpio("GpioRead", 3), ERROR_INVALID_PARAMETER},
        {"get of a set-only command", gpio("GpioSetAddress", kGet), ERROR_INVALID_PARAMETER},
        {"set of a get-only command", i2c("I2cRead", kSet), ERROR_INVALID_PARAMETER},
        {"read before a device acknowledged", i2c("I2cRead", kGet), ERROR_IO_DEVICE},
    };
    // A well-formed request spoilt at one place.
    auto spoilt = [&](const char* what, std::vector<std::uint8_t> bytes, std::size_t at,
                      std::uint8_t value, std::size_t size, std::uint32_t error) {
        bytes[at] = value;
        bytes.resize(size);
        cases.push_back({what, bytes, error});
    };
    spoilt("other property set", gpio("GpioRead", kGet), 15, 0xAA, 40, ERROR_SET_NOT_FOUND);
    spoilt("unknown property", gpio("GpioRead", kGet), 16, 5, 40, ERROR_NOT_FOUND);
    spoilt("GPIO too short", gpio("GpioRead", kGet), 0, 0x10, 36, ERROR_INSUFFICIENT_BUFFER);
    spoilt("GPIO too long", gpio("GpioRead", kGet), 0, 0x10, 120, ERROR_INVALID_PARAMETER);
    spoilt("stray payload byte", gpio("GpioRead", kSet), 36, 1, 40, ERROR_INVALID_PARAMETER);
    spoilt("address byte of another command", i2c("I2cStart", kSet), 48, 0x61, 120,
           ERROR_INVALID_PARAMETER);
    spoilt("I2C command, GPIO property", i2c("I2cStart", kSet), 16, 6, 40, ERROR_NOT_SUPPORTED);
    spoilt("unknown command", gpio("GpioRead", kSet), 24, 0x02, 40, ERROR_NOT_SUPPORTED);
    for (Case& c : cases) {
        SimCard card;
        card.kind = SimCardKind::I2c;
        auto size = static_cast<std::uint32_t>(c.bytes.size());
        EXPECT_EQ(card.Answer(c.bytes.data(), size, c.bytes.data(), size, -1), c.error) << c.what;
    }
}

}  // namespace
