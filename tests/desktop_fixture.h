// A fresh simulated desktop for every test, with the utility's static objects built on it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apps/tv_app.h"
#include "receiver/capture_device.h"
#include "routing/key_router.h"
#include "shell/static_objects.h"
#include "sim/sim_desktop.h"

class DesktopTest : public ::testing::Test {
  protected:
    SimDesktop& desk = InstallFreshSimDesktop();
    Hwnd owner = 0;

    // The logic's state outlives a desktop: a test starts from the initial one, without a
    // receiver.
    DesktopTest() { logic = LogicState{}; }

    // Builds the application records and timer slots from the desktop's registry.
    void Construct() { ConstructStaticObjects(); }

    // Puts a TV card with this friendly name on the desktop and opens the receiver, which
    // takes the first listed board present. Call it after Construct(), which closes the
    // receiver's channel.
    SimVideoDevice& UseBoard(const std::string& friendlyName) {
        SimVideoDevice& device = desk.devices.AddVideoDevice(friendlyName);
        OpenReceiver();
        return device;
    }

    // One poll of the remote through the receiver while `rawCode` is held (-1: nothing
    // held), `afterMs` after the previous one. Without an open receiver a "Kavel KV100
    // Video Capture" card (GPIO, Translated, codes 0 to 63) is put in first.
    void Poll(int rawCode, std::uint32_t afterMs = 65) {
        if (logic.receiverChannel.captureFilter == 0) UseBoard("Kavel KV100 Video Capture");
        desk.Sleep(afterMs);
        desk.devices.heldRawCode = rawCode;
        OnKeyPollTick(owner, WM_TIMER, 1, desk.GetTickCount());
    }

    // Polls a key on a Direct board, where the raw code is the key. Without an open
    // receiver a "Sorrel DVBS Q7 Video Capture" card (I2C, Direct, codes 0 to 255) is put
    // in first.
    void PressKey(RemoteKey key, std::uint32_t afterMs = 300) {
        if (logic.receiverChannel.captureFilter == 0) UseBoard("Sorrel DVBS Q7 Video Capture");
        logic.receiverChannel.remoteLayout = Direct;
        Poll(key, afterMs);
    }

    // The trace lines without their time stamps that contain `part`.
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
            if (!received.injected) {
                lines.push_back(std::to_string(received.msg) + "/" +
                                std::to_string(received.wParam));
            }
        }
        return lines;
    }
};
