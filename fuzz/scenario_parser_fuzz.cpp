// The scenario language of remote-sim fed any text: the parser either builds a scenario
// that keeps the language's rules or reports one error line, and a short scenario that
// also passes the whole-scenario check runs to its end.
#include <cstdlib>
#include <string>
#include <vector>

#include "apps/tv_app.h"
#include "fuzz/fuzz_support.h"
#include "tools/remote_sim/runner.h"
#include "tools/remote_sim/scenario.h"

namespace {

constexpr char kFile[] = "fuzz.scn";
constexpr std::uint64_t kLongestRunMs = 20000;  // longer runs cost time and find no more
constexpr std::size_t kMostEventsRun = 40;

int CountLines(const std::string& text) {
    int lines = 1;
    for (char c : text)
        lines += c == '\n';
    return lines;
}

// "fuzz.scn:LINE: error: WHAT" with LINE within the text.
void RequireErrorLine(const std::string& error, int lines) {
    std::string prefix = std::string(kFile) + ":";
    Require(error.compare(0, prefix.size(), prefix) == 0, "error line names the file");
    std::size_t marker = error.find(": error: ", prefix.size());
    Require(marker != std::string::npos && marker + 9 < error.size(), "error line says what");
    std::string number = error.substr(prefix.size(), marker - prefix.size());
    Require(!number.empty() && number.find_first_not_of("0123456789") == std::string::npos,
            "error line has a line number");
    long line = std::strtol(number.c_str(), nullptr, 10);
    Require(line >= 1 && line <= lines, "error line number within the text");
}

void RequireWellFormed(const Scenario& s) {
    Require(s.file == kFile, "scenario keeps its file name");
    std::uint64_t last = 0;
    int lastLine = 0;
    for (const ScenarioEvent& event : s.events) {
        Require(event.at >= last, "event times never go backwards");
        Require(event.line > lastLine, "events in line order");
        last = event.at;
        lastLine = event.line;
        switch (event.kind) {
            case ScenarioEvent::PressKey:
            case ScenarioEvent::PressRaw:
                Require(event.number >= 0 && event.number <= 255, "key code in range");
                Require(event.duration >= 1, "a press lasts");
                break;
            case ScenarioEvent::CloseApp:
            case ScenarioEvent::StartApp:
                Require(event.number >= 0 && event.number < 10 &&
                            IsAppId(static_cast<std::int32_t>(event.number)),
                        "application number is one of the five");
                break;
            case ScenarioEvent::TrayButton:
                Require(event.text == "left" || event.text == "right" || event.text == "move",
                        "tray button");
                break;
            default:
                break;
        }
    }
    for (const ScenarioInstall& install : s.installs)
        Require(IsAppId(install.appId), "installed application is one of the five");
    Require(s.screenWidth >= 0 && s.screenHeight >= 0, "screen size");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    Scenario scenario;
    std::string error;
    if (!ParseScenario(kFile, text, &scenario, &error)) {
        RequireErrorLine(error, CountLines(text));
        return 0;
    }
    Require(error.empty(), "no error for a scenario that parses");
    RequireWellFormed(scenario);

    Scenario again;
    Require(ParseScenario(kFile, text, &again, &error), "parsing is repeatable");
    Require(again.events.size() == scenario.events.size() && again.runMs == scenario.runMs,
            "parsing gives the same scenario");

    if (!CheckScenario(scenario, &error)) {
        RequireErrorLine(error, CountLines(text));
        return 0;
    }
    if (scenario.runMs <= kLongestRunMs && scenario.events.size() <= kMostEventsRun) {
        std::vector<std::string> trace = RunScenario(scenario, RunOptions{});
        Require(!trace.empty(), "a run leaves a trace");
        const std::string& last = trace.back();
        Require(last.find(" end") != std::string::npos || last.find(" exit ") != std::string::npos,
                "a run ends with its end or the program's exit");
    }
    return 0;
}
