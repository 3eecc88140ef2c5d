#include "tools/remote_sim/runner.h"

#include "monitor/monitor.h"
#include "receiver/capture_device.h"
#include "shell/main_window.h"
#include "shell/static_objects.h"
#include "sim/sim_desktop.h"

namespace {

constexpr Handle kInstance = 0x400000;
constexpr std::uint32_t kTrayIconId = 10;
constexpr std::uint32_t kFailedRequestError = 31;  // ERROR_GEN_FAILURE
constexpr const char* kSettingsKey = "SOFTWARE\\Zarvin Multimedia\\Tuner Utilities";

struct Board {
    bool present = false;
    RemoteLayout layout = Translated;
};

// The board that the utility will open: the first listed name present, in list order.
Board OpenedBoard(const Scenario& scenario) {
    Board board;
    int best = -1;
    for (const auto& device : scenario.devices) {
        RemoteLayout layout = Translated;
        int order = ListedBoardOrder(device.c_str(), &layout);
        if (order >= 0 && (best < 0 || order < best)) {
            best = order;
            board = Board{true, layout};
        }
    }
    return board;
}

bool Fail(const Scenario& scenario, int line, const std::string& what, std::string* error) {
    *error = scenario.file + ":" + std::to_string(line) + ": error: " + what;
    return false;
}

// The raw code the remote sends for a press, or -1 when the board cannot send it.
int RawCodeOf(const ScenarioEvent& event, const Board& board) {
    if (event.kind == ScenarioEvent::PressRaw) return static_cast<int>(event.number);
    if (board.layout == Direct) return static_cast<int>(event.number);
    return TranslatedRawCodeOf(static_cast<RemoteKey>(event.number));
}

void SetUpDesktop(const Scenario& s, SimDesktop& desk) {
    desk.input.fullScreenWidth = desk.input.screenWidth = s.screenWidth;
    desk.input.fullScreenHeight = desk.input.screenHeight = s.screenHeight;
    for (const auto& device : s.devices)
        desk.devices.AddVideoDevice(device);
    for (const auto& install : s.installs) {
        desk.InstallApp(install.appId, install.folder, install.commonKey);
    }
    for (const auto& setting : s.settings) {
        desk.registry.SetDword(HKEY_LOCAL_MACHINE, kSettingsKey, setting.name,
                               static_cast<std::uint32_t>(setting.value));
    }
    desk.system.win9xFamily = s.windows9x;
    desk.system.ntVersion = s.ntVersion;
    desk.windows.utilityElevated = s.utilityElevated;
    desk.registry.hklmReadOnly = s.registryReadOnly;
    desk.registry.virtualization = s.registryVirtualization;
    desk.sessions.supported = !s.windows9x;
    if (s.remoteSession) {
        desk.sessions.ownSession = 2;
        desk.sessions.remote = true;
    }
    for (const auto& [name, open] : s.otherSessionObjects)
        desk.sessions.HoldInOtherSession(name, open);
    if (s.hasCountry) {
        std::string code = std::to_string(s.country);
        if (s.windows9x) {
            desk.system.SetProfileValue(desk.system.windowsDirectory + "\\win.ini", "intl",
                                        "iCountry", code);
        } else {
            desk.registry.SetString(HKEY_CURRENT_USER, "Control Panel\\International", "iCountry",
                                    code);
        }
    }
    desk.windows.foregroundLock = s.foregroundLock;
    desk.windows.foregroundLockTimeoutMs = s.foregroundLockTimeoutMs;
    desk.windows.elevatedApps.insert(s.elevated.begin(), s.elevated.end());
    for (const auto& window : s.windows) {
        if (!window.program) {
            desk.windows.CreateSimWindow(window.cls, window.title, window.visible);
            continue;
        }
        desk.windows.StartProgram(SimProgramSpec{window.image, window.cls, window.title,
                                                 window.elevated, window.hung, window.ownedCls,
                                                 window.ownedTitle});
    }
    // The files were written the day before.
    for (const auto& file : s.files)
        desk.files.Put(file.path, file.text, SimFiles::kRunStart - 24ull * 3600 * 10000000);
    for (int appId : s.running)
        desk.windows.StartApp(appId);
    desk.windows.ActivateFront();
    desk.input.buttonsSwapped = s.swapButtons;
    desk.input.altGrLayout = s.altGrLayout;
    for (const auto& monitor : s.otherMonitors) {
        auto rect = [](const ScenarioRect& r) {
            return ScreenRect{r.left, r.top, r.right, r.bottom};
        };
        desk.input.otherMonitors.push_back(SimMonitor{rect(monitor.area), rect(monitor.work)});
    }
    desk.input.cursor =
        s.hasCursor ? Point{s.cursorX, s.cursorY} : Point{s.screenWidth / 2, s.screenHeight / 2};
    desk.system.shutdownPrivilegeHeld = s.shutdownPrivilege;
    desk.tickBase = s.tickBase;
    desk.system.modernStandby = s.modernStandby;
    desk.devices.notificationsPresent = s.deviceNotifications;
}

void ChangeDisplay(SimDesktop& desk, int width, int height) {
    desk.input.fullScreenWidth = desk.input.screenWidth = width;
    desk.input.fullScreenHeight = desk.input.screenHeight = height;
    desk.Trace("display " + std::to_string(width) + " " + std::to_string(height));
    LParam size = static_cast<LParam>((static_cast<std::uint32_t>(height) << 16) |
                                      static_cast<std::uint32_t>(width));
    if (Hwnd window = desk.FindWindowA("Remote Control", nullptr)) {
        desk.PostMessageA(window, WM_DISPLAYCHANGE, 32, size);
    }
}

void FailNextRequest(SimDesktop& desk, const ScenarioEvent& event) {
    std::uint32_t command = 0;
    SimCardCommandCode(event.text, &command);
    for (auto& device : desk.devices.videoDevices) {
        device.card.FailCommand(command, kFailedRequestError,
                                event.always ? SimFaultRepeat::Always : SimFaultRepeat::Once);
    }
}

// What a long run must not pile up: "census events=1 com=2 timers=2 windows=1".
void TraceCensus(SimDesktop& desk) {
    std::uint32_t references = 0;
    for (const SimComObject& object : desk.devices.com.objects)
        references += object.refs;
    int windows = 0;
    for (Hwnd window = desk.GetWindow(desk.GetDesktopWindow(), GW_CHILD); window != 0;
         window = desk.GetWindow(window, GW_HWNDNEXT)) {
        ++windows;
    }
    desk.Trace("census events=" + std::to_string(desk.devices.com.events.size()) +
               " com=" + std::to_string(references) +
               " timers=" + std::to_string(desk.windows.Timers().size()) +
               " windows=" + std::to_string(windows));
}

void PlaySessionEvent(SimDesktop& desk, const std::string& what) {
    if (what == "lock") {
        desk.LockSession();
    } else if (what == "unlock") {
        desk.UnlockSession();
    } else if (what == "switch-user") {
        desk.SwitchUser();
    } else if (what == "switch-back") {
        desk.SwitchBack();
    } else {
        desk.RemoteConnect();
    }
}

void Schedule(const ScenarioEvent& event, const Board& board, SimDesktop& desk) {
    SimDesktop* d = &desk;
    switch (event.kind) {
        case ScenarioEvent::PressKey:
        case ScenarioEvent::PressRaw:
            desk.PressRemote(event.at, RawCodeOf(event, board), event.duration);
            break;
        case ScenarioEvent::MessageBoxOk:
            desk.At(event.at, [d] { d->CloseTopMessageBox(); });
            break;
        case ScenarioEvent::TrayButton: {
            std::uint32_t mouse = event.text == "left"    ? WM_LBUTTONDOWN
                                  : event.text == "right" ? WM_RBUTTONDOWN
                                                          : WM_MOUSEMOVE;
            desk.At(event.at, [d, mouse] { d->TrayNotify(kTrayIconId, mouse); });
            break;
        }
        case ScenarioEvent::MenuChoose:
            desk.At(event.at, [d, label = event.text] {
                if (label.empty()) {
                    d->ClickOutsideMenu();
                } else {
                    d->ChooseMenuItem(label);
                }
            });
            break;
        case ScenarioEvent::DialogSelect:
            desk.At(event.at, [d, label = event.text] { d->SelectListEntry(label); });
            break;
        case ScenarioEvent::DialogButton:
            desk.At(event.at,
                    [d, id = static_cast<int>(event.number)] { d->PressDialogButton(id); });
            break;
        case ScenarioEvent::DialogKey:
            desk.At(event.at,
                    [d, vk = static_cast<std::uint8_t>(event.number)] { d->TypeDialogKey(vk); });
            break;
        case ScenarioEvent::UserInput:
            desk.At(event.at, [d, id = static_cast<int>(event.number), title = event.text] {
                Hwnd target = id != 0         ? d->windows.AppWindow(id)
                              : title.empty() ? 0
                                              : d->FindWindowA(nullptr, title.c_str());
                // A Unicode title has no ANSI form to search by.
                if (!target && !title.empty()) target = d->windows.FindByTitle(title);
                d->UserInput(target);
            });
            break;
        // The user's click closes the window; starting a program by hand is input to the
        // shell, which lets the new program take the foreground.
        case ScenarioEvent::CloseApp:
            desk.At(event.at, [d, id = static_cast<int>(event.number)] {
                d->NoteInput(false);
                d->DestroySimWindow(d->windows.AppWindow(id));
            });
            break;
        case ScenarioEvent::StartApp:
            desk.At(event.at, [d, id = static_cast<int>(event.number)] {
                d->NoteInput(false);
                d->Trace("window shown " + d->windows.Describe(d->windows.StartApp(id)));
            });
            break;
        case ScenarioEvent::Display:
            desk.At(event.at, [d, w = static_cast<int>(event.number),
                               h = static_cast<int>(event.number2)] { ChangeDisplay(*d, w, h); });
            break;
        case ScenarioEvent::FailCommand:
            desk.At(event.at, [d, event] { FailNextRequest(*d, event); });
            break;
        case ScenarioEvent::Census:
            desk.At(event.at, [d] { TraceCensus(*d); });
            break;
        // Devices and power
        case ScenarioEvent::Unplug:
            desk.At(event.at, [d, event] {
                d->UnplugDevice(event.text, static_cast<std::uint32_t>(event.number));
            });
            break;
        case ScenarioEvent::Plug:
            desk.At(event.at, [d, name = event.text] { d->PlugDevice(name); });
            break;
        case ScenarioEvent::Suspend:
            desk.At(event.at, [d] { d->Suspend(); });
            break;
        case ScenarioEvent::Resume:
            desk.At(event.at, [d, user = event.always] { d->Resume(user); });
            break;
        case ScenarioEvent::DeviceChange:
            desk.At(event.at, [d, change = static_cast<std::uint32_t>(event.number)] {
                d->BroadcastDeviceChange(change);
            });
            break;
        case ScenarioEvent::ExplorerRestart:
            desk.At(event.at, [d] { d->RestartTaskbar(); });
            break;
        case ScenarioEvent::UpdateDriver:
        case ScenarioEvent::Disable:
            desk.At(event.at, [d, event] {
                d->RequestRemoval(event.text, event.kind == ScenarioEvent::UpdateDriver,
                                  event.always);
            });
            break;
        case ScenarioEvent::SuspendAborted:
            desk.At(event.at, [d] { d->SuspendAborted(); });
            break;
        case ScenarioEvent::Hang:
            desk.At(event.at, [d, name = event.text] {
                std::uint32_t command = 0;
                SimCardCommandCode(name, &command);
                d->HangNextRequest(command);
            });
            break;
        case ScenarioEvent::Session:
            desk.At(event.at, [d, what = event.text] { PlaySessionEvent(*d, what); });
            break;
        case ScenarioEvent::FileSave:
            desk.At(event.at, [d, path = event.text, text = event.content, gone = event.always] {
                d->UserSavesFile(path, text, gone);
            });
            break;
    }
}

}  // namespace

bool CheckScenario(const Scenario& scenario, std::string* error) {
    Board board = OpenedBoard(scenario);
    for (const auto& event : scenario.events) {
        if (event.kind == ScenarioEvent::PressKey) {
            if (!board.present) {
                return Fail(scenario, event.line,
                            "no board to send key " + std::to_string(event.number), error);
            }
            if (RawCodeOf(event, board) < 0) {
                return Fail(scenario, event.line,
                            "the board's remote cannot send key " + std::to_string(event.number),
                            error);
            }
        }
        std::uint32_t command = 0;
        if ((event.kind == ScenarioEvent::FailCommand || event.kind == ScenarioEvent::Hang) &&
            !SimCardCommandCode(event.text, &command)) {
            return Fail(scenario, event.line, "unknown command '" + event.text + "'", error);
        }
    }
    return true;
}

namespace {

SimDesktop& StartDesktop(const Scenario& scenario, const RunOptions& options) {
    SimDesktop& desk = InstallFreshSimDesktop();
    desk.dialogs.autoCloseMessageBoxes = false;
    desk.traceDetails = options.verbose;
    desk.devices.traceRequests = options.traceRequests;
    SetUpDesktop(scenario, desk);
    Board board = OpenedBoard(scenario);
    for (const auto& event : scenario.events)
        Schedule(event, board, desk);
    desk.runLimit = scenario.runMs;
    return desk;
}

}  // namespace

std::vector<std::string> RunMonitorScenario(const Scenario& scenario, const RunOptions& options) {
    SimDesktop& desk = StartDesktop(scenario, options);
    // After the Ctrl+C the monitor finishes its poll and closes the card; it may not be
    // stopped by the end of the simulation before.
    desk.At(scenario.runMs, [] { RequestMonitorStop(false); });
    desk.runLimit = scenario.runMs + 60000;
    const char* const argv[] = {"RemoteMonitor"};
    int status = RunMonitor(1, argv);
    std::vector<std::string> lines;
    for (const auto& entry : desk.trace) {
        std::string effect = entry.substr(entry.find(' ') + 1);
        lines.push_back(effect.rfind("console ", 0) == 0 ? effect.substr(8) : "# " + entry);
    }
    lines.push_back("exit " + std::to_string(status));
    return lines;
}

std::vector<std::string> RunScenario(const Scenario& scenario, const RunOptions& options) {
    SimDesktop& desk = StartDesktop(scenario, options);

    ConstructStaticObjects();
    int exitCode = RunRemoteControl(kInstance);
    if (desk.stopped) {
        desk.stopped = false;
        desk.now = scenario.runMs;
        desk.Trace("end");
    } else {
        desk.Trace("exit " + std::to_string(exitCode));
    }
    return desk.trace;
}
