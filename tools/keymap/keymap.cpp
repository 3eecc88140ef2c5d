#include "tools/keymap/keymap.h"

#include <cstdio>

#include "apps/keys_file.h"
#include "apps/keys_names.h"
#include "apps/keystroke_map.h"
#include "apps/message_maps.h"
#include "receiver/capture_device.h"
#include "routing/pointer_mode.h"

namespace {

std::string Number(long long value) {
    return std::to_string(value);
}

std::string Hex(std::uint32_t value) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned>(value));
    return hex;
}

// Reads a small keys.ini with the file's own reader: true when it is understood whole, with
// its one key line's binding. What the reference shows as accepted is first accepted here,
// so the page cannot promise what the reader refuses.
bool UnderstoodFile(const std::string& file, KeyBinding* binding) {
    static KeysTable table;
    ParseKeysFile(file.data(), file.size(), &table);
    if (table.problemTotal != 0 || table.bindingCount != 1) return false;
    *binding = table.bindings[0];
    return true;
}

// One key line, in a program's profile of its own.
bool Understood(const std::string& line, KeyBinding* binding) {
    return UnderstoodFile("[program check]\nexe = check.exe\n" + line + "\n", binding);
}

// Marks a name that the reader refuses, so that the committed page no longer matches.
std::string Checked(std::string text, bool understood) {
    return understood ? text : text + " (REFUSED BY THE READER)";
}

// Names of the virtual keys that application 1's table posts; any other code is shown as
// its number, so that a new table entry is never misnamed.
const char* VirtualKeyName(std::uint8_t vk) {
    struct Name {
        std::uint8_t vk;
        const char* name;
    };
    static constexpr Name kNames[] = {
        {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_LEFT, "Left"}, {VK_UP, "Up"},
        {VK_RIGHT, "Right"},  {VK_DOWN, "Down"},  {VK_ADD, "Num +"}, {VK_SUBTRACT, "Num -"},
        {VK_F8, "F8"},        {VK_F9, "F9"},      {VK_F10, "F10"},   {VK_F11, "F11"},
    };
    for (const Name& name : kNames) {
        if (name.vk == vk) return name.name;
    }
    return nullptr;
}

std::string PostedKeyText(std::uint8_t vk) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", vk);
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) {
        return "Num " + Number(vk - VK_NUMPAD0) + " (" + hex + ")";
    }
    const char* name = VirtualKeyName(vk);
    return name ? std::string(name) + " (" + hex + ")" : std::string("key ") + hex;
}

std::string KeystrokeText(RemoteKey key) {
    const KeystrokeRow* row = KeystrokeRowOf(key);
    if (!row) return "—";
    switch (row->stroke) {
        case Stroke::Posted:
            return PostedKeyText(row->vk);
        case Stroke::Ctrl:
            return std::string("Ctrl+") + static_cast<char>(row->vk);
        case Stroke::CtrlShift:
            return std::string("Ctrl+Shift+") + static_cast<char>(row->vk);
        case Stroke::None:
            break;
    }
    return "—";
}

const char* RuleText(PostRule rule) {
    switch (rule) {
        case PostRule::Always:
            return "";
        case PostRule::Held:
            return ", held back by a dialog";
        case PostRule::PictureView:
            return ", held back by PictureView";
        case PostRule::Dialog:
            return ", to the dialog";
        case PostRule::ForwardFirst:
            return ", window brought forward first";
    }
    return "";
}

std::string MessageCommandText(AppId id, RemoteKey key) {
    const MessageCommand* command = MessageCommandOf(id, key, false);
    if (!command) return "—";
    std::string text = Number(command->number);
    // With a popup probe, "always" differs from the other applications' plain posting: it
    // is posted even over an open dialog, which is worth saying.
    if (ProfileOf(id)->probesPopups && command->rule == PostRule::Always) {
        text += ", also over a dialog";
    } else {
        text += RuleText(command->rule);
    }
    const MessageCommand* japan = MessageCommandOf(id, key, true);
    if (japan && japan != command) text += "; Japan: " + Number(japan->number);
    return text;
}

// The key's name, with Power set off and the two keys that act alone pointed to below.
std::string Role(RemoteKey key) {
    switch (key) {
        case PowerKey:
            return std::string("**") + RemoteKeyName(key) + "**";
        case 20:
            return "command; default application (see below)";
        case 21:
            return "command; Shut Down (see below)";
        default:
            return RemoteKeyName(key);
    }
}

// "`key N`", and the key's name where it has one: what a key line may call the key.
std::string KeyNamesText(RemoteKey key) {
    KeyBinding binding;
    std::string number = "key " + Number(key);
    bool understood = Understood(number + " = none", &binding) && binding.key == key;
    std::string text = Checked("`" + number + "`", understood);
    std::string name = RemoteKeyName(key);
    if (name != "command") {
        understood = Understood(name + " = none", &binding) && binding.key == key;
        text += ", " + Checked("`" + name + "`", understood);
    }
    return text;
}

std::string BoardList(RemoteLayout wanted) {
    std::string text;
    for (int order = 0; const char* name = ListedBoardName(order); ++order) {
        RemoteLayout layout = Translated;
        ListedBoardOrder(name, &layout);
        if (layout != wanted) continue;
        text += text.empty() ? " \"" : ", \"";
        text += std::string(name) + "\"";
    }
    return text;
}

std::string Header() {
    std::string text =
        "# Remote key map\n"
        "\n"
        "<!-- Generated by tools/keymap from the utility's command tables and the keys.ini\n"
        "     reader's names; do not edit.\n"
        "     Regenerate with: build/keymap > docs/keymap.md -->\n"
        "\n"
        "What every key of the remote does in each supported TV application and, while no\n"
        "TV application runs, in pointer mode. Keys are numbered 0 to 31.\n"
        "\n"
        "The raw code is what the remote sends for the key on the boards whose codes are\n"
        "translated:" +
        BoardList(Translated) +
        ". On the other boards the raw code is the key number itself:" + BoardList(Direct) +
        ".\n"
        "\n"
        "## How each application takes its commands\n"
        "\n"
        "| Application | Label | Commands |\n"
        "|---|---|---|\n";
    for (AppId id : kAppOrder) {
        text += "| " + Number(id) + " | " + AppLabel(id) + " | ";
        const AppProfile& profile = *ProfileOf(id);
        if (profile.keyMap == KeyMap::Keystrokes) {
            text +=
                "keystrokes: a single key is posted to its main window as a key-down "
                "message; a Ctrl chord is typed after the window is brought to the "
                "foreground, and only when Windows lets it come to the front";
        } else {
            text += "message " + Number(profile.commandMessage) +
                    " posted to its main window, with the command number as wParam";
        }
        text += " |\n";
    }
    return text;
}

std::string KeyTable() {
    std::string text =
        "\n## Keys\n"
        "\n"
        "Numbers are command numbers; 10000 + n is the digit n. A dash means the key does\n"
        "nothing there.\n"
        "\n"
        "| Key | Role | Names in keys.ini | Raw code |";
    for (AppId id : kAppOrder)
        text += " " + Number(id) + " " + AppLabel(id) + " |";
    text += " Pointer mode |\n|---|---|---|---|";
    for (int column = 0; column < kAppCount + 1; ++column)
        text += "---|";
    text += "\n";
    for (RemoteKey key = 0; key < kKeyCount; ++key) {
        text += "| " + Number(key) + " | " + Role(key) + " | " + KeyNamesText(key) + " | " +
                RawCodesText(key) + " |";
        for (AppId id : kAppOrder)
            text += " " + AppCommandText(id, key) + " |";
        text += " " + PointerText(key) + " |\n";
    }
    return text;
}

const char* Notes() {
    return "\n## Reading the table\n"
           "\n"
           "- **Japan**: when the Windows country setting is Japan (country code 81),\n"
           "  VantorTVR receives the second number.\n"
           "- **OmnivueCenter** first looks for one of its own dialog windows on the screen\n"
           "  (\"TPopupForm\", \"TSourceForm\", \"TFormCalander\", \"TDialogForm\", the\n"
           "  \"PictureView\" and \"Playback\" player windows, \"WizardForm\"):\n"
           "  - *held back by a dialog*: nothing is sent while such a dialog is visible;\n"
           "  - *held back by PictureView*: nothing is sent while the visible dialog is the\n"
           "    PictureView player;\n"
           "  - *to the dialog*: the visible dialog is brought forward and receives the\n"
           "    command instead of the main window;\n"
           "  - *also over a dialog*: the main window receives the command in any case.\n"
           "- **Omnivue** key 22: the main window is brought to the top and the foreground\n"
           "  before the command is posted.\n"
           "- **Lumacast**: Num 0 to Num 9 are the keypad digits; the code in brackets is the\n"
           "  virtual-key code. A chord reaches Lumacast only when it can be brought to the\n"
           "  front: for a while after you used another program with the keyboard or mouse\n"
           "  (200 seconds by default) Windows refuses that, and the chord is dropped; the\n"
           "  posted keys arrive in any case. Power then closes Lumacast by asking its window\n"
           "  to close instead of typing Alt+F4.\n"
           "- **Administrator**: a TV application started as administrator cannot be reached;\n"
           "  it refuses every command, and while it is in front no chord reaches any program.\n"
           "  The utility says so once each time the application is started.\n"
           "- **Raw code**: some keys have two codes; keys without one come only from the\n"
           "  boards whose codes are not translated.\n"
           "- **Holding a key**: while a TV application takes the keys, a held key acts once\n"
           "  and then on every tenth repeat; in pointer mode every repeat acts, and moves\n"
           "  speed up from 1 pixel to 1/160 and then 1/80 of the screen width.\n"
           "\n"
           "## With no TV application in use\n"
           "\n"
           "- **Power** (18) asks the other TV applications to close, then starts the default\n"
           "  application, or closes it when it runs. The default is chosen in the Setting\n"
           "  dialog.\n"
           "- **Key 20** goes to the default application, which becomes the one in use; with\n"
           "  VantorTVR as the default it starts or closes VantorTVR instead.\n"
           "- **Key 21** goes to the default application when that is Lumacast or\n"
           "  OmnivueCenter; with any other default it opens the Shut Down dialog, provided no\n"
           "  TV application runs. Power then shuts the computer down; any other key cancels.\n"
           "- **Any other key** goes to the first supported application found running (in the\n"
           "  order 1, 2, 6, 7, 9), which becomes the one in use; with none running, the key\n"
           "  drives the mouse pointer (last column).\n";
}

// Whether `next` continues a run with `name`: A to Z, 0 to 9, F1 to F24, Num0 to Num9.
bool Follows(const std::string& name, const std::string& next) {
    if (name.size() == 1 && next.size() == 1) return next[0] == name[0] + 1;
    std::size_t stem = name.find_last_not_of("0123456789") + 1;
    std::size_t nextStem = next.find_last_not_of("0123456789") + 1;
    if (stem == name.size() || nextStem == next.size()) return false;
    if (name.compare(0, stem, next, 0, nextStem) != 0) return false;
    return std::stoi(next.substr(nextStem)) == std::stoi(name.substr(stem)) + 1;
}

std::string KeyboardKeyText(std::uint8_t vk) {
    KeyBinding binding;
    std::string name = KeyboardKeyName(vk);
    bool understood = Understood("key 0 = keys " + name, &binding) &&
                      binding.action.chords[0].vk == vk && binding.action.chords[0].modifiers == 0;
    return Checked("`" + name + "`", understood);
}

// The keyboard's keys by name, in the order of their virtual keys, runs shown as ranges.
std::string KeyboardKeysTable() {
    std::string text = "| Keys | Virtual keys |\n|---|---|\n";
    for (int vk = 0; vk < 256; ++vk) {
        const char* name = KeyboardKeyName(static_cast<std::uint8_t>(vk));
        if (!name) continue;
        int last = vk;
        while (last + 1 < 256 && KeyboardKeyName(static_cast<std::uint8_t>(last + 1)) &&
               Follows(KeyboardKeyName(static_cast<std::uint8_t>(last)),
                       KeyboardKeyName(static_cast<std::uint8_t>(last + 1))))
            ++last;
        text += "| " + KeyboardKeyText(static_cast<std::uint8_t>(vk));
        if (last > vk) text += " to " + KeyboardKeyText(static_cast<std::uint8_t>(last));
        text += " | " + Hex(static_cast<std::uint32_t>(vk));
        if (last > vk) text += " to " + Hex(static_cast<std::uint32_t>(last));
        text += " |\n";
        for (int inner = vk + 1; inner < last; ++inner)
            KeyboardKeyText(static_cast<std::uint8_t>(inner));  // checked, not shown
        vk = last;
    }
    return text;
}

std::string Modifiers() {
    std::string text;
    std::uint32_t bit = 0;
    for (int order = 0; const char* name = ListedKeysName(KeysNameList::Modifiers, order, &bit);
         ++order) {
        KeyBinding binding;
        bool understood = Understood("key 0 = keys " + std::string(name) + "+A", &binding) &&
                          binding.action.chords[0].modifiers == bit;
        text += (order ? ", " : "") + Checked("`" + std::string(name) + "`", understood);
    }
    return text;
}

// The app commands (with their APPCOMMAND_ numbers) or the media keys (with their virtual keys).
std::string NamesTable(KeysNameList list) {
    bool command = list == KeysNameList::AppCommands;
    std::string text = command ? "| Name | `APPCOMMAND_` number |\n|---|---|\n"
                               : "| Name | Virtual key |\n|---|---|\n";
    std::uint32_t value = 0;
    for (int order = 0; const char* name = ListedKeysName(list, order, &value); ++order) {
        KeyBinding binding;
        std::string line = std::string("key 0 = ") + (command ? "appcommand " : "media ") + name;
        bool understood =
            Understood(line, &binding) &&
            (command ? binding.action.message == value : binding.action.chords[0].vk == value);
        text += "| " + Checked("`" + std::string(name) + "`", understood) + " | " +
                (command ? Number(value) : Hex(value)) + " |\n";
    }
    return text;
}

struct ActionRow {
    const char* syntax;
    const char* example;
    ActionKind kind;
    const char* what;
};

constexpr ActionRow kActionRows[] = {
    {"keys CHORD [CHORD …]", "keys Ctrl+Shift+P", ActionKind::Chord,
     "typed into the program in front with `SendInput`: each chord is modifiers joined to a "
     "key with `+` (`Space`, `Ctrl+Up`, `Alt+Enter`); the modifiers are typed as the left "
     "keys, the extended flag only on keys that have it, and letters and digits by their "
     "virtual keys, so that the keyboard layout does not change them"},
    {"appcommand NAME", "appcommand play-pause", ActionKind::AppCommand,
     "`WM_APPCOMMAND` to the program's window, the way players receive a keyboard's media "
     "keys; sent with a time-out, so that a program that hangs cannot hold the remote up"},
    {"media NAME", "media volume-up", ActionKind::Media,
     "a media key typed into the system: the system volume, and whatever media session "
     "Windows routes it to, whichever program is in front"},
    {"message MSG WPARAM LPARAM", "message WM_APP+1 0 0", ActionKind::Post,
     "posted to the program's window, for programs with a message interface; numbers in "
     "decimal or as 0x hexadecimal, WPARAM and LPARAM may be negative, and MSG may be "
     "`WM_USER+N` or `WM_APP+N`"},
    {"launch \"PROGRAM\" [ARGUMENTS]", "launch \"C:\\Windows\\notepad.exe\" C:\\keys.txt",
     ActionKind::Launch, "starts the program, with the arguments when given"},
    {"close", "close", ActionKind::Close,
     "asks the program's window to close (`WM_SYSCOMMAND`, `SC_CLOSE`)"},
    {"none", "none", ActionKind::None, "the key does nothing while the section applies"},
};

std::string ActionsTable() {
    std::string text = "| Action | Example | What it does |\n|---|---|---|\n";
    for (const ActionRow& row : kActionRows) {
        KeyBinding binding;
        bool understood = Understood(std::string("key 0 = ") + row.example, &binding) &&
                          binding.action.kind == row.kind;
        text += std::string("| `") + row.syntax + "` | " +
                Checked(std::string("`") + row.example + "`", understood) + " | " + row.what +
                " |\n";
    }
    return text;
}

std::string ApplicationLabels() {
    std::string text;
    for (AppId id : kAppOrder) {
        KeyBinding binding;
        std::string section = std::string("[application ") + AppLabel(id) + "]\n";
        bool understood = UnderstoodFile(section + "key 0 = none\n", &binding);
        // Power keeps its rule of starting and closing the TV applications.
        understood = understood && !UnderstoodFile(section + "Power = none\n", &binding);
        text +=
            (text.empty() ? "" : ", ") + Checked(std::string("`") + AppLabel(id) + "`", understood);
    }
    return text;
}

std::string KeysIniSection() {
    KeyBinding binding;
    bool repeats = Understood("OK = keys Space repeat", &binding) && binding.repeat;
    return "\n## keys.ini: your own keys\n"
           "\n"
           "Each user may give the remote's keys a meaning of their own, for any program, in\n"
           "`%APPDATA%\\Zarvin Multimedia\\Remote Control\\keys.ini`. The\n"
           "[user guide](user-guide.md#your-own-keys) explains it with examples; this section\n"
           "lists the words that the file's reader accepts, taken from the reader's own tables\n"
           "and checked with it. Without the file every key does what the tables above say.\n"
           "\n"
           "### Lines and sections\n"
           "\n"
           "- Lines are `[SECTION]`, `NAME = VALUE`, blank lines, and comments that start with\n"
           "  `;` or `#`. Names and words are read without regard to case; spaces around `=`\n"
           "  and at the ends of a line do not count. The file is UTF-8, with or without a\n"
           "  byte-order mark, and at most " +
           Number(kKeysFileMaxBytes / 1024) +
           " KiB (a longer file is refused as a whole). It holds\n"
           "  at most " +
           Number(kMaxKeyProfiles) + " sections and " + Number(kMaxKeyBindings) +
           " key lines.\n"
           "- `[program LABEL]` is a profile for another program; LABEL is free text. Its match\n"
           "  lines: `exe = FILE` (the program file's name without its folder, e.g. `vlc.exe`),\n"
           "  `class = CLASS` (the window class), `title = PATTERN` (the window title; `*` any\n"
           "  run of characters, `?` one character). The profile applies while the window in\n"
           "  front (its top-level owner) matches every match line it has; it needs at least\n"
           "  one. The first profile in the file that matches wins.\n"
           "- `[application LABEL]` changes single keys of a TV application while it takes the\n"
           "  remote's keys; LABEL is one of\n  " +
           ApplicationLabels() +
           ".\n  The keys it does not list keep their commands; Power cannot be changed there.\n"
           "\n"
           "### Key lines\n"
           "\n"
           "`KEY = ACTION`, or `KEY = ACTION repeat`" +
           Checked("", repeats) +
           ". KEY is one of the key's names in the column \"Names in\n"
           "keys.ini\" above. Without `repeat` the line acts once per press; with it, also on\n"
           "every repeat while the key is held, without thinning. A key that the section does\n"
           "not list does what it does without the file.\n"
           "\n" +
           ActionsTable() +
           "\n"
           "`keys` takes at most " +
           Number(kMaxChords) + " chords. Their modifiers: " + Modifiers() +
           ". Their keys:\n"
           "\n" +
           KeyboardKeysTable() +
           "\n"
           "### App commands\n"
           "\n"
           "The names after `appcommand`:\n"
           "\n" +
           NamesTable(KeysNameList::AppCommands) +
           "\n"
           "### Media keys\n"
           "\n"
           "The names after `media`:\n"
           "\n" +
           NamesTable(KeysNameList::MediaKeys) +
           "\n"
           "### Order and mistakes\n"
           "\n"
           "- While the Shut Down question is open, the keys answer it as always. Otherwise a\n"
           "  matching `[program]` profile takes the key first; then the built-in routes\n"
           "  follow, with the `[application]` changes of the TV application in use.\n"
           "- A line that the reader cannot understand is skipped and the rest applies; a box\n"
           "  lists the first few problems with their line numbers, once for each version of\n"
           "  the file. `RemoteMonitor --check-keys` lists them all.\n"
           "- The file is read at start and again at the first key press after it was saved.\n";
}

}  // namespace

std::string AppCommandText(AppId id, RemoteKey key) {
    if (key == PowerKey) return "closes or starts it";
    return ProfileOf(id)->keyMap == KeyMap::Keystrokes ? KeystrokeText(key)
                                                       : MessageCommandText(id, key);
}

std::string PointerText(RemoteKey key) {
    PointerKeyAction what = PointerActionOf(key);
    switch (what.action) {
        case PointerAction::Move: {
            std::string text = "move ";
            if (what.dy != 0) text += what.dy < 0 ? "up" : "down";
            if (what.dy != 0 && what.dx != 0) text += "-";
            if (what.dx != 0) text += what.dx < 0 ? "left" : "right";
            return text;
        }
        case PointerAction::LeftClick:
            return "left click";
        case PointerAction::RightClick:
            return "right click";
        case PointerAction::DragToggle:
            return "press or release the primary button (drag)";
        case PointerAction::None:
            break;
    }
    return "—";
}

std::string RawCodesText(RemoteKey key) {
    std::int32_t first = TranslatedRawCodeOf(key);
    if (first < 0) return "— (untranslated boards only)";
    std::string text = Number(first);
    for (std::int32_t raw = first + 1; raw < kTranslatedCodeCount; ++raw) {
        if (TranslateRemoteCode(raw) == key) text += ", " + Number(raw);
    }
    return text;
}

std::string KeymapMarkdown() {
    return Header() + KeyTable() + Notes() + KeysIniSection();
}
