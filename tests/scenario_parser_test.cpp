// The scenario language of remote-sim: what it accepts and how it reports a fault (beyond the
// bad scenarios under scenarios/bad, each checked against its error line).
#include <gtest/gtest.h>

#include "tools/remote_sim/scenario.h"

namespace {

TEST(ScenarioParser, ReadsTheDesktopAndTheTimeline) {
    const char* text = R"(# an evening
screen 1280 1024
device "Kavel KV100 Video Capture"
install 9 "C:\TV\Hub"
install-common 6 "C:\TV\Duo"   # trailing comment
setting DefaultTVAPP 2
country 81
running 7
window "TSourceForm" "Source" hidden
swap-buttons
cursor 500 400
at 0 press 18 for 300
at 0 press raw 30 for 100
at 900 msgbox ok
at 1000 tray left
at 1100 menu "Setting"
at 1200 dialog select "VantorTVR"
at 1300 dialog button 1
at 1400 close-app 9
at 1500 display 1280 1024
at 1600 fail I2cWrite always
run 5000
)";
    Scenario s;
    std::string error;
    ASSERT_TRUE(ParseScenario("a.scn", text, &s, &error)) << error;
    EXPECT_EQ(s.screenWidth, 1280);
    ASSERT_EQ(s.devices.size(), 1u);
    ASSERT_EQ(s.installs.size(), 2u);
    EXPECT_EQ(s.installs[0].folder, "C:\\TV\\Hub");
    EXPECT_TRUE(s.installs[1].commonKey);
    EXPECT_EQ(s.settings[0].value, 2);
    EXPECT_EQ(s.country, 81);
    EXPECT_FALSE(s.windows[0].visible);
    EXPECT_TRUE(s.swapButtons);
    ASSERT_EQ(s.events.size(), 10u);
    EXPECT_EQ(s.events[1].kind, ScenarioEvent::PressRaw);
    EXPECT_EQ(s.events[1].number, 30);
    EXPECT_EQ(s.events[1].duration, 100u);
    EXPECT_EQ(s.events[4].text, "Setting");
    EXPECT_EQ(s.events[9].text, "I2cWrite");
    EXPECT_TRUE(s.events[9].always);
    EXPECT_EQ(s.events[9].line, 21);
    EXPECT_EQ(s.runMs, 5000u);
}

TEST(ScenarioParser, ReportsTheFileTheLineAndTheFault) {
    struct Case {
        const char* text;
        const char* error;
    } cases[] = {
        {"cursor 99999999999999999999 1\n", "f.scn:1: error: bad number '99999999999999999999'"},
        {"at 500 msgbox ok\nrun 100\n", "f.scn:2: error: time 100 goes backwards (after 500)"},
        {"install 10 \"C:\\X\"\n", "f.scn:1: error: application number 10 is not 1, 2, 6, 7 or 9"},
        {"at 0 close-app -1\n", "f.scn:1: error: application number -1 is not 1, 2, 6, 7 or 9"},
        {"at 0 press 18\n", "f.scn:1: error: expected 'for'"},
        {"at 0 jump\n", "f.scn:1: error: unknown action 'jump'"},
        {"at 0 tray middle\n", "f.scn:1: error: tray takes left, right or move, not 'middle'"},
        {"setting Colour 1\n", "f.scn:1: error: unknown setting 'Colour'"},
        {"swap-buttons now\n", "f.scn:1: error: unexpected 'now'"},
        {"at\n", "f.scn:1: error: expected a number"},
    };
    for (const auto& c : cases) {
        Scenario s;
        std::string error;
        EXPECT_FALSE(ParseScenario("f.scn", c.text, &s, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

}  // namespace
