// The key poll's tick in the steady states worth measuring, on a simulated desktop with a
// GPIO or I2C TV card. Ticks come every 65 ms, as the poll timer gives them; a key is held
// on every tick of a key kind, alternating between two keys so that each tick is a fresh
// press that the router delivers in full.
#pragma once

#include <cstdint>

#include "sim/sim_desktop.h"

enum class TickKind {
    Idle,            // no key down: the three requests of the key-down test
    AppKey,          // application 9 running and active, a key with a command for it
    AppKeyI2c,       // the same on the I2C board, whose code read takes ten more requests
    PointerKey,      // no application: arrow keys move the pointer
    ShutdownDialog,  // the Shut Down dialog is open: the key goes to it as Escape
    ProfileKey,      // a player in front that a keys.ini profile matches: the key's chord typed
};

const char* TickKindName(TickKind kind);

class TickRig {
  public:
    // Installs `desk` as the platform and builds the utility's state for `kind` on it.
    TickRig(SimDesktop& desk, TickKind kind);

    // One poll tick, 65 ms after the previous one.
    void Tick();

  private:
    SimDesktop& desk_;
    TickKind kind_;
    std::uint64_t ticks_ = 0;
    int rawCodes_[2] = {-1, -1};
    Hwnd owner_ = 0;
    Hwnd target_ = 0;  // the window whose received messages are dropped now and then
};
