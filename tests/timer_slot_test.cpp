// Timer slots as the desktop sees them: which window timers exist, when they are due,
// and which were set and killed.
#include "shell/timer_slot.h"

#include "test_support.h"

namespace {

class TimerSlotTest : public DesktopTest {
  protected:
    void SetUp() override { Construct(); }
};

TEST_F(TimerSlotTest, ArmingAnArmedSlotKeepsTheRunningTimerAndItsPhase) {
    StartKeyPolling(owner);
    desk.RunUntil(100);  // one tick at 65, the next due at 130
    logic.KeyPollTimer.Arm();
    ASSERT_EQ(desk.windows.Timers().size(), 1u);
    EXPECT_EQ(desk.windows.Timers()[0].nextDue, 130u);
    EXPECT_EQ(desk.windows.Timers()[0].intervalMs, 65u);
    EXPECT_EQ(TraceWith("timer set").size(), 1u);
}

TEST_F(TimerSlotTest, DisarmingASlotThatWasNeverArmedMakesNoPlatformCall) {
    std::uint64_t before = desk.calls;
    logic.AppWatchTimer.Disarm();
    PrepareAppWatch(owner);  // configures and disarms: still nothing to kill
    DisarmAppWatch();
    EXPECT_EQ(desk.calls, before);
}

// At most one timer per slot, and an armed slot has one: the router fuzzer's invariants.
TEST_F(TimerSlotTest, ExitKillsTheWatcherBeforeTheKeyPoller) {
    StartKeyPolling(owner);
    PrepareAppWatch(owner);
    ArmAppWatch();
    RunExitActions();
    EXPECT_EQ(TraceWith("timer kill"),
              (std::vector<std::string>{"timer kill id=2", "timer kill id=1"}));
    EXPECT_TRUE(desk.windows.Timers().empty());
}

// Static construction runs again for a new desktop: the slots start out disarmed there.
TEST_F(TimerSlotTest, ConstructionStartsAFreshRunDisarmed) {
    StartKeyPolling(owner);
    SimDesktop& next = InstallFreshSimDesktop();
    Construct();
    RunExitActions();  // nothing armed on this desktop: nothing to kill
    EXPECT_TRUE(next.trace.empty());
    StartKeyPolling(owner);
    EXPECT_EQ(next.windows.Timers().size(), 1u);
}

}  // namespace
