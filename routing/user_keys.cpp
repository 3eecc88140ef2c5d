#include "routing/user_keys.h"

#include "apps/actions.h"
#include "platform/device_constants.h"
#include "shell/session_watch.h"
#include "shell/static_objects.h"
#include "shell/text.h"

UserKeys userKeys;

namespace {

constexpr std::size_t kMaxPath = 260;
constexpr char kKeysFileUnderAppData[] = "Zarvin Multimedia\\Remote Control\\keys.ini";
constexpr int kTitleUnits = 256;
static_assert(sizeof FrontWindow::title == kTitleUnits * 3, "a UTF-16 unit takes at most 3 bytes");

// One more than the limit: a file that fills it is too long.
char fileBytes[kKeysFileMaxBytes + 1];
bool problemsBoxOpen = false;

// Once for each version of the file, and never a second box over the first; while the
// session is locked or away it waits for the first key event after the user is back.
bool ShowProblemsOnce() {
    UserKeys& keys = userKeys;
    if (keys.table.problemTotal == 0 || keys.reportedTime == keys.fileTime || problemsBoxOpen ||
        SessionPaused())
        return false;
    keys.reportedTime = keys.fileTime;
    char text[512];
    DescribeKeysProblems(keys.table, text, sizeof text);
    problemsBoxOpen = true;
    Plat().MessageBoxA(0, text, "Remote Control", MB_OK | MB_SETFOREGROUND);
    problemsBoxOpen = false;
    return true;
}

char Folded(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// ASCII letters without case, every other byte as it is: file and class names.
bool SameText(const char* a, const char* b) {
    for (; Folded(*a) == Folded(*b); ++a, ++b) {
        if (*a == '\0') return true;
    }
    return false;
}

// The length in bytes of the UTF-8 character at `text`: at least 1, never past its end.
std::size_t CharLength(const char* text) {
    auto lead = static_cast<unsigned char>(*text);
    std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return i;
    }
    return length;
}

// `*` any run, `?` one character, ASCII letters without case. One back-track point, so a
// long title cannot make it slow.
bool MatchesPattern(const char* text, const char* pattern) {
    const char* afterStar = nullptr;
    const char* starText = nullptr;
    while (*text != '\0') {
        if (*pattern == '*') {
            afterStar = ++pattern;
            starText = text;
        } else if (*pattern == '?') {
            ++pattern;
            text += CharLength(text);
        } else if (*pattern != '\0' && Folded(*pattern) == Folded(*text)) {
            ++pattern;
            ++text;
        } else if (afterStar != nullptr) {
            pattern = afterStar;
            starText += CharLength(starText);
            text = starText;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

const char* FileNameOf(const char* path) {
    const char* name = path;
    for (const char* c = path; *c != '\0'; ++c) {
        if (*c == '\\' || *c == '/') name = c + 1;
    }
    return name;
}

// The program file of a process: QueryFullProcessImageName from Vista on (it also reads an
// elevated program's); psapi before, which needs more rights.
bool ProgramFileOf(std::uint32_t processId, char* path, std::uint32_t size) {
    Platform& platform = Plat();
    if (Handle process =
            platform.OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, false, processId)) {
        std::uint32_t length = size;
        bool found = platform.QueryFullProcessImageNameA(process, 0, path, &length);
        platform.CloseHandle(process);
        if (found) return true;
    }
    Handle process =
        platform.OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, false, processId);
    if (process == 0) return false;
    bool found = platform.GetModuleFileNameExA(process, 0, path, size) != 0;
    platform.CloseHandle(process);
    return found;
}

}  // namespace

const char* ExeOf(FrontWindow& front) {
    if (!front.haveExe) {
        front.haveExe = true;
        front.exe[0] = '\0';
        std::uint32_t processId = 0;
        char path[kMaxPath];
        if (Plat().GetWindowThreadProcessId(front.window, &processId) != 0 &&
            ProgramFileOf(processId, path, sizeof path))
            CopyTruncated(front.exe, sizeof front.exe, FileNameOf(path));
    }
    return front.exe;
}

const char* ClassOf(FrontWindow& front) {
    if (!front.haveClass) {
        front.haveClass = true;
        if (Plat().GetClassNameA(front.window, front.cls, sizeof front.cls) <= 0)
            front.cls[0] = '\0';
    }
    return front.cls;
}

const char* TitleOf(FrontWindow& front) {
    if (!front.haveTitle) {
        front.haveTitle = true;
        char16_t wide[kTitleUnits];
        int length = Plat().GetWindowTextW(front.window, wide, kTitleUnits);
        Utf8Of(wide, length < 0 ? 0 : length, front.title, sizeof front.title);
    }
    return front.title;
}

namespace {

bool Matches(const KeysTable& table, const KeyProfile& profile, FrontWindow& front) {
    if (profile.kind != ProfileKind::Program) return false;
    if (profile.exe && !SameText(ExeOf(front), KeysText(table, profile.exe))) return false;
    if (profile.cls && !SameText(ClassOf(front), KeysText(table, profile.cls))) return false;
    return !profile.title || MatchesPattern(TitleOf(front), KeysText(table, profile.title));
}

const KeyBinding* BindingOf(const KeysTable& table, const KeyProfile& profile, RemoteKey key) {
    for (int i = 0; i < profile.bindingCount; ++i) {
        const KeyBinding& binding = table.bindings[profile.firstBinding + i];
        if (binding.key == key) return &binding;
    }
    return nullptr;
}

std::uint64_t KeysFileTime() {
    FileAttributeData data{};
    if (userKeys.path[0] == '\0' ||
        !Plat().GetFileAttributesExA(userKeys.path, kFileInfoStandard, &data))
        return 0;
    return data.LastWrite();
}

}  // namespace

bool ReadKeysFile(const char* path, const char** data, std::size_t* size) {
    Platform& platform = Plat();
    Handle file = platform.CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, 0);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::size_t total = 0;
    for (;;) {
        std::uint32_t read = 0;
        auto room = static_cast<std::uint32_t>(sizeof fileBytes - total);
        if (room == 0 || !platform.ReadFile(file, fileBytes + total, room, &read, nullptr) ||
            read == 0)
            break;
        total += read;
    }
    platform.CloseHandle(file);
    *data = fileBytes;
    *size = total;
    return true;
}

bool FindUserKeysPath() {
    UserKeys& keys = userKeys;
    if (keys.path[0] != '\0') return true;
    char folder[kMaxPath] = {};
    if (Plat().SHGetFolderPathA(0, CSIDL_APPDATA, 0, 0, folder) != S_OK) return false;
    JoinFolderFile(keys.path, sizeof keys.path, folder, kKeysFileUnderAppData);
    return true;
}

void ReadUserKeys() {
    UserKeys& keys = userKeys;
    if (!FindUserKeysPath()) return;
    keys.fileTime = KeysFileTime();
    const char* data = fileBytes;
    std::size_t size = 0;
    if (keys.fileTime == 0 || !ReadKeysFile(keys.path, &data, &size)) size = 0;
    ParseKeysFile(data, size, &keys.table);
}

bool LoadUserKeys() {
    ReadUserKeys();
    return ShowProblemsOnce();
}

bool UserKeysChanged() {
    return userKeys.path[0] != '\0' && KeysFileTime() != userKeys.fileTime;
}

bool ReloadUserKeysIfChanged() {
    if (userKeys.path[0] == '\0') return false;
    return KeysFileTime() != userKeys.fileTime ? LoadUserKeys() : ShowProblemsOnce();
}

FrontWindow WindowInFront() {
    Platform& platform = Plat();
    FrontWindow front;
    front.window = platform.GetForegroundWindow();
    if (front.window == 0) return front;
    if (Hwnd owner = platform.GetAncestor(front.window, GA_ROOTOWNER)) front.window = owner;
    return front;
}

const KeyProfile* ProgramProfile(FrontWindow& front) {
    const KeysTable& table = userKeys.table;
    if (front.window == 0) return nullptr;
    for (int i = 0; i < table.profileCount; ++i) {
        if (Matches(table, table.profiles[i], front)) return &table.profiles[i];
    }
    return nullptr;
}

const KeyBinding* ProgramBinding(RemoteKey key, FrontWindow* front, const KeyProfile** profile) {
    *profile = nullptr;
    if (userKeys.table.profileCount == 0) return nullptr;
    *front = WindowInFront();
    *profile = ProgramProfile(*front);
    return *profile ? BindingOf(userKeys.table, **profile, key) : nullptr;
}

bool RouteByProgramProfile(RemoteKey key, bool repeat) {
    FrontWindow front;
    const KeyProfile* profile = nullptr;
    const KeyBinding* binding = ProgramBinding(key, &front, &profile);
    if (binding == nullptr) return false;
    if (!repeat || binding->repeat)
        PerformAction(binding->action, front.window, 0, userKeys.table.text);
    return true;
}

const KeyBinding* ApplicationBinding(AppId id, RemoteKey key) {
    const KeysTable& table = userKeys.table;
    for (int i = 0; i < table.profileCount; ++i) {
        const KeyProfile& profile = table.profiles[i];
        if (profile.kind == ProfileKind::Application && profile.app == id)
            return BindingOf(table, profile, key);
    }
    return nullptr;
}

bool PerformApplicationChange(AppId id, RemoteKey key) {
    const KeyBinding* changed = ApplicationBinding(id, key);
    if (changed == nullptr) return false;
    Action action = changed->action;
    Hwnd window = FindAppWindow(id);
    if (action.kind == ActionKind::Chord) {
        // Without the application's window to bring forward, the keys would be typed into
        // whatever program is in front; its own keystrokes are not sent then either.
        if (window == 0) return true;
        action.front = ActionFront::Activate;
    }
    PerformAction(action, window, id, userKeys.table.text);
    return true;
}

void ForgetUserKeys() {
    userKeys.table.profileCount = userKeys.table.bindingCount = 0;
    userKeys.table.problemCount = userKeys.table.problemTotal = 0;
    userKeys.table.textUsed = 0;
    userKeys.path[0] = '\0';
    userKeys.fileTime = userKeys.reportedTime = 0;
}
