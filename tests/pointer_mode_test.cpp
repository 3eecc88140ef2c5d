// Pointer mode seen from the desktop: where the pointer went and which button events
// arrived, with keys delivered through the router from a Direct board.
#include "routing/pointer_mode.h"

#include "test_support.h"

namespace {

class PointerModeTest : public DesktopTest {
  protected:
    void SetUp() override {
        Construct();
        InitPointerBounds();  // 1024 x 749 full-screen client area: bounds 0..1023, 0..767
    }

    // Holds `key`: a fresh press, then repeats every 65 ms; the pointer's x after each.
    std::vector<int> HoldKey(RemoteKey key, int events) {
        std::vector<int> xs;
        for (int i = 0; i < events; ++i) {
            if (i == 0) {
                PressKey(key);
            } else {
                Poll(key);
            }
            xs.push_back(desk.input.cursor.x);
        }
        return xs;
    }

    // The pointer's moves from 100 along x to each of `xs`.
    static std::vector<int> Steps(const std::vector<int>& xs) {
        std::vector<int> steps;
        int from = 100;
        for (int x : xs) {
            steps.push_back(x - from);
            from = x;
        }
        return steps;
    }

    std::vector<std::string> MouseFlags() const {
        std::vector<std::string> flags;
        for (const auto& line : TraceWith("mouse flags="))
            flags.push_back(line.substr(12, 6));
        return flags;
    }
};

TEST_F(PointerModeTest, FreshPressOrOtherKeyStartsAgainAtOnePixel) {
    desk.input.cursor = Point{400, 400};
    HoldKey(6, 7);     // well into the small steps
    PressKey(6, 250);  // a pause of 250 ms makes a fresh press
    EXPECT_EQ(desk.input.cursor.x, 400 + 4 + 3 * 6 + 1);
    HoldKey(6, 6);
    Poll(3);  // a change of key, however quick
    EXPECT_EQ(desk.input.cursor.x, 400 + 4 + 3 * 6 + 1 + 4 + 2 * 6 + 1);
    EXPECT_EQ(desk.input.cursor.y, 399);
}

TEST_F(PointerModeTest, StepsFollowTheDisplayWidth) {
    struct Case {
        int width, smallStep, largeStep;
    } cases[] = {{640, 4, 8},   {800, 5, 10},  {1024, 6, 12},
                 {1366, 8, 17}, {1280, 8, 16}, {1600, 10, 20}};
    for (const auto& c : cases) {
        desk.input.screenWidth = c.width;
        UpdatePointerBounds(c.width, 768);
        desk.input.cursor = Point{100, 300};
        // One pixel for four events, the small step for five, then the large one.
        EXPECT_EQ(Steps(HoldKey(6, 11)),
                  (std::vector<int>{1, 1, 1, 1, c.smallStep, c.smallStep, c.smallStep, c.smallStep,
                                    c.smallStep, c.largeStep, c.largeStep}))
            << c.width;
        EXPECT_EQ(desk.input.cursor.y, 300);
    }
}

TEST_F(PointerModeTest, MovesOntoOrBeyondTheOutermostRowOrColumnAreRefused) {
    struct Case {
        Point from;
        RemoteKey key;
        Point expected;
    } cases[] = {
        {{1, 100}, 4, {1, 100}},        // onto the left column
        {{2, 100}, 4, {1, 100}},        // next to it: allowed
        {{1022, 100}, 6, {1022, 100}},  // onto the right column
        {{100, 1}, 2, {100, 1}},        // onto the top row
        {{100, 766}, 8, {100, 766}},    // onto the bottom row
        {{0, 100}, 6, {1, 100}},        // away from the edge it sits on
        {{0, 100}, 2, {0, 100}},        // along that edge
        {{1023, 767}, 1, {1022, 766}},  // out of the corner
        {{1023, 767}, 9, {1023, 767}},  // beyond the corner
        {{100, 1}, 3, {100, 1}},        // diagonal whose vertical part leaves: whole refused
        {{100, 766}, 7, {100, 766}},    //
        {{1022, 300}, 9, {1022, 300}},  // diagonal whose horizontal part leaves
    };
    for (const auto& c : cases) {
        desk.input.cursor = c.from;
        PressKey(c.key);
        EXPECT_EQ(desk.input.cursor.x, c.expected.x)
            << c.from.x << "," << c.from.y << " key " << c.key;
        EXPECT_EQ(desk.input.cursor.y, c.expected.y)
            << c.from.x << "," << c.from.y << " key " << c.key;
    }
}

TEST_F(PointerModeTest, RefusedMoveRestartsTheAcceleration) {
    desk.input.cursor = Point{1010, 300};
    std::vector<int> xs = HoldKey(6, 9);
    EXPECT_EQ(xs, (std::vector<int>{1011, 1012, 1013, 1014, 1020, 1020, 1021, 1022, 1022}));
}

// The bottom bound shows as the row a move may not reach.
TEST_F(PointerModeTest, OddStartHeightIsCorrectedOnlyAtStart) {
    struct Case {
        int startHeight;
        bool displayChange;
        int lastReachableRow;
    } cases[] = {{749, false, 766}, {768, false, 766}, {750, false, 748}, {749, true, 747}};
    for (const auto& c : cases) {
        desk.input.fullScreenHeight = c.startHeight;
        InitPointerBounds();
        if (c.displayChange) UpdatePointerBounds(1024, c.startHeight);
        desk.input.cursor = Point{100, c.lastReachableRow - 1};
        PressKey(8);
        PressKey(8);
        EXPECT_EQ(desk.input.cursor.y, c.lastReachableRow) << c.startHeight;
    }
}

// Key 5 holds and releases the primary button (the swapped case is a scenario), passing on the
// message's extra information.
TEST_F(PointerModeTest, DragTogglesThePrimaryButton) {
    desk.input.messageExtraInfo = 0x5A5A;
    PressKey(5);
    EXPECT_TRUE(desk.input.leftButtonDown);
    PressKey(5);
    EXPECT_EQ(MouseFlags(), (std::vector<std::string>{"0x0002", "0x0004"}));
    EXPECT_FALSE(desk.input.leftButtonDown);
    for (const auto& event : desk.input.mouseEvents) {
        EXPECT_EQ(event.extraInfo, 0x5A5Au);
        EXPECT_EQ(event.data, 0u);
    }
}

TEST_F(PointerModeTest, KeysWithoutAnActionDoNothing) {
    for (RemoteKey key : {11, 12, 19, 22, 31, NoRemoteKey, SkipKey, -7})
        MovePointerOrClick(key);
    EXPECT_TRUE(desk.input.mouseEvents.empty());
    EXPECT_TRUE(TraceWith("cursor ").empty());
}

TEST_F(PointerModeTest, ZeroDisplaySizeRefusesEveryMoveButStillClicks) {
    desk.input.fullScreenWidth = 0;
    desk.input.fullScreenHeight = 0;
    InitPointerBounds();
    for (RemoteKey key : {1, 2, 3, 4, 6, 7, 8, 9})
        PressKey(key);
    EXPECT_TRUE(TraceWith("cursor ").empty());
    PressKey(0);
    EXPECT_EQ(MouseFlags(), (std::vector<std::string>{"0x0002", "0x0004"}));
}

}  // namespace
