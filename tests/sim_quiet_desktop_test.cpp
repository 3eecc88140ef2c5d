// The desktop as benchmarks and fuzzers run it: no trace and no request log. The card
// must answer exactly as it does with its log, also for pending and failing requests.
#include "platform/device_constants.h"
#include "receiver_fixture.h"

namespace {

struct QuietCase {
    const char* what;
    const char* board;
    SimCompletion completion;
    const char* failing;  // a command failed once, or nullptr
    int rawCode;
    int expected;  // the poll's result: the raw code, or -2 for no key down
};

const QuietCase kQuietCases[] = {
    {"GPIO immediate", kKv100, SimCompletion::Immediate, nullptr, 7, 7},
    {"GPIO pending", kKv100, SimCompletion::Pending, nullptr, 7, 7},
    {"GPIO idle", kKv100, SimCompletion::Pending, nullptr, -1, -2},
    {"GPIO read fails pending", kKv100, SimCompletion::Pending, "GpioSetAddress", 7, -2},
    {"I2C immediate", kDvbs, SimCompletion::Immediate, nullptr, 0x1E, 0x1E},
    {"I2C pending", kDvbs, SimCompletion::Pending, nullptr, 0x1E, 0x1E},
    {"I2C write fails", kDvbs, SimCompletion::Immediate, "I2cWrite", 0x1E, 255},
};

}  // namespace

// A fresh desktop for each run, since the receiver keeps the channel it opened.
TEST(QuietDesktopTest, AnswersAsTheLoggingOne) {
    for (const QuietCase& c : kQuietCases) {
        for (bool logged : {true, false}) {
            std::string what = std::string(c.what) + (logged ? " logged" : " quiet");
            SimDesktop desk;
            InstallPlatform(&desk);
            desk.devices.logRequests = logged;
            desk.traceEnabled = logged;
            desk.devices.traceRequests = logged;
            ConstructStaticObjects();
            SimCard& card = desk.devices.AddVideoDevice(c.board).card;
            card.completion = c.completion;
            if (c.failing) card.FailCommand(Code(c.failing), ERROR_GEN_FAILURE);
            ASSERT_EQ(OpenReceiver(), 1) << what;
            desk.devices.heldRawCode = c.rawCode;

            int result = IsRemoteKeyDown() ? ReadRemoteCode() : -2;
            EXPECT_EQ(result, c.expected) << what;
            EXPECT_EQ(card.requests.empty(), !logged) << what;
            EXPECT_EQ(desk.trace.empty(), !logged) << what;
            EXPECT_TRUE(desk.devices.com.events.empty()) << what;
            EXPECT_TRUE(desk.devices.com.pending.empty()) << what;
            EXPECT_EQ(desk.devices.com.misuse, 0) << what;
            CloseReceiver();
        }
    }
}
