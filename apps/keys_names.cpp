// The words of keys.ini's actions: the keyboard's keys and their modifiers, the app commands
// and the media keys, each read from the file and named back for a description.
#include "apps/keys_names.h"

#include "platform/win_constants.h"
#include "platform/win_key_constants.h"

namespace {

struct NamedValue {
    const char* name;
    std::uint32_t value;
};

constexpr NamedValue kModifiers[] = {
    {"Ctrl", kModCtrl}, {"Shift", kModShift}, {"Alt", kModAlt}, {"Win", kModWin}};

// The keyboard's keys other than letters, digits, F1 to F24 and Num0 to Num9.
constexpr NamedValue kNamedKeys[] = {
    {"Space", VK_SPACE},    {"Enter", VK_RETURN},  {"Esc", VK_ESCAPE},  {"Tab", VK_TAB},
    {"Backspace", VK_BACK}, {"Up", VK_UP},         {"Down", VK_DOWN},   {"Left", VK_LEFT},
    {"Right", VK_RIGHT},    {"Home", VK_HOME},     {"End", VK_END},     {"PgUp", VK_PRIOR},
    {"PgDn", VK_NEXT},      {"Ins", VK_INSERT},    {"Del", VK_DELETE},  {"Num+", VK_ADD},
    {"Num-", VK_SUBTRACT},  {"Num*", VK_MULTIPLY}, {"Num/", VK_DIVIDE},
};

constexpr NamedValue kAppCommands[] = {
    {"play-pause", APPCOMMAND_MEDIA_PLAY_PAUSE},
    {"play", APPCOMMAND_MEDIA_PLAY},
    {"pause", APPCOMMAND_MEDIA_PAUSE},
    {"stop", APPCOMMAND_MEDIA_STOP},
    {"next", APPCOMMAND_MEDIA_NEXTTRACK},
    {"previous", APPCOMMAND_MEDIA_PREVIOUSTRACK},
    {"fast-forward", APPCOMMAND_MEDIA_FAST_FORWARD},
    {"rewind", APPCOMMAND_MEDIA_REWIND},
    {"record", APPCOMMAND_MEDIA_RECORD},
    {"volume-up", APPCOMMAND_VOLUME_UP},
    {"volume-down", APPCOMMAND_VOLUME_DOWN},
    {"mute", APPCOMMAND_VOLUME_MUTE},
    {"channel-up", APPCOMMAND_MEDIA_CHANNEL_UP},
    {"channel-down", APPCOMMAND_MEDIA_CHANNEL_DOWN},
};

constexpr NamedValue kMediaKeys[] = {
    {"play-pause", VK_MEDIA_PLAY_PAUSE},
    {"stop", VK_MEDIA_STOP},
    {"next", VK_MEDIA_NEXT_TRACK},
    {"previous", VK_MEDIA_PREV_TRACK},
    {"volume-up", VK_VOLUME_UP},
    {"volume-down", VK_VOLUME_DOWN},
    {"mute", VK_VOLUME_MUTE},
};

// Names that are computed from the key: two bytes a letter or digit, four an F key, five a
// Num digit, each NUL-terminated.
constexpr char kLetterNames[] =
    "A\0B\0C\0D\0E\0F\0G\0H\0I\0J\0K\0L\0M\0N\0O\0P\0Q\0R\0S\0T\0U\0V\0W\0X\0Y\0Z\0"
    "0\0001\0002\0003\0004\0005\0006\0007\0008\0009";
constexpr char kFunctionNames[] =
    "F1\0\0F2\0\0F3\0\0F4\0\0F5\0\0F6\0\0F7\0\0F8\0\0F9\0\0F10\0F11\0F12\0"
    "F13\0F14\0F15\0F16\0F17\0F18\0F19\0F20\0F21\0F22\0F23\0F24";
constexpr char kNumNames[] = "Num0\0Num1\0Num2\0Num3\0Num4\0Num5\0Num6\0Num7\0Num8\0Num9";

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool SameWord(const char* text, std::size_t size, const char* word) {
    for (std::size_t i = 0; i < size; ++i) {
        if (word[i] == '\0' || Lower(text[i]) != Lower(word[i])) return false;
    }
    return word[size] == '\0';
}

template <std::size_t N>
bool Find(const NamedValue (&table)[N], const char* text, std::size_t size, std::uint32_t* value) {
    for (const NamedValue& entry : table) {
        if (SameWord(text, size, entry.name)) {
            *value = entry.value;
            return true;
        }
    }
    return false;
}

template <std::size_t N>
const char* NameOf(const NamedValue (&table)[N], std::uint32_t value) {
    for (const NamedValue& entry : table) {
        if (entry.value == value) return entry.name;
    }
    return nullptr;
}

}  // namespace

bool FindModifier(const char* text, std::size_t size, std::uint8_t* bit) {
    std::uint32_t value = 0;
    if (!Find(kModifiers, text, size, &value)) return false;
    *bit = static_cast<std::uint8_t>(value);
    return true;
}

bool FindKeyboardKey(const char* text, std::size_t size, std::uint8_t* vk) {
    std::uint32_t value = 0;
    if (size == 1 && Lower(text[0]) >= 'a' && Lower(text[0]) <= 'z') {
        value = static_cast<std::uint32_t>(Lower(text[0]) - 'a' + 'A');
    } else if (size == 1 && IsDigit(text[0])) {
        value = static_cast<std::uint32_t>(text[0]);
    } else if (size == 4 && SameWord(text, 3, "num") && IsDigit(text[3])) {
        value = VK_NUMPAD0 + static_cast<std::uint32_t>(text[3] - '0');
    } else if ((size == 2 || size == 3) && Lower(text[0]) == 'f' && text[1] >= '1' &&
               text[1] <= '9' && (size == 2 || IsDigit(text[2]))) {
        std::uint32_t number = static_cast<std::uint32_t>(text[1] - '0');
        if (size == 3) number = number * 10 + static_cast<std::uint32_t>(text[2] - '0');
        if (number > 24) return false;
        value = VK_F1 + number - 1;
    } else if (!Find(kNamedKeys, text, size, &value)) {
        return false;
    }
    *vk = static_cast<std::uint8_t>(value);
    return true;
}

bool FindAppCommand(const char* text, std::size_t size, std::uint32_t* command) {
    return Find(kAppCommands, text, size, command);
}

bool FindMediaKey(const char* text, std::size_t size, std::uint8_t* vk) {
    std::uint32_t value = 0;
    if (!Find(kMediaKeys, text, size, &value)) return false;
    *vk = static_cast<std::uint8_t>(value);
    return true;
}

const char* KeyboardKeyName(std::uint8_t vk) {
    if (vk >= 'A' && vk <= 'Z') return kLetterNames + (vk - 'A') * 2;
    if (vk >= '0' && vk <= '9') return kLetterNames + (26 + vk - '0') * 2;
    if (vk >= VK_F1 && vk <= VK_F24) return kFunctionNames + (vk - VK_F1) * 4;
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return kNumNames + (vk - VK_NUMPAD0) * 5;
    return NameOf(kNamedKeys, vk);
}

const char* ModifierName(std::uint8_t bit) {
    return NameOf(kModifiers, bit);
}

const char* AppCommandName(std::uint32_t command) {
    return NameOf(kAppCommands, command);
}

const char* MediaKeyName(std::uint8_t vk) {
    return NameOf(kMediaKeys, vk);
}

const char* ListedKeysName(KeysNameList list, int order, std::uint32_t* value) {
    const NamedValue* table = kModifiers;
    int count = static_cast<int>(sizeof kModifiers / sizeof kModifiers[0]);
    if (list == KeysNameList::AppCommands) {
        table = kAppCommands;
        count = static_cast<int>(sizeof kAppCommands / sizeof kAppCommands[0]);
    } else if (list == KeysNameList::MediaKeys) {
        table = kMediaKeys;
        count = static_cast<int>(sizeof kMediaKeys / sizeof kMediaKeys[0]);
    }
    if (order < 0 || order >= count) return nullptr;
    *value = table[order].value;
    return table[order].name;
}
