// The settings in the registry, the Setting and About dialogs, and the country check,
// judged by the registry's contents, the dialogs' lists and the desktop's trace.
#include "shell/settings.h"

#include <cstring>
#include <functional>

#include "shell/resource_ids.h"
#include "test_support.h"

namespace {

constexpr const char* kKey = kSettingsKey;

class SettingsTest : public DesktopTest {
  protected:
    void SetUp() override { Construct(); }

    // The stored value as a DWORD, or -1 when it is missing or not a 4-byte DWORD.
    long long Stored(const char* name) const {
        const SimRegValue* value = desk.registry.Value(HKEY_LOCAL_MACHINE, kKey, name);
        if (!value || value->type != REG_DWORD || value->data.size() != 4) return -1;
        std::uint32_t bits = 0;
        std::memcpy(&bits, value->data.data(), 4);
        return bits;
    }

    // Opens a dialog with the user's `actions` scheduled while it is up.
    std::intptr_t OpenDialog(int id, std::function<void()> actions) {
        desk.At(desk.now + 20, std::move(actions));
        DlgProc proc = id == IDD_SETTING ? SettingDlgProc : AboutDlgProc;
        return Plat().DialogBoxParamA(0, id, owner, proc, 0);
    }

    void InstallApps(std::initializer_list<int> ids) {
        for (int id : ids)
            desk.InstallApp(id, "C:\\TV" + std::to_string(id));
        Construct();
    }
};

TEST_F(SettingsTest, OnlyMissingOrUnreadableValuesAreWritten) {
    const SimRegValue none{REG_NONE, {}};
    struct Case {
        const char* name;
        SimRegValue defaultApp, remoteOff;  // REG_NONE: absent
        std::int32_t defaultRead;
        bool remoteOffRead;
        const char* writes;  // D: logic.DefaultTVAPP, A: logic.AlwaysRemoteOff
    } cases[] = {
        {"both present", {REG_DWORD, {6, 0, 0, 0}}, {REG_DWORD, {0, 0, 0, 0}}, 6, false, ""},
        {"default missing", none, {REG_DWORD, {2, 0, 0, 0}}, 9, false, "D"},
        {"switch missing", {REG_DWORD, {7, 0, 0, 0}}, none, 7, false, "A"},
        {"switch on", {REG_DWORD, {9, 0, 0, 0}}, {REG_DWORD, {1, 0, 0, 0}}, 9, true, ""},
        {"not an application", {REG_DWORD, {3, 0, 0, 0}}, {REG_DWORD, {2, 0, 0, 0}}, 3, false, ""},
        {"negative",
         {REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
         {REG_DWORD, {0, 0, 0, 0}},
         -1,
         false,
         ""},
        // Taken whatever the type; shorter data fills the low bytes of a zeroed buffer.
        {"text of 2 bytes", {REG_SZ, Bytes("7")}, {REG_SZ, Bytes("1")}, 0x37, false, ""},
        {"binary of 1 byte", {REG_BINARY, {6}}, {REG_BINARY, {1}}, 6, true, ""},
        // Longer than 4 bytes cannot be read, and is replaced.
        {"too long", {REG_SZ, Bytes("9999")}, {REG_BINARY, {1, 0, 0, 0, 0}}, 9, false, "DA"},
        {"no key at all", none, none, 9, false, "DA"},
    };
    for (const auto& c : cases) {
        Construct();
        desk.registry.DeleteKey(HKEY_LOCAL_MACHINE, kKey);
        if (c.defaultApp.type != REG_NONE)
            desk.registry.SetValue(HKEY_LOCAL_MACHINE, kKey, "DefaultTVAPP", c.defaultApp.type,
                                   c.defaultApp.data);
        if (c.remoteOff.type != REG_NONE)
            desk.registry.SetValue(HKEY_LOCAL_MACHINE, kKey, "AlwaysRemoteOff", c.remoteOff.type,
                                   c.remoteOff.data);
        desk.trace.clear();
        ReadSettings();
        EXPECT_EQ(logic.DefaultTVAPP, c.defaultRead) << c.name;
        EXPECT_EQ(logic.AlwaysRemoteOff, c.remoteOffRead) << c.name;
        std::vector<std::string> writes;
        if (std::strchr(c.writes, 'D')) writes.push_back("registry set \"DefaultTVAPP\" 9");
        if (std::strchr(c.writes, 'A')) writes.push_back("registry set \"AlwaysRemoteOff\" 0");
        EXPECT_EQ(TraceWith("registry set"), writes) << c.name;
    }
}

// A standard user reads the settings that the installer stored; a write goes to the user's
// VirtualStore where Windows virtualizes it (and is read back from there), and is refused
// where it does not. Without the key, nothing can be created and the run keeps its defaults.
TEST_F(SettingsTest, StandardUserReadsTheSettingsAndWritesOnlyWhereWindowsLetsIt) {
    const char* const kVirtualKey =
        "Software\\Classes\\VirtualStore\\MACHINE\\SOFTWARE\\Zarvin Multimedia\\Tuner Utilities";
    struct Case {
        const char* name;
        bool keyThere, virtualization, elevated;
        std::uint32_t ntVersion;
        RegStatus save;
        std::uint32_t stored, virtualStored;  // 0: none
    } cases[] = {
        {"virtualization off", true, false, false, 0x0601, ERROR_ACCESS_DENIED, 1, 0},
        {"XP has no virtualization", true, true, false, 0x0501, ERROR_ACCESS_DENIED, 1, 0},
        {"virtualized", true, true, false, 0x0601, ERROR_SUCCESS, 1, 6},
        {"run as administrator", true, false, true, 0x0601, ERROR_SUCCESS, 6, 0},
        {"no key, virtualization off", false, false, false, 0x0601, ERROR_FILE_NOT_FOUND, 0, 0},
    };
    for (const auto& c : cases) {
        Construct();
        desk.registry.DeleteKey(HKEY_LOCAL_MACHINE, kKey);
        desk.registry.DeleteKey(HKEY_CURRENT_USER, "Software\\Classes\\VirtualStore");
        if (c.keyThere) {
            desk.registry.SetDword(HKEY_LOCAL_MACHINE, kKey, "DefaultTVAPP", 1);
            desk.registry.SetDword(HKEY_LOCAL_MACHINE, kKey, "AlwaysRemoteOff", 1);
        }
        desk.registry.hklmReadOnly = true;
        desk.registry.virtualization = c.virtualization;
        desk.windows.utilityElevated = c.elevated;
        desk.system.ntVersion = c.ntVersion;
        ReadSettings();
        EXPECT_EQ(logic.AlwaysRemoteOff, c.keyThere) << c.name;
        EXPECT_EQ(logic.DefaultTVAPP, c.keyThere ? 1 : 9) << c.name;
        logic.DefaultTVAPP = 6;
        EXPECT_EQ(WriteDefaultApp(), c.save) << c.name;
        EXPECT_EQ(Stored("DefaultTVAPP"), c.stored ? static_cast<long long>(c.stored) : -1)
            << c.name;
        const SimRegValue* virtualValue =
            desk.registry.Value(HKEY_CURRENT_USER, kVirtualKey, "DefaultTVAPP");
        EXPECT_EQ(virtualValue ? virtualValue->data[0] : 0u, c.virtualStored) << c.name;
        ReadSettings();
        EXPECT_EQ(logic.DefaultTVAPP, c.save == ERROR_SUCCESS ? 6 : c.keyThere ? 1 : 6) << c.name;
    }
}

TEST_F(SettingsTest, DefaultIsWrittenOnlyOverAnExistingValue) {
    logic.DefaultTVAPP = 7;
    EXPECT_EQ(WriteDefaultApp(), ERROR_FILE_NOT_FOUND);  // no key
    EXPECT_FALSE(desk.registry.KeyExists(HKEY_LOCAL_MACHINE, kKey));
    desk.registry.SetDword(HKEY_LOCAL_MACHINE, kKey, "AlwaysRemoteOff", 0);
    EXPECT_EQ(WriteDefaultApp(), ERROR_FILE_NOT_FOUND);  // key without the value
    EXPECT_EQ(Stored("DefaultTVAPP"), -1);
    desk.registry.SetValue(HKEY_LOCAL_MACHINE, kKey, "DefaultTVAPP", REG_BINARY, {1, 2, 3, 4, 5});
    EXPECT_EQ(WriteDefaultApp(), ERROR_MORE_DATA);  // too long to read: not overwritten either
    desk.registry.SetDword(HKEY_LOCAL_MACHINE, kKey, "DefaultTVAPP", 9);
    int flushes = desk.registry.flushes;
    EXPECT_EQ(WriteDefaultApp(), ERROR_SUCCESS);
    EXPECT_EQ(Stored("DefaultTVAPP"), 7);
    EXPECT_EQ(desk.registry.flushes, flushes + 1);
}

TEST_F(SettingsTest, SettingDialogListsInstalledApplicationsAndPreselectsTheDefault) {
    struct Case {
        std::initializer_list<int> installed;
        std::int32_t defaultApp;
        std::vector<std::string> list;
        int selection;
        std::int32_t afterOk;  // the default once OK was pressed on the preselected entry
    } cases[] = {
        {{9, 1, 7, 6, 2},
         6,
         {"Lumacast", "VantorTVR", "Omnivue", "DVBS SUITE", "OmnivueCenter"},
         2,
         6},
        {{2, 9}, 3, {"VantorTVR", "OmnivueCenter"}, 0, 2},  // not an application: the first
        {{2, 9}, 6, {"VantorTVR", "OmnivueCenter"}, 0, 2},  // not installed: the first
        {{}, 9, {}, -1, 9},                                 // empty: OK changes nothing
    };
    for (const auto& c : cases) {
        desk.registry.DeleteKey(HKEY_LOCAL_MACHINE, "SOFTWARE");  // no application installed
        InstallApps(c.installed);
        logic.DefaultTVAPP = c.defaultApp;
        std::vector<std::string> shown;
        int selected = -2;
        OpenDialog(IDD_SETTING, [&] {
            shown = desk.dialogs.DialogOf(desk.TopDialog())->list;
            selected = desk.dialogs.DialogOf(desk.TopDialog())->selection;
            desk.PressDialogButton(IDOK);
        });
        EXPECT_EQ(shown, c.list) << c.defaultApp;
        EXPECT_EQ(selected, c.selection) << c.defaultApp;
        EXPECT_EQ(logic.DefaultTVAPP, c.afterOk) << c.defaultApp;
    }
}

TEST_F(SettingsTest, SettingDialogOkStoresAnotherEntryWhileEscapeAndTheCloseBoxDropIt) {
    InstallApps({2, 6, 9});
    desk.registry.SetDword(HKEY_LOCAL_MACHINE, kKey, "DefaultTVAPP", 9);
    auto choose = [&](const char* entry, std::function<bool()> close) {
        return OpenDialog(IDD_SETTING, [&] {
            desk.SelectListEntry(entry);
            close();
        });
    };
    auto ok = [&] { return desk.PressDialogButton(IDOK); };
    EXPECT_EQ(choose("Omnivue", [&] { return desk.TypeDialogKey(VK_ESCAPE); }), IDCANCEL);
    EXPECT_EQ(choose("VantorTVR", [&] { return desk.CloseDialogBox(); }), IDCANCEL);
    EXPECT_EQ(logic.DefaultTVAPP, 9);
    EXPECT_TRUE(TraceWith("registry set").empty());
    EXPECT_EQ(choose("Omnivue", ok), IDOK);
    EXPECT_EQ(logic.DefaultTVAPP, 6);
    EXPECT_EQ(TraceWith("registry set"),
              std::vector<std::string>{"registry set \"DefaultTVAPP\" 6"});
    EXPECT_EQ(Stored("DefaultTVAPP"), 6);
    desk.trace.clear();
    choose("Omnivue", ok);  // the same entry again
    EXPECT_TRUE(TraceWith("registry set").empty());
    // Without a stored value the choice lasts for the run only.
    desk.registry.DeleteKey(HKEY_LOCAL_MACHINE, kKey);
    choose("VantorTVR", ok);
    EXPECT_EQ(logic.DefaultTVAPP, 2);
    EXPECT_TRUE(TraceWith("registry set").empty());
}

TEST_F(SettingsTest, AboutClosesWithItsButtonEscapeOrTheCloseBox) {
    EXPECT_EQ(OpenDialog(IDD_ABOUT, [&] { desk.PressDialogButton(IDOK); }), IDOK);
    EXPECT_EQ(OpenDialog(IDD_ABOUT, [&] { desk.TypeDialogKey(VK_ESCAPE); }), IDCANCEL);
    EXPECT_EQ(OpenDialog(IDD_ABOUT, [&] { desk.CloseDialogBox(); }), IDCANCEL);
    EXPECT_EQ(desk.windows.Find(desk.dialogs.opened.back().window)->title,
              "Remote Control - About");
    EXPECT_EQ(desk.OpenDialogCount(), 0);
}

TEST_F(SettingsTest, CountryCodeFoldsUpToFiveCharactersOfTheText) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> data;  // empty: value missing
        std::int32_t code;
    } cases[] = {
        {"Japan", Bytes("81"), 81},
        {"three digits", Bytes("810"), 810},
        {"leading zeros", Bytes("0081"), 81},
        {"only five characters", Bytes("8123456"), 81234},
        {"not digits", Bytes("-1"), ('-' - '0') * 10 + 1},
        {"high characters are signed", Bytes("\xC8"), -56 - '0'},
        {"missing", {}, 0},
        {"longer than 30 bytes", Bytes(std::string(40, '8')), 0},
    };
    for (const auto& c : cases) {
        desk.registry.DeleteKey(HKEY_CURRENT_USER, "Control Panel\\International");
        desk.registry.SetString(HKEY_CURRENT_USER, "Control Panel\\International", "sCountry", "x");
        if (!c.data.empty())
            desk.registry.SetValue(HKEY_CURRENT_USER, "Control Panel\\International", "iCountry",
                                   REG_SZ, c.data);
        EXPECT_EQ(ReadCountryCode(), c.code) << c.name;
        CheckCountry();
        EXPECT_EQ(logic.japanCountry, c.code == 81 ? 1 : 0) << c.name;
    }
    desk.registry.DeleteKey(HKEY_CURRENT_USER, "Control Panel\\International");
    EXPECT_EQ(ReadCountryCode(), 0);  // no key at all
}

TEST_F(SettingsTest, The95FamilyReadsWinIniInTheWindowsFolder) {
    desk.system.win9xFamily = true;
    desk.registry.SetString(HKEY_CURRENT_USER, "Control Panel\\International", "iCountry", "81");
    EXPECT_EQ(ReadCountryCode(), 1);  // no entry: 1, and the registry is not asked
    desk.system.SetProfileValue("C:\\WINDOWS\\win.ini", "intl", "iCountry", "81");
    CheckCountry();
    EXPECT_EQ(logic.japanCountry, 1);
    desk.system.windowsDirectory = "D:\\WIN98";
    EXPECT_EQ(ReadCountryCode(), 1);
    desk.system.SetProfileValue("D:\\WIN98\\win.ini", "intl", "iCountry", "49");
    EXPECT_EQ(ReadCountryCode(), 49);
    desk.system.windowsDirectory = "C:\\" + std::string(120, 'W');  // no room for "\win.ini"
    EXPECT_EQ(ReadCountryCode(), 1);
}

}  // namespace
