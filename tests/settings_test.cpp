// The settings in the registry, the Setting and About dialogs, and the country check,
// judged by the registry's contents, the dialogs' lists and the desktop's trace.
#include "shell/settings.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "desktop_fixture.h"
#include "shell/resource_ids.h"

namespace {

constexpr const char* kKey = "SOFTWARE\\Zarvin Multimedia\\Tuner Utilities";

std::vector<std::uint8_t> Bytes(std::initializer_list<std::uint8_t> bytes) {
    return std::vector<std::uint8_t>(bytes);
}
std::vector<std::uint8_t> Text(const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    return bytes;
}

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

TEST_F(SettingsTest, FirstStartCreatesTheKeyWithBothValues) {
    ReadSettings();
    EXPECT_EQ(Stored("DefaultTVAPP"), 9);
    EXPECT_EQ(Stored("AlwaysRemoteOff"), 0);
    EXPECT_GE(desk.registry.flushes, 1);
    EXPECT_EQ(logic.DefaultTVAPP, 9);
    EXPECT_FALSE(logic.AlwaysRemoteOff);
    EXPECT_EQ(TraceWith("registry set"),
              (std::vector<std::string>{"registry set \"DefaultTVAPP\" 9",
                                        "registry set \"AlwaysRemoteOff\" 0"}));
}

TEST_F(SettingsTest, OnlyMissingOrUnreadableValuesAreWritten) {
    struct Case {
        const char* name;
        std::uint32_t defaultType;  // REG_NONE: value absent
        std::vector<std::uint8_t> defaultData;
        std::uint32_t offType;
        std::vector<std::uint8_t> offData;
        std::int32_t defaultApp;
        bool remoteOff;
        std::vector<std::string> writes;
    } cases[] = {
        {"both present",
         REG_DWORD,
         Bytes({6, 0, 0, 0}),
         REG_DWORD,
         Bytes({0, 0, 0, 0}),
         6,
         false,
         {}},
        {"default missing",
         REG_NONE,
         {},
         REG_DWORD,
         Bytes({2, 0, 0, 0}),
         9,
         false,
         {"registry set \"DefaultTVAPP\" 9"}},
        {"switch missing",
         REG_DWORD,
         Bytes({7, 0, 0, 0}),
         REG_NONE,
         {},
         7,
         false,
         {"registry set \"AlwaysRemoteOff\" 0"}},
        {"switch on", REG_DWORD, Bytes({9, 0, 0, 0}), REG_DWORD, Bytes({1, 0, 0, 0}), 9, true, {}},
        {"not an application",
         REG_DWORD,
         Bytes({3, 0, 0, 0}),
         REG_DWORD,
         Bytes({0, 0, 0, 0}),
         3,
         false,
         {}},
        {"negative",
         REG_DWORD,
         Bytes({0xFF, 0xFF, 0xFF, 0xFF}),
         REG_DWORD,
         Bytes({0, 0, 0, 0}),
         -1,
         false,
         {}},
        // Taken whatever the type; shorter data fills the low bytes of a zeroed buffer.
        {"text of 2 bytes", REG_SZ, Text("7"), REG_SZ, Text("1"), 0x37, false, {}},
        {"binary of 1 byte", REG_BINARY, Bytes({6}), REG_BINARY, Bytes({1}), 6, true, {}},
        // Longer than 4 bytes cannot be read, and is replaced.
        {"too long",
         REG_SZ,
         Text("9999"),
         REG_BINARY,
         Bytes({1, 0, 0, 0, 0}),
         9,
         false,
         {"registry set \"DefaultTVAPP\" 9", "registry set \"AlwaysRemoteOff\" 0"}},
    };
    for (const auto& c : cases) {
        Construct();
        desk.registry.DeleteKey(HKEY_LOCAL_MACHINE, kKey);
        desk.registry.SetValue(HKEY_LOCAL_MACHINE, kKey, "Other", REG_DWORD, Bytes({0, 0, 0, 0}));
        if (c.defaultType != REG_NONE)
            desk.registry.SetValue(HKEY_LOCAL_MACHINE, kKey, "DefaultTVAPP", c.defaultType,
                                   c.defaultData);
        if (c.offType != REG_NONE)
            desk.registry.SetValue(HKEY_LOCAL_MACHINE, kKey, "AlwaysRemoteOff", c.offType,
                                   c.offData);
        desk.trace.clear();
        ReadSettings();
        EXPECT_EQ(logic.DefaultTVAPP, c.defaultApp) << c.name;
        EXPECT_EQ(logic.AlwaysRemoteOff, c.remoteOff) << c.name;
        EXPECT_EQ(TraceWith("registry set"), c.writes) << c.name;
    }
}

// A standard user without registry virtualization: the run goes on with the defaults,
// and choices last for the run only.
TEST_F(SettingsTest, KeyNeitherOpenedNorCreatedLeavesTheDefaults) {
    desk.registry.hklmReadOnly = true;
    ReadSettings();
    EXPECT_FALSE(desk.registry.KeyExists(HKEY_LOCAL_MACHINE, kKey));
    EXPECT_EQ(logic.DefaultTVAPP, 9);
    EXPECT_FALSE(logic.AlwaysRemoteOff);
    desk.registry.SetDword(HKEY_LOCAL_MACHINE, kKey, "DefaultTVAPP", 6);
    logic.DefaultTVAPP = 2;
    EXPECT_EQ(WriteDefaultApp(), 0);
    EXPECT_EQ(Stored("DefaultTVAPP"), 6);
}

TEST_F(SettingsTest, DefaultIsWrittenOnlyOverAnExistingValue) {
    logic.DefaultTVAPP = 7;
    EXPECT_EQ(WriteDefaultApp(), 0);  // no key
    EXPECT_FALSE(desk.registry.KeyExists(HKEY_LOCAL_MACHINE, kKey));
    desk.registry.SetDword(HKEY_LOCAL_MACHINE, kKey, "AlwaysRemoteOff", 0);
    EXPECT_EQ(WriteDefaultApp(), 0);  // key without the value
    EXPECT_EQ(Stored("DefaultTVAPP"), -1);
    desk.registry.SetValue(HKEY_LOCAL_MACHINE, kKey, "DefaultTVAPP", REG_BINARY,
                           Bytes({1, 2, 3, 4, 5}));
    EXPECT_EQ(WriteDefaultApp(), 0);  // a value too long to read is not overwritten either
    desk.registry.SetDword(HKEY_LOCAL_MACHINE, kKey, "DefaultTVAPP", 9);
    int flushes = desk.registry.flushes;
    EXPECT_EQ(WriteDefaultApp(), 1);
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
        {{2, 9}, 9, {"VantorTVR", "OmnivueCenter"}, 1, 9},
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

TEST_F(SettingsTest, SettingDialogOkTakesAnotherEntryAndEscapeDropsIt) {
    InstallApps({2, 6, 9});
    desk.registry.SetDword(HKEY_LOCAL_MACHINE, kKey, "DefaultTVAPP", 9);
    EXPECT_EQ(OpenDialog(IDD_SETTING,
                         [&] {
                             desk.SelectListEntry("Omnivue");
                             desk.TypeDialogKey(VK_ESCAPE);
                         }),
              IDCANCEL);
    EXPECT_EQ(OpenDialog(IDD_SETTING,
                         [&] {
                             desk.SelectListEntry("VantorTVR");
                             desk.CloseDialogBox();
                         }),
              IDCANCEL);
    EXPECT_EQ(logic.DefaultTVAPP, 9);
    EXPECT_TRUE(TraceWith("registry set").empty());

    desk.trace.clear();
    EXPECT_EQ(OpenDialog(IDD_SETTING,
                         [&] {
                             desk.SelectListEntry("Omnivue");
                             desk.PressDialogButton(IDOK);
                         }),
              IDOK);
    EXPECT_EQ(logic.DefaultTVAPP, 6);
    EXPECT_EQ(TraceWith("registry set"),
              (std::vector<std::string>{"registry set \"DefaultTVAPP\" 6"}));
    EXPECT_EQ(Stored("DefaultTVAPP"), 6);

    desk.trace.clear();
    OpenDialog(IDD_SETTING, [&] { desk.PressDialogButton(IDOK); });  // the same entry again
    EXPECT_TRUE(TraceWith("registry set").empty());
}

TEST_F(SettingsTest, SettingDialogChoiceLastsForTheRunWithoutAStoredValue) {
    InstallApps({2, 9});
    OpenDialog(IDD_SETTING, [&] {
        desk.SelectListEntry("VantorTVR");
        desk.PressDialogButton(IDOK);
    });
    EXPECT_EQ(logic.DefaultTVAPP, 2);
    EXPECT_TRUE(TraceWith("registry set").empty());
}

TEST_F(SettingsTest, DialogsArePlacedAndAboutClosesWithItsButton) {
    struct Case {
        int id;
        std::function<bool()> act;
        std::intptr_t result;
        const char* caption;
    } cases[] = {
        {IDD_ABOUT, [&] { return desk.PressDialogButton(IDOK); }, IDOK, "Remote Control - About"},
        {IDD_ABOUT, [&] { return desk.TypeDialogKey(VK_ESCAPE); }, IDCANCEL,
         "Remote Control - About"},
        {IDD_ABOUT, [&] { return desk.CloseDialogBox(); }, IDCANCEL, "Remote Control - About"},
        {IDD_SETTING, [&] { return desk.CloseDialogBox(); }, IDCANCEL, "Remote Control - Setting"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OpenDialog(c.id, [&] { c.act(); }), c.result) << c.caption;
        Hwnd window = desk.dialogs.opened.back().window;
        EXPECT_EQ(desk.windows.Find(window)->title, c.caption);
        const auto* placement = desk.windows.PlacementOf(window);
        EXPECT_TRUE(placement->topmost) << c.caption;
        EXPECT_EQ(placement->x, 350) << c.caption;
        EXPECT_EQ(placement->y, 300) << c.caption;
    }
    EXPECT_EQ(desk.OpenDialogCount(), 0);
}

TEST_F(SettingsTest, CountryCodeFoldsUpToFiveCharactersOfTheText) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> data;  // empty: value missing
        std::int32_t code;
    } cases[] = {
        {"Japan", Text("81"), 81},
        {"three digits", Text("810"), 810},
        {"one digit", Text("1"), 1},
        {"leading zeros", Text("0081"), 81},
        {"only five characters", Text("8123456"), 81234},
        {"not digits", Text("-1"), ('-' - '0') * 10 + 1},
        {"high characters are signed", Text("\xC8"), -56 - '0'},
        {"missing", {}, 0},
        {"longer than 30 bytes", Text(std::string(40, '8')), 0},
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
