#include "tools/keymap/keymap.h"

#include <cstdio>

#include "routing/pointer_mode.h"
#include "shell/settings.h"
#include "tests/desktop_fixture.h"

namespace {

const AppId kMessageApps[] = {2, 6, 7, 9};

std::string Hex(unsigned vk) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", vk);
    return text;
}

// The row of the generated reference that describes `key`.
std::string RowOf(const std::string& markdown, RemoteKey key) {
    std::string start = "\n| " + std::to_string(key) + " | ";
    std::size_t at = markdown.find(start);
    if (at == std::string::npos) return "";
    return markdown.substr(at + 1, markdown.find('\n', at + 1) - at - 1);
}

class Keymap : public DesktopTest {
  protected:
    void SetUp() override { Construct(); }
};

TEST(KeymapReference, Key24ReadsAsTheCommandTablesSay) {
    EXPECT_EQ(AppCommandText(2, 24), "5");
    EXPECT_EQ(AppCommandText(6, 24), "3");
    EXPECT_EQ(AppCommandText(7, 24), "5");
    EXPECT_EQ(AppCommandText(9, 24), "4002, held back by a dialog");
    EXPECT_EQ(AppCommandText(1, 24), "F11 (0x7A)");
    EXPECT_EQ(RowOf(KeymapMarkdown(), 24),
              "| 24 | command | 14 | F11 (0x7A) | 5 | 3 | 5 | 4002, held back by a dialog | — |");
}

TEST(KeymapReference, ShowsJapanLayoutRulesRawCodesAndPointerActions) {
    EXPECT_EQ(AppCommandText(2, 10), "10100; Japan: 10011");
    EXPECT_EQ(AppCommandText(2, 24), "5");  // no Japan entry, no Japan text
    EXPECT_EQ(AppCommandText(9, 14), "1002, held back by PictureView");
    EXPECT_EQ(AppCommandText(9, 17), "1005, also over a dialog");
    EXPECT_EQ(AppCommandText(9, 26), "35002, to the dialog");
    EXPECT_EQ(AppCommandText(6, 22), "3000, window brought forward first");
    EXPECT_EQ(AppCommandText(9, 12), "—");
    EXPECT_EQ(AppCommandText(1, 22), "Ctrl+Shift+P");
    EXPECT_EQ(AppCommandText(1, 29), "Ctrl+R");
    EXPECT_EQ(RawCodesText(16), "4, 24");
    EXPECT_EQ(RawCodesText(18), "30");
    EXPECT_EQ(RawCodesText(21), "— (untranslated boards only)");
    EXPECT_EQ(PointerText(1), "move up-left");
    EXPECT_EQ(PointerText(8), "move down");
    EXPECT_EQ(PointerText(5), "press or release the primary button (drag)");
    EXPECT_EQ(PointerText(10), "right click");
    EXPECT_EQ(PointerText(11), "—");
}

// The reference must say what the utility does: every message command that the desktop
// sees posted is the number the reference gives, and a key the reference calls dead posts
// nothing.
TEST_F(Keymap, MessageCommandsAgreeWithWhatTheApplicationsReceive) {
    for (AppId id : kMessageApps) {
        Hwnd window = desk.windows.StartApp(id);
        for (RemoteKey key = 0; key < 32; ++key) {
            if (key == PowerKey) continue;
            std::size_t before = Posted(window).size();
            SendKey(id, key);
            std::vector<std::string> posted = Posted(window);
            posted.erase(posted.begin(), posted.begin() + before);
            std::string cell = AppCommandText(id, key);
            std::string number = cell.substr(0, cell.find_first_of(",;"));
            std::vector<std::string> expected;
            if (number != "—") {
                expected.push_back(std::to_string(id == 2 || id == 7 ? 3024 : 4024) + "/" + number);
            }
            EXPECT_EQ(posted, expected) << "app " << id << " key " << key;
        }
    }
}

TEST_F(Keymap, Application1KeysAgreeWithWhatItReceives) {
    Hwnd lumacast = desk.windows.StartApp(1);
    for (RemoteKey key = 0; key < 32; ++key) {
        if (key == PowerKey) continue;
        std::size_t before = desk.windows.ReceivedBy(lumacast).size();
        SendKey(1, key);
        auto received = desk.windows.ReceivedBy(lumacast);
        ASSERT_GT(received.size(), before) << "key " << key;
        const SimReceived& first = received[before];
        std::string cell = AppCommandText(1, key);
        if (first.injected) {  // a chord: Ctrl, maybe Shift, then the letter
            unsigned letter =
                received[before + (cell.find("Shift") != std::string::npos ? 2 : 1)].wParam;
            EXPECT_EQ(cell.back(), static_cast<char>(letter)) << "key " << key;
        } else {
            EXPECT_NE(cell.find("(" + Hex(static_cast<unsigned>(first.wParam)) + ")"),
                      std::string::npos)
                << "key " << key << ": " << cell;
        }
    }
}

TEST_F(Keymap, PointerDirectionsAgreeWithThePointerMoves) {
    UpdatePointerBounds(1024, 768);
    for (RemoteKey key : {1, 2, 3, 4, 6, 7, 8, 9}) {
        desk.SetCursorPos(500, 400);
        logic.pointerState.moveCount = 0;
        MovePointerOrClick(key);
        Point at{};
        desk.GetCursorPos(&at);
        std::string text = PointerText(key);
        EXPECT_EQ(text.find("up") != std::string::npos, at.y < 400) << "key " << key;
        EXPECT_EQ(text.find("down") != std::string::npos, at.y > 400) << "key " << key;
        EXPECT_EQ(text.find("left") != std::string::npos, at.x < 500) << "key " << key;
        EXPECT_EQ(text.find("right") != std::string::npos, at.x > 500) << "key " << key;
    }
}

}  // namespace
