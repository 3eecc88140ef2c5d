// Runs ticks of one kind for callgrind: `tick-profile KIND COUNT`. The ticks are the calls
// of OnKeyPollTick, which callgrind collects (--toggle-collect), after a warm-up that it
// collects too and scripts/callgrind_ticks.py subtracts by running two counts.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/tick_rig.h"

namespace {

constexpr TickKind kKinds[] = {TickKind::Idle,           TickKind::AppKey,
                               TickKind::AppKeyI2c,      TickKind::PointerKey,
                               TickKind::ShutdownDialog, TickKind::ProfileKey};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tick-profile KIND COUNT\n");
        return 2;
    }
    for (TickKind kind : kKinds) {
        if (std::strcmp(argv[1], TickKindName(kind)) != 0) continue;
        long count = std::strtol(argv[2], nullptr, 10);
        SimDesktop desk;
        TickRig rig(desk, kind);
        for (long i = 0; i < count; ++i)
            rig.Tick();
        std::printf("%ld %s ticks, %llu platform calls\n", count, argv[1],
                    static_cast<unsigned long long>(desk.calls));
        return 0;
    }
    std::fprintf(stderr, "tick-profile: unknown kind %s\n", argv[1]);
    return 2;
}
