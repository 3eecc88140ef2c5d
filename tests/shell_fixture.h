// The utility run from its entry on a fresh simulated desktop with a TV card, with the
// user's tray clicks, menu choices and dialog buttons scripted as world events.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win_shell_constants.h"
#include "receiver/capture_device.h"
#include "shell/main_window.h"
#include "shell/main_window_ids.h"
#include "shell/settings.h"
#include "shell/static_objects.h"
#include "sim/sim_desktop.h"

class ShellTest : public ::testing::Test {
  protected:
    static constexpr Handle kInstance = 0x400000;
    static constexpr const char* kSettingsKey = "SOFTWARE\\Zarvin Multimedia\\Tuner Utilities";
    static constexpr const char* kShortcut =
        "\\Start Menu\\Programs\\StartUp\\Trelane Cinevox Manager.lnk";

    static constexpr const char* kCardName = "Kavel KV100 Video Capture";

    SimDesktop desk;
    std::int32_t defaultApp = 9;
    bool alwaysRemoteOff = false;

    ShellTest() { Prepare(desk, 60000); }

    // Installs `desktop` as the platform, with the TV card unless `withCard` is false.
    static void Prepare(SimDesktop& desktop, std::uint64_t runLimit, bool withCard = true) {
        InstallPlatform(&desktop);
        desktop.runLimit = runLimit;
        if (withCard) desktop.devices.AddVideoDevice(kCardName);
    }

    // Static construction, then the program, as the process runs them. The settings are
    // stored in the registry and also set in memory, as reading them at start does.
    int Run() {
        desk.registry.SetDword(HKEY_LOCAL_MACHINE, kSettingsKey, "DefaultTVAPP",
                               static_cast<std::uint32_t>(defaultApp));
        desk.registry.SetDword(HKEY_LOCAL_MACHINE, kSettingsKey, "AlwaysRemoteOff",
                               alwaysRemoteOff ? 1 : 0);
        ConstructStaticObjects();
        logic.DefaultTVAPP = defaultApp;
        logic.AlwaysRemoteOff = alwaysRemoteOff;
        int code = RunRemoteControl(kInstance);
        desk.Trace("exit " + std::to_string(code));
        return code;
    }

    void ClickTray(std::uint64_t at, std::uint32_t mouseMessage = WM_LBUTTONDOWN) {
        desk.At(at, [this, mouseMessage] { desk.TrayNotify(kTrayIconId, mouseMessage); });
    }
    void Choose(std::uint64_t at, const std::string& label) {
        desk.At(at, [this, label] { desk.ChooseMenuItem(label); });
    }
    void ExitAt(std::uint64_t at) {
        ClickTray(at);
        Choose(at + 50, "Exit");
    }
    // The user's OK on the dialog that is open at `at`.
    void PressOkAt(std::uint64_t at) {
        desk.At(at, [this] { desk.PressDialogButton(IDOK); });
    }
    // A message that another program posts to the utility's window.
    void PostToUtility(std::uint64_t at, std::uint32_t msg, WParam wParam, LParam lParam = 0) {
        desk.At(at, [this, msg, wParam, lParam] {
            desk.PostMessageA(desk.FindWindowA("Remote Control", nullptr), msg, wParam, lParam);
        });
    }

    // The trace lines without their time stamps that begin with one of `prefixes`.
    std::vector<std::string> TraceStarting(const std::vector<std::string>& prefixes) const {
        std::vector<std::string> lines;
        for (const auto& line : desk.trace) {
            std::string effect = line.substr(line.find(' ') + 1);
            for (const auto& prefix : prefixes) {
                if (effect.compare(0, prefix.size(), prefix) == 0) {
                    lines.push_back(effect);
                    break;
                }
            }
        }
        return lines;
    }

    std::vector<std::string> Posted(Hwnd window) const {
        std::vector<std::string> lines;
        for (const auto& received : desk.windows.ReceivedBy(window)) {
            lines.push_back(std::to_string(received.msg) + "/" + std::to_string(received.wParam));
        }
        return lines;
    }

    // What the utility's windows left to the default window procedure, as "msg/wParam".
    std::vector<std::string> DefaultHandled(std::uint32_t msg) const {
        std::vector<std::string> lines;
        for (const auto& handled : desk.windows.defaultProcessed) {
            if (handled.message == msg)
                lines.push_back(std::to_string(msg) + "/" + std::to_string(handled.wParam));
        }
        return lines;
    }

    // The card's capture filter was bound during the run and is given back at its end,
    // with everything else the receiver took from COM.
    static void ExpectReceiverClosed(const SimDesktop& desktop, const std::string& context) {
        bool bound = false;
        for (const auto& object : desktop.devices.com.objects)
            bound = bound || object.kind == SimComKind::Filter;
        EXPECT_TRUE(bound) << context;
        EXPECT_FALSE(desktop.devices.com.FilterAlive(0)) << context;
        EXPECT_EQ(logic.receiverChannel.captureFilter, 0u) << context;
        EXPECT_EQ(desktop.devices.com.LiveObjects(), 0) << context;
        EXPECT_EQ(desktop.devices.com.initialized, 0) << context;
        EXPECT_EQ(desktop.devices.com.misuse, 0) << context;
    }
};
