// The whole utility on a simulated desktop, driven by a random sequence of events: remote
// keys and raw codes of every range, held, repeated and with any gaps (the tick count may
// wrap), TV applications and look-alike windows appearing and vanishing, message boxes and
// dialogs answered, display changes, tray clicks, and driver faults of every command, at
// once or pending. Beyond "no crash", invariants are checked after every event and every tick:
// messages reach only the windows their commands target, timer slots match the desktop's
// timers, no box or Shut Down dialog stacks on one of its kind, and no tick allocates.
#include <strings.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "apps/tv_app.h"
#include "fuzz/fuzz_support.h"
#include "measure/allocation_count.h"
#include "measure/counting_desktop.h"
#include "platform/device_constants.h"
#include "receiver/remote_keys.h"
#include "routing/key_router.h"
#include "routing/shutdown.h"
#include "shell/main_window.h"
#include "shell/main_window_ids.h"
#include "shell/resource_ids.h"
#include "shell/static_objects.h"
#include "shell/timer_slot.h"

namespace {

constexpr Handle kInstance = 0x400000;
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
constexpr std::uint32_t kGaps[] = {0, 1, 30, 64, 65, 66, 130, 249, 250, 251, 400, 1000, 2100, 5000};
constexpr std::uint32_t kHolds[] = {1, 30, 65, 100, 200, 260, 700, 1500, 4000};
constexpr std::uint32_t kTickBases[] = {0, 0xFFFFFFFFu - 1000, 0xFFFFFFFFu - 300000, 123456};
constexpr int kSizes[] = {0, 640, 800, 1023, 1024, 1280, 1600, 749, 768, 1, 65535};
constexpr const char* kMenuLabels[] = {"Lumacast",   "VantorTVR",     "Omnivue",
                                       "DVBS SUITE", "OmnivueCenter", "Setting",
                                       "About",      "Exit",          ""};

constexpr Hwnd kFirstHandle = 0x100;
constexpr std::uint32_t kMessage2000 = WM_USER + 2000;
constexpr std::uint32_t kMessage3000 = WM_USER + 3000;

SimDesktop* watched = nullptr;
std::vector<std::size_t> checkedReceived;  // per window: messages already checked

bool Same(const std::string& a, const char* b) {
    return a.size() == std::strlen(b) && strcasecmp(a.c_str(), b) == 0;
}

// Application 9's own dialog windows, which take its dialog commands while visible.
bool IsApp9Popup(const SimWindow& w) {
    return w.visible && (Same(w.cls, "TPopupForm") || Same(w.cls, "TSourceForm") ||
                         Same(w.cls, "TFormCalander") || Same(w.cls, "TDialogForm") ||
                         (Same(w.cls, "ZarvinPlayer_Class") &&
                          (Same(w.title, "PictureView") || Same(w.title, "Playback"))) ||
                         (Same(w.cls, "TWizardForm") && Same(w.title, "WizardForm")));
}

// Whether the window is one that a command carried by this message may go to: the exact
// identity of an application that speaks the message, or one of application 9's dialogs.
bool IsCommandTarget(const SimWindow& w, const SimReceived& r) {
    bool app1 = Same(w.title, "Lumacast");
    if (r.injected) return app1;
    switch (r.msg) {
        case WM_KEYDOWN:
        case WM_SYSCOMMAND:
            return app1;
        case kMessage2000:
            return Same(w.cls, "VANTOR_TVR") || Same(w.cls, "ZARVIN_DVBS");
        case kMessage3000:
            return (Same(w.cls, "ZarvinMainPanel_Class") &&
                    (Same(w.title, "TVR") || Same(w.title, "Omnivue Center"))) ||
                   IsApp9Popup(w);
        default:
            return false;
    }
}

void CheckMessages() {
    for (Hwnd handle = kFirstHandle; const SimWindow* w = watched->Find(handle); ++handle) {
        std::size_t index = handle - kFirstHandle;
        if (checkedReceived.size() <= index) checkedReceived.resize(index + 1, 0);
        for (std::size_t i = checkedReceived[index]; i < w->received.size(); ++i) {
            if (!IsCommandTarget(*w, w->received[i])) {
                std::fprintf(stderr, "message %u wParam=%lu to \"%s\"/\"%s\"\n", w->received[i].msg,
                             static_cast<unsigned long>(w->received[i].wParam), w->cls.c_str(),
                             w->title.c_str());
                Require(false, "a message reaches only the identity its command targets");
            }
        }
        checkedReceived[index] = w->received.size();
    }
}

// The tray menu works while a dialog is up, so the user may open Setting or About a second
// time by hand; only the remote's own dialog is checked.
void CheckShutdownDialog() {
    int live = 0;
    for (const auto& dialog : watched->dialogs) {
        const SimWindow* w = watched->Find(dialog.window);
        live += dialog.templateId == IDD_SHUTDOWN && w && w->alive && !dialog.ended;
    }
    Require(live <= 1, "no Shut Down dialog opens while one is open");
    Require(!shutdownDialogOpen || live == 1,
            "shutdownDialogOpen only while a Shut Down dialog is open");
}

void CheckTimerSlot(const TimerSlot& slot) {
    int timers = 0;
    for (const SimTimer& timer : watched->Timers())
        timers += timer.owner == slot.owner && timer.id == slot.id;
    Require(timers <= 1, "a timer slot has at most one platform timer");
    Require(timers == (slot.armed ? 1 : 0), "an armed slot has its timer, a disarmed one none");
}

// The I2C read's failure boxes are one kind whatever the failing step; any other box is its
// own kind. A refused shutdown is reported after each confirmation of the Shut Down dialog,
// which takes two fresh key presses every time: a second such box is the user's doing.
void CheckMessageBoxes() {
    std::vector<std::string> open;
    for (const SimMessageBox& box : watched->messageBoxes) {
        if (box.closed || box.text == "Can't run ExitWindowsEx.") continue;
        std::string kind = box.caption == "I2CSWRead" ? box.caption : box.caption + "|" + box.text;
        for (const std::string& other : open) {
            if (other == kind) std::fprintf(stderr, "second box \"%s\"\n", kind.c_str());
            Require(other != kind, "no box opens while another of its kind is open");
        }
        open.push_back(kind);
    }
}

void BeginInvariantWatch(SimDesktop& desk) {
    watched = &desk;
    checkedReceived.clear();
}

void CheckInvariants() {
    CheckShutdownDialog();
    CheckTimerSlot(KeyPollTimer);
    CheckTimerSlot(AppWatchTimer);
    Require(watched->Timers().size() <= 2, "the utility runs no timers but its two slots'");
    CheckMessages();
    CheckMessageBoxes();
}

void CheckEndOfRun() {
    CheckInvariants();
    Require(!KeyPollTimer.armed && !AppWatchTimer.armed, "both slots disarmed at exit");
}

// A tick of the key poll or the application watch that allocates nothing in the logic and
// leaves every invariant holding.
template <TimerProc tick>
void PLATFORM_CALLBACK Checked(Hwnd owner, std::uint32_t msg, std::uintptr_t id,
                               std::uint32_t time) {
    std::uint64_t before = CountedAllocations().logic;
    {
        CountingScope counting;
        tick(owner, msg, id, time);
    }
    Require(CountedAllocations().logic == before, "a tick allocates nothing");
    CheckInvariants();
}

struct Run {
    CountingDesktop* desk;
    const Board* board;
    std::vector<Hwnd> decoys;
};

void InstallApps(Run& run, ByteSource& input) {
    for (const InstallValue& app : kInstallValues) {
        switch (input.Below(4)) {
            case 0:
                break;
            case 1:  // the folder is there, its program is not
                run.desk->SetRegString(HKEY_LOCAL_MACHINE, app.key, app.value, "C:\\Gone");
                break;
            default:
                run.desk->InstallApp(app.appId, "C:\\TV\\" + std::to_string(app.appId),
                                     input.Flag() && (app.appId == 6 || app.appId == 9));
                break;
        }
    }
}

void SetUpDesktop(Run& run, ByteSource& input) {
    CountingDesktop& desk = *run.desk;
    desk.traceEnabled = false;
    desk.logRequests = false;
    desk.autoCloseMessageBoxes = false;
    std::uint8_t options = input.Byte();
    run.board = &input.Pick(kBoards);
    SimVideoDevice& device = desk.AddVideoDevice(run.board->name);
    if (options & 1) device.card.completion = SimCompletion::Pending;
    InstallApps(run, input);
    desk.SetRegDword(HKEY_LOCAL_MACHINE, kSettingsKey, "DefaultTVAPP",
                     static_cast<std::uint32_t>(input.Pick(kDefaults)));
    if (options & 2)
        desk.SetRegString(HKEY_CURRENT_USER, "Control Panel\\International", "iCountry", "81");
    for (int app : kApps) {
        if (input.Below(4) == 0) desk.StartApp(app);
    }
    desk.buttonsSwapped = (options & 4) != 0;
    desk.exitWindowsRefused = (options & 8) != 0;
    desk.win9xFamily = (options & 16) != 0;
    desk.shutdownPrivilegeHeld = (options & 32) == 0;
    desk.tickBase = input.Pick(kTickBases);
    desk.launchDelayMs = 100 + input.Below(8) * 300;
    desk.closeDelayMs = 50 + input.Below(8) * 100;
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
    ScheduleAction(run, at, [desk, raw] { desk->heldRawCode = raw; });
    ScheduleAction(run, at + hold, [desk, raw] {
        if (desk->heldRawCode == raw) desk->heldRawCode = -1;
    });
}

void ScheduleDialogAction(Run& run, std::uint64_t at, ByteSource& input) {
    using Act = void (*)(SimDesktop*);
    static constexpr Act kActs[] = {
        [](SimDesktop* d) { d->TypeDialogKey(VK_RETURN); },
        [](SimDesktop* d) { d->TypeDialogKey(VK_ESCAPE); },
        [](SimDesktop* d) { d->PressDialogButton(IDOK); },
        [](SimDesktop* d) { d->PressDialogButton(IDCANCEL); },
        [](SimDesktop* d) { d->CloseDialogBox(); },
    };
    SimDesktop* desk = run.desk;
    std::uint32_t choice = input.Below(6);
    if (choice < 5) {
        Act act = kActs[choice];
        ScheduleAction(run, at, [desk, act] { act(desk); });
    } else {
        std::string label = input.Pick(kMenuLabels);
        ScheduleAction(run, at, [desk, label] { desk->SelectListEntry(label); });
    }
}

void ScheduleFault(Run& run, std::uint64_t at, ByteSource& input) {
    SimDesktop* desk = run.desk;
    SimCardFault fault{input.Pick(kCommands), input.Pick(kErrors),
                       input.Flag() ? SimFaultRepeat::Always : SimFaultRepeat::Once,
                       input.Flag() ? SimCompletion::Pending : SimCompletion::Immediate,
                       input.Below(3)};
    ScheduleAction(run, at, [desk, fault] {
        desk->videoDevices[0].card.FailCommand(fault.command, fault.error, fault.repeat,
                                               fault.completion, fault.flags);
    });
}

void ScheduleDisplayChange(Run& run, std::uint64_t at, ByteSource& input) {
    SimDesktop* desk = run.desk;
    int width = input.Pick(kSizes);
    int height = input.Pick(kSizes);
    ScheduleAction(run, at, [desk, width, height] {
        desk->fullScreenWidth = desk->screenWidth = width;
        desk->fullScreenHeight = desk->screenHeight = height;
        LParam size = static_cast<LParam>((static_cast<std::uint32_t>(height) << 16) |
                                          static_cast<std::uint32_t>(width));
        if (Hwnd window = desk->FindWindowA("Remote Control", nullptr))
            desk->PostMessageA(window, WM_DISPLAYCHANGE, 32, size);
    });
}

// An application's window or a look-alike appearing, or vanishing.
void ScheduleWindows(Run& run, std::uint64_t at, ByteSource& input, bool appear) {
    Run* r = &run;
    if (!input.Flag()) {
        int app = input.Pick(kApps);
        ScheduleAction(run, at, [r, app, appear] {
            if (appear) {
                r->desk->StartApp(app);
            } else {
                r->desk->DestroySimWindow(r->desk->AppWindow(app));
            }
        });
    } else if (appear) {
        const Decoy* look = &input.Pick(kDecoys);
        ScheduleAction(run, at, [r, look] {
            r->decoys.push_back(r->desk->CreateSimWindow(look->cls, look->title, look->visible));
        });
    } else {
        std::size_t pick = input.Byte();
        ScheduleAction(run, at, [r, pick] {
            if (!r->decoys.empty()) r->desk->DestroySimWindow(r->decoys[pick % r->decoys.size()]);
        });
    }
}

void ScheduleTray(Run& run, std::uint64_t at, ByteSource& input) {
    SimDesktop* desk = run.desk;
    std::uint32_t choice = input.Below(3);
    std::string label = choice == 1 ? input.Pick(kMenuLabels) : "";
    ScheduleAction(run, at, [desk, choice, label] {
        if (choice != 1) {
            desk->TrayNotify(kTrayIconId, choice == 0 ? WM_RBUTTONDOWN : WM_LBUTTONDOWN);
        } else if (label.empty()) {
            desk->ClickOutsideMenu();
        } else {
            desk->ChooseMenuItem(label);
        }
    });
}

using Scheduler = void (*)(Run&, std::uint64_t, ByteSource&);
void ScheduleSimple(Run& run, std::uint64_t at, void (*act)(SimDesktop*)) {
    SimDesktop* desk = run.desk;
    ScheduleAction(run, at, [desk, act] { act(desk); });
}
constexpr Scheduler kSchedulers[] = {
    SchedulePress,
    SchedulePress,
    SchedulePress,
    [](Run& r, std::uint64_t at, ByteSource& in) { ScheduleWindows(r, at, in, true); },
    [](Run& r, std::uint64_t at, ByteSource& in) { ScheduleWindows(r, at, in, false); },
    [](Run& r, std::uint64_t at, ByteSource&) {
        ScheduleSimple(r, at, [](SimDesktop* d) { d->CloseTopMessageBox(); });
    },
    ScheduleDialogAction,
    ScheduleDisplayChange,
    ScheduleFault,
    [](Run& r, std::uint64_t at, ByteSource&) {
        ScheduleSimple(r, at, [](SimDesktop* d) {
            d->videoDevices[0].card.faults.clear();
            d->videoDevices[0].card.completion = SimCompletion::Immediate;
        });
    },
    ScheduleTray,
    [](Run& r, std::uint64_t at, ByteSource&) {
        ScheduleSimple(r, at, [](SimDesktop* d) { d->foregroundLocked = !d->foregroundLocked; });
    },
};

// Decodes the timeline and schedules it; returns the time of its last event.
std::uint64_t ScheduleEvents(Run& run, ByteSource& input) {
    std::uint64_t at = 0;
    for (std::size_t count = 0; count < kMostEvents && at < kLongestTimelineMs && !input.Empty();
         ++count) {
        at += input.Pick(kGaps);
        input.Pick(kSchedulers)(run, at, input);
    }
    return at;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteSource input(data, size);
    auto desk = std::make_unique<CountingDesktop>();
    InstallPlatform(desk.get());
    Run run{desk.get(), nullptr, {}};
    SetUpDesktop(run, input);
    desk->runLimit = ScheduleEvents(run, input) + kRunTailMs;

    BeginInvariantWatch(*desk);
    ConstructStaticObjects();
    KeyPollTimer.timerProc = Checked<OnKeyPollTick>;
    AppWatchTimer.timerProc = Checked<AppWatchTick>;
    RunRemoteControl(kInstance);
    CheckEndOfRun();
    InstallPlatform(nullptr);
    return 0;
}
