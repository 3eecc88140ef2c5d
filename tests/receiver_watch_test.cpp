// The card going away and coming back while the utility runs; the timeline of each case is
// in tests/scenarios (sleep_resume, card_unplugged, driver_silent, i2c_steps_fail,
// no_card_broadcasts, driver_update*, disable_device, modern_standby, suspend_aborted,
// driver_hang).
#include <functional>

#include "platform/device_constants.h"
#include "shell/session_watch.h"
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

// Whatever closed the receiver on the way (sleep, a hung request, a removal asked for, one
// that failed, one done), the registrations for the handle's events and for suspend and
// resume are all given back by the end of the run, each once, and the handle never
// vetoed a removal.
TEST_F(ReceiverWatch, EveryPathGivesItsRegistrationsBack) {
    struct Case {
        const char* name;
        std::function<void(SimDesktop&)> trouble;
    };
    std::uint32_t gpioRead = 0;
    SimCardCommandCode("GpioRead", &gpioRead);
    const Case cases[] = {
        {"nothing", [](SimDesktop&) {}},
        {"sleep",
         [](SimDesktop& d) {
             d.Suspend();
             d.At(3000, [&d] { d.Resume(true); });
         }},
        {"aborted suspend", [](SimDesktop& d) { d.SuspendAborted(); }},
        {"hang", [gpioRead](SimDesktop& d) { d.HangNextRequest(gpioRead); }},
        {"update", [](SimDesktop& d) { d.RequestRemoval(kKv100, true, false); }},
        {"disable refused", [](SimDesktop& d) { d.RequestRemoval(kKv100, false, true); }},
        {"unplug", [](SimDesktop& d) { d.UnplugDevice(kKv100, ERROR_DEVICE_REMOVED); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimDesktop& d = Fresh(60000);
        d.system.modernStandby = true;
        d.At(1000, [&d, &c] { c.trouble(d); });
        d.At(5000, [&d] { d.TrayNotify(kTrayIconId, WM_LBUTTONDOWN); });
        d.At(5050, [&d] { d.ChooseMenuItem("Exit"); });
        ConstructStaticObjects();
        RunRemoteControl(kInstance);

        EXPECT_EQ(d.devices.LiveNotifications(), 0);
        EXPECT_FALSE(d.devices.handleNotifications.empty());
        EXPECT_TRUE(d.system.powerRegistrations.empty());
        EXPECT_EQ(d.devices.vetoesByOpenHandle, 0);
        EXPECT_LE(d.devices.longestDriverWaitMs, 500u);
        EXPECT_EQ(d.devices.com.misuse, 0);
        EXPECT_EQ(d.devices.com.LiveObjects(), 0);
        EXPECT_TRUE(d.devices.com.pending.empty());
    }
}

// The session's changes against sleep and the 500 ms between walks: a lock while the PC
// sleeps keeps the card closed at the wake, and the unlock finds it; an unlock just after a
// walk waits for the 500 ms. Whatever the run held is given back at its end.
TEST_F(ReceiverWatch, TheSessionPausesAcrossSleepAndResumesOnlyWhenInFront) {
    bool markOpenToAll = false;  // every user's copy can hold the mark
    desk.At(100, [&] {
        for (const auto& object : desk.sessions.objects)
            markOpenToAll |= object.key == "global:Remote Control is running" && object.openToAll;
    });
    desk.At(300, [this] { desk.Suspend(); });
    desk.At(2000, [this] { desk.Resume(true); });
    desk.At(2050, [this] { desk.LockSession(); });  // the lock at the wake comes before resume
    desk.At(4000, [this] { desk.UnlockSession(); });
    desk.At(4200, [this] { desk.LockSession(); });
    desk.At(4300, [this] { desk.UnlockSession(); });
    ExitAt(6000);

    EXPECT_EQ(Run(), 0);

    EXPECT_EQ(
        TraceStarting({"device search", "tray modify", "session change"}),
        (std::vector<std::string>{
            "session change 7", "tray modify id=10 tip=\"" + std::string(kLockedTrayTip) + "\"",
            "session change 8", "device search", "tray modify id=10 tip=\"Remote Control\"",
            "session change 7", "tray modify id=10 tip=\"" + std::string(kLockedTrayTip) + "\"",
            "session change 8", "device search", "tray modify id=10 tip=\"Remote Control\""}));
    std::vector<std::string> searches;
    for (const auto& line : desk.trace)
        if (line.find("device search") != std::string::npos) searches.push_back(line);
    EXPECT_EQ(searches, (std::vector<std::string>{"4000 device search", "4500 device search"}));
    EXPECT_TRUE(markOpenToAll);
    EXPECT_TRUE(desk.sessions.registered.empty());
    EXPECT_TRUE(desk.sessions.handles.empty());
    EXPECT_EQ(desk.devices.com.initialized, 0);
}

// A copy started in a Remote Desktop session opens nothing and polls nothing, and still ends
// with COM and its named object given back; where the session calls are missing (Windows 9x)
// nothing pauses.
TEST_F(ReceiverWatch, AStartAwayFromTheConsoleIsPausedUnlessTheSessionCallsAreMissing) {
    for (bool windows9x : {false, true}) {
        SimDesktop& d = Fresh(3000);
        d.system.win9xFamily = windows9x;
        d.sessions.supported = !windows9x;
        d.sessions.ownSession = 2;
        d.sessions.remote = true;
        d.devices.logRequests = true;
        ConstructStaticObjects();
        RunRemoteControl(kInstance);
        const SimTrayIcon* icon = d.tray.FindIcon(kTrayIconId);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->tip, windows9x ? kTrayTip : kAwayTrayTip);
        EXPECT_EQ(d.devices.videoDevices[0].card.requests.empty(), !windows9x);
        EXPECT_TRUE(d.sessions.handles.empty());
    }
}

}  // namespace
