// The whole utility on a simulated desktop, driven by a random sequence of events: remote
// keys and raw codes of every range, held, repeated and with any gaps (the tick count may
// wrap), TV applications (some run as administrator) and look-alike windows appearing and
// vanishing, message boxes and dialogs answered, display changes, tray clicks, the user's
// own input under the foreground lock or with the lock off, driver faults of every command,
// at once or pending, and the card going away and coming back: sleep and wake, unplug and
// plug, device-change broadcasts, driver updates and "Disable device", suspends with no
// sleep, requests that hang; the session locked, switched away, taken over by Remote
// Desktop and back, or started away from the console. The user's keys file, built from the
// input read backwards (so that the events decode as they always have), gives profiles to
// other programs, whose windows start, close and come to the front, and changes to the
// applications; the user saves it anew or deletes it while the utility runs. The
// invariants are checked after every event and every tick.
#include <algorithm>
#include <cctype>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "apps/tv_app.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/router_invariants.h"
#include "measure/counting_desktop.h"
#include "platform/device_constants.h"
#include "receiver/remote_keys.h"
#include "shell/main_window.h"
#include "shell/resource_ids.h"
#include "shell/static_objects.h"
#include "shell/timer_slot.h"

namespace {

constexpr Handle kInstance = 0x400000;
constexpr std::uint32_t kTrayIconId = 10;
constexpr const char* kSettingsKey = "SOFTWARE\\Zarvin Multimedia\\Tuner Utilities";
constexpr std::size_t kMostEvents = 64;
constexpr std::uint64_t kRunTailMs = 3000;  // after the last event, for what it started
constexpr std::uint64_t kLongestTimelineMs = 60000;

struct Board {
    const char* name;
    bool translated;  // the remote's raw codes go through the translation table
};
constexpr Board kBoards[] = {
    {"Kavel KV100 Video Capture", true},
    {"Sorrel DVBS Q7 Video Capture", false},
    {"Sorrel DVBT Q7 Video Capture", false},
    {"Bridgeway Q7 Video Capture", true},
};

// Where each application's install folder is kept, for an install whose program is gone.
struct InstallValue {
    int appId;
    const char* key;
    const char* value;
};
constexpr InstallValue kInstallValues[] = {
    {1, "SOFTWARE\\Tolvane\\Lumacast", "InstallPath"},
    {2, "Software\\Marovex\\TV Suite\\TVR", "AppPath"},
    {6, "Software\\Zarvin Multimedia\\TV Suite\\DTVR", "AppPath"},
    {7, "SOFTWARE\\Marovex\\DVB Suite\\DVBS", "AppPath"},
    {9, "Software\\Zarvin Multimedia\\TV Hub\\DTVR", "AppPath"},
};

constexpr int kApps[] = {1, 2, 6, 7, 9};
constexpr std::int64_t kDefaults[] = {1, 2, 6, 7, 9, 9, 0, 3, -1, INT32_MAX};

// Windows of other programs that look like the applications' or are their dialogs.
struct Decoy {
    const char* cls;
    const char* title;
    bool visible;
};
constexpr Decoy kDecoys[] = {
    {"ZarvinMainPanel_Class", "TVR Guide", true},
    {"ZarvinMainPanel_Class", "Omnivue", true},
    {"Notepad", "Lumacast notes", true},
    {"TLumacastSplash", "Lumacast", true},
    {"TPopupForm", "Channels", true},
    {"TSourceForm", "Source", false},
    {"ZarvinPlayer_Class", "PictureView", true},
    {"ZarvinPlayer_Class", "Playback", true},
    {"TWizardForm", "WizardForm", true},
    {"VANTOR_TVR_Setup", "FormMainWindow", true},
};

constexpr std::uint32_t kCommands[] = {
    0x30000001, 0x30000003, 0x11000001, 0x11000002, 0x11000003, 0x1100000B,
    0x1100000C, 0x1100000D, 0x1100000E, 0x1100000F, 0x11000010, 0x11000018,
};
constexpr std::uint32_t kErrors[] = {ERROR_GEN_FAILURE, ERROR_IO_DEVICE, ERROR_NOT_FOUND,
                                     ERROR_INVALID_PARAMETER, ERROR_NOACCESS};
// What the requests of a card that went away end with: the device gone, or a driver that
// says nothing of it.
constexpr std::uint32_t kGoneErrors[] = {ERROR_DEVICE_NOT_CONNECTED, ERROR_DEVICE_REMOVED,
                                         ERROR_GEN_FAILURE, ERROR_FILE_NOT_FOUND};
constexpr std::uint32_t kGaps[] = {0, 1, 30, 64, 65, 66, 130, 249, 250, 251, 400, 1000, 2100, 5000};
constexpr std::uint32_t kHolds[] = {1, 30, 65, 100, 200, 260, 700, 1500, 4000};
constexpr std::uint32_t kTickBases[] = {0, 0xFFFFFFFFu - 1000, 0xFFFFFFFFu - 300000, 123456};
constexpr int kSizes[] = {0, 640, 800, 1023, 1024, 1280, 1600, 749, 768, 1, 65535};
constexpr const char* kMenuLabels[] = {"Lumacast",   "VantorTVR",     "Omnivue",
                                       "DVBS SUITE", "OmnivueCenter", "Setting",
                                       "About",      "Exit",          ""};

// Other programs, and how a profile may pick each out.
struct Program {
    const char* image;
    const char* cls;
    const char* title;
    const char* ownedCls;  // a window it owns in front of it, or nullptr
    const char* ownedTitle;
    const char* titlePatterns[3];  // match its title, with wildcards
};
constexpr Program kPrograms[] = {
    {"vlc.exe",
     "Qt5QWindowIcon",
     "film.mkv - VLC media player",
     nullptr,
     nullptr,
     {"* - VLC media player", "film.???", "*VLC*"}},
    {"mpc-hc64.exe",
     "MediaPlayerClassicW",
     "Concert.mp4",
     "#32770",
     "Open",
     {"*.mp4", "concert*", "C?ncert.mp4"}},
    {"firefox.exe",
     "MozillaWindowClass",
     "Vid\xC3\xA9o \xE2\x80\x94 Mozilla Firefox",
     nullptr,
     nullptr,
     {"*Mozilla Firefox", "Vid?o*", "*\xE2\x80\x94*"}},
    {"C:\\Tools\\Player.EXE",
     "PlayerFrame",
     "Player",
     "PlayerFrame",
     "Player",
     {"Player", "P*r", "*"}},
};
constexpr const char* kKeysPath =
    "C:\\Users\\Alex\\AppData\\Roaming\\Zarvin Multimedia\\Remote Control\\keys.ini";
constexpr const char* kApplicationLabels[] = {"Lumacast",   "VantorTVR",     "Omnivue",
                                              "DVBS SUITE", "OmnivueCenter", "Winamp"};
constexpr const char* kModifiers[] = {"",     "Ctrl+",    "Shift+", "Alt+", "Ctrl+Shift+",
                                      "Win+", "ctrl+alt+"};
constexpr const char* kChordKeys[] = {"Space", "Enter", "Up",   "F11", "P",    "7",
                                      "Num+",  "Del",   "PgDn", "Esc", "Num/", "Vol+"};
constexpr const char* kAppCommands[] = {"play-pause",   "stop",         "next",
                                        "fast-forward", "volume-up",    "mute",
                                        "record",       "channel-down", "louder"};
constexpr const char* kMediaKeys[] = {"play-pause",  "stop", "next", "previous",
                                      "volume-down", "mute", "eject"};
constexpr const char* kLaunches[] = {"launch \"notepad.exe\" keys.ini",
                                     "launch \"C:\\Program Files\\vlc\\vlc.exe\" --fullscreen",
                                     "launch \"C:\\Missing\\gone.exe\"", "launch"};

struct Run {
    WatchedDesktop* desk;
    const Board* board;
    std::vector<Hwnd> decoys;
    std::vector<Hwnd> programs;
    std::vector<const Program*> programKinds;  // what was started, for the profiles to match
};

// A remote key's line name: `key N` or the key map's name.
std::string KeyName(int key, ByteSource& input) {
    const char* name = RemoteKeyName(key);
    if (input.Flag() && std::string(name) != "command") return name;
    return "key " + std::to_string(key);
}

std::string ActionText(int key, ByteSource& input) {
    switch (input.Below(9)) {
        case 0:
        case 1: {
            std::string chords = "keys";
            for (std::uint32_t n = 1 + input.Below(3); n > 0; --n)
                chords += std::string(" ") + input.Pick(kModifiers) + input.Pick(kChordKeys);
            return chords;
        }
        case 2:
            return std::string("appcommand ") + input.Pick(kAppCommands);
        case 3:
            return std::string("media ") + input.Pick(kMediaKeys);
        case 4:
            return "message WM_APP+" + std::to_string(input.Below(16)) + " " +
                   std::to_string(input.Byte()) + " " + std::to_string(input.U16());
        case 5:
            return input.Pick(kLaunches);
        case 6:
            // The built-in routes close applications on Power and key 20.
            return key == PowerKey || key == 20 ? "none" : "close";
        case 7:
            return "none";
        default:
            return input.Flag() ? "keys" : "message 12 x";
    }
}

std::string KeyLines(ByteSource& input, bool application) {
    std::string lines;
    for (std::uint32_t n = 1 + input.Below(12); n > 0; --n) {
        int key = static_cast<int>(input.Below(33));  // 32: no key of the remote
        if (application && key == PowerKey && input.Flag()) key = 23;
        lines += KeyName(key, input) + " = " + ActionText(key, input);
        if (input.Below(3) == 0) lines += input.Flag() ? " repeat" : " REPEAT";
        lines += input.Flag() ? "\r\n" : "\n";
    }
    return lines;
}

// Match lines for one of the programs; now and then a class that no program has, or no
// line at all (a profile that is ignored).
std::string MatchLines(ByteSource& input, const std::vector<const Program*>& started) {
    const Program& program = started.empty() || input.Below(4) == 0
                                 ? input.Pick(kPrograms)
                                 : *started[input.Byte() % started.size()];
    std::string lines;
    std::uint8_t which = input.Byte();
    if ((which & 7) == 0 && (which & 8) == 0) which |= 1;
    if (which & 1) {
        std::string image = program.image;
        std::string file = image.substr(image.find_last_of('\\') + 1);
        if (which & 64)
            std::transform(file.begin(), file.end(), file.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        lines += "exe = " + file + "\n";
    }
    if (which & 2)
        lines += std::string("class = ") + ((which & 48) == 48 ? "Other" : program.cls) + "\n";
    if (which & 4) lines += std::string("title = ") + input.Pick(program.titlePatterns) + "\n";
    return lines;
}

// A keys file: a few [program] profiles for the programs, [application] changes, and now
// and then a line that cannot be understood.
std::string KeysFileText(ByteSource& input, const std::vector<const Program*>& started) {
    std::string text = input.Below(4) == 0 ? "\xEF\xBB\xBF; my keys\n" : "";
    for (std::uint32_t n = input.Below(5); n > 0; --n) {
        if (input.Below(3) != 0) {
            text += "[program P" + std::to_string(n) + "]\n" + MatchLines(input, started);
            text += KeyLines(input, false);
        } else {
            text += std::string("[application ") + input.Pick(kApplicationLabels) + "]\n";
            text += KeyLines(input, true);
        }
    }
    return text;
}

void InstallApps(Run& run, ByteSource& input) {
    for (const InstallValue& app : kInstallValues) {
        switch (input.Below(4)) {
            case 0:
                break;
            case 1:  // the folder is there, its program is not
                run.desk->registry.SetString(HKEY_LOCAL_MACHINE, app.key, app.value, "C:\\Gone");
                break;
            default:
                run.desk->InstallApp(app.appId, "C:\\TV\\" + std::to_string(app.appId),
                                     input.Flag() && (app.appId == 6 || app.appId == 9));
                break;
        }
    }
}

void SetUpDesktop(Run& run, ByteSource& input) {
    WatchedDesktop& desk = *run.desk;
    desk.traceEnabled = false;
    desk.devices.logRequests = false;
    desk.dialogs.autoCloseMessageBoxes = false;
    std::uint8_t options = input.Byte();
    run.board = &input.Pick(kBoards);
    SimVideoDevice& device = desk.devices.AddVideoDevice(run.board->name);
    if (options & 1) device.card.completion = SimCompletion::Pending;
    InstallApps(run, input);
    desk.registry.SetDword(HKEY_LOCAL_MACHINE, kSettingsKey, "DefaultTVAPP",
                           static_cast<std::uint32_t>(input.Pick(kDefaults)));
    if (options & 2)
        desk.registry.SetString(HKEY_CURRENT_USER, "Control Panel\\International", "iCountry",
                                "81");
    for (int app : kApps) {
        if (input.Below(6) == 0) desk.windows.elevatedApps.insert(app);
        if (input.Below(4) == 0) desk.windows.StartApp(app);
    }
    desk.windows.foregroundLock = (options & 64) == 0;
    if (options & 128) desk.windows.foregroundLockTimeoutMs = 1000 + input.Below(8) * 500;
    desk.input.buttonsSwapped = (options & 4) != 0;
    desk.system.exitWindowsRefused = (options & 8) != 0;
    desk.system.win9xFamily = (options & 16) != 0;
    desk.system.shutdownPrivilegeHeld = (options & 32) == 0;
    desk.tickBase = input.Pick(kTickBases);
    desk.windows.launchDelayMs = 100 + input.Below(8) * 300;
    desk.windows.closeDelayMs = 50 + input.Below(8) * 100;
    std::uint8_t more = input.Byte();
    desk.system.modernStandby = (more & 1) != 0;
    desk.devices.notificationsPresent = (more & 2) == 0;
    desk.sessions.supported = !desk.system.win9xFamily;
    if (input.Below(8) == 0) {  // started in a Remote Desktop session
        desk.sessions.ownSession = 2;
        desk.sessions.remote = true;
    }
}

int RawCodeFor(const Run& run, ByteSource& input) {
    if (input.Flag()) return input.Byte();  // any raw code at all
    RemoteKey key = static_cast<RemoteKey>(input.Below(32));
    if (!run.board->translated) return key;
    int raw = TranslatedRawCodeOf(key);
    return raw >= 0 ? raw : input.Byte();
}

// One user or world action, as it happens at `at`; the invariants are checked after it.
void ScheduleAction(Run& run, std::uint64_t at, std::function<void()> action) {
    run.desk->At(at, [action = std::move(action)] {
        action();
        CheckInvariants();
    });
}

void SchedulePress(Run& run, std::uint64_t at, ByteSource& input) {
    SimDesktop* desk = run.desk;
    int raw = RawCodeFor(run, input);
    std::uint32_t hold = input.Pick(kHolds);
    ScheduleAction(run, at, [desk, raw] { desk->devices.heldRawCode = raw; });
    ScheduleAction(run, at + hold, [desk, raw] {
        if (desk->devices.heldRawCode == raw) desk->devices.heldRawCode = -1;
    });
}

void ScheduleDialogAction(Run& run, std::uint64_t at, ByteSource& input) {
    SimDesktop* desk = run.desk;
    switch (input.Below(7)) {
        case 0:
            ScheduleAction(run, at, [desk] { desk->TypeDialogKey(VK_RETURN); });
            break;
        case 6:
            ScheduleAction(run, at, [desk] { desk->TypeDialogKey(kVkTab); });
            break;
        case 1:
            ScheduleAction(run, at, [desk] { desk->TypeDialogKey(VK_ESCAPE); });
            break;
        case 2:
            ScheduleAction(run, at, [desk] { desk->PressDialogButton(IDOK); });
            break;
        case 3:
            ScheduleAction(run, at, [desk] { desk->PressDialogButton(IDCANCEL); });
            break;
        case 4:
            ScheduleAction(run, at, [desk] { desk->CloseDialogBox(); });
            break;
        default: {
            std::string label = input.Pick(kMenuLabels);
            ScheduleAction(run, at, [desk, label] { desk->SelectListEntry(label); });
            break;
        }
    }
}

void ScheduleFault(Run& run, std::uint64_t at, ByteSource& input) {
    SimDesktop* desk = run.desk;
    SimCardFault fault{input.Pick(kCommands), input.Pick(kErrors),
                       input.Flag() ? SimFaultRepeat::Always : SimFaultRepeat::Once,
                       input.Flag() ? SimCompletion::Pending : SimCompletion::Immediate,
                       input.Below(3)};
    ScheduleAction(run, at, [desk, fault] {
        desk->devices.videoDevices[0].card.FailCommand(fault.command, fault.error, fault.repeat,
                                                       fault.completion, fault.flags);
    });
}

void ScheduleDisplayChange(Run& run, std::uint64_t at, ByteSource& input) {
    SimDesktop* desk = run.desk;
    int width = input.Pick(kSizes);
    int height = input.Pick(kSizes);
    ScheduleAction(run, at, [desk, width, height] {
        desk->input.fullScreenWidth = desk->input.screenWidth = width;
        desk->input.fullScreenHeight = desk->input.screenHeight = height;
        LParam size = static_cast<LParam>((static_cast<std::uint32_t>(height) << 16) |
                                          static_cast<std::uint32_t>(width));
        if (Hwnd window = desk->FindWindowA("Remote Control", nullptr))
            desk->PostMessageA(window, WM_DISPLAYCHANGE, 32, size);
    });
}

void ScheduleWindows(Run& run, std::uint64_t at, ByteSource& input, bool appear) {
    SimDesktop* desk = run.desk;
    bool decoy = input.Flag();
    if (!decoy) {
        int app = input.Pick(kApps);
        if (appear) {
            bool elevated = input.Below(4) == 0;  // started as administrator this time
            ScheduleAction(run, at, [desk, app, elevated] {
                if (elevated) {
                    desk->windows.elevatedApps.insert(app);
                } else {
                    desk->windows.elevatedApps.erase(app);
                }
                desk->windows.StartApp(app);
            });
        } else {
            ScheduleAction(run, at,
                           [desk, app] { desk->DestroySimWindow(desk->windows.AppWindow(app)); });
        }
    } else if (appear) {
        const Decoy* look = &input.Pick(kDecoys);
        Run* r = &run;
        ScheduleAction(run, at, [r, look] {
            r->decoys.push_back(
                r->desk->windows.CreateSimWindow(look->cls, look->title, look->visible));
        });
    } else {
        Run* r = &run;
        std::size_t pick = input.Byte();
        ScheduleAction(run, at, [r, pick] {
            if (r->decoys.empty()) return;
            r->desk->DestroySimWindow(r->decoys[pick % r->decoys.size()]);
        });
    }
}

void ScheduleTray(Run& run, std::uint64_t at, ByteSource& input) {
    SimDesktop* desk = run.desk;
    switch (input.Below(3)) {
        case 0:
            ScheduleAction(run, at, [desk] { desk->TrayNotify(kTrayIconId, WM_RBUTTONDOWN); });
            break;
        case 1: {
            std::string label = input.Pick(kMenuLabels);
            ScheduleAction(run, at, [desk, label] {
                if (label.empty()) {
                    desk->ClickOutsideMenu();
                } else {
                    desk->ChooseMenuItem(label);
                }
            });
            break;
        }
        default:
            ScheduleAction(run, at, [desk] { desk->TrayNotify(kTrayIconId, WM_LBUTTONDOWN); });
            break;
    }
}

void ScheduleDeviceOrPower(Run& run, std::uint64_t at, ByteSource& input) {
    SimDesktop* desk = run.desk;
    std::string name = run.board->name;
    switch (input.Below(5)) {
        case 0:
            ScheduleAction(run, at, [desk] { desk->Suspend(); });
            break;
        case 1:
            ScheduleAction(run, at, [desk, user = input.Flag()] { desk->Resume(user); });
            break;
        case 2:
            ScheduleAction(run, at, [desk, name, error = input.Pick(kGoneErrors)] {
                desk->UnplugDevice(name, error);
            });
            break;
        case 3:
            ScheduleAction(run, at, [desk, name] { desk->PlugDevice(name); });
            break;
        default:
            ScheduleAction(run, at,
                           [desk, event = input.Flag() ? DBT_DEVICEARRIVAL : DBT_DEVNODES_CHANGED] {
                               desk->BroadcastDeviceChange(event);
                           });
            break;
    }
}

// Trouble with the driver or the power: a driver update or "Disable device" (perhaps with
// another program holding the card), a suspend with no sleep after it, a request that hangs.
void ScheduleDriverTrouble(Run& run, std::uint64_t at, ByteSource& input) {
    SimDesktop* desk = run.desk;
    std::string name = run.board->name;
    switch (input.Below(4)) {
        case 0:
        case 1:
            ScheduleAction(run, at, [desk, name, update = input.Flag(), held = input.Flag()] {
                desk->RequestRemoval(name, update, held);
            });
            break;
        case 2:
            ScheduleAction(run, at, [desk] { desk->SuspendAborted(); });
            break;
        default:
            ScheduleAction(run, at, [desk, command = input.Pick(kCommands)] {
                desk->HangNextRequest(command);
            });
            break;
    }
}

void ScheduleSession(Run& run, std::uint64_t at, ByteSource& input) {
    SimDesktop* desk = run.desk;
    switch (input.Below(5)) {
        case 0:
            ScheduleAction(run, at, [desk] { desk->LockSession(); });
            break;
        case 1:
            ScheduleAction(run, at, [desk] { desk->UnlockSession(); });
            break;
        case 2:
            ScheduleAction(run, at, [desk] { desk->SwitchUser(); });
            break;
        case 3:
            ScheduleAction(run, at, [desk] { desk->SwitchBack(); });
            break;
        default:
            ScheduleAction(run, at, [desk] { desk->RemoteConnect(); });
            break;
    }
}

// The user's own input, which restarts the foreground lock's time-out: on the window in
// front, or a click on an application's or another program's window; or the lock is
// turned on or off.
void ScheduleUserInput(Run& run, std::uint64_t at, ByteSource& input) {
    SimDesktop* desk = run.desk;
    Run* r = &run;
    switch (input.Below(4)) {
        case 0:
            ScheduleAction(run, at, [desk] { desk->windows.foregroundLock ^= true; });
            break;
        case 1:
            ScheduleAction(run, at, [desk] { desk->UserInput(0); });
            break;
        case 2: {
            int app = input.Pick(kApps);
            ScheduleAction(run, at, [desk, app] { desk->UserInput(desk->windows.AppWindow(app)); });
            break;
        }
        default: {
            std::size_t pick = input.Byte();
            ScheduleAction(run, at, [r, pick] {
                if (!r->decoys.empty()) r->desk->UserInput(r->decoys[pick % r->decoys.size()]);
            });
            break;
        }
    }
}

Hwnd StartProgram(SimDesktop& desk, const Program& program, bool elevated, bool hung) {
    SimProgramSpec spec{program.image,
                        program.cls,
                        program.title,
                        elevated,
                        hung,
                        program.ownedCls ? program.ownedCls : "",
                        program.ownedTitle ? program.ownedTitle : ""};
    return desk.windows.StartProgram(spec);
}

void SetUpUserKeys(Run& run, ByteSource& keys) {
    for (std::uint32_t n = keys.Below(4); n > 0; --n) {
        const Program& program = keys.Pick(kPrograms);
        bool elevated = keys.Below(6) == 0;
        run.programs.push_back(StartProgram(*run.desk, program, elevated, keys.Below(6) == 0));
        run.programKinds.push_back(&program);
    }
    if (!run.programs.empty()) run.desk->windows.ActivateFront();
    if (keys.Below(4) != 0)
        run.desk->files.Put(kKeysPath, KeysFileText(keys, run.programKinds), SimFiles::kRunStart);
}

// Another program starts, closes or comes to the front, or the user saves the keys file
// anew or deletes it; the choices come from the backward input.
void ScheduleProgramOrKeys(Run& run, std::uint64_t at, ByteSource& keys) {
    Run* r = &run;
    switch (keys.Below(5)) {
        case 0: {
            const Program* program = &keys.Pick(kPrograms);
            bool hung = keys.Below(4) == 0;
            ScheduleAction(run, at, [r, program, hung] {
                Hwnd window = StartProgram(*r->desk, *program, false, hung);
                r->programs.push_back(window);
                r->programKinds.push_back(program);
                r->desk->UserInput(window);  // the user started it
            });
            break;
        }
        case 1: {
            std::size_t pick = keys.Byte();
            ScheduleAction(run, at, [r, pick] {
                if (!r->programs.empty())
                    r->desk->DestroySimWindow(r->programs[pick % r->programs.size()]);
            });
            break;
        }
        case 2: {
            std::string text = KeysFileText(keys, run.programKinds);
            bool gone = keys.Below(4) == 0;
            ScheduleAction(run, at,
                           [r, text, gone] { r->desk->UserSavesFile(kKeysPath, text, gone); });
            break;
        }
        default: {
            std::size_t pick = keys.Byte();
            ScheduleAction(run, at, [r, pick] {
                if (!r->programs.empty())
                    r->desk->UserInput(r->programs[pick % r->programs.size()]);
            });
            break;
        }
    }
}

// Decodes the timeline and schedules it; returns the time of its last event.
std::uint64_t ScheduleEvents(Run& run, ByteSource& input, ByteSource& keys) {
    std::uint64_t at = 0;
    SimDesktop* desk = run.desk;
    for (std::size_t count = 0; count < kMostEvents && at < kLongestTimelineMs && !input.Empty();
         ++count) {
        at += input.Pick(kGaps);
        switch (input.Below(16)) {
            case 0:
            case 1:
            case 2:
                SchedulePress(run, at, input);
                break;
            case 3:
                ScheduleWindows(run, at, input, true);
                break;
            case 4:
                ScheduleWindows(run, at, input, false);
                break;
            case 5:
                ScheduleAction(run, at, [desk] { desk->CloseTopMessageBox(); });
                break;
            case 6:
                ScheduleDialogAction(run, at, input);
                break;
            case 7:
                ScheduleDisplayChange(run, at, input);
                break;
            case 8:
                ScheduleFault(run, at, input);
                break;
            case 9:
                ScheduleAction(run, at, [desk] {
                    desk->devices.videoDevices[0].card.faults.clear();
                    desk->devices.videoDevices[0].card.completion = SimCompletion::Immediate;
                });
                break;
            case 10:
                ScheduleTray(run, at, input);
                break;
            case 12:
            case 13:
                ScheduleDeviceOrPower(run, at, input);
                break;
            case 14:
                ScheduleDriverTrouble(run, at, input);
                break;
            case 15:
                ScheduleSession(run, at, input);
                break;
            case 11:
                ScheduleProgramOrKeys(run, at, keys);
                break;
            default:
                ScheduleUserInput(run, at, input);
                break;
        }
    }
    return at;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteSource input(data, size);
    std::vector<std::uint8_t> backwards(data, data + size);
    std::reverse(backwards.begin(), backwards.end());
    ByteSource keys(backwards.data(), backwards.size());
    auto desk = std::make_unique<WatchedDesktop>();
    InstallPlatform(desk.get());
    Run run{desk.get(), nullptr, {}, {}, {}};
    SetUpDesktop(run, input);
    SetUpUserKeys(run, keys);
    desk->runLimit = ScheduleEvents(run, input, keys) + kRunTailMs;

    BeginInvariantWatch(*desk);
    ConstructStaticObjects();
    logic.KeyPollTimer.timerProc = CheckedKeyPollTick;
    logic.AppWatchTimer.timerProc = CheckedAppWatchTick;
    logic.ReceiverSearchTimer.timerProc = CheckedSearchTick;
    RunRemoteControl(kInstance);
    CheckEndOfRun();
    InstallPlatform(nullptr);
    return 0;
}
