// The key poll's tick: nanoseconds, platform calls and driver requests per tick, and heap
// allocations per tick in steady state, split into the utility's own and the simulated
// desktop's. Timing runs on a quiet desktop (no trace, no request log); the counts come
// from separate runs on a counting desktop, quiet and with the desktop's defaults.
#include <benchmark/benchmark.h>

#include "bench/tick_rig.h"
#include "measure/allocation_count.h"
#include "measure/counting_desktop.h"

namespace {

constexpr int kWarmUpTicks = 10000;  // past the first growth of the desktop's records
constexpr int kCountedTicks = 10000;

struct TickCounts {
    double logicAllocations = 0;
    double simAllocations = 0;
    double calls = 0;
    double requests = 0;
};

// Allocations and calls per tick after the warm-up, on a desktop as `quiet` says.
TickCounts CountTicks(TickKind kind, bool quiet) {
    CountingDesktop desk;
    TickRig rig(desk, kind);
    desk.traceEnabled = !quiet;
    desk.devices.logRequests = !quiet;
    for (int i = 0; i < kWarmUpTicks; ++i)
        rig.Tick();
    desk.trace.clear();
    SimCard& card = desk.devices.videoDevices[0].card;
    card.requests.clear();
    AllocationCount before = CountedAllocations();
    std::uint64_t calls = desk.calls;
    {
        CountingScope counting;
        for (int i = 0; i < kCountedTicks; ++i)
            rig.Tick();
    }
    AllocationCount after = CountedAllocations();
    TickCounts counts;
    counts.logicAllocations = double(after.logic - before.logic) / kCountedTicks;
    counts.simAllocations = double(after.sim - before.sim) / kCountedTicks;
    counts.calls = double(desk.calls - calls) / kCountedTicks;
    counts.requests = double(card.requests.size()) / kCountedTicks;
    return counts;
}

void BM_Tick(benchmark::State& state, TickKind kind) {
    TickCounts quiet = CountTicks(kind, true);
    TickCounts defaults = CountTicks(kind, false);

    SimDesktop desk;
    TickRig rig(desk, kind);
    for (int i = 0; i < kWarmUpTicks; ++i)
        rig.Tick();
    std::uint64_t calls = desk.calls;
    for (auto _ : state)
        rig.Tick();
    auto ticks = static_cast<double>(state.iterations());
    state.counters["calls/tick"] = double(desk.calls - calls) / ticks;
    state.counters["requests/tick"] = defaults.requests;
    state.counters["allocs/tick"] = quiet.logicAllocations;
    state.counters["sim_allocs/tick"] = quiet.simAllocations;
    state.counters["sim_allocs/tick_traced"] = defaults.simAllocations;
    if (quiet.calls != state.counters["calls/tick"] || defaults.logicAllocations != 0) {
        state.SkipWithError("the counting runs disagree with the timed one");
    }
}

}  // namespace

BENCHMARK_CAPTURE(BM_Tick, idle, TickKind::Idle);
BENCHMARK_CAPTURE(BM_Tick, key_app9_gpio, TickKind::AppKey);
BENCHMARK_CAPTURE(BM_Tick, key_app9_i2c, TickKind::AppKeyI2c);
BENCHMARK_CAPTURE(BM_Tick, key_pointer, TickKind::PointerKey);
BENCHMARK_CAPTURE(BM_Tick, key_shutdown_dialog, TickKind::ShutdownDialog);
BENCHMARK_CAPTURE(BM_Tick, key_profile, TickKind::ProfileKey);

BENCHMARK_MAIN();
