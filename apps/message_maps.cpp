#include "apps/message_maps.h"

#include "shell/static_objects.h"

namespace {

constexpr std::uint32_t kDigit = 10000;  // digit commands are 10000 + the digit

using Command = MessageCommand;

constexpr Command kNone{};
constexpr Command H(std::uint32_t number) {
    return {number, PostRule::Held};
}
constexpr Command P(std::uint32_t number) {
    return {number, PostRule::PictureView};
}
constexpr Command D(std::uint32_t number) {
    return {number, PostRule::Dialog};
}
constexpr Command F(std::uint32_t number) {
    return {number, PostRule::ForwardFirst};
}

// One row per RemoteKey, one column per key map. `vantorTvrJapan` replaces `vantorTvr`
// where the country is Japan and it has a command.
struct CommandRow {
    RemoteKey key;
    Command vantorTvr;
    Command vantorTvrJapan;
    Command omnivue;
    Command dvbsSuite;
    Command omnivueCenter;
};

// clang-format off
constexpr CommandRow kCommandTable[kKeyCount] = {
    //  key  VantorTVR (2)       Japan             Omnivue (6)        DVBS SUITE (7)     OmnivueCenter (9)
    {0,  {kDigit},           {kDigit + 10},    {4003},            {4003},            D(35007)},
    {1,  {kDigit + 1},       kNone,            {kDigit + 1},      {kDigit + 1},      H(kDigit + 1)},
    {2,  {kDigit + 2},       kNone,            {kDigit + 2},      {kDigit + 2},      H(kDigit + 2)},
    {3,  {kDigit + 3},       kNone,            {kDigit + 3},      {kDigit + 3},      H(kDigit + 3)},
    {4,  {kDigit + 4},       kNone,            {kDigit + 4},      {kDigit + 4},      H(kDigit + 4)},
    {5,  {kDigit + 5},       kNone,            {kDigit + 5},      {kDigit + 5},      H(kDigit + 5)},
    {6,  {kDigit + 6},       kNone,            {kDigit + 6},      {kDigit + 6},      H(kDigit + 6)},
    {7,  {kDigit + 7},       kNone,            {kDigit + 7},      {kDigit + 7},      H(kDigit + 7)},
    {8,  {kDigit + 8},       kNone,            {kDigit + 8},      {kDigit + 8},      H(kDigit + 8)},
    {9,  {kDigit + 9},       kNone,            {kDigit + 9},      {kDigit + 9},      H(kDigit + 9)},
    {10, {kDigit + 100},     {kDigit + 11},    {kDigit},          {kDigit},          H(kDigit)},
    {11, {206},              kNone,            {21},              {14},              H(3)},
    {12, {4004},             kNone,            {4004},            {4004},            kNone},
    {13, {1001},             kNone,            {1002},            {1002},            H(1001)},
    {14, {1002},             kNone,            {1003},            {1003},            P(1002)},
    {15, {200},              kNone,            {200},             {200},             H(28)},
    {16, {403},              kNone,            {403},             {403},             H(4001)},
    {17, {3},                kNone,            {1005},            {1005},            {1005}},
    {18, kNone,              kNone,            kNone,             kNone,             kNone},
    {19, {300},              kNone,            {1000},            {1000},            H(402)},
    {20, {6000},             kNone,            kNone,             {3006},            D(35007)},
    {21, {5001},             kNone,            kNone,             kNone,             D(35005)},
    {22, {3001},             kNone,            F(3000),           {3001},            {3000}},
    {23, {4003},             {kDigit + 12},    {10020},           {10020},           D(35005)},
    {24, {5},                kNone,            {3},               {5},               H(4002)},
    {25, {8},                {1003},           {1004},            {1004},            {1004}},
    {26, {4001},             kNone,            {4001},            {4001},            D(35002)},
    {27, {401},              kNone,            {401},             {402},             D(35003)},
    {28, {1003},             {8},              {8},               {8},               H(401)},
    {29, {1000},             kNone,            {1001},            {1001},            H(403)},
    {30, {4002},             kNone,            {4002},            {4002},            D(35004)},
    {31, {402},              kNone,            {402},             {401},             D(35001)},
};
// clang-format on

constexpr bool RowsFollowKeys() {
    for (RemoteKey key = 0; key < kKeyCount; ++key) {
        if (kCommandTable[key].key != key) return false;
    }
    return true;
}
static_assert(RowsFollowKeys(), "the command table has one row per key, in key order");

// Application 9's own dialog windows, in the order the probe tries them.
struct PopupCandidate {
    const char* cls;
    const char* title;  // nullptr: any title
    bool isPictureView;
};

constexpr PopupCandidate kPopupCandidates[] = {
    {"TPopupForm", nullptr, false},
    {"TSourceForm", nullptr, false},
    {"TFormCalander", nullptr, false},
    {"TDialogForm", nullptr, false},
    {"ZarvinPlayer_Class", "PictureView", true},
    {"ZarvinPlayer_Class", "Playback", false},
    {"TWizardForm", "WizardForm", false},
};

// The first visible one of the application's own dialog windows, or 0.
Hwnd FindVisiblePopup() {
    Platform& platform = Plat();
    for (const PopupCandidate& candidate : kPopupCandidates) {
        Hwnd found = platform.FindWindowExA(0, 0, candidate.cls, candidate.title);
        if (candidate.isPictureView) logic.pictureViewWindow = found;
        if (found != 0 && platform.IsWindowVisible(found)) return found;
    }
    return 0;
}

CommandTarget TargetOf(PostRule rule, Hwnd popup) {
    switch (rule) {
        case PostRule::Always:
            return CommandTarget::MainWindow;
        case PostRule::Held:
            return popup == 0 ? CommandTarget::MainWindow : CommandTarget::HeldByDialog;
        case PostRule::PictureView:
            return popup != 0 && popup == logic.pictureViewWindow ? CommandTarget::HeldByPictureView
                                                                  : CommandTarget::MainWindow;
        case PostRule::Dialog:
            return popup == 0 ? CommandTarget::MainWindow : CommandTarget::Dialog;
        case PostRule::ForwardFirst:
            return CommandTarget::MainWindowForward;
    }
    return CommandTarget::None;
}

}  // namespace

const MessageCommand* MessageCommandOf(AppId id, RemoteKey key, bool japan) {
    const AppProfile* profile = ProfileOf(id);
    if (!profile || key < 0 || key >= kKeyCount) return nullptr;
    const CommandRow& row = kCommandTable[key];
    const Command* command = nullptr;
    switch (profile->keyMap) {
        case KeyMap::VantorTvr:
            command =
                japan && row.vantorTvrJapan.number != 0 ? &row.vantorTvrJapan : &row.vantorTvr;
            break;
        case KeyMap::Omnivue:
            command = &row.omnivue;
            break;
        case KeyMap::DvbsSuite:
            command = &row.dvbsSuite;
            break;
        case KeyMap::OmnivueCenter:
            command = &row.omnivueCenter;
            break;
        case KeyMap::Keystrokes:
            return nullptr;
    }
    return command->number != 0 ? command : nullptr;
}

// The popup probe runs before the main window's absence is noticed: its lookups happen,
// and PictureView is remembered, whether or not the command is then sent.
MessageSend ResolveMessageCommand(AppId id, RemoteKey key) {
    const Command* command = MessageCommandOf(id, key, logic.japanCountry);
    if (!command) return {};
    const AppProfile& profile = *ProfileOf(id);
    Hwnd appWindow = FindAppWindow(id);
    Hwnd popup = profile.probesPopups ? FindVisiblePopup() : 0;
    if (appWindow == 0) return {CommandTarget::NoWindow};
    CommandTarget target = TargetOf(command->rule, popup);
    return {target, target == CommandTarget::Dialog ? popup : appWindow, profile.commandMessage,
            command->number};
}

Action MessageAction(const MessageSend& send) {
    Action action;
    switch (send.target) {
        case CommandTarget::MainWindowForward:
            action.front = ActionFront::Raise;
            break;
        case CommandTarget::Dialog:
            action.front = ActionFront::Activate;
            break;
        case CommandTarget::MainWindow:
            break;
        default:
            return action;
    }
    action.kind = ActionKind::Post;
    action.message = send.message;
    action.wParam = send.number;
    return action;
}
