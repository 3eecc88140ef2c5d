// The driver status of a request: immediate or pending completion, and the platform
// error folded into 0x8007xxxx.
#include "platform/device_constants.h"
#include "receiver/device_control.h"
#include "receiver_fixture.h"

TEST_F(ReceiverTest, RequestStatusFollowsTheDriversCompletion) {
    struct Case {
        const char* what;
        SimCompletion completion;  // of the request when it succeeds
        std::uint32_t error;       // 0: no fault
        SimCompletion faultCompletion;
        std::int32_t status;
    } cases[] = {
        {"immediate success", SimCompletion::Immediate, 0, SimCompletion::Immediate, 0},
        {"pending, then success", SimCompletion::Pending, 0, SimCompletion::Immediate, 0},
        {"pending, then error 31", SimCompletion::Immediate, 31, SimCompletion::Pending,
         static_cast<std::int32_t>(0x8007001Fu)},
        {"immediate error 998", SimCompletion::Immediate, 998, SimCompletion::Immediate,
         static_cast<std::int32_t>(0x800703E6u)},
        {"only the low 16 bits of the error", SimCompletion::Immediate, 0x12345,
         SimCompletion::Immediate, static_cast<std::int32_t>(0x80072345u)},
    };
    SimCard& card = UseBoard(kKv100).card;
    for (const Case& c : cases) {
        card.requests.clear();
        card.completion = c.completion;
        if (c.error != 0)
            card.FailCommand(Code("GpioSetAddress"), c.error, SimFaultRepeat::Once,
                             c.faultCompletion);
        EXPECT_EQ(GpioSelectRegister(0x350014), c.status) << c.what;
        ASSERT_EQ(card.requests.size(), 1u) << c.what;
        EXPECT_EQ(card.requests[0].error, c.error) << c.what;
        EXPECT_EQ(card.state.selectedRegister, c.error == 0 ? 0x350014u : 0u) << c.what;
        card.state.selectedRegister = 0;
        // Every event was closed, and only a pending request was waited for.
        EXPECT_TRUE(desk.devices.com.events.empty()) << c.what;
        EXPECT_TRUE(desk.devices.com.pending.empty()) << c.what;
        EXPECT_EQ(desk.devices.com.misuse, 0) << c.what;
    }
}

TEST_F(ReceiverTest, StatusIsZeroOrNegative) {
    EXPECT_EQ(DriverStatus(0), 0);
    EXPECT_EQ(DriverStatus(ERROR_IO_PENDING), static_cast<std::int32_t>(0x800703E5u));
    EXPECT_LT(DriverStatus(0x10000), 0);  // low 16 bits zero still fail
    EXPECT_EQ(DriverStatus(0x10000), static_cast<std::int32_t>(0x80070000u));
}

TEST_F(ReceiverTest, NoEventMeansNoRequest) {
    SimCard& card = UseBoard(kKv100).card;
    desk.devices.createEventError = 8;
    EXPECT_EQ(GpioSelectRegister(0x350014), static_cast<std::int32_t>(0x80070008u));
    EXPECT_TRUE(card.requests.empty());
    EXPECT_FALSE(IsRemoteKeyDown());
}

TEST_F(ReceiverTest, PendingReadReturnsTheValueTheDriverCompletedWith) {
    SimCard& card = UseBoard(kKv100).card;
    card.completion = SimCompletion::Pending;
    desk.devices.heldRawCode = 9;
    EXPECT_EQ(PollReceiver(), 9);
    EXPECT_EQ(card.requests.size(), 5u);
    EXPECT_TRUE(desk.devices.com.events.empty());
}
