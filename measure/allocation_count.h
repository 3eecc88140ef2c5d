// Heap allocations counted while a tick runs, split by the side of the platform seam that
// made them. The binaries that include this replace the global operator new with a counting
// one (allocation_count.cpp); a CountingDesktop marks the calls below the seam.
#pragma once

#include <cstdint>

struct AllocationCount {
    std::uint64_t logic = 0;  // made by the utility's own code
    std::uint64_t sim = 0;    // made by the simulated desktop while it served a call
};

// What has been counted so far on this thread.
AllocationCount CountedAllocations();

// Counts the allocations of its lifetime; nests, as ticks do inside modal loops.
class CountingScope {
  public:
    CountingScope();
    ~CountingScope();
    CountingScope(const CountingScope&) = delete;
    CountingScope& operator=(const CountingScope&) = delete;

  private:
    bool wasCounting_;
    int savedDepth_;
};

// A call below the seam: what is allocated meanwhile is the desktop's.
class BelowSeamScope {
  public:
    BelowSeamScope();
    ~BelowSeamScope();
    BelowSeamScope(const BelowSeamScope&) = delete;
    BelowSeamScope& operator=(const BelowSeamScope&) = delete;
};

// The desktop calls back into the utility (a timer, window or dialog procedure): what is
// allocated meanwhile is the utility's again.
class AboveSeamScope {
  public:
    AboveSeamScope();
    ~AboveSeamScope();
    AboveSeamScope(const AboveSeamScope&) = delete;
    AboveSeamScope& operator=(const AboveSeamScope&) = delete;

  private:
    int savedDepth_;
};
