// The simulated desktop's other programs and the user's files, as the utility meets them
// through the seam: processes and their program files under the integrity rules, owners and
// Unicode titles, key batches, messages sent with a time-out to a hung program, and files
// with their times, dispositions and share modes.
#include <cstring>

#include "tests/test_support.h"

namespace {

constexpr std::uint32_t kAppCommandPlayPause = 14;

class SimPrograms : public DesktopTest {
  protected:
    Hwnd Start(const char* image, const char* title, bool elevated = false, bool hung = false) {
        Hwnd window = desk.windows.StartProgram(
            SimProgramSpec{image, "PlayerClass", title, elevated, hung, "#32770", "Options"});
        desk.UserInput(window);
        return window;
    }
    std::uint32_t ProcessOf(Hwnd window) {
        std::uint32_t id = 0;
        desk.GetWindowThreadProcessId(window, &id);
        return id;
    }
};

TEST_F(SimPrograms, ProcessImageOwnerAndUnicodeTitle) {
    Hwnd player = Start("vlc.exe", "Caf\xC3\xA9 \xE2\x80\x93 \xE6\x97\xA5 VLC");
    Hwnd options = desk.windows.FindByTitle("Options");
    std::uint32_t id = 0;
    std::uint32_t thread = desk.GetWindowThreadProcessId(options, &id);
    EXPECT_EQ(id, ProcessOf(player));
    EXPECT_EQ(thread, id + 4);
    EXPECT_EQ(desk.GetAncestor(options, GA_ROOTOWNER), player);
    EXPECT_EQ(desk.GetAncestor(player, GA_ROOTOWNER), player);

    char16_t wide[64];
    ASSERT_EQ(desk.GetWindowTextW(player, wide, 64), 12);
    EXPECT_EQ(std::u16string(wide), u"Caf\u00E9 \u2013 \u65E5 VLC");
    char ansi[64];
    desk.GetWindowTextA(player, ansi, 64);
    EXPECT_STREQ(ansi, "Caf\xE9 \x96 ? VLC");  // Windows-1252 has the dash, not the kanji
    desk.GetClassNameA(player, ansi, 64);
    EXPECT_STREQ(ansi, "PlayerClass");

    Handle process = desk.OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, false, id);
    ASSERT_NE(process, 0u);
    char image[64];
    std::uint32_t size = 10;
    EXPECT_FALSE(desk.QueryFullProcessImageNameA(process, 0, image, &size));
    EXPECT_EQ(desk.GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    size = sizeof image;
    ASSERT_TRUE(desk.QueryFullProcessImageNameA(process, 0, image, &size));
    EXPECT_STREQ(image, "C:\\Program Files\\vlc\\vlc.exe");
    EXPECT_EQ(size, std::strlen(image));
    EXPECT_TRUE(desk.CloseHandle(process));
    EXPECT_FALSE(desk.CloseHandle(process));

    desk.DestroySimWindow(options);
    desk.DestroySimWindow(player);
    EXPECT_EQ(desk.OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, false, id), 0u);
    EXPECT_EQ(desk.GetLastError(), static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER));
}

TEST_F(SimPrograms, OpenProcessUnderIntegrityLevels) {
    struct Case {
        const char* what;
        std::uint32_t ntVersion;
        bool utilityElevated;
        std::uint32_t access;
        bool opens;
        bool fullName;    // QueryFullProcessImageNameA answers
        bool moduleName;  // GetModuleFileNameExA answers
    } cases[] = {
        {"limited rights to an elevated program", 0x0601, false, PROCESS_QUERY_LIMITED_INFORMATION,
         true, true, false},
        {"full query rights refused", 0x0601, false, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ,
         false, false, false},
        {"an elevated utility gets them", 0x0601, true, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ,
         true, true, true},
        {"XP knows no limited rights", 0x0501, false, PROCESS_QUERY_LIMITED_INFORMATION, false,
         false, false},
        {"XP has no integrity levels, nor the Vista call", 0x0501, false,
         PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SimDesktop& fresh = InstallFreshSimDesktop();
        fresh.system.ntVersion = c.ntVersion;
        fresh.windows.utilityElevated = c.utilityElevated;
        Hwnd admin = fresh.windows.StartProgram(
            SimProgramSpec{"C:\\Admin\\tool.exe", "T", "T", true, false, "", ""});
        std::uint32_t id = 0;
        fresh.GetWindowThreadProcessId(admin, &id);
        Handle process = fresh.OpenProcess(c.access, false, id);
        EXPECT_EQ(process != 0, c.opens);
        if (!c.opens) {
            EXPECT_EQ(fresh.GetLastError(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
        }
        char name[64] = {};
        std::uint32_t size = sizeof name;
        EXPECT_EQ(fresh.QueryFullProcessImageNameA(process, 0, name, &size), c.fullName);
        EXPECT_EQ(fresh.GetModuleFileNameExA(process, 0, name, sizeof name) != 0, c.moduleName);
        if (c.moduleName) {
            EXPECT_STREQ(name, "C:\\Admin\\tool.exe");
        }
    }
}

TEST_F(SimPrograms, SendInputReachesTheFrontOrNothing) {
    Hwnd player = Start("mpc-hc.exe", "MPC-HC");
    Hwnd options = desk.windows.FindByTitle("Options");
    desk.UserInput(player);
    desk.input.altGrLayout = true;
    const Input batch[] = {
        {VK_MENU, 0x38, KEYEVENTF_EXTENDEDKEY, 0, 0},           // AltGr: a left Ctrl first
        {0, 0x1E, KEYEVENTF_SCANCODE, 0, 0},                    // 'A' by its scan code
        {0, 0x1E, KEYEVENTF_SCANCODE | KEYEVENTF_KEYUP, 0, 0},  //
        {VK_MENU, 0x38, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0, 0},
        {VK_MEDIA_PLAY_PAUSE, 0x22, KEYEVENTF_EXTENDEDKEY, 0, 0},  // also to the system
    };
    EXPECT_EQ(desk.SendInput(5, batch), 5u);
    std::vector<std::pair<std::uint32_t, WParam>> got;
    for (const auto& r : desk.windows.ReceivedBy(player))
        got.emplace_back(r.msg, r.wParam);
    EXPECT_EQ(got,
              (std::vector<std::pair<std::uint32_t, WParam>>{{WM_KEYDOWN, VK_CONTROL},
                                                             {WM_KEYDOWN, VK_MENU},
                                                             {WM_KEYDOWN, 0x41},
                                                             {WM_KEYUP, 0x41},
                                                             {WM_SYSKEYUP, VK_CONTROL},
                                                             {WM_SYSKEYUP, VK_MENU},
                                                             {WM_KEYDOWN, VK_MEDIA_PLAY_PAUSE}}));
    EXPECT_TRUE(desk.windows.ReceivedBy(options).empty());
    EXPECT_EQ(desk.input.systemKeys, std::vector<std::uint8_t>{VK_MEDIA_PLAY_PAUSE});

    Hwnd admin = Start("C:\\Admin\\tool.exe", "Admin", true);
    std::uint64_t lastInput = desk.input.lastInputAt;
    desk.Sleep(100);
    EXPECT_EQ(desk.SendInput(1, batch + 4), 0u);
    EXPECT_EQ(desk.GetLastError(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(desk.windows.ReceivedBy(admin).empty());
    EXPECT_EQ(desk.input.systemKeys.size(), 1u);
    EXPECT_EQ(desk.input.lastInputAt, lastInput);  // a refused batch is no input event
    Input many[kMaxInputBatch + 1] = {};
    EXPECT_EQ(desk.SendInput(kMaxInputBatch + 1, many), 0u);
    EXPECT_EQ(desk.GetLastError(), static_cast<std::uint32_t>(ERROR_INVALID_PARAMETER));
}

TEST_F(SimPrograms, SendMessageTimeoutToPlayersAndHungPrograms) {
    Hwnd player = Start("vlc.exe", "VLC");
    Hwnd hung = Start("stuck.exe", "Stuck", false, true);
    Hwnd admin = Start("C:\\Admin\\tool.exe", "Admin", true);
    const LParam command = static_cast<LParam>(kAppCommandPlayPause << 16);
    std::uintptr_t result = 7;
    EXPECT_EQ(desk.SendMessageTimeoutA(player, WM_APPCOMMAND, player, command, SMTO_ABORTIFHUNG,
                                       1000, &result),
              1);
    EXPECT_EQ(result, 1u);
    ASSERT_EQ(desk.windows.ReceivedBy(player).size(), 1u);
    EXPECT_EQ(desk.trace.back(),
              "0 appcommand window=\"PlayerClass\"/\"VLC\" cmd=14 device=key keys=0");

    // Not yet 5 s without messages: the call waits out its time-out.
    std::uint64_t before = desk.now;
    EXPECT_EQ(desk.SendMessageTimeoutA(hung, WM_APPCOMMAND, hung, command, SMTO_ABORTIFHUNG, 1000,
                                       &result),
              0);
    EXPECT_EQ(desk.GetLastError(), static_cast<std::uint32_t>(ERROR_TIMEOUT));
    EXPECT_EQ(desk.now, before + 1000);
    desk.Sleep(5000);
    before = desk.now;
    EXPECT_EQ(desk.SendMessageTimeoutA(hung, WM_APPCOMMAND, hung, command, SMTO_ABORTIFHUNG, 1000,
                                       &result),
              0);
    EXPECT_EQ(desk.now, before);  // not responding: abandoned at once
    EXPECT_EQ(
        desk.SendMessageTimeoutA(hung, WM_APPCOMMAND, hung, command, SMTO_NORMAL, 250, &result), 0);
    EXPECT_EQ(desk.now, before + 250);
    EXPECT_TRUE(desk.windows.ReceivedBy(hung).empty());

    EXPECT_EQ(
        desk.SendMessageTimeoutA(admin, WM_APPCOMMAND, admin, command, SMTO_NORMAL, 1000, &result),
        0);
    EXPECT_EQ(desk.GetLastError(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(desk.SendMessageTimeoutA(hung, WM_NULL, 0, 0, SMTO_NORMAL, 0, &result), 0);
    EXPECT_TRUE(desk.stopped);  // no time-out: stuck for good
}

TEST_F(SimPrograms, FilesTimesDispositionsAndSharing) {
    char appData[260];
    ASSERT_EQ(desk.SHGetFolderPathA(0, CSIDL_APPDATA, 0, 0, appData), S_OK);
    const std::string base = appData;
    EXPECT_EQ(base, "C:\\Users\\Alex\\AppData\\Roaming");
    const std::string folder = base + "\\Zarvin Multimedia\\Remote Control";
    const std::string path = folder + "\\keys.ini";
    auto open = [&](std::uint32_t access, std::uint32_t share, std::uint32_t disposition) {
        return desk.CreateFileA(path.c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, 0);
    };
    auto error = [&] { return static_cast<std::int32_t>(desk.GetLastError()); };

    EXPECT_EQ(open(GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(error(), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(desk.CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_EQ(error(), ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(desk.CreateDirectoryA((base + "\\Zarvin Multimedia").c_str(), nullptr));
    EXPECT_TRUE(desk.CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_EQ(open(GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(error(), ERROR_FILE_NOT_FOUND);

    desk.Sleep(100);
    Handle file = open(GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::uint32_t done = 0;
    EXPECT_TRUE(desk.WriteFile(file, "[a]\r\n", 5, &done, nullptr));
    EXPECT_EQ(open(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(error(), ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(desk.CloseHandle(file));
    EXPECT_EQ(open(GENERIC_WRITE, 0, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(error(), ERROR_FILE_EXISTS);

    FileAttributeData data;
    ASSERT_TRUE(desk.GetFileAttributesExA(path.c_str(), kFileInfoStandard, &data));
    EXPECT_EQ(data.Size(), 5u);
    EXPECT_EQ(data.LastWrite(), SimFiles::kRunStart + 100 * 10000);

    // The user saves while the utility reads: refused, as the editor's open for writing is.
    Handle reading = open(GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    desk.Sleep(900);
    desk.UserSavesFile(path, "[b]\r\nx\r\n", false);
    EXPECT_EQ(desk.trace.back(), "1000 file save refused \"" + path + "\" (in use)");
    char bytes[16] = {};
    EXPECT_TRUE(desk.ReadFile(reading, bytes, sizeof bytes, &done, nullptr));
    EXPECT_EQ(std::string(bytes, done), "[a]\r\n");
    desk.CloseHandle(reading);
    desk.UserSavesFile(path, "[b]\r\nx\r\n", false);
    ASSERT_TRUE(desk.GetFileAttributesExA(path.c_str(), kFileInfoStandard, &data));
    EXPECT_EQ(data.Size(), 8u);
    EXPECT_EQ(data.LastWrite(), SimFiles::kRunStart + 1000 * 10000);
    desk.UserSavesFile(path, "", true);
    EXPECT_FALSE(desk.GetFileAttributesExA(path.c_str(), kFileInfoStandard, &data));
    EXPECT_EQ(error(), ERROR_FILE_NOT_FOUND);
}

TEST_F(SimPrograms, TheShellStartsNotepadAndKnownPrograms) {
    Hwnd player = Start("vlc.exe", "VLC");
    const char* keys = "\"C:\\Users\\Alex\\AppData\\Roaming\\keys.ini\"";
    EXPECT_EQ(desk.ShellExecuteA(0, "open", "notepad.exe", keys, nullptr, SW_SHOW), 42);
    EXPECT_EQ(
        desk.ShellExecuteA(0, "open", "C:\\Program Files\\vlc\\vlc.exe", "", nullptr, SW_SHOW), 42);
    EXPECT_EQ(desk.ShellExecuteA(0, "open", "C:\\Tools\\none.exe", "", nullptr, SW_SHOW), 2);
    desk.RunUntil(desk.now + 1000);
    Hwnd notepad = desk.windows.FindByTitle("keys.ini - Notepad");
    ASSERT_NE(notepad, 0u);
    EXPECT_NE(ProcessOf(notepad), ProcessOf(player));
    // The user clicked the player: neither new window may take the foreground from it.
    EXPECT_EQ(desk.GetForegroundWindow(), player);
}

}  // namespace
