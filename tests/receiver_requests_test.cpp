// What the card receives, byte for byte, on each poll and from each GPIO and I2C step.
#include "receiver_fixture.h"

namespace {

using Commands = std::vector<std::string>;

const Commands kKeyCheck = {"GpioSetAddress set", "GpioRead set", "GpioRead get"};

Commands Concat(Commands a, const Commands& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Commands kOneByteRead = {"I2cStart set",     "I2cSetReadAddress set", "I2cWrite set",
                               "I2cRead get",      "I2cNack set",           "I2cStop set",
                               "I2cSpeed200k set", "I2cApplySpeed set"};
const Commands kFast = {"I2cSpeed200k set", "I2cApplySpeed set"};
const Commands kSlow = {"I2cSpeed100k set", "I2cApplySpeed set"};

}  // namespace

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
}

TEST_F(ReceiverTest, GpioReadRegisterSendsTheGetInTheBufferAsTheDriverLeftIt) {
    SimCard& card = UseBoard(kKv100).card;
    card.replyFill = 0xA5;
    std::uint32_t value = 0;
    EXPECT_EQ(GpioReadRegister(&value), 0);
    EXPECT_EQ(value, 0xA5A5A5A5u);

    ASSERT_EQ(card.requests.size(), 2u);
    auto get = Request(40, "GpioRead", kGet);
    std::fill(get.begin() + 28, get.end(), 0xA5);  // only the header is written again
    EXPECT_EQ(card.requests[1].bytes, get);
}

TEST_F(ReceiverTest, KeyDownOnTheI2cBoardReadsTheCodeInFifteenRequests) {
    SimCard& card = UseBoard(kDvbs).card;
    desk.devices.heldRawCode = 0x1E;
    EXPECT_EQ(PollReceiver(), 30);

    EXPECT_EQ(card.Commands(), Concat(Concat(Concat(kKeyCheck, kFast), kOneByteRead), kSlow));
    auto select = Request(40, "GpioSetAddress", kSet);
    Put32(select, 28, 0x350010);
    EXPECT_EQ(card.requests[0].bytes, select);
    auto fast = Request(120, "I2cSpeed200k", kSet);
    Put32(fast, 32, 200000);
    EXPECT_EQ(card.requests[3].bytes, fast);
    EXPECT_EQ(card.requests[4].bytes, Request(120, "I2cApplySpeed", kSet));
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
    auto slow = Request(120, "I2cSpeed100k", kSet);
    Put32(slow, 32, 100000);
    EXPECT_EQ(card.requests[13].bytes, slow);
    EXPECT_EQ(card.state.busSpeed, 100000u);
}

TEST_F(ReceiverTest, ThreeByteReadAcknowledgesAllButTheLastByte) {
    SimCard& card = UseBoard(kDvbs).card;
    desk.devices.heldRawCode = 0x42;
    std::uint8_t bytes[3] = {};
    EXPECT_EQ(I2cReadBytes(0x60, bytes, 3), 0);

    EXPECT_EQ(card.Commands(),
              (Commands{"I2cStart set", "I2cSetReadAddress set", "I2cWrite set", "I2cRead get",
                        "I2cAck set", "I2cRead get", "I2cAck set", "I2cRead get", "I2cNack set",
                        "I2cStop set", "I2cSpeed200k set", "I2cApplySpeed set"}));
    EXPECT_EQ(bytes[0], 0x42);
    EXPECT_EQ(bytes[2], 0x42);
    EXPECT_EQ(card.requests[4].bytes, Request(120, "I2cAck", kSet));
}

TEST_F(ReceiverTest, BusSpeedOtherThan100kSelects200k) {
    SimCard& card = UseBoard(kDvbs).card;
    struct Case {
        std::uint32_t asked;
        const char* command;
        std::uint32_t sent;
    } cases[] = {{100000, "I2cSpeed100k", 100000},
                 {150000, "I2cSpeed200k", 200000},
                 {200000, "I2cSpeed200k", 200000},
                 {99999, "I2cSpeed200k", 200000},
                 {0, "I2cSpeed200k", 200000}};
    for (const Case& c : cases) {
        card.requests.clear();
        EXPECT_EQ(I2cSetBusSpeed(c.asked), 0);
        ASSERT_EQ(card.requests.size(), 2u) << c.asked;
        auto select = Request(120, c.command, kSet);
        Put32(select, 32, c.sent);
        EXPECT_EQ(card.requests[0].bytes, select) << c.asked;
        EXPECT_EQ(card.requests[1].bytes, Request(120, "I2cApplySpeed", kSet)) << c.asked;
        EXPECT_EQ(card.state.busSpeed, c.sent);
    }
}

TEST_F(ReceiverTest, RegisterValuesDecideKeyAndCode) {
    struct Case {
        const char* board;
        std::uint32_t keyRegister;
        std::uint32_t value;
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
        logic.receiverChannel = ReceiverChannel{};
        desk.devices.videoDevices.clear();
        SimCard& card = UseBoard(c.board).card;
        card.fixedRegisters[c.keyRegister] = c.value;
        card.fixedI2cByte = c.i2cByte;
        EXPECT_EQ(PollReceiver(), c.code) << c.board << " " << c.value;
        EXPECT_EQ(card.requests.size(), c.requests) << c.board << " " << c.value;
        CloseReceiver();
    }
}

TEST_F(ReceiverTest, KeyPollerPaysThreeRequestsIdleFiveOnGpioFifteenOnI2c) {
    SimCard& gpio = UseBoard(kKv100).card;
    Poll(-1);
    EXPECT_EQ(gpio.requests.size(), 3u);
    Poll(5);
    EXPECT_EQ(gpio.requests.size(), 8u);
    EXPECT_EQ(logic.routerState.lastKey, 4);  // raw 5 on a Translated board

    CloseReceiver();
    desk.devices.videoDevices.clear();
    Construct();
    SimCard& i2c = UseBoard(kDvbs).card;
    Poll(-1);
    EXPECT_EQ(i2c.requests.size(), 3u);
    Poll(25);
    EXPECT_EQ(i2c.requests.size(), 18u);
    EXPECT_EQ(logic.routerState.lastKey, 25);  // Direct
}

TEST_F(ReceiverTest, EveryCardPresentSeesThePress) {
    desk.devices.AddVideoDevice(kKv100);
    SimCard& second = UseBoard(kDvbs).card;
    desk.devices.traceRequests = true;
    desk.devices.heldRawCode = 7;
    EXPECT_EQ(PollReceiver(), 7);  // the first listed board is read
    EXPECT_TRUE(second.requests.empty());
    EXPECT_EQ(second.RegisterValue(0x350010, desk.devices.heldRawCode) & 1u, 0u);
    EXPECT_EQ(TraceWith("request"),
              (std::vector<std::string>{"request GpioSetAddress set", "request GpioRead set",
                                        "request GpioRead get", "request GpioRead set",
                                        "request GpioRead get"}));
}
