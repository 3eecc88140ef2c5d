// Receiver tests: a TV card on a fresh desktop, and the request buffers the card should
// receive, built byte by byte from the driver's layout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "desktop_fixture.h"
#include "receiver/receiver_commands.h"
#include "sim/card/card_decoder.h"

constexpr const char* kKv100 = "Kavel KV100 Video Capture";
constexpr const char* kKv200 = "Kavel KV200 Video Capture";
constexpr const char* kBridgeway = "Bridgeway Q7 Video Capture";
constexpr const char* kDvbs = "Sorrel DVBS Q7 Video Capture";
constexpr const char* kDvbt = "Sorrel DVBT Q7 Video Capture";

inline std::uint32_t Code(const std::string& name) {
    std::uint32_t code = 0;
    EXPECT_TRUE(SimCardCommandCode(name, &code)) << name;
    return code;
}

// A request of `size` bytes (40 GPIO, 120 I2C) with its header and command code.
inline std::vector<std::uint8_t> Request(std::size_t size, const std::string& command,
                                         std::uint32_t flags) {
    static const std::uint8_t kSet[16] = CARD_PROPERTY_SET_BYTES;
    std::vector<std::uint8_t> bytes(size, 0);
    std::copy(kSet, kSet + 16, bytes.begin());
    bytes[16] = size == 40 ? 6 : 4;
    bytes[20] = static_cast<std::uint8_t>(flags);
    CardPutU32(bytes.data(), 24, Code(command));
    return bytes;
}

inline void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    CardPutU32(bytes.data(), static_cast<unsigned>(offset), value);
}

constexpr std::uint32_t kSet = 2;
constexpr std::uint32_t kGet = 1;

class ReceiverTest : public DesktopTest {
  protected:
    ReceiverTest() {
        desk.devices.logRequests = true;
        Construct();
    }

    // One poll as the key poller makes it: the raw code when a key is down, else -2.
    int PollReceiver() { return IsRemoteKeyDown() ? ReadRemoteCode() : -2; }

    std::vector<std::string> CommandsSince(const SimCard& card, std::size_t first) const {
        std::vector<std::string> all = card.Commands();
        return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(first),
                                        all.end());
    }
};
