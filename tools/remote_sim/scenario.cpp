#include "tools/remote_sim/scenario.h"

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>

namespace {

struct Token {
    std::string text;
    bool quoted;
};

// The words of one line; a quoted string runs to the next double quote, without escapes
// (so Windows paths need none), and "#" outside a string starts a comment.
bool Tokenize(const std::string& line, std::vector<Token>* tokens, std::string* error) {
    std::size_t at = 0;
    while (at < line.size()) {
        char c = line[at];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++at;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            std::size_t end = line.find('"', at + 1);
            if (end == std::string::npos) {
                *error = "unterminated string";
                return false;
            }
            tokens->push_back(Token{line.substr(at + 1, end - at - 1), true});
            at = end + 1;
        } else {
            std::size_t end = line.find_first_of(" \t\r\"#", at);
            if (end == std::string::npos) end = line.size();
            tokens->push_back(Token{line.substr(at, end - at), false});
            at = end;
        }
    }
    return true;
}

class LineParser {
  public:
    LineParser(std::vector<Token> tokens, std::string* error)
        : tokens_(std::move(tokens)), error_(error) {}

    bool Fail(const std::string& what) {
        if (error_->empty()) *error_ = what;
        return false;
    }
    bool AtEnd() const { return next_ >= tokens_.size(); }
    bool Done() { return AtEnd() || Fail("unexpected '" + tokens_[next_].text + "'"); }

    bool Word(std::string* word) {
        if (AtEnd() || tokens_[next_].quoted) return Fail("expected a word");
        *word = tokens_[next_++].text;
        return true;
    }
    bool Keyword(const char* expected) {
        if (AtEnd() || tokens_[next_].quoted)
            return Fail(std::string("expected '") + expected + "'");
        const std::string& word = tokens_[next_++].text;
        return word == expected ||
               Fail(std::string("expected '") + expected + "', not '" + word + "'");
    }
    bool OptionalKeyword(const char* word) {
        if (AtEnd() || tokens_[next_].quoted || tokens_[next_].text != word) return false;
        ++next_;
        return true;
    }
    bool NextIsString() const { return !AtEnd() && tokens_[next_].quoted; }
    bool String(std::string* text) {
        if (!NextIsString()) return Fail("expected a quoted string");
        *text = tokens_[next_++].text;
        return true;
    }
    bool Number(std::int64_t* value, std::int64_t low, std::int64_t high) {
        if (AtEnd() || tokens_[next_].quoted) return Fail("expected a number");
        const std::string& text = tokens_[next_++].text;
        errno = 0;
        char* end = nullptr;
        long long parsed = std::strtoll(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || errno == ERANGE) {
            return Fail("bad number '" + text + "'");
        }
        if (parsed < low || parsed > high) {
            return Fail("number " + text + " out of range " + std::to_string(low) + " to " +
                        std::to_string(high));
        }
        *value = parsed;
        return true;
    }
    bool AppId(int* appId) {
        std::int64_t value = 0;
        if (AtEnd() || tokens_[next_].quoted) return Fail("expected an application number");
        std::string text = tokens_[next_].text;
        if (!Number(&value, INT32_MIN, INT32_MAX)) return false;
        if (value != 1 && value != 2 && value != 6 && value != 7 && value != 9) {
            return Fail("application number " + text + " is not 1, 2, 6, 7 or 9");
        }
        *appId = static_cast<int>(value);
        return true;
    }

  private:
    std::vector<Token> tokens_;
    std::size_t next_ = 0;
    std::string* error_;
};

constexpr std::int64_t kMaxTime = 1000LL * 3600 * 24 * 366;  // a year of simulated time
constexpr std::int64_t kMaxPixels = 65535;

bool ParseTimed(LineParser& p, ScenarioEvent* event) {
    std::string what;
    if (!p.Word(&what)) return false;
    std::int64_t value = 0;
    if (what == "press") {
        event->kind = p.OptionalKeyword("raw") ? ScenarioEvent::PressRaw : ScenarioEvent::PressKey;
        if (!p.Number(&event->number, 0, 255) || !p.Keyword("for") ||
            !p.Number(&value, 1, kMaxTime)) {
            return false;
        }
        event->duration = static_cast<std::uint32_t>(value);
    } else if (what == "msgbox") {
        event->kind = ScenarioEvent::MessageBoxOk;
        if (!p.Keyword("ok")) return false;
    } else if (what == "tray") {
        event->kind = ScenarioEvent::TrayButton;
        if (!p.Word(&event->text)) return false;
        if (event->text != "left" && event->text != "right" && event->text != "move") {
            return p.Fail("tray takes left, right or move, not '" + event->text + "'");
        }
    } else if (what == "menu") {
        event->kind = ScenarioEvent::MenuChoose;
        if (!p.OptionalKeyword("none") && !p.String(&event->text)) return false;
    } else if (what == "dialog") {
        if (p.OptionalKeyword("select")) {
            event->kind = ScenarioEvent::DialogSelect;
            if (!p.String(&event->text)) return false;
        } else if (p.OptionalKeyword("button")) {
            event->kind = ScenarioEvent::DialogButton;
            if (!p.Number(&event->number, 0, 65535)) return false;
        } else if (p.OptionalKeyword("key")) {
            event->kind = ScenarioEvent::DialogKey;
            std::string key;
            if (!p.Word(&key)) return false;
            static const std::map<std::string, std::int64_t> kKeys = {
                {"tab", 0x09}, {"enter", 0x0D}, {"escape", 0x1B}};
            auto found = kKeys.find(key);
            if (found == kKeys.end()) return p.Fail("dialog key is tab, enter or escape");
            event->number = found->second;
        } else {
            return p.Fail("dialog takes select, button or key");
        }
    } else if (what == "user-input") {
        event->kind = ScenarioEvent::UserInput;
        if (p.NextIsString()) {
            if (!p.String(&event->text)) return false;
        } else if (!p.AtEnd()) {
            int appId = 0;
            if (!p.AppId(&appId)) return false;
            event->number = appId;
        }
    } else if (what == "close-app" || what == "start-app") {
        event->kind = what == "close-app" ? ScenarioEvent::CloseApp : ScenarioEvent::StartApp;
        int appId = 0;
        if (!p.AppId(&appId)) return false;
        event->number = appId;
    } else if (what == "display") {
        event->kind = ScenarioEvent::Display;
        if (!p.Number(&event->number, 0, kMaxPixels) || !p.Number(&event->number2, 0, kMaxPixels)) {
            return false;
        }
    } else if (what == "census") {
        event->kind = ScenarioEvent::Census;
    } else if (what == "fail") {
        event->kind = ScenarioEvent::FailCommand;
        if (!p.Word(&event->text)) return false;
        event->always = p.OptionalKeyword("always");
    } else if (what == "unplug" || what == "plug") {  // devices and power
        event->kind = what == "unplug" ? ScenarioEvent::Unplug : ScenarioEvent::Plug;
        if (!p.String(&event->text)) return false;
        event->number = 1167;  // ERROR_DEVICE_NOT_CONNECTED
        if (event->kind == ScenarioEvent::Unplug && p.OptionalKeyword("error") &&
            !p.Number(&event->number, 1, 65535)) {
            return false;
        }
    } else if (what == "suspend") {
        event->kind =
            p.OptionalKeyword("aborted") ? ScenarioEvent::SuspendAborted : ScenarioEvent::Suspend;
    } else if (what == "update-driver" || what == "disable") {
        event->kind = what == "disable" ? ScenarioEvent::Disable : ScenarioEvent::UpdateDriver;
        if (!p.String(&event->text)) return false;
        event->always = p.OptionalKeyword("in-use");
    } else if (what == "hang") {
        event->kind = ScenarioEvent::Hang;
        if (!p.Word(&event->text)) return false;
    } else if (what == "resume") {
        event->kind = ScenarioEvent::Resume;
        event->always = !p.OptionalKeyword("automatic");
    } else if (what == "devicechange") {
        event->kind = ScenarioEvent::DeviceChange;
        event->number = p.OptionalKeyword("arrival") ? 0x8000 : 7;  // DBT_DEVNODES_CHANGED
    } else if (what == "explorer-restart") {
        event->kind = ScenarioEvent::ExplorerRestart;
    } else if (what == "file") {  // the user's files
        event->kind = ScenarioEvent::FileSave;
        if (!p.String(&event->text)) return false;
        event->always = p.OptionalKeyword("deleted");
        if (!event->always && !p.Keyword("<<EOF")) return false;
    } else if (what == "lock" || what == "unlock" || what == "switch-user" ||
               what == "switch-back" || what == "remote-connect") {  // sessions
        event->kind = ScenarioEvent::Session;
        event->text = what;
    } else {
        return p.Fail("unknown action '" + what + "'");
    }
    return p.Done();
}

using Handler = std::function<bool(LineParser&, Scenario&)>;

bool ParseRect(LineParser& p, ScenarioRect* rect) {
    std::int64_t x = 0, y = 0, w = 0, h = 0;
    if (!p.Number(&x, -kMaxPixels, kMaxPixels) || !p.Number(&y, -kMaxPixels, kMaxPixels) ||
        !p.Number(&w, 1, kMaxPixels) || !p.Number(&h, 1, kMaxPixels)) {
        return false;
    }
    *rect = ScenarioRect{static_cast<int>(x), static_cast<int>(y), static_cast<int>(x + w),
                         static_cast<int>(y + h)};
    return true;
}

bool Overlap(const ScenarioRect& a, const ScenarioRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Within(const ScenarioRect& inner, const ScenarioRect& outer) {
    return outer.left <= inner.left && inner.right <= outer.right && outer.top <= inner.top &&
           inner.bottom <= outer.bottom;
}

// The first monitor is the primary one, the screen, at (0, 0); the others may not overlap it
// or each other, as Windows lays out no two monitors on the same pixels.
bool ParseMonitor(LineParser& p, Scenario& s) {
    ScenarioMonitor monitor;
    if (!ParseRect(p, &monitor.area)) return false;
    monitor.work = monitor.area;
    if (p.OptionalKeyword("work")) {
        if (!ParseRect(p, &monitor.work)) return false;
        if (!Within(monitor.work, monitor.area))
            return p.Fail("the work area lies outside the monitor");
    }
    if (!p.Done()) return false;
    if (!s.hasPrimaryMonitor) {
        if (monitor.area.left != 0 || monitor.area.top != 0) {
            return p.Fail("the first monitor is the primary one, at 0 0");
        }
        s.hasPrimaryMonitor = true;
        s.screenWidth = monitor.area.right;
        s.screenHeight = monitor.area.bottom;
        return true;
    }
    ScenarioRect primary{0, 0, s.screenWidth, s.screenHeight};
    bool overlaps = Overlap(monitor.area, primary);
    for (const auto& other : s.otherMonitors)
        overlaps = overlaps || Overlap(monitor.area, other.area);
    if (overlaps) return p.Fail("the monitor overlaps another");
    s.otherMonitors.push_back(monitor);
    return true;
}

bool ParseInstall(LineParser& p, Scenario& s, bool commonKey) {
    ScenarioInstall install{0, "", commonKey};
    if (!p.AppId(&install.appId) || !p.String(&install.folder) || !p.Done()) return false;
    s.installs.push_back(install);
    return true;
}

const std::map<std::string, Handler>& Directives() {
    static const std::map<std::string, Handler> directives = {
        {"screen",
         [](LineParser& p, Scenario& s) {
             std::int64_t w = 0, h = 0;
             if (!p.Number(&w, 0, kMaxPixels) || !p.Number(&h, 0, kMaxPixels) || !p.Done()) {
                 return false;
             }
             s.screenWidth = static_cast<int>(w);
             s.screenHeight = static_cast<int>(h);
             return true;
         }},
        {"device",
         [](LineParser& p, Scenario& s) {
             std::string name;
             if (!p.String(&name) || !p.Done()) return false;
             s.devices.push_back(name);
             return true;
         }},
        {"install", [](LineParser& p, Scenario& s) { return ParseInstall(p, s, false); }},
        {"install-common", [](LineParser& p, Scenario& s) { return ParseInstall(p, s, true); }},
        {"setting",
         [](LineParser& p, Scenario& s) {
             ScenarioSetting setting;
             if (!p.Word(&setting.name)) return false;
             if (setting.name != "DefaultTVAPP" && setting.name != "AlwaysRemoteOff") {
                 return p.Fail("unknown setting '" + setting.name + "'");
             }
             if (!p.Number(&setting.value, INT32_MIN, UINT32_MAX) || !p.Done()) return false;
             s.settings.push_back(setting);
             return true;
         }},
        {"country",
         [](LineParser& p, Scenario& s) {
             s.hasCountry = true;
             return p.Number(&s.country, 0, 99999) && p.Done();
         }},
        {"running",
         [](LineParser& p, Scenario& s) {
             int appId = 0;
             if (!p.AppId(&appId) || !p.Done()) return false;
             s.running.push_back(appId);
             return true;
         }},
        {"window",
         [](LineParser& p, Scenario& s) {
             ScenarioWindow window;
             if (!p.String(&window.cls) || !p.String(&window.title)) return false;
             window.visible = !p.OptionalKeyword("hidden");
             if (!p.Done()) return false;
             s.windows.push_back(window);
             return true;
         }},
        {"program",
         [](LineParser& p, Scenario& s) {
             ScenarioWindow window;
             window.program = true;
             if (!p.String(&window.image) || !p.String(&window.cls) || !p.String(&window.title)) {
                 return false;
             }
             if (window.image.empty()) return p.Fail("the program file is empty");
             while (!p.AtEnd()) {
                 if (p.OptionalKeyword("elevated")) {
                     window.elevated = true;
                 } else if (p.OptionalKeyword("hung")) {
                     window.hung = true;
                 } else if (p.OptionalKeyword("owns")) {
                     if (!p.String(&window.ownedCls) || !p.String(&window.ownedTitle)) return false;
                 } else {
                     return p.Done();
                 }
             }
             s.windows.push_back(window);
             return true;
         }},
        {"swap-buttons",
         [](LineParser& p, Scenario& s) {
             s.swapButtons = true;
             return p.Done();
         }},
        {"cursor",
         [](LineParser& p, Scenario& s) {
             std::int64_t x = 0, y = 0;
             if (!p.Number(&x, -kMaxPixels, kMaxPixels) || !p.Number(&y, -kMaxPixels, kMaxPixels) ||
                 !p.Done()) {
                 return false;
             }
             s.hasCursor = true;
             s.cursorX = static_cast<int>(x);
             s.cursorY = static_cast<int>(y);
             return true;
         }},
        {"platform",
         [](LineParser& p, Scenario& s) {
             std::string family;
             if (!p.Word(&family)) return false;
             if (family != "9x" && family != "nt" && family != "xp" && family != "vista") {
                 return p.Fail("platform is 9x, xp, vista or nt");
             }
             s.windows9x = family == "9x";
             s.ntVersion = family == "xp" ? 0x0501 : family == "vista" ? 0x0600 : 0x0601;
             return p.Done();
         }},
        {"no-shutdown-privilege",
         [](LineParser& p, Scenario& s) {
             s.shutdownPrivilege = false;
             return p.Done();
         }},
        {"foreground-lock",
         [](LineParser& p, Scenario& s) {
             std::string state;
             if (!p.Word(&state)) return false;
             if (state != "on" && state != "off") return p.Fail("foreground-lock is on or off");
             s.foregroundLock = state == "on";
             return p.Done();
         }},
        {"foreground-lock-timeout",
         [](LineParser& p, Scenario& s) {
             std::int64_t value = 0;
             if (!p.Number(&value, 0, UINT32_MAX) || !p.Done()) return false;
             s.foregroundLockTimeoutMs = static_cast<std::uint32_t>(value);
             return true;
         }},
        {"elevated",
         [](LineParser& p, Scenario& s) {
             int appId = 0;
             if (!p.AppId(&appId) || !p.Done()) return false;
             s.elevated.push_back(appId);
             return true;
         }},
        {"utility",
         [](LineParser& p, Scenario& s) {
             s.utilityElevated = true;
             return p.Keyword("elevated") && p.Done();
         }},
        {"registry",
         [](LineParser& p, Scenario& s) {
             if (p.OptionalKeyword("read-only")) {
                 s.registryReadOnly = true;
                 return p.Done();
             }
             std::string state;
             if (!p.Keyword("virtualization") || !p.Word(&state)) return false;
             if (state != "on" && state != "off") return p.Fail("virtualization is on or off");
             s.registryVirtualization = state == "on";
             return p.Done();
         }},
        {"monitor", ParseMonitor},
        {"keyboard-layout",
         [](LineParser& p, Scenario& s) {
             std::string layout;
             if (!p.Word(&layout)) return false;
             if (layout != "us" && layout != "de") return p.Fail("keyboard-layout is us or de");
             s.altGrLayout = layout == "de";
             return p.Done();
         }},
        {"standby",
         [](LineParser& p, Scenario& s) {
             std::string kind;
             if (!p.Word(&kind)) return false;
             if (kind != "modern" && kind != "s3") return p.Fail("standby is modern or s3");
             s.modernStandby = kind == "modern";
             return p.Done();
         }},
        {"no-device-notifications",
         [](LineParser& p, Scenario& s) {
             s.deviceNotifications = false;
             return p.Done();
         }},
        {"session",
         [](LineParser& p, Scenario& s) {
             if (!p.Keyword("remote")) return false;
             s.remoteSession = true;
             return p.Done();
         }},
        {"other-session",
         [](LineParser& p, Scenario& s) {
             std::string name;
             if (!p.Keyword("holds") || !p.String(&name)) return false;
             bool open = p.OptionalKeyword("open");
             if (!p.Done()) return false;
             s.otherSessionObjects.emplace_back(name, open);
             return true;
         }},
        {"tick-count",
         [](LineParser& p, Scenario& s) {
             std::int64_t value = 0;
             if (!p.Number(&value, 0, UINT32_MAX) || !p.Done()) return false;
             s.tickBase = static_cast<std::uint32_t>(value);
             return true;
         }},
    };
    return directives;
}

// `file "PATH" <<EOF`: the file's lines follow, up to a line EOF; `text` is where they go.
bool ParseFile(LineParser& p, Scenario& s, std::string** text) {
    ScenarioFile file;
    if (!p.String(&file.path) || !p.Keyword("<<EOF") || !p.Done()) return false;
    if (file.path.empty()) return p.Fail("the file's path is empty");
    s.files.push_back(file);
    *text = &s.files.back().text;
    return true;
}

bool ParseLine(const std::string& line, Scenario& s, std::uint64_t* lastTime, int lineNumber,
               std::string* error, std::string** text) {
    std::vector<Token> tokens;
    if (!Tokenize(line, &tokens, error)) return false;
    if (tokens.empty()) return true;
    LineParser p(tokens, error);
    std::string directive;
    if (!p.Word(&directive)) return p.Fail("expected a directive");
    std::int64_t time = 0;
    if (directive == "at" || directive == "run") {
        if (!p.Number(&time, 0, kMaxTime)) return false;
        if (static_cast<std::uint64_t>(time) < *lastTime) {
            return p.Fail("time " + std::to_string(time) + " goes backwards (after " +
                          std::to_string(*lastTime) + ")");
        }
        *lastTime = static_cast<std::uint64_t>(time);
        if (directive == "run") {
            s.runMs = static_cast<std::uint64_t>(time);
            return p.Done();
        }
        ScenarioEvent event;
        event.at = static_cast<std::uint64_t>(time);
        event.line = lineNumber;
        if (!ParseTimed(p, &event)) return false;
        s.events.push_back(event);
        if (event.kind == ScenarioEvent::FileSave && !event.always)
            *text = &s.events.back().content;
        return true;
    }
    if (directive == "file") return ParseFile(p, s, text);
    auto handler = Directives().find(directive);
    if (handler == Directives().end()) return p.Fail("unknown directive '" + directive + "'");
    return handler->second(p, s);
}

}  // namespace

bool ParseScenario(const std::string& file, const std::string& text, Scenario* scenario,
                   std::string* error) {
    *scenario = Scenario{};
    scenario->file = file;
    std::uint64_t lastTime = 0;
    int lineNumber = 0;
    std::size_t at = 0;
    std::string* fileText = nullptr;  // a file's lines being read, up to its EOF line
    int fileLine = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        ++lineNumber;
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (fileText) {
            std::string bare = line;
            if (!bare.empty() && bare.back() == '\r') bare.pop_back();
            if (bare == "EOF") {
                fileText = nullptr;
            } else if (end < text.size()) {
                fileText->append(line).append("\n");
            } else {
                fileText->append(line);
            }
            continue;
        }
        std::string what;
        if (!ParseLine(line, *scenario, &lastTime, lineNumber, &what, &fileText)) {
            *error = file + ":" + std::to_string(lineNumber) + ": error: " + what;
            return false;
        }
        if (fileText) fileLine = lineNumber;
    }
    if (fileText) {
        *error = file + ":" + std::to_string(fileLine) + ": error: the file's text has no EOF line";
        return false;
    }
    return true;
}

const char* ScenarioLanguageHelp() {
    return R"(usage: remote-sim [--requests] [--verbose] [--monitor] SCENARIO...

Runs the utility on a fresh simulated desktop for each scenario file and prints a trace
of every effect that the desktop observed, one line each: TIME EFFECT ...

A scenario is a text file, one directive a line; "#" starts a comment. Strings are in
double quotes and run to the next double quote (no escapes, so "C:\TV\Hub" is fine).

The desktop at start:
  screen W H                     full-screen client area (default 1024 768)
  device "NAME"                  a video-input device, in enumeration order; repeatable;
                                 a listed board name is a simulated TV card
  install APP "FOLDER"           the application's install folder under its own key
  install-common APP "FOLDER"    the folder under the key shared by applications 6 and 9
  setting NAME VALUE             DefaultTVAPP or AlwaysRemoteOff, stored as a number
  country N                      the country code of the regional settings
  running APP                    the application's main window exists at start
  window "CLASS" "TITLE" [hidden]  any other top-level window, placed on top
  swap-buttons                   the mouse buttons are swapped
  cursor X Y                     the pointer position
  platform 9x|xp|vista|nt        the Windows family, or the NT release (default nt:
                                 Windows 7 or later)
  no-shutdown-privilege          the shutdown privilege cannot be enabled
  tick-count N                   the system tick count at start (to test wrap-around)
  foreground-lock on|off         the foreground lock (default on)
  foreground-lock-timeout MS     its time-out since the last input (default 200000)
  elevated APP                   the application runs as administrator
  utility elevated               the utility runs as administrator
  registry read-only             the account may read HKLM but not write it
  registry virtualization on|off  Vista's virtualization of such writes (default on)
  monitor X Y W H [work X Y W H]  a monitor and its work area (default the whole
                                 monitor); the first is the primary one, at 0 0, and
                                 sets the screen; the others lie beside it
  keyboard-layout us|de          the keyboard layout (default us); de has AltGr, so an
                                 injected right Alt comes with a left Ctrl
  standby modern|s3              S0 low-power idle: power events only to registered
                                 windows (default s3: broadcast to every window)
  no-device-notifications        RegisterDeviceNotification is missing (Windows 95, NT 4)
  session remote                 the utility starts in a Remote Desktop session, not at
                                 the console
  other-session holds "NAME" [open]  a program of another user's session holds that named
                                 object ("Global\..." is seen from every session), made
                                 with its default security or open to everyone
  program "FILE" "CLASS" "TITLE" [elevated] [hung] [owns "CLASS" "TITLE"]
                                 another program running with that window on top ("vlc.exe"
                                 is C:\Program Files\vlc\vlc.exe): as administrator, hung
                                 (taking no messages), with an owned window in front
  file "PATH" <<EOF              a file on the disk at start: the lines that follow, up to
                                 a line EOF (%APPDATA% is C:\Users\Alex\AppData\Roaming)

The timeline (times in simulated ms, never going backwards):
  at T press KEY for MS          remote key held from T for MS ms (the board's raw code
                                 for it; the lower one where a key has two)
  at T press raw CODE for MS     a raw code held
  at T msgbox ok                 the user closes the topmost message box
  at T tray left|right|move      a mouse button (or a move) on the tray icon
  at T menu "LABEL" | none       choose an item of the open popup menu, or dismiss it
  at T dialog select "LABEL"     select an entry of the open dialog's list
  at T dialog button ID          press the button with that id in the open dialog
  at T dialog key tab|enter|escape  type the key in the open dialog
  at T user-input [APP|"TITLE"]  the user's own keyboard or mouse input: a click on that
                                 window, or input to the window in front
  at T close-app APP             the user closes the application's main window
  at T start-app APP             the user starts the application by hand
  at T display W H               the display mode changes
  at T fail COMMAND [always]     the card fails the next request (or every request) with
                                 that command (GpioRead, I2cWrite, ...)
  at T census                    trace what is held: open events, COM references, timers
                                 and top-level windows
  at T unplug "NAME" [error N]   the device goes away; its requests fail with error N
                                 (default 1167, ERROR_DEVICE_NOT_CONNECTED)
  at T plug "NAME"               the device comes back as a new device object
  at T suspend                   the PC goes to sleep (it sleeps 1000 ms later)
  at T resume [automatic]        the PC wakes; without the user (automatic) only the
                                 first resume event is broadcast
  at T devicechange [arrival]    a device-change broadcast (DBT_DEVNODES_CHANGED, or a
                                 DBT_DEVICEARRIVAL)
  at T explorer-restart          Explorer restarts: the icons go, "TaskbarCreated" is
                                 broadcast
  at T suspend aborted           PBT_APMSUSPEND, then no sleep and no resume event
  at T update-driver "NAME" [in-use]  a driver update asks to remove the device; an open
                                 handle (or, with in-use, another program) vetoes it
  at T disable "NAME" [in-use]   "Disable device", vetoed alike
  at T hang COMMAND              the next request with that command never completes
                                 unless cancelled
  at T lock | unlock             the user locks the PC, or signs in on its lock screen
  at T switch-user               another user signs in at the console ("Switch user")
  at T switch-back               the utility's user signs in at the console again
  at T remote-connect            someone connects to the utility's session with Remote
                                 Desktop; the console shows the logon screen
  at T file "PATH" <<EOF         the user saves the file with the lines that follow (its
                                 last-write time is T)
  at T file "PATH" deleted       the user deletes the file
  run MS                         the end of the run (default 10000)

APP is 1, 2, 6, 7 or 9. The clock reads 0 when the utility starts; the key poll ticks at
65, 130, 195, ... until something blocks the thread. The user's last input lies further
back than the foreground lock's time-out until the first user action.

Options:
  --requests   also trace every driver request: "65 request GpioRead get"
  --verbose    also trace timers, window changes and focus changes
  --monitor    run RemoteMonitor instead: the lines it prints, "# TIME EFFECT" for
               anything else the desktop saw, and its exit status; "run MS" is then
               the user's Ctrl+C
)";
}
