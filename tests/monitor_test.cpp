// RemoteMonitor on the simulated desktop: how each run ends, with what status, and what it
// leaves behind. Its event lines are checked by the scenarios monitor_*.scn.
#include "monitor/monitor.h"

#include <cstring>

#include "apps/keys_file.h"
#include "monitor/keys_check.h"
#include "test_support.h"

namespace {

class MonitorTest : public DesktopTest {
  protected:
    int Run(std::vector<const char*> args = {}) {
        args.insert(args.begin(), "RemoteMonitor");
        return RunMonitor(static_cast<int>(args.size()), args.data());
    }
    bool Says(const std::string& text) const {
        return desk.console.text.find(text) != std::string::npos;
    }
    // What the desktop saw, without the times and the console's lines.
    std::vector<std::string> Effects() const {
        std::vector<std::string> effects;
        for (const std::string& entry : desk.trace) {
            std::string effect = entry.substr(entry.find(' ') + 1);
            if (effect.rfind("console ", 0) != 0) effects.push_back(effect);
        }
        return effects;
    }
    // No COM object left, and COM ended as often as it was started.
    bool ReceiverClosed() const {
        return desk.devices.com.LiveObjects() == 0 && desk.devices.com.initialized == 0 &&
               desk.devices.com.misuse == 0;
    }
};

TEST_F(MonitorTest, WithoutASupportedBoardItListsTheDevicesAndExitsWithOne) {
    desk.devices.AddVideoDevice("USB Camera");
    desk.devices.AddVideoDevice("Kavel KV100 Video Capture ");
    EXPECT_EQ(Run(), kMonitorNoBoard);
    EXPECT_TRUE(
        Says("   1  USB Camera\r\n   2  Kavel KV100 Video Capture \r\nNo supported TV card"));
    EXPECT_TRUE(ReceiverClosed());
}

TEST_F(MonitorTest, WhileRemoteControlRunsItRefusesAndAsksNothingOfTheCard) {
    SimVideoDevice& card = desk.devices.AddVideoDevice(kKv100);
    desk.windows.CreateSimWindow("Remote Control", "Remote Control", false);
    EXPECT_EQ(Run(), kMonitorRefused);
    EXPECT_TRUE(Says("Exit Remote Control from its tray menu first"));
    EXPECT_TRUE(card.card.requests.empty());
    EXPECT_EQ(desk.devices.com.initialized, 0);
}

TEST_F(MonitorTest, AnythingButSecondsAsAPositiveNumberIsAUsageError) {
    const std::vector<std::vector<const char*>> kBad = {
        {"--seconds"}, {"--seconds", "0"},       {"--seconds", "5s"},       {"--verbose"},
        {"3"},         {"--edit-keys", "k.ini"}, {"--check-keys", "a", "b"}};
    for (const auto& args : kBad) {
        desk.console.text.clear();
        EXPECT_EQ(Run(args), kMonitorUsage) << args[0];
        EXPECT_EQ(desk.console.text,
                  "usage: RemoteMonitor [--seconds N | --check-keys [FILE] | --edit-keys]\r\n");
    }
}

// Every way out closes the receiver; only a program that owns its console waits for Enter
// before it ends, unless the console is going away.
TEST_F(MonitorTest, EachEndClosesTheReceiverAndWaitsForEnterOnlyInItsOwnConsole) {
    struct Case {
        const char* what;
        std::uint32_t processes;
        int stopAt;  // ms of a Ctrl+C, -1: none
        bool closing;
        std::uint64_t endsAt;
    };
    const Case kCases[] = {
        {"--seconds, from a prompt", 2, -1, false, 2000},
        {"Ctrl+C, from a prompt", 2, 700, false, 715},
        {"--seconds, own console", 1, -1, false, 5000},
        {"console closed", 1, 700, true, 715},
    };
    for (const Case& c : kCases) {
        SimDesktop& fresh = InstallFreshSimDesktop();
        logic.receiverChannel = ReceiverChannel{};
        fresh.devices.AddVideoDevice(kKv100);
        fresh.console.processes = c.processes;
        fresh.PressRemote(100, 9, 65);
        fresh.At(5000, [&fresh] { fresh.TypeConsoleLine(""); });
        if (c.stopAt >= 0) fresh.At(c.stopAt, [&c] { RequestMonitorStop(c.closing); });
        const char* argv[] = {"RemoteMonitor", "--seconds", "2"};
        EXPECT_EQ(RunMonitor(3, argv), kMonitorDone) << c.what;
        EXPECT_EQ(fresh.now, c.endsAt) << c.what;
        EXPECT_EQ(fresh.console.text.find("Press Enter") != std::string::npos, c.endsAt == 5000)
            << c.what;
        EXPECT_NE(fresh.console.text.find(": 1 key event.\r\n"), std::string::npos) << c.what;
        EXPECT_TRUE(fresh.devices.com.LiveObjects() == 0 && fresh.devices.com.initialized == 0)
            << c.what;
    }
}

// --check-keys: every problem with its line, a summary, and 1 for a file with a problem.
TEST_F(MonitorTest, CheckKeysListsEveryProblemAndExitsWithOneForAny) {
    EXPECT_EQ(CheckKeysFile("k.ini", kKeysTemplate, std::strlen(kKeysTemplate)), kCheckKeysClean);
    EXPECT_EQ(desk.console.text, "k.ini: no problems; 7 profiles with 54 key lines.\r\n");

    std::string bad = "[program P]\nexe = p.exe\nVol+ = none\n";
    for (int i = 0; i < 70; ++i)
        bad += "x\n";
    desk.console.text.clear();
    EXPECT_EQ(CheckKeysFile("k.ini", bad.data(), bad.size()), kCheckKeysProblems);
    EXPECT_TRUE(Says("k.ini: 71 problems; what applies: 1 profile with 0 key lines.\r\n"));
    EXPECT_TRUE(
        Says("keys.ini line 3: \"Vol+\" is not a key name\r\n"
             "keys.ini line 4: \"x\" is not NAME = VALUE or a [section]\r\n"));
    EXPECT_TRUE(
        Says("line 66: \"x\" is not NAME = VALUE or a [section]\r\n"
             "... and 7 more problems.\r\n"));

    desk.console.text.clear();
    EXPECT_EQ(CheckKeysFile("k.ini", nullptr, 0), kCheckKeysProblems);
    EXPECT_EQ(desk.console.text, "k.ini cannot be read.\r\n");
}

// --edit-keys makes the folders and the file from the template once, never writes over the
// user's file, and opens it in Notepad; --check-keys then checks the user's own file.
TEST_F(MonitorTest, EditKeysMakesTheFileOnceAndOpensItInNotepad) {
    const std::string kFolder = "C:\\Users\\Alex\\AppData\\Roaming\\Zarvin Multimedia";
    const std::string kPath = kFolder + "\\Remote Control\\keys.ini";
    EXPECT_EQ(Run({"--check-keys"}), kCheckKeysClean);
    EXPECT_TRUE(Says(kPath + " does not exist"));

    desk.trace.clear();
    EXPECT_EQ(Run({"--edit-keys"}), kCheckKeysClean);
    const std::vector<std::string> kMade = {
        "directory create \"" + kFolder + "\"",
        "directory create \"" + kFolder + "\\Remote Control\"", "file create \"" + kPath + "\"",
        "file write \"" + kPath + "\" " + std::to_string(std::strlen(kKeysTemplate)) + " bytes",
        "launch \"notepad.exe\" \"\"" + kPath + "\"\" result=42"};
    EXPECT_EQ(Effects(), kMade);
    desk.Sleep(5000);
    EXPECT_NE(desk.windows.FindByTitle("keys.ini - Notepad"), 0u);

    desk.console.text.clear();
    EXPECT_EQ(Run({"--check-keys"}), kCheckKeysClean);
    EXPECT_TRUE(Says(kPath + ": no problems; 7 profiles with 54 key lines.\r\n"));

    desk.files.Put(kPath, "[program P]\nexe = p.exe\nVol+ = none\n", SimFiles::kRunStart);
    desk.trace.clear();
    EXPECT_EQ(Run({"--edit-keys"}), kCheckKeysClean);
    EXPECT_EQ(desk.files.files[SimFiles::Key(kPath)].bytes,
              "[program P]\nexe = p.exe\nVol+ = none\n");
    EXPECT_EQ(Effects(), std::vector<std::string>{kMade.back()});
    EXPECT_EQ(Run({"--check-keys"}), kCheckKeysProblems);

    // A file where a folder should be: no file can be made, and the user is told.
    SimDesktop& fresh = InstallFreshSimDesktop();
    fresh.files.Put(kFolder, "", SimFiles::kRunStart);
    EXPECT_EQ(Run({"--edit-keys"}), kCheckKeysProblems);
    EXPECT_EQ(fresh.console.text, kPath + " cannot be created (error 3).\r\n");
}

}  // namespace
