// What the key poller asks the receiver on every poll.
#pragma once

#include <cstdint>

bool IsRemoteKeyDown();
// The raw code of the key that is down: -1 without a device handle.
std::int32_t ReadRemoteCode();
