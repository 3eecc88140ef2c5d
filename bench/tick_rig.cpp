#include "bench/tick_rig.h"

#include "apps/tv_app.h"
#include "receiver/capture_device.h"
#include "receiver/remote_keys.h"
#include "routing/key_router.h"
#include "routing/pointer_mode.h"
#include "routing/shutdown.h"
#include "routing/user_keys.h"
#include "shell/resource_ids.h"
#include "shell/static_objects.h"

namespace {

constexpr std::uint32_t kTickMs = 65;
// Received messages are recorded by the desktop; dropping them now and then keeps the
// record's room from growing in a long run.
constexpr std::uint64_t kDropEvery = 4096;

// Keys 16 and 17 have commands for application 9; 4 and 6 move the pointer; 1 and 2 have
// no meaning to the Shut Down dialog but Escape.
constexpr RemoteKey kAppKeys[2] = {16, 17};
constexpr RemoteKey kPointerKeys[2] = {4, 6};
constexpr RemoteKey kDialogKeys[2] = {1, 2};
// Keys 16 and 17 under a player's profile, matched by its program file and its title, after
// another profile that does not match it.
constexpr RemoteKey kProfileKeys[2] = {16, 17};
constexpr char kKeysPath[] =
    "C:\\Users\\Alex\\AppData\\Roaming\\Zarvin Multimedia\\Remote Control\\keys.ini";
constexpr char kKeysFile[] =
    "[program Browser]\n"
    "exe = firefox.exe\n"
    "key 16 = keys Space\n"
    "[program VLC]\n"
    "exe = vlc.exe\n"
    "title = * - VLC media player\n"
    "key 16 = keys Ctrl+Up\n"
    "key 17 = keys Ctrl+Down\n";

bool OnI2cBoard(TickKind kind) {
    return kind == TickKind::AppKeyI2c;
}

const RemoteKey* KeysOf(TickKind kind) {
    switch (kind) {
        case TickKind::AppKey:
        case TickKind::AppKeyI2c:
            return kAppKeys;
        case TickKind::PointerKey:
            return kPointerKeys;
        case TickKind::ShutdownDialog:
            return kDialogKeys;
        case TickKind::ProfileKey:
            return kProfileKeys;
        default:
            return nullptr;
    }
}

// A Shut Down dialog as the dialog's own start leaves it, without its modal loop: the tick
// is what is measured, and the rig calls it directly.
Hwnd OpenShutdownDialog(SimDesktop& desk, Hwnd owner) {
    Hwnd dialog = desk.windows.CreateSimWindow("#32770", "Remote Control - Shut Down", true);
    SimWindow* window = desk.windows.Find(dialog);
    window->utility = true;
    window->dlgProc = ShutdownDialogProc;
    SimDialogRecord record;
    record.templateId = IDD_SHUTDOWN;
    record.window = dialog;
    record.owner = owner;
    desk.dialogs.opened.push_back(record);
    logic.shutdownDialogWindow = dialog;
    return dialog;
}

}  // namespace

const char* TickKindName(TickKind kind) {
    switch (kind) {
        case TickKind::Idle:
            return "idle";
        case TickKind::AppKey:
            return "key_app9_gpio";
        case TickKind::AppKeyI2c:
            return "key_app9_i2c";
        case TickKind::PointerKey:
            return "key_pointer";
        case TickKind::ShutdownDialog:
            return "key_shutdown_dialog";
        case TickKind::ProfileKey:
            return "key_profile";
    }
    return "";
}

TickRig::TickRig(SimDesktop& desk, TickKind kind) : desk_(desk), kind_(kind) {
    InstallPlatform(&desk_);
    desk_.traceEnabled = false;
    desk_.devices.logRequests = false;
    desk_.InstallApp(9, "C:\\TV\\Hub");
    ConstructStaticObjects();
    bool i2c = OnI2cBoard(kind);
    desk_.devices.AddVideoDevice(i2c ? "Sorrel DVBS Q7 Video Capture"
                                     : "Kavel KV100 Video Capture");
    OpenReceiver();
    InitPointerBounds();  // as the main window's creation does
    owner_ = desk_.windows.CreateSimWindow("Remote Control", "Remote Control", false);
    desk_.windows.Find(owner_)->utility = true;
    if (const RemoteKey* keys = KeysOf(kind)) {
        for (int i = 0; i < 2; ++i)
            rawCodes_[i] = i2c ? keys[i] : TranslatedRawCodeOf(keys[i]);
    }
    if (kind == TickKind::AppKey || kind == TickKind::AppKeyI2c) {
        target_ = desk_.windows.StartApp(9);
        AppRecord(9)->active = 1;
    } else if (kind == TickKind::ShutdownDialog) {
        target_ = OpenShutdownDialog(desk_, owner_);
    } else if (kind == TickKind::ProfileKey) {
        desk_.files.Put(kKeysPath, kKeysFile, SimFiles::kRunStart);
        LoadUserKeys();
        target_ = desk_.windows.StartProgram(
            {"vlc.exe", "Qt5QWindowIcon", "film.mkv - VLC media player", false, false, "", ""});
        desk_.windows.ActivateFront();
    }
}

void TickRig::Tick() {
    desk_.now += kTickMs;
    desk_.devices.heldRawCode = rawCodes_[ticks_ & 1];
    if (kind_ == TickKind::ShutdownDialog) {
        logic.shutdownDialogOpen = 1;  // the key of the previous tick closed it
        desk_.dialogs.opened.back().ended = false;
    }
    if (target_ != 0 && ticks_ % kDropEvery == 0) desk_.windows.Find(target_)->received.clear();
    ++ticks_;
    // The timer message's time, read without a platform call of the rig's own.
    OnKeyPollTick(owner_, WM_TIMER, 1, static_cast<std::uint32_t>(desk_.tickBase + desk_.now));
}
