// A driver that fails or answers nonsense: every step failing in turn, the I2C read's
// failure boxes, and replies with any values.
#include "platform/device_constants.h"
#include "receiver_fixture.h"

namespace {

struct FailingStep {
    const char* command;
    int code;              // the poll's result: the raw code, or -2 for no key down
    const char* box;       // the I2CSWRead text, or nullptr
    std::size_t requests;  // sent on the poll
    std::uint32_t busSpeed;
};

// The I2C board with raw code 0x1E held; each command fails always.
const FailingStep kI2cSteps[] = {
    {"GpioSetAddress", -2, nullptr, 1, 100000},
    {"GpioRead", -2, nullptr, 3, 100000},
    {"I2cSpeed200k", 255, nullptr, 4, 100000},
    {"I2cApplySpeed", 255, nullptr, 5, 100000},
    {"I2cStart", 255, "Command I2C START failed!", 8, 100000},
    {"I2cSetReadAddress", 255, "Command I2C SET READ ADDRESS failed!", 9, 100000},
    {"I2cWrite", 255, nullptr, 10, 100000},
    {"I2cRead", 255, "Command I2C READ failed!", 11, 100000},
    {"I2cNack", 255, "Command I2C NACK failed!", 12, 100000},
    {"I2cAck", 30, nullptr, 15, 100000},  // a one-byte read never acknowledges
    {"I2cStop", 255, nullptr, 15, 100000},
    // The speed cannot be set back, and the read itself succeeded.
    {"I2cSpeed100k", 30, nullptr, 14, 200000},
};

}  // namespace

TEST_F(ReceiverTest, EveryI2cBoardRequestFailingInTurn) {
    SimCard& card = UseBoard(kDvbs).card;
    desk.devices.heldRawCode = 0x1E;
    for (SimCompletion completion : {SimCompletion::Immediate, SimCompletion::Pending}) {
        for (const FailingStep& step : kI2cSteps) {
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
            if (step.box) {
                ASSERT_EQ(desk.dialogs.messageBoxes.size(), 1u) << what;
                EXPECT_EQ(desk.dialogs.messageBoxes[0].caption, "I2CSWRead");
                EXPECT_EQ(desk.dialogs.messageBoxes[0].text, step.box);
                EXPECT_EQ(desk.dialogs.messageBoxes[0].type, MB_OK);
            } else {
                EXPECT_TRUE(desk.dialogs.messageBoxes.empty()) << what;
            }
            EXPECT_TRUE(desk.devices.com.events.empty()) << what;
        }
    }
}

TEST_F(ReceiverTest, FailedI2cWriteStillSetsTheBusBackTo100k) {
    SimCard& card = UseBoard(kDvbs).card;
    desk.devices.heldRawCode = 0x1E;
    card.FailCommand(Code("I2cWrite"), ERROR_GEN_FAILURE);
    EXPECT_EQ(PollReceiver(), 255);
    EXPECT_EQ(CommandsSince(card, 7),
              (std::vector<std::string>{"I2cWrite set", "I2cSpeed100k set", "I2cApplySpeed set"}));
    // The next poll reads normally.
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

TEST_F(ReceiverTest, RepliesWithAnyValuesGiveCodesInRange) {
    for (const char* board : {kKv100, kDvbs}) {
        logic.receiverChannel = ReceiverChannel{};
        desk.devices.videoDevices.clear();
        SimCard& card = UseBoard(board).card;
        desk.devices.heldRawCode = 0x1E;
        for (int fill : {0x00, 0x3F, 0x40, 0xA5, 0xBE, 0xFF}) {
            card.replyFill = fill;
            int code = PollReceiver();
            bool gpio = std::string(board) == kKv100;
            bool down = (fill & (gpio ? 0x40 : 0x01)) == 0;
            EXPECT_EQ(code, down ? (gpio ? (fill & 0x3F) : fill) : -2) << board << " " << fill;
        }
        CloseReceiver();
    }
}

TEST_F(ReceiverTest, ReadOfNoBytesSendsNothing) {
    SimCard& card = UseBoard(kDvbs).card;
    std::uint8_t byte = 0x77;
    EXPECT_LT(I2cReadBytes(0x60, &byte, 0), 0);
    EXPECT_LT(I2cReadBytes(0x60, &byte, -5), 0);
    EXPECT_EQ(byte, 0x77);
    EXPECT_TRUE(card.requests.empty());
}

TEST_F(ReceiverTest, ReadFromAnAbsentDeviceFailsAtTheAddressByte) {
    SimCard& card = UseBoard(kDvbs).card;
    std::uint8_t byte = 0;
    EXPECT_EQ(I2cReadBytes(0x50, &byte, 1), static_cast<std::int32_t>(0x8007045Du));
    EXPECT_EQ(card.requests.back().command, "I2cWrite");
    EXPECT_TRUE(desk.dialogs.messageBoxes.empty());
}

// While a failure box waits for the user, the polls that fall due send nothing and leave
// the router alone; the interrupted poll then finishes its read.
TEST_F(ReceiverTest, NoFailureBoxIsStackedWhileOneIsOpen) {
    SimCard& card = UseBoard(kDvbs).card;
    desk.dialogs.autoCloseMessageBoxes = false;
    card.FailCommand(Code("I2cStart"), ERROR_GEN_FAILURE, SimFaultRepeat::Always);
    desk.devices.heldRawCode = 0x1E;
    desk.SetTimer(owner, 1, 65, OnKeyPollTick);
    std::size_t sentWhileOpen = 0;
    RouterState routerWhileOpen{};
    desk.At(1000, [&] {
        sentWhileOpen = card.requests.size();
        routerWhileOpen = logic.routerState;
        desk.CloseTopMessageBox();
    });
    desk.At(1010, [&] { desk.devices.heldRawCode = -1; });
    desk.RunUntil(1100);

    EXPECT_EQ(sentWhileOpen, 6u);  // key check, speed, the failed start
    EXPECT_EQ(routerWhileOpen.lastKeyTick, 0u);
    EXPECT_EQ(desk.dialogs.messageBoxes.size(), 1u);
    EXPECT_EQ(desk.dialogs.OpenMessageBoxCount(), 0);
    EXPECT_EQ(CommandsSince(card, 6),
              (std::vector<std::string>{"I2cSpeed100k set", "I2cApplySpeed set",
                                        "GpioSetAddress set", "GpioRead set", "GpioRead get"}));
    EXPECT_EQ(logic.routerState.lastKey, 255);
}
