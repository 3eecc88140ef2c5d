// The card going away and coming back while the utility runs; the timeline of each case is
// in tests/scenarios (sleep_resume, card_unplugged, driver_silent, i2c_steps_fail,
// no_card_broadcasts).
#include "platform/device_constants.h"
#include "shell/tray.h"
#include "tests/test_support.h"

namespace {

using ReceiverWatch = ShellTest;

// A status that says the device is gone ends the code read without its box, the card is
// lost at once, and a device change finds it again; what COM lent is all given back.
TEST_F(ReceiverWatch, ACardGoneInTheMiddleOfAnI2cReadShowsNoBoxAndIsFoundAgain) {
    desk.devices = SimDevices{};
    SimCard& card = desk.devices.AddVideoDevice("Sorrel DVBS Q7 Video Capture").card;
    std::uint32_t start = 0;
    SimCardCommandCode("I2cStart", &start);
    card.FailCommand(start, ERROR_DEVICE_NOT_CONNECTED);
    desk.PressRemote(100, 0, 65);
    desk.At(1000, [this] { desk.BroadcastDeviceChange(DBT_DEVNODES_CHANGED); });
    desk.PressRemote(1100, 0, 65);  // key 0 clicks in pointer mode
    ExitAt(2000);

    Run();

    EXPECT_TRUE(desk.dialogs.messageBoxes.empty());
    EXPECT_EQ(TraceStarting({"tray modify", "mouse"}),
              (std::vector<std::string>{
                  "tray modify id=10 tip=\"" + std::string(kLostTrayTip) + "\"",
                  "tray modify id=10 tip=\"Remote Control\"", "mouse flags=0x0002 x=512 y=384",
                  "mouse flags=0x0004 x=512 y=384"}));
    EXPECT_EQ(desk.devices.com.LiveObjects(), 0);
    EXPECT_EQ(desk.devices.com.initialized, 0);
    EXPECT_EQ(desk.devices.com.misuse, 0);
}

}  // namespace
