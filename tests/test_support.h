// What the tests share: a fresh simulated desktop with the utility's static objects built on it
// (DesktopTest), the utility run from its entry with the user's actions scripted (ShellTest),
// the request buffers a card should receive, and small helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "apps/tv_app.h"
#include "platform/win_shell_constants.h"
#include "receiver/capture_device.h"
#include "receiver/receiver_commands.h"
#include "routing/key_router.h"
#include "shell/main_window.h"
#include "shell/main_window_ids.h"
#include "shell/settings.h"
#include "shell/static_objects.h"
#include "shell/timer_slot.h"
#include "sim/card/card_decoder.h"
#include "sim/sim_desktop.h"

constexpr const char* kSettingsKey = "SOFTWARE\\Zarvin Multimedia\\Tuner Utilities";
constexpr const char* kKv100 = "Kavel KV100 Video Capture";  // GPIO, Translated
constexpr const char* kKv200 = "Kavel KV200 Video Capture";
constexpr const char* kBridgeway = "Bridgeway Q7 Video Capture";
constexpr const char* kDvbs = "Sorrel DVBS Q7 Video Capture";  // I2C, Direct
constexpr const char* kDvbt = "Sorrel DVBT Q7 Video Capture";  // GPIO, Direct
constexpr Hwnd kStale = 0xBEEF;                                // a handle no lookup returns
constexpr Handle kInstance = 0x400000;
constexpr std::uint32_t kSet = 2;  // request flags
constexpr std::uint32_t kGet = 1;

inline std::string Hex(unsigned value) {
    char text[12];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// The bytes of `text`, with its terminator unless `terminated` is false.
inline std::vector<std::uint8_t> Bytes(const std::string& text, bool terminated = true) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    if (terminated) bytes.push_back(0);
    return bytes;
}

inline void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    CardPutU32(bytes.data(), static_cast<unsigned>(offset), value);
}

inline std::uint32_t Code(const std::string& command) {
    std::uint32_t code = 0;
    EXPECT_TRUE(SimCardCommandCode(command, &code)) << command;
    return code;
}

// A request of `size` bytes (40 GPIO, 120 I2C) with its header and command code, built from
// the driver's layout.
inline std::vector<std::uint8_t> Request(std::size_t size, const std::string& command,
                                         std::uint32_t flags) {
    static const std::uint8_t kPropertySet[16] = CARD_PROPERTY_SET_BYTES;
    std::vector<std::uint8_t> bytes(size, 0);
    std::copy(kPropertySet, kPropertySet + 16, bytes.begin());
    bytes[16] = size == 40 ? 6 : 4;
    bytes[20] = static_cast<std::uint8_t>(flags);
    Put32(bytes, 24, Code(command));
    return bytes;
}

// The one box a desktop showed, as "caption|text|type".
inline std::string OnlyBox(const SimDesktop& desk) {
    if (desk.dialogs.messageBoxes.size() != 1)
        return std::to_string(desk.dialogs.messageBoxes.size()) + " boxes";
    const SimMessageBox& box = desk.dialogs.messageBoxes[0];
    return box.caption + "|" + box.text + "|" + std::to_string(box.type);
}

class DesktopTest : public ::testing::Test {
  protected:
    SimDesktop& desk = InstallFreshSimDesktop();
    Hwnd owner = 0;

    // The channel outlives a desktop: a test starts without a receiver.
    DesktopTest() { logic.receiverChannel = ReceiverChannel{}; }

    // Builds the application records and timer slots from the desktop's registry; closes the
    // receiver's channel.
    void Construct() { ConstructStaticObjects(); }

    // Puts a TV card on the desktop and opens the receiver, which takes the first listed
    // board present.
    SimVideoDevice& UseBoard(const std::string& friendlyName) {
        SimVideoDevice& device = desk.devices.AddVideoDevice(friendlyName);
        OpenReceiver();
        return device;
    }

    // One poll of the remote while `rawCode` is held (-1: nothing), `afterMs` after the
    // previous one; without an open receiver a KV100 card is put in first.
    void Poll(int rawCode, std::uint32_t afterMs = 65) {
        if (logic.receiverChannel.captureFilter == 0) UseBoard(kKv100);
        desk.Sleep(afterMs);
        desk.devices.heldRawCode = rawCode;
        OnKeyPollTick(owner, WM_TIMER, 1, desk.GetTickCount());
    }

    // Polls a key as a Direct board sends it; without an open receiver a DVBS card is put in.
    void PressKey(RemoteKey key, std::uint32_t afterMs = 300) {
        if (logic.receiverChannel.captureFilter == 0) UseBoard(kDvbs);
        logic.receiverChannel.remoteLayout = Direct;
        Poll(key, afterMs);
    }

    // The trace lines, without their time stamps, that contain `part`.
    std::vector<std::string> TraceWith(const std::string& part) const {
        std::vector<std::string> lines;
        for (const auto& line : desk.trace) {
            if (line.find(part) != std::string::npos)
                lines.push_back(line.substr(line.find(' ') + 1));
        }
        return lines;
    }

    // Messages (not injected keys) that a window received, as "msg/wParam".
    std::vector<std::string> Posted(Hwnd window) const {
        std::vector<std::string> lines;
        for (const auto& received : desk.windows.ReceivedBy(window)) {
            if (!received.injected)
                lines.push_back(std::to_string(received.msg) + "/" +
                                std::to_string(received.wParam));
        }
        return lines;
    }
};

// The utility run from its entry on a desktop with a KV100 card, the user's tray clicks, menu
// choices and dialog buttons scripted as world events.
class ShellTest : public DesktopTest {
  protected:
    std::int32_t defaultApp = 9;
    bool alwaysRemoteOff = false;

    std::vector<std::unique_ptr<SimDesktop>> others;

    ShellTest() { Prepare(desk, 60000); }

    // Another desktop, installed as the platform, for one more run within a test.
    SimDesktop& Fresh(std::uint64_t runLimit, bool withCard = true) {
        others.push_back(std::make_unique<SimDesktop>());
        InstallPlatform(others.back().get());
        return Prepare(*others.back(), runLimit, withCard);
    }
    static SimDesktop& Prepare(SimDesktop& desktop, std::uint64_t runLimit, bool withCard = true) {
        desktop.runLimit = runLimit;
        if (withCard) desktop.devices.AddVideoDevice(kKv100);
        return desktop;
    }

    // Static construction, then the program, as the process runs them, with the settings
    // stored in the registry.
    int Run() {
        desk.registry.SetDword(HKEY_LOCAL_MACHINE, kSettingsKey, "DefaultTVAPP",
                               static_cast<std::uint32_t>(defaultApp));
        desk.registry.SetDword(HKEY_LOCAL_MACHINE, kSettingsKey, "AlwaysRemoteOff",
                               alwaysRemoteOff);
        ConstructStaticObjects();
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
    static std::vector<std::string> TraceStarting(const SimDesktop& desktop,
                                                  const std::vector<std::string>& prefixes) {
        std::vector<std::string> lines;
        for (const auto& line : desktop.trace) {
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
    std::vector<std::string> TraceStarting(const std::vector<std::string>& prefixes) const {
        return TraceStarting(desk, prefixes);
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

    // The card's capture filter was bound during the run and is given back at its end, with
    // everything else the receiver took from COM.
    static void ExpectReceiverClosed(const SimDesktop& desktop, const std::string& context) {
        bool bound = false;
        for (const auto& object : desktop.devices.com.objects)
            bound = bound || object.kind == SimComKind::Filter;
        EXPECT_TRUE(bound) << context;
        EXPECT_EQ(logic.receiverChannel.captureFilter, 0u) << context;
        EXPECT_EQ(desktop.devices.com.LiveObjects(), 0) << context;
        EXPECT_EQ(desktop.devices.com.initialized, 0) << context;
        EXPECT_EQ(desktop.devices.com.misuse, 0) << context;
    }
};
