// The simulated card refuses what a driver would refuse, so that a request the receiver
// builds wrongly shows as a failure.
#include "platform/device_constants.h"
#include "receiver_fixture.h"

TEST(SimCardModel, MalformedRequestsAreRefused) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::uint32_t error;
    };
    auto gpio = [](const char* command, std::uint32_t flags) {
        return Request(40, command, flags);
    };
    auto i2c = [](const char* command, std::uint32_t flags) {
        return Request(120, command, flags);
    };
    std::vector<Case> cases;
    cases.push_back({"well formed", gpio("GpioSetAddress", kSet), 0});
    auto guid = gpio("GpioRead", kGet);
    guid[15] ^= 1;
    cases.push_back({"other property set", guid, ERROR_SET_NOT_FOUND});
    auto id = gpio("GpioRead", kGet);
    id[16] = 5;
    cases.push_back({"unknown property", id, ERROR_NOT_FOUND});
    auto shortGpio = gpio("GpioRead", kGet);
    shortGpio.resize(36);
    cases.push_back({"GPIO request too short", shortGpio, ERROR_INSUFFICIENT_BUFFER});
    auto longGpio = gpio("GpioRead", kGet);
    longGpio.resize(120);
    cases.push_back({"GPIO request too long", longGpio, ERROR_INVALID_PARAMETER});
    cases.push_back({"header cut off", std::vector<std::uint8_t>(20), ERROR_INVALID_PARAMETER});
    cases.push_back({"flags", gpio("GpioRead", 3), ERROR_INVALID_PARAMETER});
    cases.push_back(
        {"get of a set-only command", gpio("GpioSetAddress", kGet), ERROR_INVALID_PARAMETER});
    cases.push_back({"set of a get-only command", i2c("I2cRead", kSet), ERROR_INVALID_PARAMETER});
    auto stray = gpio("GpioRead", kSet);
    stray[36] = 1;
    cases.push_back({"stray payload byte", stray, ERROR_INVALID_PARAMETER});
    auto speed = i2c("I2cSpeed200k", kSet);
    Put32(speed, 32, 100000);
    cases.push_back({"speed value of the other command", speed, ERROR_INVALID_PARAMETER});
    auto address = i2c("I2cStart", kSet);
    address[48] = 0x61;
    cases.push_back({"address byte with another command", address, ERROR_INVALID_PARAMETER});
    auto mixed = gpio("GpioRead", kGet);
    mixed[16] = 4;  // an I2C property id on a GPIO command and size
    cases.push_back({"GPIO command under the I2C property", mixed, ERROR_INSUFFICIENT_BUFFER});
    auto wrongSet = i2c("I2cStart", kSet);
    wrongSet[16] = 6;
    wrongSet.resize(40);
    cases.push_back({"I2C command under the GPIO property", wrongSet, ERROR_NOT_SUPPORTED});
    auto unknown = gpio("GpioRead", kSet);
    unknown[24] = 0x02;
    cases.push_back({"unknown command", unknown, ERROR_NOT_SUPPORTED});
    cases.push_back({"read before a device acknowledged", i2c("I2cRead", kGet), ERROR_IO_DEVICE});

    for (Case& c : cases) {
        SimCard card;
        card.kind = SimCardKind::I2c;
        auto size = static_cast<std::uint32_t>(c.bytes.size());
        EXPECT_EQ(card.Answer(c.bytes.data(), size, c.bytes.data(), size, -1), c.error) << c.what;
    }
}

TEST(SimCardModel, CommandNamesAndCodes) {
    std::uint32_t code = 0;
    ASSERT_TRUE(SimCardCommandCode("I2cWrite", &code));
    EXPECT_EQ(code, 0x1100000Eu);
    EXPECT_EQ(SimCardCommandName(0x11000018), "I2cSetReadAddress");
    EXPECT_EQ(SimCardCommandName(0x12345678), "0x12345678");
    EXPECT_FALSE(SimCardCommandCode("I2cWrites", &code));
}

TEST_F(ReceiverTest, PollPutsATranslatedGpioCardInWhenNoneIsOpen) {
    Poll(30);
    EXPECT_EQ(logic.routerState.lastKey, 18);  // raw 30 on the Translated KV100 is Power
    ASSERT_EQ(desk.devices.videoDevices.size(), 1u);
    EXPECT_EQ(desk.devices.videoDevices[0].card.requests.size(), 5u);
}

TEST_F(ReceiverTest, PressKeyPutsADirectI2cCardInWhenNoneIsOpen) {
    PressKey(200);
    EXPECT_EQ(logic.routerState.lastKey, 200);
    ASSERT_EQ(desk.devices.videoDevices.size(), 1u);
    EXPECT_EQ(desk.devices.videoDevices[0].card.requests.size(), 15u);
}
